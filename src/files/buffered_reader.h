// Buffered, seekable reading of a file or of bytes in memory, for readers
// that scan large texts in one pass without holding them whole. A reader is
// not shared between threads; a source may be, through readAt.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

namespace nodelyx {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to size bytes; returns the count (0 at the end) or -1 on error.
  virtual long read(char* buffer, std::size_t size) = 0;
  // The same from offset, leaving the position alone; several threads may
  // call it at once.
  virtual long readAt(std::uint64_t offset, char* buffer, std::size_t size) const = 0;
  virtual bool seek(std::uint64_t offset) = 0;
  virtual std::uint64_t size() const = 0;
};

enum class OpenFailure { None, CannotOpen, NotRegular };

// Opens a regular file for reading; null when it cannot be opened, or when
// it is a directory, a device or a pipe (which have no size to count
// against and may never end; a pipe is opened without waiting for a
// writer). The source ends at the size the file had when it was opened,
// so that a file that grows meanwhile still ends. why (optional) receives
// the reason.
std::unique_ptr<ByteSource> openFileSource(const std::filesystem::path& path, OpenFailure* why = nullptr);
// Reads from memory that outlives the source.
std::unique_ptr<ByteSource> memorySource(std::string_view bytes);
// The bytes of source (which must outlive it) with a position of its own,
// so that each thread can read them through a reader of its own.
std::unique_ptr<ByteSource> sharedView(const ByteSource& source);

class BufferedReader {
 public:
  static constexpr int kEnd = -1;
  static constexpr std::size_t kCapacity = 1 << 18;

  explicit BufferedReader(ByteSource& source);

  // Char-level access.
  int peek();
  int get();

  // Bulk access: the buffered bytes not yet consumed (empty only at the end
  // of the data or after a read error).
  std::string_view available();
  void consume(std::size_t count) { begin_ += count; }
  // Keeps the unconsumed bytes and appends more; false when nothing could
  // be added (end of data, error, or the buffer full of unconsumed bytes).
  bool readMore();
  bool atEnd() const { return end_ == begin_ && exhausted_; }
  // True once the source has nothing more to give (or failed).
  bool exhausted() const { return exhausted_; }
  bool failed() const { return failed_; }

  // Offset of the next unconsumed byte from the start of the data.
  std::uint64_t position() const { return bufferOffset_ + begin_; }
  std::uint64_t size() const { return source_.size(); }
  bool seek(std::uint64_t offset);

 private:
  ByteSource& source_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  std::uint64_t bufferOffset_ = 0;
  bool exhausted_ = false;
  bool failed_ = false;
};

}  // namespace nodelyx
