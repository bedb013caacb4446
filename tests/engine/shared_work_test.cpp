// Work shared with the pair worker: the worker runs what it is handed and
// hands its writes back, and sharing changes no bit of a training run or of
// a set's statistics.
#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "engine/network.h"
#include "engine/pair_worker.h"
#include "engine/random.h"
#include "support/allocation_counter.h"
#include "support/pattern_table.h"

namespace nodelyx {
namespace {

using testing::PatternTable;

TEST(PairWorkerTest, RunsEachTaskOnItsOwnThreadAndHandsBackItsWrites) {
  PairWorker worker;
  std::vector<int> values(1000, 0);
  int handed = 0;
  std::thread::id ranOn;
  for (int round = 1; round <= 300; ++round) {
    handed = round;  // written before start: the task sees it
    auto upperHalf = [&] {
      ranOn = std::this_thread::get_id();
      for (std::size_t k = 500; k < values.size(); ++k) values[k] += handed;
    };
    worker.start(upperHalf);
    for (std::size_t k = 0; k < 500; ++k) values[k] += round;
    worker.wait();
    ASSERT_NE(ranOn, std::this_thread::get_id());
    ASSERT_EQ(values[999], values[0]);  // the task's writes are seen after wait
    // Long pauses let the worker fall asleep; the next task must wake it.
    if (round % 100 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(values[0], 300 * 301 / 2);
}

class SharedWorkTest : public ::testing::Test {
 protected:
  void SetUp() override { scalingEnabled = 0; }
  void TearDown() override { pairWorkersEnabled = 1; }
};

// Random inputs and targets, row by row; 1,100 patterns make two runs of a
// shared evaluation, the last one the worker's.
std::vector<double> randomValues(int inputs, int outputs, std::uint32_t count) {
  std::mt19937_64 generator(9);
  std::uniform_real_distribution<double> input(-1.0, 1.0), target(0.0, 1.0);
  std::vector<double> values;
  for (std::uint32_t p = 0; p < count; ++p) {
    for (int i = 0; i < inputs; ++i) values.push_back(input(generator));
    for (int k = 0; k < outputs; ++k) values.push_back(target(generator));
  }
  return values;
}

PatternTable randomSet(int inputs, int outputs, std::uint32_t count) {
  return PatternTable(inputs, outputs, randomValues(inputs, outputs, count));
}

struct TrainedNetwork {
  std::vector<double> values;  // parameters, changes, last pattern, statistics of every epoch
  bool allocatedAfterFirstEpoch = false;
};

TrainedNetwork trainRun(bool shared, TrainingMethod method, double noise, double patternClip,
                        const PatternTable& set) {
  pairWorkersEnabled = shared ? 1 : 0;
  const int sizes[] = {128, 136, 2};  // a first layer of 17,408 weights is shared
  Network net(sizes, -1.0, 1.0);
  net.randomizeWeights(7);
  net.setTrainingMethod(method, AdaptiveSettings());
  net.setLearningRate(0.3);
  net.setMomentum(0.4);
  net.setWeightDecay(0.001);
  net.setInputNoise(noise);
  EpochSettings settings;
  settings.patternClip = patternClip;
  settings.errorMargin = 0.3;
  seedRandom(3);
  TrainedNetwork run;
  for (int epoch = 0; epoch < 3; ++epoch) {
    const std::size_t before = testing::allocationCount();
    const double rms = net.trainEpoch(set.view(), settings);
    if (epoch > 0) run.allocatedAfterFirstEpoch = testing::allocationCount() != before;
    run.values.insert(run.values.end(), {rms, net.maxError, net.maxPatternRms, double(net.correctCount)});
  }
  const std::span<const double> parts[] = {
      net.weights.all(), net.biases.all(),    net.prevWeightChange.all(), net.prevBiasChange.all(),
      net.outputs.all(), net.netInputs.all(), net.deltas.all(),           net.batchWeightChange.all()};
  for (const std::span<const double> part : parts)
    run.values.insert(run.values.end(), part.begin(), part.end());
  run.values.push_back(static_cast<double>(randomInt()));  // the draws are the same too
  return run;
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k)
    if (std::bit_cast<std::uint64_t>(a[k]) != std::bit_cast<std::uint64_t>(b[k])) return false;
  return true;
}

// Online epochs in order, then at random with noise, then with clipping
// that skips the learned patterns (their next pattern goes forward from the
// shared layer's panels without a step). Batch epochs hand each block's
// accumulation to the worker, in the pass of their own and in the one done
// ahead during the statistics (which noise turns off).
TEST_F(SharedWorkTest, EpochsGiveTheBitsOfOneThread) {
  const PatternTable set = randomSet(128, 2, 1100);
  struct Case {
    TrainingMethod method;
    double noise, patternClip;
  };
  for (const Case c :
       {Case{TrainingMethod::OnlineBackprop, 0.0, 1.0}, Case{TrainingMethod::OnlineBackpropRandom, 0.05, 0.5},
        Case{TrainingMethod::OnlineBackprop, 0.0, 0.0}, Case{TrainingMethod::Rprop, 0.0, 0.5},
        Case{TrainingMethod::BatchBackprop, 0.05, 1.0}, Case{TrainingMethod::Quickprop, 0.0, 0.0},
        Case{TrainingMethod::DeltaBarDelta, 0.0, 1.0}}) {
    SCOPED_TRACE("method " + std::to_string(static_cast<int>(c.method)) + ", clip " +
                 std::to_string(c.patternClip));
    const TrainedNetwork alone = trainRun(false, c.method, c.noise, c.patternClip, set);
    const TrainedNetwork shared = trainRun(true, c.method, c.noise, c.patternClip, set);
    EXPECT_TRUE(sameBits(alone.values, shared.values));
    const bool online =
        c.method == TrainingMethod::OnlineBackprop || c.method == TrainingMethod::OnlineBackpropRandom;
    EXPECT_TRUE(!online || !shared.allocatedAfterFirstEpoch);
  }
}

// The next online epoch is trained while the worker gathers this one's
// statistics, and used only when nothing it depends on changed. Between
// epochs come the edits a training run may make; each must give the bits
// of one epoch after the other. A test set evaluated between epochs writes
// the last pattern's values but not the deltas, so the epoch trained ahead
// stays usable; edited deltas matter when no pattern trains.
std::vector<double> trainWithEdits(bool ahead) {
  pairWorkersEnabled = ahead ? 1 : 0;
  constexpr int kInputs = 16, kOutputs = 3;
  const int sizes[] = {kInputs, 20, kOutputs};  // too small a first layer to share
  std::vector<double> values = randomValues(kInputs, kOutputs, 400);
  const PatternView set(values.data(), kInputs + kOutputs, kInputs, 400, true);
  const PatternTable other = randomSet(kInputs, kOutputs, 50);
  Network net(sizes, -1.0, 1.0);
  net.randomizeWeights(5);
  net.setTrainingMethod(TrainingMethod::OnlineBackpropRandom, AdaptiveSettings());
  net.setLearningRate(0.3);
  net.setMomentum(0.4);
  EpochSettings settings;
  settings.anotherEpochLikely = true;
  seedRandom(3);
  const std::function<void()> edits[] = {
      [] {},
      [&] { net.evaluate(other.view(), 0.1); },
      [&] { net.setMomentum(0.6); },
      [&] { net.weights.all()[7] += 0.01; },
      [&] { net.setLearningRate(0.2); },
      [&] { randomInt(); },
      [&] { values[5 * (kInputs + kOutputs) + 2] += 0.5; },  // the same set, one value edited
      [&] { settings.patternClip = 0.5; },
      [&] { net.setInputNoise(0.05); },
      [&] { net.setWeightDecay(0.001); },
      [&] { net.setTrainingMethod(TrainingMethod::OnlineBackprop, AdaptiveSettings()); },
      [&] { net.prevBiasChange.all()[21] = 0.02; },
      [&] {
        // Every pattern learned, none trained: the deltas stay as edited.
        settings.patternClip = 0.0;
        settings.errorMargin = 100.0;
        net.deltas.all()[30] = 0.125;
      },
      [&] { net.deltas.all()[31] = 0.25; },
      [] {}};
  std::vector<double> run;
  for (const auto& edit : edits) {
    edit();
    const double rms = net.trainEpoch(set, settings);
    run.insert(run.end(), {rms, net.maxError, net.maxPatternRms, double(net.correctCount)});
    for (const std::span<const double> part : {net.outputs.all(), net.netInputs.all(), net.deltas.all()})
      run.insert(run.end(), part.begin(), part.end());
    run.insert(run.end(), net.outputErrorData.begin(), net.outputErrorData.end());
  }
  for (const std::span<const double> part :
       {net.weights.all(), net.biases.all(), net.prevWeightChange.all(), net.prevBiasChange.all()})
    run.insert(run.end(), part.begin(), part.end());
  run.push_back(static_cast<double>(randomInt()));
  return run;
}

TEST_F(SharedWorkTest, OnlineEpochsTrainedAheadGiveTheBitsOfOneAfterTheOther) {
  EXPECT_TRUE(sameBits(trainWithEdits(false), trainWithEdits(true)));
}

// Every output is 0 (zero weights, linear), so the errors are the targets.
// The largest error is the first of the largest, whichever thread saw it,
// and the first NaN wins over a later one of another sign.
TEST_F(SharedWorkTest, StatisticsOfALargeSetKeepPatternOrder) {
  std::vector<double> values;
  const std::uint32_t count = 2600;  // runs: here, worker, here
  for (std::uint32_t p = 0; p < count; ++p) values.insert(values.end(), {1.0, 0.25});
  values[2 * 1100 + 1] = -0.5;  // the worker's run
  values[2 * 2100 + 1] = 0.5;   // this thread's next run: not larger, so not taken
  PatternTable set(1, 1, values);
  const int sizes[] = {1, 1};
  Network net(sizes, -1.0, 1.0);
  net.setLayerType(6, ActivationType::Linear);
  net.weights.fill(0.0);
  net.biases.fill(0.0);
  const auto statistics = [&](bool shared) {
    pairWorkersEnabled = shared ? 1 : 0;
    const double rms = net.evaluate(set.view(), 0.3);
    return std::vector<double>{rms, net.maxError, net.maxPatternRms, double(net.correctCount),
                               net.outputs.all()[1]};
  };
  EXPECT_TRUE(sameBits(statistics(false), statistics(true)));
  EXPECT_EQ(net.maxError, -0.5);
  EXPECT_EQ(net.correctCount, count - 2);

  values[2 * 1200 + 1] = std::numeric_limits<double>::quiet_NaN();
  values[2 * 2200 + 1] = -std::numeric_limits<double>::quiet_NaN();
  set = PatternTable(1, 1, values);
  const std::vector<double> alone = statistics(false);
  EXPECT_TRUE(sameBits(alone, statistics(true)));
  EXPECT_TRUE(std::isnan(net.maxError) && !std::signbit(net.maxError));
}

}  // namespace
}  // namespace nodelyx
