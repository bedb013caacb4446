#include "app/field_checks.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <limits>

#include "files/c_format.h"

namespace nodelyx {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::size_t skipDigits(std::string_view text, std::size_t at) {
  while (at < text.size() && isDigit(text[at])) ++at;
  return at;
}

// The written exponent, saturated far beyond any double's range so that a
// long run of digits cannot overflow it.
long long readExponent(std::string_view digits, bool negative) {
  long long exponent = 0;
  for (char c : digits) exponent = std::min(exponent * 10 + (c - '0'), 1'000'000'000LL);
  return negative ? -exponent : exponent;
}

// For a number too far from 1 for a double: whether it is too large rather
// than too small, from the decimal order of its first significant digit.
bool isOverflow(std::string_view mantissa, long long exponent) {
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const std::size_t first = mantissa.find_first_not_of("0.");
  if (first == std::string_view::npos) return false;
  const long long order =
      first < point ? static_cast<long long>(point - first) - 1 : -static_cast<long long>(first - point);
  return order + exponent > 0;
}

struct UnsignedReading {
  std::uint32_t value = 0;
  bool translated = false;
};

// Blanks, decimal digits, blanks; anything else, no digits or more than 32
// bits is not a number and reads as 0.
UnsignedReading readUnsigned(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size() && isBlank(text[begin])) ++begin;
  std::size_t end = text.size();
  while (end > begin && isBlank(text[end - 1])) --end;
  if (begin == end || skipDigits(text, begin) != end) return {};
  std::uint32_t value = 0;
  const auto result = std::from_chars(text.data() + begin, text.data() + end, value);
  if (result.ec != std::errc{}) return {};
  return {value, true};
}

std::string floatRangeMessage(double min, double max) {
  return formatC("The valid range is from %g to %g", min, max);
}

}  // namespace

std::string emptyToZeroText(std::string text) { return text.empty() ? std::string("0.0") : text; }

ParsedNumber parseDecimal(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && isBlank(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  const std::size_t start = at;
  std::size_t end = skipDigits(text, start);
  std::size_t digits = end - start;
  if (end < text.size() && text[end] == '.') {
    const std::size_t fractionEnd = skipDigits(text, end + 1);
    digits += fractionEnd - end - 1;
    end = fractionEnd;
  }
  if (digits == 0) return {};
  const std::string_view mantissa = text.substr(start, end - start);

  // An exponent counts only when it has a digit: "1e" and "1e-" stop at "1".
  long long exponent = 0;
  if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
    std::size_t digitsAt = end + 1;
    const bool negativeExponent = digitsAt < text.size() && text[digitsAt] == '-';
    if (digitsAt < text.size() && (text[digitsAt] == '+' || text[digitsAt] == '-')) ++digitsAt;
    const std::size_t exponentEnd = skipDigits(text, digitsAt);
    if (exponentEnd > digitsAt) {
      exponent = readExponent(text.substr(digitsAt, exponentEnd - digitsAt), negativeExponent);
      end = exponentEnd;
    }
  }

  double value = 0;
  const auto result = std::from_chars(text.data() + start, text.data() + end, value);
  assert(result.ptr == text.data() + end);
  // Beyond a double's range: infinity, which every finite range refuses with
  // its message, or zero for a number too small to tell from it.
  if (result.ec == std::errc::result_out_of_range)
    value = isOverflow(mantissa, exponent) ? std::numeric_limits<double>::infinity() : 0.0;
  return {negative ? -value : value, end};
}

FieldOutcome<double> commitFloatField(std::string_view text, FieldNotification notification, double min,
                                      double max, double current) {
  FieldOutcome<double> outcome;
  outcome.value = current;
  const ParsedNumber parsed = parseDecimal(text);
  const bool complete = parsed.consumed == text.size();

  // A number still being typed is left alone.
  if (notification == FieldNotification::Update) {
    if (parsed.value == 0 && complete) return outcome;
    if (text == "." || text == "-" || text == "-.") return outcome;
  }

  if (!complete) {
    outcome.beep = true;
    if (text == ".") {
      outcome.text = std::string(text);
      outcome.message = floatRangeMessage(min, max);
      outcome.focusAndSelect = true;
    } else {
      outcome.text = std::string(text.substr(0, parsed.consumed));
      outcome.caretAtEnd = true;
    }
    return outcome;
  }

  if (min <= parsed.value && parsed.value <= max) {
    if (notification != FieldNotification::KillFocus) return outcome;
    outcome.value = parsed.value;
    outcome.text = emptyToZeroText(formatC("%g", parsed.value));
    return outcome;
  }
  outcome.text = emptyToZeroText(formatC("%g", current));
  outcome.message = floatRangeMessage(min, max);
  outcome.focusAndSelect = true;
  return outcome;
}

FieldOutcome<std::uint32_t> commitIntField(std::string_view text, FieldNotification notification,
                                           std::uint32_t min, std::uint32_t max, std::uint32_t current,
                                           bool layerCountField) {
  FieldOutcome<std::uint32_t> outcome;
  outcome.value = current;
  const UnsignedReading reading = readUnsigned(text);
  const bool inRange = min <= reading.value && reading.value <= max;

  // The layer count changes the topology while the user types.
  if (layerCountField && inRange) {
    outcome.value = reading.value;
    outcome.text = formatC("%u", static_cast<unsigned>(reading.value));
    outcome.caretAtEnd = true;
    return outcome;
  }
  if (notification == FieldNotification::Update && reading.value == 0 && !reading.translated) return outcome;
  if (!inRange) {
    outcome.text = formatC("%u", static_cast<unsigned>(current));
    outcome.message =
        formatC("The valid range is from %u to %u", static_cast<unsigned>(min), static_cast<unsigned>(max));
    outcome.focusAndSelect = true;
    return outcome;
  }
  if (notification == FieldNotification::KillFocus) {
    outcome.value = reading.value;
    outcome.text = formatC("%u", static_cast<unsigned>(reading.value));
  }
  return outcome;
}

FieldOutcome<double> commitPageFloat(std::string_view text, double current, double min, double max) {
  FieldOutcome<double> outcome;
  const ParsedNumber parsed = parseDecimal(text);
  if (!text.empty() && parsed.consumed == text.size() && min <= parsed.value && parsed.value <= max) {
    outcome.value = parsed.value;
    outcome.text = emptyToZeroText(formatC("%f", parsed.value));
    return outcome;
  }
  outcome.value = current;
  outcome.text = emptyToZeroText(formatC("%f", current));
  outcome.message = formatC("Enter a value between %s and %s", emptyToZeroText(formatC("%f", min)).c_str(),
                            emptyToZeroText(formatC("%f", max)).c_str());
  outcome.focusAndSelect = true;
  return outcome;
}

}  // namespace nodelyx
