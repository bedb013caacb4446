#include "app/session.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace nodelyx {
namespace {

using Values = std::vector<double>;

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override { applyPanelDefaults(session.config); }

  bool load(DataKind kind, const std::filesystem::path& path) {
    return loadDataFile(session, kind, path, callbacks, reporter);
  }
  // Training and testing sets of 2 inputs and 1 output, and a network.
  void loadBothAndBuildNetwork() {
    ASSERT_TRUE(load(DataKind::Training, training));
    ASSERT_TRUE(load(DataKind::Testing, dir.write("a.tst", "[INPUTS] 2\n[OUTPUTS] 1\n2.5 0.25 12\n")));
    std::vector<int> sizes;
    for (const std::uint32_t size : session.config.layerSizes()) sizes.push_back(static_cast<int>(size));
    session.network = std::make_unique<Network>(sizes, -100, 100);
    session.config.setWeightsFile("/some/where.wts");
  }

  testing::TempDir dir;
  Session session;
  DataReadCallbacks callbacks;
  RecordingReporter reporter;
  const std::filesystem::path training =
      dir.write("a.trn", "[INPUTS] 2\n[OUTPUTS] 1\n2 0 10\n4 1 20\n3 0.5 15\n");
};

TEST_F(SessionTest, TrainingLoadSetsCountsFileAndScalingRecord) {
  EXPECT_FALSE(load(DataKind::Training, dir / "missing.trn"));
  EXPECT_TRUE(reporter.messages.empty()) << "a file that cannot be opened gets no message here";
  ASSERT_TRUE(load(DataKind::Training, training));
  EXPECT_EQ(session.config.layerSizes(), (std::vector<std::uint32_t>{2, 5, 1}));
  EXPECT_EQ(session.config.trainingFile(), training.string());
  EXPECT_EQ(session.scaling.fromMin, (Values{2.0, 0.0, 10.0}));
  EXPECT_EQ(session.scaling.fromMax, (Values{4.0, 1.0, 20.0}));
  EXPECT_EQ(session.scaling.toMin, (Values{-1.0, -1.0, 0.0}));
  EXPECT_EQ(session.scaling.toMax, (Values{1.0, 1.0, 1.0}));
}

// What a further read keeps of the loaded sets and the network.
TEST_F(SessionTest, AFurtherReadDiscardsWhatNoLongerFits) {
  struct Case {
    const char* name;
    DataKind kind;
    const char* text;
    bool loads, keepsNetwork, testingLoaded;
    std::uint32_t inputs;
    std::size_t columns;  // of the scaling record
  };
  const Case cases[] = {
      {"other counts discard the network and the testing set", DataKind::Training,
       "[INPUTS] 3\n[OUTPUTS] 1\n1 2 3 4\n", true, false, false, 3, 4},
      {"same counts keep both", DataKind::Training, "[INPUTS] 2\n[OUTPUTS] 1\n2.5 0 10\n", true, true, true,
       2, 3},
      {"a failed training read keeps the earlier set and its record", DataKind::Training,
       "[INPUTS] 2\n[OUTPUTS] 1\n1 2 x\n", false, true, true, 2, 3},
      {"a failed testing read keeps the earlier testing set", DataKind::Testing, "[INPUTS] 3\n1 2 3\n", false,
       true, true, 2, 3},
      {"a testing set without targets keeps the output count", DataKind::Testing, "[INPUTS] 2\n1 2 3 4\n",
       true, true, true, 2, 3},
  };
  for (const Case& c : cases) {
    session.discardNetwork();
    reporter.messages.clear();
    loadBothAndBuildNetwork();
    const auto file = dir.write("next", c.text);
    const bool readsTraining = c.kind == DataKind::Training;
    EXPECT_EQ(load(c.kind, file), c.loads) << c.name;
    EXPECT_EQ(reporter.messages.size(), c.loads ? 0u : 1u) << c.name;
    EXPECT_EQ(readsTraining ? session.config.trainingFile() : session.config.testFile(),
              c.loads ? file.string() : (readsTraining ? training.string() : (dir / "a.tst").string()))
        << c.name;
    EXPECT_TRUE(session.trainingDataLoaded()) << c.name;
    EXPECT_EQ(session.testingDataLoaded(), c.testingLoaded) << c.name;
    EXPECT_EQ(session.network != nullptr, c.keepsNetwork) << c.name;
    EXPECT_EQ(session.config.weightsFile(), c.keepsNetwork ? "/some/where.wts" : "") << c.name;
    EXPECT_EQ(session.config.inputCount(), c.inputs) << c.name;
    EXPECT_EQ(session.config.outputCount(), 1u) << c.name;
    EXPECT_EQ(session.scaling.columnCount(), c.columns) << c.name;
  }
}

TEST_F(SessionTest, SameCountsWidenTheRecordByTheNetworksOwnRanges) {
  loadBothAndBuildNetwork();
  session.network->mergeDataRanges(session.scaling);
  session.network->fromMax[0] = 100.0;
  ASSERT_TRUE(load(DataKind::Training, dir.write("c.trn", "[INPUTS] 2\n[OUTPUTS] 1\n2.5 0 10\n3 1 20\n")));
  EXPECT_EQ(session.scaling.fromMin[0], 2.0);
  EXPECT_EQ(session.scaling.fromMax[0], 100.0);
}

TEST_F(SessionTest, ShuffledLoadsRepeat) {
  session.config.setShuffleOnLoad(1);
  std::string text = "[INPUTS] 1\n[OUTPUTS] 1\n";
  Values fileOrder;
  for (int p = 0; p < 50; ++p) {
    text += std::to_string(p) + " " + std::to_string(-p) + "\n";
    fileOrder.insert(fileOrder.end(), {1.0 * p, -1.0 * p});
  }
  const auto path = dir.write("s.trn", text);
  Values loads[2];
  for (Values& values : loads) {
    ASSERT_TRUE(load(DataKind::Training, path));
    values.assign(session.trainingSet.values.get(), session.trainingSet.values.get() + 100);
  }
  EXPECT_EQ(loads[0], loads[1]);
  EXPECT_NE(loads[0], fileOrder) << "the patterns were shuffled";
}

}  // namespace
}  // namespace nodelyx
