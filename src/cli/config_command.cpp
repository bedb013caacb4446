// nodelyx-cli config IN.net [--output OUT.net]: reads a configuration over
// the panel defaults and writes it back as the desktop program saves it.
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/session_files.h"
#include "cli/cli_reporter.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "files/config_file.h"

namespace nodelyx::cli {
namespace {

constexpr std::string_view kUsage =
    "Usage: nodelyx-cli config IN.net [--output OUT.net]\n"
    "Reads a network configuration over the defaults of a new network and writes\n"
    "it back in the program's own layout: to OUT.net, or to standard output.\n";

constexpr KnownOption kOptions[] = {{"--output", 1}};

}  // namespace

int runConfigCommand(Arguments args) {
  bool help = false;
  const auto parsed = parseArguments(args, kOptions, 1, 1, "config", kUsage, help);
  if (!parsed) return help ? kExitOk : kExitUsage;
  const std::string input = parsed->positional[0];
  const std::string output = parsed->value("--output");
  StderrReporter reporter;
  NetworkConfig config;
  applyPanelDefaults(config);
  std::string reason;
  if (!readNetworkConfig(input, config, reporter, &reason)) {
    reportFileMessage(reporter, "Could not read file %s", input, reason);
    return kExitFailure;
  }
  if (output.empty()) {
    std::fputs(formatNetworkConfig(config, "").c_str(), stdout);
    return kExitOk;
  }
  if (!writeNetworkConfig(config, output, &reason)) {
    reportFileMessage(reporter, "Could not write file %s", output, reason);
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace nodelyx::cli
