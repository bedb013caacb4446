// What the converters of foreign data forms share: walking a text held in
// memory line by line, and writing our own header form. Internal to the
// files folder (see foreign_data.h for the interface).
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/foreign_data.h"
#include "files/reporter.h"

namespace nodelyx::foreign {

// The lines of a text with their 1-based numbers, without their line ends
// (a "\r" before the "\n" is dropped too). A UTF-8 byte-order mark is
// skipped.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text);
  bool next(std::string_view& line);
  std::uint64_t number() const { return number_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  std::uint64_t number_ = 0;
};

bool isBlank(char c);
std::string_view trimBlanks(std::string_view text);
// Lines a converter skips before the data: blank lines and our '*' comments.
bool isLeadingLine(std::string_view line);

// Cancellation is polled once per this many lines.
inline constexpr std::uint64_t kPollEveryLines = 4096;

// The start of our form: "* " + comment lines (control characters shown as
// '?', so that each stays one line), "[INPUTS] n", and "[OUTPUTS] m" when
// m > 0 (a file without outputs is a testing file).
std::string dataHeaderText(const std::vector<std::string>& comments, std::uint64_t inputs,
                           std::uint64_t outputs);
// One pattern: the values in their shortest exact form, blank-separated.
void appendPattern(std::string& text, const double* values, std::size_t count);

void reportError(Reporter& reporter, const std::string& text);

// The counts of a "PATTERNS INPUTS OUTPUTS" line: three whole numbers and
// nothing else, or nullopt.
struct CountLine {
  std::uint64_t patterns = 0, inputs = 0, outputs = 0;
};
std::optional<CountLine> readCountLine(std::string_view line);
// Each count within 32 bits, and PATTERNS x (INPUTS + OUTPUTS) within 64.
bool countsFit(const CountLine& counts);

bool convertCountHeader(std::string_view text, std::string_view title, ConvertedData& out, Reporter& reporter,
                        const std::atomic<int>& keepGoing);
bool convertCsv(std::string_view text, std::string_view title, const ForeignDataOptions& options,
                ConvertedData& out, Reporter& reporter, const std::atomic<int>& keepGoing);

}  // namespace nodelyx::foreign
