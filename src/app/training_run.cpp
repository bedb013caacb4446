#include "app/training_run.h"

#include <cmath>

#include "app/network_setup.h"
#include "engine/random.h"
#include "files/c_format.h"

namespace nodelyx {
namespace {

constexpr std::uint32_t kThinAbove = 250;
constexpr std::uint32_t kKeptAfterThinning = 125;

// The settings that go into the run's history record, taken at its start.
TrainingRecord recordTemplate(const NetworkConfig& config) {
  TrainingRecord record;
  const TrainingMethod method = config.trainingMethod();
  record.algorithm = std::string(methodLongName(method));
  switch (method) {
    case TrainingMethod::Rprop:
      record.parameters = {config.rpropIncrease(), config.rpropDecrease(), config.rpropMinStep(),
                           config.rpropMaxStep(), config.rpropInitialStep()};
      break;
    case TrainingMethod::Quickprop:
      record.parameters = {config.learningRate(), config.quickpropMaxGrowth(), 0, 0, 0};
      break;
    case TrainingMethod::DeltaBarDelta:
      record.parameters = {config.dbdIncrease(), config.dbdDecrease(), config.dbdAverage(), 0, 0};
      break;
    default:
      record.parameters = {config.learningRate(), 0, 0, 0, 0};
      break;
  }
  record.momentum = config.momentum();
  record.inputNoise = config.inputNoise();
  record.weightDecay = config.weightDecay();
  record.trainingDataFile = config.trainingFile();
  return record;
}

void thinSamples(ErrorSamples& samples) {
  if (samples.count <= kThinAbove) return;
  for (std::size_t k = 1; k < kKeptAfterThinning; ++k) {
    samples.trainRms[k] = samples.trainRms[2 * k];
    samples.testRms[k] = samples.testRms[2 * k];
    samples.xvalRms[k] = samples.xvalRms[2 * k];
  }
  samples.count = kKeptAfterThinning;
  samples.rescaleNeeded = 1;
  samples.interval *= 2;
}

}  // namespace

RunSettings runSettingsOf(const NetworkConfig& config) {
  RunSettings settings;
  settings.epoch = epochSettingsOf(config);
  settings.maxEpochs = config.maxEpochs();
  settings.crossValidate = config.plotMemorization() != 0;
  settings.enforceTrainingStop = config.enforceTrainingStop() != 0;
  settings.enforceTestingStop = config.enforceTestingStop() != 0;
  settings.rmsErrorStop = config.rmsErrorStop();
  settings.percentCorrectStop = config.percentCorrectStop();
  settings.maxRmsErrorStop = config.maxRmsErrorStop();
  settings.maxErrorStop = config.maxErrorStop();
  return settings;
}

std::string_view stopReasonName(StopReason reason) {
  switch (reason) {
    case StopReason::EpochLimit:
      return "epoch limit";
    case StopReason::TrainingRmsError:
      return "training RMS error";
    case StopReason::TrainingPercentCorrect:
      return "training percent correct";
    case StopReason::TrainingMaxRmsError:
      return "training max RMS error";
    case StopReason::TrainingMaxError:
      return "training max error";
    case StopReason::TestingRmsError:
      return "testing RMS error";
    case StopReason::TestingPercentCorrect:
      return "testing percent correct";
    case StopReason::TestingMaxRmsError:
      return "testing max RMS error";
    case StopReason::TestingMaxError:
      return "testing max error";
    case StopReason::Stopped:
      return "interrupt";
    case StopReason::Diverged:
      return "divergence";
  }
  return "";
}

TrainingRun::~TrainingRun() {
  stop();
  wait();
}

void TrainingRun::wait() {
  if (thread_.joinable()) thread_.join();
  settle();
}

void TrainingRun::finish(const std::function<void()>& serviceEvents) {
  stop();
  // The worker may be waiting for the GUI thread in a notification; serving
  // the GUI's events lets it go on to its end.
  while (active()) {
    if (serviceEvents) serviceEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  wait();
}

void TrainingRun::settle() {
  if (thread_.joinable()) thread_.join();
  if (session_ == nullptr) return;
  Session& session = *session_;
  // Edits made after the worker's last look at the queue still reach the
  // network, in their order, before anything newer.
  RunSettings unused = startSettings_;
  if (session.network) applyEdits(unused);
  if (finishedRecord_) appendRecord(session.history, std::move(*finishedRecord_));
  finishedRecord_.reset();
  session.attachRun(nullptr);
  session_ = nullptr;
}

void TrainingRun::post(Edit edit) {
  std::lock_guard<std::mutex> lock(editsMutex_);
  edits_.push_back(std::move(edit));
  pendingEdits_.store(edits_.size(), std::memory_order_release);
}

void TrainingRun::postEdit(NetworkEdit edit) {
  post([edit = std::move(edit)](Network& net, RunSettings&) { edit(net); });
}

void TrainingRun::settingsChanged(const NetworkConfig& config) {
  post([settings = runSettingsOf(config)](Network&, RunSettings& current) { current = settings; });
}

void TrainingRun::applyEdits(RunSettings& settings) {
  // An epoch without edits pays one atomic load.
  if (pendingEdits_.load(std::memory_order_acquire) == 0) return;
  std::vector<Edit> edits;
  {
    std::lock_guard<std::mutex> lock(editsMutex_);
    edits.swap(edits_);
    pendingEdits_.store(0, std::memory_order_release);
  }
  for (const Edit& edit : edits) edit(*session_->network, settings);
}

bool TrainingRun::start(Session& session, TrainingObserver* observer, Reporter& reporter) {
  session.settleRun();
  if (session.runActive()) return false;
  wait();
  if (!session.trainingDataLoaded()) {
    reporter.report("Error", "Training Data not loaded", MessageIcon::Error);
    return false;
  }
  const NetworkConfig& config = session.config;
  if (methodLongName(config.trainingMethod()).empty()) {
    // An unknown code would train nothing and leave a nameless record.
    reporter.report("Error",
                    formatC("The training method %d is not one of the six: 1 Online Backprop, 2 Batch "
                            "Backprop, 3 RPROP, 4 QuickProp, 5 Delta-Bar-Delta, 6 Online Backprop - Rand.",
                            static_cast<int>(config.trainingMethod())),
                    MessageIcon::Error);
    return false;
  }
  if (!session.network && !session.buildNetwork(reporter)) return false;
  Network& net = *session.network;
  net.setTrainingMethod(config.trainingMethod(), adaptiveSettingsOf(config));
  if (session.ratesResetPending) {
    net.setLearningRate(config.learningRate());
    session.ratesResetPending = false;
  }
  net.setMomentum(config.momentum());
  net.setWeightLimits(config.minWeight(), config.maxWeight());
  net.setInputNoise(config.inputNoise());
  net.setWeightDecay(config.weightDecay());
  applyActivationChoices(config, net);
  net.mergeDataRanges(session.scaling);
  if (session.scaling.mode == ScalingMode::Auto)
    rebuildScalingRecord(session.scaling, config.inputCount(), config.outputCount(), session.trainingSet,
                         config.outputActivation());

  trainRmsNow = config.rmsErrorStop() + 1.0;
  testRmsNow = xvalRmsNow = 0.0;
  session.samples.rescaleNeeded = 1;
  xvalSplit = static_cast<std::uint32_t>(std::trunc(session.trainingSet.patternCount * 0.9));
  if (config.plotMemorization() != 0 && xvalSplit == 0)
    reporter.report("Warning",
                    "Cross-validation needs at least two training patterns.\nThis run trains on the one "
                    "pattern without cross-validation.",
                    MessageIcon::Warning);
  startSettings_ = runSettingsOf(config);
  record_ = recordTemplate(config);
  finishedRecord_.reset();
  {
    std::lock_guard<std::mutex> lock(editsMutex_);
    edits_.clear();
    pendingEdits_.store(0);
  }
  session_ = &session;
  observer_ = observer;

  keepTraining.store(1);
  session.networkModified = session.weightsModified = true;
  session.trainingActive.store(1);
  session.attachRun(this);
  if (observer_) observer_->trainingStarted();
  thread_ = std::thread(&TrainingRun::run, this);
  return true;
}

void TrainingRun::run() {
  seedRandom(1);  // every run draws the same noise and pattern order
  firstEpoch_ = std::chrono::steady_clock::now();
  RunSummary summary;
  EpochStatistics stats;
  Session& session = *session_;
  RunSettings settings = startSettings_;
  bool epochRan = false;
  if (keepTraining.load() != 0) {
    for (;;) {
      applyEdits(settings);
      thinSamples(session.samples);
      if (static_cast<long long>(session.epochCount) >= settings.maxEpochs) {
        summary.reason = StopReason::EpochLimit;
        break;
      }
      trainOneEpoch(settings, stats);
      epochRan = true;
      ++summary.epochsRun;
      stats.epoch = ++session.epochCount;
      measureTesting(settings, stats);
      session.snapshots.offer(*session.network, session.epochCount);
      if (observer_) observer_->epochFinished(stats);
      if ((session.epochCount - 1) % session.samples.interval == 0) storeSample();
      if (criterionMet(settings, stats, summary.reason)) break;
      if (!std::isfinite(stats.trainRms)) {
        // No update recovers from a NaN or infinite error; going on would
        // only burn the remaining epochs.
        summary.reason = StopReason::Diverged;
        break;
      }
      if (keepTraining.load() == 0) {
        summary.reason = StopReason::Stopped;
        break;
      }
    }
  } else {
    summary.reason = StopReason::Stopped;
  }
  if (!epochRan) measureUntrained(settings, stats);
  summary.last = stats;
  wrapUp(summary);
}

void TrainingRun::measureUntrained(const RunSettings& settings, EpochStatistics& stats) {
  Session& session = *session_;
  Network& net = *session.network;
  const PatternView all = session.trainingSet.view();
  stats.epoch = session.epochCount;
  stats.trainRms = net.evaluate(all, settings.epoch.errorMargin);
  stats.trainMaxPatternRms = net.maxPatternRms;
  stats.trainMaxError = net.maxError;
  stats.trainCorrect = net.correctCount;
  stats.trainPercent = net.correctCount * 100.0 / all.count();
  trainRmsNow = stats.trainRms;
  measureTesting(settings, stats);
}

void TrainingRun::trainOneEpoch(const RunSettings& settings, EpochStatistics& stats) {
  Session& session = *session_;
  Network& net = *session.network;
  const PatternView all = session.trainingSet.view();
  EpochSettings epoch = settings.epoch;
  epoch.anotherEpochLikely = static_cast<long long>(session.epochCount) + 1 < settings.maxEpochs;
  double rms = 0.0;
  if (!settings.crossValidate || xvalSplit == 0) {
    rms = net.trainEpoch(all, epoch);
    stats.trainPercent = net.correctCount * 100.0 / all.count();
    xvalRmsNow = 0.0;
  } else {
    xvalRmsNow = net.evaluate(all.slice(xvalSplit, all.count() - xvalSplit), settings.epoch.errorMargin);
    rms = net.trainEpoch(all.slice(0, xvalSplit), epoch);
    stats.trainPercent = static_cast<double>(net.correctCount) / xvalSplit * 100.0;
  }
  trainRmsNow = rms;
  stats.trainRms = rms;
  stats.trainMaxPatternRms = net.maxPatternRms;
  stats.trainMaxError = net.maxError;
  stats.trainCorrect = net.correctCount;
  stats.xvalRms = xvalRmsNow;
}

void TrainingRun::measureTesting(const RunSettings& settings, EpochStatistics& stats) {
  Session& session = *session_;
  if (!session.testingDataLoaded() || !session.testingSet.hasTargets()) {
    testRmsNow = 0.0;
    stats.testMeasured = false;
    return;
  }
  Network& net = *session.network;
  testRmsNow = net.evaluate(session.testingSet.view(), settings.epoch.errorMargin);
  stats.testMeasured = true;
  stats.testRms = testRmsNow;
  stats.testMaxPatternRms = net.maxPatternRms;
  stats.testMaxError = net.maxError;
  stats.testCorrect = net.correctCount;
  stats.testPercent = net.correctCount * 100.0 / session.testingSet.patternCount;
}

void TrainingRun::storeSample() {
  ErrorSamples& samples = session_->samples;
  samples.trainRms[samples.count] = trainRmsNow;
  samples.testRms[samples.count] = testRmsNow;
  samples.xvalRms[samples.count] = xvalRmsNow;
  ++samples.count;
  if (observer_) observer_->sampleStored(samples);
}

bool TrainingRun::criterionMet(const RunSettings& settings, const EpochStatistics& stats,
                               StopReason& reason) const {
  const auto check = [&](double rms, double percent, double maxPatternRms, double maxError,
                         StopReason firstReason) {
    const int offset = rms <= settings.rmsErrorStop                   ? 0
                       : percent >= settings.percentCorrectStop       ? 1
                       : maxPatternRms <= settings.maxRmsErrorStop    ? 2
                       : std::fabs(maxError) <= settings.maxErrorStop ? 3
                                                                      : -1;
    if (offset >= 0) reason = static_cast<StopReason>(static_cast<int>(firstReason) + offset);
    return offset >= 0;
  };
  if (settings.enforceTrainingStop && check(stats.trainRms, stats.trainPercent, stats.trainMaxPatternRms,
                                            stats.trainMaxError, StopReason::TrainingRmsError))
    return true;
  const Session& session = *session_;
  return settings.enforceTestingStop && session.testingDataLoaded() && session.testingSet.hasTargets() &&
         check(testRmsNow, stats.testPercent, stats.testMaxPatternRms, stats.testMaxError,
               StopReason::TestingRmsError);
}

void TrainingRun::wrapUp(RunSummary& summary) {
  keepTraining.store(0);
  Session& session = *session_;
  if (summary.epochsRun > 0) {
    TrainingRecord record = record_;
    record.lastEpoch = session.epochCount;
    record.finalRmsError = trainRmsNow;
    record.finalMaxError = summary.last.trainMaxError;
    record.date = currentTimestamp();  // the end of the run, not the time it is settled
    finishedRecord_ = std::move(record);
  }
  // A last copy for the readers: the network as the run leaves it.
  session.snapshots.offer(*session.network, session.epochCount);
  summary.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - firstEpoch_).count();
  if (observer_) observer_->trainingEnded(summary);
  session.trainingActive.store(0);
}

}  // namespace nodelyx
