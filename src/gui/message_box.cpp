#include "gui/message_box.h"

#include <QMessageBox>

namespace nodelyx {
namespace {

QMessageBox::Icon boxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

MessageAnswer answerOf(int button) {
  switch (button) {
    case QMessageBox::Yes:
      return MessageAnswer::Yes;
    case QMessageBox::No:
      return MessageAnswer::No;
    case QMessageBox::Cancel:
      return MessageAnswer::Cancel;
    default:
      return MessageAnswer::Ok;
  }
}

MessageAnswer runBox(QWidget* owner, const Message& message, QMessageBox::StandardButtons buttons,
                     QMessageBox::StandardButton escape, QMessageBox::StandardButton preferred) {
  QMessageBox box(boxIcon(message.icon), QString::fromStdString(message.title),
                  QString::fromStdString(message.text), buttons, owner);
  box.setObjectName(QString::fromLatin1(kMessageBoxObjectName));
  box.setAccessibleName(box.windowTitle());
  // The core's texts are plain; a "<" in a file name must not turn on rich text.
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.setEscapeButton(escape);
  box.setDefaultButton(preferred);
  return answerOf(box.exec());
}

}  // namespace

MessageAnswer showMessageBox(QWidget* owner, const Message& message, MessageButtons buttons) {
  if (buttons == MessageButtons::YesNoCancel)
    return runBox(owner, message, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                  QMessageBox::Cancel, QMessageBox::Yes);
  return runBox(owner, message, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok);
}

MessageAnswer askYesNoBox(QWidget* owner, const Message& message) {
  return runBox(owner, message, QMessageBox::Yes | QMessageBox::No, QMessageBox::No, QMessageBox::Yes);
}

}  // namespace nodelyx
