// nodelyx-cli for experiments, run as a user runs it: how a run starts,
// settings from the command line, the learning curve, classification
// figures and repeated runs, on the three-class example.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/cli_fixture.h"

namespace nodelyx {
namespace {

using testing::ProcessResult;

class CliExperimentTest : public testing::CliFixture {
 public:
  void SetUp() override {
    for (const char* name : {"classes.net", "classes.trn", "classes.tst"})
      std::filesystem::copy_file(std::filesystem::path(NODELYX_EXAMPLES_DIR) / name, dir / name);
  }
  // The weights of a weights file, without its history (whose dates differ).
  std::string weightsOf(const std::string& name) const {
    const std::string text = read(name);
    return text.substr(0, text.find("*****"));
  }
  std::vector<std::string> lines(const std::string& name) const {
    std::istringstream in(read(name));
    std::vector<std::string> result;
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
  }
  ProcessResult train(std::vector<std::string> options) const {
    options.insert(options.begin(), {"train", path("classes.net"), "--quiet"});
    return cli(options);
  }
};

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(CliExperimentTest, EachRunSaysHowItStarted) {
  dir.write("continue.net", read("classes.net") + "[WEIGHTSFILE] w.wts\n");
  const auto trainContinued = [&](std::vector<std::string> options) {
    options.insert(options.begin(), {"train", path("continue.net"), "--quiet"});
    return cli(options);
  };
  ProcessResult r = trainContinued({"--seed", "5", "--epochs", "10"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, 27), "Start: new network, seed 5\n") << "no weights file yet";

  r = trainContinued({"--epochs", "25"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(contains(r.out, "Start: continuing from w.wts after 10 epochs\nEpoch 25 (15 this run"))
      << r.out;

  r = trainContinued({"--seed", "5"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(contains(r.err, "continue.net continues from its weights file w.wts (25 epochs), but --seed"))
      << r.err;
  r = trainContinued({"--repeat", "2"});
  EXPECT_EQ(r.exitCode, 2) << "repeats start new networks too";

  const std::string before = read("w.wts");
  r = trainContinued({"--seed", "5", "--fresh", "--epochs", "10", "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(contains(r.out, "{\"start\": \"new network, seed 5\", \"seed\": 5, \"continued_from\": null"))
      << r.out;
  EXPECT_TRUE(contains(r.out, "\"epochs\": 10,")) << r.out;
  EXPECT_NE(read("w.wts"), before) << "--fresh still saves under the configuration's name";

  r = trainContinued({"--epochs", "10", "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(contains(r.out, "\"continued_from\": \"" + path("w.wts") + "\", \"epochs_before\": 10"))
      << r.out;
  EXPECT_TRUE(contains(r.err, "The epoch limit of 10 was already reached")) << r.err;
}

TEST_F(CliExperimentTest, SettingsFromTheCommandLine) {
  // The short forms give the same run as the keys they stand for.
  ASSERT_EQ(train({"--seed", "3", "--epochs", "30", "--method", "batch", "--rate", "0.4", "--weights",
                   path("short.wts")})
                .exitCode,
            0);
  ASSERT_EQ(train({"--seed", "3", "--epochs", "30", "--set", "TRAINING=2", "--set", "gain=0.4", "--weights",
                   path("long.wts")})
                .exitCode,
            0);
  EXPECT_EQ(weightsOf("short.wts"), weightsOf("long.wts"));
  EXPECT_NE(read("long.wts").find("Train_algorithm          Batch"), std::string::npos);

  ProcessResult r =
      train({"--seed", "3", "--epochs", "5", "--set", "HIDDEN1=4 2", "--weights", path("t.wts")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(contains(read("t.wts"), "[layersizes] 2 4 3\n[layertypes] 2 1\n")) << read("t.wts");

  struct Case {
    const char* name;
    std::vector<std::string> options;
    int exitCode;
    const char* err;
  };
  const Case cases[] = {
      {"not a number", {"--set", "GAIN=fast"}, 2, "--set GAIN=fast contains an invalid value for [GAIN]"},
      {"unknown key", {"--set", "SPEED=3"}, 2, "[SPEED] is not a configuration key"},
      {"no value", {"--set", "GAIN="}, 2, "give KEY=VALUE"},
      {"out of range", {"--set", "LAYERS=9"}, 2, "hidden layers must be between 0 and 5"},
      {"unknown method", {"--method", "adam"}, 2, "unknown method 'adam'"},
      {"weight limits checked together",
       {"--set", "MINWEIGHTS=5", "--set", "MAXWEIGHTS=1"},
       1,
       "the minimum weight 5 ([MINWEIGHTS], line 1) is above the maximum weight 1"},
      {"both scaling options", {"--no-scaling", "--scaling", "auto"}, 2, "exclude each other"},
      {"another scaling mode", {"--scaling", "manual"}, 2, "--scaling must be auto or off"},
  };
  for (const Case& c : cases) {
    r = train(c.options);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.name;
    EXPECT_TRUE(contains(r.err, c.err)) << c.name << ": " << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "classes.wts")) << c.name;
  }
}

TEST_F(CliExperimentTest, ScalingCanBeLeftToTheData) {
  ASSERT_EQ(train({"--seed", "1", "--epochs", "5", "--no-scaling", "--weights", path("off.wts")}).exitCode,
            0);
  ASSERT_EQ(
      train({"--seed", "1", "--epochs", "5", "--scaling", "auto", "--weights", path("auto.wts")}).exitCode,
      0);
  EXPECT_FALSE(contains(read("off.wts"), "[FromMin]"));
  EXPECT_TRUE(contains(read("auto.wts"), "[FromMin]"));
  EXPECT_NE(weightsOf("off.wts").substr(weightsOf("off.wts").find("[Weights]")),
            weightsOf("auto.wts").substr(weightsOf("auto.wts").find("[Weights]")));
}

TEST_F(CliExperimentTest, TheLearningCurveIsWrittenAsTheRunGoes) {
  ProcessResult r = train({"--seed", "2", "--epochs", "12", "--curve", path("c.csv"), "--curve-every", "5"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::vector<std::string> rows = lines("c.csv");
  ASSERT_EQ(rows.size(), 4u) << read("c.csv");
  EXPECT_EQ(rows[0],
            "epoch,train_rms,train_max_rms,train_max_error,train_percent_correct,test_rms,xval_rms,seconds");
  EXPECT_EQ(rows[1].substr(0, 2), "5,");
  EXPECT_EQ(rows[3].substr(0, 3), "12,") << "the last epoch always has a row";
  EXPECT_EQ(std::count(rows[1].begin(), rows[1].end(), ','), 7);
  EXPECT_TRUE(contains(rows[1], ",,")) << "no cross-validation: its column stays empty";

  // Ctrl-C ends the run after an epoch; the rows so far are there.
  testing::ProcessOptions options;
  options.signalAfter = std::chrono::milliseconds(700);
  r = cli({"train", path("classes.net"), "--quiet", "--seed", "2", "--set", "ENFORCE_TRAIN=0", "--epochs",
           "2000000000", "--curve", path("long.csv")},
          options);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  rows = lines("long.csv");
  ASSERT_GT(rows.size(), 10u);
  EXPECT_TRUE(contains(r.out, "stopped by interrupt")) << r.out;
  const std::string lastEpoch = rows.back().substr(0, rows.back().find(','));
  EXPECT_TRUE(contains(r.out, "Epoch " + lastEpoch + " (")) << lastEpoch << "\n" << r.out;
}

TEST_F(CliExperimentTest, ClassificationFigures) {
  ProcessResult r = train({"--seed", "4", "--json", "--weights", path("m.wts")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(contains(r.out, "\"train_accuracy\": 99.66666666666667")) << r.out;
  EXPECT_TRUE(contains(r.out, "\"test_accuracy\": 99.33333333333333")) << r.out;

  r = cli({"test", path("m.wts"), "--data", path("classes.tst"), "--confusion"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(contains(r.out,
                       "(rows: actual class, columns: predicted class)\n"
                       "             1       2       3\n"
                       "1           50       0       0\n"))
      << r.out;
  EXPECT_TRUE(contains(r.out, "Accuracy 99.33 % (149 of 150)")) << r.out;
  EXPECT_TRUE(contains(r.out, "Class   Precision     Recall\n1           100 %      100 %\n")) << r.out;

  // Targets that are no one-hot code have no classes.
  dir.write("levels.tst", "[INPUTS] 2\n[OUTPUTS] 3\n0 0 0.5 0 0\n1 1 1 1 0\n");
  r = cli({"test", path("m.wts"), "--data", path("levels.tst"), "--confusion"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(contains(r.err, "levels.tst has no one-hot targets")) << r.err;
}

TEST_F(CliExperimentTest, RepeatedRunsAreTheSingleRunsOfTheirSeeds) {
  ProcessResult r = train(
      {"--seed", "10", "--repeat", "3", "--jobs", "2", "--weights", path("r.wts"), "--curve", path("r.csv")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* line :
       {"Run 1 (new network, seed 10, r-1.wts): Epoch", "Run 3 (new network, seed 12, r-3.wts)",
        "3 runs                       mean      std dev         best        worst\n", "training RMS",
        "testing accuracy %", "epochs"})
    EXPECT_TRUE(contains(r.out, line)) << line << "\n" << r.out;
  for (int k = 1; k <= 3; ++k) {
    const std::string single = "s" + std::to_string(k) + ".wts";
    ASSERT_EQ(train({"--seed", std::to_string(9 + k), "--weights", path(single)}).exitCode, 0);
    EXPECT_EQ(weightsOf("r-" + std::to_string(k) + ".wts"), weightsOf(single)) << k;
    EXPECT_GT(lines("r-" + std::to_string(k) + ".csv").size(), 2u) << k;
  }

  r = train({"--seed", "10", "--repeat", "2", "--json", "--weights", path("j.wts")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, 22), "{\"runs\": [{\"start\": \"n") << r.out;
  EXPECT_TRUE(contains(r.out, "], \"summary\": {\"train_rms\": {\"mean\": ")) << r.out;
  EXPECT_TRUE(contains(r.out, "\"seconds\": {\"mean\": ")) << r.out;
}

// Other tools' data files train and test through the same reader as
// `convert`: a FANN-style training file, and a CSV with a class column
// that gives the same confusion matrix as the native testing file.
TEST_F(CliExperimentTest, TrainsAndTestsOnOtherToolsFiles) {
  dir.write("xor.data", "4 2 1\n0 0\n0\n0 1\n1\n1 0\n1\n1 1\n0\n");
  dir.write("xor.net", "[TRAINING] 3\n[LAYERS] 3\n[HIDDEN1] 3 1\n[TRAININGFILE] xor.data\n");
  ProcessResult r = cli({"train", path("xor.net"), "--format", "fann", "--seed", "1", "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(contains(r.out, "\"train_correct\": 4")) << r.out;

  ASSERT_EQ(train({"--seed", "4", "--weights", path("m.wts")}).exitCode, 0);
  std::istringstream native(read("classes.tst"));
  std::string csv = "x,y,class\n";
  for (std::string line; std::getline(native, line);) {
    double x = 0, y = 0, a = 0, b = 0, c = 0;
    if (std::sscanf(line.c_str(), "%lf %lf %lf %lf %lf", &x, &y, &a, &b, &c) == 5)
      csv += line.substr(0, line.find(' ', line.find(' ') + 1)) + "," +
             (a == 1   ? "a"
              : b == 1 ? "b"
                       : "c") +
             "\n";
  }
  std::replace(csv.begin(), csv.end(), ' ', ',');
  dir.write("classes.csv", csv);
  r = cli({"test", path("m.wts"), "--data", path("classes.csv"), "--format", "csv", "--one-hot", "class",
           "--confusion"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const ProcessResult expected = cli({"test", path("m.wts"), "--data", path("classes.tst"), "--confusion"});
  EXPECT_EQ(r.out.substr(r.out.find("\n")), expected.out.substr(expected.out.find("\n")));
}

}  // namespace
}  // namespace nodelyx
