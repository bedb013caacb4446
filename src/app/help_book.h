// Where the help book is on disk: the folder of HTML pages that the help
// window shows. It is looked for beside the program (the build tree) and in
// the installed tree's share folder, so neither needs a setting or a key.
// No Qt; any thread.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace nodelyx {

// The folders looked in, in this order: <programDirectory>/help, then
// <programDirectory>/../share/nodelyx/help, each with ".." resolved.
std::vector<std::filesystem::path> helpBookFolders(const std::filesystem::path& programDirectory);

// The first of those folders that holds the contents page; empty when none
// does (a folder without the contents page is no book).
std::filesystem::path findHelpBook(const std::filesystem::path& programDirectory);

// What the help window says, under this title, when there is no book: the
// folders it looked in, one a line.
inline constexpr const char* kHelpMessageTitle = "Help";
std::string missingHelpBookText(const std::filesystem::path& programDirectory);

}  // namespace nodelyx
