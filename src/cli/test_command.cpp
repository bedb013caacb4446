// nodelyx-cli test MODEL --data FILE: the model's outputs for a testing set
// written to an output file, and for one-hot targets the confusion matrix
// with each class's precision and recall.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/classification.h"
#include "cli/commands.h"
#include "cli/model_command.h"
#include "files/c_format.h"
#include "files/output_file.h"

namespace nodelyx::cli {
namespace {

constexpr std::string_view kText =
    "Usage: nodelyx-cli test MODEL --data FILE.tst [--output FILE.out] [--confusion]\n"
    "                        [--headers] [--targets] [--inputs N --outputs N]\n"
    "Runs the model (a weights file, or a configuration naming one) over a testing\n"
    "file and writes its outputs, in the data's own units, to FILE.out.\n"
    "  --headers    first line of column names\n"
    "  --targets    each target beside its output\n"
    "  --confusion  print the confusion matrix (rows: actual class, the largest\n"
    "               target; columns: the class the model picks, its largest output)\n"
    "               with accuracy and each class's precision and recall; the\n"
    "               targets must be one-hot (one output per class)\n"
    "  --format F [--target-columns LIST] [--one-hot COLUMN]   a testing file of\n"
    "               another form (native, our own, unless it is given):\n";
const std::string kTestUsage = std::string(kText) + std::string(kForeignDataUsage);

// The classes' names: the data's own column names when it had them.
std::vector<std::string> classLabels(const PatternSet& set) {
  std::vector<std::string> labels;
  for (std::uint32_t k = 0; k < set.outputCount; ++k) {
    const std::size_t column = std::size_t{set.inputCount} + k;
    labels.push_back(column < set.columnNames.size() ? set.columnNames[column] : std::to_string(k + 1));
  }
  return labels;
}

std::string percent(double fraction) {
  return std::isnan(fraction) ? std::string("-") : formatC("%.4g %%", 100.0 * fraction);
}

void printConfusion(const ConfusionMatrix& matrix, const std::vector<std::string>& labels,
                    const std::string& data) {
  int width = 6;
  for (const std::string& label : labels) width = std::max(width, static_cast<int>(label.size()));
  const int cell = std::max(width, static_cast<int>(std::to_string(matrix.total()).size())) + 2;
  std::printf("Confusion matrix of %s (rows: actual class, columns: predicted class)\n%-*s", data.c_str(),
              width, "");
  for (const std::string& label : labels) std::printf("%*s", cell, label.c_str());
  for (std::uint32_t actual = 0; actual < matrix.classes; ++actual) {
    std::printf("\n%-*s", width, labels[actual].c_str());
    for (std::uint32_t predicted = 0; predicted < matrix.classes; ++predicted)
      std::printf("%*llu", cell, static_cast<unsigned long long>(matrix.at(actual, predicted)));
  }
  std::printf("\n\nAccuracy %s (%llu of %llu)\n\n%-*s %10s %10s\n", percent(matrix.accuracy()).c_str(),
              static_cast<unsigned long long>(matrix.agreeing()),
              static_cast<unsigned long long>(matrix.total()), width, "Class", "Precision", "Recall");
  for (std::uint32_t k = 0; k < matrix.classes; ++k)
    std::printf("%-*s %10s %10s\n", width, labels[k].c_str(), percent(matrix.precision(k)).c_str(),
                percent(matrix.recall(k)).c_str());
}

bool showConfusion(Session& session, const std::string& data, Reporter& reporter) {
  const PatternSet& set = session.testingSet;
  if (!hasOneHotTargets(set)) {
    reporter.report("Error",
                    formatC("%s has no one-hot targets (two or more outputs, one high value per pattern and "
                            "the low value elsewhere): there are no classes to confuse.",
                            std::filesystem::path(data).filename().string().c_str()),
                    MessageIcon::Error);
    return false;
  }
  printConfusion(confusionMatrix(*session.network, set), classLabels(set), data);
  return true;
}

}  // namespace

int runTestCommand(Arguments args) {
  constexpr KnownOption ownOptions[] = {{"--data", 1},     {"--output", 1}, {"--headers", 0},
                                        {"--targets", 0},  {"--inputs", 1}, {"--outputs", 1},
                                        {"--confusion", 0}};
  constexpr auto options = joinOptions(ownOptions, kForeignDataOptions);
  int exitCode = kExitOk;
  const auto parsed = parseModelArguments(args, options, "test", kTestUsage, exitCode);
  if (!parsed) return exitCode;
  const bool confusion = parsed->has("--confusion");
  if (!parsed->has("--data") || !(parsed->has("--output") || confusion)) {
    printUsageError("test", "--data and --output (or --confusion) are needed", kTestUsage);
    return kExitUsage;
  }
  DataCounts counts;
  ForeignDataOptions dataFormat;
  if (!readDataCounts(*parsed, "test", counts) || !readForeignDataOptions(*parsed, "test", dataFormat))
    return kExitUsage;
  ModelCommand model(*parsed);
  Session& session = model.session;
  StderrReporter& reporter = model.reporter;
  if (!model.loadModel()) return kExitFailure;
  const DataReadCallbacks callbacks = dataReadCallbacks(counts, isTerminal(stderr), reporter);
  const std::string data = parsed->value("--data");
  if (!loadDataFile(session, DataKind::Testing, data, callbacks, reporter, foreignDataReader(dataFormat))) {
    if (reporter.count() == 0) reportFileMessage(reporter, "Could not read file %s", data);
    return kExitFailure;
  }
  if (parsed->has("--output")) {
    const OutputChoices choices{parsed->has("--headers"), parsed->has("--targets")};
    const std::string output = parsed->value("--output");
    std::string reason;
    if (!writeOutputFile(output, *session.network, session.testingSet, session.config.outputCount(), choices,
                         &reason)) {
      reportFileMessage(reporter, "Could not write file %s", output, reason);
      return kExitFailure;
    }
  }
  if (confusion && !showConfusion(session, data, reporter)) return kExitFailure;
  return kExitOk;
}

}  // namespace nodelyx::cli
