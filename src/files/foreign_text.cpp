#include "files/foreign_text.h"

#include <charconv>
#include <limits>

#include "files/c_format.h"
#include "files/data_file_format.h"

namespace nodelyx::foreign {
namespace {

constexpr std::size_t kShownLength = 60;

// A piece of a file for a message: one line, not too long.
std::string shown(std::string_view text) {
  std::string out;
  for (const char c : text.substr(0, kShownLength))
    out += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
  if (text.size() > kShownLength) out += "...";
  return out;
}

std::vector<std::string_view> splitAtBlanks(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t k = 0;
  while (k < line.size()) {
    while (k < line.size() && isBlank(line[k])) ++k;
    const std::size_t start = k;
    while (k < line.size() && !isBlank(line[k])) ++k;
    if (k > start) words.push_back(line.substr(start, k - start));
  }
  return words;
}

std::optional<std::uint64_t> parseCount(std::string_view word) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || end != word.data() + word.size()) return std::nullopt;
  return value;
}

// Writes the numbers after the count line as patterns while counting them;
// the numbers beyond the expected count are only counted.
class CountHeaderConverter {
 public:
  CountHeaderConverter(std::string_view title, ConvertedData& out, Reporter& reporter,
                       const std::atomic<int>& keepGoing)
      : name_(title), out_(out), reporter_(reporter), keepGoing_(keepGoing) {}

  bool run(LineCursor& lines);

 private:
  bool readCounts(std::string_view line, std::uint64_t lineNumber);
  bool take(std::string_view word, std::uint64_t lineNumber);

  std::string name_;
  ConvertedData& out_;
  Reporter& reporter_;
  const std::atomic<int>& keepGoing_;
  std::uint64_t stride_ = 0, expected_ = 0, found_ = 0, inRow_ = 0, extraLine_ = 0;
};

bool CountHeaderConverter::readCounts(std::string_view line, std::uint64_t lineNumber) {
  const std::optional<CountLine> counts = readCountLine(line);
  if (!counts) {
    reportError(reporter_, formatC("%s, line %llu: the first line must be \"PATTERNS INPUTS OUTPUTS\" "
                                   "(three whole numbers), not \"%s\".",
                                   name_.c_str(), static_cast<unsigned long long>(lineNumber),
                                   shown(trimBlanks(line)).c_str()));
    return false;
  }
  out_.patterns = counts->patterns;
  out_.inputs = counts->inputs;
  out_.outputs = counts->outputs;
  stride_ = out_.inputs + out_.outputs;
  if (!countsFit(*counts)) {
    reportError(reporter_,
                formatC("%s, line %llu: the counts \"%s\" are too large.", name_.c_str(),
                        static_cast<unsigned long long>(lineNumber), shown(trimBlanks(line)).c_str()));
    return false;
  }
  expected_ = out_.patterns * stride_;
  return true;
}

bool CountHeaderConverter::take(std::string_view word, std::uint64_t lineNumber) {
  if (++found_ > expected_) {
    if (extraLine_ == 0) extraLine_ = lineNumber;
    return true;
  }
  const std::optional<double> value = parseWholeNumber(word);
  if (!value) {
    reportError(reporter_, formatC("%s, line %llu: \"%s\" is not a number.", name_.c_str(),
                                   static_cast<unsigned long long>(lineNumber), shown(word).c_str()));
    return false;
  }
  out_.text += formatRoundTrip(*value);
  out_.text += ++inRow_ == stride_ ? '\n' : ' ';
  if (inRow_ == stride_) inRow_ = 0;
  return true;
}

bool CountHeaderConverter::run(LineCursor& lines) {
  std::string_view line;
  bool any = false;
  while ((any = lines.next(line)) && isLeadingLine(line)) {
  }
  if (!any) {
    reportError(reporter_,
                formatC("%s is empty: its first line must be \"PATTERNS INPUTS OUTPUTS\".", name_.c_str()));
    return false;
  }
  if (!readCounts(line, lines.number())) return false;
  out_.text = dataHeaderText({"Converted from " + name_}, out_.inputs, out_.outputs);
  while (lines.next(line)) {
    if (lines.number() % kPollEveryLines == 0 && keepGoing_.load(std::memory_order_relaxed) == 0)
      return false;
    for (const std::string_view word : splitAtBlanks(line))
      if (!take(word, lines.number())) return false;
  }
  const auto count = [](std::uint64_t n) { return static_cast<unsigned long long>(n); };
  if (found_ < expected_) {
    reportError(reporter_,
                formatC("%s: too few numbers: expected %llu, found %llu (the data ends on line %llu).",
                        name_.c_str(), count(expected_), count(found_), count(lines.number())));
    return false;
  }
  if (found_ > expected_) {
    reportError(reporter_, formatC("%s, line %llu: too many numbers: expected %llu, found %llu.",
                                   name_.c_str(), count(extraLine_), count(expected_), count(found_)));
    return false;
  }
  return true;
}

}  // namespace

LineCursor::LineCursor(std::string_view text) : text_(text) {
  if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
}

bool LineCursor::next(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  const std::size_t end = std::min(text_.find('\n', pos_), text_.size());
  line = text_.substr(pos_, end - pos_);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  pos_ = end + 1;
  ++number_;
  return true;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool isLeadingLine(std::string_view line) {
  line = trimBlanks(line);
  return line.empty() || line.front() == '*';
}

std::string dataHeaderText(const std::vector<std::string>& comments, std::uint64_t inputs,
                           std::uint64_t outputs) {
  std::string text;
  for (const std::string& comment : comments) {
    text += "* ";
    for (const char c : comment) text += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
    text += '\n';
  }
  text += "[INPUTS] " + std::to_string(inputs) + "\n";
  if (outputs > 0) text += "[OUTPUTS] " + std::to_string(outputs) + "\n";
  return text;
}

void appendPattern(std::string& text, const double* values, std::size_t count) {
  for (std::size_t k = 0; k < count; ++k) {
    if (k > 0) text += ' ';
    text += formatRoundTrip(values[k]);
  }
  text += '\n';
}

std::optional<CountLine> readCountLine(std::string_view line) {
  const std::vector<std::string_view> words = splitAtBlanks(line);
  if (words.size() != 3) return std::nullopt;
  std::optional<std::uint64_t> counts[3];
  for (std::size_t k = 0; k < 3; ++k) counts[k] = parseCount(words[k]);
  if (!counts[0] || !counts[1] || !counts[2]) return std::nullopt;
  return CountLine{*counts[0], *counts[1], *counts[2]};
}

bool countsFit(const CountLine& counts) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
  const std::uint64_t stride = counts.inputs + counts.outputs;
  return counts.patterns <= kMax && counts.inputs <= kMax && counts.outputs <= kMax &&
         (stride == 0 || counts.patterns <= std::numeric_limits<std::uint64_t>::max() / stride);
}

void reportError(Reporter& reporter, const std::string& text) {
  reporter.report("Error", text, MessageIcon::Error);
}

bool convertCountHeader(std::string_view text, std::string_view title, ConvertedData& out, Reporter& reporter,
                        const std::atomic<int>& keepGoing) {
  LineCursor lines(text);
  return CountHeaderConverter(title, out, reporter, keepGoing).run(lines);
}

}  // namespace nodelyx::foreign
