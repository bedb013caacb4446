// nodelyx-cli train CONFIG.net: opens the configuration with its data and
// weights files as the desktop program opens one named on its command line,
// runs one training run exactly as its Train command does, and saves the
// weights with their history.
#include <cmath>
#include <cstdio>
#include <ctime>

#include "app/network_setup.h"
#include "app/session_files.h"
#include "app/training_run.h"
#include "app/weights_io.h"
#include "cli/cli_reporter.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "files/atomic_file.h"
#include "files/c_format.h"

namespace nodelyx::cli {
namespace {

constexpr std::string_view kUsage =
    "Usage: nodelyx-cli train CONFIG.net [--epochs N] [--seed N] [--weights OUT.wts]\n"
    "                         [--inputs N --outputs N] [--quiet] [--json]\n"
    "Opens the configuration with the training, testing and weights files it names,\n"
    "trains until a stopping criterion or the epoch limit (Ctrl-C, SIGTERM or SIGHUP\n"
    "stop after the current epoch), and saves the weights with their history to\n"
    "OUT.wts, else to the configuration's weights file, else beside it as CONFIG.wts.\n"
    "A named file that cannot be loaded stops the command before anything is trained\n"
    "or written.\n"
    "  --epochs N   epoch limit instead of the configuration's; it counts all the\n"
    "               epochs of the weights, so weights trained for N epochs or more\n"
    "               train no further\n"
    "  --seed N     start a new network from this seed (reproducible runs)\n"
    "  --inputs N --outputs N   counts of data files without a header\n"
    "  --quiet      no progress display\n"
    "  --json       print the result as one JSON object\n";

constexpr KnownOption kOptions[] = {{"--epochs", 1},  {"--seed", 1},  {"--weights", 1}, {"--inputs", 1},
                                    {"--outputs", 1}, {"--quiet", 0}, {"--json", 0}};

// A one-line progress display, refreshed a few times per second.
class ProgressDisplay : public TrainingObserver {
 public:
  explicit ProgressDisplay(bool show) : show_(show) {}

  void epochFinished(const EpochStatistics& stats) override {
    ++epochs_;
    if (!show_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastShown_ < std::chrono::milliseconds(250)) return;
    const double seconds = std::chrono::duration<double>(now - started_).count();
    lastShown_ = now;
    std::fprintf(stderr, "\r\033[KEpoch %u  training RMS %g  testing RMS %s  correct %.4g %%  %.0f epochs/s",
                 stats.epoch, stats.trainRms, stats.testMeasured ? formatC("%g", stats.testRms).c_str() : "-",
                 stats.trainPercent, seconds > 0 ? static_cast<double>(epochs_) / seconds : 0.0);
    std::fflush(stderr);
  }
  void trainingEnded(const RunSummary& summary) override {
    summary_ = summary;
    if (show_) std::fprintf(stderr, "\r\033[K");
  }
  const RunSummary& summary() const { return summary_; }

 private:
  bool show_;
  unsigned long long epochs_ = 0;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point lastShown_{};
  RunSummary summary_;
};

struct TrainOptions {
  std::filesystem::path config;
  std::optional<long long> epochs;
  std::optional<std::uint32_t> seed;
  std::string weights;
  DataCounts counts;
  bool quiet = false;
  bool json = false;
};

bool readOptions(Arguments args, TrainOptions& options, int& exitCode) {
  bool help = false;
  const auto parsed = parseArguments(args, kOptions, 1, 1, "train", kUsage, help);
  exitCode = help ? kExitOk : kExitUsage;
  if (!parsed) return false;
  long long value = 0;
  if (parsed->has("--epochs")) {
    if (!integerOption(*parsed, "--epochs", 0, 2147483647LL, "train", value)) return false;
    options.epochs = value;
  }
  if (parsed->has("--seed")) {
    if (!integerOption(*parsed, "--seed", 0, 4294967295LL, "train", value)) return false;
    options.seed = static_cast<std::uint32_t>(value);
  }
  if (!readDataCounts(*parsed, "train", options.counts)) return false;
  options.config = parsed->positional[0];
  options.weights = parsed->value("--weights");
  options.quiet = parsed->has("--quiet");
  options.json = parsed->has("--json");
  return true;
}

std::filesystem::path weightsDestination(const TrainOptions& options, const Session& session) {
  if (!options.weights.empty()) return options.weights;
  if (!session.config.weightsFile().empty()) return session.config.weightsFile();
  std::filesystem::path path = options.config;
  return path.replace_extension(".wts");
}

bool diverged(const RunSummary& summary) {
  return summary.reason == StopReason::Diverged || !std::isfinite(summary.last.trainRms);
}

void printSummary(const Session& session, const RunSummary& summary, const std::filesystem::path& weights,
                  double connectionsPerSecond, bool json) {
  const EpochStatistics& s = summary.last;
  const bool testing = session.testingDataLoaded() && session.testingSet.hasTargets();
  if (json) {
    std::printf(
        "{\"epochs\": %u, \"epochs_run\": %u, "
        "\"train_rms\": %s, \"train_max_rms\": %s, \"train_max_error\": %s, "
        "\"train_correct\": %u, \"train_percent_correct\": %s, "
        "\"test_rms\": %s, \"test_percent_correct\": %s, "
        "\"stopped_by\": %s, \"diverged\": %s, \"seconds\": %s, \"connection_updates_per_second\": %s, "
        "\"weights_file\": %s}\n",
        session.epochCount, summary.epochsRun, jsonNumber(s.trainRms).c_str(),
        jsonNumber(s.trainMaxPatternRms).c_str(), jsonNumber(s.trainMaxError).c_str(), s.trainCorrect,
        jsonNumber(s.trainPercent).c_str(), testing ? jsonNumber(s.testRms).c_str() : "null",
        testing ? jsonNumber(s.testPercent).c_str() : "null",
        jsonString(stopReasonName(summary.reason)).c_str(), diverged(summary) ? "true" : "false",
        jsonNumber(summary.seconds).c_str(), jsonNumber(connectionsPerSecond).c_str(),
        jsonString(weights.string()).c_str());
    return;
  }
  std::printf(
      "Epoch %u (%u this run, %.3g s), stopped by %.*s: "
      "training RMS %g, max error %g, %u of %u correct (%.4g %%)",
      session.epochCount, summary.epochsRun, summary.seconds,
      static_cast<int>(stopReasonName(summary.reason).size()), stopReasonName(summary.reason).data(),
      s.trainRms, s.trainMaxError, s.trainCorrect, session.trainingSet.patternCount, s.trainPercent);
  if (testing) std::printf("; testing RMS %g, %.4g %% correct", s.testRms, s.testPercent);
  std::printf("\nWeights saved to %s\n", weights.string().c_str());
}

// A file the configuration names that did not load stops the command:
// training without it would change what the run means (no testing criteria,
// a fresh network saved over the weights that could not be read).
bool companionsLoaded(const CompanionStates& states, const Session& session, Reporter& reporter) {
  const auto refuse = [&](const char* what) {
    reporter.report("Error",
                    formatC("The %s file named by the configuration was not loaded: nothing was trained, and "
                            "no file was written.",
                            what),
                    MessageIcon::Error);
    return false;
  };
  if (states.weights == CompanionState::Failed) return refuse("weights");
  if (states.testing == CompanionState::Failed || states.testing == CompanionState::Missing)
    return refuse("testing");
  if (!session.trainingDataLoaded()) {
    if (states.training == CompanionState::NotNamed)
      reporter.report("Error", "Training Data not loaded", MessageIcon::Error);
    else
      refuse("training");
    return false;
  }
  return true;
}

// New weights only when the configuration brought none.
bool prepareNetwork(Session& session, const TrainOptions& options, Reporter& reporter) {
  if (session.network) return true;
  const std::uint32_t seed = options.seed.value_or(static_cast<std::uint32_t>(std::time(nullptr)));
  return session.buildNetwork(reporter, &seed);
}

void reportOutcome(const Session& session, const RunSummary& summary, Reporter& reporter) {
  if (summary.epochsRun == 0 && summary.reason == StopReason::EpochLimit)
    reporter.report(
        "Warning",
        formatC("The epoch limit of %d was already reached: nothing was trained.\nThe weights have "
                "%u epochs; --epochs counts all of them, so give a larger limit to train on.",
                session.config.maxEpochs(), session.epochCount),
        MessageIcon::Warning);
  if (diverged(summary))
    reporter.report("Warning",
                    "Training diverged: the training error is no longer a finite number.\nTry a smaller "
                    "learning rate or momentum, or narrower weight limits.",
                    MessageIcon::Warning);
}

}  // namespace

int runTrainCommand(Arguments args) {
  TrainOptions options;
  int exitCode = kExitOk;
  if (!readOptions(args, options, exitCode)) return exitCode;
  StderrReporter reporter;
  Session session;
  SessionFileActions actions(session, reporter);
  const bool showProgress = !options.quiet && isTerminal(stderr);
  actions.dataCallbacks = dataReadCallbacks(options.counts, showProgress, reporter);
  CompanionStates companions;
  if (!openConfiguration(session, options.config, CompanionOrder::CommandLine, actions, nullptr,
                         programDirectory(), reporter, true, &companions) ||
      !companionsLoaded(companions, session, reporter))
    return kExitFailure;
  if (options.epochs) session.config.setMaxEpochs(static_cast<std::int32_t>(*options.epochs));
  // A run whose result cannot be saved is not started.
  const std::filesystem::path weights = weightsDestination(options, session);
  std::string reason;
  if (!canWriteFile(weights, &reason)) {
    reporter.report("Error",
                    formatC("Unable to open weights file %s\nWeights not saved\n%s\nNothing was trained.",
                            weights.filename().string().c_str(), reason.c_str()),
                    MessageIcon::Error);
    return kExitFailure;
  }
  if (!prepareNetwork(session, options, reporter)) return kExitFailure;

  ProgressDisplay progress(showProgress);
  TrainingRun run;
  {
    StopOnSignals signals(run.keepTraining);
    if (!run.start(session, &progress, reporter)) return kExitFailure;
    run.wait();
  }
  const RunSummary& summary = progress.summary();
  reportOutcome(session, summary, reporter);
  if (!saveWeightsFile(session, weights, reporter)) return kExitFailure;
  const double cups = summary.seconds > 0
                          ? static_cast<double>(session.network->connectionCount()) *
                                session.trainingSet.patternCount * summary.epochsRun / summary.seconds
                          : 0.0;
  printSummary(session, summary, weights, cups, options.json);
  return kExitOk;
}

}  // namespace nodelyx::cli
