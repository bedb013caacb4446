// Rows of numbers read line by line from a file descriptor (nodelyx-cli
// eval reads standard input this way). Reads with read(2) into a bounded
// buffer, so that a directory, a read error, an endless line or binary
// noise ends with a message naming the line instead of a silent stop or
// an ever-growing line.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace nodelyx::cli {

class InputRows {
 public:
  enum class Result { Row, End, Problem };

  // maxLineLength: longer lines are a problem, not a row.
  InputRows(int fd, std::size_t maxLineLength) : fd_(fd), maxLineLength_(maxLineLength) {}

  // The next line's numbers (blanks, tabs, commas and semicolons separate
  // them; an empty row is a blank line). Problem: a word that is not a
  // finite number, a line that is too long, or a read error; problem()
  // says which, and where.
  Result next(std::vector<double>& values);
  std::size_t lineNumber() const { return lineNumber_; }
  const std::string& problem() const { return problem_; }

 private:
  bool readLine(std::string& line);
  bool fill();

  int fd_;
  std::size_t maxLineLength_;
  std::string buffer_;
  std::size_t begin_ = 0;
  bool ended_ = false;
  std::size_t lineNumber_ = 0;
  std::string problem_;
};

}  // namespace nodelyx::cli
