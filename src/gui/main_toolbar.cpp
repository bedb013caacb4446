#include "gui/main_toolbar.h"

#include <QAction>
#include <QActionGroup>
#include <QIcon>

#include "app/status_hints.h"
#include "gui/gui_resources.h"
#include "gui/main_menus.h"

namespace nodelyx {
namespace {

// A toolbar button: the command and its picture (a theme name first where
// the desktop has a standard one).
struct ToolButton {
  ControlId id;  // None: a separator
  const char* icon;
  const char* themeIcon;
};

constexpr ToolButton kButtons[] = {
    {ControlId::None, nullptr, nullptr},
    {ControlId::NewNetwork, "new", "document-new"},
    {ControlId::OpenNetwork, "open", "document-open"},
    {ControlId::SaveNetwork, "save", "document-save"},
    {ControlId::None, nullptr, nullptr},
    {ControlId::ViewErrorPlot, "error_plot", nullptr},
    {ControlId::ViewNetwork, "network", nullptr},
    {ControlId::ViewAnalysisPlot, "analysis_plot", nullptr},
    {ControlId::ViewContourPlot, "contour_plot", nullptr},
    {ControlId::None, nullptr, nullptr},
    {ControlId::None, nullptr, nullptr},
    {ControlId::Train, "train", nullptr},
    {ControlId::Stop, "stop", nullptr},
    {ControlId::None, nullptr, nullptr},
};

QIcon buttonIcon(const ToolButton& button) {
  const QIcon own = toolbarIcon(button.icon);
  return button.themeIcon == nullptr ? own : QIcon::fromTheme(QString::fromUtf8(button.themeIcon), own);
}

}  // namespace

MainToolbar::MainToolbar(const MainMenus& menus, std::function<void(ControlId)> trigger, QWidget* parent)
    : QToolBar(QStringLiteral("Toolbar"), parent), trigger_(std::move(trigger)) {
  setObjectName(QStringLiteral("toolbar"));
  setAccessibleName(QStringLiteral("Toolbar"));
  setMovable(false);
  setFloatable(false);
  setIconSize(QSize(24, 24));
  auto* runGroup = new QActionGroup(this);
  runGroup->setExclusive(true);
  for (const ToolButton& button : kButtons) {
    if (button.id == ControlId::None) {
      addSeparator();
      continue;
    }
    QAction* action = nullptr;
    if (button.id == ControlId::Train) {
      action = train_ = addRunAction(button.id, "Train");
    } else if (button.id == ControlId::Stop) {
      action = stop_ = addRunAction(button.id, "Stop");
    } else {
      action = menus.action(button.id);
      addAction(action);
    }
    action->setIcon(buttonIcon(button));
    action->setToolTip(QString::fromStdString(toolTipText(button.id)));
    if (button.id == ControlId::Train || button.id == ControlId::Stop) runGroup->addAction(action);
  }
  // Until a training set is loaded both are off, and Stop shows pressed.
  setRunPressed(false);
  train_->setEnabled(false);
  stop_->setEnabled(false);
}

QAction* MainToolbar::addRunAction(ControlId id, const char* text) {
  auto* action = addAction(QString::fromUtf8(text));
  action->setObjectName(QString::fromStdString(commandObjectName(id)));
  action->setCheckable(true);
  connect(action, &QAction::triggered, this, [this, id] {
    trigger_(id);
    setRunPressed(running_);
  });
  return action;
}

void MainToolbar::setRunPressed(bool running) {
  running_ = running;
  (running ? train_ : stop_)->setChecked(true);
}

QAction* MainToolbar::runAction(ControlId id) const {
  if (id == ControlId::Train) return train_;
  if (id == ControlId::Stop) return stop_;
  return nullptr;
}

}  // namespace nodelyx
