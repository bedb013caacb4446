#include "files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

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

bool readWholeFile(const std::filesystem::path& path, std::string& contents, std::string* reason,
                   std::uint64_t maxBytes) {
  contents.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    setReason(reason, systemErrorText(errno));
    return false;
  }
  struct stat info {};
  std::string problem;
  if (::fstat(fd, &info) != 0)
    problem = systemErrorText(errno);
  else if (S_ISDIR(info.st_mode))
    problem = systemErrorText(EISDIR);
  else if (!S_ISREG(info.st_mode))
    problem = "Not a regular file";
  else if (static_cast<std::uint64_t>(info.st_size) > maxBytes)
    problem = "The file is too large (" + std::to_string(static_cast<std::uint64_t>(info.st_size) >> 20) +
              " MB) to be one of this program's files";
  if (!problem.empty()) {
    ::close(fd);
    setReason(reason, problem);
    return false;
  }
  contents.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      problem = systemErrorText(errno);
      break;
    }
    // A file that grows while it is read stops at the limit too.
    if (contents.size() + static_cast<std::size_t>(got) > maxBytes) {
      problem = "The file is too large to be one of this program's files";
      break;
    }
    contents.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  if (problem.empty()) return true;
  contents.clear();
  setReason(reason, problem);
  return false;
}

std::string readFilePrefix(const std::filesystem::path& path, std::size_t count) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return {};
  struct stat info {};
  std::string prefix;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    prefix.resize(count);
    ssize_t got = 0;
    do got = ::read(fd, prefix.data(), count);
    while (got < 0 && errno == EINTR);
    prefix.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  }
  ::close(fd);
  return prefix;
}

}  // namespace nodelyx
