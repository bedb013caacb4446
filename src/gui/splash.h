// The splash picture shown over the main window while the program starts.
// GUI thread only.
#pragma once

#include <QPoint>
#include <QSize>

class QWidget;

namespace nodelyx {

inline constexpr const char* kSplashObjectName = "splash";
// The picture's size in device-independent pixels.
inline constexpr int kSplashWidth = 400;
inline constexpr int kSplashHeight = 260;

// Where the picture's top-left corner goes in a parent of the given size:
// centred across, a quarter of the free height plus 20 down.
QPoint splashPosition(QSize parentSize);

// Shows the picture as a frameless child of parent (a frameless window on
// the primary screen when parent is null), then hides and deletes it after
// the given time. Returns at once.
void showSplash(QWidget* parent, int milliseconds = 2000);

}  // namespace nodelyx
