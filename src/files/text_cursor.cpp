#include "files/text_cursor.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace nodelyx {
namespace {

bool isWhiteSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

bool isSeparator(int c) { return isBlank(c) || isLineEnd(c) || c == ','; }

// Splits an optional sign off text; returns the sign's length.
std::size_t signLength(std::string_view text, bool& negative) {
  negative = !text.empty() && text.front() == '-';
  return (!text.empty() && (text.front() == '+' || text.front() == '-')) ? 1 : 0;
}

bool startsNumber(std::string_view digits) {
  // from_chars also takes "inf" and "nan", which no stream extractor reads.
  return !digits.empty() && (std::isdigit(static_cast<unsigned char>(digits.front())) ||
                             (digits.front() == '.' && digits.size() > 1 &&
                              std::isdigit(static_cast<unsigned char>(digits[1]))));
}

// "nan", "inf" or "infinity" in any case; from_chars reads them all.
bool startsNonFinite(std::string_view digits) {
  const auto lower = [&](std::size_t k) {
    return k < digits.size() ? std::tolower(static_cast<unsigned char>(digits[k])) : 0;
  };
  return (lower(0) == 'n' && lower(1) == 'a' && lower(2) == 'n') ||
         (lower(0) == 'i' && lower(1) == 'n' && lower(2) == 'f');
}

}  // namespace

bool matchesKeyword(std::string_view word, std::string_view keyword) {
  if (word.size() < keyword.size()) return false;
  for (std::size_t k = 0; k < keyword.size(); ++k)
    if (std::tolower(static_cast<unsigned char>(word[k])) !=
        std::tolower(static_cast<unsigned char>(keyword[k])))
      return false;
  return true;
}

std::string_view withoutByteOrderMark(std::string_view text) {
  return text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
}

std::optional<double> parseDoublePrefix(std::string_view text, std::size_t* used, bool allowNonFinite) {
  bool negative = false;
  const std::size_t sign = signLength(text, negative);
  const std::string_view digits = text.substr(sign);
  if (!startsNumber(digits) && !(allowNonFinite && startsNonFinite(digits))) return std::nullopt;
  double value = 0.0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || (!allowNonFinite && !std::isfinite(value))) return std::nullopt;
  if (used) *used = sign + static_cast<std::size_t>(end - digits.data());
  return negative ? -value : value;
}

int TextCursor::get() {
  const int c = peek();
  if (c != kEnd) ++pos_;
  return c;
}

std::size_t TextCursor::lineNumberAt(std::size_t position) const {
  const std::size_t end = std::min(position, text_.size());
  return 1 + static_cast<std::size_t>(
                 std::count(text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
}

void TextCursor::skipWhiteSpace() {
  while (isWhiteSpace(peek())) ++pos_;
}

void TextCursor::skipLeadingBlock() {
  for (;;) {
    skipWhiteSpace();
    if (peek() != '*') return;
    while (!atEnd() && !isLineEnd(peek())) ++pos_;
  }
}

void TextCursor::skipBlanks() {
  while (isBlank(peek())) ++pos_;
}

bool TextCursor::valueFollows() {
  skipBlanks();
  const int c = peek();
  return c != kEnd && !isLineEnd(c) && c != '%';
}

std::string_view TextCursor::restOfLine() {
  const std::size_t start = pos_;
  while (!atEnd() && !isLineEnd(peek())) ++pos_;
  return text_.substr(start, pos_ - start);
}

std::optional<double> TextCursor::readDouble(bool allowNonFinite) {
  const std::size_t start = pos_;
  skipWhiteSpace();
  std::size_t used = 0;
  const auto value = parseDoublePrefix(text_.substr(pos_), &used, allowNonFinite);
  pos_ = value ? pos_ + used : start;
  return value;
}

std::optional<long long> TextCursor::readInteger() {
  const std::size_t start = pos_;
  skipWhiteSpace();
  const std::string_view rest = text_.substr(pos_);
  bool negative = false;
  const std::size_t sign = signLength(rest, negative);
  const std::string_view digits = rest.substr(sign);
  unsigned long long magnitude = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
  constexpr unsigned long long kLimit = 1ull << 62;  // far beyond every field's range
  if (error != std::errc() || magnitude > kLimit) {
    pos_ = start;
    return std::nullopt;
  }
  pos_ += sign + static_cast<std::size_t>(end - digits.data());
  const auto value = static_cast<long long>(magnitude);
  return negative ? -value : value;
}

std::optional<double> TextCursor::readSeparatedValue(bool allowNonFinite) {
  while (isSeparator(peek())) ++pos_;
  const std::size_t start = pos_;
  while (!atEnd() && !isSeparator(peek())) ++pos_;
  const std::string_view token = text_.substr(start, pos_ - start);
  std::size_t used = 0;
  const auto value = parseDoublePrefix(token, &used, allowNonFinite);
  if (!value || used != token.size()) return std::nullopt;
  return value;
}

bool TextCursor::onlySeparatorsLeft() {
  while (isSeparator(peek())) ++pos_;
  return atEnd();
}

std::string_view TextCursor::readWord() {
  skipWhiteSpace();
  const std::size_t start = pos_;
  while (!atEnd() && !isWhiteSpace(peek())) ++pos_;
  return text_.substr(start, pos_ - start);
}

}  // namespace nodelyx
