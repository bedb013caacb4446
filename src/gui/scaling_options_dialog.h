// The "Data Scaling Settings" dialog: a modal dialog whose logic is
// ScalingOptions, over the session's scaling record. GUI thread only.
#pragma once

#include "app/help_topics.h"
#include "app/session.h"

class QWidget;

namespace nodelyx {

inline constexpr const char* kScalingOptionsDialogObjectName = "scalingOptionsDialog";

// Shows the dialog modally. Its changes go into session.scaling (and the
// scaling switch) at once; OK hands the record to the network, when there
// is one; the close box does not. The main window refuses to call it
// during a training run.
void runScalingOptionsDialog(QWidget* owner, Session& session, HelpViewer& help);

}  // namespace nodelyx
