// Test helper: nodelyx-cli run as a user runs it, one process per call, in a
// folder of the test's own. Each run has the process helper's time limit,
// so a command that hangs fails its case instead of stalling the suite.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/atomic_file.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace nodelyx::testing {

class CliFixture : public ::testing::Test {
 public:
  ProcessResult cli(std::vector<std::string> args, const ProcessOptions& options = {}) const {
    args.insert(args.begin(), NODELYX_CLI_PATH);
    return runProcess(args, options);
  }
  ProcessResult cli(std::vector<std::string> args, const std::string& input) const {
    ProcessOptions options;
    options.input = input;
    return cli(std::move(args), options);
  }
  std::string path(const std::string& name) const { return (dir / name).string(); }
  // The file's text; empty when it cannot be read.
  std::string read(const std::string& name) const {
    std::string text;
    readWholeFile(dir / name, text);
    return text;
  }

  // Standard error is empty when `part` is, else holds it.
  static void expectErrors(const ProcessResult& result, const std::string& part, const std::string& name) {
    if (part.empty())
      EXPECT_EQ(result.err, "") << name;
    else
      EXPECT_NE(result.err.find(part), std::string::npos) << name << ": " << result.err;
  }

  TempDir dir;
};

}  // namespace nodelyx::testing
