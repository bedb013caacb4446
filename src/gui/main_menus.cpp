#include "gui/main_menus.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <span>

namespace nodelyx {
namespace {

struct MenuItem {
  ControlId id;  // None: a separator
  const char* text;
};

constexpr MenuItem kFileItems[] = {
    {ControlId::NewNetwork, "&New Network"},
    {ControlId::OpenNetwork, "&Open Network"},
    {ControlId::SaveNetwork, "&Save Network"},
    {ControlId::SaveNetworkAs, "Save Network &as..."},
    {ControlId::None, nullptr},
    {ControlId::WriteCCode, "Write network as &C code"},
    {ControlId::WritePascalCode, "Write network as &Pascal code"},
    {ControlId::WriteMatlabCode, "Write network as &Matlab code"},
    {ControlId::None, nullptr},
    {ControlId::Exit, "E&xit"},
};
constexpr MenuItem kViewItems[] = {
    {ControlId::ViewNetwork, "&Network"},
    {ControlId::ViewErrorPlot, "Training &Error Plot"},
    {ControlId::ViewContourPlot, "&Contour Plot"},
    {ControlId::ViewAnalysisPlot, "Network &Analysis Plot"},
    {ControlId::ViewTrainingHistory, "&Training History"},
};
constexpr MenuItem kSettingsItems[] = {
    {ControlId::AdvancedSettings, "&Advanced Settings..."},
};
constexpr MenuItem kHelpItems[] = {
    {ControlId::HelpContents, "&Help"},
    {ControlId::None, nullptr},
    {ControlId::About, "&About..."},
};

struct MenuDefinition {
  const char* title;
  std::span<const MenuItem> items;
};
constexpr MenuDefinition kMenus[] = {
    {"&File", kFileItems},
    {"&View", kViewItems},
    {"&Settings", kSettingsItems},
    {"&Help", kHelpItems},
};

// The settings sheet, the help window and the About box are not there yet.
constexpr ControlId kNotYetAvailable[] = {ControlId::AdvancedSettings, ControlId::HelpContents,
                                          ControlId::About};

}  // namespace

MainMenus::MainMenus(QMainWindow& window, std::function<void(ControlId)> trigger) {
  for (const MenuDefinition& definition : kMenus) {
    QMenu* menu = window.menuBar()->addMenu(QString::fromUtf8(definition.title));
    if (fileMenu_ == nullptr) fileMenu_ = menu;
    for (const MenuItem& item : definition.items) {
      if (item.id == ControlId::None) {
        QAction* separator = menu->addSeparator();
        if (menu == fileMenu_ && recentFilesAnchor_ == nullptr) recentFilesAnchor_ = separator;
        continue;
      }
      QAction* action = menu->addAction(QString::fromUtf8(item.text));
      action->setObjectName(QString::fromStdString(commandObjectName(item.id)));
      QObject::connect(action, &QAction::triggered, &window, [trigger, id = item.id] { trigger(id); });
      actions_.emplace(item.id, action);
    }
  }
  for (ControlId id : kNotYetAvailable) actions_.at(id)->setEnabled(false);
}

QAction* MainMenus::action(ControlId id) const {
  const auto found = actions_.find(id);
  return found == actions_.end() ? nullptr : found->second;
}

}  // namespace nodelyx
