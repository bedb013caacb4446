// nodelyx-cli train CONFIG.net: opens the configuration with its data and
// weights files as the desktop program opens one named on its command line,
// with the command line's settings over the configuration's, runs one
// training run exactly as its Train command does (or several from
// consecutive seeds), and saves the weights with their history.
#include "cli/train_command.h"

#include <cstdio>
#include <ctime>

#include "app/session_files.h"
#include "app/training_run.h"
#include "app/weights_io.h"
#include "cli/commands.h"
#include "cli/train_report.h"
#include "files/atomic_file.h"
#include "files/c_format.h"

namespace nodelyx::cli {
namespace {

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

// --seed and --repeat start new networks: weights to continue from would
// otherwise be ignored without a word.
bool startIsClear(const Session& session, const TrainOptions& options) {
  if (!options.wantsNewNetworks() || !session.network || options.fresh) return true;
  std::fprintf(stderr,
               "nodelyx-cli train: %s continues from its weights file %s (%u epochs), but %s starts a new "
               "network.\nAdd --fresh to ignore those weights, or leave out %s to continue from them.\n",
               options.config.filename().c_str(),
               std::filesystem::path(session.config.weightsFile()).filename().c_str(), session.epochCount,
               options.seed ? "--seed" : "--repeat", options.seed ? "--seed" : "--repeat");
  return false;
}

// The scaling the command line asks for, in place of the configuration's
// (a new network scales) or the weights file's.
void applyScaling(Session& session, ScalingMode mode) {
  session.scaling.mode = mode;
  scalingEnabled = mode == ScalingMode::None ? 0 : 1;
  if (mode == ScalingMode::Auto && session.scaling.inputCount == 0)
    rebuildScalingRecord(session.scaling, session.config.inputCount(), session.config.outputCount(),
                         session.trainingSet, session.config.outputActivation());
}

// Opens the configuration and applies the options; exitCode says why not.
bool prepareSession(Session& session, const TrainOptions& options, StderrReporter& reporter, int& exitCode) {
  exitCode = kExitFailure;
  SessionFileActions actions(session, reporter);
  actions.dataCallbacks = dataReadCallbacks(options.counts, !options.quiet && isTerminal(stderr), reporter);
  actions.dataReader = foreignDataReader(options.dataFormat);
  CompanionChoices choices;
  choices.keepMissingWeights = true;
  choices.ignoreWeights = options.fresh;
  choices.adjustSettings = [&](NetworkConfig& config) {
    return applySettingLines(options.settings, config, reporter);
  };
  CompanionStates companions;
  if (!openConfiguration(session, options.config, CompanionOrder::CommandLine, actions, nullptr,
                         programDirectory(), reporter, choices, &companions) ||
      !companionsLoaded(companions, session, reporter))
    return false;
  if (!startIsClear(session, options)) {
    exitCode = kExitUsage;
    return false;
  }
  if (options.epochs) session.config.setMaxEpochs(static_cast<std::int32_t>(*options.epochs));
  if (options.scaling) applyScaling(session, *options.scaling);
  return true;
}

std::uint32_t seedOf(const TrainOptions& options) {
  return options.seed.value_or(static_cast<std::uint32_t>(std::time(nullptr)));
}

int trainOnce(Session& session, const TrainOptions& options, StderrReporter& reporter) {
  const std::filesystem::path weights = weightsDestination(options, session);
  if (!canWriteResult(weights, "weights", "Weights not saved", reporter)) return kExitFailure;
  RunStart start;
  if (session.network) {
    start.continuedFrom = session.config.weightsFile();
    start.epochsBefore = session.epochCount;
  } else {
    start.seed = seedOf(options);
    if (!session.buildNetwork(reporter, &*start.seed)) return kExitFailure;
  }
  CurveWriter curve;
  if (!options.curve.empty() && !openCurve(curve, options.curve, options, session, reporter))
    return kExitFailure;
  if (!options.json) {
    std::printf("Start: %s\n", start.describe().c_str());
    std::fflush(stdout);
  }
  TrainingRun run;
  RunMonitor monitor(run, !options.quiet && isTerminal(stderr), options.curve.empty() ? nullptr : &curve,
                     nullptr);
  {
    StopOnSignals signals(run.keepTraining);
    if (!run.start(session, &monitor, reporter)) return kExitFailure;
    run.wait();
  }
  reportOutcome(session, monitor.summary(), reporter);
  if (!saveWeightsFile(session, weights, reporter)) return kExitFailure;
  printRun(measureRun(session, monitor.summary(), start, weights), options.json);
  return closeCurve(curve, options.curve, reporter) ? kExitOk : kExitFailure;
}

}  // namespace

std::filesystem::path weightsDestination(const TrainOptions& options, const Session& session) {
  if (!options.weights.empty()) return options.weights;
  if (!session.config.weightsFile().empty()) return session.config.weightsFile();
  std::filesystem::path path = options.config;
  return path.replace_extension(".wts");
}

bool canWriteResult(const std::filesystem::path& path, const char* what, const char* notWritten,
                    Reporter& reporter) {
  std::string reason;
  if (canWriteFile(path, &reason)) return true;
  reporter.report("Error",
                  formatC("Unable to open %s file %s\n%s\n%s\nNothing was trained.", what,
                          path.filename().string().c_str(), notWritten, reason.c_str()),
                  MessageIcon::Error);
  return false;
}

bool openCurve(CurveWriter& curve, const std::filesystem::path& path, const TrainOptions& options,
               const Session& session, Reporter& reporter) {
  if (!canWriteResult(path, "learning curve", "Learning curve not written", reporter)) return false;
  const bool crossValidated = session.config.plotMemorization() != 0 && session.trainingSet.patternCount >= 2;
  std::string reason;
  if (curve.open(path, options.curveEvery, crossValidated, &reason)) return true;
  reportFileMessage(reporter, "Could not write file %s", path.string(), reason);
  return false;
}

bool closeCurve(CurveWriter& curve, const std::filesystem::path& path, Reporter& reporter) {
  std::string reason;
  if (curve.close(&reason)) return true;
  reportFileMessage(reporter, "Could not write file %s", path.string(), reason);
  return false;
}

void reportOutcome(const Session& session, const RunSummary& summary, Reporter& reporter) {
  if (summary.epochsRun == 0 && summary.reason == StopReason::EpochLimit)
    reporter.report(
        "Warning",
        formatC("The epoch limit of %d was already reached: nothing was trained.\nThe weights have "
                "%u epochs; --epochs counts all of them, so give a larger limit to train on.",
                session.config.maxEpochs(), session.epochCount),
        MessageIcon::Warning);
  if (runDiverged(summary))
    reporter.report("Warning",
                    "Training diverged: the training error is no longer a finite number.\nTry a smaller "
                    "learning rate or momentum, or narrower weight limits.",
                    MessageIcon::Warning);
}

int runTrainCommand(Arguments args) {
  TrainOptions options;
  int exitCode = kExitOk;
  if (!readTrainOptions(args, options, exitCode)) return exitCode;
  StderrReporter reporter;
  Session session;
  if (!prepareSession(session, options, reporter, exitCode)) return exitCode;
  if (options.repeat > 0) return trainRepeatedly(session, options, reporter);
  return trainOnce(session, options, reporter);
}

}  // namespace nodelyx::cli
