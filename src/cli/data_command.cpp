// nodelyx-cli data FILE: what a data file holds, read exactly as the
// desktop program loads a training file (a testing file when it has no
// outputs header); with --format, files of other forms are converted first.
#include <cstdio>

#include "cli/cli_reporter.h"
#include "cli/cli_support.h"
#include "cli/commands.h"

namespace nodelyx::cli {
namespace {

constexpr std::string_view kText =
    "Usage: nodelyx-cli data FILE [--inputs N --outputs N] [--json] [--format F]\n"
    "                        [--target-columns LIST] [--one-hot COLUMN]\n"
    "Reads a training or testing data file and prints its pattern count, its\n"
    "input and output counts, the range of every column and how many values\n"
    "after the last whole pattern were ignored.\n";
const std::string kUsage =
    std::string(kText) + std::string(kForeignDataUsage) + "  (--format defaults to native here)\n";

constexpr KnownOption kOwnOptions[] = {{"--inputs", 1}, {"--outputs", 1}, {"--json", 0}};
constexpr auto kOptions = joinOptions(kOwnOptions, kForeignDataOptions);

}  // namespace

int runDataCommand(Arguments args) {
  bool help = false;
  const auto parsed = parseArguments(args, kOptions, 1, 1, "data", kUsage, help);
  if (!parsed) return help ? kExitOk : kExitUsage;
  DataCounts counts;
  ForeignDataOptions foreign;
  if (!readDataCounts(*parsed, "data", counts) || !readForeignDataOptions(*parsed, "data", foreign))
    return kExitUsage;
  StderrReporter reporter;
  const std::string path = parsed->positional[0];
  DataReadOutcome outcome = readTrainingOrTesting(path, counts, reporter, foreignDataReader(foreign));
  if (!outcome.ok) {
    if (reporter.count() == 0)
      reporter.report("Nodelyx", "Could not read file " + std::filesystem::path(path).filename().string(),
                      MessageIcon::Warning);
    return kExitFailure;
  }
  PatternSet& set = outcome.set;
  if (!set.hasRanges()) computeColumnRanges(set);  // a testing set keeps none of its own
  const auto column = [&](std::size_t c, double& low, double& high) {
    const bool input = c < set.inputCount;
    low = input ? set.inputMin[c] : set.targetMin[c - set.inputCount];
    high = input ? set.inputMax[c] : set.targetMax[c - set.inputCount];
  };
  double low = 0, high = 0;
  if (parsed->has("--json")) {
    std::printf("{\"patterns\": %u, \"inputs\": %u, \"outputs\": %u, \"columns\": [", set.patternCount,
                set.inputCount, set.outputCount);
    for (std::size_t c = 0; c < set.stride(); ++c) {
      column(c, low, high);
      std::printf("%s{\"min\": %s, \"max\": %s}", c ? ", " : "", jsonNumber(low).c_str(),
                  jsonNumber(high).c_str());
    }
    // Only when there are any, so that the object of a whole file stays as
    // scripts know it.
    if (outcome.leftoverValues != 0)
      std::printf("], \"leftover_values\": %llu}\n", static_cast<unsigned long long>(outcome.leftoverValues));
    else
      std::printf("]}\n");
    return kExitOk;
  }
  std::printf("%s: %u patterns, %u inputs, %u outputs\n", path.c_str(), set.patternCount, set.inputCount,
              set.outputCount);
  for (std::size_t c = 0; c < set.stride(); ++c) {
    column(c, low, high);
    const bool input = c < set.inputCount;
    std::string name = c < set.columnNames.size() ? " (" + set.columnNames[c] + ")" : "";
    std::printf("  %s %zu%s: %g .. %g\n", input ? "input " : "output", input ? c + 1 : c + 1 - set.inputCount,
                name.c_str(), low, high);
  }
  if (outcome.leftoverValues != 0)
    std::printf("  %llu value%s after the last whole pattern ignored\n",
                static_cast<unsigned long long>(outcome.leftoverValues),
                outcome.leftoverValues == 1 ? "" : "s");
  return kExitOk;
}

}  // namespace nodelyx::cli
