#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/network.h"
#include "engine/random.h"

namespace nodelyx {
namespace {

std::vector<double> copyOf(std::span<const double> values) { return {values.begin(), values.end()}; }

TEST(RandomizeWeightsTest, DrawsBiasThenWeightsPerNeuronWithinTheFanInRange) {
  const int sizes[] = {4, 3, 2};
  Network net(sizes, -100, 100);
  net.prevWeightChange.fill(1.0);
  net.prevBiasChange.fill(1.0);
  net.rangesSet = 1;
  net.randomizeWeights(1);
  // F = 5 for layer 1: the first draws after seed 1 are 41 (bias of neuron
  // 0), 18467 (its weight from input 0) and 6334 (from input 1). The
  // constants are single-precision values widened to double.
  const double span = static_cast<double>(4.8f) / 5.0;
  const double half = static_cast<double>(2.4f) / 5.0;
  EXPECT_EQ(net.biases.at(1, 0), 41 * (1.0 / 32767.0) * span - half);
  EXPECT_EQ(net.weights.at(1, 0, 0), 18467 * (1.0 / 32767.0) * span - half);
  EXPECT_EQ(net.weights.at(1, 0, 1), 6334 * (1.0 / 32767.0) * span - half);
  for (int l = 1; l < net.layerCount(); ++l) {
    const double limit = static_cast<double>(2.4f) / (net.layerSize(l - 1) + 1);
    for (int j = 0; j < net.layerSize(l); ++j) {
      EXPECT_LE(std::fabs(net.biases.at(l, j)), limit);
      for (int i = 0; i < net.layerSize(l - 1); ++i) EXPECT_LE(std::fabs(net.weights.at(l, j, i)), limit);
    }
  }
  for (double c : net.prevWeightChange.all()) EXPECT_EQ(c, 0.0);
  for (double c : net.prevBiasChange.fromLayerOne()) EXPECT_EQ(c, 0.0);
  EXPECT_EQ(net.rangesSet, 0);
  EXPECT_EQ(net.maxError, 9999.0);
  EXPECT_EQ(net.maxPatternRms, 9999.0);
}

TEST(PerturbWeightsTest, ScalesEveryValueByItsOwnDrawAndClearsTheMomentumMemory) {
  const int single[] = {1, 1};
  Network one(single, -100, 100);
  one.biases.at(1, 0) = 1.0;
  one.weights.at(1, 0, 0) = 2.0;
  one.perturbWeights(50, 1);  // the bias draws first
  EXPECT_EQ(one.biases.at(1, 0), ((2.0 * (41 * (1.0 / 32767.0)) - 1.0) * 0.5 + 1.0) * 1.0);
  EXPECT_EQ(one.weights.at(1, 0, 0), ((2.0 * (18467 * (1.0 / 32767.0)) - 1.0) * 0.5 + 1.0) * 2.0);

  const int sizes[] = {5, 8, 3};
  Network net(sizes, -100, 100);
  net.randomizeWeights(4);
  const auto weights = copyOf(net.weights.all());
  const auto biases = copyOf(net.biases.all());
  net.prevWeightChange.fill(0.5);
  net.prevBiasChange.fill(0.5);
  net.perturbWeights(0, 9);
  EXPECT_EQ(copyOf(net.weights.all()), weights);
  EXPECT_EQ(copyOf(net.biases.all()), biases);
  for (double c : net.prevWeightChange.all()) EXPECT_EQ(c, 0.0);
  for (double c : net.prevBiasChange.fromLayerOne()) EXPECT_EQ(c, 0.0);
  // 100 %: a factor between 0 and 2, never a change of sign.
  net.perturbWeights(100, 11);
  const auto after = copyOf(net.weights.all());
  for (std::size_t k = 0; k < weights.size(); ++k) {
    EXPECT_GE(after[k] * weights[k], 0.0) << k;
    EXPECT_LE(std::fabs(after[k]), 2.0 * std::fabs(weights[k])) << k;
  }
}

// A 1-2-1 network whose hidden neurons saturate for an input of 1 and sit
// at 0.5 and 0.62 for an input of 0 (while logistic); the logistic output is
// saturated for every pattern, so it is counted, but it is never reduced.
constexpr int kSaturationSizes[] = {1, 2, 1};

void prepareSaturation(Network& net, ActivationType hidden) {
  net.setLayerType(1, hidden);
  net.weights.at(1, 0, 0) = 100.0;
  net.biases.at(1, 0) = 0.0;
  net.weights.at(1, 1, 0) = 100.0;
  net.biases.at(1, 1) = 0.5;
  net.weights.at(2, 0, 0) = 50.0;
  net.weights.at(2, 0, 1) = 1.0;
  net.biases.at(2, 0) = 0.0;
}

TEST(SaturationTest, ReducesHiddenNeuronsSaturatedForTheThresholdShareOfPatterns) {
  struct Case {
    const char* name;
    ActivationType hidden;
    std::uint32_t count, saturated;  // the first `saturated` patterns have input 1, the rest 0
    int threshold;
    std::int32_t counted;  // of the hidden neurons
    bool reduced;
  };
  const Case cases[] = {
      {"7 of 10 at 80 % is not enough", ActivationType::Logistic, 10, 7, 80, 7, false},
      {"8 of 10 at 80 % reduces", ActivationType::Logistic, 10, 8, 80, 8, true},
      {"threshold 0 reduces unsaturated neurons too", ActivationType::Logistic, 4, 0, 0, 0, true},
      {"an empty set changes nothing, even at threshold 0", ActivationType::Logistic, 0, 0, 0, 0, false},
      {"a linear hidden layer never saturates", ActivationType::Linear, 10, 10, 50, 0, false},
  };
  scalingEnabled = 0;
  for (const Case& c : cases) {
    Network net(kSaturationSizes, -100, 100);
    prepareSaturation(net, c.hidden);
    std::vector<double> rows(c.count, 0.0);
    std::fill_n(rows.begin(), c.saturated, 1.0);
    net.reduceSaturatedNeurons(PatternView(rows.data(), 1, 1, c.count, false), c.threshold);
    const double shrink = c.reduced ? static_cast<double>(0.1f) : 1.0;
    EXPECT_EQ(net.saturationCounts.at(1, 0), c.counted) << c.name;
    EXPECT_EQ(net.saturationCounts.at(1, 1), c.counted) << c.name;
    EXPECT_EQ(net.weights.at(1, 0, 0), 100.0 * shrink) << c.name;
    EXPECT_EQ(net.biases.at(1, 1), 0.5 * shrink) << c.name;
    EXPECT_EQ(net.saturationCounts.at(2, 0), static_cast<std::int32_t>(c.count)) << c.name;
    EXPECT_EQ(net.weights.at(2, 0, 0), 50.0) << c.name;
  }
}

}  // namespace
}  // namespace nodelyx
