// The network's pattern operations: input scaling and noise, the forward
// pass, the output error, the deltas, evaluation and recall. Passes that
// leave the weights alone (evaluation, the batch pass) take the patterns in
// blocks, so that each weight is read once per block.
#include <algorithm>
#include <cmath>

#include "engine/kernels.h"
#include "engine/network.h"
#include "engine/random.h"

namespace nodelyx {

Network::Slot Network::ownSlot() {
  return {outputs.all().data(), netInputs.all().data(), deltas.all().data(), outputError.data(),
          outputErrorData.data()};
}

Network::Slot Network::blockSlot(int k) { return scratchSlot(blockScratch_, k); }

Network::Slot Network::scratchSlot(std::span<double> scratch, int k) const {
  const std::size_t neurons = layout_.neuronCount();
  const auto outs = static_cast<std::size_t>(outputCount());
  double* base = scratch.data() + static_cast<std::size_t>(k) * slotSize();
  return {base, base + neurons, base + 2 * neurons, base + 3 * neurons, base + 3 * neurons + outs};
}

std::size_t Network::slotSize() const {
  return 3 * layout_.neuronCount() + 2 * static_cast<std::size_t>(outputCount());
}

void Network::refreshScaling() { refreshScaling(scale_); }

void Network::refreshScaling(ScaleCache& s) const {
  s.enabled = scalingEnabled.load(std::memory_order_relaxed) != 0;
  if (!s.enabled) return;
  const auto inputs = static_cast<std::size_t>(inputCount());
  for (std::size_t c = 0; c < inputs; ++c) {
    s.inFactor[c] = (toMax[c] - toMin[c]) / (fromMax[c] - fromMin[c]);
    s.inFactorFromMin[c] = s.inFactor[c] * fromMin[c];
  }
  for (std::size_t k = 0; k < static_cast<std::size_t>(outputCount()); ++k) {
    const std::size_t c = inputs + k;
    s.outFactor[k] = (toMax[c] - toMin[c]) / (fromMax[c] - fromMin[c]);
    s.outFactorFromMin[k] = s.outFactor[k] * fromMin[c];
    s.unFactor[k] = (fromMax[c] - fromMin[c]) / (toMax[c] - toMin[c]);
    s.unFactorToMin[k] = s.unFactor[k] * toMin[c];
  }
}

void Network::scaleInputs(const ScaleCache& s, const double* input, double noiseSigma,
                          double* layerZero) const {
  const auto inputs = static_cast<std::size_t>(inputCount());
  if (noiseSigma == 0.0) {
    // gaussian(0, 0) is 0.0 and draws nothing; adding it still turns -0
    // into +0, as with noise.
    if (!s.enabled) {
      for (std::size_t i = 0; i < inputs; ++i) layerZero[i] = 0.0 + input[i];
      return;
    }
    const double* factor = s.inFactor.data();
    const double* low = toMin.data();
    const double* factorFromMin = s.inFactorFromMin.data();
    for (std::size_t i = 0; i < inputs; ++i)
      layerZero[i] = factor[i] * input[i] + low[i] - factorFromMin[i] + 0.0;
    return;
  }
  for (int i = 0; i < inputCount(); ++i) {
    const auto c = static_cast<std::size_t>(i);
    const double noise = gaussian(0.0, noiseSigma);
    if (!s.enabled)
      layerZero[i] = noise + input[i];
    else
      layerZero[i] = s.inFactor[c] * input[i] + toMin[c] - s.inFactorFromMin[c] + noise;
  }
}

double Network::unscaleOutput(const ScaleCache& s, int k, double y) const {
  if (!s.enabled) return y;
  const auto at = static_cast<std::size_t>(k);
  return s.unFactor[at] * y + fromMin[static_cast<std::size_t>(inputCount() + k)] - s.unFactorToMin[at];
}

void Network::forwardSlots(const Slot* slots, const double* const* inputs, int count, double noiseSigma,
                           const ScaleCache& scale, bool packedWeights) const {
  const double* x[kPatternBlock];
  double* net[kPatternBlock];
  for (int k = 0; k < count; ++k) scaleInputs(scale, inputs[k], noiseSigma, slots[k].outputs);
  for (int l = 1; l < layerCount(); ++l) {
    const std::size_t start = layout_.neuronStart(l);
    const auto n = static_cast<std::size_t>(layerSize(l));
    for (int k = 0; k < count; ++k) {
      x[k] = slots[k].outputs + layout_.neuronStart(l - 1);
      net[k] = slots[k].net + start;
    }
    // Each neuron's sum runs over the sources in ascending order from 0; the
    // bias is added last.
    const auto sources = static_cast<std::size_t>(layerSize(l - 1));
    for (int k = 0; k < count; k += static_cast<int>(kernels::kMaxPatterns)) {
      const auto patterns = std::min<std::size_t>(kernels::kMaxPatterns, static_cast<std::size_t>(count - k));
      if (packedWeights)
        kernels::weightedSumsPacked(patterns, x + k, sources,
                                    packed_.data() + packedStart_[static_cast<std::size_t>(l)], n, net + k);
      else
        kernels::weightedSums(patterns, x + k, sources, weights.layer(l), n, net + k);
    }
    const double* bias = biases.layer(l);
    const ActivationType type = layerTypes[static_cast<std::size_t>(l)];
    for (int k = 0; k < count; ++k)
      kernels::addBiasAndActivate(type, bias, net[k], slots[k].outputs + start, n);
  }
}

void Network::forwardOwn(const double* input, double noiseSigma) {
  const Slot own = ownSlot();
  forwardSlots(&own, &input, 1, noiseSigma, scale_);
}

void Network::forward(const double* input, double noiseSigma) {
  refreshScaling();
  forwardOwn(input, noiseSigma);
}

void Network::outputErrorInto(const Slot& slot, const double* target) const {
  const double* y = slot.outputs + layout_.neuronStart(layerCount() - 1);
  for (int k = 0; k < outputCount(); ++k) {
    if (!scale_.enabled) {
      slot.error[k] = target[k] - y[k];
      slot.errorData[k] = slot.error[k];
      continue;
    }
    const auto c = static_cast<std::size_t>(inputCount() + k);
    const auto at = static_cast<std::size_t>(k);
    slot.error[k] = (scale_.outFactor[at] * target[k] + toMin[c] - scale_.outFactorFromMin[at]) - y[k];
    slot.errorData[k] = target[k] - (scale_.unFactor[at] * y[k] + fromMin[c] - scale_.unFactorToMin[at]);
  }
}

void Network::computeOutputError(const double* target) {
  refreshScaling();
  outputErrorInto(ownSlot(), target);
}

void Network::transposeForBackSums() {
  transposed_.resize(layout_.weightCount());
  for (int l = 2; l < layerCount(); ++l) {
    const auto sources = static_cast<std::size_t>(layerSize(l - 1));
    const auto n = static_cast<std::size_t>(layerSize(l));
    const double* w = weights.layer(l);
    double* t = transposed_.data() + layout_.weightStart(l);
    for (std::size_t j = 0; j < sources; ++j)
      for (std::size_t k = 0; k < n; ++k) t[k * sources + j] = w[j * n + k];
  }
}

void Network::packWeights() {
  std::size_t size = 0;
  for (int l = 1; l < layerCount(); ++l) {
    packedStart_[static_cast<std::size_t>(l)] = size;
    size += kernels::packedSize(static_cast<std::size_t>(layerSize(l - 1)),
                                static_cast<std::size_t>(layerSize(l)));
  }
  packed_.resize(size);
  for (int l = 1; l < layerCount(); ++l)
    kernels::packPanels(weights.layer(l), static_cast<std::size_t>(layerSize(l - 1)),
                        static_cast<std::size_t>(layerSize(l)),
                        packed_.data() + packedStart_[static_cast<std::size_t>(l)]);
}

void Network::deltasInto(const Slot& slot) const {
  const int last = layerCount() - 1;
  outputDeltas(slot);
  for (int l = last - 1; l >= 1; --l) {
    double* layerDeltas = slot.deltas + layout_.neuronStart(l);
    kernels::backSums(weights.layer(l + 1), static_cast<std::size_t>(layerSize(l)),
                      static_cast<std::size_t>(layerSize(l + 1)), slot.deltas + layout_.neuronStart(l + 1),
                      layerDeltas);
    hiddenDeltas(slot, l);
  }
}

void Network::outputDeltas(const Slot& slot) const {
  const int last = layerCount() - 1;
  const std::size_t start = layout_.neuronStart(last);
  kernels::multiplyByDerivative(layerTypes[static_cast<std::size_t>(last)], slot.outputs + start, slot.error,
                                slot.deltas + start, static_cast<std::size_t>(layerSize(last)));
}

void Network::hiddenDeltas(const Slot& slot, int l) const {
  const std::size_t start = layout_.neuronStart(l);
  kernels::multiplyByDerivative(layerTypes[static_cast<std::size_t>(l)], slot.outputs + start,
                                slot.deltas + start, slot.deltas + start,
                                static_cast<std::size_t>(layerSize(l)));
}

// The deltas of several patterns, layer by layer, from the transposed
// weights: each weight of a layer's back sums is read once for up to
// kernels::kMaxPatterns patterns.
void Network::blockDeltas(const Slot* const* slots, int count) const {
  const int last = layerCount() - 1;
  for (int k = 0; k < count; ++k) outputDeltas(*slots[k]);
  for (int l = last - 1; l >= 1; --l) {
    const double* next[kPatternBlock];
    double* sums[kPatternBlock];
    for (int k = 0; k < count; ++k) {
      next[k] = slots[k]->deltas + layout_.neuronStart(l + 1);
      sums[k] = slots[k]->deltas + layout_.neuronStart(l);
    }
    for (int k = 0; k < count; k += static_cast<int>(kernels::kMaxPatterns)) {
      const auto patterns = std::min<std::size_t>(kernels::kMaxPatterns, static_cast<std::size_t>(count - k));
      kernels::backSumsTransposedPatterns(patterns, transposed_.data() + layout_.weightStart(l + 1),
                                          static_cast<std::size_t>(layerSize(l)),
                                          static_cast<std::size_t>(layerSize(l + 1)), next + k, sums + k);
    }
    for (int k = 0; k < count; ++k) hiddenDeltas(*slots[k], l);
  }
}

void Network::computeDeltas() { deltasInto(ownSlot()); }

void Network::keepLastPattern(const Slot& slot, bool withDeltas) {
  const Slot own = ownSlot();
  const std::size_t neurons = layout_.neuronCount();
  const auto outs = static_cast<std::size_t>(outputCount());
  std::copy(slot.outputs, slot.outputs + neurons, own.outputs);
  std::copy(slot.net, slot.net + neurons, own.net);
  if (withDeltas) std::copy(slot.deltas, slot.deltas + neurons, own.deltas);
  std::copy(slot.error, slot.error + outs, own.error);
  std::copy(slot.errorData, slot.errorData + outs, own.errorData);
}

void Network::recall(const double* input, double* result) {
  // Recall has buffers and scale factors of its own, so that evaluating for
  // a plot or a file never writes what a training pass reads; its net
  // inputs are not kept.
  const Slot slot{recallOutputs.all().data(), recallOutputs.all().data(), nullptr, nullptr, nullptr};
  refreshScaling(recallScale_);
  forwardSlots(&slot, &input, 1, 0.0, recallScale_);
  const double* y = recallOutputs.layer(layerCount() - 1);
  for (int k = 0; k < outputCount(); ++k) result[k] = unscaleOutput(recallScale_, k, y[k]);
}

}  // namespace nodelyx
