// Answers dialogs that the code under test shows modally (and so blocks
// in): a timer polls every 20 ms for the modal widget and hands it to the
// answer once. GUI thread, inside a QApplication.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>

namespace nodelyx::test {

using ModalAnswer = std::function<void(QWidget* modal)>;
using ModalMatch = std::function<bool(QWidget* modal)>;

// Calls answer with the next active modal widget that match accepts (any
// modal widget when match is empty). Gives up after timeoutMs.
void answerNextModal(ModalAnswer answer, ModalMatch match = {}, int timeoutMs = 10000);

// Matches a modal widget by its object name ("messageBox", ...).
ModalMatch modalNamed(const QString& objectName);

// Clicks the child button with the given object name ("ctl1": OK).
void clickButton(QWidget* dialog, const QString& objectName);

}  // namespace nodelyx::test
