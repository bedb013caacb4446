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
  net.setLayerType(1, GetParam());
  net.setLayerType(2, GetParam());
  net.setLayerType(6, GetParam());
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
        const double numerical = -(up - down) / (2 * h);
        const double x = i < 0 ? 1.0 : outputs.at(l - 1, i);
        EXPECT_NEAR(x * deltas.at(l, j), numerical, 1e-7) << l << "," << j << "," << i;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(TrueDerivatives, GradientTest,
                         ::testing::Values(ActivationType::Logistic, ActivationType::Tanh,
                                           ActivationType::Linear));

const PatternTable kXor(2, 1, {{0, 0, 0}, {0, 1, 1}, {1, 0, 1}, {1, 1, 0}});

// Trains XOR from fixed weights until every pattern is within the margin;
// returns the epochs taken, or 0 when maxEpochs did not do.
int epochsToLearnXor(TrainingMethod method, double learningRate, int maxEpochs) {
  scalingEnabled = 1;
  const int sizes[] = {2, 3, 1};
  Network net(sizes, -100, 100);
  net.randomizeWeights(1234);
  const double ranges[3][4] = {{0, 1, -1, 1}, {0, 1, -1, 1}, {0, 1, 0, 1}};
  for (std::size_t c = 0; c < 3; ++c) {
    net.fromMin[c] = ranges[c][0];
    net.fromMax[c] = ranges[c][1];
    net.toMin[c] = ranges[c][2];
    net.toMax[c] = ranges[c][3];
  }
  net.setTrainingMethod(method, AdaptiveSettings());
  if (method != TrainingMethod::Rprop) net.setLearningRate(learningRate);
  seedRandom(1);
  EpochSettings settings;
  settings.errorMargin = 0.1;
  for (int epoch = 1; epoch <= maxEpochs; ++epoch) {
    net.trainEpoch(kXor.view(), settings);
    if (net.correctCount == 4) return epoch;
  }
  return 0;
}

struct XorCase {
  const char* name;
  TrainingMethod method;
  double learningRate;
};

class XorTest : public TrainingTest, public ::testing::WithParamInterface<XorCase> {};

TEST_P(XorTest, LearnsXorWithinAFewThousandEpochs) {
  const int epochs = epochsToLearnXor(GetParam().method, GetParam().learningRate, 5000);
  EXPECT_GT(epochs, 0) << GetParam().name << " did not learn XOR";
  RecordProperty("epochs", epochs);
  std::printf("  %s learned XOR in %d epochs\n", GetParam().name, epochs);
}

INSTANTIATE_TEST_SUITE_P(AllMethods, XorTest,
                         ::testing::Values(XorCase{"online", TrainingMethod::OnlineBackprop, 0.5},
                                           XorCase{"batch", TrainingMethod::BatchBackprop, 0.5},
                                           XorCase{"rprop", TrainingMethod::Rprop, 0},
                                           XorCase{"quickprop", TrainingMethod::Quickprop, 0.5},
                                           XorCase{"delta_bar_delta", TrainingMethod::DeltaBarDelta, 0.5},
                                           XorCase{"online_random", TrainingMethod::OnlineBackpropRandom,
                                                   0.5}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(TrainingTest, EveryMethodRepeatsBitForBitOverAThousandEpochs) {
  const PatternTable set(
      2, 2, {{0.1, 0.9, 0.2, 0.7}, {0.8, 0.3, 0.9, 0.1}, {0.5, 0.5, 0.4, 0.6}, {0.9, 0.9, 0.1, 0.3}});
  for (int code = 1; code <= 6; ++code) {
    std::vector<double> results[2];
    for (std::vector<double>& result : results) {
      const int sizes[] = {2, 4, 2};
      Network net(sizes, -10, 10);
      net.randomizeWeights(77);
      net.setTrainingMethod(static_cast<TrainingMethod>(code), AdaptiveSettings());
      if (code != 3) net.setLearningRate(0.2);
      net.setMomentum(0.3);
      net.setInputNoise(0.01);
      seedRandom(1);  // the training thread's state at the start of a run
      EpochSettings settings;
      settings.patternClip = 0.5;
      for (int epoch = 0; epoch < 1000; ++epoch) net.trainEpoch(set.view(), settings);
      result = snapshot(net);
    }
    EXPECT_EQ(results[0], results[1]) << "method " << code;
  }
}

TEST_F(TrainingTest, AnEpochAllocatesNothing) {
  std::vector<double> values;
  for (int p = 0; p < 30; ++p) values.insert(values.end(), {p * 0.1, 1.0 - p * 0.03, 0.5, p % 2 ? 0.9 : 0.1});
  const PatternTable set(3, 1, values);
  for (int code = 1; code <= 6; ++code) {
    const int sizes[] = {3, 8, 5, 1};
    Network net(sizes, -10, 10);
    net.setTrainingMethod(static_cast<TrainingMethod>(code), AdaptiveSettings());
    net.setLearningRate(0.1);
    net.setInputNoise(0.01);
    EpochSettings settings;
    settings.patternClip = 0.5;
    settings.preventSaturation = true;
    net.trainEpoch(set.view(), settings);  // anything lazily set up happens here
    const std::size_t before = testing::allocationCount();
    for (int epoch = 0; epoch < 5; ++epoch) net.trainEpoch(set.view(), settings);
    EXPECT_EQ(testing::allocationCount(), before) << "method " << code;
  }
}

TEST_F(TrainingTest, ClipZeroSkipsLearnedPatternsEntirely) {
  const int sizes[] = {1, 1};
  Network net(sizes, -100, 100);
  net.setLayerType(6, ActivationType::Linear);
  net.weights.at(1, 0, 0) = 1.0;
  net.biases.at(1, 0) = 0.0;
  net.setLearningRate(0.5);
  net.setTrainingMethod(TrainingMethod::OnlineBackprop, AdaptiveSettings());
  const PatternTable learned(1, 1, {{0.5, 0.55}, {0.2, 0.15}});
  EpochSettings settings;
  settings.patternClip = 0.0;
  settings.errorMargin = 0.1;
  const double before = net.evaluate(learned.view(), 0.1);
  EXPECT_EQ(net.trainEpoch(learned.view(), settings), before);
  EXPECT_EQ(net.weights.at(1, 0, 0), 1.0);
  EXPECT_EQ(net.biases.at(1, 0), 0.0);
}

TEST_F(TrainingTest, LimitsApplyUpperFirstAndTheStoredChangeIsTheClampedOne) {
  const int sizes[] = {1, 1};
  Network net(sizes, -100, 100);
  net.setLayerType(6, ActivationType::Linear);
  net.weights.at(1, 0, 0) = 0.9;
  net.biases.at(1, 0) = 0.0;
  net.setLearningRate(1.0);
  net.setWeightLimits(-1.0, 1.0);
  net.setTrainingMethod(TrainingMethod::OnlineBackprop, AdaptiveSettings());
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

TEST_F(TrainingTest, SetTrainingMethodClearsTheMemoriesAndKeepsRatesExceptForRprop) {
  const int sizes[] = {2, 2, 1};
  Network net(sizes, -100, 100);
  net.setLearningRate(0.7);
  for (auto* block : {&net.prevWeightChange, &net.prevWeightSlope, &net.weightBars, &net.batchWeightChange})
    block->fill(1.0);
  net.setTrainingMethod(TrainingMethod::Quickprop, AdaptiveSettings());
  EXPECT_EQ(net.prevWeightChange.at(1, 0, 0), 0.0);
  EXPECT_EQ(net.prevWeightSlope.at(2, 0, 1), 0.0);
  EXPECT_EQ(net.weightBars.at(1, 1, 1), 0.0);
  EXPECT_EQ(net.batchWeightChange.at(1, 1, 1), 1.0) << "only Delta-Bar-Delta clears the slopes";
  EXPECT_EQ(net.weightRates.at(1, 0, 0), 0.7);
  EXPECT_EQ(net.quickpropMu, 1.75);
  net.setTrainingMethod(TrainingMethod::DeltaBarDelta, AdaptiveSettings());
  EXPECT_EQ(net.batchWeightChange.at(1, 1, 1), 0.0);
  EXPECT_EQ(net.dbdIncrease, 0.06);
  net.setTrainingMethod(TrainingMethod::Rprop, AdaptiveSettings());
  EXPECT_EQ(net.weightRates.at(1, 0, 0), 0.001);
  EXPECT_EQ(net.biasRates.at(2, 0), 0.001);
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
