#include "scaling/scaling_job.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>

#include "files/atomic_file.h"
#include "support/temp_dir.h"

namespace nodelyx {
namespace {

// The numbers of a data file's rows (after its header lines).
std::vector<double> numbers(const std::string& text) {
  std::vector<double> values;
  std::istringstream in(text);
  std::string word;
  while (in >> word)
    if (word[0] != '[' && !word.empty() && (std::isdigit(static_cast<unsigned char>(word.back())) != 0))
      values.push_back(std::stod(word));
  // Drop the header counts.
  const std::size_t headers = static_cast<std::size_t>(std::count(text.begin(), text.end(), '['));
  values.erase(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(headers));
  return values;
}

class ScalingJobTest : public ::testing::Test {
 protected:
  bool run(ScaleAction action, const std::string& in, const std::string& out, const std::string& scale) {
    job.action = action;
    job.inputPath = (dir / in).string();
    job.outputPath = (dir / out).string();
    job.scalePath = (dir / scale).string();
    job.running = 1;
    return runScalingJob(job, callbacks, reporter);
  }
  std::string read(const std::string& name) const {
    std::string text;
    readWholeFile(dir / name, text);
    return text;
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(dir / name); }
  std::size_t fileCount() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
  }

  testing::TempDir dir;
  ScalingJob job;
  ScalingCallbacks callbacks;
  RecordingReporter reporter;
};

TEST_F(ScalingJobTest, ScalesOneColumnFromItsRange) {
  dir.write("a.trn", "0\n5\n10\n");
  job.inputCount = 1;
  job.outputCount = 0;
  job.writeHeader = false;
  ASSERT_TRUE(run(ScaleAction::ScaleFromRanges, "a.trn", "a.out", "a.scl")) << reporter.messages.at(0).text;
  EXPECT_EQ(read("a.out"), "0.000000 \n0.500000 \n1.000000 \n");
  const std::string scale = read("a.scl");
  EXPECT_NE(scale.find("[MINIMUMS] 0 \n[MAXIMUMS] 10 \n"), std::string::npos) << scale;
  EXPECT_EQ(job.running.load(), 0);
}

// Scaling and unscaling with the same scale file gives the original values
// to six decimals, whatever the header.
TEST_F(ScalingJobTest, RoundTripsForEveryHeaderKind) {
  const std::string rows = "1.5 -3 0.25 7\n2 4 0.125 7\n-1 0 1 7\n";
  const std::pair<const char*, std::string> files[] = {
      {"two", "* comment\n[INPUTS] 3\n[OUTPUTS] 1\n" + rows},
      {"one", "[INPUTS] 4\n" + rows},
      {"none", rows},
  };
  for (const auto& [name, text] : files) {
    dir.write("data.trn", text);
    job.inputCount = 3;  // used only without a header
    job.outputCount = 1;
    job.writeHeader = true;
    ASSERT_TRUE(run(ScaleAction::ScaleFromRanges, "data.trn", "scaled.trn", "data.scl")) << name;
    ASSERT_TRUE(run(ScaleAction::UnscaleFromFile, "scaled.trn", "back.trn", "data.scl")) << name;
    // Equal up to the six decimals of the scaled file, stretched by each
    // column's range.
    const std::vector<double> back = numbers(read("back.trn"));
    const std::vector<double> original = {1.5, -3, 0.25, 7, 2, 4, 0.125, 7, -1, 0, 1, 7};
    const double ranges[] = {3, 7, 0.875, 1};
    ASSERT_EQ(back.size(), original.size()) << name;
    for (std::size_t k = 0; k < back.size(); ++k)
      EXPECT_NEAR(back[k], original[k], ranges[k % 4] * 1e-6) << name;
    ASSERT_TRUE(run(ScaleAction::ScaleFromFile, "data.trn", "again.trn", "data.scl")) << name;
    EXPECT_EQ(read("again.trn"), read("scaled.trn")) << name;
  }
  EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(ScalingJobTest, HeaderOfTheOutputFollowsTheInput) {
  dir.write("in.trn", "[INPUTS] 1\n[OUTPUTS] 1\n0 0\n1 4\n");
  job.scaleOutputs = false;
  ASSERT_TRUE(run(ScaleAction::ScaleFromRanges, "in.trn", "out.trn", "in.scl"));
  EXPECT_EQ(read("out.trn"), "[INPUTS] 1\n[OUTPUTS] 1\n0.000000 0.000000 \n1.000000 4.000000 \n")
      << "outputs left alone are only reformatted";
  dir.write("plain.tst", "1 2 3\n");
  job.inputCount = 0;
  job.outputCount = 3;
  ASSERT_TRUE(run(ScaleAction::ScaleFromRanges, "plain.tst", "plain.out", "plain.scl"));
  EXPECT_EQ(read("plain.out").substr(0, 12), "[OUTPUTS] 3\n");
}

TEST_F(ScalingJobTest, WrongScaleFileLeavesNoOutput) {
  dir.write("in.trn", "[INPUTS] 2\n[OUTPUTS] 1\n0 0 0\n1 4 2\n");
  dir.write("other.scl",
            "[INPUTS] 3\n[OUTPUTS] 1\n[MINIMUMS] 0 0 0 0\n[MAXIMUMS] 1 1 1 1\n"
            "[NEWINPUTRANGE] 0 1\n[NEWOUTPUTRANGE] 0 1\n");
  EXPECT_FALSE(run(ScaleAction::UnscaleFromFile, "in.trn", "out.trn", "other.scl"));
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].title, "Error");
  EXPECT_EQ(reporter.messages[0].text, "Invalid Scale File");
  EXPECT_FALSE(exists("out.trn"));
  EXPECT_EQ(fileCount(), 2u) << "no temporary file stays behind";
}

TEST_F(ScalingJobTest, MissingFilesAreEachReported) {
  EXPECT_FALSE(run(ScaleAction::ScaleFromFile, "none.trn", "sub/out.trn", "none.scl"));
  ASSERT_EQ(reporter.messages.size(), 3u);
  EXPECT_EQ(reporter.messages[0].title, "File Error");
  EXPECT_EQ(reporter.messages[0].text, "Could not open file " + (dir / "none.trn").string());
  EXPECT_EQ(reporter.messages[2].text, "Could not open file " + (dir / "none.scl").string());
  EXPECT_EQ(fileCount(), 0u);
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

TEST_F(ScalingJobTest, WordsInTheDataAreRefused) {
  dir.write("bad.trn", "[INPUTS] 1\n[OUTPUTS] 1\n1 2\nthree 4\n");
  EXPECT_FALSE(run(ScaleAction::ScaleFromRanges, "bad.trn", "bad.out", "bad.scl"));
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].text,
            "Unrecognizable file format.\nMake sure the file is saved in MSDOS text file format.");
  EXPECT_FALSE(exists("bad.out"));
}

TEST_F(ScalingJobTest, WorkerRunsOnItsOwnThread) {
  dir.write("a.trn", "[INPUTS] 1\n0\n5\n10\n");
  job.action = ScaleAction::ScaleFromRanges;
  job.inputPath = (dir / "a.trn").string();
  job.outputPath = (dir / "a.out").string();
  job.scalePath = (dir / "a.scl").string();
  std::uint32_t found = 99;
  callbacks.countsFound = [&found](std::uint32_t inputs, std::uint32_t) { found = inputs; };
  ScalingWorker worker(job, callbacks, reporter);
  EXPECT_TRUE(worker.wait());
  EXPECT_EQ(found, 1u);
  EXPECT_EQ(read("a.out"), "[INPUTS] 1\n0.000000 \n0.500000 \n1.000000 \n");
}

}  // namespace
}  // namespace nodelyx
