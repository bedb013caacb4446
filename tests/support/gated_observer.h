// Test helper: a training observer that holds the worker in the sample
// notification until the test lets it go, as a GUI thread answering a
// blocking notification would. While it holds the worker the run is surely
// active, and the test thread may look at the network.
#pragma once

#include <condition_variable>
#include <mutex>

#include "app/training_run.h"

namespace nodelyx::testing {

class GatedObserver : public TrainingObserver {
 public:
  void sampleStored(const ErrorSamples&) override {
    std::unique_lock<std::mutex> lock(mutex_);
    held_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return passes_ > 0 || open_; });
    if (passes_ > 0) --passes_;
    held_ = false;
    changed_.notify_all();
  }

  // Waits until the worker is held in a notification (not one already let
  // go).
  void waitUntilHeld() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return held_ && passes_ == 0; });
  }
  // Lets the held notification (or the next one) go.
  void releaseOne() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++passes_;
    changed_.notify_all();
  }
  // Lets every notification go from now on.
  void open() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  // Releases one held notification if there is one; for finish().
  void serve() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (held_ && passes_ == 0) ++passes_;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool held_ = false;
  bool open_ = false;
  int passes_ = 0;
};

}  // namespace nodelyx::testing
