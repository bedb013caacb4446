#include "engine/layer_blocks.h"

namespace nodelyx {

LayerLayout::LayerLayout(std::span<const int> sizes) {
  assert(sizes.size() >= 2 && sizes.size() <= static_cast<std::size_t>(kMaxLayers));
  layerCount_ = static_cast<int>(sizes.size());
  for (int l = 0; l < layerCount_; ++l) {
    const auto at = static_cast<std::size_t>(l);
    sizes_[at] = sizes[at];
    neuronStart_[at + 1] = neuronStart_[at] + static_cast<std::size_t>(sizes[at]);
    const std::size_t layerWeights =
        l == 0 ? 0 : static_cast<std::size_t>(sizes[at - 1]) * static_cast<std::size_t>(sizes[at]);
    weightStart_[at + 1] = weightStart_[at] + layerWeights;
  }
}

}  // namespace nodelyx
