// Carries a training run's notifications from its worker thread to the GUI
// thread. The worker never touches a widget: after each epoch it only stores
// the statistics here and, when no delivery is pending, posts one queued
// call. The GUI thread shows the newest statistics at most about every
// 40 ms, so thousands of epochs a second neither flood the event queue nor
// keep the GUI busy. The end of the run is delivered after the last
// statistics. The GUI thread never waits for the worker, and the worker
// waits for the GUI thread only in sampleStored(), and only while a plot
// that shows the samples is visible: a GUI thread that waits for a run to
// end must serve its events meanwhile.
//
// Construct and destroy on the GUI thread; the run must have ended (and
// its queued calls are dropped) before the bridge is destroyed.
#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <mutex>
#include <utility>

#include "app/training_run.h"

namespace nodelyx {

class RunBridge final : public QObject, public TrainingObserver {
  Q_OBJECT

 public:
  // Both callbacks run on the GUI thread: showStatistics with the newest
  // epoch's statistics, runEnded once per run after its last statistics.
  RunBridge(std::function<void(const EpochStatistics&)> showStatistics, std::function<void()> runEnded,
            QObject* parent = nullptr);

  // The shortest time between two displays of the statistics.
  static constexpr int kDisplayIntervalMs = 40;

  // showSamples runs on the GUI thread for every stored sample while the
  // plots want them, and the run waits for it: it may read the samples and
  // the network. Set before a run starts.
  void setSampleViewer(std::function<void()> showSamples) { showSamples_ = std::move(showSamples); }
  // Whether a window that shows the samples is visible; any thread.
  void setSamplesWanted(bool wanted) { samplesWanted_.store(wanted); }

  // TrainingObserver.
  void trainingStarted() override;
  void epochFinished(const EpochStatistics& stats) override;
  void sampleStored(const ErrorSamples& samples) override;
  void trainingEnded(const RunSummary& summary) override;

 private:
  void deliverEpoch();
  void deliverEnd();
  // Shows the newest statistics when they were not shown yet; true if so.
  bool displayLatest();

  std::function<void(const EpochStatistics&)> showStatistics_;
  std::function<void()> runEnded_;
  std::function<void()> showSamples_;
  std::atomic<bool> samplesWanted_{false};
  QTimer throttle_;  // runs for kDisplayIntervalMs after each display

  std::mutex mutex_;  // guards latest_ and fresh_
  EpochStatistics latest_;
  bool fresh_ = false;  // latest_ has not been shown yet
  // A delivery is pending: a queued call, or the throttle timer that will
  // show what arrives meanwhile. While it is set the worker posts nothing.
  std::atomic<bool> deliveryPending_{false};
};

}  // namespace nodelyx
