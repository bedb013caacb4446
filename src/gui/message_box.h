// Shows a core message (title, text, icon) as a modal message box and
// returns the answer. GUI thread only; a worker marshals its messages here.
#pragma once

#include "app/main_view.h"
#include "files/reporter.h"

class QWidget;

namespace nodelyx {

// Object name of every box, so tests can find and answer it.
inline constexpr const char* kMessageBoxObjectName = "messageBox";

// Ok shows one button (Escape answers Ok); YesNoCancel shows three (Escape
// answers Cancel). owner may be null.
MessageAnswer showMessageBox(QWidget* owner, const Message& message, MessageButtons buttons);

// A question with Yes and No (Escape answers No); Yes or No.
MessageAnswer askYesNoBox(QWidget* owner, const Message& message);

}  // namespace nodelyx
