// The online epoch. Each pattern's step updates the weights layer by
// layer; the next pattern's forward pass needs exactly those weights, so
// in a large layer the same sweep over the rows also computes the next
// pattern's sums from them, and every weight is read once per pattern
// instead of twice. A large first layer may also be shared with a second
// thread (see shared_layer.cpp).
//
// The results are those of one pattern after the other: every sum keeps
// its order, and the draws keep theirs (the next pattern's index and its
// input noise come after this pattern's forward pass, and the step draws
// nothing).
#include <cstdint>

#include "engine/kernels.h"
#include "engine/network.h"
#include "engine/random.h"

namespace nodelyx {

// A layer's step also computes the next pattern's sums when the weights and
// their changes come from beyond the first-level cache; a smaller layer
// reads them fast enough twice, and the sums in memory would cost more.
// Across a few neurons, moreover, each row's sums would wait for the last
// row's.
bool Network::fusesSums(std::size_t sources, std::size_t neurons) {
  constexpr std::size_t kMinWeights = 4096;  // 64 KB of weights and changes
  constexpr std::size_t kMinNeurons = 16;
  return neurons >= kMinNeurons && sources * neurons >= kMinWeights;
}

void Network::trainOnlinePass(const PatternView& set, const EpochSettings& settings, bool randomOrder) {
  const std::uint32_t count = set.count();
  uniformRate_ = uniformRate();
  // With replacement: a random-order epoch may use a pattern twice and skip another.
  const auto pick = [&](std::uint32_t u) { return randomOrder ? randomIndex(count) : u; };
  // Two sets of values, this pattern's and the next's; the deltas of both
  // go to the network's own, where the last trained pattern leaves them.
  // A network without a layer to fuse keeps the plain order (the whole
  // step, then the whole forward pass) in the network's own values.
  bool fusing = false;
  for (int l = 1; l < layerCount(); ++l)
    fusing |= fusesSums(static_cast<std::size_t>(layerSize(l - 1)), static_cast<std::size_t>(layerSize(l)));
  Slot slots[2] = {ownSlot(), fusing ? blockSlot(0) : ownSlot()};
  slots[1].deltas = slots[0].deltas;
  int current = 0;
  std::uint32_t p = pick(0);
  const double* input = set.input(p);
  forwardSlots(&slots[current], &input, 1, inputNoise, scale_);
  const bool sharing = fusing && shareFirstLayer();
  for (std::uint32_t u = 0;; ++u) {
    const Slot& now = slots[current];
    const Slot& next = slots[1 - current];
    outputErrorInto(now, set.target(p));
    const bool trained = clipRateFactor(now, settings);
    if (trained) deltasInto(now);
    if (u + 1 == count) {
      if (trained) onlineStep(now, nullptr, nullptr);
      break;
    }
    p = pick(u + 1);
    input = set.input(p);
    if (trained && sharing) {
      sharedStep(now, next, input);
    } else if (trained && fusing) {
      onlineStep(now, &next, input);
    } else {
      if (trained) onlineStep(now, nullptr, nullptr);
      if (sharing)
        forwardShared(next, input);
      else
        forwardSlots(&next, &input, 1, inputNoise, scale_);
    }
    current = 1 - current;
  }
  if (sharing) releaseFirstLayer();
  if (fusing && current != 0) keepLastPattern(slots[current], false);
  uniformRate_.reset();
}

kernels::UpdateConstants Network::stepConstants() const {
  kernels::UpdateConstants constants{momentum, rateFactor, weightDecay, minWeight, maxWeight};
  if (uniformRate_) constants.uniformRate = *uniformRate_;
  return constants;
}

// The step of the pattern in now; with next, also the forward pass of
// nextInput into next, layer by layer from the updated parameters (the
// operations of forwardSlots, in its order).
void Network::onlineStep(const Slot& now, const Slot* next, const double* nextInput) {
  const kernels::UpdateConstants constants = stepConstants();
  if (next != nullptr) scaleInputs(scale_, nextInput, inputNoise, next->outputs);
  for (int l = 1; l < layerCount(); ++l) {
    const auto n = static_cast<std::size_t>(layerSize(l));
    if (l == 1 && shared_.active) {
      for (int part = 0; part < 2; ++part)
        stepLayer(now, next, l, shared_.first(part), shared_.width(part, n), constants);
    } else {
      stepLayer(now, next, l, 0, n, constants);
    }
  }
}

// The step of neurons first..first+count-1 of layer l and, with next, their
// sums (into sums when given, else into next) and outputs for the next
// pattern. A shared first layer goes by its panels; any other layer whole
// (first 0, count the layer's size).
void Network::stepLayer(const Slot& now, const Slot* next, int l, std::size_t first, std::size_t count,
                        const kernels::UpdateConstants& constants, double* sums) {
  const auto n = static_cast<std::size_t>(layerSize(l));
  const std::size_t start = layout_.neuronStart(l) + first;
  const std::size_t sourceStart = layout_.neuronStart(l - 1);
  const double* layerDeltas = now.deltas + start;
  const double one = 1.0;  // the bias's input
  kernels::onlineUpdateLayer(biases.layer(l) + first, prevBiasChange.layer(l) + first,
                             uniformRate_ ? nullptr : biasRates.layer(l) + first, &one, 1, layerDeltas, count,
                             constants);
  const auto sources = static_cast<std::size_t>(layerSize(l - 1));
  const bool panel = l == 1 && shared_.active;
  const int part = first == 0 ? 0 : 1;
  double* layerWeights = panel ? shared_.weights[part].data() : weights.layer(l);
  double* changes = panel ? shared_.changes[part].data() : prevWeightChange.layer(l);
  const double* rates = uniformRate_ ? nullptr : weightRates.layer(l);  // a panel has one rate
  const double* x = now.outputs + sourceStart;
  if (next == nullptr) {
    kernels::onlineUpdateLayer(layerWeights, changes, rates, x, sources, layerDeltas, count, constants);
    return;
  }
  const double* nextX = next->outputs + sourceStart;
  double* nextNet = sums != nullptr ? sums : next->net + start;
  if (fusesSums(sources, n)) {
    kernels::onlineUpdateLayerWithSums(layerWeights, changes, rates, x, sources, layerDeltas, count,
                                       constants, nextX, nextNet);
  } else {
    kernels::onlineUpdateLayer(layerWeights, changes, rates, x, sources, layerDeltas, count, constants);
    kernels::weightedSums(1, &nextX, sources, layerWeights, count, &nextNet);
  }
  kernels::addBiasAndActivate(layerTypes[static_cast<std::size_t>(l)], biases.layer(l) + first, nextNet,
                              next->outputs + start, count);
}

}  // namespace nodelyx
