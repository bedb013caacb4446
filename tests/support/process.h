// Test helper: runs a program as a separate process with the given standard
// input, collecting its exit status and both output streams. Optionally
// sends SIGINT once after a delay.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace nodelyx::testing {

struct ProcessResult {
  int exitCode = -1;  // -1 when the process did not exit normally
  std::string out;
  std::string err;
};

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& input = {},
                         std::optional<std::chrono::milliseconds> interruptAfter = std::nullopt);

}  // namespace nodelyx::testing
