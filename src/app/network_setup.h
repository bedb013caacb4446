// Turning the settings record into engine settings: building a network of
// the configured topology, the adaptive parameters, the activation choices
// and what each epoch of a run reads. GUI thread.
#pragma once

#include <memory>

#include "app/session.h"
#include "engine/network.h"
#include "engine/training_settings.h"
#include "files/network_config.h"
#include "files/reporter.h"

namespace nodelyx {

// A network of the configured topology and weight limits, with random
// weights; null (after a message) when the topology is incomplete or too
// large for memory. seed: the generator's seed (time-seeded without one).
// memoryLimit: the most bytes the network may take.
std::unique_ptr<Network> buildNetwork(const NetworkConfig& config, Reporter& reporter,
                                      const std::uint32_t* seed = nullptr,
                                      unsigned long long memoryLimit = defaultNetworkMemoryLimit());

// The same for explicit layer sizes (a weights file's topology).
std::unique_ptr<Network> buildNetwork(std::span<const std::uint32_t> sizes, double minWeight,
                                      double maxWeight, Reporter& reporter,
                                      const std::uint32_t* seed = nullptr,
                                      unsigned long long memoryLimit = defaultNetworkMemoryLimit());

// A weights file's topology into the settings: layer count, inputs,
// outputs, and the hidden sizes (1 for the layers the file does not have).
void applyTopologyFromWeights(NetworkConfig& config, std::span<const std::uint32_t> sizes);

AdaptiveSettings adaptiveSettingsOf(const NetworkConfig& config);
EpochSettings epochSettingsOf(const NetworkConfig& config);

// Hands the chosen activation of every existing hidden layer and of the
// output layer to the network (codes outside 1..4 leave a layer as it is).
void applyActivationChoices(const NetworkConfig& config, Network& network);

}  // namespace nodelyx
