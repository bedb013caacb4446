// The program's other windows that the View menu shows: the network view,
// the error plot, the surface plot, the analysis plot and the training
// history. Each is created once, on its first showing, and afterwards only
// shown and hidden; none keeps the program running once the main window is
// gone. For now each is an empty window with its title; the plots replace
// the placeholders. GUI thread only.
#pragma once

#include <QRect>
#include <QWidget>
#include <array>
#include <memory>

#include "app/main_view.h"

namespace nodelyx {

class ToolWindows {
 public:
  ToolWindows() = default;
  ~ToolWindows();
  ToolWindows(const ToolWindows&) = delete;
  ToolWindows& operator=(const ToolWindows&) = delete;

  // Shows, restores and raises the window; mainFrame is the main window's
  // frame, which places a window shown for the first time.
  void show(ToolWindow which, const QRect& mainFrame);
  // Hides every window (the main window is closing).
  void hideAll();
  // The window, or null when it has not been shown yet.
  QWidget* window(ToolWindow which) const;

  static const char* title(ToolWindow which);

 private:
  static constexpr std::size_t kCount = 5;
  std::array<std::unique_ptr<QWidget>, kCount> windows_;
};

}  // namespace nodelyx
