// nodelyx-cli under hostile conditions, one process per case: files that
// must survive a failure, output that cannot be written, signals, special
// files and malformed input. Each table row names its case.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/cli_fixture.h"

namespace nodelyx {
namespace {

namespace fs = std::filesystem;
using testing::ProcessOptions;
using testing::ProcessResult;

class CliHardeningTest : public testing::CliFixture {
 public:
  void SetUp() override {
    dir.write("xor.trn", "[INPUTS] 2\n[OUTPUTS] 1\n0 0 0\n0 1 1\n1 0 1\n1 1 0\n");
    dir.write("xor.net", "[TRAINING] 3\n[EPOCHS] 5000\n[LAYERS] 3\n[HIDDEN1] 3 1\n[TRAININGFILE] xor.trn\n");
    ASSERT_EQ(cli({"train", path("xor.net"), "--seed", "1", "--weights", path("xor.wts")}).exitCode, 0);
  }

  static ProcessOptions input(std::string text) {
    ProcessOptions options;
    options.input = std::move(text);
    return options;
  }
  // Names of the hidden temporary files a save left behind.
  std::vector<std::string> leftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
      if (entry.path().filename().string().starts_with(".")) names.push_back(entry.path().filename());
    return names;
  }
};

struct Case {
  const char* name;
  std::vector<std::string> args;
  int exitCode;
  std::string message;  // part of standard error
};

TEST_F(CliHardeningTest, FailedCommandsLoseNoFile) {
  const std::string trained = read("xor.wts");
  dir.write("cut.wts", trained.substr(0, 200));
  dir.write("typo.wts", "[layres] 3\n" + trained.substr(trained.find('\n') + 1));
  dir.write("kept.out", "previous\n");
  dir.write("three.tst", "[INPUTS] 3\n1 2 3\n");
  dir.write("xor.tst", "[INPUTS] 2\n0 1\n");
  const auto net = [&](const std::string& name, const std::string& extra) {
    dir.write(name, "[TRAINING] 3\n[LAYERS] 3\n[HIDDEN1] 3 1\n[TRAININGFILE] xor.trn\n" + extra);
    return path(name);
  };
  const Case cases[] = {
      {"truncated weights", {"train", net("a.net", "[WEIGHTSFILE] cut.wts\n")}, 1, "cut.wts ends after"},
      {"not a weights file",
       {"train", net("b.net", "[WEIGHTSFILE] typo.wts\n")},
       1,
       "File missing header '[layers] size'"},
      {"missing testing file",
       {"train", net("c.net", "[TESTFILE] gone.tst\n"), "--weights", path("c.wts")},
       1,
       "Could not read file gone.tst\nNo such file or directory"},
      {"destination is a folder",
       {"train", net("d.net", "[WEIGHTSFILE] " + dir.path().string() + "\n")},
       1,
       "Is a directory\nNothing was trained."},
      {"destination folder missing",
       {"train", path("xor.net"), "--weights", path("no/x.wts")},
       1,
       "No such file or directory\nNothing was trained."},
      {"unknown method",
       {"train", net("e.net", "[TRAINING] 0\n"), "--weights", path("e.wts")},
       1,
       "The training method 0 is not one of the six"},
      {"testing data that does not fit",
       {"test", path("xor.wts"), "--data", path("three.tst"), "--output", path("kept.out")},
       1,
       "Number of inputs differs"},
      {"output folder missing",
       {"test", path("xor.wts"), "--data", path("xor.tst"), "--output", path("no/x.out")},
       1,
       "Could not write file x.out\nNo such file or directory"},
  };
  for (const Case& c : cases) {
    const ProcessResult r = cli(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
  }
  EXPECT_EQ(read("cut.wts"), trained.substr(0, 200));
  EXPECT_EQ(read("typo.wts").substr(0, 8), "[layres]");
  EXPECT_EQ(read("kept.out"), "previous\n");
  for (const char* name : {"c.wts", "e.wts", "a.wts"}) EXPECT_FALSE(fs::exists(dir / name)) << name;
  EXPECT_TRUE(leftovers().empty());
}

TEST_F(CliHardeningTest, OutputThatCannotBeWrittenFailsTheCommand) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> commands = {
      {{"config", path("xor.net")}, ""},
      {{"eval", path("xor.wts")}, "0 1\n"},
      {{"history", path("xor.wts")}, ""},
      {{"data", path("xor.trn")}, ""},
      {{"info"}, ""},
      {{"train", path("xor.net"), "--weights", path("t.wts")}, ""},
  };
  for (const auto& [args, text] : commands) {
    ProcessOptions options = input(text);
    options.stdoutPath = "/dev/full";
    const ProcessResult r = cli(args, options);
    EXPECT_EQ(r.exitCode, 1) << args[0] << ": " << r.err;
    EXPECT_NE(r.err.find("could not write the output: No space left on device"), std::string::npos)
        << args[0] << ": " << r.err;
  }
}

TEST_F(CliHardeningTest, SavesFollowLinksAndNeverReplaceSpecialFiles) {
  // A link stays a link; the file it points to receives the text.
  dir.write("real.net", "old\n");
  fs::create_symlink("real.net", dir / "link.net");
  ASSERT_EQ(cli({"config", path("xor.net"), "--output", path("link.net")}).exitCode, 0);
  EXPECT_TRUE(fs::is_symlink(dir / "link.net"));
  EXPECT_NE(read("real.net").find("[TRAINING]"), std::string::npos);

  // A pipe is written into, not replaced. Its reading end is open before
  // the command runs, and the text (far less than a pipe holds) is read
  // after it, so that a regression fails instead of hanging.
  ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
  const int pipe = ::open(path("pipe").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(pipe, 0);
  const ProcessResult r = cli({"config", path("xor.net"), "--output", path("pipe")});
  std::string received;
  char buffer[4096];
  for (ssize_t got; (got = ::read(pipe, buffer, sizeof buffer)) > 0;) received.append(buffer, got);
  ::close(pipe);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(fs::is_fifo(dir / "pipe"));
  EXPECT_NE(received.find("[TRAINING]"), std::string::npos);

  // A folder is no file, and a name near the system's limit still saves.
  EXPECT_EQ(cli({"config", path("xor.net"), "--output", dir.path().string()}).exitCode, 1);
  const std::string longName(250, 'n');
  const ProcessResult saved = cli({"config", path("xor.net"), "--output", path(longName + ".net")});
  EXPECT_EQ(saved.exitCode, 0) << saved.err;
  EXPECT_TRUE(leftovers().empty());
}

TEST_F(CliHardeningTest, TerminationSignalsStopTrainingAndSave) {
  std::string rows = "[INPUTS] 4\n[OUTPUTS] 2\n";
  for (int p = 0; p < 2000; ++p)
    rows += std::to_string(p % 7) + " 1 0.5 " + std::to_string(p % 3) + " 0.2 0.9\n";
  dir.write("big.trn", rows);
  dir.write("big.net",
            "[EPOCHS] 100000000\n[ENFORCE_TRAIN] 0\n[LAYERS] 3\n[HIDDEN1] 30 1\n[TRAININGFILE] big.trn\n");
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    ProcessOptions options;
    options.signalAfter = std::chrono::milliseconds(500);
    options.signal = signal;
    const std::string weights = "big" + std::to_string(signal) + ".wts";
    const ProcessResult r = cli({"train", path("big.net"), "--json", "--weights", path(weights)}, options);
    EXPECT_EQ(r.exitCode, 0) << signal << ": " << r.err;
    EXPECT_NE(r.out.find("\"stopped_by\": \"interrupt\""), std::string::npos) << r.out;
    EXPECT_NE(read(weights).find("*****Nodelyx_Training_History_Follows*****"), std::string::npos);
  }
  EXPECT_TRUE(leftovers().empty());
}

TEST_F(CliHardeningTest, TerminationSignalsAbortScalingWithoutLeftovers) {
  std::string rows;
  rows.reserve(48u << 20);
  for (int p = 0; p < 3'000'000; ++p)
    rows += std::to_string(p % 97) + " 1.5 " + std::to_string(p % 13) + " 0.25\n";
  dir.write("big.dat", rows);
  for (const int signal : {SIGTERM, SIGHUP}) {
    ProcessOptions options;
    options.signalAfter = std::chrono::milliseconds(300);
    options.signal = signal;
    const ProcessResult r =
        cli({"scale", "--action", "ranges", "--in", path("big.dat"), "--out", path("big.out"), "--scale",
             path("big.scl"), "--inputs", "3", "--outputs", "1"},
            options);
    EXPECT_EQ(r.exitCode, 1) << signal << ": " << r.err;
    EXPECT_FALSE(fs::exists(dir / "big.out")) << signal;
    EXPECT_FALSE(fs::exists(dir / "big.scl")) << signal;
    EXPECT_TRUE(leftovers().empty()) << signal;
  }
}

TEST_F(CliHardeningTest, AScaleFileScalesExactlyLikeTheFileItCameFrom) {
  // Six significant digits would make this column's range empty.
  dir.write("near.dat", "1000000.1 0.5\n1000000.25 0.7\n1000000.4 0.9\n");
  const std::vector<std::string> counts = {"--inputs", "1", "--outputs", "1"};
  std::vector<std::string> ranges = {"scale", "--action",    "ranges",  "--in",          path("near.dat"),
                                     "--out", path("a.trn"), "--scale", path("near.scl")};
  std::vector<std::string> again = {"scale", "--action",    "file",    "--in",          path("near.dat"),
                                    "--out", path("b.trn"), "--scale", path("near.scl")};
  ranges.insert(ranges.end(), counts.begin(), counts.end());
  again.insert(again.end(), counts.begin(), counts.end());
  ASSERT_EQ(cli(ranges).exitCode, 0);
  ASSERT_EQ(cli(again).exitCode, 0);
  EXPECT_EQ(read("a.trn"), read("b.trn"));
  EXPECT_NE(read("a.trn").find("0.000000 0.100000 \n0.500000 0.500000 \n1.000000 0.900000"),
            std::string::npos)
      << read("a.trn");
  EXPECT_NE(read("near.scl").find("[NEWOUTPUTRANGE] 0.1 0.9\n"), std::string::npos) << read("near.scl");
}

TEST_F(CliHardeningTest, EvalAnswersEveryLineOrNamesTheOneItCannotRead) {
  struct EvalCase {
    const char* name;
    ProcessOptions options;
    int exitCode;
    std::size_t rows;
    const char* message;
  };
  ProcessOptions fromDirectory, fromZeros;
  fromDirectory.stdinPath = dir.path().string();
  fromZeros.stdinPath = "/dev/zero";
  const EvalCase cases[] = {
      {"separators", input("0 1\n1,1\n\n1;0\r\n0\t0"), 0, 4, ""},
      {"a word", input("0 1\nabc\n0;1\n1 1\n"), 1, 1, "Line 2 of the input: \"abc\" is not a number."},
      {"not finite", input("nan 1\n"), 1, 0, "Line 1 of the input: \"nan\" is not a finite number."},
      {"too few", input("1\n"), 1, 0, "Line 1 of the input holds 1 numbers; the network has 2 inputs."},
      {"a folder", fromDirectory, 1, 0, "Could not read the input: Is a directory"},
      {"endless zeros", fromZeros, 1, 0, "Line 1 of the input is longer than"},
  };
  for (const EvalCase& c : cases) {
    const ProcessResult r = cli({"eval", path("xor.wts")}, c.options);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.name << ": " << r.err;
    EXPECT_EQ(static_cast<std::size_t>(std::count(r.out.begin(), r.out.end(), '\n')), c.rows) << c.name;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
  }
}

TEST_F(CliHardeningTest, RunsThatTrainNothingOrDivergeSaySo) {
  dir.write("again.net",
            "[TRAINING] 3\n[LAYERS] 3\n[HIDDEN1] 3 1\n[TRAININGFILE] xor.trn\n[WEIGHTSFILE] xor.wts\n");
  const std::string history = read("xor.wts").substr(read("xor.wts").find("*****"));
  ProcessResult r = cli({"train", path("again.net"), "--epochs", "1", "--json"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("already reached: nothing was trained"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("\"epochs_run\": 0"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("\"train_rms\": 0,"), std::string::npos) << "measured, not zero: " << r.out;
  EXPECT_EQ(read("xor.wts").substr(read("xor.wts").find("*****")), history) << "no record for no epochs";

  dir.write("diverge.net",
            "[TRAINING] 2\n[GAIN] 1\n[LAYERS] 6\n[HIDDEN1] 8 3\n[HIDDEN2] 8 3\n[HIDDEN3] 8 3\n[HIDDEN4] 8 3\n"
            "[OUTPUT] 3\n[MINWEIGHTS] -3.4e38\n[MAXWEIGHTS] 3.4e38\n[TRAININGFILE] xor.trn\n");
  r = cli({"train", path("diverge.net"), "--seed", "1", "--json", "--weights", path("d.wts")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("\"diverged\": true"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"stopped_by\": \"divergence\""), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("Warning: Training diverged"), std::string::npos) << r.err;
  r = cli({"history", path("d.wts")});
  EXPECT_EQ(r.exitCode, 0) << "what a diverged run wrote reads back: " << r.err;

  dir.write("one.trn", "[INPUTS] 2\n[OUTPUTS] 1\n0 1 1\n");
  dir.write("one.net", "[PLOTMEM] 1\n[EPOCHS] 3\n[LAYERS] 3\n[TRAININGFILE] one.trn\n");
  r = cli({"train", path("one.net"), "--weights", path("one.wts")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("Cross-validation needs at least two training patterns"), std::string::npos) << r.err;
  EXPECT_EQ(r.out.find("inf"), std::string::npos) << r.out;
}

TEST_F(CliHardeningTest, UsageErrorsAndUnreadableFilesGetClearAnswers) {
  const std::string sparse = path("sparse.wts");
  { std::ofstream(sparse) << "[layers] 3\n"; }
  fs::resize_file(sparse, std::uintmax_t{2} << 30);
  dir.write("missing.net", "[LAYERS] 3\n[TRAININGFILE] nowhere.trn\n");
  dir.write("plain.trn", "0 0 0\n0 1 1\n1 0 1\n1 1 0\n");
  dir.write("plain.net", "[LAYERS] 3\n[TRAININGFILE] plain.trn\n");
  const Case cases[] = {
      {"unknown command", {"frobnicate"}, 2, "unknown command 'frobnicate'"},
      {"not a number", {"train", path("xor.net"), "--epochs", "many"}, 2, "--epochs needs a whole number"},
      {"unknown option", {"train", path("xor.net"), "--bogus"}, 2, "unknown option '--bogus'"},
      {"a short option", {"train", "-x", path("xor.net")}, 2, "unknown option '-x'"},
      {"no file name", {"train"}, 2, "missing file name"},
      {"names after --", {"train", "--", "-x.net"}, 1, "Could not read file -x.net"},
      {"an empty value", {"train", path("xor.net"), "--weights", ""}, 2, "option '--weights' needs a value"},
      {"unknown language",
       {"export", path("xor.wts"), "--lang", "cobol", "--output", "x"},
       2,
       "--lang must be c, pascal or matlab"},
      {"missing configuration", {"train", path("none.net")}, 1, "Nodelyx: Could not read file none.net"},
      {"missing training file",
       {"train", path("missing.net")},
       1,
       "Nodelyx: Could not read file nowhere.trn"},
      {"table without counts",
       {"train", path("plain.net")},
       1,
       "Please specify the number of Inputs and Outputs: Please enter the correct number of inputs and "
       "outputs.  The first line of this data file contains a total of 3 values."},
      {"configuration without weights", {"history", path("xor.net")}, 1, "xor.net names no weights file"},
      {"a device as model", {"eval", "/dev/zero"}, 1, "Not a regular file"},
      {"a device as weights", {"history", "/dev/zero"}, 1, "Could not read file zero\nNot a regular file"},
      {"a device as configuration", {"config", "/dev/zero"}, 1, "Not a regular file"},
      {"a huge sparse file", {"export", sparse, "--lang", "c", "--output", "x.c"}, 1, "too large"},
  };
  for (const Case& c : cases) {
    const ProcessResult r = cli(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
  }
  EXPECT_EQ(cli({"train", path("plain.net"), "--inputs", "2", "--outputs", "1", "--quiet"}).exitCode, 0);
  // Names that are not UTF-8 still make valid JSON.
  const ProcessResult r =
      cli({"train", path("xor.net"), "--seed", "1", "--json", "--weights", path("w\xff.wts")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("w\\u00ff.wts\""), std::string::npos) << r.out;
}

}  // namespace
}  // namespace nodelyx
