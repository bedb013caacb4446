// Reading data files written in other forms than our own: the count-header
// form ("PATTERNS INPUTS OUTPUTS" on the first line, then the numbers) and
// CSV tables (with an optional names line, class labels one-hot encoded).
// A foreign file is converted into the text of our own header form and
// then read by the data reader, so every check and every later step (ranges,
// shuffling, the testing file's counts) is the one our own files get.
//
// Pure like the data reader: messages go to the reporter, nothing throws.
// Any thread may run it.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "files/buffered_reader.h"
#include "files/data_file.h"
#include "files/pattern_set.h"
#include "files/reporter.h"

namespace nodelyx {

// Native: our own form (header or plain table). Auto: decided from the file.
enum class DataFormat { Native, Auto, Fann, Csv };

struct ForeignDataOptions {
  DataFormat format = DataFormat::Native;
  // CSV: the output columns, each a 1-based number or a name of the names
  // line; empty: the last column (or the one-hot column alone).
  std::vector<std::string> targetColumns;
  // CSV: the column of class labels, one output per class (a number or a
  // name; empty: none). It is a target column even when not listed.
  std::string oneHotColumn;
};

// The form of the data in source (options.format unless it is Auto). Auto:
// a file whose first word after the comment lines is "[INPUTS]" is Native;
// a first line of three non-negative integers followed by exactly
// PATTERNS × (INPUTS + OUTPUTS) numbers is Fann; otherwise Csv when target
// or one-hot columns were given or the first line has a field that is no
// number, else Native. Reads the source from its start.
DataFormat detectDataFormat(ByteSource& source, const ForeignDataOptions& options,
                            const std::atomic<int>& keepGoing);

// A foreign file converted into our own header form.
struct ConvertedData {
  bool ok = false;  // false: failed (message reported) or cancelled
  DataFormat format = DataFormat::Native;
  // Our form: '*' comment lines (source, column names, class order), the
  // header, one pattern per line with every value written exactly. Empty
  // for Native, which needs no conversion.
  std::string text;
  std::uint64_t patterns = 0;
  std::uint64_t inputs = 0;
  std::uint64_t outputs = 0;
  // The one-hot column's name and its classes in output order.
  std::string oneHotName;
  std::vector<std::string> classes;
};

// Converts text of the given form (Fann or Csv) named title in messages.
// keepGoing is polled; set to 0 it cancels without a message.
ConvertedData convertForeignText(std::string_view text, std::string_view title, DataFormat format,
                                 const ForeignDataOptions& options, Reporter& reporter,
                                 const std::atomic<int>& keepGoing);

// Reads and converts the file at path (Auto detected). A file that cannot
// be opened fails without a message, one that is not a regular file with
// one. Native files are only detected: the result is ok with empty text.
ConvertedData convertForeignFile(const std::filesystem::path& path, const ForeignDataOptions& options,
                                 Reporter& reporter, const std::atomic<int>& keepGoing);

// Reads request.path as options say: Native exactly as readDataFile; a
// foreign file converted in memory and then read by readDataSource under
// the file's own name. Progress covers the final reading; readOk cancels
// the conversion too.
DataReadOutcome readForeignDataFile(const DataReadRequest& request, const DataReadCallbacks& callbacks,
                                    Reporter& reporter, const std::atomic<int>& readOk,
                                    const ForeignDataOptions& options);

// Our header form of a loaded set: each comment as a '*' line, the header
// ("[INPUTS] n", then "[OUTPUTS] m" unless the set has no targets), one
// pattern per line, every value in its shortest exact form.
std::string dataFileText(const PatternSet& set, const std::vector<std::string>& comments);

}  // namespace nodelyx
