// The kinds of files the program opens and saves, with the titles, filters
// and default extensions of their dialogs, and the two dispatch operations
// every command goes through: pick the file (asking only when needed) and
// call the reader or writer of its kind. The desktop program passes its
// file dialogs as the chooser, the command-line program a fixed path.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace nodelyx {

enum class FileKind : int {
  Network = 1,
  Training = 2,
  Weights = 3,
  Output = 4,
  Testing = 5,
  Data = 6,
  Scale = 7,
  CSource = 8,
  PascalSource = 9,
  MatlabSource = 10,
};

struct FileKindInfo {
  FileKind kind;
  const char* openTitle;  // null: never opened through a dialog
  const char* saveTitle;  // null: never saved
  const char* filterName;
  const char* pattern;  // ";" separates several patterns
  const char* defaultExtension;
};

// Every filter list ends with this entry.
inline constexpr const char* kAllFilesFilterName = "All Files (*.*)";
inline constexpr const char* kAllFilesPattern = "*.*";

const FileKindInfo& fileKindInfo(FileKind kind);

// True when path names an existing file. Otherwise the same name in the
// program's directory is tried: when it exists it replaces path; else path
// is emptied. An empty path gives false.
bool fileExists(std::string& path, const std::filesystem::path& programDirectory);

enum class DialogMode { Open, Save };
enum class ChooseResult { Chosen, Cancelled, Failed };
// Shows the dialog of the kind with path as the initial name and puts the
// chosen path there.
using FileChooser = std::function<ChooseResult(FileKind kind, DialogMode mode, std::string& path)>;

// What opening and saving each kind does (readers and writers of the
// session). Kinds without an action are never passed.
class FileActions {
 public:
  virtual ~FileActions() = default;
  virtual bool open(FileKind kind, const std::string& path) = 0;  // Network, Training, Weights, Testing
  virtual bool save(FileKind kind, const std::string& path) = 0;  // Network, Weights, Output
};

// Asks for a file while path names none (or once when forceDialog is set),
// then opens it. A cancelled dialog gives true (nothing loaded), except for
// Data, which gives false; a failed dialog empties path and gives false.
// Otherwise the result of the open action (Data: true; kinds that cannot
// be opened: false).
bool openFileByKind(std::string& path, FileKind kind, bool forceDialog, const FileChooser& choose,
                    FileActions& actions, const std::filesystem::path& programDirectory);

// Asks for a name when the kind is Scale, when path is empty, or when the
// file exists and the kind is Weights, Output or Data; then saves. A
// cancelled dialog gives true, except for Data and Scale (false); a failed
// dialog empties path and gives false. Otherwise the result of the save
// action (kinds that only choose a name: true; Training, Testing: false).
bool saveFileByKind(std::string& path, FileKind kind, const FileChooser& choose, FileActions& actions);

}  // namespace nodelyx
