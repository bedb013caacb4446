// The checks every numeric field's text goes through before it is stored,
// as pure functions: text, notification, bounds and the current value in;
// what to store, what to show and what to tell the user out. A refused
// value is never stored: the field shows the previous value again, a
// message names the valid range, and the field gets the focus with its text
// selected. GUI thread only (no state, so any thread in tests).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nodelyx {

enum class FieldNotification {
  Update,     // the text changed (every keystroke)
  KillFocus,  // the field lost the focus, or Enter was pressed in it
  Other,
};

template <typename T>
struct FieldOutcome {
  T value{};                             // what to store: the new value, or current
  std::optional<std::string> text{};     // put this text into the field
  bool caretAtEnd = false;               // then put the caret at its end
  bool beep = false;                     // beep first
  std::optional<std::string> message{};  // show this, titled kInvalidDataTitle (or the page title)
  bool focusAndSelect = false;           // after the message: focus the field, select its text
};

inline constexpr const char* kInvalidDataTitle = "Invalid data";
inline constexpr const char* kPageErrorTitle = "Error";

// "" becomes "0.0"; any other text stays.
std::string emptyToZeroText(std::string text);

// A decimal number with optional leading blanks, sign, digits, fraction
// and exponent, read in the "C" locale. consumed is how many characters
// made the number (0 when none did); an empty text reads completely as 0.
// No "inf", "nan" or hexadecimal. A number beyond a double's range reads as
// infinity, which every finite range refuses; one too small reads as 0.
struct ParsedNumber {
  double value = 0;
  std::size_t consumed = 0;
};
ParsedNumber parseDecimal(std::string_view text);

// A float panel field ("The valid range is from %g to %g").
FieldOutcome<double> commitFloatField(std::string_view text, FieldNotification notification, double min,
                                      double max, double current);

// An integer panel field ("The valid range is from %u to %u").
// The text reads like an unsigned decimal: blanks, digits, blanks, at most
// 32 bits; any other text reads as 0. layerCountField: the hidden-layer
// count, which commits any value in range at once, whatever the
// notification, and shows it as plain digits.
FieldOutcome<std::uint32_t> commitIntField(std::string_view text, FieldNotification notification,
                                           std::uint32_t min, std::uint32_t max, std::uint32_t current,
                                           bool layerCountField = false);

// A field of a settings page or dialog ("Enter a value between %s and %s",
// titled kPageErrorTitle with the stop icon; values shown with "%f").
FieldOutcome<double> commitPageFloat(std::string_view text, double current, double min, double max);

}  // namespace nodelyx
