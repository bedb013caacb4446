// nodelyx-cli driven as a user drives it: one process per case, checking
// the exit status, the messages and the files left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>

#include "support/cli_fixture.h"

namespace nodelyx {
namespace {

using testing::ProcessResult;

class CliTest : public testing::CliFixture {
 public:
  void SetUp() override {
    dir.write("xor.trn", "[INPUTS] 2\n[OUTPUTS] 1\n0 0 0\n0 1 1\n1 0 1\n1 1 0\n");
    dir.write("xor.tst", "[INPUTS] 2\n[OUTPUTS] 1\n0 0 0\n0 1 1\n1 0 1\n1 1 0\n");
    dir.write("xor.net",
              "[TRAINING] 3\n[EPOCHS] 5000\n[PERCENT_CORRECT] 100\n[LAYERS] 3\n[HIDDEN1] 3 1\n"
              "[TRAININGFILE] xor.trn\n[TESTFILE] xor.tst\n");
  }
};

TEST_F(CliTest, TrainsTestsExportsAndEvaluatesXor) {
  ProcessResult r = cli({"train", path("xor.net"), "--seed", "1", "--json", "--weights", path("xor.wts")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("\"train_correct\": 4"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"stopped_by\": \"training percent correct\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"test_percent_correct\": 100"), std::string::npos) << r.out;
  EXPECT_TRUE(r.err.empty()) << "no progress lines without a terminal: " << r.err;

  r = cli({"test", path("xor.wts"), "--data", path("xor.tst"), "--output", path("xor.out"), "--headers",
           "--targets"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string output = read("xor.out");
  EXPECT_EQ(output.substr(0, 25), "     Output1     Target1\n");
  EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 5);

  r = cli({"eval", path("xor.wts")}, "0 1\n1, 1\n\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::istringstream rows(r.out);
  double first = 0, second = 0;
  rows >> first >> second;
  EXPECT_GT(first, 0.8);
  EXPECT_LT(second, 0.2);

  r = cli({"history", path("xor.wts")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("Train_algorithm          Rprop"), std::string::npos);

  r = cli({"export", path("xor.wts"), "--lang", "c", "--output", path("xor.c")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(read("xor.c").find("int eval_net("), std::string::npos);
}

TEST_F(CliTest, SameSeedSameWeights) {
  ASSERT_EQ(cli({"train", path("xor.net"), "--seed", "7", "--weights", path("a.wts")}).exitCode, 0);
  ASSERT_EQ(cli({"train", path("xor.net"), "--seed", "7", "--weights", path("b.wts")}).exitCode, 0);
  const std::regex date("\\*\\*\\* [^\\n]*");
  const std::string a = read("a.wts"), b = read("b.wts");
  EXPECT_FALSE(a.empty());
  EXPECT_EQ(std::regex_replace(a, date, "***"), std::regex_replace(b, date, "***"));
}

TEST_F(CliTest, DataAndConfigDescribeFiles) {
  ProcessResult r = cli({"data", path("xor.trn"), "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"patterns\": 4, \"inputs\": 2, \"outputs\": 1, \"columns\": [{\"min\": 0, \"max\": 1}, "
            "{\"min\": 0, \"max\": 1}, {\"min\": 0, \"max\": 1}]}\n");
  dir.write("inputs.tst", "[INPUTS] 2\n1 2 3 4\n");
  r = cli({"data", path("inputs.tst")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("2 patterns, 2 inputs, 0 outputs"), std::string::npos) << r.out;
  r = cli({"config", path("xor.net")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("[TRAINING]                  3       %training method\n"), std::string::npos);
  r = cli({"--version"});
  EXPECT_EQ(r.out, "Nodelyx 2.20\n");
  r = cli({"info"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, 14), "Nodelyx V2.20\n");
  for (const char* label : {"Processor:", "Total memory:", "Free memory:", "Operating System:"})
    EXPECT_NE(r.out.find(label), std::string::npos) << r.out;
}

}  // namespace
}  // namespace nodelyx
