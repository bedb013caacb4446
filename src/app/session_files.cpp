#include "app/session_files.h"

#include "app/weights_io.h"
#include "files/c_format.h"
#include "files/config_file.h"
#include "nodelyx/version.h"

namespace nodelyx {
namespace {

std::string fileTitle(const std::string& path) {
  const std::string title = std::filesystem::path(path).filename().string();
  return title.empty() ? "(untitled)" : title;
}

// A companion's name as stored, made absolute against the configuration's
// directory when it is relative.
std::string resolveCompanion(const std::string& name, const std::filesystem::path& base) {
  if (name.empty()) return name;
  const std::filesystem::path path(name);
  return path.is_absolute() || base.empty() ? name : (base / path).string();
}

}  // namespace

void reportFileMessage(Reporter& reporter, const char* format, const std::string& path) {
  reporter.report(kProductName, formatC(format, fileTitle(path).c_str()), MessageIcon::Warning);
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

bool SessionFileActions::open(FileKind kind, const std::string& path) {
  switch (kind) {
    case FileKind::Network:
      return readNetworkConfig(path, session_.config, reporter_);
    case FileKind::Training:
      return loadDataFile(session_, DataKind::Training, path, dataCallbacks, reporter_);
    case FileKind::Testing:
      return loadDataFile(session_, DataKind::Testing, path, dataCallbacks, reporter_);
    case FileKind::Weights:
      return openWeightsFile(session_, path, reporter_);
    default:
      return false;
  }
}

bool SessionFileActions::save(FileKind kind, const std::string& path) {
  switch (kind) {
    case FileKind::Network:
      return writeNetworkConfig(session_.config, path);
    case FileKind::Weights:
      return saveWeightsFile(session_, path, reporter_);
    case FileKind::Output:
      if (!session_.network || !session_.testingDataLoaded()) return false;
      return writeOutputFile(path, *session_.network, session_.testingSet, session_.config.outputCount(),
                             outputChoices);
    default:
      return false;
  }
}

bool openConfiguration(Session& session, const std::filesystem::path& path, CompanionOrder order,
                       SessionFileActions& actions, const FileChooser& choose,
                       const std::filesystem::path& programDirectory, Reporter& reporter,
                       bool keepMissingWeights) {
  resetSession(session);
  // Stored paths are full paths: histories and saved settings keep meaning
  // from any directory.
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  std::string configPath = (error ? path : absolute).lexically_normal().string();
  if (!openFileByKind(configPath, FileKind::Network, false, choose, actions, programDirectory) ||
      configPath.empty()) {
    reportFileMessage(reporter, "Could not read file %s", path.string());
    return false;
  }
  session.networkFile = configPath;
  const std::filesystem::path base = std::filesystem::path(configPath).parent_path();
  NetworkConfig& config = session.config;
  const auto openCompanion = [&](FileKind kind) {
    const std::string& stored = kind == FileKind::Training  ? config.trainingFile()
                                : kind == FileKind::Testing ? config.testFile()
                                                            : config.weightsFile();
    if (stored.empty()) return;
    std::string companion = resolveCompanion(stored, base);
    std::string probe = companion;
    if (kind == FileKind::Weights && keepMissingWeights && !fileExists(probe, programDirectory)) {
      config.setWeightsFile(companion);
      return;
    }
    if (!choose && !fileExists(probe, programDirectory)) {
      // Nobody to ask for the file: say which one is missing.
      reportFileMessage(reporter, "Could not read file %s", companion);
      companion.clear();
    } else if (!openFileByKind(companion, kind, false, choose, actions, programDirectory)) {
      companion.clear();
    }
    const bool loaded = kind == FileKind::Training  ? session.trainingDataLoaded()
                        : kind == FileKind::Testing ? session.testingDataLoaded()
                                                    : session.network != nullptr;
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
