// The main window's commands and the sequences that open, drop, save and
// close files; the panel's side is in main_panel.cpp.
#include "app/main_controller.h"

#include <cerrno>
#include <cstring>
#include <thread>

#include "app/network_setup.h"
#include "app/weights_io.h"
#include "export/code_export.h"
#include "files/buffered_reader.h"
#include "files/c_format.h"
#include "files/text_cursor.h"
#include "nodelyx/version.h"

namespace nodelyx {
namespace {

// The kind a dropped file's last four characters name, or nullopt.
std::optional<FileKind> droppedKind(std::string_view path) {
  if (path.size() < 4) return std::nullopt;
  const std::string_view ending = path.substr(path.size() - 4);
  if (matchesKeyword(ending, ".net")) return FileKind::Network;
  if (matchesKeyword(ending, ".trn")) return FileKind::Training;
  if (matchesKeyword(ending, ".wts")) return FileKind::Weights;
  if (matchesKeyword(ending, ".tst")) return FileKind::Testing;
  return std::nullopt;
}

// Whether the file can be opened at all; reason says why not. Other
// failures (a folder, a device) are the reader's to explain.
bool canOpenForReading(const std::filesystem::path& path, std::string& reason) {
  OpenFailure why = OpenFailure::None;
  if (openFileSource(path, &why) || why != OpenFailure::CannotOpen) return true;
  reason = std::strerror(errno);
  return false;
}

void makeCurrentDirectoryOf(const std::string& path) {
  std::error_code ignored;
  const std::filesystem::path directory = std::filesystem::path(path).parent_path();
  if (!directory.empty()) std::filesystem::current_path(directory, ignored);
}

}  // namespace

MainController::MainController(Session& session, MainView& view, std::filesystem::path programDirectory,
                               RecentFileStore* recentStore)
    : session_(session),
      view_(view),
      programDirectory_(std::move(programDirectory)),
      actions_(session, static_cast<Reporter&>(*this)),
      recent_(recentStore) {
  session_.config.setObserver(this);
  session_.setObserver(this);
  actions_.dataReader = [this](const DataReadRequest& request, const DataReadCallbacks&, Reporter& reporter) {
    // The reader fails silently on a file it cannot open; the window says why.
    std::string reason;
    if (!canOpenForReading(request.path, reason)) {
      reportFileMessage(reporter, "Could not read file %s", request.path.string(), reason);
      return DataReadOutcome{};
    }
    return view_.readDataFile(request, reporter);
  };
  actions_.askOutputChoices = [this](OutputChoices& choices) {
    const std::optional<OutputChoices> answer = view_.askOutputChoices(choices);
    if (answer) choices = *answer;
    return answer.has_value();
  };
}

MainController::~MainController() {
  finishRun();
  session_.config.setObserver(nullptr);
  session_.setObserver(nullptr);
}

void MainController::report(const Message& message) {
  ++messagesShown_;
  view_.showMessage(message, MessageButtons::Ok);
}

MessageAnswer MainController::ask(const std::string& title, const std::string& text, MessageIcon icon,
                                  MessageButtons buttons) {
  ++messagesShown_;
  return view_.showMessage(Message{title, text, icon}, buttons);
}

ChooseResult MainController::choose(FileKind kind, DialogMode mode, std::string& path) {
  const ChooseResult result = view_.chooseFile(kind, mode, path);
  if (result == ChooseResult::Cancelled) lastDialogCancelled_ = true;
  return result;
}

FileChooser MainController::chooser() {
  return [this](FileKind kind, DialogMode mode, std::string& path) { return choose(kind, mode, path); };
}

std::string MainController::windowTitle() const {
  return std::string(kProductName) + " - " + fileTitleOrUntitled(session_.networkFile);
}

void MainController::initialize() {
  resetPanel();
  view_.setWindowTitle(windowTitle());
  recent_.load();
  view_.setRecentFiles(recent_.shown());
}

bool MainController::command(ControlId id) {
  switch (id) {
    case ControlId::NewNetwork:
    case ControlId::OpenNetwork:
      if (session_.refuseWhileTraining(BusyRefusal::NewNetwork, *this) || !discardSequence()) return false;
      if (id == ControlId::OpenNetwork) openNetworkCommand();
      rescaleErrorPlot();
      return true;
    case ControlId::SaveNetwork:
      return saveNetwork(false) == SaveResult::Saved;
    case ControlId::SaveNetworkAs:
      return saveNetwork(true) == SaveResult::Saved;
    case ControlId::WriteCCode:
    case ControlId::WritePascalCode:
    case ControlId::WriteMatlabCode:
      return exportCode(id);
    case ControlId::Exit:
      run_.stop();
      view_.closeWindow();
      return true;
    case ControlId::ViewNetwork:
    case ControlId::ViewErrorPlot:
    case ControlId::ViewContourPlot:
    case ControlId::ViewAnalysisPlot:
    case ControlId::ViewTrainingHistory:
      showToolWindowCommand(id);
      return true;
    case ControlId::DataScaling:
    case ControlId::ScalingSettings:
      if (session_.refuseWhileTraining(BusyRefusal::ScaleData, *this)) return false;
      view_.runModalDialog(id == ControlId::DataScaling ? ModalDialog::DataScaling
                                                        : ModalDialog::ScalingOptions);
      return true;
    case ControlId::AdvancedSettings:
      view_.runModalDialog(ModalDialog::AdvancedSettings);
      return true;
    case ControlId::About:
      view_.runModalDialog(ModalDialog::About);
      return true;
    case ControlId::HelpContents:
      view_.showHelp("");
      return true;
    case ControlId::RecentFile1:
    case ControlId::RecentFile2:
    case ControlId::RecentFile3:
    case ControlId::RecentFile4:
      openRecentFile(id);
      return true;
    case ControlId::Train:
      startTraining();
      return true;
    case ControlId::Stop:
      run_.stop();
      return true;
    case ControlId::Test:
      testNetwork();
      return true;
    case ControlId::TrainingData:
      loadDataCommand(FileKind::Training);
      return true;
    case ControlId::TestingData:
      loadDataCommand(FileKind::Testing);
      return true;
    case ControlId::LoadWeights:
      loadWeightsCommand();
      return true;
    case ControlId::SaveWeights:
      saveWeightsCommand();
      return true;
    case ControlId::Randomize:
      return session_.randomizeWeights(*this);
    case ControlId::Perturb:
      return session_.perturbWeights(*this);
    default:
      return false;
  }
}

// Asks to save what is modified; false when the user cancelled. Then
// everything is discarded and the panel shows a new network's defaults.
bool MainController::discardSequence() {
  if (session_.networkModified && askSaveNetwork() == MessageAnswer::Cancel) return false;
  if (session_.weightsModified && askSaveWeights() == MessageAnswer::Cancel) return false;
  resetPanel();
  session_.networkFile.clear();
  view_.setWindowTitle(windowTitle());
  return true;
}

MessageAnswer MainController::askSaveNetwork() {
  const MessageAnswer answer = ask(kProductName,
                                   formatC("Network not saved\nSave current changes in %s?",
                                           fileTitleOrUntitled(session_.networkFile).c_str()),
                                   MessageIcon::Question, MessageButtons::YesNoCancel);
  if (answer != MessageAnswer::Yes) return answer;
  return saveNetwork(false) == SaveResult::Saved ? MessageAnswer::Yes : MessageAnswer::Cancel;
}

MessageAnswer MainController::askSaveWeights() {
  const MessageAnswer answer = ask(kProductName,
                                   formatC("Weights not saved\nSave current changes in %s?",
                                           fileTitleOrUntitled(session_.config.weightsFile()).c_str()),
                                   MessageIcon::Question, MessageButtons::YesNoCancel);
  if (answer != MessageAnswer::Yes) return answer;
  std::string path = session_.config.weightsFile();
  lastDialogCancelled_ = false;
  const bool saved = saveFileByKind(path, FileKind::Weights, chooser(), actions_);
  if (!saved || lastDialogCancelled_) return MessageAnswer::Cancel;
  session_.config.setWeightsFile(path);
  return MessageAnswer::Yes;
}

// A cancelled name dialog saves nothing and keeps the modified flag, so
// nothing the user changed is lost without a question.
MainController::SaveResult MainController::saveNetwork(bool askName) {
  std::string path = askName ? std::string() : session_.networkFile;
  lastDialogCancelled_ = false;
  const bool saved = saveFileByKind(path, FileKind::Network, chooser(), actions_);
  if (lastDialogCancelled_) return SaveResult::Cancelled;
  if (!saved) {
    reportFileMessage(*this, "Could not write file %s", path, actions_.lastSaveFailure());
    return SaveResult::Failed;
  }
  session_.networkFile = path;
  view_.setWindowTitle(windowTitle());
  session_.networkModified = false;
  return SaveResult::Saved;
}

void MainController::openNetworkCommand() {
  std::string path;
  lastDialogCancelled_ = false;
  if (choose(FileKind::Network, DialogMode::Open, path) != ChooseResult::Chosen) return;
  if (!openConfigurationFile(path, CompanionOrder::Interactive, nullptr)) {
    std::string text = "An error occured reading the network file";
    if (!actions_.lastOpenFailure().empty()) text += "\n" + actions_.lastOpenFailure();
    ask("ERROR", text, MessageIcon::None);
    resetPanel();
    session_.networkFile.clear();
  }
  view_.setWindowTitle(windowTitle());
  session_.networkModified = false;
  session_.weightsModified = false;
}

bool MainController::openConfigurationFile(const std::string& path, CompanionOrder order,
                                           const char* failureFormat) {
  const bool opened = openConfiguration(session_, path, order, actions_, chooser(), programDirectory_, *this,
                                        {}, nullptr, failureFormat);
  // The configuration's companions may have brought a network and sets.
  resetRunControls();
  if (opened) {
    makeCurrentDirectoryOf(session_.networkFile);
    if (recent_.add(session_.networkFile)) view_.setRecentFiles(recent_.shown());
  }
  return opened;
}

void MainController::dropFiles(const std::vector<std::string>& paths) {
  if (session_.refuseWhileTraining(BusyRefusal::LoadFiles, *this)) return;
  for (const std::string& path : paths) {
    const std::optional<FileKind> kind = droppedKind(path);
    if (!kind) {
      ask("Unkown file type",
          "Drag-and-Drop files must have one of the\nfollowing extnsions (*.net, *.trn, *.wts, *.tst)",
          MessageIcon::Warning);
      continue;
    }
    if (*kind == FileKind::Network) {
      if (!discardSequence()) return;  // a cancel ends the whole drop
      if (!openConfigurationFile(path, CompanionOrder::Interactive, "Could not read file %s!"))
        session_.networkFile.clear();
      view_.setWindowTitle(windowTitle());
      continue;
    }
    dropOne(path, *kind);
  }
}

void MainController::dropOne(const std::string& path, FileKind kind) {
  std::string chosen = path;
  const int shownBefore = messagesShown_;
  const bool opened = openFileByKind(chosen, kind, false, chooser(), actions_, programDirectory_);
  // The readers explain most failures themselves; one message is enough.
  if (!opened && messagesShown_ == shownBefore)
    reportFileMessage(*this, "Could not read file %s!", path, actions_.lastOpenFailure());
  if (kind == FileKind::Weights && opened && session_.network)
    view_.setControlEnabled(ControlId::SaveWeights, true);
  session_.networkModified = true;
  updateRunButtons();
}

void MainController::openCommandLineFile(const std::string& argument) {
  if (argument.empty()) return;
  resetPanel();
  session_.networkFile = argument;
  // The type is named by the dot and three characters at the end, as for a
  // dropped file.
  const std::optional<FileKind> kind = droppedKind(argument);
  if (kind == FileKind::Network) {
    if (!openConfigurationFile(argument, CompanionOrder::CommandLine, "Could not read file %s"))
      session_.networkFile.clear();
  } else {
    session_.networkFile.clear();
    if (kind) dropOne(argument, *kind);
    session_.networkModified = false;
  }
  view_.setWindowTitle(windowTitle());
}

bool MainController::exportCode(ControlId id) {
  if (!session_.network) {
    ask("Warning", "Cannot save network at this time because no network is defined", MessageIcon::Warning);
    return false;
  }
  const FileKind kind = id == ControlId::WriteCCode        ? FileKind::CSource
                        : id == ControlId::WritePascalCode ? FileKind::PascalSource
                                                           : FileKind::MatlabSource;
  std::string path;
  lastDialogCancelled_ = false;
  saveFileByKind(path, kind, chooser(), actions_);
  if (lastDialogCancelled_ || path.empty()) return false;
  // During a run the worker owns the network: write a consistent copy.
  std::shared_ptr<NetworkSnapshot> snapshot = session_.networkSnapshot();
  for (int tries = 0; !snapshot && tries < 2000; ++tries) {
    view_.serviceEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    snapshot = session_.networkSnapshot();
  }
  if (!snapshot) {
    reportFileMessage(*this, "Could not write file %s", path,
                      "The running training did not hand over its network.");
    return false;
  }
  std::string reason;
  const Network& network = snapshot->network;
  const bool written = kind == FileKind::CSource ? writeCCode(network, path, session_.networkFile, &reason)
                       : kind == FileKind::PascalSource
                           ? writePascalCode(network, path, session_.networkFile, &reason)
                           : writeMatlabCode(network, path, session_.networkFile, &reason);
  if (!written) reportFileMessage(*this, "Could not write file %s", path, reason);
  return written;
}

void MainController::showToolWindowCommand(ControlId id) {
  switch (id) {
    case ControlId::ViewNetwork:
      view_.showToolWindow(ToolWindow::NetworkView);
      break;
    case ControlId::ViewErrorPlot:
      view_.showToolWindow(ToolWindow::ErrorPlot);
      break;
    case ControlId::ViewContourPlot:
      view_.showToolWindow(ToolWindow::ContourPlot);
      break;
    case ControlId::ViewAnalysisPlot:
      if (!session_.network) {
        ask("Warning", "Cannot open error analysis at this time.\nNo network is currently loaded.",
            MessageIcon::Warning);
        break;
      }
      view_.showToolWindow(ToolWindow::AnalysisPlot);
      break;
    default:
      if (session_.history.empty()) {
        ask("Warning - Training history not available.",
            "The training history contains details about all training sessions\nassociated with the "
            "currently "
            "loaded weights.\n\nYou must either create a new set of weights by training a new network "
            "or\nload "
            "a previously saved weights file.",
            MessageIcon::None);
        break;
      }
      view_.showToolWindow(ToolWindow::HistoryWindow);
      break;
  }
}

void MainController::startTraining() {
  view_.focusControl(ControlId::None, false);
  if (!run_.start(session_, runObserver_, *this)) return;
  runEndPending_ = true;
  enterRunState();
}

void MainController::finishRun() {
  if (!runEndPending_ && !training()) return;
  run_.finish([this] { view_.serviceEvents(); });
  runEnded();
}

void MainController::waitForRunToEnd() {
  run_.wait();
  runEnded();
}

void MainController::testNetwork() {
  if (session_.refuseWhileTraining(BusyRefusal::TestNetwork, *this)) return;
  if (!session_.testingDataLoaded()) {
    ask("Error", "Test Data not loaded", MessageIcon::None);
    return;
  }
  if (!session_.network) {
    const bool resetPending = session_.ratesResetPending;
    if (!session_.buildNetwork(*this)) return;
    session_.ratesResetPending = resetPending;
  }
  applyActivationChoices(session_.config, *session_.network);
  std::string path = session_.config.outputFile();
  lastDialogCancelled_ = false;
  const bool written = saveFileByKind(path, FileKind::Output, chooser(), actions_);
  updateRunButtons();
  if (lastDialogCancelled_ || actions_.lastSaveCancelled()) return;
  if (!written) {
    reportFileMessage(*this, "Could not write file %s", path, actions_.lastSaveFailure());
    return;
  }
  session_.config.setOutputFile(path);
}

void MainController::loadDataCommand(FileKind kind) {
  if (session_.refuseWhileTraining(BusyRefusal::LoadFiles, *this)) return;
  std::string path = kind == FileKind::Training ? session_.config.trainingFile() : session_.config.testFile();
  openFileByKind(path, kind, true, chooser(), actions_, programDirectory_);
  session_.networkModified = true;
  updateRunButtons();
}

void MainController::loadWeightsCommand() {
  if (session_.refuseWhileTraining(BusyRefusal::LoadFiles, *this)) return;
  std::string path = session_.config.weightsFile();
  lastDialogCancelled_ = false;
  const int shownBefore = messagesShown_;
  const bool opened = openFileByKind(path, FileKind::Weights, true, chooser(), actions_, programDirectory_);
  if (!lastDialogCancelled_) {
    if (!opened && messagesShown_ == shownBefore)
      reportFileMessage(*this, "Could not read file %s", path, actions_.lastOpenFailure());
    session_.config.setWeightsFile(opened ? path : std::string());
    if (opened && session_.network) view_.setControlEnabled(ControlId::SaveWeights, true);
  }
  session_.networkModified = true;
  updateRunButtons();
}

void MainController::saveWeightsCommand() {
  if (session_.refuseWhileTraining(BusyRefusal::SaveWeights, *this)) return;
  std::string path = session_.config.weightsFile();
  lastDialogCancelled_ = false;
  const bool saved = saveFileByKind(path, FileKind::Weights, chooser(), actions_);
  if (lastDialogCancelled_) return;
  session_.config.setWeightsFile(saved ? path : std::string());
}

bool MainController::close() {
  run_.stop();
  finishRun();
  if (session_.networkModified && askSaveNetwork() == MessageAnswer::Cancel) return false;
  if (session_.weightsModified && askSaveWeights() == MessageAnswer::Cancel) return false;
  session_.discardNetwork();
  session_.discardTrainingSet();
  session_.discardTestingSet();
  return true;
}

bool MainController::queryEndSession() {
  finishRun();
  if (session_.networkModified && askSaveNetwork() == MessageAnswer::Cancel) return false;
  if (session_.weightsModified && askSaveWeights() == MessageAnswer::Cancel) return false;
  return true;
}

}  // namespace nodelyx
