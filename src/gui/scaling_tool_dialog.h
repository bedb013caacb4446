// The "Nodelyx Data Scaling" tool window: a modal dialog whose logic is
// ScalingTool. The scaling worker reaches the dialog only through queued
// calls onto the GUI thread (progress, the counts of a header, its end) and
// blocking ones (its messages); it never touches a widget. GUI thread only.
#pragma once

#include "app/help_topics.h"
#include "app/session.h"

class QWidget;

namespace nodelyx {

inline constexpr const char* kScalingToolDialogObjectName = "scalingToolDialog";

// Shows the tool modally and returns when it has been closed (never while a
// run is going). The main window refuses to call it during a training run.
void runScalingToolDialog(QWidget* owner, const Session& session, HelpViewer& help);

}  // namespace nodelyx
