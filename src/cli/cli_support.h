// What the nodelyx-cli commands share: exit codes, the counts of headerless
// data files, progress on a terminal, loading a model, JSON values.
#pragma once

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/session.h"
#include "cli/arguments.h"
#include "files/data_file.h"
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
