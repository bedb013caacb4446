// What the commands that use a trained model share: their arguments and a
// session that receives the model.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "app/session_files.h"
#include "cli/arguments.h"
#include "cli/cli_reporter.h"
#include "cli/cli_support.h"

namespace nodelyx::cli {

// Parses the arguments of a model command; false with exitCode set when the
// command must end (help shown or a usage error).
inline std::optional<ParsedArguments> parseModelArguments(Arguments args,
                                                          std::span<const KnownOption> options,
                                                          std::string_view command, std::string_view usage,
                                                          int& exitCode) {
  bool help = false;
  auto parsed = parseArguments(args, options, 1, 1, command, usage, help);
  exitCode = help ? kExitOk : kExitUsage;
  return parsed;
}

// A model command after its arguments: the messages, and the session that
// receives the model.
struct ModelCommand {
  explicit ModelCommand(ParsedArguments parsedArguments) : arguments(std::move(parsedArguments)) {
    resetSession(session);
  }
  bool loadModel() { return cli::loadModel(session, arguments.positional[0], reporter); }

  ParsedArguments arguments;
  StderrReporter reporter;
  Session session;
};

}  // namespace nodelyx::cli
