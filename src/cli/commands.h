// The commands of nodelyx-cli. Each takes the arguments after its name and
// returns the process exit code (0 success, 1 failure, 2 usage error).
#pragma once

#include <span>
#include <string_view>

namespace nodelyx::cli {

using Arguments = std::span<const std::string_view>;

int runConfigCommand(Arguments args);

}  // namespace nodelyx::cli
