#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/network.h"
#include "engine/random.h"

namespace nodelyx {
namespace {

std::vector<double> copyOf(std::span<const double> values) { return {values.begin(), values.end()}; }

TEST(RandomizeWeightsTest, DrawsBiasThenWeightsPerNeuronWithSinglePrecisionConstants) {
  const int sizes[] = {4, 2, 1};
  Network net(sizes, -100, 100);
  net.randomizeWeights(1);
  // F = 5 for layer 1: the first draws after seed 1 are 41 (bias of neuron
  // 0), 18467 (its weight from input 0) and 6334 (from input 1).
  const double span = static_cast<double>(4.8f) / 5.0;
  const double half = static_cast<double>(2.4f) / 5.0;
  EXPECT_EQ(net.biases.at(1, 0), 41 * (1.0 / 32767.0) * span - half);
  EXPECT_EQ(net.weights.at(1, 0, 0), 18467 * (1.0 / 32767.0) * span - half);
  EXPECT_EQ(net.weights.at(1, 0, 1), 6334 * (1.0 / 32767.0) * span - half);
}

TEST(RandomizeWeightsTest, RangeFollowsTheFanInAndStateIsReset) {
  const int sizes[] = {4, 3, 2};
  Network net(sizes, -100, 100);
  net.prevWeightChange.fill(1.0);
  net.prevBiasChange.fill(1.0);
  net.rangesSet = 1;
  net.randomizeWeights(77);
  const double limit1 = static_cast<double>(2.4f) / 5.0;  // 4 inputs + bias
  const double limit2 = static_cast<double>(2.4f) / 4.0;  // 3 hidden + bias
  for (int j = 0; j < 3; ++j) {
    EXPECT_LE(std::fabs(net.biases.at(1, j)), limit1);
    for (int i = 0; i < 4; ++i) EXPECT_LE(std::fabs(net.weights.at(1, j, i)), limit1);
  }
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 3; ++i) EXPECT_LE(std::fabs(net.weights.at(2, j, i)), limit2);
  for (double c : net.prevWeightChange.all()) EXPECT_EQ(c, 0.0);
  EXPECT_EQ(net.prevBiasChange.at(2, 1), 0.0);
  EXPECT_EQ(net.rangesSet, 0);
  EXPECT_EQ(net.maxError, 9999.0);
  EXPECT_EQ(net.maxPatternRms, 9999.0);
}

TEST(RandomizeWeightsTest, SameSeedSameWeights) {
  const int sizes[] = {3, 5, 5, 2};
  Network a(sizes, -100, 100);
  Network b(sizes, -100, 100);
  a.randomizeWeights(2024);
  b.randomizeWeights(2024);
  EXPECT_EQ(copyOf(a.weights.all()), copyOf(b.weights.all()));
  EXPECT_EQ(copyOf(a.biases.all()), copyOf(b.biases.all()));
}

TEST(PerturbWeightsTest, ZeroPercentKeepsWeightsAndClearsMomentumMemory) {
  const int sizes[] = {2, 3, 1};
  Network net(sizes, -100, 100);
  net.randomizeWeights(3);
  const auto weights = copyOf(net.weights.all());
  const auto biases = copyOf(net.biases.all());
  net.prevWeightChange.fill(0.5);
  net.prevBiasChange.fill(0.5);
  net.perturbWeights(0, 9);
  EXPECT_EQ(copyOf(net.weights.all()), weights);
  EXPECT_EQ(copyOf(net.biases.all()), biases);
  for (double c : net.prevWeightChange.all()) EXPECT_EQ(c, 0.0);
  for (double c : net.prevBiasChange.fromLayerOne()) EXPECT_EQ(c, 0.0);
}

TEST(PerturbWeightsTest, FullPercentStaysBetweenZeroAndDoubleWithoutSignChange) {
  const int sizes[] = {5, 8, 3};
  Network net(sizes, -100, 100);
  net.randomizeWeights(4);
  const auto before = copyOf(net.weights.all());
  net.perturbWeights(100, 11);
  const auto after = copyOf(net.weights.all());
  for (std::size_t k = 0; k < before.size(); ++k) {
    EXPECT_GE(after[k] * before[k], 0.0);
    EXPECT_LE(std::fabs(after[k]), 2.0 * std::fabs(before[k]) + 1e-15);
  }
}

TEST(PerturbWeightsTest, DrawOrderIsBiasFirstThenWeights) {
  const int sizes[] = {1, 1};
  Network net(sizes, -100, 100);
  net.biases.at(1, 0) = 1.0;
  net.weights.at(1, 0, 0) = 2.0;
  net.perturbWeights(50, 1);
  EXPECT_EQ(net.biases.at(1, 0), ((2.0 * (41 * (1.0 / 32767.0)) - 1.0) * 0.5 + 1.0) * 1.0);
  EXPECT_EQ(net.weights.at(1, 0, 0), ((2.0 * (18467 * (1.0 / 32767.0)) - 1.0) * 0.5 + 1.0) * 2.0);
}

// A 1-2-1 network whose first hidden neuron saturates for inputs of 1 and
// sits at 0.5 for inputs of 0; the second is linear, which never saturates.
class SaturationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scalingEnabled = 0;
    net.setLayerType(2, ActivationType::Linear);
    net.weights.at(1, 0, 0) = 100.0;
    net.biases.at(1, 0) = 0.0;
    net.weights.at(1, 1, 0) = 100.0;
    net.biases.at(1, 1) = 0.5;
    net.weights.at(2, 0, 0) = 50.0;
    net.weights.at(2, 0, 1) = 1.0;
    net.biases.at(2, 0) = 0.0;
  }

  // saturated of the count patterns have input 1, the rest input 0.
  void run(std::uint32_t count, std::uint32_t saturated, int threshold) {
    std::vector<double> rows(count, 0.0);
    for (std::uint32_t p = 0; p < saturated; ++p) rows[p] = 1.0;
    net.reduceSaturatedNeurons(PatternView(rows.data(), 1, 1, count, false), threshold);
  }

  const int sizes[3] = {1, 2, 1};
  Network net{sizes, -100, 100};
};

TEST_F(SaturationTest, EightOfTenAtEightyPercentReducesSevenDoesNot) {
  net.setLayerType(1, ActivationType::Logistic);
  run(10, 7, 80);
  EXPECT_EQ(net.saturationCounts.at(1, 0), 7);
  EXPECT_EQ(net.weights.at(1, 0, 0), 100.0);
  run(10, 8, 80);
  EXPECT_EQ(net.saturationCounts.at(1, 0), 8);
  EXPECT_EQ(net.weights.at(1, 0, 0), 100.0 * static_cast<double>(0.1f));
  EXPECT_EQ(net.biases.at(1, 0), 0.0);
  // The linear output is counted (its output is 50) but never reduced.
  EXPECT_EQ(net.weights.at(2, 0, 0), 50.0);
}

TEST_F(SaturationTest, ThresholdZeroReducesEveryHiddenNeuronButNotTheOutputLayer) {
  net.setLayerType(2, ActivationType::Logistic);
  run(4, 0, 0);
  EXPECT_EQ(net.weights.at(1, 0, 0), 100.0 * static_cast<double>(0.1f));
  EXPECT_EQ(net.biases.at(1, 1), 0.5 * static_cast<double>(0.1f));
  EXPECT_EQ(net.weights.at(2, 0, 0), 50.0);
  EXPECT_EQ(net.weights.at(2, 0, 1), 1.0);
}

TEST_F(SaturationTest, LinearHiddenLayerIsNeverReduced) {
  net.setLayerType(1, ActivationType::Linear);
  run(10, 10, 50);
  EXPECT_EQ(net.saturationCounts.at(1, 0), 0);
  EXPECT_EQ(net.weights.at(1, 0, 0), 100.0);
}

TEST_F(SaturationTest, EmptySetChangesNothing) {
  net.saturationCounts.fill(3);
  net.reduceSaturatedNeurons(PatternView(), 0);
  EXPECT_EQ(net.saturationCounts.at(1, 0), 3);
  EXPECT_EQ(net.weights.at(1, 0, 0), 100.0);
}

}  // namespace
}  // namespace nodelyx
