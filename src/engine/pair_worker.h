// A second thread that takes one task at a time while the calling thread
// does its own share: start(task), the caller's work, wait(). Both sides
// spin briefly before they sleep, because the tasks of a training pass
// come every few microseconds and waking a sleeping thread costs more
// than that; between passes the thread sleeps.
//
// One thread owns a PairWorker (calls start and wait). Everything that
// thread wrote before start is visible to the task, and everything the
// task wrote is visible after wait.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

namespace nodelyx {

class PairWorker {
 public:
  PairWorker();  // starts the thread; throws std::system_error when it cannot
  ~PairWorker();
  PairWorker(const PairWorker&) = delete;
  PairWorker& operator=(const PairWorker&) = delete;

  // Runs task() on the second thread. The task must outlive the next wait(),
  // which must come before the next start.
  template <typename Task>
  void start(Task& task) {
    post(&call<Task>, &task);
  }
  // Returns when the task started last has finished.
  void wait();

 private:
  template <typename Task>
  static void call(void* task) {
    (*static_cast<Task*>(task))();
  }
  void post(void (*run)(void*), void* context);
  void serve();

  void (*run_)(void*) = nullptr;
  void* context_ = nullptr;
  alignas(64) std::atomic<std::uint32_t> posted_{0};
  alignas(64) std::atomic<std::uint32_t> finished_{0};
  std::thread thread_;
};

// Whether an online pass may share a large layer's work with a second
// thread (the results are the same bits either way). On by default on a
// processor with two cores or more; off where several runs already share
// the cores.
extern std::atomic<int> pairWorkersEnabled;

}  // namespace nodelyx
