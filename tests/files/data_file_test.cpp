#include "files/data_file.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "files/data_read_job.h"
#include "support/temp_dir.h"

namespace nodelyx {
namespace {

// Reads text as a data file of the given kind; answers the inputs/outputs
// question from `answers` (cancelling when they run out).
class DataFileTest : public ::testing::Test {
 protected:
  DataReadOutcome read(std::string_view text, DataKind kind = DataKind::Training) {
    DataReadRequest request;
    request.kind = kind;
    request.currentInputs = currentInputs;
    request.currentOutputs = currentOutputs;
    request.shuffle = shuffle;
    DataReadCallbacks callbacks;
    callbacks.progress = [this](int percent) { progress.push_back(percent); };
    callbacks.caption = [this](const std::string& shown) { caption = shown; };
    callbacks.askInputsOutputs = [this](std::uint32_t count) -> std::optional<InputsOutputs> {
      questions.push_back(count);
      if (answers.empty()) return std::nullopt;
      const InputsOutputs answer = answers.front();
      answers.erase(answers.begin());
      return answer;
    };
    const auto source = memorySource(text);
    return readDataSource(*source, "data.trn", request, callbacks, reporter, readOk);
  }

  static std::vector<double> values(const PatternSet& set) {
    return {set.values.get(), set.values.get() + set.patternCount * set.stride()};
  }

  std::string onlyMessage() const {
    EXPECT_EQ(reporter.messages.size(), 1u);
    return reporter.messages.empty() ? "" : reporter.messages[0].title + ": " + reporter.messages[0].text;
  }

  std::uint32_t currentInputs = 0;
  std::uint32_t currentOutputs = 0;
  bool shuffle = false;
  std::vector<InputsOutputs> answers;
  std::vector<std::uint32_t> questions;
  std::vector<int> progress;
  std::string caption;
  RecordingReporter reporter;
  std::atomic<int> readOk{1};
};

TEST_F(DataFileTest, HeaderFileWithCommentsAndPatternsAcrossLines) {
  const auto outcome =
      read("* XOR problem\n  * more\r\n\n[INPUTS] 2\n[OUTPUTS] 1\n0 0 0\n0 1 1   1 0 1\n1 1\n\n0\n");
  ASSERT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.set.patternCount, 4u);
  EXPECT_EQ(outcome.set.inputCount, 2u);
  EXPECT_EQ(outcome.set.outputCount, 1u);
  EXPECT_FALSE(outcome.noHeader);
  EXPECT_EQ(values(outcome.set), (std::vector<double>{0, 0, 0, 0, 1, 1, 1, 0, 1, 1, 1, 0}));
  EXPECT_EQ(caption, "Reading: data.trn");
  EXPECT_TRUE(reporter.messages.empty());
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.front(), 0);
  EXPECT_EQ(progress.back(), 100);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

TEST_F(DataFileTest, LowerCaseHeaderAndExtraValuesAreIgnored) {
  const auto outcome =
      read("[inputs] 3\n[outputs] 1\n" + std::string("1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17\n"));
  ASSERT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.set.patternCount, 4u);
  EXPECT_EQ(outcome.set.target(3)[0], 16.0);
}

TEST_F(DataFileTest, NumberFormats) {
  const auto outcome = read("[INPUTS] 4 [OUTPUTS] 2\n0.125 -3 1e-05 +2.5E+2 .5 -7.\n");
  ASSERT_TRUE(outcome.ok);
  EXPECT_EQ(values(outcome.set), (std::vector<double>{0.125, -3, 1e-05, 250, 0.5, -7}));
}

TEST_F(DataFileTest, TestingFileWithoutOutputsHasNoTargets) {
  const auto outcome = read("[INPUTS] 2\n1 2 3 4 5 6 7 8 9 10\n", DataKind::Testing);
  ASSERT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.set.patternCount, 5u);
  EXPECT_FALSE(outcome.set.hasTargets());
  EXPECT_FALSE(outcome.set.hasRanges()) << "only training sets keep column ranges";
  EXPECT_EQ(outcome.set.input(4)[1], 10.0);
}

TEST_F(DataFileTest, TestingFileMustMatchTheNetwork) {
  currentInputs = 2;
  currentOutputs = 1;
  EXPECT_FALSE(read("[INPUTS] 3\n[OUTPUTS] 1\n1 2 3 4\n", DataKind::Testing).ok);
  EXPECT_EQ(onlyMessage(),
            "Error: Invalid Testing data file data.trn!\nNumber of inputs differs from loaded network");
  reporter.messages.clear();
  EXPECT_FALSE(read("[INPUTS] 2\n[OUTPUTS] 2\n1 2 3 4\n", DataKind::Testing).ok);
  EXPECT_EQ(onlyMessage(),
            "Error: Invalid Testing data file data.trn!\nNumber of outputs differs from loaded network");
}

TEST_F(DataFileTest, CountChecksAndTheirMessages) {
  const std::pair<const char*, const char*> cases[] = {
      {"[INPUTS] 0\n[OUTPUTS] 1\n1 2\n",
       "Invalid # of inputs: data.trn contains 0 inputs.\nThe legal range is between 1 and 4294967295"},
      {"[INPUTS] 2\n1 2 3\n",
       "Error: Invalid Training data file data.trn!\nFile missing header '[OUTPUTS] size'"},
      {"[INPUTS] 2 % two\n[OUTPUTS] 1\n1 2 3\n",
       "Error: Invalid Training data file data.trn!\nFile missing header '[OUTPUTS] size'"},
      {"[INPUTS] 2\n[OUTPUTS] 0\n1 2 3\n",
       "Invalid # of outputs: data.trn contains 0 outputs.\nThe legal range is between 1 and 4294967295"},
      {"[INPUTS] 2\n[OUTPUTS] 1\n1 2\n",
       "Invalid # of patterns: data.trn contains 0 patterns.\nThe legal range is between 1 and 4294967295"},
      {"[INPUTS] 4294967295\n[OUTPUTS] 1\n1 2\n",
       "Invalid # of patterns: data.trn contains 0 patterns.\nThe legal range is between 1 and 4294967295"},
      {"[INPUTS] x\n",
       "Error: Unrecognizable file format.\nMake sure the file is saved in MSDOS text file format."},
  };
  for (const auto& [text, message] : cases) {
    reporter.messages.clear();
    EXPECT_FALSE(read(text).ok) << text;
    EXPECT_EQ(onlyMessage(), message) << text;
  }
}

TEST_F(DataFileTest, WordsAmongTheDataAreRefused) {
  const char* cases[] = {
      "[INPUTS] 1\n[OUTPUTS] 1\n1 2\n* not a comment here\n3 4\n",
      "[INPUTS] 1\n[OUTPUTS] 1\n1 2 abc 4\n",
      "[INPUTS] 1\n[OUTPUTS] 1\n1 2 1.2.3 4\n",
      "[INPUTS] 1\n[OUTPUTS] 1\n1 2 3e 4\n",
      "[INPUTS] 1\n[OUTPUTS] 1\n1 2 3 4 % note\n",
      "[INPUTS] 1\n[OUTPUTS] 1\n1 2 1e999 4\n",
  };
  for (const char* text : cases) {
    reporter.messages.clear();
    EXPECT_FALSE(read(text).ok) << text;
    EXPECT_EQ(onlyMessage(),
              "Error: Unrecognizable file format.\nMake sure the file is saved in MSDOS text file format.")
        << text;
  }
}

TEST_F(DataFileTest, PlainTableAsksForTheCounts) {
  answers = {{0, 2}, {3, 2}};
  const auto outcome = read("1 2 3 4 5\n6 7 8 9 10\n");
  ASSERT_TRUE(outcome.ok);
  EXPECT_EQ(questions, (std::vector<std::uint32_t>{5, 5}));
  EXPECT_EQ(onlyMessage(), "Warning: You must enter a valid number of inputs");
  EXPECT_TRUE(outcome.noHeader);
  EXPECT_EQ(outcome.set.patternCount, 2u);
  EXPECT_EQ(outcome.set.target(1)[1], 10.0);

  reporter.messages.clear();
  EXPECT_FALSE(read("1 2 3\n").ok) << "the question was cancelled";
  EXPECT_TRUE(reporter.messages.empty());
  answers = {{3, 0}};
  EXPECT_FALSE(read("1 2 3\n").ok);
  EXPECT_EQ(
      onlyMessage(),
      "Invalid # of outputs: data.trn contains 0 outputs.\nThe legal range is between 1 and 4294967295");
}

TEST_F(DataFileTest, InputsKeywordAloneMakesAPlainTable) {
  answers = {{1, 1}, {1, 1}};
  const auto outcome = read("[INPUTS]\n1 2\n3 4\n");
  ASSERT_TRUE(outcome.ok);
  EXPECT_EQ(questions, (std::vector<std::uint32_t>{1}));
  EXPECT_EQ(outcome.set.patternCount, 2u);
  EXPECT_EQ(outcome.set.columnNames, (std::vector<std::string>{"[INPUTS]"}));
  EXPECT_TRUE(read("[INPUTS]  % nothing here\n1 2\n3 4\n").noHeader);
}

TEST_F(DataFileTest, CsvWithAndWithoutNames) {
  answers = {{2, 1}};
  auto outcome = read("x1,x2,\"y\"\r\n0.5,1,0\r\n1.5;2;1\r\n");
  ASSERT_TRUE(outcome.ok);
  EXPECT_EQ(questions.back(), 3u);
  EXPECT_EQ(outcome.set.columnNames, (std::vector<std::string>{"x1", "x2", "y"}));
  EXPECT_EQ(values(outcome.set), (std::vector<double>{0.5, 1, 0, 1.5, 2, 1}));

  answers = {{2, 1}};
  outcome = read("0.5, 1, 0\n1.5, 2, 1\n");
  ASSERT_TRUE(outcome.ok);
  EXPECT_EQ(questions.back(), 3u);
  EXPECT_TRUE(outcome.set.columnNames.empty());
  EXPECT_EQ(outcome.set.patternCount, 2u);
}

TEST_F(DataFileTest, ColumnRangesAreWidenedWhenNarrow) {
  const auto outcome = read("[INPUTS] 2\n[OUTPUTS] 1\n0.5 1 10\n0.5 3 20\n0.5 2 15\n");
  ASSERT_TRUE(outcome.ok);
  EXPECT_DOUBLE_EQ(outcome.set.inputMin[0], 0.49995);
  EXPECT_DOUBLE_EQ(outcome.set.inputMax[0], 0.50005);
  EXPECT_EQ(outcome.set.inputMin[1], 1.0);
  EXPECT_EQ(outcome.set.inputMax[1], 3.0);
  EXPECT_EQ(outcome.set.targetMin[0], 10.0);
  EXPECT_EQ(outcome.set.targetMax[0], 20.0);
}

TEST_F(DataFileTest, ShuffleKeepsPatternsWholeAndRepeats) {
  std::string text = "[INPUTS] 2\n[OUTPUTS] 1\n";
  for (int p = 0; p < 200; ++p)
    text += std::to_string(p) + " " + std::to_string(p * 2) + " " + std::to_string(p * 3) + "\n";
  shuffle = true;
  const auto first = read(text);
  ASSERT_TRUE(first.ok);
  bool moved = false;
  std::vector<bool> seen(200, false);
  for (std::uint32_t p = 0; p < 200; ++p) {
    const double* row = first.set.row(p);
    EXPECT_EQ(row[1], row[0] * 2);
    EXPECT_EQ(row[2], row[0] * 3);
    seen[static_cast<std::size_t>(row[0])] = true;
    moved |= row[0] != p;
  }
  EXPECT_TRUE(moved);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 200);
  EXPECT_EQ(first.set.inputMax[0], 199.0) << "ranges do not depend on the order";
}

TEST_F(DataFileTest, CancelStopsWithoutAMessage) {
  readOk = 0;
  EXPECT_FALSE(read("[INPUTS] 1\n[OUTPUTS] 1\n1 2\n").ok);
  EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(DataFileTest, NumbersAcrossBufferBoundariesAndMemory) {
  std::string text = "[INPUTS] 3\n[OUTPUTS] 1\n";
  const int patterns = 40000;  // about 1.1 MB: several buffer refills
  for (int p = 0; p < patterns; ++p)
    text += std::to_string(p) + ".0625 -" + std::to_string(p) + "e-3 12345.678901 " + std::to_string(p % 7) +
            "\n";
  const auto outcome = read(text);
  ASSERT_TRUE(outcome.ok);
  ASSERT_EQ(outcome.set.patternCount, static_cast<std::uint32_t>(patterns));
  for (int p = 0; p < patterns; p += 997) {
    const double* row = outcome.set.row(static_cast<std::uint32_t>(p));
    EXPECT_EQ(row[0], p + 0.0625);
    EXPECT_EQ(row[1], std::stod("-" + std::to_string(p) + "e-3"));
    EXPECT_EQ(row[2], 12345.678901);
    EXPECT_EQ(row[3], p % 7);
  }
  const double doubles = static_cast<double>(patterns) * 4 * sizeof(double);
  EXPECT_LE(static_cast<double>(outcome.set.memoryBytes()), 1.2 * doubles);
}

TEST_F(DataFileTest, MissingFileFailsWithoutAMessage) {
  DataReadRequest request;
  request.path = "/nonexistent/nowhere.trn";
  const auto outcome = readDataFile(request, {}, reporter, readOk);
  EXPECT_FALSE(outcome.ok);
  EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(DataFileTest, ReadsFromDiskWithAByteOrderMark) {
  testing::TempDir dir;
  DataReadRequest request;
  request.path = dir.write("bom.trn", "\xEF\xBB\xBF[INPUTS] 1\n[OUTPUTS] 1\n1 2\n3 4\n");
  const auto outcome = readDataFile(request, {}, reporter, readOk);
  ASSERT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.set.patternCount, 2u);
}

}  // namespace
}  // namespace nodelyx

namespace nodelyx {
namespace {

std::string manyPatterns(int count) {
  std::string text = "[INPUTS] 1\n[OUTPUTS] 1\n";
  for (int p = 0; p < count; ++p) text += std::to_string(p) + " 1\n";
  return text;
}

TEST(DataReadJobTest, CancelDuringTheReadingPassLeavesNothing) {
  testing::TempDir dir;
  DataReadRequest request;
  request.path = dir.write("long.trn", manyPatterns(200000));
  RecordingReporter reporter;
  std::atomic<DataReadJob*> job{nullptr};
  std::atomic<int> lastPercent{0};
  DataReadCallbacks callbacks;
  callbacks.progress = [&](int percent) {
    lastPercent = percent;
    if (percent < 30) return;
    while (job.load() == nullptr) std::this_thread::yield();
    job.load()->cancel();
  };
  std::atomic<bool> finished{false};
  DataReadJob reading(request, callbacks, reporter, [&finished] { finished = true; });
  job = &reading;
  const DataReadOutcome outcome = reading.take();
  EXPECT_TRUE(finished);
  EXPECT_FALSE(reading.running());
  EXPECT_LT(lastPercent, 100);
  EXPECT_FALSE(outcome.ok);
  EXPECT_FALSE(outcome.set.loaded());
  EXPECT_TRUE(reporter.messages.empty());
}

TEST(DataReadJobTest, WorkerReadCompletesAndDestructionJoins) {
  testing::TempDir dir;
  DataReadRequest request;
  request.path = dir.write("short.trn", manyPatterns(10));
  RecordingReporter reporter;
  const DataReadOutcome outcome = readDataFileOnWorker(request, {}, reporter);
  ASSERT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.set.patternCount, 10u);
  { DataReadJob abandoned(request, {}, reporter); }  // destroyed while it may still run
}

}  // namespace
}  // namespace nodelyx
