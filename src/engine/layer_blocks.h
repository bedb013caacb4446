// Storage for the network's per-weight and per-neuron arrays: one contiguous
// block per array, all layers in a row, so an epoch walks memory linearly.
// Owned by the Network; used on whichever thread owns the network.
//
// Weight layout. The weight from neuron i of layer l-1 to neuron j of layer l
// (the index [l][j][i], l = 1..L-1) lives at
//     start(l) + i * n(l) + j
// that is, source-major: the weights leaving source neuron i towards every
// neuron of layer l are adjacent. The forward pass then adds one source at a
// time to all neurons of a layer and the backward pass sums over the
// neurons of the next layer, both over adjacent memory, while every sum keeps
// its ascending index order.
//
// Neuron layout. Neuron j of layer l (l = 0..L-1) lives at start(l) + j.
// Blocks of per-neuron values that exist only for l >= 1 still reserve the
// input layer's slots, which keeps one offset table for all of them.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <span>
#include <vector>

namespace nodelyx {

inline constexpr int kMaxLayers = 7;

// The offsets of one topology, shared by the blocks built from it.
class LayerLayout {
 public:
  LayerLayout() = default;
  explicit LayerLayout(std::span<const int> sizes);

  int layerCount() const { return layerCount_; }
  int size(int layer) const { return sizes_[static_cast<std::size_t>(layer)]; }
  std::size_t weightStart(int layer) const { return weightStart_[static_cast<std::size_t>(layer)]; }
  std::size_t neuronStart(int layer) const { return neuronStart_[static_cast<std::size_t>(layer)]; }
  std::size_t weightCount() const { return weightStart_[static_cast<std::size_t>(layerCount_)]; }
  std::size_t neuronCount() const { return neuronStart_[static_cast<std::size_t>(layerCount_)]; }

 private:
  int layerCount_ = 0;
  std::array<int, kMaxLayers> sizes_{};
  std::array<std::size_t, kMaxLayers + 1> weightStart_{};
  std::array<std::size_t, kMaxLayers + 1> neuronStart_{};
};

// One value per weight.
template <typename T>
class WeightBlock {
 public:
  void allocate(const LayerLayout& layout) {
    layout_ = layout;
    // Kernels read whole vectors; the last of a layer may reach past the
    // block by up to kSlack values, which are zero and belong to nobody.
    values_.assign(layout.weightCount() + kSlack, T{});
  }

  // Weight i of neuron j in layer l, by the model's [l][j][i] index.
  T& at(int l, int j, int i) { return values_[index(l, j, i)]; }
  const T& at(int l, int j, int i) const { return values_[index(l, j, i)]; }

  // The n(l-1) * n(l) values of layer l, source-major (see above).
  T* layer(int l) { return values_.data() + layout_.weightStart(l); }
  const T* layer(int l) const { return values_.data() + layout_.weightStart(l); }

  std::span<T> all() { return std::span<T>(values_).first(layout_.weightCount()); }
  std::span<const T> all() const { return std::span<const T>(values_).first(layout_.weightCount()); }
  void fill(T value) {
    std::fill(values_.begin(), values_.begin() + static_cast<std::ptrdiff_t>(layout_.weightCount()), value);
  }

 private:
  std::size_t index(int l, int j, int i) const {
    assert(l >= 1 && l < layout_.layerCount());
    assert(j >= 0 && j < layout_.size(l) && i >= 0 && i < layout_.size(l - 1));
    return layout_.weightStart(l) + static_cast<std::size_t>(i) * static_cast<std::size_t>(layout_.size(l)) +
           static_cast<std::size_t>(j);
  }

  static constexpr std::size_t kSlack = 8;
  LayerLayout layout_;
  std::vector<T> values_;  // the values, then kSlack zeros
};

// One value per neuron of every layer.
template <typename T>
class NeuronBlock {
 public:
  void allocate(const LayerLayout& layout) {
    layout_ = layout;
    values_.assign(layout.neuronCount(), T{});
  }

  // Neuron j of layer l, by the model's [l][j] index.
  T& at(int l, int j) { return values_[index(l, j)]; }
  const T& at(int l, int j) const { return values_[index(l, j)]; }

  // The n(l) values of layer l.
  T* layer(int l) { return values_.data() + layout_.neuronStart(l); }
  const T* layer(int l) const { return values_.data() + layout_.neuronStart(l); }

  // Every layer from 1 on (the values that have a meaning for l >= 1).
  std::span<T> fromLayerOne() {
    return std::span<T>(values_).subspan(layout_.neuronStart(std::min(1, layout_.layerCount())));
  }
  std::span<const T> fromLayerOne() const {
    return std::span<const T>(values_).subspan(layout_.neuronStart(std::min(1, layout_.layerCount())));
  }
  std::span<T> all() { return values_; }
  std::span<const T> all() const { return values_; }
  void fill(T value) { std::fill(values_.begin(), values_.end(), value); }

 private:
  std::size_t index(int l, int j) const {
    assert(l >= 0 && l < layout_.layerCount());
    assert(j >= 0 && j < layout_.size(l));
    return layout_.neuronStart(l) + static_cast<std::size_t>(j);
  }

  LayerLayout layout_;
  std::vector<T> values_;
};

}  // namespace nodelyx
