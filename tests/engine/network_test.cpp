#include "engine/network.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/random.h"
#include "support/pattern_table.h"

namespace nodelyx {
namespace {

using testing::PatternTable;

// Restores the global scaling switch after each test.
class NetworkTest : public ::testing::Test {
 protected:
  void SetUp() override { scalingEnabled = 0; }
  void TearDown() override { scalingEnabled = 0; }

  // Sets the weights of layer l from rows[j][i] and its biases.
  static void setLayer(Network& net, int l, const std::vector<std::vector<double>>& rows,
                       const std::vector<double>& biases) {
    for (int j = 0; j < net.layerSize(l); ++j) {
      net.biases.at(l, j) = biases[static_cast<std::size_t>(j)];
      for (int i = 0; i < net.layerSize(l - 1); ++i)
        net.weights.at(l, j, i) = rows[static_cast<std::size_t>(j)][static_cast<std::size_t>(i)];
    }
  }

  static void setRange(Network& net, std::size_t column, double fromMin, double fromMax, double toMin,
                       double toMax) {
    net.fromMin[column] = fromMin;
    net.fromMax[column] = fromMax;
    net.toMin[column] = toMin;
    net.toMax[column] = toMax;
  }
};

double logistic(double x) { return 1.0 / (1.0 + elementary::exp(-x)); }

TEST_F(NetworkTest, ConstructionSetsTheStartState) {
  const int sizes[] = {3, 4, 2};
  Network net(sizes, -5.0, 5.0);
  EXPECT_EQ(net.layerCount(), 3);
  EXPECT_EQ(net.inputCount(), 3);
  EXPECT_EQ(net.outputCount(), 2);
  EXPECT_EQ(net.weightCount(), 3u * 4u + 4u * 2u);
  EXPECT_EQ(net.connectionCount(), 3u * 4u + 4u * 2u + 4u + 2u);
  EXPECT_EQ(net.method, TrainingMethod::OnlineBackprop);
  EXPECT_EQ(net.maxError, 0.0);
  EXPECT_EQ(net.maxPatternRms, 9999.0);
  EXPECT_EQ(net.rangesSet, 0);
  EXPECT_EQ(net.minWeight, -5.0);
  EXPECT_EQ(net.maxWeight, 5.0);
  for (int l = 0; l < 3; ++l) {
    EXPECT_EQ(net.layerTypes[static_cast<std::size_t>(l)], ActivationType::Logistic);
    EXPECT_EQ(net.saturationHigh[static_cast<std::size_t>(l)], 0.99);
    EXPECT_EQ(net.saturationLow[static_cast<std::size_t>(l)], 0.01);
  }
  EXPECT_EQ(net.fromMin.size(), 5u);
  EXPECT_EQ(net.outputError.size(), 2u);
}

TEST_F(NetworkTest, ForwardFollowsTheIndexSemantics) {
  const int sizes[] = {2, 2, 1};
  Network net(sizes, -100, 100);
  // Deliberately asymmetric so that a swapped [j][i] index shows.
  setLayer(net, 1, {{0.5, -1.0}, {2.0, 0.25}}, {0.1, -0.2});
  setLayer(net, 2, {{1.5, -0.75}}, {0.3});
  const double input[] = {1.0, 3.0};
  net.forward(input, 0.0);
  const double h0 = logistic(0.1 + (1.0 * 0.5 + 3.0 * -1.0));
  const double h1 = logistic(-0.2 + (1.0 * 2.0 + 3.0 * 0.25));
  EXPECT_EQ(net.netInputs.at(1, 0), 0.1 + (1.0 * 0.5 + 3.0 * -1.0));
  EXPECT_EQ(net.outputs.at(1, 0), h0);
  EXPECT_EQ(net.outputs.at(1, 1), h1);
  EXPECT_EQ(net.outputs.at(2, 0), logistic(0.3 + (h0 * 1.5 + h1 * -0.75)));
  EXPECT_EQ(net.outputs.at(0, 1), 3.0);
}

TEST_F(NetworkTest, EveryActivationTypeAndUnknownCodes) {
  const int sizes[] = {1, 1};
  Network net(sizes, -100, 100);
  setLayer(net, 1, {{2.0}}, {-0.5});
  const double input[] = {0.75};
  const double x = -0.5 + 0.75 * 2.0;
  const std::pair<ActivationType, double> cases[] = {
      {ActivationType::Logistic, logistic(x)},
      {ActivationType::Tanh, elementary::tanh(x)},
      {ActivationType::Linear, x},
      {ActivationType::Gaussian, elementary::exp(-x * x / 2.0)},
      {static_cast<ActivationType>(9), 0.0},
  };
  for (const auto& [type, expected] : cases) {
    net.setLayerType(6, type);
    net.forward(input, 0.0);
    EXPECT_EQ(net.outputs.at(1, 0), expected) << static_cast<int>(type);
  }
}

TEST_F(NetworkTest, SetLayerTypeSixMeansTheOutputLayerAndSetsBounds) {
  const int sizes[] = {2, 3, 1};
  Network net(sizes, -100, 100);
  net.setLayerType(6, ActivationType::Tanh);
  EXPECT_EQ(net.layerTypes[2], ActivationType::Tanh);
  EXPECT_EQ(net.saturationLow[2], -0.99);
  net.setLayerType(1, ActivationType::Linear);
  EXPECT_EQ(net.saturationHigh[1], 3.4028234663852886e38);
  EXPECT_EQ(net.saturationLow[1], -3.4028234663852886e38);
  net.setLayerType(1, ActivationType::Gaussian);
  EXPECT_EQ(net.saturationHigh[1], 2.0);
  net.setLayerType(1, static_cast<ActivationType>(0));  // bounds stay
  EXPECT_EQ(net.saturationHigh[1], 2.0);
  EXPECT_EQ(net.layerTypes[1], static_cast<ActivationType>(0));
}

// A 1-input, 1-output linear network that passes its input through makes
// every statistic easy to check by hand.
class EvaluateTest : public NetworkTest {
 protected:
  void SetUp() override {
    NetworkTest::SetUp();
    setLayer(net, 1, {{1.0}, {1.0}}, {0.0, 0.0});
    net.setLayerType(6, ActivationType::Linear);
  }
  const int sizes[2] = {1, 2};
  Network net{sizes, -100, 100};
};

TEST_F(EvaluateTest, StatisticsWithoutScaling) {
  const PatternTable set(1, 2, {{0.5, 0.5, 0.25}, {0.25, 0.5, 0.5}, {1.0, 0.7, 1.0}});
  const double rms = net.evaluate(set.view(), 0.25);
  // Pattern errors: (0, -0.25), (0.25, 0.25), (-0.3, 0).
  const double p0 = std::sqrt((0.0 + 0.0625) / 2.0);
  const double p1 = std::sqrt((0.0625 + 0.0625) / 2.0);
  const double e = 0.7 - 1.0;
  const double p2 = std::sqrt((e * e + 0.0) / 2.0);
  EXPECT_EQ(net.correctCount, 3u);  // p1 is exactly the margin 0.25
  EXPECT_EQ(p1, 0.25);
  EXPECT_EQ(net.maxError, e);  // keeps its sign
  EXPECT_EQ(net.maxPatternRms, p1);
  EXPECT_EQ(rms, std::sqrt((p0 * p0 + p1 * p1 + p2 * p2) / 3.0));
  EXPECT_EQ(net.rmsError, rms);
}

TEST_F(EvaluateTest, MaxErrorKeepsItsSign) {
  const PatternTable set(1, 2, {{0.0, -0.3, 0.2}});
  net.evaluate(set.view(), 0.1);
  EXPECT_EQ(net.maxError, -0.3);
  EXPECT_EQ(net.correctCount, 0u);
}

TEST_F(EvaluateTest, EmptySetKeepsTheRmsErrorAndZeroesTheRest) {
  net.rmsError = 0.42;
  net.maxError = 3.0;
  net.maxPatternRms = 4.0;
  net.correctCount = 7;
  EXPECT_EQ(net.evaluate(PatternView(), 0.1), 0.0);
  EXPECT_EQ(net.rmsError, 0.42);
  EXPECT_EQ(net.maxError, 0.0);
  EXPECT_EQ(net.maxPatternRms, 0.0);
  EXPECT_EQ(net.correctCount, 0u);
}

TEST_F(EvaluateTest, ScalingMapsInputsAndMeasuresErrorsInDataUnits) {
  scalingEnabled = 1;
  setRange(net, 0, 0.0, 10.0, 0.0, 1.0);   // input 0..10 -> 0..1
  setRange(net, 1, 0.0, 100.0, 0.0, 1.0);  // output 0..100 -> 0..1
  setRange(net, 2, -1.0, 1.0, 0.0, 1.0);   // output -1..1 -> 0..1
  const PatternTable set(1, 2, {{5.0, 60.0, 0.5}});
  net.evaluate(set.view(), 100.0);
  EXPECT_EQ(net.outputs.at(0, 0), 0.1 * 5.0 + 0.0 - 0.1 * 0.0);
  // Network output 0.5 in both columns: 50 and 0 in data units.
  EXPECT_DOUBLE_EQ(net.outputErrorData[0], 10.0);
  EXPECT_DOUBLE_EQ(net.outputErrorData[1], 0.5);
  EXPECT_DOUBLE_EQ(net.outputError[0], 0.1);
  EXPECT_DOUBLE_EQ(net.outputError[1], 0.25);
  EXPECT_DOUBLE_EQ(net.maxError, 10.0);
  EXPECT_DOUBLE_EQ(net.rmsError, std::sqrt((100.0 + 0.25) / 2.0));

  double result[2];
  net.recall(set.view().input(0), result);
  EXPECT_DOUBLE_EQ(result[0], 50.0);
  EXPECT_DOUBLE_EQ(result[1], 0.0);
}

TEST_F(EvaluateTest, RangesAreIgnoredWhileScalingIsOff) {
  setRange(net, 0, 0.0, 10.0, 0.0, 1.0);
  setRange(net, 1, 0.0, 100.0, 0.0, 1.0);
  setRange(net, 2, 0.0, 100.0, 0.0, 1.0);
  net.rangesSet = 1;
  const double in[] = {0.5};
  double result[2];
  net.recall(in, result);
  EXPECT_EQ(result[0], 0.5);
  EXPECT_EQ(result[1], 0.5);
}

TEST_F(NetworkTest, RecallLeavesTheTrainingBuffersAlone) {
  const int sizes[] = {2, 3, 2};
  Network net(sizes, -100, 100);
  net.randomizeWeights(5);
  const double a[] = {0.2, 0.9};
  const double b[] = {-1.0, 4.0};
  net.forward(a, 0.0);
  const std::vector<double> outputs(net.outputs.all().begin(), net.outputs.all().end());
  const std::vector<double> netInputs(net.netInputs.all().begin(), net.netInputs.all().end());
  double result[2];
  net.recall(b, result);
  EXPECT_TRUE(std::equal(outputs.begin(), outputs.end(), net.outputs.all().begin()));
  EXPECT_TRUE(std::equal(netInputs.begin(), netInputs.end(), net.netInputs.all().begin()));
  net.forward(b, 0.0);
  EXPECT_EQ(result[0], net.outputs.at(2, 0));
  EXPECT_EQ(result[1], net.outputs.at(2, 1));
}

TEST_F(NetworkTest, NoiseIsDrawnPerInputFromTheThreadGenerator) {
  const int sizes[] = {3, 1};
  Network net(sizes, -100, 100);
  const double input[] = {1.0, 2.0, 3.0};
  seedRandom(17);
  net.forward(input, 0.5);
  std::vector<double> noisy(net.outputs.layer(0), net.outputs.layer(0) + 3);
  seedRandom(17);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(noisy[static_cast<std::size_t>(i)], gaussian(0.0, 0.5) + input[i]);
  // Without noise nothing is drawn.
  seedRandom(1);
  net.forward(input, 0.0);
  EXPECT_EQ(randomInt(), 41);
}

TEST_F(NetworkTest, NetworkWithoutHiddenLayersAndSingleNeurons) {
  const int sizes[] = {1, 1};
  Network net(sizes, -100, 100);
  setLayer(net, 1, {{0.0}}, {2.0});  // only the bias acts
  const PatternTable set(1, 1, {{5.0, logistic(2.0)}});
  EXPECT_EQ(net.evaluate(set.view(), 0.0), 0.0);
  EXPECT_EQ(net.correctCount, 1u);
}

TEST_F(NetworkTest, SetLearningRateFillsEveryRate) {
  const int sizes[] = {2, 2, 1};
  Network net(sizes, -100, 100);
  net.setLearningRate(0.3);
  for (double r : net.weightRates.all()) EXPECT_EQ(r, 0.3);
  EXPECT_EQ(net.biasRates.at(2, 0), 0.3);
}

TEST_F(NetworkTest, MergeCopiesFirstThenTakesTheUnion) {
  const int sizes[] = {1, 1};
  Network net(sizes, -100, 100);
  ColumnRanges record;
  record.resize(1, 1);
  record.fromMin = {0.0, -1.0};
  record.fromMax = {2.0, 1.0};
  record.toMin = {0.0, 0.1};
  record.toMax = {1.0, 0.9};
  net.mergeDataRanges(record);
  EXPECT_EQ(net.rangesSet, 1);
  EXPECT_EQ(net.fromMin, record.fromMin);
  EXPECT_EQ(net.toMax, record.toMax);
  record.fromMin = {-3.0, 0.0};
  record.fromMax = {1.0, 5.0};
  record.toMin = {0.5, 0.0};
  record.toMax = {0.5, 1.0};
  net.mergeDataRanges(record);
  EXPECT_EQ(net.fromMin, (std::vector<double>{-3.0, -1.0}));
  EXPECT_EQ(net.fromMax, (std::vector<double>{2.0, 5.0}));
  EXPECT_EQ(net.toMin, (std::vector<double>{0.0, 0.0}));
  EXPECT_EQ(net.toMax, (std::vector<double>{1.0, 1.0}));
}

TEST_F(NetworkTest, MergeIgnoresARecordOfAnotherTopology) {
  const int sizes[] = {2, 1};
  Network net(sizes, -100, 100);
  ColumnRanges record;
  record.resize(1, 1);
  net.mergeDataRanges(record);
  EXPECT_EQ(net.rangesSet, 0);
}

TEST_F(NetworkTest, WidenRecordOnlyWithSetRangesAndMatchingCounts) {
  const int sizes[] = {1, 1};
  Network net(sizes, -100, 100);
  net.fromMin = {-5.0, 0.0};
  net.fromMax = {5.0, 0.5};
  net.toMin = {0.0, 0.2};
  net.toMax = {1.0, 0.8};
  ColumnRanges record;
  record.resize(1, 1);
  record.fromMin = {-1.0, -1.0};
  record.fromMax = {1.0, 1.0};
  record.toMin = {0.1, 0.1};
  record.toMax = {0.9, 0.9};
  ColumnRanges untouched = record;
  net.widenRecordRanges(record);  // rangesSet is 0
  EXPECT_EQ(record.fromMin, untouched.fromMin);
  net.rangesSet = 1;
  net.widenRecordRanges(record);
  EXPECT_EQ(record.fromMin, (std::vector<double>{-5.0, -1.0}));
  EXPECT_EQ(record.fromMax, (std::vector<double>{5.0, 1.0}));
  EXPECT_EQ(record.toMin, (std::vector<double>{0.0, 0.1}));
  EXPECT_EQ(record.toMax, (std::vector<double>{1.0, 0.9}));
  ColumnRanges other;
  other.resize(2, 1);
  net.widenRecordRanges(other);
  EXPECT_EQ(other.fromMin, (std::vector<double>{0.0, 0.0, 0.0}));
}

}  // namespace
}  // namespace nodelyx
