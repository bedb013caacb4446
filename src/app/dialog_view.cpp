#include "app/dialog_view.h"

namespace nodelyx {

bool applyFieldOutcome(DialogView& view, int id, const FieldOutcome<double>& outcome) {
  if (outcome.beep) view.beep();
  if (outcome.text) view.setControlText(id, *outcome.text);
  if (outcome.caretAtEnd) view.setCaretAtEnd(id);
  if (outcome.message)
    view.showMessage({kInvalidDataTitle, *outcome.message, MessageIcon::None}, DialogButtons::Ok);
  if (outcome.focusAndSelect) view.focusControl(id, true);
  return !outcome.message;
}

}  // namespace nodelyx
