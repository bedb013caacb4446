// The "What to write?" question asked before the output file is written.
// GUI thread only.
#pragma once

#include <optional>

#include "files/output_file.h"

class QWidget;

namespace nodelyx {

inline constexpr const char* kOutputChoicesDialogObjectName = "outputChoicesDialog";

// Shows the modal dialog with the check boxes set from current. OK returns
// both choices; Cancel or the close box returns nullopt.
std::optional<OutputChoices> askOutputChoicesDialog(QWidget* owner, const OutputChoices& current);

}  // namespace nodelyx
