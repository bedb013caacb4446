// The modal "Advanced Settings" sheet: four tabbed pages over the session's
// settings, each value stored when its field is left (the logic is
// AdvancedSettingsController). OK and Cancel only close it. GUI thread only.
#pragma once

#include "app/help_topics.h"

class QWidget;

namespace nodelyx {

class Session;

inline constexpr const char* kAdvancedSettingsObjectName = "advancedSettings";

// Runs the sheet on the first page and returns when it is closed.
void runAdvancedSettingsDialog(QWidget* owner, Session& session, HelpViewer& help);

}  // namespace nodelyx
