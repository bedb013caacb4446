// One training epoch: method dispatch, the pattern step with pattern
// clipping, back-propagation of the deltas, and the online and batch
// updates with momentum, weight decay and the weight limits.
#include <cmath>

#include "engine/kernels.h"
#include "engine/network.h"
#include "engine/random.h"

namespace nodelyx {

void Network::setTrainingMethod(TrainingMethod code, const AdaptiveSettings& settings) {
  method = code;
  switch (code) {
    case TrainingMethod::Rprop:
      setRpropParams(settings.rpropIncrease, settings.rpropDecrease, settings.rpropMaxStep,
                     settings.rpropMinStep, settings.rpropInitialStep);
      break;
    case TrainingMethod::Quickprop: setQuickpropMu(settings.quickpropMaxGrowth); break;
    case TrainingMethod::DeltaBarDelta:
      clearBatchChanges();
      setDbdParams(settings.dbdIncrease, settings.dbdDecrease, settings.dbdAverage);
      break;
    default: break;
  }
  for (NeuronBlock<double>* block : {&prevBiasSlope, &prevBiasChange, &biasBars}) block->fill(0.0);
  for (WeightBlock<double>* block : {&prevWeightSlope, &prevWeightChange, &weightBars}) block->fill(0.0);
}

double Network::trainEpoch(const PatternView& set, const EpochSettings& settings) {
  maxError = 0.0;
  const std::uint32_t count = set.count();
  if (count == 0) return 0.0;
  if (settings.preventSaturation) reduceSaturatedNeurons(set, settings.saturationThreshold);
  rateFactor = 1.0;
  switch (method) {
    case TrainingMethod::OnlineBackprop:
      for (std::uint32_t p = 0; p < count; ++p) trainPattern(set, p, settings, PatternUpdate::Online);
      break;
    case TrainingMethod::OnlineBackpropRandom:
      // With replacement: an epoch may use a pattern twice and skip another.
      for (std::uint32_t u = 0; u < count; ++u)
        trainPattern(set, randomIndex(count), settings, PatternUpdate::Online);
      break;
    case TrainingMethod::BatchBackprop:
      trainBatchPass(set, settings);
      applyBatchUpdate();
      break;
    case TrainingMethod::Rprop:
      trainBatchPass(set, settings);
      rpropUpdate();
      break;
    case TrainingMethod::Quickprop:
      trainBatchPass(set, settings);
      quickpropUpdate();
      break;
    case TrainingMethod::DeltaBarDelta:
      dbdAdjustRates();  // from the slopes of the previous epoch
      trainBatchPass(set, settings);
      applyBatchUpdate();
      break;
  }
  return evaluate(set, settings.errorMargin);
}

void Network::trainBatchPass(const PatternView& set, const EpochSettings& settings) {
  rateFactor = 1.0;
  clearBatchChanges();
  for (std::uint32_t p = 0; p < set.count(); ++p) trainPattern(set, p, settings, PatternUpdate::Accumulate);
}

void Network::trainPattern(const PatternView& set, std::uint32_t p, const EpochSettings& settings,
                           PatternUpdate update) {
  forward(set.input(p), inputNoise);
  computeOutputError(set.target(p));
  if (settings.patternClip < 1.0) {
    // Learned patterns (within the margin, in data units) train at the
    // clipped rate, or not at all when the clip is 0.
    double sum = 0.0;
    for (const double e : outputErrorData) sum += e * e;
    const double patternRms = std::sqrt(sum / outputCount());
    if (patternRms > settings.errorMargin) {
      rateFactor = 1.0;
    } else if (settings.patternClip != 0.0) {
      rateFactor = settings.patternClip;
    } else {
      return;
    }
  }
  computeDeltas();
  if (update == PatternUpdate::Online)
    applyOnlineUpdate();
  else
    accumulateBatch();
}

void Network::computeDeltas() {
  const int last = layerCount() - 1;
  double* outputDeltas = deltas.layer(last);
  const double* y = outputs.layer(last);
  const ActivationType outputType = layerTypes[static_cast<std::size_t>(last)];
  for (int j = 0; j < layerSize(last); ++j)
    outputDeltas[j] = derivativeTerm(outputType, y[j]) * outputError[static_cast<std::size_t>(j)];
  for (int l = last - 1; l >= 1; --l) {
    double* layerDeltas = deltas.layer(l);
    const auto n = static_cast<std::size_t>(layerSize(l));
    kernels::backSums(weights.layer(l + 1), n, static_cast<std::size_t>(layerSize(l + 1)),
                      deltas.layer(l + 1), layerDeltas);
    const ActivationType type = layerTypes[static_cast<std::size_t>(l)];
    const double* out = outputs.layer(l);
    for (std::size_t j = 0; j < n; ++j) layerDeltas[j] = derivativeTerm(type, out[j]) * layerDeltas[j];
  }
}

void Network::applyOnlineUpdate() {
  const kernels::UpdateConstants constants{momentum, rateFactor, weightDecay, minWeight, maxWeight};
  const double one = 1.0;  // the bias's input
  for (int l = 1; l < layerCount(); ++l) {
    const auto n = static_cast<std::size_t>(layerSize(l));
    const double* layerDeltas = deltas.layer(l);
    kernels::onlineUpdateLayer(biases.layer(l), prevBiasChange.layer(l), biasRates.layer(l), &one, 1, layerDeltas,
                               n, constants);
    kernels::onlineUpdateLayer(weights.layer(l), prevWeightChange.layer(l), weightRates.layer(l),
                               outputs.layer(l - 1), static_cast<std::size_t>(layerSize(l - 1)), layerDeltas, n,
                               constants);
  }
}

void Network::accumulateBatch() {
  const double one = 1.0;
  for (int l = 1; l < layerCount(); ++l) {
    const auto n = static_cast<std::size_t>(layerSize(l));
    const double* layerDeltas = deltas.layer(l);
    kernels::accumulateLayer(batchBiasChange.layer(l), biasRates.layer(l), &one, 1, layerDeltas, n, rateFactor);
    kernels::accumulateLayer(batchWeightChange.layer(l), weightRates.layer(l), outputs.layer(l - 1),
                             static_cast<std::size_t>(layerSize(l - 1)), layerDeltas, n, rateFactor);
  }
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
