#include "app/status_hints.h"

#include <algorithm>
#include <iterator>

#include "app/panel_fields.h"
#include "files/c_format.h"

namespace nodelyx {
namespace {

using C = ControlId;

struct CommandText {
  ControlId id;
  const char* text;
};

constexpr CommandText kToolTips[] = {
    {C::NewNetwork, "New Network"},
    {C::OpenNetwork, "Open Network"},
    {C::SaveNetwork, "Save Network"},
    {C::ViewNetwork, "View Network"},
    {C::ViewErrorPlot, "View Training Error"},
    {C::HelpContents, "Help"},
    {C::ViewContourPlot, "Open Contour Plot"},
    {C::ViewAnalysisPlot, "Open Network Analysis Plot"},
    {C::Train, "Train Network"},
    {C::Stop, "Stop Training Network"},
};

constexpr CommandText kMenuHints[] = {
    {C::NewNetwork, "Creates a new network"},
    {C::OpenNetwork, "Opens an existing network"},
    {C::SaveNetwork, "Save the active network"},
    {C::SaveNetworkAs, "Save the active network with a new name"},
    {C::Exit, "Quits program"},
    {C::ViewNetwork, "Displays the current network"},
    {C::ViewErrorPlot, "Displays the network training error plot"},
    {C::HelpContents, "Displays the Nodelyx help file"},
    {C::AdvancedSettings, "Displays the advanced settings dialog box"},
    {C::About, "Displays the about dialog box"},
    {C::RecentFile1, "Opens a previously loaded network"},
    {C::RecentFile2, "Opens a previously loaded network"},
    {C::RecentFile3, "Opens a previously loaded network"},
    {C::RecentFile4, "Opens a previously loaded network"},
};

// How a control hint gets the numbers its text names.
enum class HintValues {
  None,             // the text as it stands ("%%" still becomes "%")
  FloatRange,       // the field's bounds, "%g"
  IntegerRange,     // the field's bounds, "%u"
  MaxPerturbation,  // the current perturbation limit, "%u"
};

struct ControlText {
  ControlId id;
  const char* format;
  HintValues values;
};

constexpr const char* kActivationHint = "Specify the activation function for this layer";

constexpr ControlText kControlHints[] = {
    {C::LearningRate, "Network learning rate (eta) (%g <= eta <= %g)", HintValues::FloatRange},
    {C::Momentum, "Network learning momentum (alpha)  (%g <= alpha <= %g)", HintValues::FloatRange},
    {C::RmsErrorStop, "RMS error stopping criteria (%g <= RMSError <= %g)", HintValues::FloatRange},
    {C::MaxRmsErrorStop, "Max RMS error stopping criteria (%g <= MaxRMSError <= %g)", HintValues::FloatRange},
    {C::MaxErrorStop, "Max error stopping criteria (%g <= MaxError <= %g)", HintValues::FloatRange},
    {C::PercentCorrectStop, "Percent error stopping criteria  (0.0 <= %% Error <= 100.0)", HintValues::None},
    {C::EnforceTrainingStop, "Enforce stopping criteria on training file", HintValues::None},
    {C::EnforceTestingStop, "Enforce stopping criteria on testing file", HintValues::None},
    {C::MaxEpochs, "Maximum number of training epochs  (%u <= epochs <= %u)", HintValues::IntegerRange},
    {C::ErrorMargin, "Specifies the threshold for learned patterns  (%g <= EM <= %g)",
     HintValues::FloatRange},
    {C::PatternClip, "Learning rate multiplier for learned patterns  (0.0 <= LM <= 1.0)", HintValues::None},
    {C::HiddenLayerCount, "Total number of hidden layers  (%u <= H <= %u)", HintValues::IntegerRange},
    {C::HiddenNeurons1, "Number of neurons in hidden layer #1  (%u <= H1 <= %u)", HintValues::IntegerRange},
    {C::HiddenNeurons2, "Number of neurons in hidden layer #2  (%u <= H2 <= %u)", HintValues::IntegerRange},
    {C::HiddenNeurons3, "Number of neurons in hidden layer #3  (%u <= H3 <= %u)", HintValues::IntegerRange},
    {C::HiddenNeurons4, "Number of neurons in hidden layer #4  (%u <= H4 <= %u)", HintValues::IntegerRange},
    {C::HiddenNeurons5, "Number of neurons in hidden layer #5  (%u <= H5 <= %u)", HintValues::IntegerRange},
    {C::MinWeight, "Smallest allowable weight value  (%g <= Wmin <= %g)", HintValues::FloatRange},
    {C::MaxWeight, "Largest allowable weight value  (%g <= Wmax <= %g)", HintValues::FloatRange},
    {C::MaxPerturbation, "Weights will be randomly perturbed within this percentage  (%u <= Wp <= %u)",
     HintValues::IntegerRange},
    {C::SaturationThreshold, "Minimum percentage of patterns required to saturate a neuron  (%u <= Sp <= %u)",
     HintValues::IntegerRange},
    {C::Randomize, "Randomize all weights in the range (-2.4/F,2.4/F)", HintValues::None},
    {C::Perturb, "Randomly perturb all weights between 0 and %u %%", HintValues::MaxPerturbation},
    {C::PreventSaturation,
     "Prevent neuron saturation by reducing the magnitude  of all input weights to a saturated neuron",
     HintValues::None},
    {C::CrossValidate, "Use cross-validation training to monitor for memorization", HintValues::None},
    {C::TrainingData, "Load training data (contains both inputs and outputs)", HintValues::None},
    {C::TestingData, "Load testing data (contains inputs and possibly outputs)", HintValues::None},
    {C::LoadWeights, "Load previously saved weights", HintValues::None},
    {C::SaveWeights, "Save weights to a file", HintValues::None},
    {C::Train, "Start training network", HintValues::None},
    {C::Stop, "Stop training network", HintValues::None},
    {C::Test, "Test network (outputs will be saved to a file)", HintValues::None},
    {C::InputNoise, "Add Gaussian noise to the inputs during training", HintValues::None},
    {C::WeightDecay, "Add weight decay term to the training algorithm", HintValues::None},
    {C::TrainingMethodList, "Specify the network training algorithm", HintValues::None},
    {C::HiddenActivation1, kActivationHint, HintValues::None},
    {C::HiddenActivation2, kActivationHint, HintValues::None},
    {C::HiddenActivation3, kActivationHint, HintValues::None},
    {C::HiddenActivation4, kActivationHint, HintValues::None},
    {C::HiddenActivation5, kActivationHint, HintValues::None},
    {C::OutputActivation, kActivationHint, HintValues::None},
};

template <typename Table>
auto findEntry(const Table& table, ControlId id) {
  return std::find_if(std::begin(table), std::end(table), [id](const auto& entry) { return entry.id == id; });
}

// The hint's bounds are the ones the field's check enforces.
FieldRange boundsOf(ControlId id, const NetworkConfig& config) {
  const PanelField* field = findPanelField(id);
  return field == nullptr ? FieldRange{0, 0} : fieldRange(*field, config);
}

// The texts are formats of our own table, so the format checks of the
// compiler cannot see them; every entry takes exactly the values its kind
// names.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
std::string formatHint(const ControlText& hint, const NetworkConfig& config) {
  switch (hint.values) {
    case HintValues::None:
      return formatC(hint.format);
    case HintValues::FloatRange: {
      const FieldRange range = boundsOf(hint.id, config);
      return formatC(hint.format, range.min, range.max);
    }
    case HintValues::IntegerRange: {
      const FieldRange range = boundsOf(hint.id, config);
      return formatC(hint.format, static_cast<unsigned>(range.min), static_cast<unsigned>(range.max));
    }
    case HintValues::MaxPerturbation:
      return formatC(hint.format, static_cast<unsigned>(config.maxPerturbation()));
  }
  return {};
}
#pragma GCC diagnostic pop

}  // namespace

std::string toolTipText(ControlId command) {
  const auto* entry = findEntry(kToolTips, command);
  return entry == std::end(kToolTips) ? "Unknown" : entry->text;
}

std::optional<std::string> menuHint(ControlId command) {
  const auto* entry = findEntry(kMenuHints, command);
  if (entry == std::end(kMenuHints)) return std::nullopt;
  return entry->text;
}

std::string controlHint(ControlId control, const NetworkConfig& config) {
  const auto* entry = findEntry(kControlHints, control);
  return entry == std::end(kControlHints) ? kDefaultControlHint : formatHint(*entry, config);
}

}  // namespace nodelyx
