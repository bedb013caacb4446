#include "gui/dialog_widgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>

#include "gui/message_box.h"

namespace nodelyx {

void DialogWidgets::beep() { QApplication::beep(); }

QWidget* DialogWidgets::widget(int id) const {
  const auto found = widgets_.find(id);
  return found == widgets_.end() ? nullptr : found->second;
}

void DialogWidgets::setText(int id, const std::string& text) {
  const QString shown = QString::fromStdString(text);
  QWidget* control = widget(id);
  if (auto* edit = qobject_cast<QLineEdit*>(control))
    edit->setText(shown);
  else if (auto* label = qobject_cast<QLabel*>(control))
    label->setText(shown);
}

std::string DialogWidgets::text(int id) const {
  QWidget* control = widget(id);
  if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text().toStdString();
  if (auto* label = qobject_cast<QLabel*>(control)) return label->text().toStdString();
  return {};
}

void DialogWidgets::setEnabled(int id, bool enabled) {
  if (QWidget* control = widget(id)) control->setEnabled(enabled);
}

void DialogWidgets::setChecked(int id, bool checked) {
  if (auto* button = qobject_cast<QAbstractButton*>(widget(id))) button->setChecked(checked);
}

void DialogWidgets::focus(int id, bool selectAll) {
  QWidget* control = widget(id);
  if (control == nullptr) return;
  control->setFocus(Qt::OtherFocusReason);
  if (auto* edit = qobject_cast<QLineEdit*>(control); edit && selectAll) edit->selectAll();
}

void DialogWidgets::setCaretAtEnd(int id) {
  if (auto* edit = qobject_cast<QLineEdit*>(widget(id))) edit->end(false);
}

MessageAnswer DialogWidgets::showMessage(const Message& message, DialogButtons buttons) {
  return buttons == DialogButtons::YesNo ? askYesNoBox(&dialog_, message)
                                         : showMessageBox(&dialog_, message, MessageButtons::Ok);
}

}  // namespace nodelyx
