#include "cli/cli_support.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "app/session_files.h"
#include "app/weights_io.h"
#include "files/atomic_file.h"
#include "files/c_format.h"
#include "files/config_file.h"
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
  std::string text;
  if (!readWholeFile(path, text)) return false;
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

// Opens a weights file, saying so when it cannot even be read (the reader
// reports everything else itself).
static bool openWeights(Session& session, const std::filesystem::path& path, Reporter& reporter) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    reportFileMessage(reporter, "Could not read file %s", path.string());
    return false;
  }
  return openWeightsFile(session, path, reporter);
}

bool loadModel(Session& session, const std::filesystem::path& path, Reporter& reporter) {
  const std::string extension = lowerExtension(path);
  if (extension == ".wts" || (extension != ".net" && looksLikeWeights(path)))
    return openWeights(session, path, reporter);
  if (!readNetworkConfig(path, session.config, reporter)) {
    reportFileMessage(reporter, "Could not read file %s", path.string());
    return false;
  }
  session.networkFile = path.string();
  std::filesystem::path weightsPath = session.config.weightsFile();
  if (weightsPath.empty()) {
    reporter.report("Error",
                    formatC("%s names no weights file: train it first.", path.filename().string().c_str()),
                    MessageIcon::Error);
    return false;
  }
  if (weightsPath.is_relative()) weightsPath = path.parent_path() / weightsPath;
  return openWeights(session, weightsPath, reporter);
}

std::string jsonNumber(double value) {
  if (!std::isfinite(value)) return "null";
  char text[32];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  return error == std::errc() ? std::string(text, end) : "null";
}

std::string jsonString(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
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
