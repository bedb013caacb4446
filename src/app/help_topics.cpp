#include "app/help_topics.h"

#include <algorithm>
#include <cctype>

namespace nodelyx {
namespace {

constexpr const char* kKeywords[] = {
    help::kTrainingProperties,
    help::kStoppingCriteria,
    help::kTrainingMethod,
    help::kLayers,
    help::kWeights,
    help::kDataFile,
    help::kSaturation,
    help::kQuickProp,
    help::kRprop,
    help::kDeltaBarDelta,
    help::kMiscSettings,
    help::kNormalization,
    help::kAutomaticScaling,
    help::kViewMenu,
    help::kAnalysisPlot,
    help::kSurfacePlot,
    help::kSurfacePlotControls,
};

// The page of the book that holds each keyword's section.
struct TopicPage {
  const char* keyword;
  const char* page;
};
constexpr TopicPage kPages[] = {
    {help::kTrainingProperties, "settings.html"},
    {help::kStoppingCriteria, "settings.html"},
    {help::kTrainingMethod, "settings.html"},
    {help::kLayers, "settings.html"},
    {help::kWeights, "settings.html"},
    {help::kDataFile, "files.html"},
    {help::kSaturation, "settings.html"},
    {help::kQuickProp, "advanced.html"},
    {help::kRprop, "advanced.html"},
    {help::kDeltaBarDelta, "advanced.html"},
    {help::kMiscSettings, "advanced.html"},
    {help::kNormalization, "scaling.html"},
    {help::kAutomaticScaling, "scaling.html"},
    {help::kViewMenu, "plots.html"},
    {help::kAnalysisPlot, "plots.html"},
    {help::kSurfacePlot, "plots.html"},
    {help::kSurfacePlotControls, "plots.html"},
};

struct ControlTopic {
  ControlId id;
  const char* keyword;
};
constexpr ControlTopic kControlTopics[] = {
    {ControlId::LearningRate, help::kTrainingProperties},
    {ControlId::Momentum, help::kTrainingProperties},
    {ControlId::ErrorMargin, help::kTrainingProperties},
    {ControlId::PatternClip, help::kTrainingProperties},
    {ControlId::CrossValidate, help::kTrainingProperties},
    {ControlId::RmsErrorStop, help::kStoppingCriteria},
    {ControlId::MaxEpochs, help::kStoppingCriteria},
    {ControlId::MaxRmsErrorStop, help::kStoppingCriteria},
    {ControlId::MaxErrorStop, help::kStoppingCriteria},
    {ControlId::PercentCorrectStop, help::kStoppingCriteria},
    {ControlId::InputNoise, help::kTrainingMethod},
    {ControlId::HiddenLayerCount, help::kLayers},
    {ControlId::HiddenNeurons1, help::kLayers},
    {ControlId::HiddenNeurons2, help::kLayers},
    {ControlId::HiddenNeurons3, help::kLayers},
    {ControlId::HiddenNeurons4, help::kLayers},
    {ControlId::HiddenNeurons5, help::kLayers},
    {ControlId::MinWeight, help::kWeights},
    {ControlId::MaxWeight, help::kWeights},
    {ControlId::Randomize, help::kWeights},
    {ControlId::MaxPerturbation, help::kWeights},
    {ControlId::Perturb, help::kWeights},
    {ControlId::TrainingData, help::kDataFile},
    {ControlId::LoadWeights, help::kDataFile},
    {ControlId::TestingData, help::kDataFile},
    {ControlId::SaveWeights, help::kDataFile},
    {ControlId::SaturationThreshold, help::kSaturation},
    {ControlId::PreventSaturation, help::kSaturation},
};

}  // namespace

std::span<const char* const> helpKeywords() { return kKeywords; }

std::string helpAnchor(std::string_view keyword) {
  std::string anchor;
  bool pendingDash = false;
  for (char c : keyword) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) == 0) {
      pendingDash = !anchor.empty();
      continue;
    }
    if (pendingDash) anchor += '-';
    pendingDash = false;
    anchor += static_cast<char>(std::tolower(byte));
  }
  return anchor;
}

std::string helpLocation(std::string_view keyword) {
  const auto* page = std::find_if(std::begin(kPages), std::end(kPages),
                                  [&](const TopicPage& entry) { return keyword == entry.keyword; });
  if (keyword.empty() || page == std::end(kPages)) return kHelpContentsPage;
  return std::string(page->page) + "#" + helpAnchor(keyword);
}

const char* helpKeywordForControl(ControlId focused) {
  for (const ControlTopic& topic : kControlTopics) {
    if (topic.id == focused) return topic.keyword;
  }
  return "";
}

}  // namespace nodelyx
