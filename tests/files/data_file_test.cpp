#include "files/data_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "files/data_read_job.h"
#include "support/temp_dir.h"

namespace nodelyx {
namespace {

const std::string kUnrecognizable =
    "Error: Unrecognizable file format.\nMake sure the file is saved in MSDOS text file format.\n";

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
    request.pieceBytes = pieceBytes;
    DataReadCallbacks callbacks;
    callbacks.progress = [this](int percent) {
      progress.push_back(percent);
      if (percent >= cancelAt) readOk = 0;
    };
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
  // The values' bits, so that -0 and 0 differ.
  static std::vector<std::uint64_t> bits(const PatternSet& set) {
    std::vector<std::uint64_t> all;
    for (const double v : values(set)) all.push_back(std::bit_cast<std::uint64_t>(v));
    return all;
  }
  static std::vector<double> numbers(const char* text) {
    std::istringstream in(text);
    return {std::istream_iterator<double>(in), std::istream_iterator<double>()};
  }
  // Every message as "Title: text", one after the other.
  std::string messages() const {
    std::string all;
    for (const Message& m : reporter.messages) all += m.title + ": " + m.text;
    return all;
  }

  std::uint32_t currentInputs = 0;
  std::uint32_t currentOutputs = 0;
  bool shuffle = false;
  std::uint64_t pieceBytes = 0;
  int cancelAt = 101;  // the percent at which the progress callback cancels
  std::vector<InputsOutputs> answers;
  std::vector<std::uint32_t> questions;
  std::vector<int> progress;
  std::string caption;
  RecordingReporter reporter;
  std::atomic<int> readOk{1};
};

// The answers to the question of a plain table (none: cancelled).
const InputsOutputs kNone{0, 0}, kOneAndNone{1, 0}, kOneAndOne{1, 1}, kTwoAndOne{2, 1}, kThreeAndNone{3, 0};

TEST_F(DataFileTest, ReadsValidFiles) {
  struct Case {
    const char* name;
    DataKind kind;
    InputsOutputs answer;
    const char* text;
    std::uint32_t inputs, outputs;
    const char* values;
    const char* names;  // the column names, each followed by '|'
    std::uint64_t leftover;
  };
  const DataKind training = DataKind::Training, testing = DataKind::Testing;
  const Case cases[] = {
      {"comments_and_patterns_across_lines", training, kNone,
       "* XOR problem\n  * more\r\n\n[INPUTS] 2\n[OUTPUTS] 1\n0 0 0\n0 1 1   1 0 1\n1 1\n\n0\n", 2, 1,
       "0 0 0 0 1 1 1 0 1 1 1 0", "", 0},
      {"byte_order_mark", training, kNone, "\xEF\xBB\xBF[INPUTS] 1\n[OUTPUTS] 1\n1 2\n3 4\n", 1, 1, "1 2 3 4",
       "", 0},
      {"lower_case_header_and_a_value_too_many", training, kNone,
       "[inputs] 3\n[outputs] 1\n1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17\n", 3, 1,
       "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16", "", 1},
      {"one_value_missing", training, kNone, "[INPUTS] 2\n[OUTPUTS] 1\n0 0 0\n0 1\n1 0 1\n", 2, 1,
       "0 0 0 0 1 1", "", 2},
      {"number_formats", training, kNone, "[INPUTS] 4 [OUTPUTS] 2\n0.125 -3 1e-05 +2.5E+2 .5 -7.\n", 4, 2,
       "0.125 -3 1e-05 250 0.5 -7", "", 0},
      {"testing_file_without_outputs", testing, kNone, "[INPUTS] 2\n1 2 3 4 5 6 7 8 9 10\n", 2, 0,
       "1 2 3 4 5 6 7 8 9 10", "", 0},
      {"csv_with_names", training, kTwoAndOne, "x1,x2,\"y\"\r\n0.5,1,0\r\n1.5;2;1\r\n", 2, 1,
       "0.5 1 0 1.5 2 1", "x1|x2|y|", 0},
      {"csv_names_with_blanks", training, kTwoAndOne,
       "sepal length (cm), petal width (cm) ,class\n5.1,0.2,0\n", 2, 1, "5.1 0.2 0",
       "sepal length (cm)|petal width (cm)|class|", 0},
      {"numbered_names_between_semicolons", training, kTwoAndOne, "feature 1;feature 2;y\n1;2;3\n", 2, 1,
       "1 2 3", "feature 1|feature 2|y|", 0},
      {"numbers_between_commas_are_data", training, kTwoAndOne, "1 2,3\n4,5 6\n", 2, 1, "1 2 3 4 5 6", "", 0},
      {"csv_without_names", training, kTwoAndOne, "0.5, 1, 0\n1.5, 2, 1\n", 2, 1, "0.5 1 0 1.5 2 1", "", 0},
      {"inputs_keyword_alone_names_one_column", testing, kOneAndNone, "[INPUTS]\n1\n2\n", 1, 0, "1 2",
       "[INPUTS]|", 0},
      {"last_number_longer_than_what_went_before", training, kNone, "[INPUTS] 1 [OUTPUTS] 1 1 12345", 1, 1,
       "1 12345", "", 0},
      {"other_programs_header_line_is_data", training, kOneAndOne, "3 1 1\n0 0\n1 1\n0 1\n", 1, 1,
       "3 1 1 0 0 1 1 0", "", 1},
  };
  for (const Case& c : cases) {
    reporter.messages.clear();
    progress.clear();
    if (c.answer.inputs != 0) answers = {c.answer};
    const DataReadOutcome outcome = read(c.text, c.kind);
    ASSERT_TRUE(outcome.ok) << c.name << ": " << messages();
    EXPECT_EQ(outcome.set.inputCount, c.inputs) << c.name;
    EXPECT_EQ(outcome.set.outputCount, c.outputs) << c.name;
    EXPECT_EQ(values(outcome.set), numbers(c.values)) << c.name;
    std::string names;
    for (const std::string& name : outcome.set.columnNames) names += name + "|";
    EXPECT_EQ(names, c.names) << c.name;
    EXPECT_EQ(outcome.noHeader, c.answer.inputs != 0) << c.name;
    EXPECT_EQ(outcome.set.hasRanges(), c.kind == training) << c.name;
    EXPECT_EQ(outcome.leftoverValues, c.leftover) << c.name;
    const std::string many = std::to_string(c.leftover) + " values after the last whole pattern are ignored.";
    const std::string warning =
        "Warning: data.trn: " + (c.leftover == 1 ? "1 value after the last whole pattern is ignored." : many);
    EXPECT_EQ(messages(), c.leftover ? warning : "") << c.name;
    EXPECT_EQ(caption, "Reading: data.trn") << c.name;
    ASSERT_FALSE(progress.empty()) << c.name;
    EXPECT_EQ(progress.front(), 0) << c.name;
    EXPECT_EQ(progress.back(), 100) << c.name;
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end())) << c.name;
  }
}

TEST_F(DataFileTest, RefusesBadFiles) {
  struct Case {
    const char* name;
    DataKind kind;
    InputsOutputs answer;
    const char* text;
    std::string message;  // "": none
  };
  const std::string patterns =
      "Invalid # of patterns: data.trn contains 0 patterns.\nThe legal range is between 1 and 4294967295";
  const std::string noOutputsHeader =
      "Error: Invalid Training data file data.trn!\nFile missing header '[OUTPUTS] size'";
  const std::string noOutputs =
      "Invalid # of outputs: data.trn contains 0 outputs.\nThe legal range is between 1 and 4294967295";
  const auto bad = [](const char* where) { return kUnrecognizable + "data.trn, line " + where; };
  currentInputs = 2;  // what testing files must match
  currentOutputs = 1;
  const DataKind training = DataKind::Training, testing = DataKind::Testing;
  const Case cases[] = {
      {"no_inputs", training, kNone, "[INPUTS] 0\n[OUTPUTS] 1\n1 2\n",
       "Invalid # of inputs: data.trn contains 0 inputs.\nThe legal range is between 1 and 4294967295"},
      {"no_outputs_header", training, kNone, "[INPUTS] 2\n1 2 3\n", noOutputsHeader},
      {"comment_after_inputs_count", training, kNone, "[INPUTS] 2 % two\n[OUTPUTS] 1\n1 2 3\n",
       noOutputsHeader},
      {"no_outputs", training, kNone, "[INPUTS] 2\n[OUTPUTS] 0\n1 2 3\n", noOutputs},
      {"plain_training_table_without_outputs", training, kThreeAndNone, "1 2 3\n", noOutputs},
      {"question_cancelled", training, kNone, "1 2 3\n", ""},
      {"too_few_values", training, kNone, "[INPUTS] 2\n[OUTPUTS] 1\n1 2\n", patterns},
      {"columns_beyond_the_values", training, kNone, "[INPUTS] 4294967295\n[OUTPUTS] 1\n1 2\n", patterns},
      {"testing_inputs_differ", testing, kNone, "[INPUTS] 3\n[OUTPUTS] 1\n1 2 3 4\n",
       "Error: Invalid Testing data file data.trn!\nNumber of inputs differs from loaded network"},
      {"testing_outputs_differ", testing, kNone, "[INPUTS] 2\n[OUTPUTS] 2\n1 2 3 4\n",
       "Error: Invalid Testing data file data.trn!\nNumber of outputs differs from loaded network"},
      {"inputs_count_no_number", training, kNone, "[INPUTS] x\n", bad("1: \"x\" is not a number.")},
      {"outputs_count_no_number", training, kNone, "[INPUTS] 1\n[OUTPUTS] -y\n",
       bad("2: \"-y\" is not a number.")},
      {"star_line_among_the_data", training, kNone, "[INPUTS] 1\n[OUTPUTS] 1\n1 2\n* no comment here\n3 4\n",
       bad("4: \"*\" is not a number.")},
      {"word", training, kNone, "[INPUTS] 1\n[OUTPUTS] 1\n1 2 abc 4\n", bad("3: \"abc\" is not a number.")},
      {"two_points", training, kNone, "[INPUTS] 1\n[OUTPUTS] 1\n1 2 1.2.3 4\n",
       bad("3: \"1.2.3\" is not a number.")},
      {"bare_exponent", training, kNone, "[INPUTS] 1\n[OUTPUTS] 1\n1 2\n3e 4\n",
       bad("4: \"3e\" is not a number.")},
      {"comment_after_data", training, kNone, "[INPUTS] 1\n[OUTPUTS] 1\n1 2 3 4 % note\n",
       bad("3: \"%\" is not a number.")},
      {"overflow", training, kNone, "[INPUTS] 1\n[OUTPUTS] 1\n1 2 1e999 4\n",
       bad("3: \"1e999\" is not a number.")},
      {"control_character", training, kNone, "[INPUTS] 1\n[OUTPUTS] 1\n1 2\x01\n",
       bad("3: \"2\\x01\" is not a number.")},
      {"comment_after_first_pattern", training, kTwoAndOne, "0 0 0 % pattern one\n0 1 1\n",
       bad("1: \"%\" is not a number.")},
      {"typo_in_first_pattern", training, kTwoAndOne, "1.5 2.0 3..0\n1 2 3\n",
       bad("1: \"3..0\" is not a number.")},
      {"names_for_other_column_count", training, kTwoAndOne, "a b\n1 2 3\n",
       bad("1: \"a\" is not a number.")},
      {"names_line_with_a_number", training, kTwoAndOne, "x 2 y\n1 2 3\n", bad("1: \"x\" is not a number.")},
  };
  for (const Case& c : cases) {
    reporter.messages.clear();
    if (c.answer.inputs != 0) answers = {c.answer};
    const DataReadOutcome outcome = read(c.text, c.kind);
    EXPECT_FALSE(outcome.ok) << c.name;
    EXPECT_FALSE(outcome.set.loaded()) << c.name;
    EXPECT_EQ(messages(), c.message) << c.name;
  }
}

TEST_F(DataFileTest, PlainTableAsksAgainForZeroInputs) {
  answers = {{0, 2}, {3, 2}};
  const auto outcome = read("1 2 3 4 5\n6 7 8 9 10\n");
  ASSERT_TRUE(outcome.ok);
  EXPECT_EQ(questions, (std::vector<std::uint32_t>{5, 5}));
  EXPECT_EQ(messages(), "Warning: You must enter a valid number of inputs");
  EXPECT_EQ(outcome.set.patternCount, 2u);
}

TEST_F(DataFileTest, ColumnRangesAreWidenedWhenNarrow) {
  const auto outcome = read("[INPUTS] 2\n[OUTPUTS] 1\n0.5 1 10\n0.5 3 20\n0.5 2 15\n");
  ASSERT_TRUE(outcome.ok);
  EXPECT_DOUBLE_EQ(outcome.set.inputMin[0], 0.49995);
  EXPECT_DOUBLE_EQ(outcome.set.inputMax[0], 0.50005);
  EXPECT_EQ(outcome.set.inputMax[1], 3.0);
  EXPECT_EQ(outcome.set.targetMin[0], 10.0);
}

TEST_F(DataFileTest, ShuffleKeepsPatternsWhole) {
  std::string text = "[INPUTS] 1\n[OUTPUTS] 1\n";
  for (int p = 0; p < 200; ++p) text += std::to_string(p) + " " + std::to_string(p * 3) + "\n";
  shuffle = true;
  const auto outcome = read(text);
  ASSERT_TRUE(outcome.ok);
  std::vector<double> inputs;
  for (std::uint32_t p = 0; p < 200; ++p) {
    EXPECT_EQ(outcome.set.target(p)[0], outcome.set.input(p)[0] * 3);
    inputs.push_back(outcome.set.input(p)[0]);
  }
  EXPECT_FALSE(std::is_sorted(inputs.begin(), inputs.end()));
  std::sort(inputs.begin(), inputs.end());
  for (std::uint32_t p = 0; p < 200; ++p) EXPECT_EQ(inputs[p], p) << "every pattern once";
}

TEST_F(DataFileTest, CancelStopsWithoutAMessage) {
  readOk = 0;
  EXPECT_FALSE(read("[INPUTS] 1\n[OUTPUTS] 1\n1 2\n").ok);
  EXPECT_TRUE(reporter.messages.empty());
}

// Several buffer refills: numbers split between them, and the line of a
// fault found far into the file.
TEST_F(DataFileTest, LargeFiles) {
  std::string rows;  // about 1.1 MB
  for (int p = 0; p < 40000; ++p)
    rows += std::to_string(p) + ".0625 -" + std::to_string(p) + "e-3 12345.678901 " + std::to_string(p % 7) +
            "\n";
  const auto outcome = read("[INPUTS] 3\n[OUTPUTS] 1\n" + rows);
  ASSERT_TRUE(outcome.ok);
  EXPECT_EQ(values(outcome.set), numbers(rows.c_str()));
  EXPECT_LE(static_cast<double>(outcome.set.memoryBytes()), 1.2 * 40000 * 4 * sizeof(double));
  EXPECT_FALSE(read("[INPUTS] 3\n[OUTPUTS] 1\n" + rows + "1 2 3 4..\n").ok);
  EXPECT_EQ(messages(), kUnrecognizable + "data.trn, line 40003: \"4..\" is not a number.");
}

// Pieces as small as a byte put boundaries inside numbers, between CR and
// LF and around faults; joined, they must give exactly the one-piece read.
TEST_F(DataFileTest, PiecesReadAsOnePiece) {
  std::string rows;  // every form of number, the short ones and the others
  for (int p = 0; p < 40; ++p)
    rows += std::to_string(p) + ".0625 -" + std::to_string(p) + "e-3 +.5 5. -0 1e22 1e23 " +
            "12345678901234567890 0.1000000000000000055511151231257827 " + std::to_string(p % 7) + "\n";
  std::string crlf;
  for (const char c : rows) crlf += c == '\n' ? "\r\n" : std::string(1, c);
  std::string oneLine;  // no line end at all
  for (int v = 0; v < 3000; ++v) oneLine += std::to_string(v * 7) + (v % 2 ? ".25 " : ",");
  const std::string header = "[INPUTS] 3\n[OUTPUTS] 2\n";
  const std::string some = rows.substr(0, rows.find('\n', 600) + 1);  // some whole rows
  const std::string firstBad = kUnrecognizable + "data.trn, line " +
                               std::to_string(3 + std::count(some.begin(), some.end(), '\n')) +
                               ": \"3..0\" is not a number.";
  struct Case {
    const char* name;
    std::string text;
    std::string message;  // what the one-piece read must say too ("": whatever it says)
  };
  const Case cases[] = {
      {"numbers_cut_everywhere", header + rows, ""},
      {"crlf_line_ends", header + crlf, ""},
      {"leftover_values", header + rows + "1 2 3\n", ""},
      {"one_line_without_line_end", header + oneLine, ""},
      {"smaller_than_a_piece", header + "1 2 3 4 5\n", ""},
      {"names_line_and_data", "x1,x2,x3,y1,y2\r\n" + rows, ""},
      {"bad_values_in_two_pieces_first_wins", header + some + "3..0 " + rows + "4e+ 1\n", firstBad},
      {"bad_value_among_the_leftover_is_not_read", header + rows + "1 2 3..0\n", ""},
      {"foreign_character_far_after_a_bad_value", header + some + "3..0 " + rows + "x\n", ""},
      {"data_ends_in_a_long_run", header + "1 2 3 4 5\n" + std::string(300, '7'), ""},
  };
  for (const Case& c : cases) {
    answers = {{3, 2}};
    reporter.messages.clear();
    pieceBytes = 0;
    const DataReadOutcome whole = read(c.text);
    const std::string wholeMessages = messages();
    if (!c.message.empty()) {
      EXPECT_EQ(wholeMessages, c.message) << c.name;
    }
    for (const std::uint64_t size : {1, 2, 3, 7, 64, 4096}) {
      answers = {{3, 2}};
      reporter.messages.clear();
      progress.clear();
      pieceBytes = size;
      const DataReadOutcome pieces = read(c.text);
      const std::string name = std::string(c.name) + " in pieces of " + std::to_string(size);
      ASSERT_EQ(pieces.ok, whole.ok) << name << ": " << messages();
      EXPECT_EQ(messages(), wholeMessages) << name;
      EXPECT_EQ(pieces.leftoverValues, whole.leftoverValues) << name;
      EXPECT_EQ(pieces.set.columnNames, whole.set.columnNames) << name;
      EXPECT_EQ(pieces.set.inputMin, whole.set.inputMin) << name;
      EXPECT_EQ(pieces.set.targetMax, whole.set.targetMax) << name;
      EXPECT_EQ(bits(pieces.set), bits(whole.set)) << name;
      EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end())) << name;
      if (whole.ok) {
        EXPECT_EQ(progress.back(), 100) << name;
      }
    }
  }
}

TEST_F(DataFileTest, CancelStopsEveryPiece) {
  std::string text = "[INPUTS] 1\n[OUTPUTS] 1\n";
  for (int p = 0; p < 50000; ++p) text += std::to_string(p) + " 0.5\n";
  pieceBytes = 4096;
  cancelAt = 30;
  EXPECT_FALSE(read(text).ok);
  EXPECT_TRUE(reporter.messages.empty());
  EXPECT_LT(progress.back(), 100);
}

TEST_F(DataFileTest, OnlyRegularFilesAreRead) {
  testing::TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo.trn").c_str(), 0600), 0);
  const std::pair<std::filesystem::path, std::string> cases[] = {
      {"/nonexistent/nowhere.trn", ""},
      {dir.path(),
       "Error: Could not read file " + dir.path().filename().string() + "\nIt is not a regular file."},
      {"/dev/zero", "Error: Could not read file zero\nIt is not a regular file."},
      {dir / "fifo.trn", "Error: Could not read file fifo.trn\nIt is not a regular file."},
  };
  for (const auto& [path, message] : cases) {
    reporter.messages.clear();
    DataReadRequest request;
    request.path = path;
    EXPECT_FALSE(readDataFile(request, {}, reporter, readOk).ok) << path;
    EXPECT_EQ(messages(), message) << path;
  }
}

TEST(FileSourceTest, EndsWhereTheFileEndedWhenOpened) {
  testing::TempDir dir;
  const auto path = dir.write("growing.trn", "1 2\n");
  const auto source = openFileSource(path);
  ASSERT_NE(source, nullptr);
  std::ofstream(path, std::ios::app) << "3 4\n";
  BufferedReader reader(*source);
  EXPECT_EQ(reader.available(), "1 2\n");
  reader.consume(4);
  EXPECT_TRUE(reader.available().empty());
}

TEST(DataReadJobTest, CancelLeavesNothingAndDestructionJoins) {
  testing::TempDir dir;
  std::string text = "[INPUTS] 1\n[OUTPUTS] 1\n";
  for (int p = 0; p < 200000; ++p) text += std::to_string(p) + " 1\n";
  DataReadRequest request;
  request.path = dir.write("long.trn", text);
  RecordingReporter reporter;
  std::atomic<DataReadJob*> job{nullptr};
  std::atomic<int> lastPercent{0};
  DataReadCallbacks callbacks;
  callbacks.progress = [&](int percent) {
    lastPercent = percent;
    if (percent < 30) return;  // cancel in the reading pass
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
  EXPECT_EQ(readDataFileOnWorker(request, {}, reporter).set.patternCount, 200000u);
  { DataReadJob abandoned(request, {}, reporter); }  // destroyed while it may still run
}

}  // namespace
}  // namespace nodelyx
