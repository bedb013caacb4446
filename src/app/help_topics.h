// The help book's topics: the keywords the program asks the help window
// for, where each one is in the book, and which topic F1 opens for the
// control that has the focus. The help window (src/gui) shows the book; the
// windows and dialogs ask for topics through HelpViewer.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "app/control_id.h"

namespace nodelyx {

// Every keyword the program can ask for, in the book's order.
namespace help {
inline constexpr const char* kTrainingProperties = "Training Properties";
inline constexpr const char* kStoppingCriteria = "Stopping Criteria";
inline constexpr const char* kTrainingMethod = "Training Method";
inline constexpr const char* kLayers = "Layers";
inline constexpr const char* kWeights = "Weights";
inline constexpr const char* kDataFile = "Data File";
inline constexpr const char* kSaturation = "Saturation";
inline constexpr const char* kQuickProp = "QuickProp";
inline constexpr const char* kRprop = "RPROP";
inline constexpr const char* kDeltaBarDelta = "Delta Bar Delta";
inline constexpr const char* kMiscSettings = "Misc. Settings";
inline constexpr const char* kNormalization = "Normalization";
inline constexpr const char* kAutomaticScaling = "Automatic data scaling";
inline constexpr const char* kViewMenu = "View Menu";
inline constexpr const char* kAnalysisPlot = "Network Analysis Plot";
inline constexpr const char* kSurfacePlot = "3D Plot";
inline constexpr const char* kSurfacePlotControls = "Three Dimensional Plot";
}  // namespace help

std::span<const char* const> helpKeywords();

// The keyword's anchor: lower case, every run of other characters than
// letters and digits one "-" ("Misc. Settings" -> "misc-settings").
std::string helpAnchor(std::string_view keyword);

// Where the keyword's section is, relative to the book's folder
// ("settings.html#training-properties"); "" (the contents page) asks for
// the contents, and so does a keyword the book does not know.
std::string helpLocation(std::string_view keyword);
inline constexpr const char* kHelpContentsPage = "index.html";

// The keyword F1 opens for the focused panel control; "" (the contents)
// for controls without a topic of their own.
const char* helpKeywordForControl(ControlId focused);

// Opens the help window at a keyword, or at the contents for "". GUI thread.
class HelpViewer {
 public:
  virtual ~HelpViewer() = default;
  virtual void showHelp(const std::string& keyword) = 0;
};

}  // namespace nodelyx
