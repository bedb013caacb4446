// What the main window's logic needs of the window: show texts and states
// of controls, ask the user (messages, file names, the data-file questions)
// and read data files with a progress dialog. The Qt window implements it;
// the tests implement it as a recording fake. GUI thread only.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/control_id.h"
#include "app/file_dispatch.h"
#include "app/help_topics.h"
#include "files/data_file.h"
#include "files/output_file.h"
#include "files/reporter.h"

namespace nodelyx {

enum class MessageButtons { Ok, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

// The windows the View menu shows (each lives for the whole program).
enum class ToolWindow { NetworkView, ErrorPlot, ContourPlot, AnalysisPlot, HistoryWindow };

// What the plot windows must show afresh: the error samples (rescaled when
// they ask for it), the weights of the same network, or another network
// (or none).
enum class PlotChange { Samples, Weights, Network };

// The modal dialogs of the Settings and Help menus; each runs over the
// session on its own and returns when it is closed.
enum class ModalDialog { AdvancedSettings, DataScaling, ScalingOptions, About };

// showHelp (HelpViewer) opens the help window at a keyword or the contents.
class MainView : public HelpViewer {
 public:
  // Panel controls and commands, by identifier. A command's state applies
  // to every place it shows (button, menu item, toolbar).
  virtual void setControlText(ControlId id, const std::string& text) = 0;
  virtual std::string controlText(ControlId id) const = 0;
  virtual void setControlEnabled(ControlId id, bool enabled) = 0;
  virtual void setControlChecked(ControlId id, bool checked) = 0;
  // Selects the item of a list by its index; -1 selects nothing.
  virtual void selectListItem(ControlId id, int index) = 0;
  // Gives the focus to the control (None: to the window itself), and
  // selects its whole text when asked.
  virtual void focusControl(ControlId id, bool selectAll) = 0;
  virtual void setCaretAtEnd(ControlId id) = 0;
  virtual void beep() = 0;
  virtual void setWindowTitle(const std::string& title) = 0;

  // A modal message box with the message's title, text and icon.
  virtual MessageAnswer showMessage(const Message& message, MessageButtons buttons) = 0;
  // The open or save dialog of the kind (title, filter, default
  // extension); path is the initial name and receives the chosen one.
  virtual ChooseResult chooseFile(FileKind kind, DialogMode mode, std::string& path) = 0;
  // The "What to write?" question of the output file; nullopt: cancelled.
  virtual std::optional<OutputChoices> askOutputChoices(const OutputChoices& current) = 0;
  // Reads a data file on a worker thread while the reading progress
  // dialog (with Cancel) is shown, asks the inputs/outputs question for a
  // table without header, and shows the reader's messages. Returns when
  // the reading has ended.
  virtual DataReadOutcome readDataFile(const DataReadRequest& request, Reporter& reporter) = 0;

  // Shows (restores, raises) one of the program's other windows.
  virtual void showToolWindow(ToolWindow window) = 0;
  virtual void runModalDialog(ModalDialog dialog) = 0;
  // No run is active: the plot windows show the change (those not shown
  // catch up when they are).
  virtual void plotsChanged(PlotChange change) = 0;
  // The status bar's text.
  virtual void setStatusText(const std::string& text) = 0;
  // The recent files the File menu offers, most recent first (at most
  // four; none shows no entry and no separator).
  virtual void setRecentFiles(const std::vector<std::string>& paths) = 0;
  // Serves the window system's pending events once; used while the logic
  // waits for a run to end.
  virtual void serviceEvents() = 0;
  // Closes the main window (the Exit command); the window then runs the
  // close sequence, which may keep it open.
  virtual void closeWindow() = 0;
};

}  // namespace nodelyx
