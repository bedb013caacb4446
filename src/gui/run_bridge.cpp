#include "gui/run_bridge.h"

#include <utility>

namespace nodelyx {

RunBridge::RunBridge(std::function<void(const EpochStatistics&)> showStatistics,
                     std::function<void()> runEnded, QObject* parent)
    : QObject(parent), showStatistics_(std::move(showStatistics)), runEnded_(std::move(runEnded)) {
  throttle_.setSingleShot(true);
  throttle_.setInterval(kDisplayIntervalMs);
  connect(&throttle_, &QTimer::timeout, this, [this] {
    // Clear the flag before reading, so an epoch stored after the read
    // posts a delivery of its own.
    deliveryPending_.store(false);
    displayLatest();
  });
}

void RunBridge::trainingStarted() {
  throttle_.stop();
  std::lock_guard<std::mutex> lock(mutex_);
  fresh_ = false;
  deliveryPending_.store(false);
}

void RunBridge::epochFinished(const EpochStatistics& stats) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    latest_ = stats;
    fresh_ = true;
  }
  if (!deliveryPending_.exchange(true)) {
    QMetaObject::invokeMethod(this, &RunBridge::deliverEpoch, Qt::QueuedConnection);
  }
}

void RunBridge::sampleStored(const ErrorSamples&) {
  // The worker waits for this call; the plots read the samples and the
  // weights on the GUI thread meanwhile. With no plot shown, it goes on.
  if (!samplesWanted_.load() || !showSamples_) return;
  QMetaObject::invokeMethod(
      this, [this] { showSamples_(); }, Qt::BlockingQueuedConnection);
}

void RunBridge::trainingEnded(const RunSummary&) {
  QMetaObject::invokeMethod(this, &RunBridge::deliverEnd, Qt::QueuedConnection);
}

void RunBridge::deliverEpoch() {
  // While the throttle runs it shows the newest statistics when it fires;
  // the flag stays set so the worker does not post meanwhile.
  if (throttle_.isActive()) return;
  deliveryPending_.store(false);
  displayLatest();
}

void RunBridge::deliverEnd() {
  throttle_.stop();
  deliveryPending_.store(false);
  displayLatest();
  throttle_.stop();
  runEnded_();
}

bool RunBridge::displayLatest() {
  EpochStatistics stats;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!fresh_) return false;
    stats = latest_;
    fresh_ = false;
  }
  showStatistics_(stats);
  throttle_.start();
  return true;
}

}  // namespace nodelyx
