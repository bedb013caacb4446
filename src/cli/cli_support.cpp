#include "cli/cli_support.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <csignal>
#include <iterator>

#include "app/session_files.h"
#include "app/weights_io.h"
#include "files/atomic_file.h"
#include "files/c_format.h"
#include "files/config_file.h"
#include "files/data_read_job.h"
#include "files/text_cursor.h"

namespace nodelyx::cli {
namespace {

std::string lowerExtension(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

// A file whose first word is "[layers]" holds weights.
bool looksLikeWeights(const std::filesystem::path& path) {
  const std::string text = readFilePrefix(path, 4096);
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return false;
  return matchesKeyword(std::string_view(text).substr(first), "[layers]");
}

}  // namespace

bool isTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) != 0; }

bool readDataCounts(const ParsedArguments& parsed, std::string_view command, DataCounts& counts,
                    long long minInputs) {
  const bool inputs = parsed.has("--inputs"), outputs = parsed.has("--outputs");
  if (inputs != outputs) {
    std::fprintf(stderr, "nodelyx-cli %.*s: --inputs and --outputs go together\n",
                 static_cast<int>(command.size()), command.data());
    return false;
  }
  if (!inputs) return true;
  long long value = 0;
  if (!integerOption(parsed, "--inputs", minInputs, 4294967295LL, command, value)) return false;
  counts.inputs = value;
  if (!integerOption(parsed, "--outputs", 0, 4294967295LL, command, value)) return false;
  counts.outputs = value;
  return true;
}

DataReadCallbacks dataReadCallbacks(const DataCounts& counts, bool showProgress, Reporter& reporter) {
  DataReadCallbacks callbacks;
  if (showProgress) {
    callbacks.caption = [](const std::string& caption) { std::fprintf(stderr, "%s", caption.c_str()); };
    callbacks.progress = [](int percent) {
      std::fprintf(stderr, "\r\033[K%3d %%", percent);
      if (percent == 100) std::fprintf(stderr, "\r\033[K");
    };
  }
  callbacks.askInputsOutputs = [counts, &reporter](std::uint32_t values) -> std::optional<InputsOutputs> {
    if (counts.inputs) return InputsOutputs{*counts.inputs, *counts.outputs};
    reporter.report(
        "Please specify the number of Inputs and Outputs",
        formatC("Please enter the correct number of inputs and outputs.  The first line of this data "
                "file contains a total of %u values.  If this data file is formatted with one pattern "
                "per line, the total number of inputs and outputs should add up to %u.  To avoid this "
                "message in the future, please refer to the Nodelyx help file for an explanation of the "
                "training and testing data files.\n(Give the counts with --inputs N --outputs N.)",
                values, values),
        MessageIcon::Question);
    return std::nullopt;
  };
  return callbacks;
}

DataReadOutcome readTrainingOrTesting(const std::filesystem::path& path, const DataCounts& counts,
                                      Reporter& reporter, const DataReader& reader) {
  const auto read = [&reader](const DataReadRequest& request, const DataReadCallbacks& callbacks,
                              Reporter& to) {
    return reader ? reader(request, callbacks, to) : readDataFileOnWorker(request, callbacks, to);
  };
  DataReadRequest request;
  request.path = path;
  request.kind = DataKind::Training;
  RecordingReporter first;
  DataReadOutcome outcome = read(request, dataReadCallbacks(counts, false, first), first);
  const bool noOutputsHeader =
      first.messages.size() == 1 &&
      first.messages[0].text.find("File missing header '[OUTPUTS] size'") != std::string::npos;
  if (outcome.ok || !noOutputsHeader) {
    for (const Message& message : first.messages) reporter.report(message);
    return outcome;
  }
  request.kind = DataKind::Testing;
  return read(request, dataReadCallbacks(counts, false, reporter), reporter);
}

bool readForeignDataOptions(const ParsedArguments& parsed, std::string_view command,
                            ForeignDataOptions& options) {
  const auto problem = [command](const char* text) {
    std::fprintf(stderr, "nodelyx-cli %.*s: %s\n", static_cast<int>(command.size()), command.data(), text);
    return false;
  };
  if (parsed.has("--format")) {
    const std::string name = parsed.value("--format");
    constexpr std::pair<std::string_view, DataFormat> kNames[] = {{"fann", DataFormat::Fann},
                                                                  {"csv", DataFormat::Csv},
                                                                  {"auto", DataFormat::Auto},
                                                                  {"native", DataFormat::Native}};
    const auto* found = std::find_if(std::begin(kNames), std::end(kNames),
                                     [&name](const auto& entry) { return entry.first == name; });
    if (found == std::end(kNames)) return problem("--format must be fann, csv, auto or native");
    options.format = found->second;
  }
  if (parsed.has("--target-columns")) {
    const std::string list = parsed.value("--target-columns");
    for (std::size_t start = 0;;) {
      const std::size_t comma = std::min(list.find(',', start), list.size());
      std::string item = list.substr(start, comma - start);
      if (item.find_first_not_of(" \t") == std::string::npos)
        return problem("--target-columns needs column numbers or names, separated by commas");
      options.targetColumns.push_back(std::move(item));
      if (comma == list.size()) break;
      start = comma + 1;
    }
  }
  options.oneHotColumn = parsed.value("--one-hot");
  const bool columns = !options.targetColumns.empty() || !options.oneHotColumn.empty();
  if (columns && options.format != DataFormat::Csv && options.format != DataFormat::Auto)
    return problem("--target-columns and --one-hot need --format csv or auto");
  return true;
}

DataReader foreignDataReader(const ForeignDataOptions& options) {
  return [options](const DataReadRequest& request, const DataReadCallbacks& callbacks, Reporter& reporter) {
    return readDataFileOnWorker(request, callbacks, reporter,
                                [&options](const DataReadRequest& r, const DataReadCallbacks& c, Reporter& to,
                                           const std::atomic<int>& readOk) {
                                  return readForeignDataFile(r, c, to, readOk, options);
                                });
  };
}

// Opens a weights file, saying so (and why) when it cannot even be read;
// the reader reports everything else itself.
static bool openWeights(Session& session, const std::filesystem::path& path, Reporter& reporter) {
  std::string reason;
  if (openWeightsFile(session, path, reporter, &reason)) return true;
  if (!reason.empty()) reportFileMessage(reporter, "Could not read file %s", path.string(), reason);
  return false;
}

bool loadModel(Session& session, const std::filesystem::path& path, Reporter& reporter) {
  const std::string extension = lowerExtension(path);
  if (extension == ".wts" || (extension != ".net" && looksLikeWeights(path)))
    return openWeights(session, path, reporter);
  std::string reason;
  if (!readNetworkConfig(path, session.config, reporter, &reason)) {
    reportFileMessage(reporter, "Could not read file %s", path.string(), reason);
    return false;
  }
  session.networkFile = path.string();
  const std::string named = session.config.weightsFile();
  if (named.empty()) {
    reporter.report("Error",
                    formatC("%s names no weights file: train it first.", path.filename().string().c_str()),
                    MessageIcon::Error);
    return false;
  }
  return openWeights(session, locateCompanion(named, path.parent_path(), programDirectory()), reporter);
}

std::filesystem::path programDirectory() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : self.parent_path();
}

namespace {

std::atomic<int>* signalFlag = nullptr;
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previousActions[std::size(kStopSignals)];

extern "C" void stopOnSignal(int) {
  if (signalFlag) signalFlag->store(0);
}

// The length of the UTF-8 sequence that starts text (1 to 4), or 0 when
// it is not a valid one (overlong forms and surrogates included).
std::size_t utf8SequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = lead >= 0xF0 && lead <= 0xF4  ? 4
                       : lead >= 0xE0                ? 3
                       : lead >= 0xC2 && lead < 0xE0 ? 2
                                                     : 0;
  if (length == 0 || text.size() < length) return 0;
  for (std::size_t k = 1; k < length; ++k)
    if ((byte(k) & 0xC0) != 0x80) return 0;
  if (lead == 0xE0 && byte(1) < 0xA0) return 0;   // overlong
  if (lead == 0xED && byte(1) >= 0xA0) return 0;  // surrogate
  if (lead == 0xF0 && byte(1) < 0x90) return 0;   // overlong
  if (lead == 0xF4 && byte(1) >= 0x90) return 0;  // beyond U+10FFFF
  return length;
}

}  // namespace

StopOnSignals::StopOnSignals(std::atomic<int>& flag) {
  signalFlag = &flag;
  struct sigaction action {};
  action.sa_handler = stopOnSignal;
  action.sa_flags = SA_RESETHAND;  // a second signal ends the program
  sigemptyset(&action.sa_mask);
  for (std::size_t k = 0; k < std::size(kStopSignals); ++k)
    sigaction(kStopSignals[k], &action, &previousActions[k]);
}

StopOnSignals::~StopOnSignals() {
  for (std::size_t k = 0; k < std::size(kStopSignals); ++k)
    sigaction(kStopSignals[k], &previousActions[k], nullptr);
  signalFlag = nullptr;
}

std::string jsonNumber(double value) {
  if (!std::isfinite(value)) return "null";
  char text[32];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  return error == std::errc() ? std::string(text, end) : "null";
}

std::string jsonString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t k = 0; k < text.size(); ++k) {
    const char c = text[k];
    const std::size_t sequence = utf8SequenceLength(text.substr(k));
    if (sequence == 0) {
      out += formatC("\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
      continue;
    }
    if (sequence > 1) {
      out += text.substr(k, sequence);
      k += sequence - 1;
      continue;
    }
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20)
          out += formatC("\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
        else
          out += c;
    }
  }
  return out + "\"";
}

}  // namespace nodelyx::cli
