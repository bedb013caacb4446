#include "app/weights_io.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "files/atomic_file.h"
#include "files/c_format.h"
#include "files/weights_format.h"
#include "support/pattern_sets.h"
#include "support/temp_dir.h"

namespace nodelyx {
namespace {

using testing::makePatternSet;

class WeightsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scalingEnabled = 0;
    applyPanelDefaults(session.config);
  }
  void TearDown() override { scalingEnabled = 0; }

  bool open(std::string_view text) {
    return openWeightsText(session, text, "net.wts", dir / "net.wts", reporter);
  }
  std::string onlyMessage() const {
    EXPECT_EQ(reporter.messages.size(), 1u);
    return reporter.messages.empty() ? "" : reporter.messages[0].title + ": " + reporter.messages[0].text;
  }

  testing::TempDir dir;
  Session session;
  RecordingReporter reporter;
};

TEST_F(WeightsFileTest, WritesTheFileLayoutLineForLine) {
  const int sizes[] = {2, 2, 1};
  Network net(sizes, -100, 100);
  const double values[2][3] = {{0.5213, -1.2, 0.03}, {2.1, 0.77, -0.4}};
  for (int j = 0; j < 2; ++j) {
    net.weights.at(1, j, 0) = values[j][0];
    net.weights.at(1, j, 1) = values[j][1];
    net.biases.at(1, j) = values[j][2];
  }
  net.weights.at(2, 0, 0) = 1.5;
  net.weights.at(2, 0, 1) = -2.25;
  net.biases.at(2, 0) = 0.1;
  EXPECT_EQ(formatWeights(net, false, {}),
            "[layers]  3\n[layersizes] 2 2 1\n[layertypes] 1 1\n\n[Weights]\n"
            "0.5213 -1.2 0.03\n2.1 0.77 -0.4\n\n1.5 -2.25 0.1\n\n");
  net.fromMin = {0, -1, 0.5};
  net.fromMax = {1, 1, 2};
  net.toMin = {-1, -1, 0};
  net.toMax = {1, 1, 1};
  const std::string scaled = formatWeights(net, true, {});
  EXPECT_NE(scaled.find("[layertypes] 1 1\n[FromMin] 0 -1 0.5\n[FromMax] 1 1 2\n[ToMin] -1 -1 0\n[ToMax] 1 1 "
                        "1\n\n[Weights]\n"),
            std::string::npos);
}

TEST_F(WeightsFileTest, SavedAndOpenedAgainGivesTheSameNetworkBitForBit) {
  const int sizes[] = {3, 4, 2, 2};
  session.network = std::make_unique<Network>(sizes, -100, 100);
  Network& net = *session.network;
  net.randomizeWeights(9);
  net.perturbWeights(50, 3);
  net.setLayerType(1, ActivationType::Tanh);
  net.setLayerType(2, ActivationType::Gaussian);
  net.setLayerType(6, ActivationType::Linear);
  // Ranges six significant digits cannot tell apart, and a value of a
  // diverged network.
  for (std::size_t c = 0; c < 5; ++c) {
    net.fromMin[c] = 1000000.1 + static_cast<double>(c);
    net.fromMax[c] = 1000000.4 + static_cast<double>(c);
    net.toMin[c] = -1.0 / 3.0;
    net.toMax[c] = 1;
  }
  net.biases.at(3, 1) = std::numeric_limits<double>::infinity();
  scalingEnabled = 1;
  TrainingRecord record;
  record.lastEpoch = 321;
  record.algorithm = "Rprop";
  record.finalRmsError = std::numeric_limits<double>::quiet_NaN();
  record.finalMaxError = -std::numeric_limits<double>::infinity();
  appendRecord(session.history, record);
  const auto path = dir / "saved.wts";
  ASSERT_TRUE(saveWeightsFile(session, path, reporter));

  scalingEnabled = 0;
  Session reopened;
  applyPanelDefaults(reopened.config);
  ASSERT_TRUE(openWeightsFile(reopened, path, reporter));
  EXPECT_TRUE(reporter.messages.empty());
  Network& back = *reopened.network;
  EXPECT_TRUE(std::equal(back.weights.all().begin(), back.weights.all().end(), net.weights.all().begin()));
  EXPECT_EQ(back.fromMin, net.fromMin);
  EXPECT_EQ(back.toMin, net.toMin);
  const double input[] = {1000000.2, 1000001.3, 1000002.25};
  double before[2], after[2];
  net.recall(input, before);
  back.recall(input, after);
  EXPECT_EQ(std::memcmp(before, after, sizeof before), 0) << before[0] << " " << after[0];
  EXPECT_EQ(back.layerTypes, net.layerTypes);
  EXPECT_EQ(back.saturationHigh[3], net.saturationHigh[3]);
  EXPECT_EQ(scalingEnabled.load(), 1);
  EXPECT_EQ(reopened.scaling.mode, ScalingMode::Auto);
  EXPECT_EQ(reopened.scaling.fromMax, back.fromMax);
  ASSERT_EQ(reopened.history.size(), 1u);
  EXPECT_TRUE(std::isnan(reopened.history[0].finalRmsError));
  EXPECT_EQ(reopened.history[0].finalMaxError, -std::numeric_limits<double>::infinity());
  EXPECT_EQ(reopened.epochCount, 321u);
  EXPECT_EQ(reopened.config.layerSizes(), (std::vector<std::uint32_t>{3, 4, 2, 2}));
  EXPECT_EQ(reopened.config.hiddenActivation(2), ActivationType::Gaussian);
  EXPECT_EQ(reopened.config.outputActivation(), ActivationType::Linear);
  EXPECT_EQ(reopened.config.weightsFile(), path.string());
  EXPECT_TRUE(reopened.weightsLoaded);
  EXPECT_EQ(back.weightRates.at(1, 0, 0), reopened.config.learningRate());

  // Saving again writes the same file.
  ASSERT_TRUE(saveWeightsFile(reopened, dir / "again.wts", reporter));
  std::string first, second;
  readWholeFile(path, first);
  readWholeFile(dir / "again.wts", second);
  EXPECT_EQ(first, second);
}

TEST_F(WeightsFileTest, OlderAndLooserFilesLoad) {
  // No [layertypes], no [Weights] keyword, commas between the weights.
  ASSERT_TRUE(open("[layers] 2\n[layersizes] 2 1\n0.5, -0.25,1\n"));
  EXPECT_EQ(session.network->layerTypes[1], ActivationType::Logistic);
  EXPECT_EQ(session.config.outputActivation(), ActivationType::Logistic);
  EXPECT_EQ(session.network->weights.at(1, 0, 1), -0.25);
  EXPECT_EQ(session.network->biases.at(1, 0), 1.0);
  EXPECT_EQ(scalingEnabled.load(), 0);
  EXPECT_EQ(session.scaling.mode, ScalingMode::None);
  EXPECT_TRUE(session.history.empty());
  EXPECT_EQ(session.epochCount, 0u);
  EXPECT_TRUE(open("[LAYERS]  3\n[LayerSizes] 1 1 1\n[Weights]\n2 0\n\n3 -1\n"));
  EXPECT_TRUE(open("\xEF\xBB\xBF[layers] 2\n[layersizes] 1 1\n[Weights]\n2 0\n")) << "a byte-order mark";
  EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(WeightsFileTest, ProblemsAreReportedWithWhatAndWhere) {
  const std::pair<std::string, const char*> cases[] = {
      {"hello", "Error: Invalid weights data file net.wts!\nFile missing header '[layers] size'"},
      {"[layers]\n3", "Error: Invalid weights data file net.wts!\nFile missing header '[layers] size'"},
      {"[layers] 8\n",
       "Error: Improper # of hidden layers in weights file\nnet.wts contains 6 hidden layers.\n"
       "The number of hidden layers must be between 0 and 5"},
      {"[layers] 3\n[sizes] 1 2 3",
       "Error: Invalid weights data file net.wts!\nFile missing header '[layersizes] size'"},
      {"[layers] 3\n[layersizes]\n2 2 1",
       "Error: Invalid weights data file net.wts!\nFile missing header '[layersizes] size'"},
      {"[layers] 3\n[layersizes] 2 2\n1",
       "Error: Invalid weights data file net.wts!\nFile missing '[layersizes]' info"},
      {"[layers] 3\n[layersizes] 0 2 1",
       "Invalid of # inputs: net.wts contains 0 inputs.\nThe legal range is between 1 and 4294967295"},
      {"[layers] 4\n[layersizes] 2 3 0 1",
       "Invalid of # neurons: net.wts contains 0 neurons in hidden layer # 2\nThe legal range is between 1 "
       "and 4294967295"},
      {"[layers] 3\n[layersizes] 2 2 0",
       "Invalid of # outputs: net.wts contains 0 outputs.\nThe legal range is between 1 and 4294967295"},
      {"[layers] 2\n[layersizes] 2 1\n[layertypes] 99\n[Weights]\n1 2 3\n",
       "Error: Invalid weights data file net.wts!\nLayer type 99 in line 3 is not an activation code "
       "(1 logistic, 2 tanh, 3 linear, 4 Gaussian)"},
      {"[layers] 2\n[layersizes] 2 1\n[Weights]\n0.5 0.25\n",
       "Error: net.wts ends after 2 of the 3 weights and biases of its network.\nWeights NOT loaded"},
      {"[layers] 2\n[layersizes] 2 1\n[Weights]\n0.5 0.25\n\n\n" + std::string(kHistoryMarker) + "\n",
       "Error: net.wts ends after 2 of the 3 weights and biases of its network.\nWeights NOT loaded"},
      {"[layers] 2\n[layersizes] 2 1\n[Weights]\n0.5\nx 1\n",
       "Error: net.wts: \"x\" in line 5 is not a number.\nWeights NOT loaded"},
      {"[layers] 2\n[layersizes] 2 1\n[Weights]\n-2,45144 0,5 1\n",
       "Error: net.wts holds more numbers than the 3 weights and biases of its network (\"5\" in line 4).\n"
       "Numbers must use a decimal point, not a comma.\nWeights NOT loaded"},
      // A few bytes that claim sixty-four million weights are refused
      // before anything is made for them.
      {"[layers] 4\n[layersizes] 1 8000 8000 1\n[Weights]\n0 0 0\n",
       "Error: Invalid weights data file net.wts!\nThe file is too short for the 64032001 weights and "
       "biases of its network"},
      // Ranges for four billion outputs, with three numbers behind them:
      // refused without first making room for all of them.
      {"[layers] 2\n[layersizes] 10 4042157662\n[FromMin] 0 0 0\n",
       "Error: Invalid weights data file net.wts!\nFile missing '[FromMin]' info"},
  };
  for (const auto& [text, message] : cases) {
    reporter.messages.clear();
    EXPECT_FALSE(open(text)) << text;
    EXPECT_EQ(onlyMessage(), message) << text;
    EXPECT_EQ(session.network, nullptr) << text;
  }
}

TEST_F(WeightsFileTest, UnreadableHistoryRecordsAreLeftOutWithAWarning) {
  TrainingHistory history(3);
  for (std::uint32_t k = 0; k < 3; ++k) {
    history[k].date = "Sat Dec  5 13:55:00 1998";
    history[k].algorithm = "Rprop";
    history[k].lastEpoch = 100 * (k + 1);
  }
  std::string text = "[layers] 2\n[layersizes] 1 1\n[Weights]\n2 0\n";
  writeHistory(text, history);
  const std::size_t momentum = text.find("Momentum                 0", text.find("101 - 200"));
  text.replace(momentum, 26, "Momentum                 zero");
  ASSERT_TRUE(open(text));
  ASSERT_EQ(session.history.size(), 2u);
  EXPECT_EQ(session.history[1].lastEpoch, 300u);
  EXPECT_EQ(session.epochCount, 300u);
  EXPECT_EQ(onlyMessage(),
            "Warning: 1 record(s) of the training history in net.wts could not be read and were left out.\n"
            "Saving these weights will save the history without them.");
}

TEST_F(WeightsFileTest, ConflictingInputsClearTheDataButLoadTheWeights) {
  session.trainingSet = makePatternSet(2, 1, {0, 0, 0, 1, 1, 1});
  session.config.setInputCount(2);
  session.config.setOutputCount(1);
  session.config.setTrainingFile("/data/a.trn");
  session.testingSet = makePatternSet(2, 1, {0, 0, 0});
  ASSERT_TRUE(open("[layers] 2\n[layersizes] 3 1\n[layertypes] 2\n[Weights]\n1 2 3 4\n"));
  EXPECT_EQ(onlyMessage(),
            "Error: Conflicting number of inputs between\nWeights and Training or Testing data files\n"
            "Training and Testing data will be cleared");
  EXPECT_FALSE(session.trainingDataLoaded());
  EXPECT_FALSE(session.testingDataLoaded());
  EXPECT_EQ(session.config.trainingFile(), "");
  ASSERT_NE(session.network, nullptr);
  EXPECT_EQ(session.config.inputCount(), 3u);
  EXPECT_EQ(session.network->biases.at(1, 0), 4.0);
}

TEST_F(WeightsFileTest, TopologiesBeyondMemoryAreRefused) {
  session.networkMemoryLimit = 1 << 20;
  std::string text = "[layers] 3\n[layersizes] 1000 1000 1\n[Weights]\n";
  for (int k = 0; k < 1002001; ++k) text += "0 ";
  EXPECT_FALSE(open(text));
  EXPECT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].title, "ERROR");
  EXPECT_EQ(session.network, nullptr);
}

TEST_F(WeightsFileTest, SavingWithoutANetworkOrAPlaceFails) {
  EXPECT_FALSE(saveWeightsFile(session, dir / "x.wts", reporter));
  EXPECT_EQ(onlyMessage(), "Error: Unable to save weights - Network not initialized");
  const int sizes[] = {1, 1};
  session.network = std::make_unique<Network>(sizes, -1, 1);
  session.weightsModified = true;
  reporter.messages.clear();
  EXPECT_FALSE(saveWeightsFile(session, dir / "missing" / "x.wts", reporter));
  EXPECT_EQ(onlyMessage(),
            "Error: Unable to open weights file x.wts\nWeights not saved\nNo such file or directory");
  EXPECT_TRUE(session.weightsModified);
  EXPECT_TRUE(saveWeightsFile(session, dir / "x.wts", reporter));
  EXPECT_FALSE(session.weightsModified);
}

TEST_F(WeightsFileTest, FileThatCannotBeOpenedGivesNoMessage) {
  const int sizes[] = {1, 1};
  session.network = std::make_unique<Network>(sizes, -1, 1);
  EXPECT_FALSE(openWeightsFile(session, dir / "nothing.wts", reporter));
  EXPECT_TRUE(reporter.messages.empty());
  EXPECT_EQ(session.network, nullptr);
}

}  // namespace
}  // namespace nodelyx
