#include "files/buffered_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace nodelyx {
namespace {

class FileSource final : public ByteSource {
 public:
  FileSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  ~FileSource() override { ::close(fd_); }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  long read(char* buffer, std::size_t size) override {
    const long got = readAt(position_, buffer, size);
    if (got > 0) position_ += static_cast<std::uint64_t>(got);
    return got;
  }
  long readAt(std::uint64_t offset, char* buffer, std::size_t size) const override {
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(size, size_ - std::min(size_, offset)));
    if (wanted == 0) return 0;
    for (;;) {
      const ssize_t got = ::pread(fd_, buffer, wanted, static_cast<off_t>(offset));
      if (got >= 0) return static_cast<long>(got);
      if (errno != EINTR) return -1;
    }
  }
  bool seek(std::uint64_t offset) override {
    if (offset > size_) return false;
    position_ = offset;
    return true;
  }
  std::uint64_t size() const override { return size_; }

 private:
  int fd_;
  std::uint64_t size_;
  std::uint64_t position_ = 0;
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  long read(char* buffer, std::size_t size) override {
    const long got = readAt(position_, buffer, size);
    position_ += static_cast<std::size_t>(got);
    return got;
  }
  long readAt(std::uint64_t offset, char* buffer, std::size_t size) const override {
    const std::size_t start = static_cast<std::size_t>(std::min<std::uint64_t>(offset, bytes_.size()));
    const std::size_t count = std::min(size, bytes_.size() - start);
    if (count > 0) std::memcpy(buffer, bytes_.data() + start, count);
    return static_cast<long>(count);
  }
  bool seek(std::uint64_t offset) override {
    if (offset > bytes_.size()) return false;
    position_ = static_cast<std::size_t>(offset);
    return true;
  }
  std::uint64_t size() const override { return bytes_.size(); }

 private:
  std::string_view bytes_;
  std::size_t position_ = 0;
};

class SharedView final : public ByteSource {
 public:
  explicit SharedView(const ByteSource& source) : source_(source) {}
  long read(char* buffer, std::size_t size) override {
    const long got = source_.readAt(position_, buffer, size);
    if (got > 0) position_ += static_cast<std::uint64_t>(got);
    return got;
  }
  long readAt(std::uint64_t offset, char* buffer, std::size_t size) const override {
    return source_.readAt(offset, buffer, size);
  }
  bool seek(std::uint64_t offset) override {
    if (offset > source_.size()) return false;
    position_ = offset;
    return true;
  }
  std::uint64_t size() const override { return source_.size(); }

 private:
  const ByteSource& source_;
  std::uint64_t position_ = 0;
};

}  // namespace

std::unique_ptr<ByteSource> openFileSource(const std::filesystem::path& path, OpenFailure* why) {
  OpenFailure ignored = OpenFailure::None;
  OpenFailure& failure = why ? *why : ignored;
  failure = OpenFailure::CannotOpen;
  // Without O_NONBLOCK, opening a pipe would wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
    if (info.st_mode != 0 && !S_ISREG(info.st_mode)) failure = OpenFailure::NotRegular;
    ::close(fd);
    return nullptr;
  }
  failure = OpenFailure::None;
  return std::make_unique<FileSource>(fd, static_cast<std::uint64_t>(info.st_size));
}

std::unique_ptr<ByteSource> memorySource(std::string_view bytes) {
  return std::make_unique<MemorySource>(bytes);
}

std::unique_ptr<ByteSource> sharedView(const ByteSource& source) {
  return std::make_unique<SharedView>(source);
}

BufferedReader::BufferedReader(ByteSource& source) : source_(source), buffer_(kCapacity) {}

bool BufferedReader::readMore() {
  if (exhausted_) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    bufferOffset_ += begin_;
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buffer_.size()) return false;
  const long got = source_.read(buffer_.data() + end_, buffer_.size() - end_);
  if (got <= 0) {
    exhausted_ = true;
    failed_ = got < 0;
    return false;
  }
  end_ += static_cast<std::size_t>(got);
  return true;
}

std::string_view BufferedReader::available() {
  if (begin_ == end_) readMore();
  return std::string_view(buffer_.data() + begin_, end_ - begin_);
}

int BufferedReader::peek() {
  if (begin_ == end_ && !readMore()) return kEnd;
  return static_cast<unsigned char>(buffer_[begin_]);
}

int BufferedReader::get() {
  const int c = peek();
  if (c != kEnd) ++begin_;
  return c;
}

bool BufferedReader::seek(std::uint64_t offset) {
  begin_ = end_ = 0;
  exhausted_ = failed_ = false;
  bufferOffset_ = offset;
  if (source_.seek(offset)) return true;
  exhausted_ = failed_ = true;
  return false;
}

}  // namespace nodelyx
