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

}  // namespace

MessageAnswer showMessageBox(QWidget* owner, const Message& message, MessageButtons buttons) {
  const bool question = buttons == MessageButtons::YesNoCancel;
  QMessageBox box(
      boxIcon(message.icon), QString::fromStdString(message.title), QString::fromStdString(message.text),
      question ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel : QMessageBox::Ok, owner);
  box.setObjectName(QString::fromLatin1(kMessageBoxObjectName));
  box.setAccessibleName(box.windowTitle());
  // The core's texts are plain; a "<" in a file name must not turn on rich text.
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.setEscapeButton(question ? QMessageBox::Cancel : QMessageBox::Ok);
  box.setDefaultButton(question ? QMessageBox::Yes : QMessageBox::Ok);
  return answerOf(box.exec());
}

}  // namespace nodelyx
