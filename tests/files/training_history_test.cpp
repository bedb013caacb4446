#include "files/training_history.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <regex>

namespace nodelyx {
namespace {

TrainingRecord onlineRun(std::uint32_t lastEpoch) {
  TrainingRecord record;
  record.date = "Sat Dec  5 13:55:00 1998";
  record.lastEpoch = lastEpoch;
  record.algorithm = "Online Back-Propagation";
  record.parameters[0] = 0.1;
  record.finalRmsError = 0.0132;
  record.finalMaxError = 0.041;
  record.trainingDataFile = "/nets/xor.trn";
  return record;
}

TEST(TrainingHistoryTest, WritesTheSectionLineForLine) {
  TrainingHistory history;
  appendRecord(history, onlineRun(500));
  std::string text;
  writeHistory(text, history);
  EXPECT_EQ(text,
            "\n\n*****Nodelyx_Training_History_Follows*****\n"
            "\n"
            "*** Sat Dec  5 13:55:00 1998\n"
            "Epochs                   1 - 500\n"
            "Train_algorithm          Online Back-Propagation\n"
            "Learning_Rate            0.1\n"
            "Momentum                 0\n"
            "Input_Noise              0\n"
            "Weight_Decay             0\n"
            "Final_RMS_error          0.0132\n"
            "Final_Max_error          0.041\n"
            "Training_data_file       /nets/xor.trn\n");
  std::string empty;
  writeHistory(empty, TrainingHistory());
  EXPECT_EQ(empty, "");
}

TEST(TrainingHistoryTest, EpochRangesCountOnAndReadBack) {
  TrainingHistory history;
  appendRecord(history, onlineRun(500));
  TrainingRecord rprop = onlineRun(800);
  rprop.algorithm = "Rprop";
  rprop.parameters = {1.2, 0.5, 1e-06, 50, 0.001};
  rprop.momentum = 0.25;
  rprop.inputNoise = 0.01;
  rprop.weightDecay = 1e-05;
  rprop.trainingDataFile = "/path with spaces/data set.trn";
  appendRecord(history, rprop);
  std::string text = "weights come first\n";
  writeHistory(text, history);
  EXPECT_NE(text.find("Epochs                   501 - 800\n"), std::string::npos);
  EXPECT_NE(text.find("Min_Weight_Step_Size     1e-06\n"), std::string::npos);

  TrainingHistory reread;
  EXPECT_EQ(readHistory(text, reread), 800u);
  ASSERT_EQ(reread.size(), 2u);
  EXPECT_EQ(reread[1].algorithm, "Rprop");
  EXPECT_EQ(reread[1].parameters, rprop.parameters);
  EXPECT_EQ(reread[1].momentum, 0.25);
  EXPECT_EQ(reread[1].inputNoise, 0.01);
  EXPECT_EQ(reread[1].weightDecay, 1e-05);
  EXPECT_EQ(reread[1].trainingDataFile, "/path with spaces/data set.trn");
  EXPECT_EQ(reread[0].date, "Sat Dec  5 13:55:00 1998");
}

TEST(TrainingHistoryTest, EveryAlgorithmKeepsItsParameters) {
  const std::pair<const char*, std::array<double, 5>> cases[] = {
      {"Batch Back-Propagation", {0.2, 0, 0, 0, 0}},
      {"Online Back-Propagation (Randomize)", {0.3, 0, 0, 0, 0}},
      {"Quickprop", {0.4, 1.75, 0, 0, 0}},
      {"Delta-Bar-Delta", {0.06, 0.2, 0.7, 0, 0}},
      {"Something else", {0, 0, 0, 0, 0}},
  };
  for (const auto& [algorithm, parameters] : cases) {
    TrainingHistory history;
    TrainingRecord record = onlineRun(10);
    record.algorithm = algorithm;
    record.parameters = parameters;
    appendRecord(history, record);
    std::string text;
    writeHistory(text, history);
    TrainingHistory reread;
    EXPECT_EQ(readHistory(text, reread), 10u) << algorithm;
    ASSERT_EQ(reread.size(), 1u) << algorithm;
    EXPECT_EQ(reread[0].parameters, parameters) << algorithm;
  }
}

// Three records (epochs 1-500, 501-800, 801-1000) with one change made to
// the written text; every record that still reads whole is kept.
TEST(TrainingHistoryTest, DamagedRecordsAreSkippedAndTheRestKept) {
  TrainingHistory history;
  for (const std::uint32_t last : {500u, 800u, 1000u}) appendRecord(history, onlineRun(last));
  history[1].trainingDataFile.clear();
  std::string text;
  writeHistory(text, history);
  const auto lineOf = [&](const char* label, std::size_t record) {
    std::size_t at = 0;
    for (std::size_t r = 0; r <= record; ++r) at = text.find("\n*** ", at) + 5;
    return text.find(label, at);
  };
  const auto edited = [&](std::size_t at, std::size_t length, const char* replacement) {
    return std::string(text).replace(at, length, replacement);
  };
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::uint32_t> kept;
    std::size_t skipped;
  };
  const std::size_t secondMax = lineOf("Final_Max_error", 1);
  const Case cases[] = {
      {"as written (an empty file name stays empty)", text, {500, 800, 1000}, 0},
      {"a missing line", edited(secondMax, text.find('\n', secondMax) + 1 - secondMax, ""), {500, 1000}, 1},
      {"a value that is no number", edited(lineOf("Momentum", 0) + 25, 1, "zero"), {800, 1000}, 1},
      {"a cut-off last record", text.substr(0, text.size() - 40), {500, 800}, 1},
      {"no marker", "no marker here 1 2 3", {}, 0},
  };
  for (const Case& c : cases) {
    TrainingHistory reread;
    std::size_t skipped = 99;
    const std::uint32_t epochCount = readHistory(c.text, reread, &skipped);
    std::vector<std::uint32_t> kept;
    for (const TrainingRecord& record : reread) kept.push_back(record.lastEpoch);
    EXPECT_EQ(kept, c.kept) << c.name;
    EXPECT_EQ(skipped, c.skipped) << c.name;
    EXPECT_EQ(epochCount, c.kept.empty() ? 0u : c.kept.back()) << c.name;
  }
  TrainingHistory reread;
  readHistory(text, reread);
  EXPECT_EQ(reread[1].trainingDataFile, "");
  EXPECT_EQ(reread[2].date, "Sat Dec  5 13:55:00 1998");
}

TEST(TrainingHistoryTest, ValuesOfADivergedRunReadBack) {
  TrainingHistory history;
  appendRecord(history, onlineRun(5));
  history[0].finalRmsError = std::numeric_limits<double>::quiet_NaN();
  history[0].finalMaxError = -std::numeric_limits<double>::infinity();
  std::string text;
  writeHistory(text, history);
  TrainingHistory reread;
  EXPECT_EQ(readHistory(text, reread), 5u);
  ASSERT_EQ(reread.size(), 1u) << text;
  EXPECT_TRUE(std::isnan(reread[0].finalRmsError));
  EXPECT_EQ(reread[0].finalMaxError, -std::numeric_limits<double>::infinity());
}

TEST(TrainingHistoryTest, OldRecordsWithoutNoiseAndDecay) {
  const std::string text =
      "*****Nodelyx_Training_History_Follows*****\n\n*** Sat Dec  5 13:55:00 1998\n"
      "Epochs 1 - 20\nTrain_algorithm Quickprop\nLearning_Rate 0.5\nMax_Weight_Growth_Rate 1.75\n"
      "Momentum 0.1\nFinal_RMS_error 0.2\nFinal_Max_error 0.3\nTraining_data_file a.trn\n";
  TrainingHistory history;
  EXPECT_EQ(readHistory(text, history), 20u);
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(history[0].inputNoise, 0.0);
  EXPECT_EQ(history[0].weightDecay, 0.0);
  EXPECT_EQ(history[0].finalMaxError, 0.3);
  EXPECT_EQ(history[0].trainingDataFile, "a.trn");
}

TEST(TrainingHistoryTest, AppendDatesUndatedRecords) {
  TrainingHistory history;
  appendRecord(history, TrainingRecord());
  EXPECT_TRUE(std::regex_match(
      history[0].date, std::regex("[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\\d \\d\\d:\\d\\d:\\d\\d \\d{4}")))
      << history[0].date;
}

}  // namespace
}  // namespace nodelyx
