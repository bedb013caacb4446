#include "engine/network.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "support/pattern_table.h"

namespace nodelyx {
namespace {

using testing::PatternTable;
using Values = std::vector<double>;

// Sets the weights of layer l from rows[j][i] and its biases.
void setLayer(Network& net, int l, const std::vector<Values>& rows, const Values& biases) {
  for (int j = 0; j < net.layerSize(l); ++j) {
    net.biases.at(l, j) = biases[static_cast<std::size_t>(j)];
    for (int i = 0; i < net.layerSize(l - 1); ++i)
      net.weights.at(l, j, i) = rows[static_cast<std::size_t>(j)][static_cast<std::size_t>(i)];
  }
}

// A record of one input and one output column.
ColumnRanges ranges(Values fromMin, Values fromMax, Values toMin, Values toMax) {
  ColumnRanges record;
  record.inputCount = record.outputCount = 1;
  record.fromMin = std::move(fromMin);
  record.fromMax = std::move(fromMax);
  record.toMin = std::move(toMin);
  record.toMax = std::move(toMax);
  return record;
}

// fromMin, fromMax, toMin and toMax in a row.
template <typename Ranges>
Values allRanges(const Ranges& r) {
  Values all = r.fromMin;
  for (const Values* v : {&r.fromMax, &r.toMin, &r.toMax}) all.insert(all.end(), v->begin(), v->end());
  return all;
}

// Restores the global scaling switch around each test.
class NetworkTest : public ::testing::Test {
 protected:
  void SetUp() override { scalingEnabled = 0; }
  void TearDown() override { scalingEnabled = 0; }
};

TEST_F(NetworkTest, ConstructionCountsAndStartState) {
  const int sizes[] = {3, 4, 2};
  Network net(sizes, -5.0, 5.0);
  EXPECT_EQ(net.weightCount(), 3u * 4u + 4u * 2u);
  EXPECT_EQ(net.connectionCount(), 3u * 4u + 4u * 2u + 4u + 2u);  // plus a bias per non-input neuron
  // The weight initialisation sets both to 9999; construction then clears maxError only.
  EXPECT_EQ(net.maxError, 0.0);
  EXPECT_EQ(net.maxPatternRms, 9999.0);
  EXPECT_EQ(net.rangesSet, 0);
  EXPECT_EQ(net.method, TrainingMethod::OnlineBackprop);
}

TEST_F(NetworkTest, ForwardFollowsTheIndexSemantics) {
  const int sizes[] = {2, 2, 1};
  Network net(sizes, -100, 100);
  // Deliberately asymmetric so that a swapped [j][i] index shows.
  setLayer(net, 1, {{0.5, -1.0}, {2.0, 0.25}}, {0.1, -0.2});
  setLayer(net, 2, {{1.5, -0.75}}, {0.3});
  const double input[] = {1.0, 3.0};
  net.forward(input, 0.0);
  const auto logistic = [](double x) { return 1.0 / (1.0 + std::exp(-x)); };
  const double h0 = logistic(0.1 + (1.0 * 0.5 + 3.0 * -1.0));
  const double h1 = logistic(-0.2 + (1.0 * 2.0 + 3.0 * 0.25));
  EXPECT_EQ(net.outputs.at(0, 1), 3.0);
  EXPECT_EQ(net.netInputs.at(1, 0), 0.1 + (1.0 * 0.5 + 3.0 * -1.0));
  EXPECT_DOUBLE_EQ(net.outputs.at(1, 0), h0);
  EXPECT_DOUBLE_EQ(net.outputs.at(1, 1), h1);
  EXPECT_DOUBLE_EQ(net.outputs.at(2, 0), logistic(0.3 + (h0 * 1.5 + h1 * -0.75)));
}

// Layer index 6 always means the output layer, here layer 2 of three. The
// rows run on one network in order: an unknown code keeps the bounds of the
// type before it.
TEST_F(NetworkTest, LayerTypeSetsTheActivationAndTheSaturationBounds) {
  constexpr double kFloatMax = std::numeric_limits<float>::max();
  struct Case {
    const char* name;
    ActivationType type;
    double output;  // of net input 1.0
    double high, low;
  };
  const Case cases[] = {
      {"logistic", ActivationType::Logistic, 1.0 / (1.0 + std::exp(-1.0)), 0.99, 0.01},
      {"tanh", ActivationType::Tanh, std::tanh(1.0), 0.99, -0.99},
      {"linear", ActivationType::Linear, 1.0, kFloatMax, -kFloatMax},
      {"Gaussian", ActivationType::Gaussian, std::exp(-0.5), 2.0, 0.01},
      {"unknown code", static_cast<ActivationType>(9), 0.0, 2.0, 0.01},
  };
  const int sizes[] = {1, 1, 1};
  Network net(sizes, -100, 100);
  net.setLayerType(1, ActivationType::Linear);
  setLayer(net, 1, {{1.0}}, {0.0});
  setLayer(net, 2, {{2.0}}, {-0.5});
  const double input[] = {0.75};
  for (const Case& c : cases) {
    net.setLayerType(6, c.type);
    net.forward(input, 0.0);
    EXPECT_DOUBLE_EQ(net.outputs.at(2, 0), c.output) << c.name;
    EXPECT_EQ(net.layerTypes[2], c.type) << c.name;
    EXPECT_EQ(net.saturationHigh[2], c.high) << c.name;
    EXPECT_EQ(net.saturationLow[2], c.low) << c.name;
    EXPECT_EQ(net.layerTypes[1], ActivationType::Linear) << c.name;
  }
}

// One input passed straight through to two linear outputs makes every
// statistic easy to check by hand.
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

TEST_F(EvaluateTest, StatisticsWithoutScalingAndOfAnEmptySet) {
  // Errors (0, -0.25), (0.25, 0.25), (-0.3, 0): pattern RMS errors 0.177, 0.25, 0.212.
  const PatternTable set(1, 2, {{0.5, 0.5, 0.25}, {0.25, 0.5, 0.5}, {1.0, 0.7, 1.0}});
  const double rms = net.evaluate(set.view(), 0.25);
  EXPECT_EQ(net.correctCount, 3u) << "a pattern RMS error equal to the margin counts as correct";
  EXPECT_DOUBLE_EQ(net.maxError, -0.3) << "the largest error keeps its sign";
  EXPECT_EQ(net.maxPatternRms, 0.25);
  EXPECT_DOUBLE_EQ(rms, std::sqrt(0.04625));
  EXPECT_EQ(net.rmsError, rms);

  EXPECT_EQ(net.evaluate(PatternView(), 0.25), 0.0);
  EXPECT_EQ(net.rmsError, rms) << "an empty set keeps the RMS error and zeroes the rest";
  EXPECT_EQ(net.maxError, 0.0);
  EXPECT_EQ(net.maxPatternRms, 0.0);
  EXPECT_EQ(net.correctCount, 0u);
}

TEST_F(EvaluateTest, ScalingMapsInputsAndMeasuresErrorsInDataUnits) {
  // Input 0..10 -> 0..1; outputs 0..100 -> 0..1 and -1..1 -> 0..1.
  net.fromMin = {0.0, 0.0, -1.0};
  net.fromMax = {10.0, 100.0, 1.0};
  net.toMin = {0.0, 0.0, 0.0};
  net.toMax = {1.0, 1.0, 1.0};
  net.rangesSet = 1;
  const PatternTable set(1, 2, {{5.0, 60.0, 0.5}});
  double result[2];
  net.recall(set.view().input(0), result);
  EXPECT_EQ(result[0], 5.0) << "the ranges are ignored while scaling is off";
  EXPECT_EQ(result[1], 5.0);

  scalingEnabled = 1;
  net.evaluate(set.view(), 100.0);
  EXPECT_EQ(net.outputs.at(0, 0), 0.5);
  // Network output 0.5 in both columns: 50 and 0 in data units.
  EXPECT_DOUBLE_EQ(net.outputErrorData[0], 10.0);
  EXPECT_DOUBLE_EQ(net.outputErrorData[1], 0.5);
  EXPECT_DOUBLE_EQ(net.outputError[0], 0.1);
  EXPECT_DOUBLE_EQ(net.outputError[1], 0.25);
  EXPECT_DOUBLE_EQ(net.maxError, 10.0);
  EXPECT_DOUBLE_EQ(net.rmsError, std::sqrt((100.0 + 0.25) / 2.0));
  net.recall(set.view().input(0), result);
  EXPECT_DOUBLE_EQ(result[0], 50.0);
  EXPECT_DOUBLE_EQ(result[1], 0.0);
}

TEST_F(NetworkTest, RecallLeavesTheTrainingBuffersAlone) {
  const int sizes[] = {2, 3, 2};
  Network net(sizes, -100, 100);
  net.randomizeWeights(5);
  const double a[] = {0.2, 0.9};
  const double b[] = {-1.0, 4.0};
  net.forward(a, 0.0);
  const Values outputs(net.outputs.all().begin(), net.outputs.all().end());
  const Values netInputs(net.netInputs.all().begin(), net.netInputs.all().end());
  double result[2];
  net.recall(b, result);
  EXPECT_TRUE(std::equal(outputs.begin(), outputs.end(), net.outputs.all().begin()));
  EXPECT_TRUE(std::equal(netInputs.begin(), netInputs.end(), net.netInputs.all().begin()));
  net.forward(b, 0.0);
  EXPECT_EQ(result[0], net.outputs.at(2, 0));
  EXPECT_EQ(result[1], net.outputs.at(2, 1));
}

// Under ThreadSanitizer: recall on one thread and evaluate on another write
// nothing the other reads (recall has buffers and scale factors of its own).
TEST_F(NetworkTest, RecallAndEvaluateOnOneNetworkShareNothing) {
  scalingEnabled = 1;
  const int sizes[] = {2, 4, 1};
  Network net(sizes, -100, 100);
  net.randomizeWeights(9);
  const PatternTable set(2, 1, {{0, 1, 5}, {2, 3, 7}, {4, 5, 9}});
  net.fromMin.assign(3, 0.0);
  net.fromMax.assign(3, 10.0);
  net.toMin.assign(3, -1.0);
  net.toMax.assign(3, 1.0);
  std::thread reader([&] {
    const double input[] = {1.5, 2.5};
    double output = 0;
    for (int k = 0; k < 2000; ++k) net.recall(input, &output);
  });
  for (int k = 0; k < 2000; ++k) net.evaluate(set.view(), 0.1);
  reader.join();
}

TEST_F(NetworkTest, NetworkWithoutHiddenLayersAndSingleNeurons) {
  const int sizes[] = {1, 1};
  Network net(sizes, -100, 100);
  setLayer(net, 1, {{0.0}}, {2.0});  // only the bias acts
  const PatternTable set(1, 1, {{5.0, 1.0 / (1.0 + std::exp(-2.0))}});
  EXPECT_NEAR(net.evaluate(set.view(), 0.0), 0.0, 1e-15);
}

TEST_F(NetworkTest, RangesMergeFromTheRecordAndWidenIt) {
  const int sizes[] = {1, 1};
  Network net(sizes, -100, 100);
  ColumnRanges record = ranges({-4.0, -0.5}, {1.0, 6.0}, {0.1, -0.2}, {0.9, 0.9});
  const Values untouched = allRanges(record);
  net.widenRecordRanges(record);
  EXPECT_EQ(allRanges(record), untouched) << "no ranges of its own yet";

  const ColumnRanges first = ranges({0.0, -1.0}, {2.0, 1.0}, {0.0, 0.1}, {1.0, 0.9});
  net.mergeDataRanges(first);
  EXPECT_EQ(net.rangesSet, 1);
  EXPECT_EQ(allRanges(net), allRanges(first)) << "the first merge copies";
  net.mergeDataRanges(ranges({-3.0, 0.0}, {1.0, 5.0}, {0.5, 0.0}, {0.5, 1.0}));
  EXPECT_EQ(allRanges(net), allRanges(ranges({-3.0, -1.0}, {2.0, 5.0}, {0.0, 0.0}, {1.0, 1.0})));
  net.widenRecordRanges(record);
  EXPECT_EQ(allRanges(record), allRanges(ranges({-4.0, -1.0}, {2.0, 6.0}, {0.0, -0.2}, {1.0, 1.0})));

  // Another topology: nothing is exchanged.
  const int wider[] = {2, 1};
  Network other(wider, -100, 100);
  other.mergeDataRanges(first);
  EXPECT_EQ(other.rangesSet, 0);
  ColumnRanges otherRecord;
  otherRecord.resize(2, 1);
  net.widenRecordRanges(otherRecord);
  EXPECT_EQ(allRanges(otherRecord), Values(12, 0.0));
}

}  // namespace
}  // namespace nodelyx
