// Measures the processor's clock rate by counting its cycles over a span of
// the high-resolution performance counter. The algorithms run over a
// ClockSource so tests can script the counters; measureClock() uses the
// real ones. Call from one thread at a time (the real source briefly raises
// the calling thread's priority); it blocks for about 3 to 25 ms.
#pragma once

#include <cstdint>

#include "about/processor.h"

namespace nodelyx {

// All zeros when nothing could be measured.
struct ClockMeasurement {
  std::uint32_t totalCycles = 0;
  std::uint32_t totalMicroseconds = 0;
  std::uint32_t rawMhz = 0;         // cycles / microseconds, truncated
  std::uint32_t normalizedMhz = 0;  // rounded; what the About box shows

  bool operator==(const ClockMeasurement&) const = default;
};

// The counters a measurement reads.
class ClockSource {
 public:
  virtual ~ClockSource() = default;
  // Ticks per second of the performance counter; 0 when there is none.
  virtual std::uint64_t counterFrequency() = 0;
  virtual std::uint64_t counterTicks() = 0;
  // The processor's cycle counter.
  virtual std::uint64_t timeStampCounter() = 0;
  // Runs the timing loop: iterations (> 0) of one bit scan plus the loop's
  // decrement and branch.
  virtual void runTimingLoop(std::uint32_t iterations) = 0;
  // Bracket each timed span. Raising may fail; restore must then do nothing.
  virtual void raisePriority() {}
  virtual void restorePriority() {}
};

// Tries of the counter method: it stops once three readings agree, and
// after this many tries at the latest.
inline constexpr int kMaxCounterTries = 20;
// Performance-counter ticks of the settling span and the timed span of a try.
inline constexpr std::uint64_t kSettleTicks = 50;
inline constexpr std::uint64_t kTimedTicks = 1000;
// Iterations and repetitions of the loop method.
inline constexpr std::uint32_t kTimingLoopIterations = 4000;
inline constexpr int kTimingLoopRepeats = 10;

// Microseconds of a tick count: ticks * 100000 / (frequency / 10), truncated
// (unrounded), then plus 1 when that value mod frequency exceeds half the
// frequency (rounded). frequency must be at least 10.
std::uint64_t unroundedMicroseconds(std::uint64_t ticks, std::uint64_t frequency);
std::uint64_t roundedMicroseconds(std::uint64_t ticks, std::uint64_t frequency);

// A rate in MHz from totals, rounded up from .6 of a MHz (tenths of a MHz
// rounded up from .06 first). 0 when microseconds is 0.
std::uint32_t normalizedRate(std::uint64_t cycles, std::uint64_t microseconds);

// Cycles per iteration of the timing loop by family; 0 where there is no
// entry (the family is then not measured by the loop method).
std::uint32_t cyclesPerLoopIteration(int family);

// The counter method: repeated tries until three readings agree.
ClockMeasurement measureWithCounter(ClockSource& source);
// The loop method: the fastest of ten timing-loop runs of a known cycle count.
ClockMeasurement measureWithLoop(ClockSource& source, std::uint32_t cyclesPerIteration);

// Chooses the method for these facts: the counter method for any processor
// with a time-stamp counter, the loop method for a genuine Intel processor
// of a family in the table, otherwise all zeros.
ClockMeasurement measureClock(const ProcessorFacts& facts, ClockSource& source);

// Measures this processor with the real counters.
ClockMeasurement measureClock();

}  // namespace nodelyx
