// The main window's logic apart from Qt: the application state (the
// configuration file, the modified flags, the run), every command of the
// menus, toolbar and panel buttons, the sequences that open, drop and close
// files, the panel's commits and refresh rules, and the enabled states. It
// drives the Session, the TrainingRun and the file dispatch, and talks to
// the window only through MainView. GUI thread only; the run's worker
// reaches it only through the window's run bridge, which calls
// showEpochStatistics() and runEnded() on the GUI thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/control_id.h"
#include "app/field_checks.h"
#include "app/main_view.h"
#include "app/recent_files.h"
#include "app/session.h"
#include "app/session_files.h"
#include "app/training_run.h"

namespace nodelyx {

class MainController final : public ConfigObserver, public SessionObserver, private Reporter {
 public:
  // programDirectory: where the executable is (companion files named
  // without a directory are looked for there as well). recentStore keeps
  // the recent-file list between starts (null: this run only).
  MainController(Session& session, MainView& view, std::filesystem::path programDirectory,
                 RecentFileStore* recentStore = nullptr);
  // Ends a run still going (serving the window's events meanwhile).
  ~MainController() override;
  MainController(const MainController&) = delete;
  MainController& operator=(const MainController&) = delete;

  // The first show: the panel's defaults, untitled, the recent files. Then,
  // when the program was started with an argument, opens that file.
  void initialize();
  void openCommandLineFile(const std::string& argument);

  // A menu, toolbar or button command. False when a command that can fail
  // (a save, an export) failed or was cancelled.
  bool command(ControlId id);
  // The close sequence: stops a run and waits for it, asks to save the
  // settings and the weights, then discards everything. False when the
  // user cancelled (the window stays open).
  bool close();
  // The desktop session is ending: may the program go? (Asks to save.)
  bool queryEndSession();

  // Files dropped on the window, in drop order; a recent-file entry is
  // opened as a drop of that one file.
  void dropFiles(const std::vector<std::string>& paths);

  // What the user points at or asks help for: the status text of a
  // highlighted menu command, "Ready" when the menus close, the hint of the
  // control under the pointer (None: the window), and F1's topic for the
  // control that has the focus.
  void menuHighlighted(ControlId command);
  void menusClosed();
  void pointerOver(ControlId control);
  void contextHelp(ControlId focused);

  const RecentFiles& recentFiles() const { return recent_; }

  // Panel notifications.
  void fieldNotified(ControlId id, FieldNotification notification);
  void checkBoxClicked(ControlId id, bool checked);
  void listSelected(ControlId id, const std::string& text);

  // The training run as the window's bridge delivers it, on the GUI
  // thread. The observer receives the worker's notifications (on the
  // worker thread) and must not touch the view.
  void setRunObserver(TrainingObserver* observer) { runObserver_ = observer; }
  void showEpochStatistics(const EpochStatistics& stats);
  // The worker has ended: settles the run and re-enables the controls.
  // Harmless when called again for the same run.
  void runEnded();
  bool training() const { return session_.runActive(); }
  // Asks the run to stop, serves events until it has ended, settles it.
  void finishRun();
  // Waits for the run to end by itself, then as runEnded(). Blocks the
  // calling thread: for tests and programs without a window (a window's
  // run may wait for the GUI thread in its sample notification).
  void waitForRunToEnd();

  const Session& session() const { return session_; }
  bool firstMethodNotice() const { return firstMethodNotice_; }
  // "Nodelyx - name" or "Nodelyx - (untitled)".
  std::string windowTitle() const;

  // ConfigObserver: a setter stored a value; refresh its control.
  void settingChanged(ConfigField field, int layer) override;
  // SessionObserver.
  void sessionChanged(SessionEvent event) override;

 private:
  enum class SaveResult { Saved, Cancelled, Failed };

  // Reporter: every message of the core becomes a message box.
  void report(const Message& message) override;
  MessageAnswer ask(const std::string& title, const std::string& text, MessageIcon icon,
                    MessageButtons buttons = MessageButtons::Ok);

  // Sequences.
  bool discardSequence();
  MessageAnswer askSaveNetwork();
  MessageAnswer askSaveWeights();
  void resetPanel();
  void openNetworkCommand();
  bool openConfigurationFile(const std::string& path, CompanionOrder order, const char* failureFormat);
  void dropOne(const std::string& path, FileKind kind);
  SaveResult saveNetwork(bool askName);
  bool exportCode(ControlId id);
  void startTraining();
  void testNetwork();
  void loadDataCommand(FileKind kind);
  void loadWeightsCommand();
  void saveWeightsCommand();
  void showToolWindowCommand(ControlId id);
  void openRecentFile(ControlId id);

  // Panel.
  void commitFloat(const struct PanelField& field, FieldNotification notification);
  void commitInteger(const struct PanelField& field, FieldNotification notification);
  template <typename T>
  bool applyOutcome(ControlId id, const FieldOutcome<T>& outcome);
  void showSetting(ConfigField field, int layer);
  void showFileTitle(ControlId id, const std::string& path);
  void showPatternCount(ControlId id, std::size_t count);
  void enableHiddenLayerControls(bool runActive);
  void updateRunButtons();
  void showRunPressed(bool running);
  // Marks the error plot for a rescale and tells the plots, unless a run
  // is active (the run rescales at its next sample).
  void rescaleErrorPlot();
  void clearTrainingStats();
  void clearTestingStats();
  void enterRunState();
  // After files were opened: Save Weights and the run buttons as the
  // network and the sets now are.
  void resetRunControls();

  ChooseResult choose(FileKind kind, DialogMode mode, std::string& path);
  FileChooser chooser();

  Session& session_;
  MainView& view_;
  std::filesystem::path programDirectory_;
  SessionFileActions actions_;
  TrainingRun run_;
  RecentFiles recent_;
  TrainingObserver* runObserver_ = nullptr;
  bool runEndPending_ = false;  // a run was started and runEnded() has not seen its end
  bool firstMethodNotice_ = true;
  int messagesShown_ = 0;  // counts report() calls, to tell whether a failure was explained
  bool lastDialogCancelled_ = false;
  bool outputChoicesCancelled_ = false;
};

}  // namespace nodelyx
