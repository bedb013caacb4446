// nodelyx-cli config IN.net [--output OUT.net]: reads a configuration over
// the panel defaults and writes it back as the desktop program saves it.
#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/cli_reporter.h"
#include "cli/commands.h"
#include "files/config_file.h"

namespace nodelyx::cli {
namespace {

constexpr const char* kUsage =
    "Usage: nodelyx-cli config IN.net [--output OUT.net]\n"
    "Reads a network configuration over the defaults of a new network and writes\n"
    "it back in the program's own layout: to OUT.net, or to standard output.\n";

}  // namespace

int runConfigCommand(Arguments args) {
  std::string input, output;
  for (std::size_t k = 0; k < args.size(); ++k) {
    if (args[k] == "--help" || args[k] == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (args[k] == "--output" && k + 1 < args.size()) {
      output = args[++k];
    } else if (input.empty() && !args[k].starts_with("--")) {
      input = args[k];
    } else {
      std::fprintf(stderr, "nodelyx-cli config: unexpected argument '%.*s'\n%s",
                   static_cast<int>(args[k].size()), args[k].data(), kUsage);
      return 2;
    }
  }
  if (input.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  StderrReporter reporter;
  NetworkConfig config;
  applyPanelDefaults(config);
  if (!readNetworkConfig(input, config, reporter)) {
    if (reporter.count() == 0)
      reporter.report(
          "Error",
          "Could not read network configuration file " + std::filesystem::path(input).filename().string(),
          MessageIcon::Error);
    return 1;
  }
  if (output.empty()) {
    std::fputs(formatNetworkConfig(config, "").c_str(), stdout);
    return 0;
  }
  if (!writeNetworkConfig(config, output)) {
    reporter.report("Nodelyx", "Could not write file " + output, MessageIcon::Error);
    return 1;
  }
  return 0;
}

}  // namespace nodelyx::cli
