// The question for a data file without header: how many of the first
// line's values are inputs and how many outputs. GUI thread only (the data
// reading dialog brings the reader's question here).
#pragma once

#include <cstdint>
#include <optional>

#include "files/data_file.h"

class QWidget;

namespace nodelyx {

inline constexpr const char* kInputsOutputsDialogObjectName = "inputsOutputsDialog";

// Shows the modal dialog; firstLineCount is the number of values on the
// file's first line, shown in the explanation. The fields take signed
// integers (text that is not one counts as 0); both 0 is refused with a
// warning and the dialog stays open. Other answers are returned as entered
// (the reader checks them); nullopt: Cancel or the close box.
std::optional<InputsOutputs> askInputsOutputsDialog(QWidget* owner, std::uint32_t firstLineCount);

}  // namespace nodelyx
