#include "gui/main_menus.h"

#include <QAction>
#include <QFile>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <span>

#include "app/recent_files.h"

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
    {ControlId::None, nullptr},
    {ControlId::DataScaling, "Data &Scaling..."},
    {ControlId::ScalingSettings, "Scaling &Options..."},
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

}  // namespace

MainMenus::MainMenus(QMainWindow& window, std::function<void(ControlId)> trigger)
    : window_(window), trigger_(std::move(trigger)) {
  for (const MenuDefinition& definition : kMenus) {
    QMenu* menu = window.menuBar()->addMenu(QString::fromUtf8(definition.title));
    menus_.push_back(menu);
    if (fileMenu_ == nullptr) fileMenu_ = menu;
    for (const MenuItem& item : definition.items) {
      if (item.id == ControlId::None) {
        QAction* separator = menu->addSeparator();
        if (menu == fileMenu_ && recentFilesEnd_ == nullptr) recentFilesEnd_ = separator;
        continue;
      }
      QAction* action = menu->addAction(QString::fromUtf8(item.text));
      action->setObjectName(QString::fromStdString(commandObjectName(item.id)));
      QObject::connect(action, &QAction::triggered, &window, [this, id = item.id] { trigger_(id); });
      actions_.emplace(item.id, action);
    }
  }
}

MainMenus::~MainMenus() {
  for (QMenu* menu : menus_) QObject::disconnect(menu, nullptr, &window_, nullptr);
}

void MainMenus::connectHints(std::function<void(ControlId)> highlighted, std::function<void()> closed) {
  for (QMenu* menu : menus_) {
    QObject::connect(menu, &QMenu::hovered, &window_, [this, highlighted](QAction* hovered) {
      for (const auto& [id, action] : actions_) {
        if (action == hovered) highlighted(id);
      }
    });
    QObject::connect(menu, &QMenu::aboutToHide, &window_, closed);
  }
}

void MainMenus::setRecentFiles(const std::vector<std::string>& paths) {
  for (int k = 0; k < static_cast<int>(kRecentFileCount); ++k) {
    const auto id = static_cast<ControlId>(controlNumber(ControlId::RecentFile1) + k);
    const auto found = actions_.find(id);
    if (static_cast<std::size_t>(k) >= paths.size()) {
      if (found != actions_.end()) found->second->setVisible(false);
      continue;
    }
    // "&" in a path is a letter, not a mnemonic.
    QString text = QFile::decodeName(QByteArray::fromStdString(paths[static_cast<std::size_t>(k)]));
    text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    if (found != actions_.end()) {
      found->second->setText(text);
      found->second->setVisible(true);
      continue;
    }
    if (recentSeparator_ == nullptr) recentSeparator_ = fileMenu_->insertSeparator(recentFilesEnd_);
    auto* action = new QAction(text, fileMenu_);
    action->setObjectName(QString::fromStdString(commandObjectName(id)));
    QObject::connect(action, &QAction::triggered, &window_, [this, id] { trigger_(id); });
    fileMenu_->insertAction(recentFilesEnd_, action);
    actions_.emplace(id, action);
  }
  if (recentSeparator_ != nullptr) recentSeparator_->setVisible(!paths.empty());
}

QAction* MainMenus::action(ControlId id) const {
  const auto found = actions_.find(id);
  return found == actions_.end() ? nullptr : found->second;
}

}  // namespace nodelyx
