#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/network.h"
#include "engine/random.h"
#include "support/allocation_counter.h"
#include "support/pattern_table.h"

namespace nodelyx {
namespace {

using testing::PatternTable;

std::vector<double> snapshot(const Network& net) {
  std::vector<double> values(net.weights.all().begin(), net.weights.all().end());
  values.insert(values.end(), net.biases.all().begin(), net.biases.all().end());
  return values;
}

class TrainingTest : public ::testing::Test {
 protected:
  void SetUp() override { scalingEnabled = 0; }
  void TearDown() override { scalingEnabled = 0; }
};

// E = 1/2 sum of squared output errors (network units, no scaling). A
// delta times its input is -dE/dw for every weight and bias.
double halfSquaredError(Network& net, const double* input, const double* target) {
  net.forward(input, 0.0);
  net.computeOutputError(target);
  double e = 0.0;
  for (const double v : net.outputError) e += 0.5 * v * v;
  return e;
}

class GradientTest : public TrainingTest, public ::testing::WithParamInterface<ActivationType> {};

TEST_P(GradientTest, DeltasAreTheNegativeGradient) {
  const int sizes[] = {3, 4, 3, 2};
  Network net(sizes, -100, 100);
  net.randomizeWeights(21);
  for (const int layer : {1, 2, 6}) net.setLayerType(layer, GetParam());
  const double input[] = {0.3, -0.7, 0.9};
  const double target[] = {0.25, 0.8};
  halfSquaredError(net, input, target);
  net.computeDeltas();
  const NeuronBlock<double> deltas = net.deltas;
  const NeuronBlock<double> outputs = net.outputs;
  const double h = 1e-6;
  for (int l = 1; l < net.layerCount(); ++l) {
    for (int j = 0; j < net.layerSize(l); ++j) {
      for (int i = -1; i < net.layerSize(l - 1); ++i) {  // -1: the bias
        double& parameter = i < 0 ? net.biases.at(l, j) : net.weights.at(l, j, i);
        const double saved = parameter;
        parameter = saved + h;
        const double up = halfSquaredError(net, input, target);
        parameter = saved - h;
        const double down = halfSquaredError(net, input, target);
        parameter = saved;
        const double x = i < 0 ? 1.0 : outputs.at(l - 1, i);
        EXPECT_NEAR(x * deltas.at(l, j), -(up - down) / (2 * h), 1e-7) << l << "," << j << "," << i;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(TrueDerivatives, GradientTest,
                         ::testing::Values(ActivationType::Logistic, ActivationType::Tanh,
                                           ActivationType::Linear),
                         [](const auto& testInfo) { return std::string(activationName(testInfo.param)); });

const PatternTable kXor(2, 1, {{0, 0, 0}, {0, 1, 1}, {1, 0, 1}, {1, 1, 0}});

struct XorCase {
  const char* name;
  TrainingMethod method;
};

class XorTest : public TrainingTest, public ::testing::WithParamInterface<XorCase> {};

// From fixed weights until every pattern is within the margin.
TEST_P(XorTest, LearnsXorWithinFiveThousandEpochs) {
  scalingEnabled = 1;
  const int sizes[] = {2, 3, 1};
  Network net(sizes, -100, 100);
  net.randomizeWeights(1234);
  net.fromMin = {0, 0, 0};
  net.fromMax = {1, 1, 1};
  net.toMin = {-1, -1, 0};
  net.toMax = {1, 1, 1};
  net.setTrainingMethod(GetParam().method, AdaptiveSettings());
  if (GetParam().method != TrainingMethod::Rprop) net.setLearningRate(0.5);
  seedRandom(1);
  int epoch = 1;
  for (; epoch <= 5000; ++epoch) {
    net.trainEpoch(kXor.view(), EpochSettings());
    if (net.correctCount == 4) break;
  }
  EXPECT_LE(epoch, 5000) << GetParam().name << " did not learn XOR";
  RecordProperty("epochs", epoch);
}

INSTANTIATE_TEST_SUITE_P(AllMethods, XorTest,
                         ::testing::Values(XorCase{"online", TrainingMethod::OnlineBackprop},
                                           XorCase{"batch", TrainingMethod::BatchBackprop},
                                           XorCase{"rprop", TrainingMethod::Rprop},
                                           XorCase{"quickprop", TrainingMethod::Quickprop},
                                           XorCase{"delta_bar_delta", TrainingMethod::DeltaBarDelta},
                                           XorCase{"online_random", TrainingMethod::OnlineBackpropRandom}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// Two runs from the same start with noise, momentum, clipping and saturation
// prevention: the epochs after the first allocate nothing, and the runs end
// with the same bits. 30 patterns leave a partial block of the batch pass.
TEST_F(TrainingTest, EveryMethodRepeatsBitForBitAndAllocatesNothing) {
  std::vector<double> values;
  for (int p = 0; p < 30; ++p) values.insert(values.end(), {p * 0.1, 1.0 - p * 0.03, 0.5, p % 2 ? 0.9 : 0.1});
  const PatternTable set(3, 1, values);
  EpochSettings settings;
  settings.patternClip = 0.5;
  settings.preventSaturation = true;
  for (int code = 1; code <= 6; ++code) {
    std::vector<double> results[2];
    for (std::vector<double>& result : results) {
      const int sizes[] = {3, 8, 5, 1};
      Network net(sizes, -10, 10);
      net.randomizeWeights(77);
      net.setTrainingMethod(static_cast<TrainingMethod>(code), AdaptiveSettings());
      if (code != 3) net.setLearningRate(0.2);
      net.setMomentum(0.3);
      net.setInputNoise(0.01);
      seedRandom(1);                         // the training thread's state at the start of a run
      net.trainEpoch(set.view(), settings);  // anything lazily set up happens here
      const std::size_t before = testing::allocationCount();
      for (int epoch = 1; epoch < 1000; ++epoch) net.trainEpoch(set.view(), settings);
      EXPECT_EQ(testing::allocationCount(), before) << "method " << code;
      result = snapshot(net);
    }
    EXPECT_EQ(results[0], results[1]) << "method " << code;
  }
}

// A 1-1 linear network: output = weight * input + bias.
class SingleWeightTest : public TrainingTest {
 protected:
  void SetUp() override {
    TrainingTest::SetUp();
    net.setLayerType(6, ActivationType::Linear);
    net.weights.at(1, 0, 0) = 1.0;
    net.biases.at(1, 0) = 0.0;
    net.setTrainingMethod(TrainingMethod::OnlineBackprop, AdaptiveSettings());
  }
  const int sizes[2] = {1, 1};
  Network net{sizes, -100, 100};
};

TEST_F(SingleWeightTest, ClipZeroSkipsLearnedPatternsEntirely) {
  net.setLearningRate(0.5);
  const PatternTable learned(1, 1, {{0.5, 0.55}, {0.2, 0.15}});
  EpochSettings settings;
  settings.patternClip = 0.0;
  const double before = net.evaluate(learned.view(), settings.errorMargin);
  EXPECT_EQ(net.trainEpoch(learned.view(), settings), before);
  EXPECT_EQ(net.weights.at(1, 0, 0), 1.0);
  EXPECT_EQ(net.biases.at(1, 0), 0.0);
}

TEST_F(SingleWeightTest, LimitsApplyUpperFirstAndTheStoredChangeIsTheClampedOne) {
  net.weights.at(1, 0, 0) = 0.9;
  net.setLearningRate(1.0);
  net.setWeightLimits(-1.0, 1.0);
  const PatternTable big(1, 1, {{1.0, 10.0}});
  net.trainEpoch(big.view(), EpochSettings());
  EXPECT_EQ(net.weights.at(1, 0, 0), 1.0);
  EXPECT_EQ(net.prevWeightChange.at(1, 0, 0), 1.0 - 0.9);
  net.setWeightLimits(0.5, 0.25);  // minimum above maximum: everything ends at the minimum
  net.trainEpoch(big.view(), EpochSettings());
  EXPECT_EQ(net.weights.at(1, 0, 0), 0.5);
  EXPECT_EQ(net.biases.at(1, 0), 0.5);
}

TEST_F(TrainingTest, RpropMovesAZeroSlopeWeightByItsStepUntilTheLimit) {
  const int sizes[] = {2, 1};
  Network net(sizes, -100, 0.0035);
  net.weights.at(1, 0, 0) = 0.0;
  net.setTrainingMethod(TrainingMethod::Rprop, AdaptiveSettings());  // every step 0.001
  const PatternTable zeroInput(2, 1, {{0.0, 0.5, 1.0}});             // input 0 is always 0
  for (int epoch = 0; epoch < 3; ++epoch) net.trainEpoch(zeroInput.view(), EpochSettings());
  EXPECT_DOUBLE_EQ(net.weights.at(1, 0, 0), 0.003);
  EXPECT_EQ(net.weightRates.at(1, 0, 0), 0.001) << "a zero slope never changes the step";
  net.trainEpoch(zeroInput.view(), EpochSettings());
  EXPECT_EQ(net.weights.at(1, 0, 0), 0.0035);
}

TEST_F(TrainingTest, SetTrainingMethodClearsTheMemoriesAndHandsOverItsSettings) {
  const int sizes[] = {2, 2, 1};
  Network net(sizes, -100, 100);
  net.setLearningRate(0.7);
  for (auto* block : {&net.prevWeightChange, &net.prevWeightSlope, &net.weightBars, &net.batchWeightChange})
    block->fill(1.0);
  // Every setting distinct, so that a swapped pair shows.
  const AdaptiveSettings settings{1.1, 0.4, 40.0, 1e-5, 0.002, 1.5, 0.05, 0.3, 0.6};
  net.setTrainingMethod(TrainingMethod::Quickprop, settings);
  EXPECT_EQ(net.prevWeightChange.at(1, 0, 0), 0.0);
  EXPECT_EQ(net.prevWeightSlope.at(2, 0, 1), 0.0);
  EXPECT_EQ(net.weightBars.at(1, 1, 1), 0.0);
  EXPECT_EQ(net.batchWeightChange.at(1, 1, 1), 1.0) << "only Delta-Bar-Delta clears the slopes";
  EXPECT_EQ(net.weightRates.at(1, 0, 0), 0.7);
  EXPECT_EQ(net.biasRates.at(2, 0), 0.7);
  EXPECT_EQ(net.quickpropMu, 1.5);
  net.setTrainingMethod(TrainingMethod::DeltaBarDelta, settings);
  EXPECT_EQ(net.batchWeightChange.at(1, 1, 1), 0.0);
  EXPECT_EQ((std::vector{net.dbdIncrease, net.dbdDecrease, net.dbdAverage}), (std::vector{0.05, 0.3, 0.6}));
  net.setTrainingMethod(TrainingMethod::Rprop, settings);
  EXPECT_EQ((std::vector{net.rpropIncrease, net.rpropDecrease, net.rpropMaxStep, net.rpropMinStep}),
            (std::vector{1.1, 0.4, 40.0, 1e-5}));
  EXPECT_EQ(net.weightRates.at(1, 0, 0), 0.002) << "RPROP starts every step at the initial step";
  EXPECT_EQ(net.biasRates.at(2, 0), 0.002);
}

TEST_F(TrainingTest, EmptySetAndUnknownMethodTrainNothing) {
  const int sizes[] = {2, 2, 1};
  Network net(sizes, -100, 100);
  net.setLearningRate(0.5);
  const auto before = snapshot(net);
  EXPECT_EQ(net.trainEpoch(PatternView(), EpochSettings()), 0.0);
  net.setTrainingMethod(static_cast<TrainingMethod>(9), AdaptiveSettings());
  net.trainEpoch(kXor.view(), EpochSettings());
  EXPECT_EQ(snapshot(net), before);
}

}  // namespace
}  // namespace nodelyx
