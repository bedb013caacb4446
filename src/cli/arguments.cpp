#include "cli/arguments.h"

#include <charconv>
#include <cstdio>

namespace nodelyx::cli {

std::string ParsedArguments::value(std::string_view name, std::size_t index) const {
  const auto found = options.find(name);
  if (found == options.end() || index >= found->second.size()) return {};
  return found->second[index];
}

void printUsageError(std::string_view command, const std::string& problem, std::string_view usage) {
  std::fprintf(stderr, "nodelyx-cli %.*s: %s\n%.*s", static_cast<int>(command.size()), command.data(),
               problem.c_str(), static_cast<int>(usage.size()), usage.data());
}

std::optional<ParsedArguments> parseArguments(Arguments args, std::span<const KnownOption> known,
                                              std::size_t minPositional, std::size_t maxPositional,
                                              std::string_view command, std::string_view usage,
                                              bool& helpShown) {
  helpShown = false;
  ParsedArguments parsed;
  bool optionsEnded = false;
  for (std::size_t k = 0; k < args.size(); ++k) {
    const std::string_view arg = args[k];
    // "--" ends the options: what follows are names, even "-x".
    if (optionsEnded || arg == "-" || !arg.starts_with("-")) {
      parsed.positional.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      std::fwrite(usage.data(), 1, usage.size(), stdout);
      helpShown = true;
      return std::nullopt;
    }
    const KnownOption* option = nullptr;
    for (const KnownOption& candidate : known)
      if (candidate.name == arg) option = &candidate;
    if (option == nullptr) {
      printUsageError(command, "unknown option '" + std::string(arg) + "'", usage);
      return std::nullopt;
    }
    std::vector<std::string>& values = parsed.options[std::string(arg)];
    if (!option->repeatable) values.clear();
    for (int v = 0; v < option->values; ++v) {
      // An empty value ("--weights \"\"") would silently mean the option
      // was not given.
      if (++k >= args.size() || args[k].empty()) {
        printUsageError(command, "option '" + std::string(arg) + "' needs a value", usage);
        return std::nullopt;
      }
      values.emplace_back(args[k]);
    }
  }
  if (parsed.positional.size() < minPositional || parsed.positional.size() > maxPositional) {
    printUsageError(command,
                    parsed.positional.size() < minPositional ? "missing file name" : "too many file names",
                    usage);
    return std::nullopt;
  }
  return parsed;
}

bool integerOption(const ParsedArguments& parsed, std::string_view name, long long min, long long max,
                   std::string_view command, long long& value, std::size_t index) {
  const std::string text = parsed.value(name, index);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc() && end == text.data() + text.size() && value >= min && value <= max) return true;
  std::fprintf(stderr, "nodelyx-cli %.*s: %.*s needs a whole number from %lld to %lld, not '%s'\n",
               static_cast<int>(command.size()), command.data(), static_cast<int>(name.size()), name.data(),
               min, max, text.c_str());
  return false;
}

}  // namespace nodelyx::cli
