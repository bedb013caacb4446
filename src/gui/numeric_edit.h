// The numeric field of the panels: a line edit that takes only the
// characters of a number, commits on Enter and when the focus leaves it, and
// moves on with Tab and Shift+Tab through the panel's tab order (the control
// that receives the focus gets its whole text selected). It knows no ranges:
// its owner passes each commit to the logic. GUI thread only.
#pragma once

#include <QLineEdit>

namespace nodelyx {

class NumericEdit final : public QLineEdit {
  Q_OBJECT

 public:
  // acceptExponent: "e" and "E" are accepted as well (the main panel; the
  // plot panels take plain decimals).
  explicit NumericEdit(bool acceptExponent, QWidget* parent = nullptr);

  // Whether a typed or pasted text holds only accepted characters.
  bool acceptsText(const QString& text) const;

 signals:
  // Enter was pressed, or the focus left the field for another control of
  // the window (not for a popup or another window: a message box that a
  // commit shows must not commit the field a second time).
  void commitRequested();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  bool acceptExponent_;
};

}  // namespace nodelyx
