#include "engine/network.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

namespace nodelyx {

std::atomic<int> scalingEnabled{0};

bool saturationBoundsFor(ActivationType type, SaturationBounds& bounds) {
  constexpr double kFloatMax = std::numeric_limits<float>::max();
  switch (type) {
    case ActivationType::Logistic:
      bounds = {0.99, 0.01};
      return true;
    case ActivationType::Tanh:
      bounds = {0.99, -0.99};
      return true;
    case ActivationType::Linear:
      bounds = {kFloatMax, -kFloatMax};
      return true;
    case ActivationType::Gaussian:
      bounds = {2.0, 0.01};
      return true;
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
  for (WeightBlock<double>* block :
       {&weights, &prevWeightChange, &batchWeightChange, &prevWeightSlope, &weightRates, &weightBars})
    block->allocate(layout_);
  for (NeuronBlock<double>* block : {&biases, &prevBiasChange, &batchBiasChange, &prevBiasSlope, &netInputs,
                                     &outputs, &recallOutputs, &deltas, &biasRates, &biasBars})
    block->allocate(layout_);
  saturationCounts.allocate(layout_);
  const auto columns = static_cast<std::size_t>(inputCount() + outputCount());
  for (std::vector<double>* range : {&fromMin, &fromMax, &toMin, &toMax}) range->assign(columns, 0.0);
  outputError.assign(static_cast<std::size_t>(outputCount()), 0.0);
  outputErrorData.assign(static_cast<std::size_t>(outputCount()), 0.0);
  for (ScaleCache* cache : {&scale_, &recallScale_}) {
    for (auto* factors : {&cache->inFactor, &cache->inFactorFromMin})
      factors->assign(static_cast<std::size_t>(inputCount()), 0.0);
    for (auto* factors :
         {&cache->outFactor, &cache->outFactorFromMin, &cache->unFactor, &cache->unFactorToMin})
      factors->assign(static_cast<std::size_t>(outputCount()), 0.0);
  }
  blockScratch_.assign(kPatternBlock * slotSize(), 0.0);
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

void Network::copyParametersFrom(const Network& source) {
  assert(std::equal(layerSizes_.begin(), layerSizes_.end(), source.layerSizes_.begin(),
                    source.layerSizes_.end()));
  const auto copy = [](const auto& from, auto&& to) { std::copy(from.begin(), from.end(), to.begin()); };
  copy(source.weights.all(), weights.all());
  copy(source.biases.all(), biases.all());
  copy(source.weightRates.all(), weightRates.all());
  copy(source.biasRates.all(), biasRates.all());
  copy(source.layerTypes, layerTypes);
  copy(source.saturationHigh, saturationHigh);
  copy(source.saturationLow, saturationLow);
  for (auto [from, to] : {std::pair{&source.fromMin, &fromMin}, std::pair{&source.fromMax, &fromMax},
                          std::pair{&source.toMin, &toMin}, std::pair{&source.toMax, &toMax}})
    copy(*from, *to);
  rangesSet = source.rangesSet;
  minWeight = source.minWeight;
  maxWeight = source.maxWeight;
  method = source.method;
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

}  // namespace nodelyx
