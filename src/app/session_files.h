// The session's readers and writers behind the file dispatch, and opening a
// configuration together with the data and weights files it names. Used by
// the desktop program (with its dialogs and progress windows) and by the
// command-line program (without dialogs). GUI thread.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "app/file_dispatch.h"
#include "app/session.h"
#include "files/data_file.h"
#include "files/output_file.h"
#include "files/reporter.h"

namespace nodelyx {

// The settings of a new network: everything discarded, the panel defaults,
// automatic scaling on, untitled, nothing modified. Not while a run is
// active: newSession() is the New command, which refuses then.
void resetSession(Session& session);
bool newSession(Session& session, Reporter& reporter);

class SessionFileActions : public FileActions {
 public:
  SessionFileActions(Session& session, Reporter& reporter) : session_(session), reporter_(reporter) {}

  // Progress and the inputs/outputs question for data files, and who
  // reads them (empty: a worker thread, waited for).
  DataReadCallbacks dataCallbacks;
  DataReader dataReader;
  // What an output file holds, and the question that sets it before the
  // file is written (empty: the choices stand; false: cancelled).
  OutputChoices outputChoices;
  std::function<bool(OutputChoices&)> askOutputChoices;

  // Network: reads the configuration over the settings. Training, Testing:
  // loads the set (true when it loaded). Weights: opens the weights.
  bool open(FileKind kind, const std::string& path) override;
  // Network: writes the configuration. Weights: saves the weights. Output:
  // writes the testing set's outputs (false without a network or set).
  bool save(FileKind kind, const std::string& path) override;

  // Why the last open failed when the file could not be read at all (the
  // system's words); empty otherwise.
  const std::string& lastOpenFailure() const { return lastOpenFailure_; }
  // Why the last save failed (the system's words), or that the user
  // cancelled the question before anything was written.
  const std::string& lastSaveFailure() const { return lastSaveFailure_; }
  bool lastSaveCancelled() const { return lastSaveCancelled_; }

 private:
  Session& session_;
  Reporter& reporter_;
  std::string lastOpenFailure_;
  std::string lastSaveFailure_;
  bool lastSaveCancelled_ = false;
};

// The order in which a configuration's companion files are opened: from
// the command line training, testing, weights; dropped or opened in the
// program training, weights, testing.
enum class CompanionOrder { CommandLine, Interactive };

// What became of each file a configuration names.
enum class CompanionState {
  NotNamed,
  Loaded,
  Missing,  // no such file (nobody was asked, or the chooser was cancelled)
  Failed,   // the file exists but could not be loaded (its reader said why)
};
struct CompanionStates {
  CompanionState training = CompanionState::NotNamed;
  CompanionState testing = CompanionState::NotNamed;
  CompanionState weights = CompanionState::NotNamed;
};

// What the command-line program asks of an opening beyond what the window
// does.
struct CompanionChoices {
  // A weights file that does not exist yet is no error; its name stays in
  // the settings (where a training run may save to).
  bool keepMissingWeights = false;
  // The weights file is not opened (a new network is wanted); its name
  // stays in the settings.
  bool ignoreWeights = false;
  // Called once the configuration is read, before its files are opened:
  // settings given on the command line. False, after a message, ends the
  // opening.
  std::function<bool(NetworkConfig&)> adjustSettings;
};

// Reads the configuration at path into the (reset) session and opens the
// files it names. A relative name is looked for in the configuration's
// directory, then in the program's; the name is stored back as the path
// that was opened, or emptied when it could not be (without a chooser, a
// missing file is reported as "Could not read file NAME"). False, after the
// message failureFormat ("Could not read file %s" and its relatives; null:
// no message, the caller says it), when the configuration itself cannot
// be read, when choices.adjustSettings refuses, or while a run is active
// (with the warning); true otherwise, whatever became of the companions
// (states, when given, says).
bool openConfiguration(Session& session, const std::filesystem::path& path, CompanionOrder order,
                       SessionFileActions& actions, const FileChooser& choose,
                       const std::filesystem::path& programDirectory, Reporter& reporter,
                       const CompanionChoices& choices = {}, CompanionStates* states = nullptr,
                       const char* failureFormat = "Could not read file %s");

// Where a file named by a configuration in directory base is: a relative
// name beside the configuration or, when it is not there but in the
// program's directory, there.
std::string locateCompanion(const std::string& name, const std::filesystem::path& base,
                            const std::filesystem::path& programDirectory);

// The file's name without its folder, or "(untitled)" for an empty path:
// what titles and file messages name.
std::string fileTitleOrUntitled(const std::string& path);

// "Could not read file %s" and its relatives, with the file's title (or
// "(untitled)"), titled with the application name; a reason, when known,
// follows on a line of its own.
void reportFileMessage(Reporter& reporter, const char* format, const std::string& path,
                       const std::string& reason = {});

}  // namespace nodelyx
