// A training run: epochs on a worker thread until a stopping criterion, the
// epoch limit or a stop request, with statistics after every epoch, sampled
// errors for the error plot and a history record at the end. The desktop
// program and the command-line program drive this one implementation.
//
// Threads. start(), finish(), wait() and the destructor run on the GUI
// thread; stop() on any thread (a signal handler's flag included). While
// the session's trainingActive is set the worker owns the network, the
// epoch count and the error samples (see app/session.h): the GUI changes the
// network only through the session, which posts the change to the run
// (postEdit, settingsChanged), and reads it through snapshots, which the
// worker refreshes between epochs when asked. The run's history record is
// appended on the GUI thread when the run is settled: by wait() or
// finish(), or by the session's next operation after the worker has ended.
//
// Ending a run. The sample notification is synchronous: a GUI hands it to
// its own thread and the worker waits for it. A GUI thread that waited for
// the worker inside its event handling would then wait for itself; so a
// GUI ends a run with finish(serviceEvents), which asks the run to stop and
// keeps serving the GUI's events until the worker has ended, then joins.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

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
  // On the GUI thread, inside start(), before the worker begins.
  virtual void trainingStarted() {}
  // On the worker thread after each epoch's statistics.
  virtual void epochFinished(const EpochStatistics&) {}
  // On the worker thread: a sample was stored; the run waits until this
  // returns, so the samples (and the network) may be read meanwhile.
  virtual void sampleStored(const ErrorSamples&) {}
  // On the worker thread, its last call: the run has ended (the session's
  // trainingActive is cleared right after). The history record is not
  // appended yet; settle the run (wait()) to append it.
  virtual void trainingEnded(const RunSummary&) {}
};

class TrainingRun final : public ActiveRun {
 public:
  TrainingRun() = default;
  // Stops and joins a run still going. A GUI finishes the run with
  // finish() first: joining here does not serve its events.
  ~TrainingRun() override;
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
  // Asks the run to stop after the current epoch. Any thread.
  void stop() { keepTraining.store(0); }
  // Waits for the worker to end and settles the run. GUI thread.
  void wait();
  // Stops the run and serves the GUI's events (serviceEvents, called
  // repeatedly; may be empty) until the worker has ended, then settles it.
  // Returns only when nothing of the run is left running. GUI thread.
  void finish(const std::function<void()>& serviceEvents);
  // Whether the worker is running (started and not yet ended).
  bool active() const { return session_ != nullptr && session_->runActive(); }

  // ActiveRun: edits and settings for the coming epochs, in order.
  void postEdit(NetworkEdit edit) override;
  void settingsChanged(const NetworkConfig& config) override;
  void settle() override;

  std::atomic<int> keepTraining{0};

  // Read after the run (or by the observer on the worker thread).
  double trainRmsNow = 0, testRmsNow = 0, xvalRmsNow = 0;
  std::uint32_t xvalSplit = 0;

 private:
  using Edit = std::function<void(Network&, RunSettings&)>;

  void run();
  void applyEdits(RunSettings& settings);
  void trainOneEpoch(const RunSettings& settings, EpochStatistics& stats);
  void measureTesting(const RunSettings& settings, EpochStatistics& stats);
  void measureUntrained(const RunSettings& settings, EpochStatistics& stats);
  void storeSample();
  bool criterionMet(const RunSettings& settings, const EpochStatistics& stats, StopReason& reason) const;
  void wrapUp(RunSummary& summary);
  void post(Edit edit);

  Session* session_ = nullptr;
  TrainingObserver* observer_ = nullptr;
  RunSettings startSettings_;  // the settings at start, before any edit
  std::mutex editsMutex_;      // guards edits_
  std::vector<Edit> edits_;
  std::atomic<std::size_t> pendingEdits_{0};
  TrainingRecord record_;
  std::optional<TrainingRecord> finishedRecord_;  // appended when settled
  std::chrono::steady_clock::time_point firstEpoch_;
  std::thread thread_;
};

}  // namespace nodelyx
