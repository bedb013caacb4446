// Test helper: runs a program as a separate process with the given standard
// input, collecting its exit status and both output streams. Optionally
// sends a signal once after a delay, reads standard input from a file or
// writes standard output to one. A process still running after the time
// limit is killed (exit code -1), so a hang fails the test instead of
// stalling it.
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

struct ProcessOptions {
  std::string input;
  std::optional<std::chrono::milliseconds> signalAfter;
  int signal = 2;          // SIGINT
  std::string stdinPath;   // standard input from this file instead of `input`
  std::string stdoutPath;  // standard output into this file instead of `out`
  std::chrono::seconds timeLimit{60};
};

ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options);

inline ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& input = {},
                                std::optional<std::chrono::milliseconds> interruptAfter = std::nullopt) {
  ProcessOptions options;
  options.input = input;
  options.signalAfter = interruptAfter;
  return runProcess(argv, options);
}

}  // namespace nodelyx::testing
