#include "gui/numeric_edit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QValidator>

namespace nodelyx {
namespace {

// Pasted and dropped text passes the same character check as typed text.
class CharacterValidator final : public QValidator {
 public:
  explicit CharacterValidator(NumericEdit* edit) : QValidator(edit), edit_(edit) {}
  State validate(QString& input, int&) const override {
    return edit_->acceptsText(input) ? Acceptable : Invalid;
  }

 private:
  const NumericEdit* edit_;
};

bool isEditingKey(int key) {
  switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
      return true;
    default:
      return false;
  }
}

// Copy, cut, paste, undo, redo and select-all keep working; pasting goes
// through the validator.
bool isClipboardShortcut(QKeyEvent* event) {
  return event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Cut) ||
         event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Undo) ||
         event->matches(QKeySequence::Redo) || event->matches(QKeySequence::SelectAll);
}

}  // namespace

NumericEdit::NumericEdit(bool acceptExponent, QWidget* parent)
    : QLineEdit(parent), acceptExponent_(acceptExponent) {
  setValidator(new CharacterValidator(this));
  // Composed input would bypass the key filter; files dropped here belong
  // to the window.
  setAttribute(Qt::WA_InputMethodEnabled, false);
  setAcceptDrops(false);
}

bool NumericEdit::acceptsText(const QString& text) const {
  for (const QChar c : text) {
    const bool accepted =
        (c >= u'0' && c <= u'9') || c == u'-' || c == u'.' || (acceptExponent_ && (c == u'e' || c == u'E'));
    if (!accepted) return false;
  }
  return true;
}

void NumericEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    // Enter commits as leaving the field does, and the focus stays.
    emit commitRequested();
    QLineEdit::keyPressEvent(event);
    return;
  }
  if (isEditingKey(event->key()) || isClipboardShortcut(event) || event->text().isEmpty()) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  // Any other character (a letter, "+", a blank, a control character) is
  // swallowed without a sound.
  if (!acceptsText(event->text())) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void NumericEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  const Qt::FocusReason reason = event->reason();
  if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) return;
  emit commitRequested();
}

}  // namespace nodelyx
