#include "files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

namespace nodelyx {
namespace {

// A name beside the target that no other save of this process or another
// one uses at the same time.
std::filesystem::path temporaryNameFor(const std::filesystem::path& path) {
  static std::atomic<unsigned> counter{0};
  std::string name(1, '.');
  name += path.filename().string();
  name += ".tmp.";
  name += std::to_string(getpid());
  name += '.';
  name += std::to_string(counter.fetch_add(1));
  return path.parent_path() / name;
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

AtomicFileWriter::AtomicFileWriter(const std::filesystem::path& path) : path_(path) {
  if (path.empty() || path.filename().empty()) return;
  temporary_ = temporaryNameFor(path);
  fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  struct stat previous {};
  if (fd_ >= 0 && ::stat(path.c_str(), &previous) == 0 && S_ISREG(previous.st_mode))
    ::fchmod(fd_, previous.st_mode & 07777);
}

AtomicFileWriter::~AtomicFileWriter() {
  if (fd_ < 0) return;
  ::close(fd_);
  ::unlink(temporary_.c_str());
}

void AtomicFileWriter::write(std::string_view text) {
  buffer_.append(text);
  if (buffer_.size() >= (1u << 20)) flush();
}

bool AtomicFileWriter::flush() {
  if (fd_ >= 0 && !failed_ && !writeAll(fd_, buffer_)) failed_ = true;
  buffer_.clear();
  return !failed_;
}

bool AtomicFileWriter::commit() {
  if (fd_ < 0) return false;
  const bool written = flush() && ::fsync(fd_) == 0;
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  if (!written || !closed || std::rename(temporary_.c_str(), path_.c_str()) != 0) {
    ::unlink(temporary_.c_str());
    return false;
  }
  return true;
}

bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents) {
  AtomicFileWriter file(path);
  if (!file.isOpen()) return false;
  file.write(contents);
  return file.commit();
}

bool readWholeFile(const std::filesystem::path& path, std::string& contents) {
  contents.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return false;
  }
  char buffer[65536];
  bool ok = true;
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    contents.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return ok;
}

}  // namespace nodelyx
