#include "app/scaling_tool.h"

#include <algorithm>
#include <charconv>
#include <system_error>

#include "files/buffered_reader.h"
#include "files/c_format.h"
#include "files/data_file_format.h"

namespace nodelyx {
namespace {

using namespace scaling_tool;

constexpr double kRangeLimit = 99999.0;

constexpr const char* kDifferentFromInput = "You must enter a different name than the input file";
constexpr const char* kDifferentFromOutput = "You must enter a different name than the output file";
constexpr const char* kDifferentFromScale = "You must enter a different name than the scale file";

const char* missingScaleFileText(ScaleAction action) {
  switch (action) {
    case ScaleAction::ScaleFromRanges:
      return "You have not entered a valid scale file name.\nThe scale file records the scaling factors for "
             "future use.\nIn order to unscale this file or scale another file\nin the future, you must "
             "enter "
             "a valid file name.\n";
    case ScaleAction::ScaleFromFile:
      return "You have not entered a valid scale file name.\nTo scale this data using existing scale "
             "factors,\nyou must enter the name of the file that contains\nthe scale factors to use\n";
    case ScaleAction::UnscaleFromFile:
      break;
  }
  return "You have not entered a valid scale file name.\nTo unscale this data you must enter the name of the "
         "\nfile that contains the scale factors used when\nthe data were originally scaled.\n";
}

// Whether two names given for the tool's files name the same file: the same
// text, or a relative and an absolute name, or two links, of one file. A run
// with one file in two roles would replace its own input or scale file.
bool sameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  if (a == b) return true;
  std::error_code error;
  if (std::filesystem::equivalent(a, b, error)) return true;
  const auto canonicalA = std::filesystem::weakly_canonical(a, error);
  if (error) return false;
  const auto canonicalB = std::filesystem::weakly_canonical(b, error);
  return !error && canonicalA == canonicalB;
}

// A count field's text as an unsigned 32-bit number (blanks around it
// allowed); nullopt when it is none.
std::optional<std::uint32_t> countIn(const std::string& text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::nullopt;
  const std::size_t end = text.find_last_not_of(" \t") + 1;
  std::uint32_t value = 0;
  const auto [stop, error] = std::from_chars(text.data() + begin, text.data() + end, value);
  if (error != std::errc{} || stop != text.data() + end) return std::nullopt;
  return value;
}

std::string fixedText(double value) { return formatC("%f", value); }

// Files that need no reader or writer: the tool only picks names.
class NoFileActions final : public FileActions {
 public:
  bool open(FileKind, const std::string&) override { return false; }
  bool save(FileKind, const std::string&) override { return false; }
};

}  // namespace

// The worker's messages, shown on the GUI thread while the worker waits.
class ScalingTool::WorkerReporter final : public Reporter {
 public:
  explicit WorkerReporter(ScalingToolView& view) : view_(view) {}
  using Reporter::report;
  void report(const Message& message) override {
    view_.runAndWait([this, &message] { view_.showMessage(message, DialogButtons::Ok); });
  }

 private:
  ScalingToolView& view_;
};

ScalingTool::ScalingTool(const Session& session, ScalingToolView& view, HelpViewer& help,
                         std::filesystem::path programDirectory)
    : session_(session),
      view_(view),
      help_(help),
      programDirectory_(std::move(programDirectory)),
      workerReporter_(std::make_unique<WorkerReporter>(view)) {}

ScalingTool::~ScalingTool() {
  if (worker_) {
    worker_->abort();
    worker_->wait();
  }
}

void ScalingTool::initialize() {
  showProgress(0);
  if (session_.trainingDataLoaded()) {
    view_.setControlText(InputCount, std::to_string(session_.config.inputCount()));
    view_.setControlText(OutputCount, std::to_string(session_.config.outputCount()));
  }
  for (const int box : {ScaleInputs, ScaleOutputs, WriteHeader}) view_.setControlChecked(box, true);
  radioClicked(ScaleFromRanges);
  job_.inputPath = session_.config.trainingFile();
  showTitle(InputFileTitle, job_.inputPath);
  showTitle(OutputFileTitle, job_.outputPath);
  showTitle(ScaleFileTitle, job_.scalePath);
  view_.setControlText(InputLow, fixedText(job_.inputLow));
  view_.setControlText(InputHigh, fixedText(job_.inputHigh));
  view_.setControlText(OutputLow, fixedText(job_.outputLow));
  view_.setControlText(OutputHigh, fixedText(job_.outputHigh));
  enableForRun(false);
}

void ScalingTool::buttonClicked(int id) {
  // During a run only Abort and Help are enabled; anything else that
  // arrives (a queued click) must not touch what the worker reads.
  if (running() && id != Abort && id != Help) return;
  switch (id) {
    case InputFile:
      chooseInputFile();
      break;
    case OutputFile:
      chooseOutputFile();
      break;
    case ScaleFile:
      chooseScaleFile();
      break;
    case Scale:
      scale();
      break;
    case Abort:
      if (worker_) worker_->abort();
      break;
    case Exit:
      view_.endDialog();
      break;
    case Help:
      help_.showHelp(help::kNormalization);
      break;
    default:
      break;
  }
}

void ScalingTool::checkBoxClicked(int id, bool checked) {
  if (running()) return;
  view_.setControlChecked(id, checked);
  if (id == ScaleInputs) scaleInputs_ = checked;
  if (id == ScaleOutputs) scaleOutputs_ = checked;
  if (id == WriteHeader) writeHeader_ = checked;
  enableRangeEdits();
}

void ScalingTool::radioClicked(int id) {
  if (running()) return;
  actionButton_ = id;
  for (const int radio : {ScaleFromRanges, ScaleFromFile, UnscaleFromFile})
    view_.setControlChecked(radio, radio == id);
  enableRangeEdits();
}

// A low bound may go from -99999 up to its group's high bound, a high bound
// from its group's low bound up to 99999.
void ScalingTool::fieldNotified(int id, FieldNotification notification) {
  if (running()) return;
  double* value = nullptr;
  double min = -kRangeLimit, max = kRangeLimit;
  switch (id) {
    case InputLow:
      value = &job_.inputLow;
      max = job_.inputHigh;
      break;
    case InputHigh:
      value = &job_.inputHigh;
      min = job_.inputLow;
      break;
    case OutputLow:
      value = &job_.outputLow;
      max = job_.outputHigh;
      break;
    case OutputHigh:
      value = &job_.outputHigh;
      min = job_.outputLow;
      break;
    default:
      return;
  }
  const FieldOutcome<double> outcome =
      commitFloatField(view_.controlText(id), notification, min, max, *value);
  applyFieldOutcome(view_, id, outcome);
  *value = outcome.value;
}

bool ScalingTool::closeRequested() {
  if (running()) return false;
  view_.endDialog();
  return true;
}

void ScalingTool::abortAndWait(const std::function<void()>& serviceEvents) {
  if (worker_) worker_->abort();
  while (worker_) serviceEvents();
}

void ScalingTool::warn(const char* title, const std::string& text, MessageIcon icon) {
  view_.showMessage({title, text, icon}, DialogButtons::Ok);
}

bool ScalingTool::refuseSameFile(const std::string& chosen, const std::string& other, const char* text) {
  if (!sameFile(chosen, other)) return false;
  warn("Warning", text, MessageIcon::Warning);
  return true;
}

// The save dialog of the kind, every time the button is pressed (a name
// chosen before is the initial one), so that a choice can be changed.
bool ScalingTool::askName(FileKind kind, std::string& path) {
  switch (view_.chooseFile(kind, DialogMode::Save, path)) {
    case ChooseResult::Chosen:
      return true;
    case ChooseResult::Cancelled:
      return false;
    case ChooseResult::Failed:
      break;
  }
  path.clear();
  return false;
}

void ScalingTool::showTitle(int id, const std::string& path) {
  view_.setControlText(id, path.empty() ? std::string() : std::filesystem::path(path).filename().string());
}

// After a "different name" message the name is forgotten and the button
// pressed again, until the user picks another name or cancels.
void ScalingTool::chooseInputFile() {
  NoFileActions noActions;
  const FileChooser choose = [this](FileKind kind, DialogMode mode, std::string& path) {
    return view_.chooseFile(kind, mode, path);
  };
  bool chosen = false;
  while (
      (chosen = openFileByKind(job_.inputPath, FileKind::Data, true, choose, noActions, programDirectory_))) {
    if (!refuseSameFile(job_.inputPath, job_.outputPath, kDifferentFromOutput) &&
        !refuseSameFile(job_.inputPath, job_.scalePath, kDifferentFromScale))
      break;
    job_.inputPath.clear();
  }
  if (chosen) showCountsOf(job_.inputPath);
  showTitle(InputFileTitle, job_.inputPath);
}

// The counts of the file's header, or for a plain table the user's answer
// to the inputs/outputs question (cancelled: no input file).
void ScalingTool::showCountsOf(const std::string& path) {
  OpenFailure failure = OpenFailure::None;
  const std::unique_ptr<ByteSource> source = openFileSource(path, &failure);
  if (!source) {
    warn("File Error", formatC("Could not open file %s", path.c_str()), MessageIcon::Error);
    job_.inputPath.clear();
    view_.setControlText(InputCount, "");
    view_.setControlText(OutputCount, "");
    return;
  }
  BufferedReader reader(*source);
  const DataLayout layout = readDataLayout(reader);
  if (layout.header != DataHeader::None) {
    view_.setControlText(InputCount, layout.inputs ? std::to_string(*layout.inputs) : std::string());
    const bool outputs = layout.header == DataHeader::InputsAndOutputs;
    view_.setControlText(OutputCount, !outputs         ? std::string("0")
                                      : layout.outputs ? std::to_string(*layout.outputs)
                                                       : std::string());
    return;
  }
  const auto wordCount =
      static_cast<std::uint32_t>(std::min<std::uint64_t>(layout.firstLine.wordCount, 0xFFFFFFFFu));
  const std::optional<InputsOutputs> answer = view_.askInputsOutputs(wordCount);
  if (!answer) job_.inputPath.clear();
  view_.setControlText(InputCount, answer ? std::to_string(answer->inputs) : std::string());
  view_.setControlText(OutputCount, answer ? std::to_string(answer->outputs) : std::string());
}

void ScalingTool::chooseOutputFile() {
  while (askName(FileKind::Data, job_.outputPath)) {
    if (!refuseSameFile(job_.outputPath, job_.inputPath, kDifferentFromInput) &&
        !refuseSameFile(job_.outputPath, job_.scalePath, kDifferentFromScale))
      break;
    job_.outputPath.clear();
  }
  showTitle(OutputFileTitle, job_.outputPath);
}

void ScalingTool::chooseScaleFile() {
  while (askName(FileKind::Scale, job_.scalePath)) {
    if (!refuseSameFile(job_.scalePath, job_.inputPath, kDifferentFromInput) &&
        !refuseSameFile(job_.scalePath, job_.outputPath, kDifferentFromOutput))
      break;
    job_.scalePath.clear();
  }
  showTitle(ScaleFileTitle, job_.scalePath);
}

ScaleAction ScalingTool::action() const {
  if (actionButton_ == ScaleFromRanges) return ScaleAction::ScaleFromRanges;
  return actionButton_ == ScaleFromFile ? ScaleAction::ScaleFromFile : ScaleAction::UnscaleFromFile;
}

// Every check that can refuse comes before anything is started; each
// refusal says what is missing and offers the way to give it.
void ScalingTool::scale() {
  job_.action = action();
  if (job_.inputPath.empty()) {
    warn("Error", "Please select an input file", MessageIcon::None);
    chooseInputFile();
    return;
  }
  if (job_.outputPath.empty()) {
    warn("Error", "Please select an output file", MessageIcon::None);
    chooseOutputFile();
    return;
  }
  if (!scaleFileGiven() || !countsGiven() || !overwriteConfirmed()) return;
  startRun();
}

bool ScalingTool::scaleFileGiven() {
  if (!job_.scalePath.empty()) return true;
  warn("Warning", missingScaleFileText(job_.action), MessageIcon::Information);
  chooseScaleFile();
  return false;
}

// A plain table needs its counts; a file with a header brings its own, and
// a count that is not given reads as 0 (a file of outputs only, say).
bool ScalingTool::countsGiven() {
  const bool fromRanges = job_.action == ScaleAction::ScaleFromRanges;
  const std::optional<std::uint32_t> inputs = countIn(view_.controlText(InputCount));
  if (!inputs && fromRanges && scaleInputs_) {
    warn("Warning", "Please enter the number of inputs.", MessageIcon::Information);
    view_.focusControl(InputCount, false);
    return false;
  }
  const std::optional<std::uint32_t> outputs = countIn(view_.controlText(OutputCount));
  if (!outputs && fromRanges && scaleOutputs_) {
    warn("Warning", "Please enter the number of outputs.", MessageIcon::Information);
    view_.focusControl(OutputCount, false);
    return false;
  }
  job_.inputCount = inputs.value_or(0);
  job_.outputCount = outputs.value_or(0);
  return true;
}

bool ScalingTool::overwriteConfirmed() {
  std::string existing;
  std::error_code error;
  const auto note = [&](const std::string& path) {
    if (std::filesystem::exists(path, error))
      existing += std::filesystem::absolute(path, error).string() + "\n";
  };
  note(job_.outputPath);
  if (job_.action == ScaleAction::ScaleFromRanges) note(job_.scalePath);
  if (existing.empty()) return true;
  const std::string text =
      "The following files will be overwritten:\n\n" + existing + "\nAre you sure you want to proceed?";
  return view_.showMessage({"Warning", text, MessageIcon::Information}, DialogButtons::YesNo) ==
         MessageAnswer::Yes;
}

void ScalingTool::startRun() {
  job_.scaleInputs = scaleInputs_;
  job_.scaleOutputs = scaleOutputs_;
  job_.writeHeader = writeHeader_;
  enableForRun(true);
  ScalingCallbacks callbacks;
  callbacks.progress = [this](int percent) {
    percent_.store(percent);
    if (progressPosted_.exchange(true)) return;
    view_.post([this] {
      progressPosted_.store(false);
      showProgress(percent_.load());
    });
  };
  callbacks.countsFound = [this](std::uint32_t inputs, std::uint32_t outputs) {
    view_.post([this, inputs, outputs] {
      view_.setControlText(InputCount, std::to_string(inputs));
      view_.setControlText(OutputCount, std::to_string(outputs));
    });
  };
  worker_ = std::make_unique<ScalingWorker>(
      job_, std::move(callbacks), *workerReporter_,
      [this](bool written) { view_.post([this, written] { runEnded(written); }); });
}

// A completed run shows 100 %, so that it can be told from one that failed
// or was aborted, which shows 0 %.
void ScalingTool::runEnded(bool written) {
  if (!worker_) return;
  worker_->wait();
  worker_.reset();
  showProgress(written ? 100 : 0);
  enableForRun(false);
}

void ScalingTool::showProgress(int percent) {
  view_.setProgressBar(percent);
  view_.setControlText(Percent, formatC("%i %%", percent));
}

void ScalingTool::enableRangeEdits() {
  const bool fromRanges = actionButton_ == ScaleFromRanges;
  for (const int id : {InputLow, InputHigh}) view_.setControlEnabled(id, fromRanges && scaleInputs_);
  for (const int id : {OutputLow, OutputHigh}) view_.setControlEnabled(id, fromRanges && scaleOutputs_);
}

void ScalingTool::enableForRun(bool runActive) {
  view_.setControlEnabled(Abort, runActive);
  for (const int id : {Scale, Exit, InputFile, OutputFile, ScaleFile, WriteHeader, ScaleFromRanges,
                       ScaleFromFile, UnscaleFromFile, InputCount, OutputCount, ScaleInputs, ScaleOutputs})
    view_.setControlEnabled(id, !runActive);
  if (!runActive) {
    enableRangeEdits();
    return;
  }
  for (const int id : {InputLow, InputHigh, OutputLow, OutputHigh}) view_.setControlEnabled(id, false);
}

}  // namespace nodelyx
