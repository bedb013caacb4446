// A read position in a text held in memory, with the scanning rules the
// configuration, weights and scale files share: the leading block, the value
// test, numbers read the way a stream extractor reads them, and the
// separator-tolerant number reader. Never reads past the end; safe on any
// bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace nodelyx {

class TextCursor {
 public:
  static constexpr int kEnd = -1;

  explicit TextCursor(std::string_view text) : text_(text) {}

  bool atEnd() const { return pos_ >= text_.size(); }
  // The next character (0..255), or kEnd.
  int peek() const { return atEnd() ? kEnd : static_cast<unsigned char>(text_[pos_]); }
  int get();
  std::size_t position() const { return pos_; }
  // Back (or on) to a position taken from position().
  void seek(std::size_t position) { pos_ = position < text_.size() ? position : text_.size(); }
  // The text from the cursor on.
  std::string_view rest() const { return text_.substr(pos_); }
  // 1-based number of the line that holds the given position (linear in
  // the position: for messages, not for every read).
  std::size_t lineNumberAt(std::size_t position) const;

  // Skips white space and whole lines whose first non-blank character is '*'.
  void skipLeadingBlock();
  // Skips blanks and tabs.
  void skipBlanks();
  // Skips blanks and tabs; true when a value follows, that is when the next
  // character is neither a line end, nor '%', nor the end of the text.
  bool valueFollows();
  // The characters up to the line end (not included; the cursor stays on it).
  std::string_view restOfLine();

  // A number as a stream extractor reads it: white space is skipped, then
  // the longest prefix that forms a number is taken. Nothing is consumed and
  // nullopt is returned when no number starts there, or when it does not fit
  // (out of range, or not finite for doubles). With allowNonFinite, "nan",
  // "inf" and "infinity" (any case, signed) are numbers too: the writers of
  // weights and histories spell the values of a diverged network that way.
  std::optional<double> readDouble(bool allowNonFinite = false);
  std::optional<long long> readInteger();

  // The separator-tolerant reader: skips blanks, tabs, line ends and
  // commas, then takes the characters up to the next one of them; nullopt
  // at the end of the text or when they are not a number as a whole.
  std::optional<double> readSeparatedValue(bool allowNonFinite = false);
  // Skips blanks, tabs, line ends and commas; true at the end of the text.
  bool onlySeparatorsLeft();
  // The next run of non-white-space characters (empty at the end).
  std::string_view readWord();

 private:
  void skipWhiteSpace();

  std::string_view text_;
  std::size_t pos_ = 0;
};

// The numeric prefix of text as a double; nullopt when there is none or it
// does not fit a finite double. Accepts a leading '+' or '-'. Sets *used to
// the number of characters taken.
std::optional<double> parseDoublePrefix(std::string_view text, std::size_t* used = nullptr,
                                        bool allowNonFinite = false);

// text without a leading UTF-8 byte-order mark.
std::string_view withoutByteOrderMark(std::string_view text);

// True when word starts with keyword, letter case aside ("[inputs]2"
// matches "[INPUTS]").
bool matchesKeyword(std::string_view word, std::string_view keyword);

inline bool isLineEnd(int c) { return c == '\n' || c == '\r'; }
inline bool isBlank(int c) { return c == ' ' || c == '\t'; }

}  // namespace nodelyx
