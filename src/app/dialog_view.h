// What the logic of a small modal dialog needs of its window: the texts,
// enabled and checked states of its controls by identifier (the numbers the
// dialog's controller names), the focus, a beep, message boxes, and ending
// the dialog. The Qt dialogs implement it; tests record it. GUI thread only.
#pragma once

#include <string>

#include "app/field_checks.h"
#include "app/main_view.h"
#include "files/reporter.h"

namespace nodelyx {

enum class DialogButtons { Ok, YesNo };

class DialogView {
 public:
  virtual ~DialogView() = default;

  virtual void setControlText(int id, const std::string& text) = 0;
  virtual std::string controlText(int id) const = 0;
  virtual void setControlEnabled(int id, bool enabled) = 0;
  virtual void setControlChecked(int id, bool checked) = 0;
  // Gives the control the focus, selecting its whole text when asked.
  virtual void focusControl(int id, bool selectAll) = 0;
  virtual void setCaretAtEnd(int id) = 0;
  virtual void beep() = 0;
  // A modal message box owned by the dialog; Ok boxes answer Ok.
  virtual MessageAnswer showMessage(const Message& message, DialogButtons buttons) = 0;
  // Ends the modal dialog (after the current call into the logic returns).
  virtual void endDialog() = 0;
};

// Shows what a field check decided: the beep, the text, the caret, the range
// message (titled "Invalid data", no icon) and the focus. False when the
// check showed a message.
bool applyFieldOutcome(DialogView& view, int id, const FieldOutcome<double>& outcome);

}  // namespace nodelyx
