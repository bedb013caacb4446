// The main window's toolbar: the file commands, the four plot windows, and
// Train and Stop as a pair of which exactly one shows pressed. The file and
// plot buttons reuse the menus' actions; Train and Stop have actions of
// their own (object names "cmd555" and "cmd2"), whose enabled and pressed
// states the window sets as the logic says. GUI thread only.
#pragma once

#include <QToolBar>
#include <functional>

#include "app/control_id.h"

namespace nodelyx {

class MainMenus;

class MainToolbar final : public QToolBar {
  Q_OBJECT

 public:
  MainToolbar(const MainMenus& menus, std::function<void(ControlId)> trigger, QWidget* parent);

  // Train's or Stop's action; null for any other command.
  QAction* runAction(ControlId id) const;
  // Shows Train (running) or Stop pressed. A click presses the button at
  // once; after its command the pair shows what the logic last set.
  void setRunPressed(bool running);

 private:
  QAction* addRunAction(ControlId id, const char* text);

  std::function<void(ControlId)> trigger_;
  QAction* train_ = nullptr;
  QAction* stop_ = nullptr;
  bool running_ = false;
};

}  // namespace nodelyx
