#include "engine/pair_worker.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace nodelyx {

std::atomic<int> pairWorkersEnabled{std::thread::hardware_concurrency() >= 2 ? 1 : 0};

namespace {

void relax() {
#if defined(__x86_64__) || defined(__i386__)
  _mm_pause();
#else
  std::this_thread::yield();
#endif
}

// Returns when done(value) holds: spins for some tens of microseconds,
// then sleeps until the value changes.
template <typename Done>
void awaitValue(const std::atomic<std::uint32_t>& value, Done done) {
  constexpr int kSpins = 2000;
  for (int spin = 0; spin < kSpins; ++spin) {
    if (done(value.load(std::memory_order_acquire))) return;
    relax();
  }
  for (;;) {
    const std::uint32_t now = value.load(std::memory_order_acquire);
    if (done(now)) return;
    value.wait(now, std::memory_order_acquire);
  }
}

}  // namespace

PairWorker::PairWorker() : thread_(&PairWorker::serve, this) {}

PairWorker::~PairWorker() {
  wait();
  post(nullptr, nullptr);  // a task without a function ends the thread
  thread_.join();
}

void PairWorker::post(void (*run)(void*), void* context) {
  run_ = run;
  context_ = context;
  posted_.fetch_add(1, std::memory_order_release);
  posted_.notify_one();
}

void PairWorker::wait() {
  const std::uint32_t target = posted_.load(std::memory_order_relaxed);  // only this thread posts
  awaitValue(finished_, [target](std::uint32_t finished) { return finished == target; });
}

void PairWorker::serve() {
  std::uint32_t seen = 0;
  for (;;) {
    awaitValue(posted_, [seen](std::uint32_t posted) { return posted != seen; });
    ++seen;  // the owner posts one task at a time
    if (run_ == nullptr) return;
    run_(context_);
    finished_.store(seen, std::memory_order_release);
    finished_.notify_one();
  }
}

}  // namespace nodelyx
