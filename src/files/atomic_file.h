// Saving without risk to the previous file: the contents go to a temporary
// file beside the target, which then replaces the target in one rename.
// A failed save leaves the previous file as it was. A symbolic link is
// followed, so the file it points to is replaced and the link stays; a
// character device or a FIFO (/dev/null, a pipe) is written straight into,
// never replaced; anything else that is not a regular file is refused.
// Also reading whole files, bounded in size. Any thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace nodelyx {

// Writes contents to path atomically. Returns false (and leaves any previous
// file untouched) when the file cannot be written; reason, when given,
// receives the system's explanation ("No space left on device"). Keeps the
// permission bits of a file it replaces.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents,
                         std::string* reason = nullptr);

// Whether a save to path can succeed as far as can be known beforehand: the
// folder exists and takes new files, the target is not a directory or
// another kind of file that cannot be saved to. Creates nothing that stays.
bool canWriteFile(const std::filesystem::path& path, std::string* reason = nullptr);

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
  // Why opening or committing failed, in the system's words.
  const std::string& failureReason() const { return reason_; }

 private:
  bool flush();
  void fail(int error);

  std::filesystem::path target_;     // the file replaced (links followed)
  std::filesystem::path temporary_;  // empty when writing straight into target_
  int fd_ = -1;
  std::string buffer_;
  std::string reason_;
  bool failed_ = false;
};

// Files read whole are settings and models: far smaller than this.
inline constexpr std::uint64_t kDefaultReadLimit = std::uint64_t{1} << 30;

// Reads a whole regular file of at most maxBytes. Returns false when it
// cannot be opened or read, is not a regular file, or is larger; reason,
// when given, says which.
bool readWholeFile(const std::filesystem::path& path, std::string& contents, std::string* reason = nullptr,
                   std::uint64_t maxBytes = kDefaultReadLimit);

// The first bytes of a regular file (at most count); empty when it cannot
// be read.
std::string readFilePrefix(const std::filesystem::path& path, std::size_t count);

// The system's text for an error number ("Read-only file system").
std::string systemErrorText(int error);

}  // namespace nodelyx
