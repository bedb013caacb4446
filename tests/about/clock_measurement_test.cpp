#include "about/clock_measurement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ostream>
#include <vector>

#include "about/system_info.h"

namespace nodelyx {

void PrintTo(const ClockMeasurement& m, std::ostream* out) {
  *out << "{" << m.totalCycles << ", " << m.totalMicroseconds << ", " << m.rawMhz << ", " << m.normalizedMhz
       << "}";
}

namespace {

// Counters that follow a script. Every read of the performance counter moves
// time on by one tick; at the default frequency a tick is a microsecond, so
// the time-stamp counter gains the try's MHz in cycles per read. A try
// begins with its priority raise. A timing-loop run takes its scripted ticks.
class ScriptedSource final : public ClockSource {
 public:
  explicit ScriptedSource(std::vector<std::uint32_t> mhzPerTry, std::vector<std::uint64_t> loopTicks = {999},
                          std::uint64_t frequency = 1'000'000)
      : mhz_(std::move(mhzPerTry)), loopTicks_(std::move(loopTicks)), frequency_(frequency) {}

  std::uint64_t counterFrequency() override { return frequency_; }
  std::uint64_t counterTicks() override {
    cycles_ += rate_;
    return ++ticks_;
  }
  std::uint64_t timeStampCounter() override { return cycles_; }
  void runTimingLoop(std::uint32_t iterations) override {
    EXPECT_EQ(iterations, kTimingLoopIterations);
    ticks_ += loopTicks_[std::min(loopRuns_++, loopTicks_.size() - 1)];
  }
  void raisePriority() override {
    EXPECT_FALSE(raised_);
    raised_ = true;
    rate_ = mhz_.empty() ? 0 : mhz_[std::min(tries_, mhz_.size() - 1)];
    ++tries_;
  }
  void restorePriority() override {
    EXPECT_TRUE(raised_);
    raised_ = false;
  }

  std::size_t tries() const { return tries_; }
  bool raised() const { return raised_; }

 private:
  std::vector<std::uint32_t> mhz_;
  std::vector<std::uint64_t> loopTicks_;
  std::uint64_t frequency_;
  std::uint64_t ticks_ = 5'000'000, cycles_ = 0xFFFF'FFFF'FF00'0000;  // both wrap during the run
  std::uint64_t rate_ = 0;
  std::size_t tries_ = 0, loopRuns_ = 0;
  bool raised_ = false;
};

TEST(ClockCounterMethodTest, StopsWhenThreeReadingsAgreeOrAfterTwentyTries) {
  struct Case {
    const char* name;
    std::vector<std::uint32_t> mhz;
    std::size_t tries;
    ClockMeasurement expected;
    std::uint64_t frequency = 1'000'000;
  };
  const Case cases[] = {
      {"agree at once", {300, 301, 299}, 3, {900'000, 3000, 300, 300}},
      {"one reading off by 4/3 of the mean", {300, 300, 302, 302}, 5, {1'506'000, 5000, 301, 301}},
      {"agree after a stray", {300, 320, 301, 302, 300}, 5, {1'523'000, 5000, 304, 305}},
      {"keep varying", {300, 310}, 20, {6'100'000, 20000, 305, 305}},
      {"a stopped cycle counter", {0}, 3, {0, 3000, 0, 0}},
      // 25 us ticks: a try's 25000 us are read as 25001, the totals add 25000.
      {"coarse ticks", {7500}, 3, {22'500'000, 75'000, 300, 300}, 40'000},
  };
  for (const Case& c : cases) {
    std::vector<std::uint32_t> script = c.mhz;
    if (c.tries == 20) {  // alternate for ever
      script.clear();
      for (int i = 0; i < 30; ++i) script.push_back(c.mhz[i % 2]);
    }
    ScriptedSource source(script, {999}, c.frequency);
    EXPECT_EQ(measureWithCounter(source), c.expected) << c.name;
    EXPECT_EQ(source.tries(), c.tries) << c.name;
    EXPECT_FALSE(source.raised()) << c.name;
  }
}

TEST(ClockArithmeticTest, MicrosecondsFromTicks) {
  struct Case {
    std::uint64_t ticks, frequency, unrounded, rounded;
  };
  const Case cases[] = {
      {1000, 1'000'000, 1000, 1000},
      {1000, 1'193'182, 838, 838},  // 838.08
      {500'000, 1'000'000, 500'000, 500'000},
      {600'000, 1'000'000, 600'000, 600'001},  // more than half the frequency: plus one
      {1500, 1000, 1'500'000, 1'500'000},
      {1, 3'579'545, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(unroundedMicroseconds(c.ticks, c.frequency), c.unrounded) << c.ticks << "@" << c.frequency;
    EXPECT_EQ(roundedMicroseconds(c.ticks, c.frequency), c.rounded) << c.ticks << "@" << c.frequency;
  }
}

TEST(ClockArithmeticTest, NormalizedRateRoundsUpFromSixTenths) {
  const std::tuple<std::uint64_t, std::uint64_t, std::uint32_t> cases[] = {
      {2'999'600, 1000, 3000},             // 2999.6
      {2'999'500, 1000, 2999},             // 2999.5
      {2'999'560, 1000, 3000},             // 2999.56: tenths become .6
      {2'999'550, 1000, 2999},             // 2999.55: tenths stay .5
      {2'999'960, 1000, 3000},             // 2999.96
      {60'000'000'000, 20000, 3'000'000},  // no overflow of cycles * 100
      {5, 0, 0},
  };
  for (const auto& [cycles, microseconds, mhz] : cases)
    EXPECT_EQ(normalizedRate(cycles, microseconds), mhz) << cycles << "/" << microseconds;
}

TEST(ClockLoopMethodTest, TimesTheFastestOfTenRuns) {
  struct Case {
    const char* name;
    std::uint32_t cyclesPerIteration;
    std::vector<std::uint64_t> loopTicks;  // the counter reads add one more
    std::uint64_t frequency;
    ClockMeasurement expected;
  };
  const Case cases[] = {
      {"family 5", 43, {1500, 1200, 999, 1100}, 1'000'000, {172'000, 1000, 172, 172}},
      {"rounds the rate", 38, {899}, 1'000'000, {152'000, 900, 168, 169}},     // 168.9
      {"a half rounds down", 38, {2431}, 1'000'000, {152'000, 2432, 62, 62}},  // 62.5
      {"faster than a microsecond", 38, {0}, 1'000'000'000, {}},
      {"no performance counter", 38, {999}, 0, {}},
      {"family without a cycle count", 0, {999}, 1'000'000, {}},
  };
  for (const Case& c : cases) {
    ScriptedSource source({}, c.loopTicks, c.frequency);
    EXPECT_EQ(measureWithLoop(source, c.cyclesPerIteration), c.expected) << c.name;
  }
}

TEST(ClockMethodChoiceTest, EveryProcessorWithACycleCounterIsMeasured) {
  constexpr std::uint32_t kTsc = kTimeStampCounterFeature;
  constexpr std::uint16_t kClone = kNotGenuineIntel;
  struct Case {
    ProcessorFacts facts;
    std::uint64_t frequency;
    const char* shown;
  };
  const Case cases[] = {
      {{true, "GenuineIntel", 6, kTsc}, 1'000'000, "Intel Pentium II 500MHz"},
      {{true, "AuthenticAMD", kClone | 26, kTsc}, 1'000'000, "AMD Family 26 500MHz"},
      {{true, "GenuineIntel", 5, 0}, 1'000'000, "Intel Pentium 172MHz"},  // the loop method
      {{true, "AuthenticAMD", kClone | 5, 0}, 1'000'000, "AMD 80586"},
      {{true, "GenuineIntel", 8, 0}, 1'000'000, "Intel Family 8"},
      {{true, "GenuineIntel", 6, kTsc}, 0, "Intel PentiumPro"},
      {{true, "GenuineIntel", 5, 0}, 0, "Intel Pentium"},
      {{false, "------------", kClone, kTsc}, 1'000'000, "riscv64"},  // named by its architecture
  };
  for (const Case& c : cases) {
    ScriptedSource source({500}, {999}, c.frequency);
    const std::uint32_t mhz = measureClock(c.facts, source).normalizedMhz;
    EXPECT_EQ(processorValueText(describeProcessor(c.facts, mhz, "riscv64"), mhz), c.shown);
  }
  EXPECT_EQ(describeProcessor(ProcessorFacts{}, 0, ""), "------------");
}

TEST(ClockSystemTest, RealMeasurementEndsAndIsPlausible) {
  // A hang guard, not a speed test: a loaded machine must not fail it.
  const auto start = std::chrono::steady_clock::now();
  const ClockMeasurement clock = measureClock();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  if (clock == ClockMeasurement{}) return;
  EXPECT_GE(clock.normalizedMhz, 100u);
  EXPECT_LE(clock.normalizedMhz, 10000u);
  EXPECT_LE(clock.normalizedMhz - clock.rawMhz, 1u);
}

}  // namespace
}  // namespace nodelyx
