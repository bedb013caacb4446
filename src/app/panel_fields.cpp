#include "app/panel_fields.h"

#include <algorithm>
#include <array>

namespace nodelyx {
namespace {

using C = ControlId;
using F = ConfigField;
using G = PanelGroup;

constexpr PanelField floatField(C id, const char* label, G group, F setting, double min, double max,
                                RangeRule rule = RangeRule::Fixed) {
  return {id, label, FieldKind::Float, group, setting, 0, min, max, rule, ""};
}

constexpr PanelField intField(C id, const char* label, G group, F setting, double min, double max,
                              const char* suffix = "") {
  return {id, label, FieldKind::Integer, group, setting, 0, min, max, RangeRule::Fixed, "", suffix};
}

constexpr PanelField hiddenSize(int layer, C id, const char* label) {
  return {id,    label, FieldKind::Integer, G::NetworkTopology, F::HiddenNeurons,
          layer, 1,     kMaxHiddenNeurons,  RangeRule::Fixed,   ""};
}

constexpr PanelField control(C id, const char* label, FieldKind kind, G group, F setting = kNoSetting,
                             int layer = 0) {
  return {id, label, kind, group, setting, layer, 0, 0, RangeRule::Fixed, ""};
}

constexpr PanelField statistic(C id, const char* label, const char* column) {
  return {id, label, FieldKind::Text, G::Statistics, kNoSetting, 0, 0, 0, RangeRule::Fixed, column};
}

constexpr PanelField kFields[] = {
    floatField(C::LearningRate, "Learning Rate (eta)", G::TrainingProperties, F::LearningRate, kFloatEpsilon,
               100),
    floatField(C::Momentum, "Momentum (alpha)", G::TrainingProperties, F::Momentum, 0, 100),
    floatField(C::InputNoise, "Input Noise", G::TrainingProperties, F::InputNoise, 0, 1),
    floatField(C::WeightDecay, "Weight Decay", G::TrainingProperties, F::WeightDecay, 0, 1),
    floatField(C::ErrorMargin, "Error Margin", G::TrainingProperties, F::ErrorMargin, 0, kFloatMax),
    floatField(C::PatternClip, "Pattern Clipping", G::TrainingProperties, F::PatternClip, 0, 1),
    control(C::CrossValidate, "Cross-Validate Training", FieldKind::Check, G::TrainingProperties,
            F::PlotMemorization),

    intField(C::MaxEpochs, "Epochs", G::StoppingCriteria, F::MaxEpochs, 1, kMaxEpochLimit),
    floatField(C::RmsErrorStop, "Avg RMS Error", G::StoppingCriteria, F::RmsErrorStop, 0, 100),
    floatField(C::MaxRmsErrorStop, "Max RMS Error", G::StoppingCriteria, F::MaxRmsErrorStop, 0, 100),
    floatField(C::MaxErrorStop, "Max Error", G::StoppingCriteria, F::MaxErrorStop, 0, 100),
    floatField(C::PercentCorrectStop, "Percent Correct", G::StoppingCriteria, F::PercentCorrectStop, 0, 100),
    control(C::EnforceTrainingStop, "Training", FieldKind::Check, G::StoppingCriteria,
            F::EnforceTrainingStop),
    control(C::EnforceTestingStop, "Testing", FieldKind::Check, G::StoppingCriteria, F::EnforceTestingStop),

    control(C::TrainingMethodList, "Training Algorithm", FieldKind::List, G::TrainingAlgorithm,
            F::TrainingMethod),

    // Each weight limit is bounded by the other one's current value.
    floatField(C::MinWeight, "Minimum", G::Weights, F::MinWeight, -kFloatMax, kFloatMax,
               RangeRule::UpToMaxWeight),
    floatField(C::MaxWeight, "Maximum", G::Weights, F::MaxWeight, -kFloatMax, kFloatMax,
               RangeRule::FromMinWeight),
    control(C::Randomize, "Randomize", FieldKind::Button, G::Weights),
    intField(C::MaxPerturbation, "Weight\nPerturbation", G::Weights, F::MaxPerturbation, 0, 999, "%"),
    control(C::Perturb, "Perturb", FieldKind::Button, G::Weights),

    control(C::PreventSaturation, "Prevent Saturation", FieldKind::Check, G::NeuronSaturation,
            F::PreventSaturation),
    intField(C::SaturationThreshold, "Threshold", G::NeuronSaturation, F::SaturationThreshold, 0, 100, "%"),

    control(C::InputCountText, "Input", FieldKind::Text, G::NetworkTopology, F::InputCount),
    {C::HiddenLayerCount, "Hidden Layers", FieldKind::Integer, G::NetworkTopology, F::LayerCount, 0, 0,
     kMaxHiddenLayers, RangeRule::UpToMaxHiddenLayers, ""},
    hiddenSize(1, C::HiddenNeurons1, "Hidden 1"),
    hiddenSize(2, C::HiddenNeurons2, "Hidden 2"),
    hiddenSize(3, C::HiddenNeurons3, "Hidden 3"),
    hiddenSize(4, C::HiddenNeurons4, "Hidden 4"),
    hiddenSize(5, C::HiddenNeurons5, "Hidden 5"),
    control(C::OutputCountText, "Output", FieldKind::Text, G::NetworkTopology, F::OutputCount),
    control(C::HiddenActivation1, "Hidden 1 Activation Function", FieldKind::List, G::NetworkTopology,
            F::HiddenActivation, 1),
    control(C::HiddenActivation2, "Hidden 2 Activation Function", FieldKind::List, G::NetworkTopology,
            F::HiddenActivation, 2),
    control(C::HiddenActivation3, "Hidden 3 Activation Function", FieldKind::List, G::NetworkTopology,
            F::HiddenActivation, 3),
    control(C::HiddenActivation4, "Hidden 4 Activation Function", FieldKind::List, G::NetworkTopology,
            F::HiddenActivation, 4),
    control(C::HiddenActivation5, "Hidden 5 Activation Function", FieldKind::List, G::NetworkTopology,
            F::HiddenActivation, 5),
    control(C::OutputActivation, "Output Activation Function", FieldKind::List, G::NetworkTopology,
            F::OutputActivation),

    control(C::TrainingData, "Training Data", FieldKind::Button, G::DataFiles),
    control(C::TrainingFileText, "Training File", FieldKind::Text, G::DataFiles, F::TrainingFile),
    control(C::TrainingPatternsText, "Training Patterns", FieldKind::Text, G::DataFiles),
    control(C::LoadWeights, "Load Weights", FieldKind::Button, G::DataFiles),
    control(C::WeightsFileText, "Weights File", FieldKind::Text, G::DataFiles, F::WeightsFile),
    control(C::TestingData, "Testing Data", FieldKind::Button, G::DataFiles),
    control(C::TestingFileText, "Testing File", FieldKind::Text, G::DataFiles, F::TestFile),
    control(C::TestingPatternsText, "Testing Patterns", FieldKind::Text, G::DataFiles),
    control(C::SaveWeights, "Save Weights", FieldKind::Button, G::DataFiles),

    statistic(C::TrainEpoch, "Epoch", "Training"),
    statistic(C::TrainRms, "Avg RMS Error", "Training"),
    statistic(C::TestRms, "Avg RMS Error", "Testing"),
    statistic(C::TrainMaxRms, "Max RMS Error", "Training"),
    statistic(C::TestMaxRms, "Max RMS Error", "Testing"),
    statistic(C::TrainMaxError, "Max Error", "Training"),
    statistic(C::TestMaxError, "Max Error", "Testing"),
    statistic(C::TrainCorrect, "Number Correct", "Training"),
    statistic(C::TestCorrect, "Number Correct", "Testing"),
    statistic(C::TrainPercent, "Percent Correct", "Training"),
    statistic(C::TestPercent, "Percent Correct", "Testing"),

    control(C::Train, "Train", FieldKind::Button, G::RunButtons),
    control(C::Stop, "Stop", FieldKind::Button, G::RunButtons),
    control(C::Test, "Test", FieldKind::Button, G::RunButtons),
};

constexpr MethodItem kMethods[] = {
    {"Online Backprop", TrainingMethod::OnlineBackprop},
    {"Online Backprop - Rand", TrainingMethod::OnlineBackpropRandom},
    {"Batch Backprop", TrainingMethod::BatchBackprop},
    {"Delta-Bar-Delta", TrainingMethod::DeltaBarDelta},
    {"RPROP", TrainingMethod::Rprop},
    {"QuickProp", TrainingMethod::Quickprop},
};

constexpr const char* kActivations[] = {"logistic", "tanh", "linear", "Gaussian"};

}  // namespace

std::span<const PanelField> panelFields() { return kFields; }

const PanelField* findPanelField(ControlId id) {
  const auto found = std::find_if(std::begin(kFields), std::end(kFields),
                                  [id](const PanelField& field) { return field.id == id; });
  return found == std::end(kFields) ? nullptr : &*found;
}

FieldRange fieldRange(const PanelField& field, const NetworkConfig& config) {
  switch (field.rule) {
    case RangeRule::UpToMaxWeight:
      return {field.min, config.maxWeight()};
    case RangeRule::FromMinWeight:
      return {config.minWeight(), field.max};
    case RangeRule::UpToMaxHiddenLayers:
      return {field.min, kMaxHiddenLayers};
    case RangeRule::Fixed:
      break;
  }
  return {field.min, field.max};
}

std::string accessibleName(const PanelField& field) {
  std::string name = *field.column ? std::string(field.column) + " " : std::string();
  for (const char* c = field.label; *c; ++c) {
    if (*c == '&') continue;
    name += *c == '\n' ? ' ' : *c;
  }
  return name;
}

const char* groupTitle(PanelGroup group) {
  switch (group) {
    case G::TrainingProperties:
      return "Training Properties";
    case G::StoppingCriteria:
      return "Stopping Criteria";
    case G::TrainingAlgorithm:
      return "Training Algorithm";
    case G::Weights:
      return "Weights";
    case G::NeuronSaturation:
      return "Neuron Saturation";
    case G::NetworkTopology:
      return "Network Topology";
    case G::DataFiles:
      return "Data Files";
    case G::Statistics:
      return "Training Stats    Testing Stats ";
    case G::RunButtons:
      return "";
  }
  return "";
}

std::span<const MethodItem> methodItems() { return kMethods; }
std::span<const char* const> activationItems() { return kActivations; }

}  // namespace nodelyx
