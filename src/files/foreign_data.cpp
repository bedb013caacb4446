#include "files/foreign_data.h"

#include <new>

#include "files/c_format.h"
#include "files/data_file_format.h"
#include "files/foreign_text.h"
#include "files/text_cursor.h"

namespace nodelyx {
namespace {

// The first line is looked at only this far; the rest of a very long one
// does not change what the file is.
constexpr std::size_t kFirstLineLimit = 1 << 20;

std::string readFirstLineText(BufferedReader& reader) {
  std::string line;
  for (int c = reader.get(); c != BufferedReader::kEnd && c != '\n'; c = reader.get())
    if (line.size() < kFirstLineLimit) line.push_back(static_cast<char>(c));
  return line;
}

// Words split at our separators (white space, commas, semicolons), quotes
// around a word removed.
bool hasNonNumericField(std::string_view line) {
  std::size_t k = 0;
  while (k < line.size()) {
    while (k < line.size() && charClass(line[k]) == CharClass::Separator) ++k;
    const std::size_t start = k;
    while (k < line.size() && charClass(line[k]) != CharClass::Separator) ++k;
    std::string_view word = line.substr(start, k - start);
    if (word.size() >= 2 && word.front() == '"' && word.back() == '"') word = word.substr(1, word.size() - 2);
    if (!word.empty() && !parseWholeNumber(word)) return true;
  }
  return false;
}

// PATTERNS × (INPUTS + OUTPUTS) of a count line, when the line is one.
std::optional<std::uint64_t> countLineTotal(std::string_view line) {
  const std::optional<foreign::CountLine> counts = foreign::readCountLine(line);
  if (!counts || !foreign::countsFit(*counts)) return std::nullopt;
  return counts->patterns * (counts->inputs + counts->outputs);
}

bool readAll(ByteSource& source, std::string& text) {
  if (!source.seek(0)) return false;
  text.resize(source.size());
  std::size_t filled = 0;
  while (filled < text.size()) {
    const long got = source.read(text.data() + filled, text.size() - filled);
    if (got < 0) return false;
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  text.resize(filled);
  return true;
}

ConvertedData convertSource(ByteSource& source, const std::string& title, const ForeignDataOptions& options,
                            Reporter& reporter, const std::atomic<int>& keepGoing) {
  const DataFormat format = detectDataFormat(source, options, keepGoing);
  if (keepGoing.load() == 0) return {};
  if (format == DataFormat::Native) {
    ConvertedData native;
    native.ok = true;
    return native;
  }
  std::string text;
  try {
    if (!readAll(source, text)) {
      reporter.report("Error", formatC("%s could not be read to its end.", title.c_str()),
                      MessageIcon::Error);
      return {};
    }
  } catch (const std::bad_alloc&) {
    reporter.report("ERROR", formatC("Not enough memory to convert %s.", title.c_str()), MessageIcon::Error);
    return {};
  }
  return convertForeignText(text, title, format, options, reporter, keepGoing);
}

}  // namespace

DataFormat detectDataFormat(ByteSource& source, const ForeignDataOptions& options,
                            const std::atomic<int>& keepGoing) {
  if (options.format != DataFormat::Auto) return options.format;
  source.seek(0);
  BufferedReader reader(source);
  skipDataLeadingBlock(reader);
  const std::uint64_t start = reader.position();
  if (matchesKeyword(readWord(reader), "[INPUTS]")) return DataFormat::Native;
  reader.seek(start);
  const std::string line = readFirstLineText(reader);
  if (const std::optional<std::uint64_t> total = countLineTotal(line)) {
    std::uint64_t count = 0;
    if (*total > 0 && countNumericValues(reader, keepGoing, {}, count) == CountResult::Counted &&
        count == *total)
      return DataFormat::Fann;
  }
  const bool columnsGiven = !options.targetColumns.empty() || !options.oneHotColumn.empty();
  return columnsGiven || hasNonNumericField(line) ? DataFormat::Csv : DataFormat::Native;
}

ConvertedData convertForeignText(std::string_view text, std::string_view title, DataFormat format,
                                 const ForeignDataOptions& options, Reporter& reporter,
                                 const std::atomic<int>& keepGoing) {
  if (format == DataFormat::Auto) {
    const std::unique_ptr<ByteSource> source = memorySource(text);
    format = detectDataFormat(*source, options, keepGoing);
  }
  ConvertedData out;
  out.format = format;
  try {
    if (format == DataFormat::Fann)
      out.ok = foreign::convertCountHeader(text, title, out, reporter, keepGoing);
    else if (format == DataFormat::Csv)
      out.ok = foreign::convertCsv(text, title, options, out, reporter, keepGoing);
    else
      out.ok = true;
  } catch (const std::bad_alloc&) {
    reporter.report("ERROR", formatC("Not enough memory to convert %s.", std::string(title).c_str()),
                    MessageIcon::Error);
    out.ok = false;
  }
  if (!out.ok) {
    out = ConvertedData();
    out.format = format;
  }
  return out;
}

ConvertedData convertForeignFile(const std::filesystem::path& path, const ForeignDataOptions& options,
                                 Reporter& reporter, const std::atomic<int>& keepGoing) {
  const std::string title = path.filename().string();
  OpenFailure failure = OpenFailure::None;
  const std::unique_ptr<ByteSource> source = openFileSource(path, &failure);
  if (!source) {
    if (failure == OpenFailure::NotRegular)
      reporter.report("Error", formatC("Could not read file %s\nIt is not a regular file.", title.c_str()),
                      MessageIcon::Error);
    return {};
  }
  return convertSource(*source, title, options, reporter, keepGoing);
}

DataReadOutcome readForeignDataFile(const DataReadRequest& request, const DataReadCallbacks& callbacks,
                                    Reporter& reporter, const std::atomic<int>& readOk,
                                    const ForeignDataOptions& options) {
  if (options.format == DataFormat::Native) return readDataFile(request, callbacks, reporter, readOk);
  OpenFailure failure = OpenFailure::None;
  const std::unique_ptr<ByteSource> source = openFileSource(request.path, &failure);
  // Failing to open is reported the reader's way.
  if (!source) return readDataFile(request, callbacks, reporter, readOk);
  const std::string title = request.path.filename().string();
  if (callbacks.caption) callbacks.caption("Reading: " + title);
  DataReadCallbacks rest = callbacks;
  rest.caption = nullptr;
  const ConvertedData converted = convertSource(*source, title, options, reporter, readOk);
  if (!converted.ok) return {};
  if (converted.format == DataFormat::Native) {
    if (!source->seek(0)) return readDataFile(request, callbacks, reporter, readOk);
    return readDataSource(*source, title, request, rest, reporter, readOk);
  }
  const std::unique_ptr<ByteSource> text = memorySource(converted.text);
  return readDataSource(*text, title, request, rest, reporter, readOk);
}

std::string dataFileText(const PatternSet& set, const std::vector<std::string>& comments) {
  std::string text = foreign::dataHeaderText(comments, set.inputCount, set.outputCount);
  for (std::uint32_t p = 0; p < set.patternCount; ++p) foreign::appendPattern(text, set.row(p), set.stride());
  return text;
}

}  // namespace nodelyx
