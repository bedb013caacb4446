// Command-line arguments of one nodelyx-cli command: positional names and
// "--name" options, some of which take a value. Usage errors are printed
// here; the caller exits with status 2.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nodelyx::cli {

using Arguments = std::span<const std::string_view>;

struct KnownOption {
  std::string_view name;    // with its dashes, e.g. "--epochs"
  int values;               // how many values follow it (0, 1 or 2)
  bool repeatable = false;  // each use adds its values; otherwise the last use counts
};

class ParsedArguments {
 public:
  std::vector<std::string> positional;
  std::map<std::string, std::vector<std::string>, std::less<>> options;

  bool has(std::string_view name) const { return options.find(name) != options.end(); }
  // The option's first (or index-th) value; empty when absent. A
  // repeatable option keeps the values of every use, in order.
  std::string value(std::string_view name, std::size_t index = 0) const;
};

// Parses args against the known options. On "--help" prints usage to standard
// output and sets helpShown. On an unknown option, a missing value or a
// wrong number of positional names, prints the problem and usage to
// standard error and returns nullopt.
std::optional<ParsedArguments> parseArguments(Arguments args, std::span<const KnownOption> known,
                                              std::size_t minPositional, std::size_t maxPositional,
                                              std::string_view command, std::string_view usage,
                                              bool& helpShown);

// Reads an integer option in [min, max]; prints a usage error (and returns
// false) for anything else.
bool integerOption(const ParsedArguments& parsed, std::string_view name, long long min, long long max,
                   std::string_view command, long long& value, std::size_t index = 0);

void printUsageError(std::string_view command, const std::string& problem, std::string_view usage);

}  // namespace nodelyx::cli
