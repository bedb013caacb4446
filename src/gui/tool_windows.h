// The program's other windows that the View menu shows: the network view,
// the error plot, the surface plot, the analysis plot and the training
// history. Each is made by the owner's factory on its first showing and
// afterwards only shown and hidden, except the history window, which is
// made anew at every showing (it shows the history as it is then). None
// keeps the program running once the main window is gone. A window the
// factory does not make yet is an empty window with its title. GUI thread
// only.
#pragma once

#include <QRect>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "app/main_view.h"

namespace nodelyx {

class ToolWindows {
 public:
  // Makes the window; null for a window that has no content yet.
  using Factory = std::function<std::unique_ptr<QWidget>(ToolWindow)>;

  explicit ToolWindows(Factory make = {}) : make_(std::move(make)) {}
  ~ToolWindows();
  ToolWindows(const ToolWindows&) = delete;
  ToolWindows& operator=(const ToolWindows&) = delete;

  // Makes the window now, hidden (the plots that follow a run exist from
  // the start, so they never begin reading while a run writes).
  void create(ToolWindow which);
  // Shows, restores and raises the window; mainFrame is the main window's
  // frame, which places a window shown for the first time.
  void show(ToolWindow which, const QRect& mainFrame);
  // Hides every window (the main window is closing).
  void hideAll();
  // The window, or null when it has not been shown yet.
  QWidget* window(ToolWindow which) const;
  // Whether the window exists and is shown (minimised counts as shown).
  bool visible(ToolWindow which) const;

  static const char* title(ToolWindow which);

 private:
  static constexpr std::size_t kCount = 5;
  Factory make_;
  std::array<std::unique_ptr<QWidget>, kCount> windows_;
  std::array<bool, kCount> placed_{};
};

}  // namespace nodelyx
