// The commands that use a trained model: test (the output file of a testing
// set), export (source code), eval (standard input to standard output) and
// history (the training history of the weights).
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/session_files.h"
#include "cli/cli_reporter.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/input_rows.h"
#include "export/code_export.h"
#include "files/c_format.h"
#include "files/output_file.h"

namespace nodelyx::cli {
namespace {

// Parses the arguments of a model command; false with exitCode set when the
// command must end (help shown or a usage error).
std::optional<ParsedArguments> parseModelArguments(Arguments args, std::span<const KnownOption> options,
                                                   std::string_view command, std::string_view usage,
                                                   int& exitCode) {
  bool help = false;
  auto parsed = parseArguments(args, options, 1, 1, command, usage, help);
  exitCode = help ? kExitOk : kExitUsage;
  return parsed;
}

constexpr std::string_view kTestUsage =
    "Usage: nodelyx-cli test MODEL --data FILE.tst --output FILE.out [--headers] [--targets]\n"
    "                        [--inputs N --outputs N]\n"
    "Runs the model (a weights file, or a configuration naming one) over a testing\n"
    "file and writes its outputs, in the data's own units, to FILE.out.\n"
    "  --headers    first line of column names\n"
    "  --targets    each target beside its output\n";

constexpr std::string_view kExportUsage =
    "Usage: nodelyx-cli export MODEL --lang c|pascal|matlab --output FILE\n"
    "Writes the model as C source, a Pascal unit or a Matlab function that\n"
    "evaluates it, scaling included.\n";

constexpr std::string_view kEvalUsage =
    "Usage: nodelyx-cli eval MODEL\n"
    "Reads input rows (numbers separated by blanks, tabs, commas or semicolons)\n"
    "from standard input and writes the model's outputs, in the data's own units,\n"
    "one row each. A line that is not a row of numbers ends the command with an\n"
    "error naming the line.\n";

constexpr std::string_view kHistoryUsage =
    "Usage: nodelyx-cli history MODEL\n"
    "Prints the training history of the model's weights.\n";

// A model command after its arguments: the messages, and the session that
// receives the model.
struct ModelCommand {
  explicit ModelCommand(ParsedArguments parsedArguments) : arguments(std::move(parsedArguments)) {
    resetSession(session);
  }
  bool loadModel() { return cli::loadModel(session, arguments.positional[0], reporter); }

  ParsedArguments arguments;
  StderrReporter reporter;
  Session session;
};

}  // namespace

int runTestCommand(Arguments args) {
  constexpr KnownOption options[] = {{"--data", 1},    {"--output", 1}, {"--headers", 0},
                                     {"--targets", 0}, {"--inputs", 1}, {"--outputs", 1}};
  int exitCode = kExitOk;
  const auto parsed = parseModelArguments(args, options, "test", kTestUsage, exitCode);
  if (!parsed) return exitCode;
  if (!parsed->has("--data") || !parsed->has("--output")) {
    printUsageError("test", "--data and --output are needed", kTestUsage);
    return kExitUsage;
  }
  DataCounts counts;
  if (!readDataCounts(*parsed, "test", counts)) return kExitUsage;
  ModelCommand model(*parsed);
  Session& session = model.session;
  StderrReporter& reporter = model.reporter;
  if (!model.loadModel()) return kExitFailure;
  const DataReadCallbacks callbacks = dataReadCallbacks(counts, isTerminal(stderr), reporter);
  const std::string data = parsed->value("--data");
  if (!loadDataFile(session, DataKind::Testing, data, callbacks, reporter)) {
    if (reporter.count() == 0) reportFileMessage(reporter, "Could not read file %s", data);
    return kExitFailure;
  }
  const OutputChoices choices{parsed->has("--headers"), parsed->has("--targets")};
  const std::string output = parsed->value("--output");
  std::string reason;
  if (!writeOutputFile(output, *session.network, session.testingSet, session.config.outputCount(), choices,
                       &reason)) {
    reportFileMessage(reporter, "Could not write file %s", output, reason);
    return kExitFailure;
  }
  return kExitOk;
}

int runExportCommand(Arguments args) {
  constexpr KnownOption options[] = {{"--lang", 1}, {"--output", 1}};
  int exitCode = kExitOk;
  const auto parsed = parseModelArguments(args, options, "export", kExportUsage, exitCode);
  if (!parsed) return exitCode;
  const std::string language = parsed->value("--lang");
  if (language != "c" && language != "pascal" && language != "matlab") {
    printUsageError("export", "--lang must be c, pascal or matlab", kExportUsage);
    return kExitUsage;
  }
  if (!parsed->has("--output")) {
    printUsageError("export", "--output is needed", kExportUsage);
    return kExitUsage;
  }
  const ExportLanguage lang = language == "c"        ? ExportLanguage::C
                              : language == "pascal" ? ExportLanguage::Pascal
                                                     : ExportLanguage::Matlab;
  const std::string output = parsed->value("--output");
  ModelCommand model(*parsed);
  // A unit or function named after a file name that is no identifier would
  // not compile: refuse before loading or writing anything.
  if (const auto problem = exportNameProblem(lang, output)) {
    model.reporter.report("Error", *problem, MessageIcon::Error);
    return kExitFailure;
  }
  if (!model.loadModel()) return kExitFailure;
  const Session& session = model.session;
  std::string reason;
  const bool written = lang == ExportLanguage::C
                           ? writeCCode(*session.network, output, session.networkFile, &reason)
                       : lang == ExportLanguage::Pascal
                           ? writePascalCode(*session.network, output, session.networkFile, &reason)
                           : writeMatlabCode(*session.network, output, session.networkFile, &reason);
  if (!written) {
    reportFileMessage(model.reporter, "Could not write file %s", output, reason);
    return kExitFailure;
  }
  return kExitOk;
}

int runEvalCommand(Arguments args) {
  int exitCode = kExitOk;
  const auto parsed = parseModelArguments(args, {}, "eval", kEvalUsage, exitCode);
  if (!parsed) return exitCode;
  ModelCommand model(*parsed);
  if (!model.loadModel()) return kExitFailure;
  Network& network = *model.session.network;
  const auto inputCount = static_cast<std::size_t>(network.inputCount());
  std::vector<double> outputs(static_cast<std::size_t>(network.outputCount()));
  // Room for every input written out in full, and then some.
  InputRows rows(STDIN_FILENO, 65536 + 64 * inputCount);
  std::vector<double> inputs;
  for (;;) {
    switch (rows.next(inputs)) {
      case InputRows::Result::Row:
        break;
      case InputRows::Result::End:
        return kExitOk;
      case InputRows::Result::Problem:
        model.reporter.report("Error", rows.problem(), MessageIcon::Error);
        return kExitFailure;
    }
    if (inputs.empty()) continue;  // a blank line
    if (inputs.size() != inputCount) {
      model.reporter.report("Error",
                            formatC("Line %zu of the input holds %zu numbers; the network has %zu inputs.",
                                    rows.lineNumber(), inputs.size(), inputCount),
                            MessageIcon::Error);
      return kExitFailure;
    }
    network.recall(inputs.data(), outputs.data());
    std::string row;
    for (std::size_t k = 0; k < outputs.size(); ++k) row += formatC(k ? " %.10g" : "%.10g", outputs[k]);
    std::printf("%s\n", row.c_str());
  }
}

int runHistoryCommand(Arguments args) {
  int exitCode = kExitOk;
  const auto parsed = parseModelArguments(args, {}, "history", kHistoryUsage, exitCode);
  if (!parsed) return exitCode;
  ModelCommand model(*parsed);
  if (!model.loadModel()) return kExitFailure;
  const Session& session = model.session;
  if (session.history.empty()) {
    model.reporter.report("Warning - Training history not available.",
                          "The training history contains details about all training sessions\n"
                          "associated with the currently loaded weights.\n\n"
                          "You must either create a new set of weights by training a new network or\n"
                          "load a previously saved weights file.",
                          MessageIcon::Warning);
    return kExitFailure;
  }
  std::string text;
  writeHistory(text, session.history);
  // The section without the blank lines and the marker that open it.
  const std::size_t first = text.find("*** ");
  std::fputs(text.c_str() + (first == std::string::npos ? 0 : first), stdout);
  return kExitOk;
}

}  // namespace nodelyx::cli
