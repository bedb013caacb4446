#include "cli/train_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "app/classification.h"
#include "cli/cli_support.h"
#include "files/c_format.h"

namespace nodelyx::cli {
namespace {

std::optional<double> accuracyOn(Session& session, const PatternSet& set) {
  if (!set.loaded() || !hasOneHotTargets(set) || set.outputCount != session.config.outputCount())
    return std::nullopt;
  return 100.0 * confusionMatrix(*session.network, set).accuracy();
}

std::string jsonOptional(const std::optional<double>& value) { return value ? jsonNumber(*value) : "null"; }

// One figure of repeated runs: its name in text and JSON, and which end is
// the better one.
struct Figure {
  const char* label;
  const char* key;
  bool higherIsBetter;
  std::optional<double> (*of)(const RunFigures&);
};

const Figure kFigures[] = {
    {"training RMS", "train_rms", false,
     [](const RunFigures& f) -> std::optional<double> { return f.trainRms; }},
    {"training max RMS", "train_max_rms", false,
     [](const RunFigures& f) -> std::optional<double> { return f.trainMaxRms; }},
    {"training |max error|", "train_max_error", false,
     [](const RunFigures& f) -> std::optional<double> { return std::fabs(f.trainMaxError); }},
    {"training % correct", "train_percent_correct", true,
     [](const RunFigures& f) -> std::optional<double> { return f.trainPercent; }},
    {"training accuracy %", "train_accuracy", true, [](const RunFigures& f) { return f.trainAccuracy; }},
    {"testing RMS", "test_rms", false, [](const RunFigures& f) { return f.testRms; }},
    {"testing % correct", "test_percent_correct", true, [](const RunFigures& f) { return f.testPercent; }},
    {"testing accuracy %", "test_accuracy", true, [](const RunFigures& f) { return f.testAccuracy; }},
    {"epochs", "epochs", false,
     [](const RunFigures& f) -> std::optional<double> { return static_cast<double>(f.epochs); }},
    {"seconds", "seconds", false, [](const RunFigures& f) -> std::optional<double> { return f.seconds; }},
};

struct Spread {
  double mean = 0, deviation = 0, best = 0, worst = 0;
};

// Over the runs that have the figure; nullopt when none has it. The
// standard deviation is the sample one (n - 1), 0 for a single run.
std::optional<Spread> spreadOf(const Figure& figure, std::span<const RunFigures> runs) {
  std::vector<double> values;
  for (const RunFigures& run : runs)
    if (const auto value = figure.of(run)) values.push_back(*value);
  if (values.empty()) return std::nullopt;
  Spread spread;
  double sum = 0;
  for (const double value : values) sum += value;
  spread.mean = sum / static_cast<double>(values.size());
  double squares = 0;
  for (const double value : values) squares += (value - spread.mean) * (value - spread.mean);
  spread.deviation = values.size() > 1 ? std::sqrt(squares / static_cast<double>(values.size() - 1)) : 0.0;
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  spread.best = figure.higherIsBetter ? *high : *low;
  spread.worst = figure.higherIsBetter ? *low : *high;
  return spread;
}

std::string runJson(const RunFigures& f) {
  return formatC(
      "{\"start\": %s, \"seed\": %s, \"continued_from\": %s, \"epochs_before\": %u, "
      "\"epochs\": %u, \"epochs_run\": %u, "
      "\"train_rms\": %s, \"train_max_rms\": %s, \"train_max_error\": %s, "
      "\"train_correct\": %u, \"train_percent_correct\": %s, \"train_accuracy\": %s, "
      "\"test_rms\": %s, \"test_percent_correct\": %s, \"test_accuracy\": %s, "
      "\"stopped_by\": %s, \"diverged\": %s, \"seconds\": %s, \"connection_updates_per_second\": %s, "
      "\"weights_file\": %s}",
      jsonString(f.start.describe()).c_str(), f.start.seed ? std::to_string(*f.start.seed).c_str() : "null",
      f.start.seed ? "null" : jsonString(f.start.continuedFrom.string()).c_str(), f.start.epochsBefore,
      f.epochs, f.epochsRun, jsonNumber(f.trainRms).c_str(), jsonNumber(f.trainMaxRms).c_str(),
      jsonNumber(f.trainMaxError).c_str(), f.trainCorrect, jsonNumber(f.trainPercent).c_str(),
      jsonOptional(f.trainAccuracy).c_str(), jsonOptional(f.testRms).c_str(),
      jsonOptional(f.testPercent).c_str(), jsonOptional(f.testAccuracy).c_str(),
      jsonString(stopReasonName(f.reason)).c_str(), f.diverged ? "true" : "false",
      jsonNumber(f.seconds).c_str(), jsonNumber(f.connectionsPerSecond).c_str(),
      jsonString(f.weights.string()).c_str());
}

void printRunLine(const RunFigures& f) {
  const std::string_view reason = stopReasonName(f.reason);
  std::printf(
      "Epoch %u (%u this run, %.3g s), stopped by %.*s: training RMS %g, max error %g, %u of %u correct "
      "(%.4g %%)",
      f.epochs, f.epochsRun, f.seconds, static_cast<int>(reason.size()), reason.data(), f.trainRms,
      f.trainMaxError, f.trainCorrect, f.trainPatterns, f.trainPercent);
  if (f.trainAccuracy) std::printf(", accuracy %.4g %%", *f.trainAccuracy);
  if (f.testRms) std::printf("; testing RMS %g, %.4g %% correct", *f.testRms, *f.testPercent);
  if (f.testAccuracy) std::printf(", accuracy %.4g %%", *f.testAccuracy);
  std::printf("\n");
}

}  // namespace

std::string RunStart::describe() const {
  if (seed) return formatC("new network, seed %u", *seed);
  return formatC("continuing from %s after %u epochs", continuedFrom.filename().string().c_str(),
                 epochsBefore);
}

bool runDiverged(const RunSummary& summary) {
  return summary.reason == StopReason::Diverged || !std::isfinite(summary.last.trainRms);
}

RunFigures measureRun(Session& session, const RunSummary& summary, const RunStart& start,
                      const std::filesystem::path& weights) {
  RunFigures f;
  const EpochStatistics& s = summary.last;
  f.start = start;
  f.epochs = session.epochCount;
  f.epochsRun = summary.epochsRun;
  f.reason = summary.reason;
  f.diverged = runDiverged(summary);
  f.trainRms = s.trainRms;
  f.trainMaxRms = s.trainMaxPatternRms;
  f.trainMaxError = s.trainMaxError;
  f.trainPercent = s.trainPercent;
  f.trainCorrect = s.trainCorrect;
  f.trainPatterns = session.trainingSet.patternCount;
  if (session.testingDataLoaded() && session.testingSet.hasTargets()) {
    f.testRms = s.testRms;
    f.testPercent = s.testPercent;
    f.testAccuracy = accuracyOn(session, session.testingSet);
  }
  f.trainAccuracy = accuracyOn(session, session.trainingSet);
  f.seconds = summary.seconds;
  if (summary.seconds > 0)
    f.connectionsPerSecond = static_cast<double>(session.network->connectionCount()) *
                             session.trainingSet.patternCount * summary.epochsRun / summary.seconds;
  f.weights = weights;
  return f;
}

void printRun(const RunFigures& figures, bool json) {
  if (json) {
    std::printf("%s\n", runJson(figures).c_str());
    return;
  }
  printRunLine(figures);
  std::printf("Weights saved to %s\n", figures.weights.string().c_str());
}

void printRepeatedRuns(std::span<const RunFigures> runs, bool json) {
  if (json) {
    std::printf("{\"runs\": [");
    for (std::size_t k = 0; k < runs.size(); ++k)
      std::printf("%s%s", k ? ", " : "", runJson(runs[k]).c_str());
    std::printf("], \"summary\": {");
    bool first = true;
    for (const Figure& figure : kFigures) {
      const auto spread = spreadOf(figure, runs);
      if (!spread) continue;
      std::printf("%s\"%s\": {\"mean\": %s, \"std\": %s, \"best\": %s, \"worst\": %s}", first ? "" : ", ",
                  figure.key, jsonNumber(spread->mean).c_str(), jsonNumber(spread->deviation).c_str(),
                  jsonNumber(spread->best).c_str(), jsonNumber(spread->worst).c_str());
      first = false;
    }
    std::printf("}}\n");
    return;
  }
  for (std::size_t k = 0; k < runs.size(); ++k) {
    std::printf("Run %zu (%s, %s): ", k + 1, runs[k].start.describe().c_str(),
                runs[k].weights.filename().string().c_str());
    printRunLine(runs[k]);
  }
  std::printf("\n%-20s %12s %12s %12s %12s\n", formatC("%zu runs", runs.size()).c_str(), "mean", "std dev",
              "best", "worst");
  for (const Figure& figure : kFigures)
    if (const auto spread = spreadOf(figure, runs))
      std::printf("%-20s %12.6g %12.6g %12.6g %12.6g\n", figure.label, spread->mean, spread->deviation,
                  spread->best, spread->worst);
}

}  // namespace nodelyx::cli
