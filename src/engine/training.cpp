// One training epoch: method dispatch, the pattern step with pattern
// clipping, back-propagation of the deltas, and the online and batch
// updates with momentum, weight decay and the weight limits.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <optional>
#include <span>

#include "engine/kernels.h"
#include "engine/network.h"

namespace nodelyx {

void Network::setTrainingMethod(TrainingMethod code, const AdaptiveSettings& settings) {
  method = code;
  passAhead_.valid = false;
  runAhead_.valid = false;
  switch (code) {
    case TrainingMethod::Rprop:
      setRpropParams(settings.rpropIncrease, settings.rpropDecrease, settings.rpropMaxStep,
                     settings.rpropMinStep, settings.rpropInitialStep);
      break;
    case TrainingMethod::Quickprop:
      setQuickpropMu(settings.quickpropMaxGrowth);
      break;
    case TrainingMethod::DeltaBarDelta:
      clearBatchChanges();
      setDbdParams(settings.dbdIncrease, settings.dbdDecrease, settings.dbdAverage);
      break;
    default:
      break;
  }
  for (NeuronBlock<double>* block : {&prevBiasSlope, &prevBiasChange, &biasBars}) block->fill(0.0);
  for (WeightBlock<double>* block : {&prevWeightSlope, &prevWeightChange, &weightBars}) block->fill(0.0);
}

double Network::trainEpoch(const PatternView& set, const EpochSettings& settings) {
  maxError = 0.0;
  const std::uint32_t count = set.count();
  if (count == 0) return 0.0;
  if (settings.preventSaturation) reduceSaturatedNeurons(set, settings.saturationThreshold);
  refreshScaling();
  rateFactor = 1.0;
  // The key of the pass or epoch done ahead: the set and settings stay as
  // they are for the whole epoch, so it is computed at most once.
  std::optional<PassAhead::Key> key;
  switch (method) {
    case TrainingMethod::OnlineBackprop:
    case TrainingMethod::OnlineBackpropRandom:
      if (!useRunAhead(set, settings, key))
        trainOnlinePass(set, settings, method == TrainingMethod::OnlineBackpropRandom);
      break;
    case TrainingMethod::BatchBackprop:
      if (!usePassAhead(set, settings, key)) trainBatchPass(set, settings);
      applyBatchUpdate();
      break;
    case TrainingMethod::Rprop:
      if (!usePassAhead(set, settings, key)) trainBatchPass(set, settings);
      rpropUpdate();
      break;
    case TrainingMethod::Quickprop:
      if (!usePassAhead(set, settings, key)) trainBatchPass(set, settings);
      quickpropUpdate();
      break;
    case TrainingMethod::DeltaBarDelta:
      dbdAdjustRates();  // from the slopes of the previous epoch
      trainBatchPass(set, settings);
      applyBatchUpdate();
      break;
  }
  passAhead_.valid = false;
  runAhead_.valid = false;
  if (wantsPassAhead(settings)) return evaluateAhead(set, settings, key);
  if (wantsRunAhead(set, settings)) return evaluateRunningAhead(set, settings, key);
  return evaluate(set, settings.errorMargin);
}

void Network::trainBatchPass(const PatternView& set, const EpochSettings& settings) {
  rateFactor = 1.0;
  uniformRate_ = uniformRate();
  clearBatchChanges();
  transposeForBackSums();
  packWeights();
  // The weights stay fixed during the pass, so the patterns go through in
  // blocks; noise, clipping and the accumulation still follow pattern order.
  const std::uint32_t count = set.count();
  {
    BlockAccumulation accumulation(*this, count);
    for (std::uint32_t first = 0; first < count; first += kPatternBlock) {
      const int block = static_cast<int>(std::min<std::uint32_t>(kPatternBlock, count - first));
      const Slot* slots = accumulation.nextSlots();
      const double* inputs[kPatternBlock];
      for (int k = 0; k < block; ++k) inputs[k] = set.input(first + static_cast<std::uint32_t>(k));
      forwardSlots(slots, inputs, block, inputNoise, scale_, true);
      for (int k = 0; k < block; ++k)
        outputErrorInto(slots[k], set.target(first + static_cast<std::uint32_t>(k)));
      const bool trainedLast = accumulation.add(block, settings, false);
      keepLastPattern(slots[block - 1], trainedLast);
    }
  }  // every block accumulated, with the rate it read
  uniformRate_.reset();
}

bool Network::clipRateFactor(const Slot& slot, const EpochSettings& settings) {
  if (settings.patternClip >= 1.0) return true;
  // Learned patterns (within the margin, in data units) train at the
  // clipped rate, or not at all when the clip is 0.
  if (patternRms(slot.errorData) > settings.errorMargin) {
    rateFactor = 1.0;
  } else if (settings.patternClip != 0.0) {
    rateFactor = settings.patternClip;
  } else {
    return false;
  }
  return true;
}

void Network::accumulateSlots(const Slot* const* slots, const double* factors, int count) {
  if (count == 0) return;
  const double one = 1.0;
  const double* ones[kPatternBlock];
  std::fill(std::begin(ones), std::end(ones), &one);
  const double* x[kPatternBlock];
  const double* d[kPatternBlock];
  const auto patterns = static_cast<std::size_t>(count);
  const double rate = uniformRate_.value_or(0.0);
  for (int l = 1; l < layerCount(); ++l) {
    const auto n = static_cast<std::size_t>(layerSize(l));
    for (int k = 0; k < count; ++k) {
      x[k] = slots[k]->outputs + layout_.neuronStart(l - 1);
      d[k] = slots[k]->deltas + layout_.neuronStart(l);
    }
    kernels::accumulateLayer(patterns, batchBiasChange.layer(l), uniformRate_ ? nullptr : biasRates.layer(l),
                             ones, 1, d, factors, n, rate);
    kernels::accumulateLayer(patterns, batchWeightChange.layer(l),
                             uniformRate_ ? nullptr : weightRates.layer(l), x,
                             static_cast<std::size_t>(layerSize(l - 1)), d, factors, n, rate);
  }
}

// The one rate every weight and bias has, when they all have the same
// (as the learning rate sets them): the online step and the batch
// accumulation then read no rates.
std::optional<double> Network::uniformRate() const {
  const std::span<const double> weightRateValues = weightRates.all();
  const std::span<const double> biasRateValues = biasRates.fromLayerOne();
  if (weightRateValues.empty()) return std::nullopt;
  const double rate = weightRateValues.front();
  const auto same = [rate](double r) {
    return std::bit_cast<std::uint64_t>(r) == std::bit_cast<std::uint64_t>(rate);
  };
  if (!std::all_of(weightRateValues.begin(), weightRateValues.end(), same) ||
      !std::all_of(biasRateValues.begin(), biasRateValues.end(), same))
    return std::nullopt;
  return rate;
}

void Network::clearBatchChanges() {
  batchWeightChange.fill(0.0);
  batchBiasChange.fill(0.0);
}

void Network::applyBatchUpdate() {
  const kernels::UpdateConstants constants{momentum, rateFactor, weightDecay, minWeight, maxWeight};
  kernels::batchUpdate(biases.fromLayerOne().data(), prevBiasChange.fromLayerOne().data(),
                       batchBiasChange.fromLayerOne().data(), biases.fromLayerOne().size(), constants);
  kernels::batchUpdate(weights.all().data(), prevWeightChange.all().data(), batchWeightChange.all().data(),
                       weights.all().size(), constants);
}

}  // namespace nodelyx
