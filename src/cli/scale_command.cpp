// nodelyx-cli scale: rewrites a data file with its columns mapped onto new
// ranges (from the data, or from a scale file), or maps it back, as the
// desktop program's data scaling tool does. Ctrl-C, SIGTERM or SIGHUP abort,
// leaving nothing behind.
#include <cstdio>

#include "cli/cli_reporter.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "files/text_cursor.h"
#include "scaling/scaling_job.h"

namespace nodelyx::cli {
namespace {

constexpr std::string_view kUsage =
    "Usage: nodelyx-cli scale --action ranges|file|unscale --in IN --out OUT --scale FILE.scl\n"
    "                         [--input-range LO HI] [--output-range LO HI] [--no-inputs]\n"
    "                         [--no-outputs] [--no-header] [--inputs N --outputs N]\n"
    "  --action ranges   scale from the data's own column ranges; writes FILE.scl\n"
    "  --action file     scale the way FILE.scl says\n"
    "  --action unscale  map scaled values back through FILE.scl\n"
    "  --input-range, --output-range   new ranges (default 0 1 and 0.1 0.9)\n"
    "  --no-inputs, --no-outputs       copy that group of columns unchanged\n"
    "  --no-header       write no [INPUTS]/[OUTPUTS] header into OUT\n"
    "  --inputs N --outputs N          counts of a file without a header (--inputs 0:\n"
    "                                  a file of outputs only)\n";

constexpr KnownOption kOptions[] = {{"--action", 1},    {"--in", 1},          {"--out", 1},
                                    {"--scale", 1},     {"--input-range", 2}, {"--output-range", 2},
                                    {"--no-inputs", 0}, {"--no-outputs", 0},  {"--no-header", 0},
                                    {"--inputs", 1},    {"--outputs", 1}};

bool rangeOption(const ParsedArguments& parsed, std::string_view name, double& low, double& high) {
  if (!parsed.has(name)) return true;
  const std::string texts[2] = {parsed.value(name, 0), parsed.value(name, 1)};
  double values[2] = {};
  for (int k = 0; k < 2; ++k) {
    std::size_t used = 0;
    const auto value = parseDoublePrefix(texts[k], &used);
    if (!value || used != texts[k].size()) {
      printUsageError("scale", std::string(name) + " needs two numbers, not '" + texts[k] + "'", kUsage);
      return false;
    }
    values[k] = *value;
  }
  low = values[0];
  high = values[1];
  return true;
}

bool readJob(const ParsedArguments& parsed, ScalingJob& job) {
  const std::string action = parsed.value("--action");
  if (action == "ranges")
    job.action = ScaleAction::ScaleFromRanges;
  else if (action == "file")
    job.action = ScaleAction::ScaleFromFile;
  else if (action == "unscale")
    job.action = ScaleAction::UnscaleFromFile;
  else {
    printUsageError("scale", "--action must be ranges, file or unscale", kUsage);
    return false;
  }
  if (!parsed.has("--in") || !parsed.has("--out") || !parsed.has("--scale")) {
    printUsageError("scale", "--in, --out and --scale are needed", kUsage);
    return false;
  }
  // The command line's defaults are the decimal values they are written
  // as (the tool window keeps its single-precision ones).
  job.outputLow = 0.1;
  job.outputHigh = 0.9;
  job.inputPath = parsed.value("--in");
  job.outputPath = parsed.value("--out");
  job.scalePath = parsed.value("--scale");
  if (!rangeOption(parsed, "--input-range", job.inputLow, job.inputHigh) ||
      !rangeOption(parsed, "--output-range", job.outputLow, job.outputHigh))
    return false;
  job.scaleInputs = !parsed.has("--no-inputs");
  job.scaleOutputs = !parsed.has("--no-outputs");
  job.writeHeader = !parsed.has("--no-header");
  DataCounts counts;
  if (!readDataCounts(parsed, "scale", counts, 0)) return false;
  if (counts.inputs == 0 && counts.outputs == 0) {
    printUsageError("scale", "--inputs and --outputs cannot both be 0", kUsage);
    return false;
  }
  job.inputCount = static_cast<std::uint32_t>(counts.inputs.value_or(0));
  job.outputCount = static_cast<std::uint32_t>(counts.outputs.value_or(0));
  return true;
}

}  // namespace

int runScaleCommand(Arguments args) {
  bool help = false;
  const auto parsed = parseArguments(args, kOptions, 0, 0, "scale", kUsage, help);
  if (!parsed) return help ? kExitOk : kExitUsage;
  ScalingJob job;
  if (!readJob(*parsed, job)) return kExitUsage;
  StderrReporter reporter;
  ScalingCallbacks callbacks;
  if (isTerminal(stderr)) {
    callbacks.progress = [](int percent) {
      std::fprintf(stderr, "\r\033[KScaling: %3d %%", percent);
      std::fflush(stderr);
    };
  }
  job.running.store(1);
  bool written = false;
  {
    StopOnSignals signals(job.running);
    written = runScalingJob(job, callbacks, reporter);
  }
  if (callbacks.progress) std::fprintf(stderr, "\r\033[K");
  if (!written && reporter.count() == 0) std::fprintf(stderr, "Scaling aborted; nothing was written.\n");
  return written ? kExitOk : kExitFailure;
}

}  // namespace nodelyx::cli
