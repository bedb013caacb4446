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
  EXPECT_EQ(cli({"eval", path("xor.wts")}, "1 2 3\n").exitCode, 1);

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

TEST_F(CliTest, FailuresGiveMessagesAndStatus) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* message;
  };
  dir.write("missing.net", "[LAYERS] 3\n[TRAININGFILE] nowhere.trn\n");
  dir.write("plain.trn", "0 0 0\n0 1 1\n1 0 1\n1 1 0\n");
  dir.write("plain.net", "[LAYERS] 3\n[TRAININGFILE] plain.trn\n");
  const Case cases[] = {
      {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
      {{"train", path("xor.net"), "--epochs", "many"}, 2, "--epochs needs a whole number"},
      {{"train", path("xor.net"), "--bogus"}, 2, "unknown option '--bogus'"},
      {{"train"}, 2, "missing file name"},
      {{"export", path("xor.net"), "--lang", "cobol", "--output", "x"},
       2,
       "--lang must be c, pascal or matlab"},
      {{"train", path("missing.net")}, 1, "Nodelyx: Could not read file nowhere.trn"},
      {{"train", path("none.net")}, 1, "Nodelyx: Could not read file none.net"},
      {{"train", path("plain.net")},
       1,
       "Please specify the number of Inputs and Outputs: Please enter the correct number of inputs and "
       "outputs.  "
       "The first line of this data file contains a total of 3 values."},
      {{"history", path("xor.net")}, 1, "xor.net names no weights file"},
  };
  for (const Case& c : cases) {
    const ProcessResult r = cli(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args[0] << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  const ProcessResult r = cli({"train", path("plain.net"), "--inputs", "2", "--outputs", "1", "--quiet"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
}

TEST_F(CliTest, NothingIsHalfWritten) {
  ASSERT_EQ(cli({"train", path("xor.net"), "--seed", "1", "--weights", path("xor.wts")}).exitCode, 0);
  const ProcessResult r =
      cli({"test", path("xor.wts"), "--data", path("xor.tst"), "--output", path("no/such/dir/x.out")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("Could not write file x.out"), std::string::npos) << r.err;
  dir.write("kept.out", "previous\n");
  dir.write("bad.tst", "[INPUTS] 3\n1 2 3\n");
  EXPECT_EQ(cli({"test", path("xor.wts"), "--data", path("bad.tst"), "--output", path("kept.out")}).exitCode,
            1);
  EXPECT_EQ(read("kept.out"), "previous\n");
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

TEST_F(CliTest, ScalesAndUnscalesThroughAScaleFile) {
  dir.write("plain.dat", "0 1\n5 2\n10 3\n");
  ProcessResult r =
      cli({"scale", "--action", "ranges", "--in", path("plain.dat"), "--out", path("scaled.trn"), "--scale",
           path("plain.scl"), "--inputs", "1", "--outputs", "1", "--output-range", "-1", "1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(read("scaled.trn"),
            "[INPUTS] 1\n[OUTPUTS] 1\n0.000000 -1.000000 \n0.500000 0.000000 \n1.000000 1.000000 \n");
  r = cli({"scale", "--action", "unscale", "--in", path("scaled.trn"), "--out", path("back.trn"), "--scale",
           path("plain.scl"), "--no-header"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(read("back.trn"), "0.000000 1.000000 \n5.000000 2.000000 \n10.000000 3.000000 \n");
  r = cli({"scale", "--action", "stretch", "--in", "a", "--out", "b", "--scale", "c"});
  EXPECT_EQ(r.exitCode, 2);
  r = cli({"scale", "--action", "file", "--in", path("plain.dat"), "--out", path("x.trn"), "--scale",
           path("none.scl"), "--inputs", "1", "--outputs", "1"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("File Error: Could not open file"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace nodelyx
