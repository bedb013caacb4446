// A training run: epochs on a worker thread until a stopping criterion, the
// epoch limit or a stop request, with statistics after every epoch, sampled
// errors for the error plot and a history record at the end. The desktop
// program and the command-line program drive this one implementation.
//
// Threads: start() runs on the GUI thread, which must leave the session
// alone while trainingActive is set (it may call stop() and
// updateSettings()). The observer is called on the worker thread; a GUI
// marshals the calls onto its own thread, sampleStored synchronously.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string_view>
#include <thread>

#include "app/session.h"
#include "engine/training_settings.h"
#include "files/training_history.h"

namespace nodelyx {

// What the epoch loop reads from the settings record.
struct RunSettings {
  EpochSettings epoch;
  std::int32_t maxEpochs = 100000;
  bool crossValidate = false;
  bool enforceTrainingStop = true;
  bool enforceTestingStop = true;
  double rmsErrorStop = 0.01;
  double percentCorrectStop = 100;
  double maxRmsErrorStop = 0.01;
  double maxErrorStop = 0.01;
};
RunSettings runSettingsOf(const NetworkConfig& config);

// The statistics fields after an epoch.
struct EpochStatistics {
  std::uint32_t epoch = 0;
  double trainRms = 0, trainMaxPatternRms = 0, trainMaxError = 0, trainPercent = 0;
  std::uint32_t trainCorrect = 0;
  bool testMeasured = false;  // false: the testing fields keep their values
  double testRms = 0, testMaxPatternRms = 0, testMaxError = 0, testPercent = 0;
  std::uint32_t testCorrect = 0;
  double xvalRms = 0;
};

enum class StopReason {
  EpochLimit,
  TrainingRmsError,
  TrainingPercentCorrect,
  TrainingMaxRmsError,
  TrainingMaxError,
  TestingRmsError,
  TestingPercentCorrect,
  TestingMaxRmsError,
  TestingMaxError,
  Stopped,   // keepTraining was cleared
  Diverged,  // the training error is no longer a finite number
};
std::string_view stopReasonName(StopReason reason);

struct RunSummary {
  StopReason reason = StopReason::EpochLimit;
  std::uint32_t epochsRun = 0;  // in this run
  // Of the last epoch; when no epoch ran, the network measured as it is
  // (its errors on the training set and, when it has targets, the testing
  // set).
  EpochStatistics last;
  double seconds = 0;  // from the first epoch to the end of the wrap-up
};

class TrainingObserver {
 public:
  virtual ~TrainingObserver() = default;
  virtual void trainingStarted() {}
  virtual void epochFinished(const EpochStatistics&) {}
  // A sample was stored; the run waits until this returns.
  virtual void sampleStored(const ErrorSamples&) {}
  virtual void trainingEnded(const RunSummary&) {}
};

class TrainingRun {
 public:
  TrainingRun() = default;
  ~TrainingRun();  // stops and joins a run still going
  TrainingRun(const TrainingRun&) = delete;
  TrainingRun& operator=(const TrainingRun&) = delete;

  // The start sequence (builds a network when there is none, configures it
  // from the settings, merges the scaling ranges) and the worker. False,
  // after a message, when there is no training set, the method code is not
  // one of the six, no network can be built, or a run is already active.
  // Cross-validation needs two training patterns: with fewer the run trains
  // on all of them and says so. The session must outlive the run.
  //
  // The run ends at a stopping criterion, the epoch limit, a stop request,
  // or when the training error stops being a finite number (divergence). A
  // run that trains no epoch adds no history record.
  bool start(Session& session, TrainingObserver* observer, Reporter& reporter);
  // Asks the run to stop after the current epoch.
  void stop() { keepTraining.store(0); }
  // Waits for the worker to end.
  void wait();
  // New settings for the epochs still to come.
  void updateSettings(const RunSettings& settings);

  std::atomic<int> keepTraining{0};
  std::atomic<int> trainingActive{0};

  // Read after the run (or by the observer on the worker thread).
  double trainRmsNow = 0, testRmsNow = 0, xvalRmsNow = 0;
  std::uint32_t xvalSplit = 0;

 private:
  void run();
  void trainOneEpoch(const RunSettings& settings, EpochStatistics& stats);
  void measureTesting(const RunSettings& settings, EpochStatistics& stats);
  void measureUntrained(const RunSettings& settings, EpochStatistics& stats);
  void storeSample();
  bool criterionMet(const RunSettings& settings, const EpochStatistics& stats, StopReason& reason) const;
  void wrapUp(RunSummary& summary);
  RunSettings currentSettings();

  Session* session_ = nullptr;
  TrainingObserver* observer_ = nullptr;
  std::mutex settingsMutex_;
  RunSettings settings_;
  TrainingRecord record_;
  std::chrono::steady_clock::time_point firstEpoch_;
  std::thread thread_;
};

}  // namespace nodelyx
