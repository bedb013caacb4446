// The data scaling tool window's logic apart from Qt: the files, counts,
// ranges and action the user picks, the checks before a run, and the run
// itself on a ScalingWorker, which the window follows with a progress bar
// and can abort. Talks to the window only through ScalingToolView.
//
// Threads. Everything here runs on the GUI thread. The worker reaches the
// window only through the view's post() (progress, the counts of a header,
// its end) and runAndWait() (its messages, which it waits for); it never
// calls the view's other functions. While a run is going the job belongs to
// the worker except for its running flag, which Abort clears.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/dialog_view.h"
#include "app/file_dispatch.h"
#include "app/help_topics.h"
#include "app/session.h"
#include "files/data_file.h"
#include "scaling/scaling_job.h"

namespace nodelyx {

// The window's controls; the Qt dialog names each "ctl<number>".
namespace scaling_tool {
enum Control : int {
  Abort = 3,
  InputLow = 102,
  InputHigh = 103,
  OutputLow = 104,
  OutputHigh = 105,
  InputCount = 106,
  OutputCount = 107,
  ScaleInputs = 148,
  ScaleOutputs = 149,
  InputFile = 1027,
  OutputFile = 1028,
  ScaleFile = 1029,
  InputFileTitle = 1031,
  OutputFileTitle = 1032,
  Scale = 1033,
  ScaleFileTitle = 1034,
  Percent = 1035,
  ProgressBar = 1036,
  Exit = 1037,
  ScaleFromRanges = 1039,
  ScaleFromFile = 1040,
  UnscaleFromFile = 1041,
  WriteHeader = 1042,
  Help = 40015,
};
}  // namespace scaling_tool

class ScalingToolView : public DialogView {
 public:
  virtual void setProgressBar(int percent) = 0;
  // The open or save dialog of the kind; path is the initial name and
  // receives the chosen one.
  virtual ChooseResult chooseFile(FileKind kind, DialogMode mode, std::string& path) = 0;
  // The inputs/outputs question of a data file without header; nullopt:
  // cancelled.
  virtual std::optional<InputsOutputs> askInputsOutputs(std::uint32_t firstLineCount) = 0;
  // Any thread: runs task on the GUI thread later, in the order posted.
  virtual void post(std::function<void()> task) = 0;
  // Another thread than the GUI thread: runs task on the GUI thread and
  // returns once it has run.
  virtual void runAndWait(const std::function<void()>& task) = 0;
};

class ScalingTool {
 public:
  // The tool starts from the session's training file and counts; it never
  // changes the session. programDirectory: where data files named without
  // a directory are also looked for.
  ScalingTool(const Session& session, ScalingToolView& view, HelpViewer& help,
              std::filesystem::path programDirectory);
  // A run must have ended (see abortAndWait).
  ~ScalingTool();
  ScalingTool(const ScalingTool&) = delete;
  ScalingTool& operator=(const ScalingTool&) = delete;

  // The window opens: the job's defaults into the controls.
  void initialize();
  // The user clicked a push button, a check box or a radio button.
  void buttonClicked(int id);
  void checkBoxClicked(int id, bool checked);
  void radioClicked(int id);
  // One of the range edits (102 to 105) was edited or left.
  void fieldNotified(int id, FieldNotification notification);
  // The close box: refused (false) while a run is going; otherwise the
  // dialog ends.
  bool closeRequested();

  bool running() const { return worker_ != nullptr; }
  // Aborts a run and calls serviceEvents until its end has been handled.
  void abortAndWait(const std::function<void()>& serviceEvents);
  const ScalingJob& job() const { return job_; }

 private:
  class WorkerReporter;

  void chooseInputFile();
  void chooseOutputFile();
  void chooseScaleFile();
  void showCountsOf(const std::string& path);
  bool refuseSameFile(const std::string& chosen, const std::string& other, const char* text);
  bool askName(FileKind kind, std::string& path);
  void showTitle(int id, const std::string& path);
  void scale();
  bool scaleFileGiven();
  bool countsGiven();
  bool overwriteConfirmed();
  void startRun();
  void runEnded(bool written);
  void showProgress(int percent);
  void enableRangeEdits();
  void enableForRun(bool runActive);
  ScaleAction action() const;
  void warn(const char* title, const std::string& text, MessageIcon icon);

  const Session& session_;
  ScalingToolView& view_;
  HelpViewer& help_;
  std::filesystem::path programDirectory_;
  ScalingJob job_;
  // The choices of the check boxes and radio buttons; they go into the job
  // when a run starts, so that nothing the worker reads changes under it.
  int actionButton_ = scaling_tool::ScaleFromRanges;
  bool scaleInputs_ = true;
  bool scaleOutputs_ = true;
  bool writeHeader_ = true;
  std::unique_ptr<WorkerReporter> workerReporter_;
  std::unique_ptr<ScalingWorker> worker_;
  // The newest percentage of the worker, and whether a post that shows it
  // is on its way (so that at most one is).
  std::atomic<int> percent_{0};
  std::atomic<bool> progressPosted_{false};
};

}  // namespace nodelyx
