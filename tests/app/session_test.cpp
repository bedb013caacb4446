#include "app/session.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/temp_dir.h"

namespace nodelyx {
namespace {

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scalingEnabled = 0;
    applyPanelDefaults(session.config);
    training = dir.write("a.trn", "[INPUTS] 2\n[OUTPUTS] 1\n2 0 10\n4 1 20\n3 0.5 15\n");
    testing = dir.write("a.tst", "[INPUTS] 2\n[OUTPUTS] 1\n2.5 0.25 12\n");
  }
  void TearDown() override { scalingEnabled = 0; }

  bool load(DataKind kind, const std::filesystem::path& path) {
    return loadDataFile(session, kind, path, callbacks, reporter);
  }
  void buildNetwork() {
    std::vector<int> sizes;
    for (const std::uint32_t size : session.config.layerSizes()) sizes.push_back(static_cast<int>(size));
    session.network = std::make_unique<Network>(sizes, -100, 100);
    session.config.setWeightsFile("/some/where.wts");
  }

  testing::TempDir dir;
  Session session;
  DataReadCallbacks callbacks;
  RecordingReporter reporter;
  std::filesystem::path training, testing;
};

TEST_F(SessionTest, TrainingLoadSetsCountsFileAndScalingRecord) {
  ASSERT_TRUE(load(DataKind::Training, training));
  EXPECT_TRUE(session.trainingDataLoaded());
  EXPECT_EQ(session.config.inputCount(), 2u);
  EXPECT_EQ(session.config.outputCount(), 1u);
  EXPECT_EQ(session.config.layerSizes(), (std::vector<std::uint32_t>{2, 5, 1}));
  EXPECT_EQ(session.config.trainingFile(), training.string());
  EXPECT_EQ(session.scaling.fromMin, (std::vector<double>{2.0, 0.0, 10.0}));
  EXPECT_EQ(session.scaling.fromMax, (std::vector<double>{4.0, 1.0, 20.0}));
  EXPECT_EQ(session.scaling.toMin, (std::vector<double>{-1.0, -1.0, 0.0}));
  EXPECT_EQ(session.scaling.toMax, (std::vector<double>{1.0, 1.0, 1.0}));
}

TEST_F(SessionTest, LoadedSetsAreEvaluatedThroughTheScaling) {
  ASSERT_TRUE(load(DataKind::Training, training));
  ASSERT_TRUE(load(DataKind::Testing, testing));
  buildNetwork();
  Network& net = *session.network;
  net.setLayerType(6, ActivationType::Linear);
  net.mergeDataRanges(session.scaling);
  scalingEnabled = 1;
  for (const PatternSet* set : {&session.trainingSet, &session.testingSet}) {
    net.evaluate(set->view(), 0.1);
    // The same pattern by hand: scale the inputs, run the network unscaled,
    // unscale the output.
    const double* row = set->row(0);
    double scaled[2];
    for (int i = 0; i < 2; ++i) {
      const double f = (net.toMax[i] - net.toMin[i]) / (net.fromMax[i] - net.fromMin[i]);
      scaled[i] = f * row[i] + net.toMin[i] - f * net.fromMin[i];
    }
    scalingEnabled = 0;
    double raw[1];
    net.recall(scaled, raw);
    scalingEnabled = 1;
    const double g = (20.0 - 10.0) / (1.0 - 0.0);
    double data[1];
    net.recall(row, data);
    EXPECT_DOUBLE_EQ(data[0], g * raw[0] + 10.0);
  }
}

TEST_F(SessionTest, NewCountsDiscardTheNetworkAndTheTestingSet) {
  ASSERT_TRUE(load(DataKind::Training, training));
  ASSERT_TRUE(load(DataKind::Testing, testing));
  buildNetwork();
  const auto wider = dir.write("b.trn", "[INPUTS] 3\n[OUTPUTS] 1\n1 2 3 4\n");
  ASSERT_TRUE(load(DataKind::Training, wider));
  EXPECT_EQ(session.network, nullptr);
  EXPECT_EQ(session.config.weightsFile(), "");
  EXPECT_FALSE(session.testingDataLoaded());
  EXPECT_EQ(session.config.testFile(), "");
  EXPECT_EQ(session.config.inputCount(), 3u);
}

TEST_F(SessionTest, SameCountsKeepTheNetworkAndWidenTheRecord) {
  ASSERT_TRUE(load(DataKind::Training, training));
  buildNetwork();
  session.network->mergeDataRanges(session.scaling);
  session.network->fromMax[0] = 100.0;
  const auto narrower = dir.write("c.trn", "[INPUTS] 2\n[OUTPUTS] 1\n2.5 0 10\n3 1 20\n");
  ASSERT_TRUE(load(DataKind::Training, narrower));
  ASSERT_NE(session.network, nullptr);
  EXPECT_EQ(session.scaling.fromMin[0], 2.0) << "the network's own range widens the record";
  EXPECT_EQ(session.scaling.fromMax[0], 100.0);
}

TEST_F(SessionTest, FailedTrainingLoadLeavesNoTrainingSetAndKeepsTheRest) {
  ASSERT_TRUE(load(DataKind::Training, training));
  ASSERT_TRUE(load(DataKind::Testing, testing));
  buildNetwork();
  const auto broken = dir.write("bad.trn", "[INPUTS] 2\n[OUTPUTS] 1\n1 2 x\n");
  EXPECT_FALSE(load(DataKind::Training, broken));
  EXPECT_FALSE(session.trainingDataLoaded());
  EXPECT_EQ(session.config.trainingFile(), "");
  EXPECT_EQ(session.scaling.columnCount(), 0u);
  EXPECT_NE(session.network, nullptr);
  EXPECT_TRUE(session.testingDataLoaded());
  EXPECT_EQ(reporter.messages.size(), 1u);

  EXPECT_FALSE(load(DataKind::Training, dir / "missing.trn"));
  EXPECT_EQ(reporter.messages.size(), 1u) << "a file that cannot be opened gets no message here";
}

TEST_F(SessionTest, FailedTestingLoadDiscardsOnlyTheTestingSet) {
  ASSERT_TRUE(load(DataKind::Training, training));
  ASSERT_TRUE(load(DataKind::Testing, testing));
  const auto other = dir.write("d.tst", "[INPUTS] 3\n1 2 3\n");
  EXPECT_FALSE(load(DataKind::Testing, other));
  EXPECT_FALSE(session.testingDataLoaded());
  EXPECT_EQ(session.config.testFile(), "");
  EXPECT_TRUE(session.trainingDataLoaded());
  EXPECT_EQ(session.config.inputCount(), 2u);
}

TEST_F(SessionTest, TestingSetWithoutTargetsKeepsTheOutputCount) {
  ASSERT_TRUE(load(DataKind::Training, training));
  const auto inputsOnly = dir.write("e.tst", "[INPUTS] 2\n1 2 3 4\n");
  ASSERT_TRUE(load(DataKind::Testing, inputsOnly));
  EXPECT_EQ(session.testingSet.patternCount, 2u);
  EXPECT_EQ(session.config.outputCount(), 1u);
}

TEST_F(SessionTest, ShuffledLoadsRepeat) {
  session.config.setShuffleOnLoad(1);
  std::string text = "[INPUTS] 1\n[OUTPUTS] 1\n";
  for (int p = 0; p < 50; ++p) text += std::to_string(p) + " " + std::to_string(-p) + "\n";
  const auto path = dir.write("s.trn", text);
  ASSERT_TRUE(load(DataKind::Training, path));
  const std::vector<double> first(session.trainingSet.values.get(), session.trainingSet.values.get() + 100);
  ASSERT_TRUE(load(DataKind::Training, path));
  const std::vector<double> second(session.trainingSet.values.get(), session.trainingSet.values.get() + 100);
  EXPECT_EQ(first, second);
}

}  // namespace
}  // namespace nodelyx
