// The online epoch. Each pattern's step updates the weights layer by
// layer; the next pattern's forward pass needs exactly those weights, so
// in a large layer the same sweep over the rows also computes the next
// pattern's sums from them, and every weight is read once per pattern
// instead of twice.
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
namespace {

// Whether a layer's step also computes the next pattern's sums. It pays
// when the weights and their changes come from beyond the first-level
// cache; a smaller layer reads them fast enough twice, and the sums in
// memory would cost more. Across a few neurons, moreover, each row's sums
// would wait for the last row's.
bool fuseSums(std::size_t sources, std::size_t neurons) {
  constexpr std::size_t kMinWeights = 4096;  // 64 KB of weights and changes
  constexpr std::size_t kMinNeurons = 16;
  return neurons >= kMinNeurons && sources * neurons >= kMinWeights;
}

}  // namespace

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
    fusing |= fuseSums(static_cast<std::size_t>(layerSize(l - 1)), static_cast<std::size_t>(layerSize(l)));
  Slot slots[2] = {ownSlot(), fusing ? blockSlot(0) : ownSlot()};
  slots[1].deltas = slots[0].deltas;
  int current = 0;
  std::uint32_t p = pick(0);
  const double* input = set.input(p);
  forwardSlots(&slots[current], &input, 1, inputNoise, scale_);
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
    if (trained && fusing) {
      onlineStep(now, &next, input);
    } else {
      if (trained) onlineStep(now, nullptr, nullptr);
      forwardSlots(&next, &input, 1, inputNoise, scale_);
    }
    current = 1 - current;
  }
  if (fusing && current != 0) keepLastPattern(slots[current], false);
  uniformRate_.reset();
}

// The step of the pattern in now; with next, also the forward pass of
// nextInput into next, layer by layer from the updated parameters (the
// operations of forwardSlots, in its order).
void Network::onlineStep(const Slot& now, const Slot* next, const double* nextInput) {
  kernels::UpdateConstants constants{momentum, rateFactor, weightDecay, minWeight, maxWeight};
  if (uniformRate_) constants.uniformRate = *uniformRate_;
  if (next != nullptr) scaleInputs(scale_, nextInput, inputNoise, next->outputs);
  const double one = 1.0;  // the bias's input
  for (int l = 1; l < layerCount(); ++l) {
    const auto n = static_cast<std::size_t>(layerSize(l));
    const std::size_t start = layout_.neuronStart(l);
    const std::size_t sourceStart = layout_.neuronStart(l - 1);
    const double* layerDeltas = now.deltas + start;
    kernels::onlineUpdateLayer(biases.layer(l), prevBiasChange.layer(l),
                               uniformRate_ ? nullptr : biasRates.layer(l), &one, 1, layerDeltas, n,
                               constants);
    const auto sources = static_cast<std::size_t>(layerSize(l - 1));
    double* layerWeights = weights.layer(l);
    double* changes = prevWeightChange.layer(l);
    const double* rates = uniformRate_ ? nullptr : weightRates.layer(l);
    const double* x = now.outputs + sourceStart;
    if (next == nullptr) {
      kernels::onlineUpdateLayer(layerWeights, changes, rates, x, sources, layerDeltas, n, constants);
      continue;
    }
    const double* nextX = next->outputs + sourceStart;
    double* nextNet = next->net + start;
    if (fuseSums(sources, n)) {
      kernels::onlineUpdateLayerWithSums(layerWeights, changes, rates, x, sources, layerDeltas, n, constants,
                                         nextX, nextNet);
    } else {
      kernels::onlineUpdateLayer(layerWeights, changes, rates, x, sources, layerDeltas, n, constants);
      kernels::weightedSums(1, &nextX, sources, layerWeights, n, &nextNet);
    }
    kernels::addBiasAndActivate(layerTypes[static_cast<std::size_t>(l)], biases.layer(l), nextNet,
                                next->outputs + start, n);
  }
}

}  // namespace nodelyx
