#include "about/clock_measurement.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <limits>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#define NODELYX_X86 1
#else
#define NODELYX_X86 0
#endif

#if defined(__linux__)
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace nodelyx {
namespace {

// Below this the tick-to-microsecond formula would divide by zero.
constexpr std::uint64_t kMinCounterFrequency = 10;

struct TimedSpan {
  std::uint64_t ticks = 0;
  std::uint32_t cycles = 0;
};

// One try: settle onto a fresh counter tick, then count cycles across
// kTimedTicks ticks. Both ends are taken right after the counter moved, so
// the span is a whole number of ticks to within one read of the counters.
TimedSpan timeOneSpan(ClockSource& source) {
  const std::uint64_t t0 = source.counterTicks();
  source.raisePriority();
  std::uint64_t start = 0, c0 = 0;
  do {
    start = source.counterTicks();
    c0 = source.timeStampCounter();
  } while (start - t0 < kSettleTicks);
  std::uint64_t now = 0, c1 = 0;
  do {
    now = source.counterTicks();
    c1 = source.timeStampCounter();
  } while (now - start < kTimedTicks);
  source.restorePriority();
  return {now - start, static_cast<std::uint32_t>(c1 - c0)};
}

// cycles / microseconds, rounded to nearest (a half rounds down).
std::uint64_t roundedQuotient(std::uint64_t cycles, std::uint64_t microseconds) {
  if (microseconds == 0) return 0;
  return cycles / microseconds + (cycles % microseconds > microseconds / 2 ? 1 : 0);
}

// Three readings agree when each lies within 4/3 MHz of their mean.
bool readingsAgree(const std::uint64_t (&readings)[3]) {
  const auto sum = static_cast<long long>(readings[0] + readings[1] + readings[2]);
  return std::all_of(std::begin(readings), std::end(readings),
                     [sum](std::uint64_t r) { return std::llabs(3 * static_cast<long long>(r) - sum) < 4; });
}

std::uint32_t saturate(std::uint64_t value) {
  return static_cast<std::uint32_t>(
      std::min<std::uint64_t>(value, std::numeric_limits<std::uint32_t>::max()));
}

// Totals are summed in 64 bits: a try held up by the scheduler must not wrap
// the total and spoil the rate.
ClockMeasurement fromTotals(std::uint64_t cycles, std::uint64_t microseconds) {
  if (microseconds == 0) return {};
  return {saturate(cycles), saturate(microseconds), saturate(cycles / microseconds),
          normalizedRate(cycles, microseconds)};
}

#if defined(__linux__)
// The highest scheduling priority. Without the privilege to take it the raise
// fails and the measurement simply runs at the normal priority.
constexpr int kTimeCriticalNice = -20;
#endif

class SystemClockSource final : public ClockSource {
 public:
  // One tick is one microsecond: the counter method's 1000-tick span is then
  // about a millisecond, long enough that one read of the clock (tens of
  // nanoseconds) hardly matters, short enough that 20 tries stay quick.
  std::uint64_t counterFrequency() override { return 1'000'000; }

  std::uint64_t counterTicks() override {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
  }

  std::uint64_t timeStampCounter() override {
#if NODELYX_X86
    return __rdtsc();
#else
    return 0;
#endif
  }

  void runTimingLoop(std::uint32_t iterations) override {
#if NODELYX_X86
    std::uint32_t count = iterations;
    std::uint32_t scratch = 0;
    const std::uint32_t value = 0x80000000u;
    asm volatile(
        "1:\n\t"
        "bsf %[value], %[scratch]\n\t"
        "dec %[count]\n\t"
        "jnz 1b"
        : [count] "+r"(count), [scratch] "=&r"(scratch)
        : [value] "r"(value)
        : "cc");
#else
    (void)iterations;
#endif
  }

  void raisePriority() override {
#if defined(__linux__)
    thread_ = gettid();
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, static_cast<id_t>(thread_));
    if (errno != 0) return;  // priority unknown: leave it alone
    savedNice_ = current;
    raised_ = setpriority(PRIO_PROCESS, static_cast<id_t>(thread_), kTimeCriticalNice) == 0;
#endif
  }

  void restorePriority() override {
#if defined(__linux__)
    if (raised_) setpriority(PRIO_PROCESS, static_cast<id_t>(thread_), savedNice_);
    raised_ = false;
#endif
  }

 private:
#if defined(__linux__)
  bool raised_ = false;
  int savedNice_ = 0;
  pid_t thread_ = 0;
#endif
};

}  // namespace

std::uint64_t unroundedMicroseconds(std::uint64_t ticks, std::uint64_t frequency) {
  assert(frequency >= kMinCounterFrequency);
  return ticks * 100000 / (frequency / 10);
}

std::uint64_t roundedMicroseconds(std::uint64_t ticks, std::uint64_t frequency) {
  const std::uint64_t t = unroundedMicroseconds(ticks, frequency);
  return t + (t % frequency > frequency / 2 ? 1 : 0);
}

std::uint32_t normalizedRate(std::uint64_t cycles, std::uint64_t microseconds) {
  if (microseconds == 0) return 0;
  const std::uint64_t raw = cycles / microseconds;
  std::uint64_t tenths = cycles * 10 / microseconds;
  if (cycles * 100 / microseconds - tenths * 10 >= 6) ++tenths;
  return saturate(raw + (tenths - raw * 10 >= 6 ? 1 : 0));
}

std::uint32_t cyclesPerLoopIteration(int family) {
  switch (family) {
    case 3:
      return 115;
    case 4:
      return 47;
    case 5:
      return 43;
    case 6:
    case 7:
      return 38;
    default:
      return 0;
  }
}

ClockMeasurement measureWithCounter(ClockSource& source) {
  const std::uint64_t frequency = source.counterFrequency();
  if (frequency < kMinCounterFrequency) return {};
  std::uint64_t totalCycles = 0, totalMicroseconds = 0;
  std::uint64_t readings[3] = {};  // the last three, newest last
  for (int tryNumber = 1; tryNumber <= kMaxCounterTries; ++tryNumber) {
    const TimedSpan span = timeOneSpan(source);
    totalCycles += span.cycles;
    totalMicroseconds += unroundedMicroseconds(span.ticks, frequency);
    readings[0] = readings[1];
    readings[1] = readings[2];
    readings[2] = roundedQuotient(span.cycles, roundedMicroseconds(span.ticks, frequency));
    if (tryNumber >= 3 && readingsAgree(readings)) break;
  }
  return fromTotals(totalCycles, totalMicroseconds);
}

ClockMeasurement measureWithLoop(ClockSource& source, std::uint32_t cyclesPerIteration) {
  const std::uint64_t frequency = source.counterFrequency();
  if (frequency < kMinCounterFrequency || cyclesPerIteration == 0) return {};
  std::uint64_t fastest = std::numeric_limits<std::uint64_t>::max();
  for (int run = 0; run < kTimingLoopRepeats; ++run) {
    const std::uint64_t before = source.counterTicks();
    source.runTimingLoop(kTimingLoopIterations);
    fastest = std::min(fastest, source.counterTicks() - before);
  }
  const std::uint64_t microseconds = roundedMicroseconds(fastest, frequency);
  if (microseconds == 0) return {};
  const std::uint64_t cycles = std::uint64_t{cyclesPerIteration} * kTimingLoopIterations;
  return {saturate(cycles), saturate(microseconds), saturate(cycles / microseconds),
          saturate(roundedQuotient(cycles, microseconds))};
}

ClockMeasurement measureClock(const ProcessorFacts& facts, ClockSource& source) {
  if (!facts.identified) return {};
  if (facts.hasTimeStampCounter()) return measureWithCounter(source);
  // The loop's cycle counts are those of Intel's processors; on another
  // vendor's they would give a wrong rate, so such a processor shows none.
  if (facts.genuineIntel()) return measureWithLoop(source, cyclesPerLoopIteration(facts.family()));
  return {};
}

ClockMeasurement measureClock() {
  SystemClockSource source;
  return measureClock(readProcessorFacts(), source);
}

}  // namespace nodelyx
