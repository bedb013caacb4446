#include "cli/train_options.h"

#include <cfloat>
#include <charconv>
#include <cstdio>

#include "cli/cli_reporter.h"
#include "files/config_file.h"
#include "files/text_cursor.h"

namespace nodelyx::cli {
namespace {

constexpr std::string_view kText =
    "Usage: nodelyx-cli train CONFIG.net [--epochs N] [--seed N | --fresh] [--weights OUT.wts]\n"
    "                         [--set KEY=VALUE]... [--method NAME] [--rate X]\n"
    "                         [--scaling auto|off | --no-scaling] [--curve FILE.csv [--curve-every N]]\n"
    "                         [--repeat N [--jobs J]] [--inputs N --outputs N] [--quiet] [--json]\n"
    "                         [--format F [--target-columns LIST] [--one-hot COLUMN]]\n"
    "Opens the configuration with the training, testing and weights files it names,\n"
    "trains until a stopping criterion or the epoch limit (Ctrl-C, SIGTERM or SIGHUP\n"
    "stop after the current epoch), and saves the weights with their history to\n"
    "OUT.wts, else to the configuration's weights file, else beside it as CONFIG.wts.\n"
    "A named file that cannot be loaded stops the command before anything is trained\n"
    "or written. The first line says how the run started: continuing from the\n"
    "configuration's weights file, or a new network and its seed.\n"
    "  --epochs N     epoch limit instead of the configuration's; it counts all the\n"
    "                 epochs of the weights, so weights trained for N epochs or more\n"
    "                 train no further\n"
    "  --seed N       start a new network from this seed (reproducible runs); with a\n"
    "                 weights file to continue from, give --fresh too\n"
    "  --fresh        ignore the configuration's weights file: start a new network\n"
    "                 (the weights are still saved under that name)\n"
    "  --set KEY=VALUE  override a configuration key for this run, checked as the\n"
    "                 configuration reader checks it; repeatable, e.g. --set TRAINING=3\n"
    "                 --set GAIN=0.2 --set HIDDEN1=\"16 2\"; file names are taken from\n"
    "                 the current directory\n"
    "  --method NAME  training method: online, online-random, batch, rprop, quickprop,\n"
    "                 dbd (delta-bar-delta), or its code 1..6\n"
    "  --rate X       learning rate (the same as --set GAIN=X)\n"
    "  --scaling auto|off, --no-scaling   whether the network scales its inputs and\n"
    "                 outputs through the training set's ranges (auto, the default for\n"
    "                 a new network) or takes the data as it is (off: data already\n"
    "                 scaled)\n"
    "  --curve FILE.csv   write the learning curve while training: epoch, training\n"
    "                 RMS, max RMS, max error, percent correct, testing and\n"
    "                 cross-validation RMS when measured, elapsed seconds\n"
    "  --curve-every N    one curve row every N epochs (and the last)\n"
    "  --repeat N     train N new networks from seeds S, S+1, ... (S from --seed),\n"
    "                 saved as OUT-1.wts ... (curves as FILE-1.csv ...), and report\n"
    "                 mean, standard deviation (n-1), best and worst of each figure\n"
    "  --jobs J       train the repeats on J threads (each run then keeps to one\n"
    "                 thread and gives the same weights as alone)\n"
    "  --inputs N --outputs N   counts of data files without a header\n"
    "  --quiet        no progress display\n"
    "  --json         print the result as one JSON object\n"
    "The training and testing files the configuration names are read in the form\n"
    "--format gives (native, our own, unless it is given):\n";
const std::string kUsage = std::string(kText) + std::string(kForeignDataUsage);

constexpr KnownOption kOwnOptions[] = {
    {"--epochs", 1},      {"--seed", 1},   {"--fresh", 0},   {"--weights", 1},    {"--set", 1, true},
    {"--method", 1},      {"--rate", 1},   {"--scaling", 1}, {"--no-scaling", 0}, {"--curve", 1},
    {"--curve-every", 1}, {"--repeat", 1}, {"--jobs", 1},    {"--inputs", 1},     {"--outputs", 1},
    {"--quiet", 0},       {"--json", 0}};
constexpr auto kOptions = joinOptions(kOwnOptions, kForeignDataOptions);

struct MethodName {
  std::string_view name;
  int code;
};
constexpr MethodName kMethodNames[] = {{"online", 1},       {"batch", 2}, {"rprop", 3},
                                       {"quickprop", 4},    {"dbd", 5},   {"delta-bar-delta", 5},
                                       {"online-random", 6}};

// The same word, letter case aside.
bool sameWord(std::string_view word, std::string_view other) {
  return word.size() == other.size() && matchesKeyword(word, other);
}

bool usageError(const std::string& problem) {
  printUsageError("train", problem, kUsage);
  return false;
}

// Checks one configuration line on its own with the reader's own checks
// (the weight limits against each other only when applied together).
bool lineReadsBack(const std::string& line, const std::string& shown) {
  NetworkConfig scratch;
  scratch.setMinWeight(-DBL_MAX);
  scratch.setMaxWeight(DBL_MAX);
  StderrReporter reporter;
  if (parseNetworkConfig(line, shown, scratch, reporter)) return true;
  if (reporter.count() == 0)
    std::fprintf(stderr, "nodelyx-cli train: %s is not a setting the configuration reader takes\n",
                 shown.c_str());
  return false;
}

// KEY=VALUE as a configuration line; a file name relative to the current
// directory is made absolute, since the configuration's own names are
// looked for beside it.
bool settingLine(std::string_view assignment, std::string& line) {
  const auto equals = assignment.find('=');
  const std::string shown = "--set " + std::string(assignment);
  if (equals == std::string_view::npos || equals == 0 || equals + 1 == assignment.size())
    return usageError(shown + ": give KEY=VALUE, e.g. --set GAIN=0.2");
  const std::string key(assignment.substr(0, equals));
  std::string value(assignment.substr(equals + 1));
  if (!isConfigurationKey(key)) return usageError(shown + ": [" + key + "] is not a configuration key");
  if (sameWord(key, "trainingfile") || sameWord(key, "testfile") || sameWord(key, "weightsfile")) {
    std::error_code error;
    const auto absolute = std::filesystem::absolute(value, error);
    if (!error) value = absolute.lexically_normal().string();
  }
  line = "[" + key + "] " + value + "\n";
  return lineReadsBack(line, shown);
}

bool methodLine(const std::string& name, std::string& line) {
  int code = 0;
  for (const MethodName& method : kMethodNames)
    if (sameWord(name, method.name)) code = method.code;
  if (name.size() == 1 && name[0] >= '1' && name[0] <= '6') code = name[0] - '0';
  if (code == 0)
    return usageError("unknown method '" + name +
                      "': give online, online-random, batch, rprop, quickprop, dbd or 1..6");
  line = "[training] " + std::to_string(code) + "\n";
  return true;
}

bool readSettings(const ParsedArguments& parsed, TrainOptions& options) {
  std::string line;
  const auto found = parsed.options.find("--set");
  if (found != parsed.options.end())
    for (const std::string& assignment : found->second) {
      if (!settingLine(assignment, line)) return false;
      options.settings.push_back(line);
    }
  if (parsed.has("--method")) {
    if (!methodLine(parsed.value("--method"), line)) return false;
    options.settings.push_back(line);
  }
  if (parsed.has("--rate")) {
    if (!settingLine("GAIN=" + parsed.value("--rate"), line)) return false;
    options.settings.push_back(line);
  }
  return true;
}

bool readScaling(const ParsedArguments& parsed, TrainOptions& options) {
  if (parsed.has("--no-scaling") && parsed.has("--scaling"))
    return usageError("--no-scaling and --scaling exclude each other");
  if (parsed.has("--no-scaling")) options.scaling = ScalingMode::None;
  if (!parsed.has("--scaling")) return true;
  const std::string mode = parsed.value("--scaling");
  if (!sameWord(mode, "auto") && !sameWord(mode, "off")) return usageError("--scaling must be auto or off");
  options.scaling = sameWord(mode, "auto") ? ScalingMode::Auto : ScalingMode::None;
  return true;
}

bool readNumbers(const ParsedArguments& parsed, TrainOptions& options) {
  long long value = 0;
  if (parsed.has("--epochs")) {
    if (!integerOption(parsed, "--epochs", 0, 2147483647LL, "train", value)) return false;
    options.epochs = value;
  }
  if (parsed.has("--seed")) {
    if (!integerOption(parsed, "--seed", 0, 4294967295LL, "train", value)) return false;
    options.seed = static_cast<std::uint32_t>(value);
  }
  if (parsed.has("--curve-every") &&
      !integerOption(parsed, "--curve-every", 1, 2147483647LL, "train", options.curveEvery))
    return false;
  if (parsed.has("--repeat") && !integerOption(parsed, "--repeat", 1, 100000, "train", options.repeat))
    return false;
  if (parsed.has("--jobs") && !integerOption(parsed, "--jobs", 1, 1024, "train", options.jobs)) return false;
  if (parsed.has("--curve-every") && !parsed.has("--curve")) return usageError("--curve-every needs --curve");
  if (parsed.has("--jobs") && !parsed.has("--repeat")) return usageError("--jobs needs --repeat");
  return true;
}

}  // namespace

bool readTrainOptions(Arguments args, TrainOptions& options, int& exitCode) {
  bool help = false;
  const auto parsed = parseArguments(args, kOptions, 1, 1, "train", kUsage, help);
  exitCode = help ? kExitOk : kExitUsage;
  if (!parsed || !readNumbers(*parsed, options) || !readSettings(*parsed, options) ||
      !readScaling(*parsed, options) || !readDataCounts(*parsed, "train", options.counts) ||
      !readForeignDataOptions(*parsed, "train", options.dataFormat))
    return false;
  options.config = parsed->positional[0];
  options.weights = parsed->value("--weights");
  options.curve = parsed->value("--curve");
  options.fresh = parsed->has("--fresh");
  options.quiet = parsed->has("--quiet");
  options.json = parsed->has("--json");
  return true;
}

bool applySettingLines(const std::vector<std::string>& lines, NetworkConfig& config, Reporter& reporter) {
  if (lines.empty()) return true;
  std::string text;
  for (const std::string& line : lines) text += line;
  return parseNetworkConfig(text, "The --set options", config, reporter);
}

}  // namespace nodelyx::cli
