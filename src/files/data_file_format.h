// The layout rules of data files shared by the data reader and the scaling
// job, so that both accept the same files: character classes, the leading
// block, the "[INPUTS]"/"[OUTPUTS]" header, the first line of a plain table
// (which may name the columns), the counting pass, the number reader and
// the messages about data that cannot be read.
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
#include "files/short_number.h"
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
// The same for [first, last), for hot loops: false when it is no number.
bool parseNumber(const char* first, const char* last, double& value);
// readShortNumber (short_number.h, inline for the reading loops) reads the
// common short forms of a number without from_chars, with the same result.

// The runs of number characters that start in block; previousNumber says
// whether the byte before the block is a number character (a run that goes
// on from there is not counted again) and is updated for the next block.
// foreign is set when the block holds a character that has no place in the
// data.
std::uint64_t countNumberRuns(std::string_view block, bool& previousNumber, bool& foreign);

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
// through `progress` when it changes), `keepGoing` polled per block. When
// Unrecognizable, the reader stands on the first character that has no
// place in the data (or where a read error stopped it).
enum class CountResult { Counted, Cancelled, Unrecognizable };
CountResult countNumericValues(BufferedReader& reader, const std::atomic<int>& keepGoing,
                               const std::function<void(int)>& progress, std::uint64_t& count);

// The next number of the data part; false at the end of the data, or on a
// run of number characters that is no number (or longer than the buffer),
// with the reader at the start of that run.
bool readNextValue(BufferedReader& reader, double& value);

// The first line of a plain table, split at separators; a line with commas
// or semicolons and no field that is a number (a names line) is split at
// those alone, so that a name may hold blanks.
struct FirstLine {
  std::uint64_t wordCount = 0;
  std::vector<std::string> words;  // the first kMaxKeptWords words, quotes removed
  bool anyNumber = false;          // some word is a number
  std::uint64_t end = 0;           // offset just after its line end
};
FirstLine readFirstLine(BufferedReader& reader);
inline constexpr std::size_t kMaxKeptWords = 1 << 16;

// A plain table's first line names its columns only when none of its words
// is a number and it has one word per column; otherwise it is data, and a
// word there that is no number is refused like anywhere else.
bool namesColumns(const FirstLine& line, std::uint64_t columns);

enum class DataHeader { None, InputsOnly, InputsAndOutputs };

// Where a data file's data part starts, as its header or its first line
// says. A header is "[INPUTS] n", optionally followed by "[OUTPUTS] m", each
// keyword counting only when a value follows it on its line.
struct DataLayout {
  DataHeader header = DataHeader::None;
  // The header's counts, nullopt where no integer stands (the layout ends
  // there); inputsAt and outputsAt are where they stand, for messages.
  std::optional<long long> inputs, outputs;
  std::uint64_t inputsAt = 0, outputsAt = 0;
  // After the header; for a plain table the start of its first line, which
  // moves past that line when it names the columns (see dataStartFor).
  std::uint64_t dataStart = 0;
  FirstLine firstLine;  // plain tables only
};
DataLayout readDataLayout(BufferedReader& reader);

// Where the data of a file with `columns` columns per pattern starts: past
// the first line of a plain table that names its columns.
std::uint64_t dataStartFor(const DataLayout& layout, std::uint64_t columns);

// kUnrecognizableFormat and a line that says what is wrong and where: the
// read error that stopped the reader, else the file, the line number and
// the text at offset (found by reading the data again from its start, so
// it costs nothing until something fails).
std::string unrecognizableDataMessage(BufferedReader& reader, std::string_view file, std::uint64_t offset);
// The same when a read error stopped the reading.
std::string unreadableDataMessage(std::string_view file);

// The warning for values after the last whole pattern, which are ignored.
std::string leftoverValuesMessage(std::string_view file, std::uint64_t leftover);

}  // namespace nodelyx
