#include "files/data_file_format.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "files/c_format.h"

namespace nodelyx {
namespace {

constexpr std::size_t kShownTokenLength = 40;

bool isWhite(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string withoutQuotes(std::string word) {
  if (word.size() >= 2 && (word.front() == '"' || word.front() == '\'') && word.back() == word.front())
    return word.substr(1, word.size() - 2);
  return word;
}

// Control characters shown as \xNN, so that a message stays one readable
// line whatever the file holds.
void appendShown(std::string& text, int c) {
  if (c < 0x20 || c == 0x7f)
    text += formatC("\\x%02X", static_cast<unsigned>(c));
  else
    text += static_cast<char>(c);
}

// The 1-based line of offset and the start of the word that holds it.
struct Spot {
  std::uint64_t line = 1;
  std::uint64_t wordStart = 0;
};

Spot findSpot(BufferedReader& reader, std::uint64_t offset) {
  Spot spot;
  reader.seek(0);
  while (reader.position() < offset) {
    const std::uint64_t start = reader.position();
    const std::string_view block = reader.available();
    if (block.empty()) break;
    const std::string_view part = block.substr(0, std::min<std::uint64_t>(block.size(), offset - start));
    spot.line += static_cast<std::uint64_t>(std::count(part.begin(), part.end(), '\n'));
    for (std::size_t k = part.size(); k > 0; --k) {
      if (charClass(part[k - 1]) == CharClass::Separator) {
        spot.wordStart = start + k;
        break;
      }
    }
    reader.consume(part.size());
  }
  return spot;
}

}  // namespace

std::optional<double> parseWholeNumber(std::string_view text) {
  std::size_t start = 0;
  if (!text.empty() && text[0] == '+') start = 1;
  if (start < text.size() && (text[start] == '+' || (start == 1 && text[start] == '-'))) return std::nullopt;
  double value = 0.0;
  const char* first = text.data() + start;
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  if (error != std::errc() || end != last || !std::isfinite(value)) return std::nullopt;
  return value;
}

void skipDataLeadingBlock(BufferedReader& reader) {
  const std::string_view bom = "\xEF\xBB\xBF";
  const std::string_view head = reader.available();
  if (reader.position() == 0 && head.substr(0, 3) == bom) reader.consume(3);
  for (;;) {
    while (isWhite(reader.peek())) reader.get();
    if (reader.peek() != '*') return;
    while (reader.peek() != BufferedReader::kEnd && reader.peek() != '\n') reader.get();
  }
}

std::string readWord(BufferedReader& reader) {
  while (isWhite(reader.peek())) reader.get();
  std::string word;
  for (int c = reader.peek(); c != BufferedReader::kEnd && !isWhite(c); c = reader.peek()) {
    if (word.size() < kMaxKeptWordLength) word.push_back(static_cast<char>(c));
    reader.get();
  }
  return word;
}

bool valueFollowsOnLine(BufferedReader& reader) {
  while (reader.peek() == ' ' || reader.peek() == '\t') reader.get();
  const int c = reader.peek();
  return c != BufferedReader::kEnd && c != '\n' && c != '\r' && c != '%';
}

std::optional<long long> readCount(BufferedReader& reader) {
  while (isWhite(reader.peek())) reader.get();
  bool negative = false;
  if (reader.peek() == '+' || reader.peek() == '-') negative = reader.get() == '-';
  if (!std::isdigit(reader.peek())) return std::nullopt;
  long long value = 0;
  constexpr long long kCap = 1LL << 40;  // far beyond any count; keeps the sum finite
  while (std::isdigit(reader.peek())) {
    value = std::min(kCap, value * 10 + (reader.get() - '0'));
  }
  return negative ? -value : value;
}

namespace {

// Splits a first line two ways at once: at every separator (how data is
// read), and at commas and semicolons only (how a CSV names line reads, so
// that "sepal length (cm)" stays one name).
class FirstLineSplitter {
 public:
  void add(char c) {
    const bool separator = charClass(c) == CharClass::Separator;
    if (c == ',' || c == ';') {
      hasFieldSeparators_ = true;
      finishField();
    } else if (!separator || !field_.empty()) {
      if (field_.size() < kMaxKeptWordLength) field_.push_back(c);
    }
    if (separator) {
      finishWord();
    } else {
      inWord_ = true;
      if (word_.size() < kMaxKeptWordLength) word_.push_back(c);
    }
  }

  FirstLine finish() {
    finishWord();
    finishField();
    if (hasFieldSeparators_ && !fields_.anyNumber) return std::move(fields_);
    return std::move(words_);
  }

 private:
  void finishWord() {
    if (!inWord_) return;
    const bool number = parseWholeNumber(word_).has_value();
    words_.anyNumber |= number;
    fieldAllNumbers_ &= number;
    ++fieldWords_;
    if (++words_.wordCount <= kMaxKeptWords) words_.words.push_back(withoutQuotes(std::move(word_)));
    word_.clear();
    inWord_ = false;
  }

  // A field counts as a number when all its words are: "1 2" between
  // commas is data, "feature 1" a name.
  void finishField() {
    finishWord();
    while (!field_.empty() && charClass(field_.back()) == CharClass::Separator) field_.pop_back();
    if (!field_.empty()) {
      fields_.anyNumber |= fieldAllNumbers_ && fieldWords_ > 0;
      if (++fields_.wordCount <= kMaxKeptWords) fields_.words.push_back(withoutQuotes(std::move(field_)));
    }
    field_.clear();
    fieldAllNumbers_ = true;
    fieldWords_ = 0;
  }

  FirstLine words_, fields_;
  std::string word_, field_;
  bool inWord_ = false;
  bool hasFieldSeparators_ = false;
  bool fieldAllNumbers_ = true;
  std::size_t fieldWords_ = 0;
};

}  // namespace

FirstLine readFirstLine(BufferedReader& reader) {
  FirstLineSplitter splitter;
  for (int c = reader.get(); c != BufferedReader::kEnd && c != '\n'; c = reader.get())
    splitter.add(static_cast<char>(c));
  FirstLine line = splitter.finish();
  line.end = reader.position();
  return line;
}

CountResult countNumericValues(BufferedReader& reader, const std::atomic<int>& keepGoing,
                               const std::function<void(int)>& progress, std::uint64_t& count) {
  count = 0;
  const std::uint64_t start = reader.position();
  const std::uint64_t span = std::max<std::uint64_t>(1, reader.size() - std::min(reader.size(), start));
  unsigned previousNumber = 0;
  unsigned foreign = 0;
  int lastPercent = -1;
  for (;;) {
    if (keepGoing.load(std::memory_order_relaxed) == 0) return CountResult::Cancelled;
    const int percent =
        static_cast<int>(std::min<std::uint64_t>(20, (reader.position() - start) * 20 / span));
    if (percent != lastPercent && progress) progress(percent);
    lastPercent = percent;
    const std::string_view block = reader.available();
    if (block.empty()) break;
    // A run that goes on into the next block is counted once, where it
    // starts; the loop has no branches so that it runs at memory speed.
    std::uint64_t runs = 0;
    for (const char c : block) {
      const auto kind = static_cast<unsigned>(charClass(c));
      const unsigned number = kind >> 1;
      runs += number & (previousNumber ^ 1u);
      previousNumber = number;
      foreign |= kind == 0;
    }
    count += runs;
    if (foreign) {
      const auto bad =
          std::find_if(block.begin(), block.end(), [](char c) { return charClass(c) == CharClass::Other; });
      reader.consume(static_cast<std::size_t>(bad - block.begin()));
      break;
    }
    reader.consume(block.size());
  }
  return foreign || reader.failed() ? CountResult::Unrecognizable : CountResult::Counted;
}

bool readNextValue(BufferedReader& reader, double& value) {
  for (;;) {
    std::string_view block = reader.available();
    std::size_t k = 0;
    while (k < block.size() && charClass(block[k]) == CharClass::Separator) ++k;
    reader.consume(k);
    if (k == block.size()) {
      if (block.empty()) return false;
      continue;
    }
    std::size_t end = k;
    while (end < block.size() && charClass(block[end]) == CharClass::Number) ++end;
    if (end == block.size() && reader.readMore()) continue;        // the number may go on
    if (end == block.size() && !reader.exhausted()) return false;  // longer than the buffer
    const auto parsed = parseWholeNumber(block.substr(k, end - k));
    if (!parsed) return false;
    value = *parsed;
    reader.consume(end - k);
    return true;
  }
}

bool namesColumns(const FirstLine& line, std::uint64_t columns) {
  return columns != 0 && !line.anyNumber && line.wordCount == columns;
}

DataLayout readDataLayout(BufferedReader& reader) {
  DataLayout layout;
  skipDataLeadingBlock(reader);
  const std::uint64_t firstLine = reader.position();
  if (!matchesKeyword(readWord(reader), "[INPUTS]") || !valueFollowsOnLine(reader)) {
    reader.seek(firstLine);
    layout.dataStart = firstLine;
    layout.firstLine = readFirstLine(reader);
    return layout;
  }
  layout.header = DataHeader::InputsOnly;
  layout.inputsAt = reader.position();
  layout.inputs = readCount(reader);
  if (!layout.inputs) return layout;
  const std::uint64_t afterInputs = reader.position();
  if (matchesKeyword(readWord(reader), "[OUTPUTS]") && valueFollowsOnLine(reader)) {
    layout.header = DataHeader::InputsAndOutputs;
    layout.outputsAt = reader.position();
    layout.outputs = readCount(reader);
    if (!layout.outputs) return layout;
  } else {
    reader.seek(afterInputs);  // the word is data
  }
  layout.dataStart = reader.position();
  return layout;
}

std::uint64_t dataStartFor(const DataLayout& layout, std::uint64_t columns) {
  const bool names = layout.header == DataHeader::None && namesColumns(layout.firstLine, columns);
  return names ? layout.firstLine.end : layout.dataStart;
}

std::string unrecognizableDataMessage(BufferedReader& reader, std::string_view file, std::uint64_t offset) {
  const std::string name(file);
  std::string text = std::string(kUnrecognizableFormat) + "\n";
  if (reader.failed()) return text + formatC("%s could not be read to its end.", name.c_str());
  const Spot spot = findSpot(reader, offset);
  reader.seek(spot.wordStart);
  std::string word;
  std::size_t shown = 0;
  for (int c = reader.get();
       c != BufferedReader::kEnd && charClass(static_cast<char>(c)) != CharClass::Separator;
       c = reader.get()) {
    if (shown++ == kShownTokenLength) {
      word += "...";
      break;
    }
    appendShown(word, c);
  }
  const auto line = static_cast<unsigned long long>(spot.line);
  if (word.empty())
    return text + formatC("%s, line %llu: the data ends within a pattern.", name.c_str(), line);
  return text + formatC("%s, line %llu: \"%s\" is not a number.", name.c_str(), line, word.c_str());
}

std::string leftoverValuesMessage(std::string_view file, std::uint64_t leftover) {
  const std::string name(file);
  if (leftover == 1) return formatC("%s: 1 value after the last whole pattern is ignored.", name.c_str());
  return formatC("%s: %llu values after the last whole pattern are ignored.", name.c_str(),
                 static_cast<unsigned long long>(leftover));
}

}  // namespace nodelyx
