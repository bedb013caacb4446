#include "app/session_files.h"

#include "app/weights_io.h"
#include "files/c_format.h"
#include "files/config_file.h"
#include "nodelyx/version.h"

namespace nodelyx {
namespace {

bool isRegularFile(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

}  // namespace

std::string fileTitleOrUntitled(const std::string& path) {
  const std::string title = std::filesystem::path(path).filename().string();
  return title.empty() ? "(untitled)" : title;
}

std::string locateCompanion(const std::string& name, const std::filesystem::path& base,
                            const std::filesystem::path& programDirectory) {
  const std::filesystem::path path(name);
  if (path.is_absolute()) return name;
  const std::filesystem::path beside = base.empty() ? path : base / path;
  if (!isRegularFile(beside) && !programDirectory.empty() && isRegularFile(programDirectory / path))
    return (programDirectory / path).string();
  return beside.string();
}

void reportFileMessage(Reporter& reporter, const char* format, const std::string& path,
                       const std::string& reason) {
  std::string text = formatC(format, fileTitleOrUntitled(path).c_str());
  if (!reason.empty()) text += "\n" + reason;
  reporter.report(kProductName, text, MessageIcon::Warning);
}

void resetSession(Session& session) {
  session.discardNetwork();
  session.discardTrainingSet();
  session.discardTestingSet();
  session.ratesResetPending = false;
  applyPanelDefaults(session.config);
  scalingEnabled = 1;
  session.scaling.mode = ScalingMode::Auto;
  emptyScalingRecord(session.scaling);
  session.networkFile.clear();
  session.networkModified = false;
  session.weightsModified = false;
}

bool newSession(Session& session, Reporter& reporter) {
  if (session.refuseWhileTraining(BusyRefusal::NewNetwork, reporter)) return false;
  resetSession(session);
  return true;
}

bool SessionFileActions::open(FileKind kind, const std::string& path) {
  lastOpenFailure_.clear();
  switch (kind) {
    case FileKind::Network:
      return readNetworkConfig(path, session_.config, reporter_, &lastOpenFailure_);
    case FileKind::Training:
      return loadDataFile(session_, DataKind::Training, path, dataCallbacks, reporter_, dataReader);
    case FileKind::Testing:
      return loadDataFile(session_, DataKind::Testing, path, dataCallbacks, reporter_, dataReader);
    case FileKind::Weights:
      return openWeightsFile(session_, path, reporter_, &lastOpenFailure_);
    default:
      return false;
  }
}

bool SessionFileActions::save(FileKind kind, const std::string& path) {
  lastSaveFailure_.clear();
  lastSaveCancelled_ = false;
  switch (kind) {
    case FileKind::Network:
      return writeNetworkConfig(session_.config, path, &lastSaveFailure_);
    case FileKind::Weights:
      return saveWeightsFile(session_, path, reporter_);
    case FileKind::Output:
      if (session_.refuseWhileTraining(BusyRefusal::TestNetwork, reporter_)) return false;
      if (!session_.network || !session_.testingDataLoaded()) return false;
      // The question comes before the file is touched: a cancel leaves any
      // earlier file as it was.
      if (askOutputChoices && !askOutputChoices(outputChoices)) {
        lastSaveCancelled_ = true;
        return false;
      }
      return writeOutputFile(path, *session_.network, session_.testingSet, session_.config.outputCount(),
                             outputChoices, &lastSaveFailure_);
    default:
      return false;
  }
}

bool openConfiguration(Session& session, const std::filesystem::path& path, CompanionOrder order,
                       SessionFileActions& actions, const FileChooser& choose,
                       const std::filesystem::path& programDirectory, Reporter& reporter,
                       const CompanionChoices& choices, CompanionStates* states, const char* failureFormat) {
  if (session.refuseWhileTraining(BusyRefusal::LoadFiles, reporter)) return false;
  resetSession(session);
  CompanionStates ignored;
  CompanionStates& result = states ? *states : ignored;
  result = {};
  // Stored paths are full paths: histories and saved settings keep meaning
  // from any directory.
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  std::string configPath = (error ? path : absolute).lexically_normal().string();
  if (!openFileByKind(configPath, FileKind::Network, false, choose, actions, programDirectory) ||
      configPath.empty()) {
    if (failureFormat) reportFileMessage(reporter, failureFormat, path.string(), actions.lastOpenFailure());
    return false;
  }
  session.networkFile = configPath;
  if (choices.adjustSettings && !choices.adjustSettings(session.config)) return false;
  const std::filesystem::path base = std::filesystem::path(configPath).parent_path();
  NetworkConfig& config = session.config;
  const auto openCompanion = [&](FileKind kind) {
    const std::string& stored = kind == FileKind::Training  ? config.trainingFile()
                                : kind == FileKind::Testing ? config.testFile()
                                                            : config.weightsFile();
    if (stored.empty()) return;
    CompanionState& state = kind == FileKind::Training  ? result.training
                            : kind == FileKind::Testing ? result.testing
                                                        : result.weights;
    std::string companion = locateCompanion(stored, base, programDirectory);
    const bool exists = isRegularFile(companion);
    if (kind == FileKind::Weights && (choices.ignoreWeights || (choices.keepMissingWeights && !exists))) {
      config.setWeightsFile(companion);
      if (!choices.ignoreWeights) state = CompanionState::Missing;
      return;
    }
    if (!choose && !exists) {
      // Nobody to ask for the file: say which one is missing.
      std::error_code why;
      [[maybe_unused]] const auto status = std::filesystem::status(companion, why);
      reportFileMessage(reporter, "Could not read file %s", companion,
                        why ? why.message() : "Not a regular file");
      companion.clear();
    } else if (!openFileByKind(companion, kind, false, choose, actions, programDirectory)) {
      companion.clear();
    }
    const bool loaded = kind == FileKind::Training  ? session.trainingDataLoaded()
                        : kind == FileKind::Testing ? session.testingDataLoaded()
                                                    : session.network != nullptr;
    state = loaded ? CompanionState::Loaded : exists ? CompanionState::Failed : CompanionState::Missing;
    if (!loaded) companion.clear();
    if (kind == FileKind::Training) config.setTrainingFile(companion);
    if (kind == FileKind::Testing) config.setTestFile(companion);
    if (kind == FileKind::Weights) config.setWeightsFile(companion);
  };
  openCompanion(FileKind::Training);
  if (order == CompanionOrder::CommandLine) {
    openCompanion(FileKind::Testing);
    openCompanion(FileKind::Weights);
  } else {
    openCompanion(FileKind::Weights);
    openCompanion(FileKind::Testing);
  }
  session.networkModified = false;
  return true;
}

}  // namespace nodelyx
