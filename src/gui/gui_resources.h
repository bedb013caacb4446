// The pictures compiled into the program (resources/nodelyx.qrc): the
// splash picture, the application icon and the toolbar's pictures. nodelyx_gui is a static
// library, so its resources are registered explicitly before first use.
// GUI thread.
#pragma once

#include <QIcon>
#include <QString>

namespace nodelyx {

inline const QString kSplashPicture = QStringLiteral(":/nodelyx/splash.svg");
inline const QString kApplicationIconPicture = QStringLiteral(":/nodelyx/nodelyx.svg");

// Registers the resources once; every function here calls it, so callers
// that only use these functions need not.
void initGuiResources();

// The program's icon (the same motif as the splash picture, square).
QIcon applicationIcon();

// A toolbar picture by name ("train" is resources/toolbar/train.svg).
QIcon toolbarIcon(const char* name);

}  // namespace nodelyx
