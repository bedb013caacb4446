#include "gui/splash.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSvgWidget>
#include <QTimer>

#include "gui/gui_resources.h"

namespace nodelyx {

QPoint splashPosition(QSize parentSize) {
  return {(parentSize.width() - kSplashWidth) / 2, (parentSize.height() - kSplashHeight) / 4 + 20};
}

void showSplash(QWidget* parent, int milliseconds) {
  initGuiResources();
  auto* splash = new QSvgWidget(kSplashPicture, parent);
  splash->setObjectName(QString::fromLatin1(kSplashObjectName));
  splash->setAccessibleName(QStringLiteral("Nodelyx"));
  splash->setFixedSize(kSplashWidth, kSplashHeight);
  if (parent != nullptr) {
    splash->move(splashPosition(parent->size()));
  } else {
    splash->setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
      splash->move(screen->availableGeometry().topLeft() +
                   splashPosition(screen->availableGeometry().size()));
  }
  splash->show();
  splash->raise();
  QTimer::singleShot(milliseconds, splash, [splash] {
    splash->hide();
    splash->deleteLater();
  });
}

}  // namespace nodelyx
