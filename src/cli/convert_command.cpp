// nodelyx-cli convert IN OUT: rewrites a data file of another form (or a
// table without a header) as a data file of our own header form, which
// every command and the desktop program read. OUT is replaced only once the
// whole of it is known to read back; Ctrl-C, SIGTERM or SIGHUP abort
// without touching it.
#include <cstdio>

#include "app/session_files.h"
#include "cli/cli_reporter.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "files/atomic_file.h"

namespace nodelyx::cli {
namespace {

constexpr std::string_view kText =
    "Usage: nodelyx-cli convert IN OUT [--format F] [--target-columns LIST]\n"
    "                           [--one-hot COLUMN] [--inputs N --outputs N]\n"
    "Writes the data of IN into OUT as a data file with an \"[INPUTS] n\" and\n"
    "\"[OUTPUTS] m\" header, one pattern per line, every value exact, and prints\n"
    "what OUT holds. OUT is replaced only when the conversion succeeds.\n"
    "  --inputs N --outputs N  the counts of a table without a header\n";
const std::string kUsage =
    std::string(kText) + std::string(kForeignDataUsage) + "  (--format defaults to auto here)\n";

constexpr KnownOption kOwnOptions[] = {{"--inputs", 1}, {"--outputs", 1}};
constexpr auto kOptions = joinOptions(kOwnOptions, kForeignDataOptions);

// "* Inputs: a, b" and "* Outputs: c" for a table that named its columns.
std::vector<std::string> namesComments(const PatternSet& set) {
  if (set.columnNames.size() != set.stride()) return {};
  std::string inputs = "Inputs:", outputs = "Outputs:";
  for (std::size_t c = 0; c < set.stride(); ++c) {
    std::string& line = c < set.inputCount ? inputs : outputs;
    line += (line.back() == ':' ? " " : ", ") + set.columnNames[c];
  }
  if (set.outputCount == 0) return {inputs};
  return {inputs, outputs};
}

// Our own form read through the data reader and written out again with a
// header; the counts answer the question of a plain table.
bool convertNative(const std::string& in, const DataCounts& counts, ConvertedData& data, Reporter& reporter) {
  const DataReadOutcome outcome = readTrainingOrTesting(in, counts, reporter);
  if (!outcome.ok) return false;
  std::vector<std::string> comments = {"Converted from " + std::filesystem::path(in).filename().string()};
  for (std::string& line : namesComments(outcome.set)) comments.push_back(std::move(line));
  data.text = dataFileText(outcome.set, comments);
  data.patterns = outcome.set.patternCount;
  data.inputs = outcome.set.inputCount;
  data.outputs = outcome.set.outputCount;
  return true;
}

// The converted text read as the file it becomes: a file our reader
// refuses (no inputs, no patterns) is reported now and never written.
bool readsBack(const ConvertedData& data, const std::string& title, Reporter& reporter,
               const std::atomic<int>& keepGoing) {
  DataReadRequest request;
  request.kind = data.outputs > 0 ? DataKind::Training : DataKind::Testing;
  const std::unique_ptr<ByteSource> source = memorySource(data.text);
  return readDataSource(*source, title, request, {}, reporter, keepGoing).ok;
}

std::string summary(const std::string& out, const ConvertedData& data) {
  std::string text = out + ": " + std::to_string(data.patterns) + " patterns, " +
                     std::to_string(data.inputs) + " inputs, " + std::to_string(data.outputs) + " outputs";
  if (!data.oneHotName.empty()) {
    text += " (one-hot " + data.oneHotName + ":";
    for (std::size_t k = 0; k < data.classes.size(); ++k) text += (k == 0 ? " " : ", ") + data.classes[k];
    text += ")";
  }
  return text + "\n";
}

}  // namespace

int runConvertCommand(Arguments args) {
  bool help = false;
  const auto parsed = parseArguments(args, kOptions, 2, 2, "convert", kUsage, help);
  if (!parsed) return help ? kExitOk : kExitUsage;
  DataCounts counts;
  ForeignDataOptions foreign;
  foreign.format = DataFormat::Auto;
  if (!readDataCounts(*parsed, "convert", counts) || !readForeignDataOptions(*parsed, "convert", foreign))
    return kExitUsage;
  const std::string in = parsed->positional[0], out = parsed->positional[1];
  const std::string title = std::filesystem::path(in).filename().string();
  StderrReporter reporter;
  std::atomic<int> keepGoing{1};
  ConvertedData data;
  {
    StopOnSignals signals(keepGoing);
    data = convertForeignFile(in, foreign, reporter, keepGoing);
    if (data.ok && data.format == DataFormat::Native) data.ok = convertNative(in, counts, data, reporter);
    if (data.ok) data.ok = readsBack(data, title, reporter, keepGoing);
  }
  if (!data.ok) {
    if (keepGoing.load() == 0)
      std::fprintf(stderr, "Conversion aborted; nothing was written.\n");
    else if (reporter.count() == 0)
      reportFileMessage(reporter, "Could not read file %s", in);
    return kExitFailure;
  }
  std::string reason;
  if (!writeFileAtomically(out, data.text, &reason)) {
    reportFileMessage(reporter, "Could not write file %s", out, reason);
    return kExitFailure;
  }
  std::fputs(summary(out, data).c_str(), stdout);
  return kExitOk;
}

}  // namespace nodelyx::cli
