// Saving without risk to the previous file: the contents go to a temporary
// file beside the target, which then replaces the target in one rename.
// A failed save leaves the previous file as it was.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace nodelyx {

// Writes contents to path atomically. Returns false (and leaves any previous
// file untouched) when the file cannot be written. Keeps the permission bits
// of a file it replaces.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents);

// A file written piece by piece into a temporary file beside its target,
// which replaces the target only on commit(). Destroyed without a commit,
// it removes the temporary file and leaves any previous file untouched.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(const std::filesystem::path& path);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // False when the temporary file could not be created.
  bool isOpen() const { return fd_ >= 0; }
  // Buffers the text; a failed write shows at commit().
  void write(std::string_view text);
  // Flushes, syncs and renames over the target; false (with the target
  // untouched) when anything failed.
  bool commit();

 private:
  bool flush();

  std::filesystem::path path_;
  std::filesystem::path temporary_;
  int fd_ = -1;
  std::string buffer_;
  bool failed_ = false;
};

// Reads a whole file. Returns false when it cannot be opened or read.
bool readWholeFile(const std::filesystem::path& path, std::string& contents);

}  // namespace nodelyx
