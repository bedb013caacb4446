// nodelyx-cli: the desktop program's work without a window, on the same core
// and with the same files, messages and results.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "nodelyx/version.h"

namespace {

struct Command {
  std::string_view name;
  int (*run)(nodelyx::cli::Arguments);
  std::string_view summary;
};

constexpr Command kCommands[] = {
    {"train", nodelyx::cli::runTrainCommand, "train the network of a configuration and save its weights"},
    {"test", nodelyx::cli::runTestCommand, "write a model's outputs for a testing file"},
    {"export", nodelyx::cli::runExportCommand, "write a model as C, Pascal or Matlab code"},
    {"eval", nodelyx::cli::runEvalCommand, "evaluate a model on input rows from standard input"},
    {"history", nodelyx::cli::runHistoryCommand, "print the training history of a model's weights"},
    {"data", nodelyx::cli::runDataCommand, "describe a training or testing data file"},
    {"convert", nodelyx::cli::runConvertCommand, "rewrite a CSV or other data file as a Nodelyx data file"},
    {"config", nodelyx::cli::runConfigCommand, "read a configuration over the defaults and write it back"},
    {"scale", nodelyx::cli::runScaleCommand, "scale or unscale a data file through a scale file"},
    {"info", nodelyx::cli::runInfoCommand, "product, version, processor, memory and operating system"},
};

void printHelp() {
  std::printf("Usage: nodelyx-cli COMMAND [ARGS...]\n\nCommands:\n");
  for (const Command& command : kCommands)
    std::printf("  %-10.*s %.*s\n", static_cast<int>(command.name.size()), command.name.data(),
                static_cast<int>(command.summary.size()), command.summary.data());
  std::printf("\n'nodelyx-cli COMMAND --help' describes a command.\n");
}

int runCommand(const std::vector<std::string_view>& args) {
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    printHelp();
    return args.empty() ? 2 : 0;
  }
  if (args[0] == "--version") {
    std::printf("%s %s\n", nodelyx::kProductName, nodelyx::kVersionText);
    return 0;
  }
  for (const Command& command : kCommands)
    if (command.name == args[0]) return command.run(std::span(args).subspan(1));
  std::fprintf(stderr, "nodelyx-cli: unknown command '%.*s'\n", static_cast<int>(args[0].size()),
               args[0].data());
  printHelp();
  return 2;
}

// Results that never reached standard output (a full disk, /dev/full, a
// closed pipe) are a failure: the buffered text is flushed and the stream
// closed before the exit status is decided.
int finishStandardOutput(int status) {
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
  int error = errno;
  const bool closed = std::fclose(stdout) == 0;
  if (flushed && closed) return status;
  if (flushed) error = errno;
  std::fprintf(stderr, "nodelyx-cli: could not write the output: %s\n",
               error != 0 ? std::strerror(error) : "write error");
  return status == 0 ? 1 : status;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  return finishStandardOutput(runCommand(args));
}
