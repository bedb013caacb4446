// The layout rules of data files shared by the data reader and the scaling
// job: character classes, the leading block, the "[INPUTS]"/"[OUTPUTS]"
// header and the first line of a plain table.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/buffered_reader.h"
#include "files/text_cursor.h"

namespace nodelyx {

// What a reader says of a file whose data part it cannot read.
inline constexpr const char* kUnrecognizableFormat =
    "Unrecognizable file format.\nMake sure the file is saved in MSDOS text file format.";

// Numbers are runs of number characters (digits . + - e E); separators are
// white space, commas and semicolons; any other character has no place in
// the data part of a file.
enum class CharClass : std::uint8_t { Other = 0, Separator = 1, Number = 2 };

inline constexpr std::array<CharClass, 256> kCharClasses = [] {
  std::array<CharClass, 256> table{};
  for (const char c : std::string_view(" \t\r\n\v\f,;"))
    table[static_cast<unsigned char>(c)] = CharClass::Separator;
  for (const char c : std::string_view("0123456789.+-eE"))
    table[static_cast<unsigned char>(c)] = CharClass::Number;
  return table;
}();

inline CharClass charClass(char c) { return kCharClasses[static_cast<unsigned char>(c)]; }

// The whole of text as a number; nullopt unless every character is used.
std::optional<double> parseWholeNumber(std::string_view text);

// Skips a UTF-8 byte-order mark, then blank lines, white space and lines
// whose first non-blank character is '*'.
void skipDataLeadingBlock(BufferedReader& reader);

// Reads the next run of non-white-space characters (keeping at most
// kMaxKeptWordLength of them).
std::string readWord(BufferedReader& reader);
inline constexpr std::size_t kMaxKeptWordLength = 256;

// Skips blanks and tabs; true when a value follows on the line.
bool valueFollowsOnLine(BufferedReader& reader);

// An integer as a stream extractor reads it (white space skipped first).
std::optional<long long> readCount(BufferedReader& reader);

// The counting pass: the runs of number characters from the reader's
// position to the end of the data, progress 0..20 % by position (reported
// through `progress` when it changes), `keepGoing` polled per block.
enum class CountResult { Counted, Cancelled, Unrecognizable };
CountResult countNumericValues(BufferedReader& reader, const std::atomic<int>& keepGoing,
                               const std::function<void(int)>& progress, std::uint64_t& count);

// The next number of the data part; false at the end of the data, or on a
// run of number characters that is no number (or longer than the buffer).
bool readNextValue(BufferedReader& reader, double& value);

// The first line of a plain table, split at separators.
struct FirstLine {
  std::uint64_t wordCount = 0;
  std::vector<std::string> words;  // the first kMaxKeptWords words, quotes removed
  bool holdsNames = false;         // some word is not a number
  std::uint64_t end = 0;           // offset just after its line end
};
FirstLine readFirstLine(BufferedReader& reader);
inline constexpr std::size_t kMaxKeptWords = 1 << 16;

}  // namespace nodelyx
