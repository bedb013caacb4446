// Snapshots of the network: copies taken at once while no run is active,
// between epochs while one is, never written once handed out, and
// evaluating exactly as the network they copy.
#include "app/network_snapshots.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/training_run.h"
#include "support/gated_observer.h"
#include "support/pattern_sets.h"

namespace nodelyx {
namespace {

class NetworkSnapshotsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scalingEnabled = 1;
    applyPanelDefaults(session.config);
    session.trainingSet = testing::makePatternSet(2, 1, {0, 0, 0, 0, 1, 1, 1, 0, 1, 1000, 2000, 0});
    session.config.setInputCount(2);
    session.config.setOutputCount(1);
    session.config.setEnforceTrainingStop(0);
    session.config.setMaxEpochs(1000);
    const std::uint32_t seed = 11;
    ASSERT_TRUE(session.buildNetwork(reporter, &seed));
    rebuildScalingRecord(session.scaling, 2, 1, session.trainingSet, ActivationType::Logistic);
    session.network->mergeDataRanges(session.scaling);
  }
  void TearDown() override { scalingEnabled = 0; }

  // Both give the same bits for a few inputs.
  static bool sameResponse(Network& a, Network& b) {
    for (const double x : {-3.0, 0.25, 7.0, 1500.0}) {
      const double input[] = {x, 2 * x};
      double first = 0, second = 0;
      a.recall(input, &first);
      b.recall(input, &second);
      if (std::memcmp(&first, &second, sizeof first) != 0) return false;
    }
    return true;
  }

  Session session;
  RecordingReporter reporter;
};

TEST_F(NetworkSnapshotsTest, IdleSnapshotsAreTakenAtOnceAndStayAsTheyWere) {
  const auto first = session.networkSnapshot();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(sameResponse(first->network, *session.network));
  EXPECT_TRUE(first->scaling);
  session.network->perturbWeights(50, 3);
  EXPECT_FALSE(sameResponse(first->network, *session.network)) << "a copy, not a view";
  const auto second = session.networkSnapshot();
  EXPECT_NE(second, first) << "a held snapshot is never written again";
  EXPECT_TRUE(sameResponse(second->network, *session.network));
  const auto third = session.networkSnapshot();  // both buffers are held: a fresh one
  EXPECT_TRUE(sameResponse(third->network, *session.network));
  session.discardNetwork();
  EXPECT_EQ(session.networkSnapshot(), nullptr);
}

TEST_F(NetworkSnapshotsTest, DuringARunTheWorkerTakesThemBetweenEpochsWhenAsked) {
  testing::GatedObserver gate;
  TrainingRun run;
  ASSERT_TRUE(run.start(session, &gate, reporter));
  gate.waitUntilHeld();  // epoch 1 ran before anybody asked
  EXPECT_EQ(session.networkSnapshot(), nullptr);
  gate.releaseOne();
  gate.waitUntilHeld();  // epoch 2 took the copy asked for
  const auto snapshot = session.networkSnapshot();
  ASSERT_NE(snapshot, nullptr);
  EXPECT_EQ(snapshot->epoch, 2u);
  EXPECT_TRUE(sameResponse(snapshot->network, *session.network))
      << "the worker is held: nothing changed since";
  gate.releaseOne();
  gate.waitUntilHeld();
  EXPECT_EQ(session.networkSnapshot()->epoch, 3u);
  EXPECT_EQ(snapshot->epoch, 2u) << "the one held is left alone";
  gate.open();
  run.finish({});
  const auto last = session.networkSnapshot();
  EXPECT_TRUE(sameResponse(last->network, *session.network));
}

}  // namespace
}  // namespace nodelyx
