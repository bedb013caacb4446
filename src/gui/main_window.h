// The main window: the menus, the panel built from the panel table, and the
// program's other windows. It owns the Session and the MainController, which
// holds all the logic; the window shows what the controller tells it
// (MainView) and forwards what the user does. Training runs report through
// the RunBridge. GUI thread only.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <filesystem>
#include <memory>
#include <string>

#include "app/main_controller.h"
#include "app/main_view.h"
#include "app/session.h"
#include "gui/panel_builder.h"
#include "gui/recent_file_settings.h"
#include "gui/run_bridge.h"
#include "gui/tool_windows.h"

namespace nodelyx {

class ErrorPlotWindow;
class HelpWindowViewer;
class NetworkViewWindow;
class MainMenus;
class MainToolbar;

class MainWindow final : public QMainWindow, public MainView {
  Q_OBJECT

 public:
  // programDirectory: the executable's directory.
  explicit MainWindow(const std::filesystem::path& programDirectory, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The first show's defaults, then the file named on the command line.
  void initialize();
  void openCommandLineFile(const std::string& argument);
  // The desktop session is ending: false keeps the program (the user
  // cancelled a save question).
  bool queryEndSession();

  const MainController& controller() const { return controller_; }
  const Session& session() const { return session_; }
  // A panel control or a command's action by identifier (null if none).
  QWidget* control(ControlId id) const;
  QAction* commandAction(ControlId id) const;
  // The help window (null before the first help was asked for).
  QWidget* helpWindow() const;
  // The plots that follow a run (they exist from the start, hidden).
  ErrorPlotWindow* errorPlot() const;
  NetworkViewWindow* networkView() const;
  // A window the View menu showed (null before its first showing).
  QWidget* toolWindow(ToolWindow which) const { return toolWindows_.window(which); }
  // Shows the whole panel and fits a 1024 × 768 screen.
  QSize startSize() const;

  // MainView.
  using QMainWindow::setWindowTitle;
  void setControlText(ControlId id, const std::string& text) override;
  std::string controlText(ControlId id) const override;
  void setControlEnabled(ControlId id, bool enabled) override;
  void setControlChecked(ControlId id, bool checked) override;
  void selectListItem(ControlId id, int index) override;
  void focusControl(ControlId id, bool selectAll) override;
  void setCaretAtEnd(ControlId id) override;
  void beep() override;
  void setWindowTitle(const std::string& title) override;
  MessageAnswer showMessage(const Message& message, MessageButtons buttons) override;
  ChooseResult chooseFile(FileKind kind, DialogMode mode, std::string& path) override;
  std::optional<OutputChoices> askOutputChoices(const OutputChoices& current) override;
  DataReadOutcome readDataFile(const DataReadRequest& request, Reporter& reporter) override;
  void showToolWindow(ToolWindow window) override;
  void runModalDialog(ModalDialog dialog) override;
  void plotsChanged(PlotChange change) override;
  void setStatusText(const std::string& text) override;
  void setRecentFiles(const std::vector<std::string>& paths) override;
  void showHelp(const std::string& keyword) override;
  void serviceEvents() override;
  void closeWindow() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  // The control hints follow the pointer over the panel.
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  class ControllerCall;

  void connectPanel();
  std::unique_ptr<QWidget> makeToolWindow(ToolWindow which);
  // On the GUI thread while the run waits: the visible plots show the new
  // sample and weights.
  void showSamples();
  void updateSamplesWanted();
  void createToolbarAndStatusBar();
  void watchPointerAndHelpKey();
  void runCommand(ControlId id);
  void commitField(ControlId id, FieldNotification notification);
  // A numeric field that has the focus and was edited since its last
  // commit is committed before a menu command or a drop acts.
  void commitFocusedEdit();
  ControlId idOf(const QWidget* widget) const;

  Session session_;
  RunBridge runBridge_;
  ToolWindows toolWindows_;
  PanelWidgets panel_;
  std::unique_ptr<MainMenus> menus_;
  MainToolbar* toolbar_ = nullptr;
  QLabel* statusText_ = nullptr;
  RecentFileSettings recentFileSettings_;
  std::unique_ptr<HelpWindowViewer> help_;
  // Calls into the controller in progress: focus changes they cause (a
  // message box, a refused field taking the focus back) commit nothing,
  // and a close request waits for them to finish.
  int controllerDepth_ = 0;
  // Last: it ends a run still going before the bridge and the session go.
  MainController controller_;
};

}  // namespace nodelyx
