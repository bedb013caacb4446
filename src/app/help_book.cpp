#include "app/help_book.h"

#include <system_error>

#include "app/help_topics.h"

namespace nodelyx {
namespace {

namespace fs = std::filesystem;

// ".." is resolved through the file system where the path exists, since a
// linked folder's parent is not its lexical parent; the rest lexically.
fs::path resolved(const fs::path& path) {
  std::error_code error;
  fs::path result = fs::weakly_canonical(path, error);
  return error ? path.lexically_normal() : result;
}

}  // namespace

std::vector<fs::path> helpBookFolders(const fs::path& programDirectory) {
  return {resolved(programDirectory / "help"),
          resolved(programDirectory / ".." / "share" / "nodelyx" / "help")};
}

fs::path findHelpBook(const fs::path& programDirectory) {
  for (const fs::path& folder : helpBookFolders(programDirectory)) {
    std::error_code error;
    if (fs::is_regular_file(folder / kHelpContentsPage, error)) return folder;
  }
  return {};
}

std::string missingHelpBookText(const fs::path& programDirectory) {
  std::string text = "The help book could not be found.\nNodelyx looked for ";
  text += kHelpContentsPage;
  text += " in these folders:";
  for (const fs::path& folder : helpBookFolders(programDirectory)) {
    text += '\n';
    text += folder.string();
  }
  return text;
}

}  // namespace nodelyx
