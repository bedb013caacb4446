#include "files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "files/buffered_reader.h"

namespace nodelyx {
namespace {

constexpr int kMaxLinkHops = 40;

void setReason(std::string* reason, std::string text) {
  if (reason) *reason = std::move(text);
}

// The file a save to path really writes: symbolic links followed to their
// final target, which need not exist yet (a dangling link is saved through).
// False (ELOOP) for a link chain that does not end.
bool resolveTarget(const std::filesystem::path& path, std::filesystem::path& target) {
  target = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    std::error_code error;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(target, error))) return true;
    const std::filesystem::path link = std::filesystem::read_symlink(target, error);
    if (error) return true;
    target = link.is_absolute() ? link : target.parent_path() / link;
  }
  errno = ELOOP;
  return false;
}

enum class TargetKind { Missing, Regular, Stream, Refused };

// What stands at the target now. Streams (character devices, FIFOs) are
// written straight into; directories and other special files are refused.
TargetKind targetKind(const std::filesystem::path& target, std::string* reason, struct stat& info) {
  if (::stat(target.c_str(), &info) != 0) return TargetKind::Missing;
  if (S_ISREG(info.st_mode)) return TargetKind::Regular;
  if (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode)) return TargetKind::Stream;
  setReason(reason, S_ISDIR(info.st_mode) ? systemErrorText(EISDIR) : "Not a regular file");
  return TargetKind::Refused;
}

// A short name beside the target that no other save uses at the same time.
// Short, so that a target name near the system's limit can still be saved.
int createTemporary(const std::filesystem::path& target, std::filesystem::path& temporary) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[48];
    std::snprintf(name, sizeof name, ".nlx%lx.%x.tmp", static_cast<unsigned long>(::getpid()),
                  counter.fetch_add(1));
    temporary = target.parent_path() / name;
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool writeAll(int fd, std::string_view contents) {
  while (!contents.empty()) {
    const ssize_t written = ::write(fd, contents.data(), contents.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    contents.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

std::string systemErrorText(int error) {
  char buffer[256];
  // The GNU strerror_r returns its text, which may not be the buffer.
  const char* text = ::strerror_r(error, buffer, sizeof buffer);
  return text ? text : "Unknown error";
}

AtomicFileWriter::AtomicFileWriter(const std::filesystem::path& path) {
  if (path.empty() || path.filename().empty()) {
    reason_ = path.empty() ? "No file name" : systemErrorText(EISDIR);
    return;
  }
  if (!resolveTarget(path, target_)) {
    fail(errno);
    return;
  }
  struct stat previous {};
  switch (targetKind(target_, &reason_, previous)) {
    case TargetKind::Refused:
      return;
    case TargetKind::Stream:
      fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
      if (fd_ < 0) fail(errno);
      return;
    case TargetKind::Regular:
    case TargetKind::Missing:
      break;
  }
  fd_ = createTemporary(target_, temporary_);
  if (fd_ < 0) {
    fail(errno);
    temporary_.clear();
    return;
  }
  if (S_ISREG(previous.st_mode)) {
    ::fchmod(fd_, previous.st_mode & 07777);
    // Keeps the owner when run with the right to (root); harmless otherwise.
    [[maybe_unused]] const int owned = ::fchown(fd_, previous.st_uid, previous.st_gid);
  }
}

AtomicFileWriter::~AtomicFileWriter() {
  if (fd_ < 0) return;
  ::close(fd_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void AtomicFileWriter::fail(int error) {
  if (!failed_ && reason_.empty()) reason_ = systemErrorText(error);
  failed_ = true;
}

void AtomicFileWriter::write(std::string_view text) {
  buffer_.append(text);
  if (buffer_.size() >= (1u << 20)) flush();
}

bool AtomicFileWriter::flush() {
  if (fd_ >= 0 && !failed_ && !writeAll(fd_, buffer_)) fail(errno);
  buffer_.clear();
  return !failed_;
}

bool AtomicFileWriter::commit() {
  if (fd_ < 0) return false;
  const bool stream = temporary_.empty();
  bool ok = flush();
  // A device or pipe has nothing to sync; a file must be on disk before it
  // replaces the previous one.
  if (ok && !stream && ::fsync(fd_) != 0) {
    fail(errno);
    ok = false;
  }
  if (::close(fd_) != 0 && ok) {
    fail(errno);
    ok = false;
  }
  fd_ = -1;
  if (stream) return ok;
  if (ok && std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    fail(errno);
    ok = false;
  }
  if (!ok) ::unlink(temporary_.c_str());
  return ok;
}

bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents, std::string* reason) {
  AtomicFileWriter file(path);
  file.write(contents);
  if (file.isOpen() && file.commit()) return true;
  setReason(reason, file.failureReason());
  return false;
}

bool canWriteFile(const std::filesystem::path& path, std::string* reason) {
  if (path.empty() || path.filename().empty()) {
    setReason(reason, path.empty() ? "No file name" : systemErrorText(EISDIR));
    return false;
  }
  std::filesystem::path target;
  if (!resolveTarget(path, target)) {
    setReason(reason, systemErrorText(errno));
    return false;
  }
  struct stat info {};
  switch (targetKind(target, reason, info)) {
    case TargetKind::Refused:
      return false;
    case TargetKind::Stream:
      return true;
    case TargetKind::Regular:
    case TargetKind::Missing:
      break;
  }
  std::filesystem::path temporary;
  const int fd = createTemporary(target, temporary);
  if (fd < 0) {
    setReason(reason, systemErrorText(errno));
    return false;
  }
  ::close(fd);
  ::unlink(temporary.c_str());
  return true;
}

namespace {

// Why a file could not be opened for reading, in the system's words.
std::string openFailureText(const std::filesystem::path& path, OpenFailure failure, int error) {
  if (failure != OpenFailure::NotRegular) return systemErrorText(error);
  std::error_code ignored;
  return std::filesystem::is_directory(path, ignored) ? systemErrorText(EISDIR) : "Not a regular file";
}

}  // namespace

bool readWholeFile(const std::filesystem::path& path, std::string& contents, std::string* reason,
                   std::uint64_t maxBytes) {
  contents.clear();
  OpenFailure failure = OpenFailure::None;
  const std::unique_ptr<ByteSource> source = openFileSource(path, &failure);
  if (!source) {
    setReason(reason, openFailureText(path, failure, errno));
    return false;
  }
  // The source ends at the size the file had when it was opened.
  const std::uint64_t size = source->size();
  if (size > maxBytes) {
    setReason(reason, "The file is too large (" + std::to_string(size >> 20) +
                          " MB) to be one of this program's files");
    return false;
  }
  contents.resize(static_cast<std::size_t>(size));
  std::size_t filled = 0;
  while (filled < contents.size()) {
    const long got = source->read(contents.data() + filled, contents.size() - filled);
    if (got < 0) {
      setReason(reason, systemErrorText(errno));
      contents.clear();
      return false;
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  contents.resize(filled);
  return true;
}

std::string readFilePrefix(const std::filesystem::path& path, std::size_t count) {
  const std::unique_ptr<ByteSource> source = openFileSource(path);
  if (!source) return {};
  std::string prefix(count, '\0');
  const long got = source->read(prefix.data(), count);
  prefix.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return prefix;
}

}  // namespace nodelyx
