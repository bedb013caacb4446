#include "files/training_history.h"

#include <gtest/gtest.h>

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

TEST(TrainingHistoryTest, DamagedRecordsEndTheReading) {
  TrainingHistory history;
  appendRecord(history, onlineRun(500));
  appendRecord(history, onlineRun(800));
  std::string text;
  writeHistory(text, history);
  std::string broken = text;
  const std::size_t line = broken.rfind("Final_Max_error");
  broken.erase(line, broken.find('\n', line) + 1 - line);  // the second record's
  TrainingHistory reread;
  EXPECT_EQ(readHistory(broken, reread), 500u);
  EXPECT_EQ(reread.size(), 1u);
  EXPECT_EQ(readHistory(text.substr(0, text.size() - 40), reread), 500u) << "a cut-off record";
  EXPECT_EQ(readHistory("no marker here 1 2 3", reread), 0u);
  EXPECT_TRUE(reread.empty());
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
