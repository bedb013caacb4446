#include "gui/spin_buttons.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace nodelyx {
namespace {

QToolButton* arrowButton(Qt::ArrowType arrow, const QString& name, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setArrowType(arrow);
  button->setAccessibleName(name);
  button->setAutoRepeat(true);
  // The field keeps the focus: the arrows are not tab stops.
  button->setFocusPolicy(Qt::NoFocus);
  button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
  return button;
}

}  // namespace

SpinButtons::SpinButtons(QLineEdit* buddy, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), buddy_(buddy), minimum_(minimum), maximum_(maximum) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  // Named after the field they step, for screen readers.
  const QString field = buddy_->accessibleName();
  setAccessibleName(field + QStringLiteral(" Arrows"));
  QToolButton* up = arrowButton(Qt::UpArrow, QStringLiteral("More ") + field, this);
  QToolButton* down = arrowButton(Qt::DownArrow, QStringLiteral("Fewer ") + field, this);
  layout->addWidget(up);
  layout->addWidget(down);
  connect(up, &QToolButton::clicked, this, [this] { step(1); });
  connect(down, &QToolButton::clicked, this, [this] { step(-1); });
  setFixedWidth(18);
  setFocusPolicy(Qt::NoFocus);
  buddy_->installEventFilter(this);
  setEnabled(buddy_->isEnabled());
}

void SpinButtons::step(int delta) {
  bool isNumber = false;
  const int current = buddy_->text().toInt(&isNumber);
  const int next = std::clamp((isNumber ? current : minimum_) + delta, minimum_, maximum_);
  const QString text = QString::number(next);
  if (text == buddy_->text()) return;
  buddy_->setText(text);
  emit stepped();
}

bool SpinButtons::eventFilter(QObject* watched, QEvent* event) {
  if (watched == buddy_) {
    if (event->type() == QEvent::EnabledChange) {
      setEnabled(buddy_->isEnabled());
    } else if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Up || key == Qt::Key_Down) {
        step(key == Qt::Key_Up ? 1 : -1);
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace nodelyx
