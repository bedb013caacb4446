#include "app/network_setup.h"

#include <climits>
#include <new>
#include <vector>

#include "files/c_format.h"

namespace nodelyx {
namespace {

// Bytes a network of these sizes needs (six per-weight and a dozen
// per-neuron arrays), or 0 when the count does not even fit a size_t.
unsigned long long networkBytes(std::span<const std::uint32_t> sizes) {
  unsigned long long weights = 0, neurons = 0;
  for (std::size_t l = 0; l < sizes.size(); ++l) {
    neurons += sizes[l];
    if (l == 0) continue;
    unsigned long long layer = 0;
    if (__builtin_mul_overflow(static_cast<unsigned long long>(sizes[l - 1]), sizes[l], &layer) ||
        __builtin_add_overflow(weights, layer, &weights))
      return 0;
  }
  unsigned long long bytes = 0;
  if (__builtin_mul_overflow(weights, 6ull * sizeof(double), &bytes) ||
      __builtin_add_overflow(bytes, neurons * 12ull * sizeof(double), &bytes))
    return 0;
  return bytes;
}

void reportTooLarge(Reporter& reporter, unsigned long long bytes) {
  reporter.report("ERROR",
                  bytes ? formatC("Not enough memory to allocate %llu Bytes for this network.\n"
                                  "Try a smaller network or close other applications.",
                                  bytes)
                        : std::string("Not enough memory for this network.\n"
                                      "Try a smaller network or close other applications."),
                  MessageIcon::Error);
}

}  // namespace

std::unique_ptr<Network> buildNetwork(std::span<const std::uint32_t> sizes, double minWeight,
                                      double maxWeight, Reporter& reporter, const std::uint32_t* seed,
                                      unsigned long long memoryLimit) {
  if (sizes.size() < 2 || sizes.size() > static_cast<std::size_t>(kMaxLayers) || sizes.front() == 0 ||
      sizes.back() == 0) {
    reporter.report("Error", "The network needs its inputs and outputs: load a training data file first.",
                    MessageIcon::Error);
    return nullptr;
  }
  std::vector<int> layerSizes;
  for (const std::uint32_t size : sizes) {
    if (size == 0 || size > static_cast<std::uint32_t>(INT_MAX)) {
      reportTooLarge(reporter, 0);
      return nullptr;
    }
    layerSizes.push_back(static_cast<int>(size));
  }
  const unsigned long long bytes = networkBytes(sizes);
  if (bytes == 0 || bytes > memoryLimit) {
    reportTooLarge(reporter, bytes);
    return nullptr;
  }
  try {
    auto network = std::make_unique<Network>(layerSizes, minWeight, maxWeight);
    if (seed) network->randomizeWeights(*seed);
    return network;
  } catch (const std::bad_alloc&) {
    reportTooLarge(reporter, bytes);
    return nullptr;
  }
}

std::unique_ptr<Network> buildNetwork(const NetworkConfig& config, Reporter& reporter,
                                      const std::uint32_t* seed, unsigned long long memoryLimit) {
  return buildNetwork(config.layerSizes(), config.minWeight(), config.maxWeight(), reporter, seed,
                      memoryLimit);
}

void applyTopologyFromWeights(NetworkConfig& config, std::span<const std::uint32_t> sizes) {
  config.setLayerCount(static_cast<std::uint32_t>(sizes.size()));
  config.setInputCount(sizes.front());
  config.setOutputCount(sizes.back());
  for (int layer = 1; layer <= kHiddenLayerMax; ++layer) config.setHiddenNeurons(layer, 1);
  for (std::size_t k = 1; k + 1 < sizes.size() && k <= kHiddenLayerMax; ++k)
    config.setHiddenNeurons(static_cast<int>(k), sizes[k]);
}

AdaptiveSettings adaptiveSettingsOf(const NetworkConfig& config) {
  AdaptiveSettings settings;
  settings.rpropIncrease = config.rpropIncrease();
  settings.rpropDecrease = config.rpropDecrease();
  settings.rpropMaxStep = config.rpropMaxStep();
  settings.rpropMinStep = config.rpropMinStep();
  settings.rpropInitialStep = config.rpropInitialStep();
  settings.quickpropMaxGrowth = config.quickpropMaxGrowth();
  settings.dbdIncrease = config.dbdIncrease();
  settings.dbdDecrease = config.dbdDecrease();
  settings.dbdAverage = config.dbdAverage();
  return settings;
}

EpochSettings epochSettingsOf(const NetworkConfig& config) {
  EpochSettings settings;
  settings.patternClip = config.patternClip();
  settings.errorMargin = config.errorMargin();
  settings.preventSaturation = config.preventSaturation() != 0;
  settings.saturationThreshold = config.saturationThreshold();
  return settings;
}

void applyActivationChoices(const NetworkConfig& config, Network& network) {
  const auto known = [](ActivationType type) { return !activationName(type).empty(); };
  for (int layer = 1; layer <= kHiddenLayerMax && config.layerCount() > static_cast<std::uint32_t>(layer + 1);
       ++layer) {
    if (known(config.hiddenActivation(layer)) && layer < network.layerCount() - 1)
      network.setLayerType(layer, config.hiddenActivation(layer));
  }
  if (known(config.outputActivation())) network.setLayerType(6, config.outputActivation());
}

}  // namespace nodelyx
