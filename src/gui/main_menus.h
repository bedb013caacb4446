// The main window's menu bar: one QAction per command, with the object name
// "cmd<number>", in the menus and the order the product shows them. Toolbars
// and the recent-file entries reuse these actions. GUI thread only.
#pragma once

#include <QObject>
#include <functional>
#include <unordered_map>

#include "app/control_id.h"

class QAction;
class QMainWindow;
class QMenu;

namespace nodelyx {

class MainMenus {
 public:
  // Fills the window's menu bar; each action calls trigger with its command.
  MainMenus(QMainWindow& window, std::function<void(ControlId)> trigger);

  // The action of a command, or null when no menu shows it.
  QAction* action(ControlId id) const;
  QMenu* fileMenu() const { return fileMenu_; }
  // The recent files go into the File menu right before this separator,
  // which follows "Save Network &as...".
  QAction* recentFilesAnchor() const { return recentFilesAnchor_; }

 private:
  std::unordered_map<ControlId, QAction*> actions_;
  QMenu* fileMenu_ = nullptr;
  QAction* recentFilesAnchor_ = nullptr;
};

}  // namespace nodelyx
