// The main window's menu bar: one QAction per command, with the object name
// "cmd<number>", in the menus and the order the product shows them. Toolbars
// and the recent-file entries reuse these actions. GUI thread only.
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/control_id.h"

class QAction;
class QMainWindow;
class QMenu;

namespace nodelyx {

class MainMenus {
 public:
  // Fills the window's menu bar; each action calls trigger with its command.
  MainMenus(QMainWindow& window, std::function<void(ControlId)> trigger);
  // Disconnects the menus from the window, whose logic goes first.
  ~MainMenus();
  MainMenus(const MainMenus&) = delete;
  MainMenus& operator=(const MainMenus&) = delete;

  // The action of a command, or null when no menu shows it.
  QAction* action(ControlId id) const;
  QMenu* fileMenu() const { return fileMenu_; }

  // The status hints: highlighted is called with the command of the item
  // under the pointer, closed when the menus close.
  void connectHints(std::function<void(ControlId)> highlighted, std::function<void()> closed);

  // The recent files after "Save Network &as...", behind a separator of
  // their own, with the commands 41001.. in order; none shows neither.
  void setRecentFiles(const std::vector<std::string>& paths);

 private:
  QMainWindow& window_;
  std::function<void(ControlId)> trigger_;
  std::unordered_map<ControlId, QAction*> actions_;
  std::vector<QMenu*> menus_;
  QMenu* fileMenu_ = nullptr;
  QAction* recentFilesEnd_ = nullptr;  // the separator that follows the entries
  QAction* recentSeparator_ = nullptr;
};

}  // namespace nodelyx
