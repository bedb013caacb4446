// What the nodelyx-cli commands share: exit codes, the counts of headerless
// data files, the options for data files of other forms, progress on a
// terminal, loading a model, JSON values.
#pragma once

#include <array>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/session.h"
#include "cli/arguments.h"
#include "files/data_file.h"
#include "files/foreign_data.h"
#include "files/reporter.h"

namespace nodelyx::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

bool isTerminal(std::FILE* stream);

// --inputs N --outputs N, for data files without a header.
struct DataCounts {
  std::optional<long long> inputs;
  std::optional<long long> outputs;
};
// Reads both options (both or neither), inputs from minInputs on; false
// after a usage error. Only the scaling of a file of outputs alone takes 0
// inputs: a data file to load needs at least one.
bool readDataCounts(const ParsedArguments& parsed, std::string_view command, DataCounts& counts,
                    long long minInputs = 1);

// Callbacks for reading data files: the counts answer the question of a
// headerless file (without them the question is reported as an error);
// with showProgress a percentage on standard error.
DataReadCallbacks dataReadCallbacks(const DataCounts& counts, bool showProgress, Reporter& reporter);

// Reads a training file, or a testing file when its header has no
// "[OUTPUTS]" (reader: empty for readDataFileOnWorker).
DataReadOutcome readTrainingOrTesting(const std::filesystem::path& path, const DataCounts& counts,
                                      Reporter& reporter, const DataReader& reader = {});

// --format fann|csv|auto|native, --target-columns LIST, --one-hot COLUMN:
// data files of other forms (see files/foreign_data.h).
inline constexpr KnownOption kForeignDataOptions[] = {
    {"--format", 1}, {"--target-columns", 1}, {"--one-hot", 1}};
inline constexpr std::string_view kForeignDataUsage =
    "  --format F              the form of the data file: fann (a first line\n"
    "                          \"PATTERNS INPUTS OUTPUTS\", then the numbers), csv,\n"
    "                          auto (decided from the file) or native (our own)\n"
    "  --target-columns LIST   CSV: the output columns, comma-separated numbers\n"
    "                          (from 1) or names of the names line (default: the\n"
    "                          last column)\n"
    "  --one-hot COLUMN        CSV: a column of class labels, one output per class\n"
    "                          (1 for its class, 0 for the others; classes sorted)\n";

// A command's own options followed by more.
template <std::size_t A, std::size_t B>
constexpr std::array<KnownOption, A + B> joinOptions(const KnownOption (&first)[A],
                                                     const KnownOption (&second)[B]) {
  std::array<KnownOption, A + B> all{};
  for (std::size_t k = 0; k < A; ++k) all[k] = first[k];
  for (std::size_t k = 0; k < B; ++k) all[A + k] = second[k];
  return all;
}

// Reads the options above over options (whose format is the command's
// default); false after a usage error (an unknown form, columns without
// the csv or auto form).
bool readForeignDataOptions(const ParsedArguments& parsed, std::string_view command,
                            ForeignDataOptions& options);

// Reads data files through readForeignDataFile on a worker thread of its
// own, as the default reader does.
DataReader foreignDataReader(const ForeignDataOptions& options);

// Loads the weights of a model: a weights file, or a configuration that
// names one (relative to its own directory). False after a message.
bool loadModel(Session& session, const std::filesystem::path& path, Reporter& reporter);

// The directory of the running program (empty when it cannot be known):
// companion files named without a directory are also looked for there.
std::filesystem::path programDirectory();

// While it lives, Ctrl-C (SIGINT), SIGTERM and SIGHUP clear the flag (the
// training run's keepTraining, the scaling job's running), so the command
// stops at its next check and cleans up after itself; a second signal ends
// the program at once.
class StopOnSignals {
 public:
  explicit StopOnSignals(std::atomic<int>& flag);
  ~StopOnSignals();
  StopOnSignals(const StopOnSignals&) = delete;
  StopOnSignals& operator=(const StopOnSignals&) = delete;
};

// A JSON number (null when not finite) and a JSON string (bytes that are
// not UTF-8 are written as \u00XX escapes, so the output is always valid).
std::string jsonNumber(double value);
std::string jsonString(std::string_view text);

}  // namespace nodelyx::cli
