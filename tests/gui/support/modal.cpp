#include "support/modal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace nodelyx::test {

void answerNextModal(ModalAnswer answer, ModalMatch match, int timeoutMs) {
  auto* timer = new QTimer(qApp);
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, timer,
                   [timer, clock, answer = std::move(answer), match = std::move(match), timeoutMs] {
                     QWidget* modal = QApplication::activeModalWidget();
                     if (modal != nullptr && modal->isVisible() && (!match || match(modal))) {
                       timer->stop();
                       timer->deleteLater();
                       answer(modal);
                     } else if (clock->elapsed() > timeoutMs) {
                       timer->stop();
                       timer->deleteLater();
                       qWarning("answerNextModal: no matching modal widget appeared");
                     }
                   });
  timer->start();
}

ModalMatch modalNamed(const QString& objectName) {
  return [objectName](QWidget* modal) { return modal->objectName() == objectName; };
}

void clickButton(QWidget* dialog, const QString& objectName) {
  auto* button = dialog->findChild<QAbstractButton*>(objectName);
  QVERIFY2(button != nullptr, qPrintable(objectName));
  button->click();
}

}  // namespace nodelyx::test
