// The up and down arrows beside a numeric field (the hidden-layer count):
// each click, and the Up and Down keys in the field, step the number shown
// in the field by one within a range and report the step. The arrows follow
// the field's enabled state. GUI thread only.
#pragma once

#include <QWidget>

class QLineEdit;

namespace nodelyx {

class SpinButtons final : public QWidget {
  Q_OBJECT

 public:
  SpinButtons(QLineEdit* buddy, int minimum, int maximum, QWidget* parent = nullptr);

  // Steps the field's number by delta, clamped to the range; a text that is
  // not a number counts as the minimum. Emits stepped() when the text
  // changed.
  void step(int delta);

 signals:
  void stepped();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* buddy_;
  int minimum_;
  int maximum_;
};

}  // namespace nodelyx
