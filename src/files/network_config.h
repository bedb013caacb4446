// The settings record: everything that describes a network design and its
// training, one instance per application (the desktop program's main window
// owns it; the command-line program has its own). Every change goes through a
// setter, which tells the observer so that the desktop program can refresh
// the control that shows the field. Used on the GUI thread; the training run
// reads it while a run is active and nobody writes it then.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/activation.h"

namespace nodelyx {

// Identifies a field in change notifications and in the tables of the
// configuration file. The integer fields come first, then the doubles.
enum class ConfigField : int {
  // 32-bit integer fields (the five flags first).
  PlotMemorization,
  PreventSaturation,
  EnforceTrainingStop,
  EnforceTestingStop,
  ShuffleOnLoad,
  SaturationThreshold,
  MaxPerturbation,
  MaxEpochs,
  // Double fields.
  MinWeight,
  MaxWeight,
  LearningRate,
  Momentum,
  RmsErrorStop,
  PatternClip,
  ErrorMargin,
  MaxRmsErrorStop,
  MaxErrorStop,
  PercentCorrectStop,
  InputNoise,
  WeightDecay,
  RpropIncrease,
  RpropDecrease,
  RpropMaxStep,
  RpropMinStep,
  RpropInitialStep,
  QuickpropMaxGrowth,
  DbdIncrease,
  DbdDecrease,
  DbdAverage,
  // Other fields.
  TrainingMethod,
  LayerCount,
  HiddenNeurons,     // with the hidden layer 1..5
  HiddenActivation,  // with the hidden layer 1..5
  OutputActivation,
  InputCount,
  OutputCount,
  TrainingFile,
  TestFile,
  WeightsFile,
  OutputFile,
};

inline constexpr int kIntFieldCount = static_cast<int>(ConfigField::MaxEpochs) + 1;
inline constexpr int kDoubleFieldCount =
    static_cast<int>(ConfigField::DbdAverage) - static_cast<int>(ConfigField::MinWeight) + 1;
inline constexpr int kHiddenLayerMax = 5;
// The start value of every integer and double field: never a default, so the
// first assignment of each field always counts as a change.
inline constexpr std::int32_t kUnsetInt = 99999;
inline constexpr double kUnsetDouble = 99999.0;

class ConfigObserver {
 public:
  virtual ~ConfigObserver() = default;
  // A setter stored a value; layer is 1..5 for the per-layer fields, else 0.
  virtual void settingChanged(ConfigField field, int layer) = 0;
};

class NetworkConfig {
 public:
  NetworkConfig();

  // The observer is told of changes; null (the default) tells nobody.
  void setObserver(ConfigObserver* observer) { observer_ = observer; }

  // Generic access to the integer and double fields (by ConfigField).
  std::int32_t intValue(ConfigField field) const;
  double doubleValue(ConfigField field) const;
  // The five flags notify on every assignment, the other fields on a change.
  void setInt(ConfigField field, std::int32_t value);
  void setDouble(ConfigField field, double value);

  std::int32_t plotMemorization() const { return intValue(ConfigField::PlotMemorization); }
  std::int32_t preventSaturation() const { return intValue(ConfigField::PreventSaturation); }
  std::int32_t enforceTrainingStop() const { return intValue(ConfigField::EnforceTrainingStop); }
  std::int32_t enforceTestingStop() const { return intValue(ConfigField::EnforceTestingStop); }
  std::int32_t shuffleOnLoad() const { return intValue(ConfigField::ShuffleOnLoad); }
  std::int32_t saturationThreshold() const { return intValue(ConfigField::SaturationThreshold); }
  std::int32_t maxPerturbation() const { return intValue(ConfigField::MaxPerturbation); }
  std::int32_t maxEpochs() const { return intValue(ConfigField::MaxEpochs); }
  double minWeight() const { return doubleValue(ConfigField::MinWeight); }
  double maxWeight() const { return doubleValue(ConfigField::MaxWeight); }
  double learningRate() const { return doubleValue(ConfigField::LearningRate); }
  double momentum() const { return doubleValue(ConfigField::Momentum); }
  double rmsErrorStop() const { return doubleValue(ConfigField::RmsErrorStop); }
  double patternClip() const { return doubleValue(ConfigField::PatternClip); }
  double errorMargin() const { return doubleValue(ConfigField::ErrorMargin); }
  double maxRmsErrorStop() const { return doubleValue(ConfigField::MaxRmsErrorStop); }
  double maxErrorStop() const { return doubleValue(ConfigField::MaxErrorStop); }
  double percentCorrectStop() const { return doubleValue(ConfigField::PercentCorrectStop); }
  double inputNoise() const { return doubleValue(ConfigField::InputNoise); }
  double weightDecay() const { return doubleValue(ConfigField::WeightDecay); }
  double rpropIncrease() const { return doubleValue(ConfigField::RpropIncrease); }
  double rpropDecrease() const { return doubleValue(ConfigField::RpropDecrease); }
  double rpropMaxStep() const { return doubleValue(ConfigField::RpropMaxStep); }
  double rpropMinStep() const { return doubleValue(ConfigField::RpropMinStep); }
  double rpropInitialStep() const { return doubleValue(ConfigField::RpropInitialStep); }
  double quickpropMaxGrowth() const { return doubleValue(ConfigField::QuickpropMaxGrowth); }
  double dbdIncrease() const { return doubleValue(ConfigField::DbdIncrease); }
  double dbdDecrease() const { return doubleValue(ConfigField::DbdDecrease); }
  double dbdAverage() const { return doubleValue(ConfigField::DbdAverage); }

  void setPlotMemorization(std::int32_t v) { setInt(ConfigField::PlotMemorization, v); }
  void setPreventSaturation(std::int32_t v) { setInt(ConfigField::PreventSaturation, v); }
  void setEnforceTrainingStop(std::int32_t v) { setInt(ConfigField::EnforceTrainingStop, v); }
  void setEnforceTestingStop(std::int32_t v) { setInt(ConfigField::EnforceTestingStop, v); }
  void setShuffleOnLoad(std::int32_t v) { setInt(ConfigField::ShuffleOnLoad, v); }
  void setSaturationThreshold(std::int32_t v) { setInt(ConfigField::SaturationThreshold, v); }
  void setMaxPerturbation(std::int32_t v) { setInt(ConfigField::MaxPerturbation, v); }
  void setMaxEpochs(std::int32_t v) { setInt(ConfigField::MaxEpochs, v); }
  void setMinWeight(double v) { setDouble(ConfigField::MinWeight, v); }
  void setMaxWeight(double v) { setDouble(ConfigField::MaxWeight, v); }
  void setLearningRate(double v) { setDouble(ConfigField::LearningRate, v); }
  void setMomentum(double v) { setDouble(ConfigField::Momentum, v); }
  void setRmsErrorStop(double v) { setDouble(ConfigField::RmsErrorStop, v); }
  void setPatternClip(double v) { setDouble(ConfigField::PatternClip, v); }
  void setErrorMargin(double v) { setDouble(ConfigField::ErrorMargin, v); }
  void setMaxRmsErrorStop(double v) { setDouble(ConfigField::MaxRmsErrorStop, v); }
  void setMaxErrorStop(double v) { setDouble(ConfigField::MaxErrorStop, v); }
  void setPercentCorrectStop(double v) { setDouble(ConfigField::PercentCorrectStop, v); }
  void setInputNoise(double v) { setDouble(ConfigField::InputNoise, v); }
  void setWeightDecay(double v) { setDouble(ConfigField::WeightDecay, v); }
  void setRpropIncrease(double v) { setDouble(ConfigField::RpropIncrease, v); }
  void setRpropDecrease(double v) { setDouble(ConfigField::RpropDecrease, v); }
  void setRpropMaxStep(double v) { setDouble(ConfigField::RpropMaxStep, v); }
  void setRpropMinStep(double v) { setDouble(ConfigField::RpropMinStep, v); }
  void setRpropInitialStep(double v) { setDouble(ConfigField::RpropInitialStep, v); }
  void setQuickpropMaxGrowth(double v) { setDouble(ConfigField::QuickpropMaxGrowth, v); }
  void setDbdIncrease(double v) { setDouble(ConfigField::DbdIncrease, v); }
  void setDbdDecrease(double v) { setDouble(ConfigField::DbdDecrease, v); }
  void setDbdAverage(double v) { setDouble(ConfigField::DbdAverage, v); }

  // Topology and activation choices.
  TrainingMethod trainingMethod() const { return trainingMethod_; }
  std::uint32_t layerCount() const { return layerCount_; }
  // Hidden layers are numbered 1..5.
  std::uint32_t hiddenNeurons(int layer) const { return hiddenNeurons_[slot(layer)]; }
  ActivationType hiddenActivation(int layer) const { return hiddenActivation_[slot(layer)]; }
  ActivationType outputActivation() const { return outputActivation_; }
  std::uint32_t inputCount() const { return inputCount_; }
  std::uint32_t outputCount() const { return outputCount_; }
  // inputCount, the sizes of the existing hidden layers, outputCount; empty
  // while layerCount is outside 2..7.
  const std::vector<std::uint32_t>& layerSizes() const { return layerSizes_; }

  void setTrainingMethod(TrainingMethod method);
  void setLayerCount(std::uint32_t count);
  void setHiddenNeurons(int layer, std::uint32_t count);
  void setHiddenActivation(int layer, ActivationType type);
  void setOutputActivation(ActivationType type);
  void setInputCount(std::uint32_t count);
  void setOutputCount(std::uint32_t count);
  void rebuildLayerSizes();

  // Paths of the companion files (full paths as stored).
  const std::string& trainingFile() const { return trainingFile_; }
  const std::string& testFile() const { return testFile_; }
  const std::string& weightsFile() const { return weightsFile_; }
  const std::string& outputFile() const { return outputFile_; }
  void setTrainingFile(std::string path);
  void setTestFile(std::string path);
  void setWeightsFile(std::string path);
  void setOutputFile(std::string path);

 private:
  static std::size_t slot(int layer);
  void notify(ConfigField field, int layer = 0);
  void setPath(std::string& stored, std::string path, ConfigField field, bool always);

  ConfigObserver* observer_ = nullptr;
  std::array<std::int32_t, kIntFieldCount> ints_{};
  std::array<double, kDoubleFieldCount> doubles_{};
  TrainingMethod trainingMethod_ = static_cast<TrainingMethod>(kUnsetInt);
  std::uint32_t layerCount_ = kUnsetInt;
  std::array<std::uint32_t, kHiddenLayerMax> hiddenNeurons_{};
  std::array<ActivationType, kHiddenLayerMax> hiddenActivation_{};
  ActivationType outputActivation_ = static_cast<ActivationType>(kUnsetInt);
  std::uint32_t inputCount_ = kUnsetInt;
  std::uint32_t outputCount_ = kUnsetInt;
  std::vector<std::uint32_t> layerSizes_;
  std::string trainingFile_, testFile_, weightsFile_, outputFile_;
};

// The settings of a new network (the panel's defaults): learning rate 0.1,
// the adaptive-method values, limits, criteria and flags, method 6, empty
// paths, one hidden layer of 5 logistic neurons, no inputs or outputs yet.
void applyPanelDefaults(NetworkConfig& config);

}  // namespace nodelyx
