#include "files/network_config.h"

#include <cassert>

namespace nodelyx {
namespace {

constexpr int kFlagCount = 5;
constexpr std::uint32_t kMinLayers = 2;
constexpr std::uint32_t kMaxLayers = 7;

int intIndex(ConfigField field) {
  const int index = static_cast<int>(field);
  assert(index >= 0 && index < kIntFieldCount);
  return index;
}

int doubleIndex(ConfigField field) {
  const int index = static_cast<int>(field) - static_cast<int>(ConfigField::MinWeight);
  assert(index >= 0 && index < kDoubleFieldCount);
  return index;
}

}  // namespace

NetworkConfig::NetworkConfig() {
  ints_.fill(kUnsetInt);
  for (int flag = 0; flag < kFlagCount; ++flag) ints_[static_cast<std::size_t>(flag)] = 0;
  doubles_.fill(kUnsetDouble);
  hiddenNeurons_.fill(kUnsetInt);
  hiddenActivation_.fill(static_cast<ActivationType>(kUnsetInt));
}

std::size_t NetworkConfig::slot(int layer) {
  assert(layer >= 1 && layer <= kHiddenLayerMax);
  return static_cast<std::size_t>(layer - 1);
}

void NetworkConfig::notify(ConfigField field, int layer) {
  if (observer_) observer_->settingChanged(field, layer);
}

std::int32_t NetworkConfig::intValue(ConfigField field) const {
  return ints_[static_cast<std::size_t>(intIndex(field))];
}

double NetworkConfig::doubleValue(ConfigField field) const {
  return doubles_[static_cast<std::size_t>(doubleIndex(field))];
}

void NetworkConfig::setInt(ConfigField field, std::int32_t value) {
  const int index = intIndex(field);
  std::int32_t& stored = ints_[static_cast<std::size_t>(index)];
  const bool isFlag = index < kFlagCount;
  if (stored == value && !isFlag) return;
  stored = value;
  notify(field);
}

void NetworkConfig::setDouble(ConfigField field, double value) {
  double& stored = doubles_[static_cast<std::size_t>(doubleIndex(field))];
  if (stored == value) return;
  stored = value;
  notify(field);
}

void NetworkConfig::setTrainingMethod(TrainingMethod method) {
  if (trainingMethod_ == method) return;
  trainingMethod_ = method;
  notify(ConfigField::TrainingMethod);
}

void NetworkConfig::setLayerCount(std::uint32_t count) {
  // Always rebuilt and announced: the panel enables the hidden-layer fields
  // from the count even when it did not change.
  layerCount_ = count;
  rebuildLayerSizes();
  notify(ConfigField::LayerCount);
}

void NetworkConfig::setHiddenNeurons(int layer, std::uint32_t count) {
  std::uint32_t& stored = hiddenNeurons_[slot(layer)];
  if (stored == count) return;
  stored = count;
  rebuildLayerSizes();
  notify(ConfigField::HiddenNeurons, layer);
}

void NetworkConfig::setHiddenActivation(int layer, ActivationType type) {
  hiddenActivation_[slot(layer)] = type;
  notify(ConfigField::HiddenActivation, layer);
}

void NetworkConfig::setOutputActivation(ActivationType type) {
  outputActivation_ = type;
  notify(ConfigField::OutputActivation);
}

void NetworkConfig::setInputCount(std::uint32_t count) {
  inputCount_ = count;
  rebuildLayerSizes();
  notify(ConfigField::InputCount);
}

void NetworkConfig::setOutputCount(std::uint32_t count) {
  outputCount_ = count;
  rebuildLayerSizes();
  notify(ConfigField::OutputCount);
}

void NetworkConfig::rebuildLayerSizes() {
  layerSizes_.clear();
  if (layerCount_ < kMinLayers || layerCount_ > kMaxLayers) return;
  layerSizes_.push_back(inputCount_);
  for (std::uint32_t k = 1; k + 1 < layerCount_; ++k) layerSizes_.push_back(hiddenNeurons_[k - 1]);
  layerSizes_.push_back(outputCount_);
}

void NetworkConfig::setPath(std::string& stored, std::string path, ConfigField field, bool always) {
  if (stored == path && !always) return;
  stored = std::move(path);
  notify(field);
}

// The training file's display shows the pattern count too, which may change
// with the same path, so it is announced on every assignment; the test file
// likewise refreshes its count, but only a new path is stored.
void NetworkConfig::setTrainingFile(std::string path) {
  setPath(trainingFile_, std::move(path), ConfigField::TrainingFile, true);
}

void NetworkConfig::setTestFile(std::string path) {
  setPath(testFile_, std::move(path), ConfigField::TestFile, true);
}

void NetworkConfig::setWeightsFile(std::string path) {
  setPath(weightsFile_, std::move(path), ConfigField::WeightsFile, false);
}

void NetworkConfig::setOutputFile(std::string path) {
  setPath(outputFile_, std::move(path), ConfigField::OutputFile, false);
}

void applyPanelDefaults(NetworkConfig& config) {
  config.setLearningRate(0.1);
  config.setRpropIncrease(1.2);
  config.setRpropDecrease(0.5);
  config.setRpropMaxStep(50);
  config.setRpropMinStep(1e-06);
  config.setRpropInitialStep(0.001);
  config.setQuickpropMaxGrowth(1.75);
  config.setDbdIncrease(0.06);
  config.setDbdDecrease(0.2);
  config.setDbdAverage(0.7);
  config.setMinWeight(-100);
  config.setMaxWeight(100);
  config.setMaxPerturbation(20);
  config.setSaturationThreshold(80);
  config.setPreventSaturation(1);
  config.setMomentum(0);
  config.setErrorMargin(0.1);
  config.setPlotMemorization(0);
  config.setPatternClip(1);
  config.setRmsErrorStop(0.01);
  config.setMaxEpochs(100000);
  config.setMaxRmsErrorStop(0.01);
  config.setMaxErrorStop(0.01);
  config.setPercentCorrectStop(100);
  config.setEnforceTrainingStop(1);
  config.setEnforceTestingStop(1);
  config.setTrainingMethod(TrainingMethod::OnlineBackpropRandom);
  config.setTrainingFile({});
  config.setWeightsFile({});
  config.setOutputFile({});
  config.setTestFile({});
  config.setShuffleOnLoad(0);
  config.setLayerCount(3);
  const std::uint32_t hidden[kHiddenLayerMax] = {5, 1, 1, 1, 1};
  for (int layer = 1; layer <= kHiddenLayerMax; ++layer) config.setHiddenNeurons(layer, hidden[layer - 1]);
  config.setOutputCount(0);
  config.setInputCount(0);
  config.setInputNoise(0);
  config.setWeightDecay(0);
  for (int layer = 1; layer <= kHiddenLayerMax; ++layer)
    config.setHiddenActivation(layer, ActivationType::Logistic);
  config.setOutputActivation(ActivationType::Logistic);
}

}  // namespace nodelyx
