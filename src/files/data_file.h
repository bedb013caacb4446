// Reading training (.trn) and testing (.tst) data files into a PatternSet.
// A file is a stream of decimal numbers, optionally after an "[INPUTS] n
// [OUTPUTS] m" header; without one it is a plain table whose column counts
// the caller's question supplies. Values may be separated by white space,
// commas or semicolons; a plain table may name its columns on its first line
// (one name per column, none of them a number; between commas or semicolons
// a name may hold blanks). Values after the last whole
// pattern are ignored with a warning. Only regular files are read.
//
// The reader is pure: it reports through the callbacks and the reporter and
// returns the new set; the caller decides what the set replaces (see
// app/session.h). Any thread may run it; the callbacks and the reporter are
// called on that thread. It reads the data part with threads of its own
// as well (see files/data_scan.h), all joined before it returns.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "files/buffered_reader.h"
#include "files/pattern_set.h"
#include "files/reporter.h"

namespace nodelyx {

enum class DataKind { Training = 1, Testing = 2 };

// The numbers the user entered for a table without header.
struct InputsOutputs {
  long long inputs = 0;
  long long outputs = 0;
};

struct DataReadCallbacks {
  // Percent done, 0..100: counting the values takes 0..20, reading 20..100.
  // Called when the value grows.
  std::function<void(int percent)> progress;
  // "Reading: NAME" once at the start.
  std::function<void(const std::string& caption)> caption;
  // A plain table: how many of the firstLineCount columns are inputs and
  // outputs? nullopt means the user cancelled. Without this callback a
  // plain table counts as cancelled.
  std::function<std::optional<InputsOutputs>(std::uint32_t firstLineCount)> askInputsOutputs;
};

struct DataReadRequest {
  std::filesystem::path path;
  DataKind kind = DataKind::Training;
  // The settings' inputCount and outputCount when the read starts (0: not
  // known yet); a testing file must agree with the non-zero ones.
  std::uint32_t currentInputs = 0;
  std::uint32_t currentOutputs = 0;
  // Training files: shuffle the patterns after loading.
  bool shuffle = false;
  // The data part is read in pieces of about this many bytes, several at a
  // time (0: the reader's own size). Tests set a few bytes, so that piece
  // boundaries fall everywhere.
  std::uint64_t pieceBytes = 0;
};

struct DataReadOutcome {
  bool ok = false;  // false: failed or cancelled (any message already reported)
  PatternSet set;
  bool noHeader = false;  // the counts came from the question
  // Values after the last whole pattern, ignored (a warning reported them).
  std::uint64_t leftoverValues = 0;
};

// Reads request.path. readOk is polled while reading: set it to 0 to cancel
// (the outcome then fails without a message). A file that cannot be opened
// fails without a message; one that is not a regular file (a directory, a
// device, a pipe) fails with one.
DataReadOutcome readDataFile(const DataReadRequest& request, const DataReadCallbacks& callbacks,
                             Reporter& reporter, const std::atomic<int>& readOk);

// The same from any byte source; title names it in messages.
DataReadOutcome readDataSource(ByteSource& source, std::string_view title, const DataReadRequest& request,
                               const DataReadCallbacks& callbacks, Reporter& reporter,
                               const std::atomic<int>& readOk);

}  // namespace nodelyx
