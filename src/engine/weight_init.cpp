// Weight initialisation and conditioning outside the gradient updates:
// random start, random perturbation and saturation prevention.
#include <cmath>

#include "engine/network.h"
#include "engine/random.h"

namespace nodelyx {
namespace {

// The initialisation and shrink constants are single-precision values
// widened to double; weights files written by earlier versions depend on it.
constexpr double kInitSpan = static_cast<double>(4.8f);
constexpr double kInitHalfSpan = static_cast<double>(2.4f);
constexpr double kSaturationShrink = static_cast<double>(0.1f);

}  // namespace

void Network::randomizeWeights() { randomizeWeights(timeSeed()); }

void Network::randomizeWeights(std::uint32_t seed) {
  rangesSet = 0;
  seedRandom(seed);
  maxError = 9999.0;
  maxPatternRms = 9999.0;
  for (int l = 1; l < layerCount(); ++l) {
    const double fanIn = layerSize(l - 1) + 1;
    const double span = kInitSpan / fanIn;
    const double half = kInitHalfSpan / fanIn;
    for (int j = 0; j < layerSize(l); ++j) {
      biases.at(l, j) = randomUnit() * span - half;
      prevBiasChange.at(l, j) = 0.0;
      for (int i = 0; i < layerSize(l - 1); ++i) {
        weights.at(l, j, i) = randomUnit() * span - half;
        prevWeightChange.at(l, j, i) = 0.0;
      }
    }
  }
}

void Network::perturbWeights(int percent) { perturbWeights(percent, timeSeed()); }

void Network::perturbWeights(int percent, std::uint32_t seed) {
  seedRandom(seed);
  const double p = percent * 0.01;
  for (int l = 1; l < layerCount(); ++l) {
    for (int j = 0; j < layerSize(l); ++j) {
      prevBiasChange.at(l, j) = 0.0;
      biases.at(l, j) = ((2.0 * randomUnit() - 1.0) * p + 1.0) * biases.at(l, j);
      for (int i = 0; i < layerSize(l - 1); ++i) {
        prevWeightChange.at(l, j, i) = 0.0;
        weights.at(l, j, i) = ((2.0 * randomUnit() - 1.0) * p + 1.0) * weights.at(l, j, i);
      }
    }
  }
}

void Network::reduceSaturatedNeurons(const PatternView& set, int thresholdPercent) {
  const std::uint32_t count = set.count();
  if (count == 0) return;
  saturationCounts.fill(0);
  refreshScaling();
  for (std::uint32_t p = 0; p < count; ++p) {
    forwardOwn(set.input(p), 0.0);
    for (int l = 1; l < layerCount(); ++l) {
      const double high = saturationHigh[static_cast<std::size_t>(l)];
      const double low = saturationLow[static_cast<std::size_t>(l)];
      const double* out = outputs.layer(l);
      std::int32_t* counts = saturationCounts.layer(l);
      for (int j = 0; j < layerSize(l); ++j)
        if (out[j] > high || out[j] < low) ++counts[j];
    }
  }
  const double threshold = std::trunc(static_cast<double>(count) * thresholdPercent * 0.01);
  // The output layer is counted above but never reduced.
  for (int l = 1; l < layerCount() - 1; ++l) {
    for (int j = 0; j < layerSize(l); ++j) {
      if (saturationCounts.at(l, j) < threshold) continue;
      biases.at(l, j) *= kSaturationShrink;
      for (int i = 0; i < layerSize(l - 1); ++i) weights.at(l, j, i) *= kSaturationShrink;
    }
  }
}

}  // namespace nodelyx
