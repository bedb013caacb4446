// Saving without risk to the previous file: the contents go to a temporary
// file beside the target, which then replaces the target in one rename.
// A failed save leaves the previous file as it was.
#pragma once

#include <filesystem>
#include <string_view>

namespace nodelyx {

// Writes contents to path atomically. Returns false (and leaves any previous
// file untouched) when the file cannot be written. Keeps the permission bits
// of a file it replaces.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents);

// Reads a whole file. Returns false when it cannot be opened or read.
bool readWholeFile(const std::filesystem::path& path, std::string& contents);

}  // namespace nodelyx
