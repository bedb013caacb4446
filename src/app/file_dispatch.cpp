#include "app/file_dispatch.h"

#include <array>
#include <system_error>

namespace nodelyx {
namespace {

constexpr std::array<FileKindInfo, 10> kKinds = {{
    {FileKind::Network, "Open Network File", "Save Network File", "Nodelyx Network Files (*.net)", "*.net",
     "net"},
    {FileKind::Training, "Open Training File", nullptr, "Nodelyx Training Files (*.trn)", "*.trn", "trn"},
    {FileKind::Weights, "Open Weights File", "Save Weights File", "Nodelyx Weights Files (*.wts)", "*.wts",
     "wts"},
    {FileKind::Output, nullptr, "Save Output File", "Nodelyx Output Files (*.out)", "*.out", "out"},
    {FileKind::Testing, "Open Testing File", nullptr, "Nodelyx TestFiles (*.tst)", "*.tst", "tst"},
    {FileKind::Data, "Open Data File", "Open Data File", "Nodelyx Data Files (*.trn, *.tst)", "*.trn;*.tst",
     "trn"},
    {FileKind::Scale, nullptr, "Open Scale File", "Nodelyx Scale Files (*.scl)", "*.scl", "scl"},
    {FileKind::CSource, nullptr, "Save C File", "C Language Files (*.C)", "*.C", "C"},
    {FileKind::PascalSource, nullptr, "Save Pascal File", "Pascal Language Files (*.Pas)", "*.Pas", "Pas"},
    {FileKind::MatlabSource, nullptr, "Save Matlab File", "Matlab M Files (*.M)", "*.M", "M"},
}};

bool isRegularFile(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

bool nameOnly(FileKind kind) {
  return kind == FileKind::Data || kind == FileKind::Scale || kind == FileKind::CSource ||
         kind == FileKind::PascalSource || kind == FileKind::MatlabSource;
}

}  // namespace

const FileKindInfo& fileKindInfo(FileKind kind) {
  const auto index = static_cast<std::size_t>(kind) - 1;
  return kKinds[index < kKinds.size() ? index : 0];
}

bool fileExists(std::string& path, const std::filesystem::path& programDirectory) {
  if (path.empty()) return false;
  if (isRegularFile(path)) return true;
  const std::filesystem::path fallback = programDirectory / path;
  if (!programDirectory.empty() && std::filesystem::path(path).is_relative() && isRegularFile(fallback)) {
    path = fallback.string();
    return true;
  }
  path.clear();
  return false;
}

bool openFileByKind(std::string& path, FileKind kind, bool forceDialog, const FileChooser& choose,
                    FileActions& actions, const std::filesystem::path& programDirectory) {
  while (!fileExists(path, programDirectory) || forceDialog) {
    if (fileKindInfo(kind).openTitle == nullptr || !choose) return false;
    switch (choose(kind, DialogMode::Open, path)) {
      case ChooseResult::Chosen:
        break;
      case ChooseResult::Cancelled:
        return kind != FileKind::Data;
      case ChooseResult::Failed:
        path.clear();
        return false;
    }
    forceDialog = false;
  }
  switch (kind) {
    case FileKind::Network:
    case FileKind::Training:
    case FileKind::Weights:
    case FileKind::Testing:
      return actions.open(kind, path);
    case FileKind::Data:
      return true;
    default:
      return false;
  }
}

bool saveFileByKind(std::string& path, FileKind kind, const FileChooser& choose, FileActions& actions) {
  const bool asksBeforeOverwriting =
      kind == FileKind::Weights || kind == FileKind::Output || kind == FileKind::Data;
  const bool ask = kind == FileKind::Scale || path.empty() || (asksBeforeOverwriting && isRegularFile(path));
  if (ask) {
    if (fileKindInfo(kind).saveTitle == nullptr || !choose) return false;
    switch (choose(kind, DialogMode::Save, path)) {
      case ChooseResult::Chosen:
        break;
      case ChooseResult::Cancelled:
        return kind != FileKind::Data && kind != FileKind::Scale;
      case ChooseResult::Failed:
        path.clear();
        return false;
    }
  }
  if (nameOnly(kind)) return true;
  if (kind == FileKind::Training || kind == FileKind::Testing) return false;
  return actions.save(kind, path);
}

}  // namespace nodelyx
