#include "scaling/scaling_job.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include "files/atomic_file.h"
#include "support/temp_dir.h"

namespace nodelyx {
namespace {

const std::string kUnrecognizable =
    "Unrecognizable file format.\nMake sure the file is saved in MSDOS text file format.\n";

// The numbers of a data file's rows (its header lines skipped).
std::vector<double> numbers(const std::string& text) {
  std::vector<double> values;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream row(line[0] == '[' ? "" : line);
    for (double value = 0; row >> value;) values.push_back(value);
  }
  return values;
}

class ScalingJobTest : public ::testing::Test {
 protected:
  bool run(ScaleAction action, const std::string& in, const std::string& out, const std::string& scale) {
    job.action = action;
    job.inputPath = path(in);
    job.outputPath = path(out);
    job.scalePath = path(scale);
    job.running = 1;
    return runScalingJob(job, callbacks, reporter);
  }
  std::string path(const std::string& name) const { return name[0] == '/' ? name : (dir / name).string(); }
  std::string read(const std::string& name) const {
    std::string text;
    readWholeFile(dir / name, text);
    return text;
  }
  std::size_t fileCount() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
  }
  // Every message as "Title: text", one after the other.
  std::string messages() const {
    std::string all;
    for (const Message& m : reporter.messages) all += m.title + ": " + m.text;
    return all;
  }

  testing::TempDir dir;
  ScalingJob job;
  ScalingCallbacks callbacks;
  RecordingReporter reporter;
};

// Scaling and unscaling with the same scale file gives the original values
// to six decimals, whatever the header.
TEST_F(ScalingJobTest, RoundTripsForEveryHeaderKind) {
  const std::string rows = "1.5 -3 0.25 7\n2 4 0.125 7\n-1 0 1 7\n";
  const std::pair<const char*, std::string> files[] = {
      {"two", "* comment\n[INPUTS] 3\n[OUTPUTS] 1\n" + rows},
      {"one", "[INPUTS] 4\n" + rows},
      {"none", rows},
  };
  const std::vector<double> original = {1.5, -3, 0.25, 7, 2, 4, 0.125, 7, -1, 0, 1, 7};
  const double ranges[] = {3, 7, 0.875, 1};  // each column's, which stretches the six decimals
  job.inputCount = 3;                        // used only without a header
  job.outputCount = 1;
  for (const auto& [name, text] : files) {
    dir.write("data.trn", text);
    ASSERT_TRUE(run(ScaleAction::ScaleFromRanges, "data.trn", "scaled.trn", "data.scl")) << name;
    ASSERT_TRUE(run(ScaleAction::UnscaleFromFile, "scaled.trn", "back.trn", "data.scl")) << name;
    const std::vector<double> back = numbers(read("back.trn"));
    ASSERT_EQ(back.size(), original.size()) << name;
    for (std::size_t k = 0; k < back.size(); ++k)
      EXPECT_NEAR(back[k], original[k], ranges[k % 4] * 1e-6) << name;
    ASSERT_TRUE(run(ScaleAction::ScaleFromFile, "data.trn", "again.trn", "data.scl")) << name;
    EXPECT_EQ(read("again.trn"), read("scaled.trn")) << name;
  }
  EXPECT_EQ(messages(), "");
}

// The data reader's layout rules, its refusals and its warning, with the
// job's full paths in the messages.
TEST_F(ScalingJobTest, ReadsDataAsTheDataReaderDoes) {
  struct Case {
    const char* name;
    std::string text;
    std::string message;  // "": none
    const char* out;      // null: refused
  };
  const std::string in = path("in.trn");
  const Case cases[] = {
      {"csv_names_line", "x,y\n0,1\n10,3\n", "", "0.000000 0.100000 \n1.000000 0.900000 \n"},
      {"value_left_over", "0 1\n10 3\n7\n",
       "Warning: " + in + ": 1 value after the last whole pattern is ignored.",
       "0.000000 0.100000 \n1.000000 0.900000 \n"},
      {"inputs_keyword_without_count", "[INPUTS]\n1 2\n",
       "Error: " + kUnrecognizable + in + ", line 1: \"[INPUTS]\" is not a number.", nullptr},
      {"header_count_no_number", "[INPUTS] 1\n[OUTPUTS] one\n1 2\n",
       "Error: " + kUnrecognizable + in + ", line 2: \"one\" is not a number.", nullptr},
      {"word_among_the_data", "[INPUTS] 1\n[OUTPUTS] 1\n1 2\nthree 4\n",
       "Error: " + kUnrecognizable + in + ", line 4: \"three\" is not a number.", nullptr},
      {"bad_number", "1 2\n3 4.4.\n",
       "Error: " + kUnrecognizable + in + ", line 2: \"4.4.\" is not a number.", nullptr},
  };
  job.inputCount = 1;  // used only without a header
  job.outputCount = 1;
  job.writeHeader = false;
  for (const Case& c : cases) {
    reporter.messages.clear();
    dir.write("in.trn", c.text);
    EXPECT_EQ(run(ScaleAction::ScaleFromRanges, "in.trn", "out.trn", "in.scl"), c.out != nullptr) << c.name;
    EXPECT_EQ(messages(), c.message) << c.name;
    EXPECT_EQ(read("out.trn"), c.out ? c.out : "") << c.name;
    std::filesystem::remove(dir / "out.trn");
  }
}

TEST_F(ScalingJobTest, ScaleFileForOtherColumnsLeavesNoOutput) {
  dir.write("in.trn", "[INPUTS] 2\n[OUTPUTS] 1\n0 0 0\n1 4 2\n");
  dir.write("other.scl",
            "[INPUTS] 3\n[OUTPUTS] 1\n[MINIMUMS] 0 0 0 0\n[MAXIMUMS] 1 1 1 1\n"
            "[NEWINPUTRANGE] 0 1\n[NEWOUTPUTRANGE] 0 1\n");
  EXPECT_FALSE(run(ScaleAction::UnscaleFromFile, "in.trn", "out.trn", "other.scl"));
  EXPECT_EQ(messages(), "Error: Invalid Scale File\nThe scale file is for 3 input columns, the data has 2.");
  EXPECT_EQ(fileCount(), 2u) << "neither the output nor a temporary file stays behind";
}

TEST_F(ScalingJobTest, FilesThatCannotBeReadAreEachReported) {
  ASSERT_EQ(::mkfifo(path("fifo.scl").c_str(), 0600), 0);
  EXPECT_FALSE(run(ScaleAction::ScaleFromFile, "none.trn", "sub/out.trn", "none.scl"));
  EXPECT_EQ(messages(), "File Error: Could not open file " + path("none.trn") +
                            "File Error: Could not open file " + path("sub/out.trn") +
                            "File Error: Could not open file " + path("none.scl"));
  reporter.messages.clear();
  EXPECT_FALSE(run(ScaleAction::ScaleFromFile, "/dev/zero", "out.trn", "fifo.scl"));
  EXPECT_EQ(messages(),
            "File Error: Could not open file /dev/zero\nIt is not a regular file.File Error: "
            "Could not open file " +
                path("fifo.scl") + "\nIt is not a regular file.");
  EXPECT_EQ(fileCount(), 1u);
}

TEST_F(ScalingJobTest, AbortLeavesEverythingAsItWas) {
  std::string rows = "[INPUTS] 2\n[OUTPUTS] 1\n";
  for (int p = 0; p < 5000; ++p) rows += std::to_string(p) + " 1 2\n";
  dir.write("big.trn", rows);
  dir.write("big.out", "previous output\n");
  dir.write("big.scl", "previous scale\n");
  callbacks.progress = [this](int percent) {
    if (percent >= 40) job.running = 0;  // Abort during the pass over the ranges
  };
  EXPECT_FALSE(run(ScaleAction::ScaleFromRanges, "big.trn", "big.out", "big.scl"));
  EXPECT_TRUE(reporter.messages.empty());
  EXPECT_EQ(read("big.out"), "previous output\n");
  EXPECT_EQ(read("big.scl"), "previous scale\n");
  EXPECT_EQ(fileCount(), 3u);
}

TEST_F(ScalingJobTest, WorkerRunsOnItsOwnThread) {
  dir.write("a.trn", "[INPUTS] 1\n[OUTPUTS] 1\n0 0\n5 2\n10 4\n");
  job.action = ScaleAction::ScaleFromRanges;
  job.inputPath = path("a.trn");
  job.outputPath = path("a.out");
  job.scalePath = path("a.scl");
  job.scaleOutputs = false;
  std::uint32_t found = 99;
  callbacks.countsFound = [&found](std::uint32_t inputs, std::uint32_t outputs) {
    found = inputs * 10 + outputs;
  };
  ScalingWorker worker(job, callbacks, reporter);
  EXPECT_TRUE(worker.wait());
  EXPECT_EQ(job.running.load(), 0);
  EXPECT_EQ(found, 11u);
  EXPECT_EQ(read("a.out"),
            "[INPUTS] 1\n[OUTPUTS] 1\n0.000000 0.000000 \n0.500000 2.000000 \n1.000000 4.000000 \n")
      << "outputs left alone are only reformatted";
  EXPECT_NE(read("a.scl").find("[MINIMUMS] 0 0 \n[MAXIMUMS] 10 4 \n"), std::string::npos);
}

}  // namespace
}  // namespace nodelyx
