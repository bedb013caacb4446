#include "engine/network.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

#include "engine/kernels.h"
#include "engine/random.h"

namespace nodelyx {

std::atomic<int> scalingEnabled{0};

namespace {

// Net inputs and activations of one layer. Each neuron's weighted sum runs
// over the sources in ascending order, starting from 0, and the bias is added
// last; the loop over neurons is the one the compiler may vectorise.
void propagateLayer(const double* previous, int previousSize, const double* layerWeights,
                    const double* layerBiases, int size, ActivationType type, double* net,
                    double* out) {
  const auto n = static_cast<std::size_t>(size);
  kernels::weightedSums(previous, static_cast<std::size_t>(previousSize), layerWeights, n, net);
  for (std::size_t j = 0; j < n; ++j) net[j] = layerBiases[j] + net[j];
  kernels::activateLayer(type, net, out, n);
}

}  // namespace

bool saturationBoundsFor(ActivationType type, SaturationBounds& bounds) {
  constexpr double kFloatMax = std::numeric_limits<float>::max();
  switch (type) {
    case ActivationType::Logistic: bounds = {0.99, 0.01}; return true;
    case ActivationType::Tanh: bounds = {0.99, -0.99}; return true;
    case ActivationType::Linear: bounds = {kFloatMax, -kFloatMax}; return true;
    case ActivationType::Gaussian: bounds = {2.0, 0.01}; return true;
  }
  return false;
}

Network::Network(std::span<const int> layerSizes, double minWeightLimit, double maxWeightLimit)
    : minWeight(minWeightLimit),
      maxWeight(maxWeightLimit),
      layout_(layerSizes),
      layerSizes_(layerSizes.begin(), layerSizes.end()) {
  const auto layers = static_cast<std::size_t>(layerCount());
  layerTypes.assign(layers, ActivationType::Logistic);
  saturationHigh.assign(layers, 0.99);
  saturationLow.assign(layers, 0.01);
  for (WeightBlock<double>* block : {&weights, &prevWeightChange, &batchWeightChange,
                                     &prevWeightSlope, &weightRates, &weightBars})
    block->allocate(layout_);
  for (NeuronBlock<double>* block : {&biases, &prevBiasChange, &batchBiasChange, &prevBiasSlope,
                                     &netInputs, &outputs, &recallOutputs, &deltas, &biasRates,
                                     &biasBars})
    block->allocate(layout_);
  saturationCounts.allocate(layout_);
  const auto columns = static_cast<std::size_t>(inputCount() + outputCount());
  for (std::vector<double>* range : {&fromMin, &fromMax, &toMin, &toMax})
    range->assign(columns, 0.0);
  outputError.assign(static_cast<std::size_t>(outputCount()), 0.0);
  outputErrorData.assign(static_cast<std::size_t>(outputCount()), 0.0);
  randomizeWeights();
  momentum = 0.0;
  inputNoise = 0.0;
  weightDecay = 0.0;
  maxError = 0.0;
  rangesSet = 0;
}

std::size_t Network::connectionCount() const {
  return layout_.weightCount() + layout_.neuronCount() - static_cast<std::size_t>(inputCount());
}

void Network::setLayerType(int layerIndex, ActivationType type) {
  const int l = layerIndex == 6 ? layerCount() - 1 : layerIndex;
  if (l < 0 || l >= layerCount()) return;
  const auto at = static_cast<std::size_t>(l);
  layerTypes[at] = type;
  SaturationBounds bounds{};
  if (saturationBoundsFor(type, bounds)) {
    saturationHigh[at] = bounds.high;
    saturationLow[at] = bounds.low;
  }
}

void Network::setWeightLimits(double min, double max) {
  minWeight = min;
  maxWeight = max;
}

void Network::setLearningRate(double eta) {
  weightRates.fill(eta);
  biasRates.fill(eta);
}

void Network::mergeDataRanges(const ColumnRanges& record) {
  const std::size_t columns = fromMin.size();
  if (columns >= 1 && record.consistent() && record.columnCount() == columns) {
    for (std::size_t c = 0; c < columns; ++c) {
      if (rangesSet == 0) {
        fromMin[c] = record.fromMin[c];
        fromMax[c] = record.fromMax[c];
        toMin[c] = record.toMin[c];
        toMax[c] = record.toMax[c];
      } else {
        fromMin[c] = std::min(fromMin[c], record.fromMin[c]);
        fromMax[c] = std::max(fromMax[c], record.fromMax[c]);
        toMin[c] = std::min(toMin[c], record.toMin[c]);
        toMax[c] = std::max(toMax[c], record.toMax[c]);
      }
    }
  } else if (columns >= 1) {
    return;  // a record of another topology has nothing to give
  }
  rangesSet = 1;
}

void Network::widenRecordRanges(ColumnRanges& record) const {
  if (rangesSet != 1 || !record.consistent()) return;
  if (record.inputCount != static_cast<std::uint32_t>(inputCount()) ||
      record.outputCount != static_cast<std::uint32_t>(outputCount()))
    return;
  for (std::size_t c = 0; c < fromMin.size(); ++c) {
    if (fromMin[c] < record.fromMin[c]) record.fromMin[c] = fromMin[c];
    if (toMin[c] < record.toMin[c]) record.toMin[c] = toMin[c];
    if (fromMax[c] > record.fromMax[c]) record.fromMax[c] = fromMax[c];
    if (toMax[c] > record.toMax[c]) record.toMax[c] = toMax[c];
  }
}

void Network::scaleInputs(const double* input, double noiseSigma, double* layerZero) const {
  const bool scaling = scalingEnabled.load(std::memory_order_relaxed) != 0;
  for (int i = 0; i < inputCount(); ++i) {
    const auto c = static_cast<std::size_t>(i);
    const double noise = gaussian(0.0, noiseSigma);
    if (!scaling) {
      layerZero[i] = noise + input[i];
    } else {
      const double f = (toMax[c] - toMin[c]) / (fromMax[c] - fromMin[c]);
      layerZero[i] = f * input[i] + toMin[c] - f * fromMin[c] + noise;
    }
  }
}

double Network::unscaleOutput(int k, double y) const {
  if (scalingEnabled.load(std::memory_order_relaxed) == 0) return y;
  const auto c = static_cast<std::size_t>(inputCount() + k);
  const double g = (fromMax[c] - fromMin[c]) / (toMax[c] - toMin[c]);
  return g * y + fromMin[c] - g * toMin[c];
}

void Network::propagate(double* values, double* netInputsOut) const {
  for (int l = 1; l < layerCount(); ++l) {
    const std::size_t start = layout_.neuronStart(l);
    double* out = values + start;
    double* net = netInputsOut ? netInputsOut + start : out;
    propagateLayer(values + layout_.neuronStart(l - 1), layerSize(l - 1), weights.layer(l),
                   biases.layer(l), layerSize(l), layerTypes[static_cast<std::size_t>(l)], net, out);
  }
}

void Network::forward(const double* input, double noiseSigma) {
  scaleInputs(input, noiseSigma, outputs.layer(0));
  propagate(outputs.all().data(), netInputs.all().data());
}

void Network::computeOutputError(const double* target) {
  const bool scaling = scalingEnabled.load(std::memory_order_relaxed) != 0;
  const double* y = outputs.layer(layerCount() - 1);
  for (int k = 0; k < outputCount(); ++k) {
    const auto at = static_cast<std::size_t>(k);
    if (!scaling) {
      outputError[at] = target[k] - y[k];
      outputErrorData[at] = outputError[at];
      continue;
    }
    const auto c = static_cast<std::size_t>(inputCount() + k);
    const double f = (toMax[c] - toMin[c]) / (fromMax[c] - fromMin[c]);
    outputError[at] = (f * target[k] + toMin[c] - f * fromMin[c]) - y[k];
    const double g = (fromMax[c] - fromMin[c]) / (toMax[c] - toMin[c]);
    outputErrorData[at] = target[k] - (g * y[k] + fromMin[c] - g * toMin[c]);
  }
}

double Network::evaluate(const PatternView& set, double errorMargin) {
  const std::uint32_t count = set.count();
  maxError = 0.0;
  maxPatternRms = 0.0;
  correctCount = 0;
  if (count == 0) return 0.0;
  const auto outputsPerPattern = static_cast<double>(outputCount());
  double total = 0.0;
  for (std::uint32_t p = 0; p < count; ++p) {
    forward(set.input(p), 0.0);
    computeOutputError(set.target(p));
    double sum = 0.0;
    for (const double e : outputErrorData) {
      sum += e * e;
      if (std::fabs(e) > std::fabs(maxError)) maxError = e;
    }
    const double patternRms = std::sqrt(sum / outputsPerPattern);
    if (patternRms <= errorMargin) ++correctCount;
    if (patternRms > maxPatternRms) maxPatternRms = patternRms;
    total += patternRms * patternRms;
  }
  rmsError = std::sqrt(total / count);
  return rmsError;
}

void Network::recall(const double* input, double* result) {
  scaleInputs(input, 0.0, recallOutputs.layer(0));
  propagate(recallOutputs.all().data(), nullptr);
  const double* y = recallOutputs.layer(layerCount() - 1);
  for (int k = 0; k < outputCount(); ++k) result[k] = unscaleOutput(k, y[k]);
}

}  // namespace nodelyx
