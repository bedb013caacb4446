#include "gui/tool_windows.h"

namespace nodelyx {
namespace {

std::size_t indexOf(ToolWindow which) { return static_cast<std::size_t>(which); }

// Where a window goes the first time: the plots of the run at the main
// window's corner, half its size; the analysis plot over the whole main
// window; the surface plot at the screen's corner.
QRect firstGeometry(ToolWindow which, const QRect& main) {
  switch (which) {
    case ToolWindow::NetworkView:
    case ToolWindow::ErrorPlot:
      return {main.topLeft(), main.size() / 2};
    case ToolWindow::AnalysisPlot:
      return main;
    case ToolWindow::ContourPlot:
      return {0, 0, 580, 480};
    case ToolWindow::HistoryWindow:
      break;
  }
  return {main.topLeft() + QPoint(40, 40), QSize(560, 400)};
}

}  // namespace

ToolWindows::~ToolWindows() = default;

const char* ToolWindows::title(ToolWindow which) {
  switch (which) {
    case ToolWindow::NetworkView:
      return "Network View";
    case ToolWindow::ErrorPlot:
      return "Network Error Plot";
    case ToolWindow::ContourPlot:
      return "3D Surface Plot";
    case ToolWindow::AnalysisPlot:
      return "Network Analysis Plot";
    case ToolWindow::HistoryWindow:
      return "Training History";
  }
  return "";
}

void ToolWindows::create(ToolWindow which) {
  std::unique_ptr<QWidget>& window = windows_.at(indexOf(which));
  if (make_) window = make_(which);
  if (!window) {
    window = std::make_unique<QWidget>(nullptr, Qt::Window);
    window->setWindowTitle(QString::fromUtf8(title(which)));
    window->setObjectName(QString::fromUtf8(title(which)));
  }
  window->setAttribute(Qt::WA_QuitOnClose, false);
  placed_.at(indexOf(which)) = false;
}

void ToolWindows::show(ToolWindow which, const QRect& mainFrame) {
  const std::size_t index = indexOf(which);
  std::unique_ptr<QWidget>& window = windows_.at(index);
  if (window && which == ToolWindow::HistoryWindow) {
    // The new history window takes the place of the old one.
    const QRect geometry = window->geometry();
    create(which);
    window->setGeometry(geometry);
    placed_.at(index) = true;
  }
  if (!window) create(which);
  if (!placed_.at(index)) {
    window->setGeometry(firstGeometry(which, mainFrame));
    placed_.at(index) = true;
  }
  window->showNormal();
  window->raise();
  window->activateWindow();
}

void ToolWindows::hideAll() {
  for (const std::unique_ptr<QWidget>& window : windows_) {
    if (window) window->hide();
  }
}

QWidget* ToolWindows::window(ToolWindow which) const { return windows_.at(indexOf(which)).get(); }

bool ToolWindows::visible(ToolWindow which) const {
  const QWidget* shown = window(which);
  return shown != nullptr && shown->isVisible();
}

}  // namespace nodelyx
