#include "files/data_file_format.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>

#include "files/c_format.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
  double value = 0.0;
  if (!parseNumber(text.data(), text.data() + text.size(), value)) return std::nullopt;
  return value;
}

// One leading '+' is allowed (from_chars takes none), but not before a sign.
bool parseNumber(const char* first, const char* last, double& value) {
  if (first != last && *first == '+') {
    ++first;
    if (first != last && (*first == '+' || *first == '-')) return false;
  }
  if (readShortNumber(first, last, value) == last) return true;
  const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  return error == std::errc() && end == last && std::isfinite(value);
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

namespace {

#if defined(__SSE2__)
// The number and separator characters of kCharClasses, sixteen bytes at a
// time: 0xFF where a byte is one.
__m128i numberMask(__m128i v) {
  const auto is = [v](char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
  const __m128i digit = _mm_sub_epi8(v, _mm_set1_epi8('0'));
  const __m128i digits = _mm_cmpeq_epi8(_mm_min_epu8(digit, _mm_set1_epi8(9)), digit);
  const __m128i lower = _mm_or_si128(v, _mm_set1_epi8(0x20));
  const __m128i exponent = _mm_cmpeq_epi8(lower, _mm_set1_epi8('e'));
  return _mm_or_si128(_mm_or_si128(digits, exponent), _mm_or_si128(is('.'), _mm_or_si128(is('+'), is('-'))));
}

__m128i separatorMask(__m128i v) {
  const auto is = [v](char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
  const __m128i control = _mm_sub_epi8(v, _mm_set1_epi8('\t'));  // \t \n \v \f \r
  const __m128i controls = _mm_cmpeq_epi8(_mm_min_epu8(control, _mm_set1_epi8(4)), control);
  return _mm_or_si128(_mm_or_si128(controls, is(' ')), _mm_or_si128(is(','), is(';')));
}

// Adds to runs where a number byte follows a byte that is none, sixteen
// bytes at a time (per-byte counters, summed before they can overflow);
// carry holds the number mask of the sixteen before. Returns how many bytes
// it looked at (the rest is less than sixteen).
std::size_t countRunsVectorised(const char* data, std::size_t size, __m128i& carry, std::uint64_t& runs,
                                bool& foreign) {
  int other = 0;
  std::size_t k = 0;
  while (k + 16 <= size) {
    __m128i counters = _mm_setzero_si128();
    for (int round = 0; round < 255 && k + 16 <= size; ++round, k += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + k));
      const __m128i number = numberMask(v);
      const __m128i before = _mm_or_si128(_mm_slli_si128(number, 1), _mm_srli_si128(carry, 15));
      counters = _mm_sub_epi8(counters, _mm_andnot_si128(before, number));
      other |= _mm_movemask_epi8(_mm_or_si128(number, separatorMask(v))) ^ 0xFFFF;
      carry = number;
    }
    const __m128i sums = _mm_sad_epu8(counters, _mm_setzero_si128());
    runs += static_cast<std::uint64_t>(_mm_cvtsi128_si32(sums)) +
            static_cast<std::uint64_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
  }
  foreign |= other != 0;
  return k;
}
#endif

}  // namespace

std::uint64_t countNumberRuns(std::string_view block, bool& previousNumber, bool& foreign) {
  std::uint64_t runs = 0;
  std::size_t k = 0;
#if defined(__SSE2__)
  __m128i carry = _mm_set1_epi8(previousNumber ? -1 : 0);
  k = countRunsVectorised(block.data(), block.size(), carry, runs, foreign);
  if (k > 0) previousNumber = (_mm_movemask_epi8(carry) & 0x8000) != 0;
#endif
  for (; k < block.size(); ++k) {
    const CharClass kind = charClass(block[k]);
    const bool number = kind == CharClass::Number;
    runs += number && !previousNumber;
    previousNumber = number;
    foreign |= kind == CharClass::Other;
  }
  return runs;
}

CountResult countNumericValues(BufferedReader& reader, const std::atomic<int>& keepGoing,
                               const std::function<void(int)>& progress, std::uint64_t& count) {
  count = 0;
  const std::uint64_t start = reader.position();
  const std::uint64_t span = std::max<std::uint64_t>(1, reader.size() - std::min(reader.size(), start));
  bool previousNumber = false;
  bool foreign = false;
  int lastPercent = -1;
  for (;;) {
    if (keepGoing.load(std::memory_order_relaxed) == 0) return CountResult::Cancelled;
    const int percent =
        static_cast<int>(std::min<std::uint64_t>(20, (reader.position() - start) * 20 / span));
    if (percent != lastPercent && progress) progress(percent);
    lastPercent = percent;
    const std::string_view block = reader.available();
    if (block.empty()) break;
    count += countNumberRuns(block, previousNumber, foreign);
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
    if (end == block.size()) {
      if (reader.readMore()) continue;        // the number may go on
      if (!reader.exhausted()) return false;  // longer than the buffer
      // readMore may have moved the bytes to the front of the buffer: a
      // view taken before it would show what was moved over them.
      block = reader.available();
      k = 0;
      end = block.size();
    }
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
  if (reader.failed()) return unreadableDataMessage(file);
  std::string text = std::string(kUnrecognizableFormat) + "\n";
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

std::string unreadableDataMessage(std::string_view file) {
  const std::string name(file);
  return std::string(kUnrecognizableFormat) + "\n" +
         formatC("%s could not be read to its end.", name.c_str());
}

std::string leftoverValuesMessage(std::string_view file, std::uint64_t leftover) {
  const std::string name(file);
  if (leftover == 1) return formatC("%s: 1 value after the last whole pattern is ignored.", name.c_str());
  return formatC("%s: %llu values after the last whole pattern are ignored.", name.c_str(),
                 static_cast<unsigned long long>(leftover));
}

}  // namespace nodelyx
