#include "cli/input_rows.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "files/c_format.h"
#include "files/text_cursor.h"

namespace nodelyx::cli {
namespace {

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\r'; }

// A word as a message shows it: short, and without bytes a terminal would
// take for commands.
std::string printable(std::string_view word) {
  std::string text;
  for (const char c : word.substr(0, 40)) {
    const auto byte = static_cast<unsigned char>(c);
    text += byte >= 0x20 && byte < 0x7f ? c : '?';
  }
  return word.size() > 40 ? text + "..." : text;
}

}  // namespace

bool InputRows::fill() {
  if (begin_ > 0) {
    buffer_.erase(0, begin_);
    begin_ = 0;
  }
  char chunk[65536];
  for (;;) {
    const ssize_t got = ::read(fd_, chunk, sizeof chunk);
    if (got > 0) {
      buffer_.append(chunk, static_cast<std::size_t>(got));
      return true;
    }
    if (got == 0) {
      ended_ = true;
      return false;
    }
    if (errno == EINTR) continue;
    problem_ = formatC("Could not read the input: %s", std::strerror(errno));
    return false;
  }
}

bool InputRows::readLine(std::string& line) {
  for (;;) {
    const std::size_t end = buffer_.find('\n', begin_);
    // A line too long is refused as soon as it shows, ended or not.
    if ((end == std::string::npos ? buffer_.size() : end) - begin_ > maxLineLength_) {
      ++lineNumber_;
      problem_ = formatC("Line %zu of the input is longer than %zu characters: it is no row of numbers.",
                         lineNumber_, maxLineLength_);
      return false;
    }
    if (end == std::string::npos && !ended_ && fill()) continue;
    if (end == std::string::npos && (!problem_.empty() || begin_ == buffer_.size())) return false;
    // The line, or a last line without a line end.
    const std::size_t stop = end == std::string::npos ? buffer_.size() : end;
    line.assign(buffer_, begin_, stop - begin_);
    begin_ = end == std::string::npos ? stop : stop + 1;
    ++lineNumber_;
    return true;
  }
}

InputRows::Result InputRows::next(std::vector<double>& values) {
  values.clear();
  std::string line;
  if (!readLine(line)) return problem_.empty() ? Result::End : Result::Problem;
  std::size_t k = 0;
  while (k < line.size()) {
    while (k < line.size() && isSeparator(line[k])) ++k;
    std::size_t end = k;
    while (end < line.size() && !isSeparator(line[end])) ++end;
    if (end == k) break;
    const std::string_view word(line.data() + k, end - k);
    std::size_t used = 0;
    const auto value = parseDoublePrefix(word, &used, true);
    if (!value || used != word.size()) {
      problem_ =
          formatC("Line %zu of the input: \"%s\" is not a number.", lineNumber_, printable(word).c_str());
      return Result::Problem;
    }
    if (!std::isfinite(*value)) {
      problem_ = formatC("Line %zu of the input: \"%s\" is not a finite number.", lineNumber_,
                         printable(word).c_str());
      return Result::Problem;
    }
    values.push_back(*value);
    k = end;
  }
  return Result::Row;
}

}  // namespace nodelyx::cli
