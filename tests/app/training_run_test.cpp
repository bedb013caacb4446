#include "app/training_run.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "app/network_setup.h"
#include "support/gated_observer.h"
#include "support/pattern_sets.h"

namespace nodelyx {
namespace {

using testing::makePatternSet;
using testing::xorValues;

class RecordingObserver : public TrainingObserver {
 public:
  void trainingStarted() override { ++started; }
  void epochFinished(const EpochStatistics& stats) override {
    epochs.push_back(stats);
    epochsSeen.fetch_add(1);
  }
  void sampleStored(const ErrorSamples& samples) override {
    sampleCounts.push_back(samples.count);
    stored.push_back(samples.trainRms[samples.count - 1]);
  }
  void trainingEnded(const RunSummary& summary) override {
    ++ended;
    last = summary;
  }
  std::atomic<int> epochsSeen{0};  // read by the test's thread while the run goes on
  int started = 0;
  int ended = 0;
  std::vector<EpochStatistics> epochs;
  std::vector<std::uint32_t> sampleCounts;
  std::vector<double> stored;
  RunSummary last;
};

class TrainingRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scalingEnabled = 1;
    applyPanelDefaults(session.config);
    session.scaling.mode = ScalingMode::Auto;
    loadTraining(2, 1, xorValues());
    session.config.setLayerCount(3);
    session.config.setHiddenNeurons(1, 3);
    session.config.setTrainingMethod(TrainingMethod::OnlineBackprop);
    session.config.setLearningRate(0.5);
    session.config.setTrainingFile("/data/xor.trn");
    // No criterion can hold unless a test turns one on.
    session.config.setRmsErrorStop(-1);
    session.config.setPercentCorrectStop(101);
    session.config.setMaxRmsErrorStop(-1);
    session.config.setMaxErrorStop(-1);
    session.config.setMaxEpochs(20);
  }
  void TearDown() override { scalingEnabled = 0; }

  void loadTraining(std::uint32_t inputs, std::uint32_t outputs, const std::vector<double>& values) {
    session.trainingSet = makePatternSet(inputs, outputs, values);
    session.config.setInputCount(inputs);
    session.config.setOutputCount(outputs);
    rebuildScalingRecord(session.scaling, inputs, outputs, session.trainingSet, ActivationType::Logistic);
  }

  RunSummary runToEnd() {
    EXPECT_TRUE(run.start(session, &observer, reporter));
    run.wait();
    EXPECT_FALSE(session.runActive());
    EXPECT_EQ(run.keepTraining.load(), 0);
    return observer.last;
  }

  Session session;
  TrainingRun run;
  RecordingObserver observer;
  RecordingReporter reporter;
};

TEST_F(TrainingRunTest, StopsAtTheEpochLimitAndRecordsTheRun) {
  const RunSummary summary = runToEnd();
  EXPECT_EQ(summary.reason, StopReason::EpochLimit);
  EXPECT_EQ(summary.epochsRun, 20u);
  EXPECT_EQ(session.epochCount, 20u);
  EXPECT_EQ(observer.started, 1);
  EXPECT_EQ(observer.ended, 1);
  ASSERT_EQ(observer.epochs.size(), 20u);
  EXPECT_EQ(observer.epochs.back().epoch, 20u);
  EXPECT_FALSE(observer.epochs.back().testMeasured);
  ASSERT_EQ(session.history.size(), 1u);
  const TrainingRecord& record = session.history[0];
  EXPECT_EQ(record.lastEpoch, 20u);
  EXPECT_EQ(record.algorithm, "Online Back-Propagation");
  EXPECT_EQ(record.parameters[0], 0.5);
  EXPECT_EQ(record.finalRmsError, run.trainRmsNow);
  EXPECT_EQ(record.finalMaxError, observer.epochs.back().trainMaxError);
  EXPECT_EQ(record.trainingDataFile, "/data/xor.trn");
  EXPECT_TRUE(session.weightsModified);
  EXPECT_EQ(session.network->weightRates.at(1, 0, 0), 0.5) << "a new network starts from the learning rate";

  // A run started at the limit trains nothing, adds no record, and reports
  // the network as it is: the same errors the last epoch left.
  const RunSummary again = runToEnd();
  EXPECT_EQ(again.reason, StopReason::EpochLimit);
  EXPECT_EQ(again.epochsRun, 0u);
  EXPECT_EQ(session.history.size(), 1u);
  EXPECT_EQ(again.last.trainRms, summary.last.trainRms);
  EXPECT_EQ(again.last.trainMaxError, summary.last.trainMaxError);
  EXPECT_EQ(again.last.trainCorrect, summary.last.trainCorrect);
}

TEST_F(TrainingRunTest, EachCriterionStopsTheRun) {
  struct Case {
    void (*set)(NetworkConfig&);
    StopReason reason;
  };
  const Case cases[] = {
      {[](NetworkConfig& c) { c.setRmsErrorStop(10); }, StopReason::TrainingRmsError},
      {[](NetworkConfig& c) { c.setPercentCorrectStop(0); }, StopReason::TrainingPercentCorrect},
      {[](NetworkConfig& c) { c.setMaxRmsErrorStop(10); }, StopReason::TrainingMaxRmsError},
      {[](NetworkConfig& c) { c.setMaxErrorStop(10); }, StopReason::TrainingMaxError},
  };
  for (const Case& c : cases) {
    SetUp();
    session.epochCount = 0;
    c.set(session.config);
    const RunSummary summary = runToEnd();
    EXPECT_EQ(summary.reason, c.reason) << stopReasonName(c.reason);
    EXPECT_EQ(summary.epochsRun, 1u) << stopReasonName(c.reason);
    // Unchecked, the same criterion leaves only the epoch limit.
    SetUp();
    session.epochCount = 0;
    c.set(session.config);
    session.config.setEnforceTrainingStop(0);
    EXPECT_EQ(runToEnd().reason, StopReason::EpochLimit) << stopReasonName(c.reason);
  }
}

TEST_F(TrainingRunTest, TestingCriteriaNeedATestingSetWithTargets) {
  session.config.setEnforceTrainingStop(0);
  session.config.setRmsErrorStop(10);
  session.testingSet = makePatternSet(2, 0, {0, 0, 1, 1});
  EXPECT_EQ(runToEnd().reason, StopReason::EpochLimit) << "no targets, nothing to measure";
  session.testingSet = makePatternSet(2, 1, xorValues());
  session.epochCount = 0;
  const RunSummary summary = runToEnd();
  EXPECT_EQ(summary.reason, StopReason::TestingRmsError);
  EXPECT_TRUE(summary.last.testMeasured);
  EXPECT_EQ(summary.last.testRms, run.testRmsNow);
}

TEST_F(TrainingRunTest, RunsUntilEveryPatternIsCorrect) {
  session.config.setPercentCorrectStop(100);
  session.config.setMaxEpochs(20000);
  const RunSummary summary = runToEnd();
  EXPECT_EQ(summary.reason, StopReason::TrainingPercentCorrect);
  EXPECT_EQ(summary.last.trainCorrect, 4u);
  EXPECT_EQ(summary.last.trainPercent, 100.0);
}

TEST_F(TrainingRunTest, StopFromAnotherThreadFinishesTheEpoch) {
  session.config.setMaxEpochs(100000000);
  ASSERT_TRUE(run.start(session, &observer, reporter));
  while (observer.epochsSeen.load() < 50) std::this_thread::yield();
  run.stop();
  run.wait();
  EXPECT_EQ(observer.last.reason, StopReason::Stopped);
  EXPECT_EQ(observer.epochs.size(), observer.last.epochsRun);
  EXPECT_EQ(observer.epochs.back().epoch, session.epochCount);
  EXPECT_EQ(session.history.back().lastEpoch, session.epochCount);
}

TEST_F(TrainingRunTest, SamplesThinPastTwoHundredFifty) {
  session.config.setMaxEpochs(251);
  runToEnd();
  ASSERT_EQ(observer.sampleCounts.size(), 251u);
  EXPECT_EQ(observer.sampleCounts.back(), 251u);
  // The 251st sample is thinned at the top of the next epoch, which here
  // finds the limit reached.
  EXPECT_EQ(session.samples.count, 125u);
  EXPECT_EQ(session.samples.interval, 2u);
  EXPECT_EQ(session.samples.trainRms[1], observer.stored[2]);
  EXPECT_EQ(session.samples.trainRms[124], observer.stored[248]);
  EXPECT_EQ(session.samples.trainRms[0], observer.stored[0]);
  session.config.setMaxEpochs(252);
  runToEnd();
  EXPECT_EQ(session.samples.count, 125u) << "epoch 252 is not sampled";
  session.config.setMaxEpochs(253);
  runToEnd();
  EXPECT_EQ(session.samples.count, 126u) << "epoch 253 is";
}

TEST_F(TrainingRunTest, CrossValidationHoldsBackTheLastTenth) {
  std::vector<double> values;
  for (int p = 0; p < 10; ++p) values.insert(values.end(), {p * 0.1, 1.0 - p * 0.1, p % 2 ? 1.0 : 0.0});
  loadTraining(2, 1, values);
  session.config.setPlotMemorization(1);
  session.config.setMaxEpochs(3);
  const RunSummary summary = runToEnd();
  EXPECT_EQ(run.xvalSplit, 9u);
  EXPECT_NE(summary.last.xvalRms, 0.0);
  EXPECT_EQ(summary.last.trainPercent, static_cast<double>(summary.last.trainCorrect) / 9 * 100);
  EXPECT_EQ(session.samples.xvalRms[2], summary.last.xvalRms);
}

TEST_F(TrainingRunTest, SameStartSameWeightsForEveryMethod) {
  for (int code = 1; code <= 6; ++code) {
    std::vector<double> results[2];
    for (std::vector<double>& result : results) {
      SetUp();
      session.network.reset();
      session.epochCount = 0;
      session.config.setTrainingMethod(static_cast<TrainingMethod>(code));
      session.config.setInputNoise(0.02);
      session.config.setMaxEpochs(300);
      const std::uint32_t seed = 99;
      session.network = buildNetwork(session.config, reporter, &seed);
      session.ratesResetPending = true;
      runToEnd();
      result.assign(session.network->weights.all().begin(), session.network->weights.all().end());
    }
    EXPECT_EQ(results[0], results[1]) << "method " << code;
  }
}

// Runs of separate sessions share nothing they write: side by side on their
// own threads (as repeated command-line runs train), each gives the weights
// it gives alone. Input noise draws from the generator on every pattern.
TEST_F(TrainingRunTest, RunsOfSeparateSessionsTrainSideBySide) {
  session.config.setInputNoise(0.02);
  session.config.setMaxEpochs(200);
  const auto train = [this](std::uint32_t seed) {
    Session own;
    own.config = session.config;
    own.trainingSet = copyOf(session.trainingSet);
    own.scaling = session.scaling;
    RecordingReporter messages;
    EXPECT_TRUE(own.buildNetwork(messages, &seed));
    TrainingRun ownRun;
    EXPECT_TRUE(ownRun.start(own, nullptr, messages));
    ownRun.wait();
    return std::vector<double>(own.network->weights.all().begin(), own.network->weights.all().end());
  };
  const std::vector<double> alone[2] = {train(1), train(2)};
  std::vector<double> together[2];
  std::thread other([&] { together[1] = train(2); });
  together[0] = train(1);
  other.join();
  EXPECT_EQ(together[0], alone[0]);
  EXPECT_EQ(together[1], alone[1]);
  EXPECT_NE(alone[0], alone[1]);
}

TEST_F(TrainingRunTest, RefusesToStartWithoutDataOrWithAnUnknownMethod) {
  struct Case {
    const char* name;
    void (*prepare)(Session&);
    const char* message;
  };
  const Case cases[] = {
      {"no training set", [](Session& s) { s.trainingSet.clear(); }, "Training Data not loaded"},
      {"method 0", [](Session& s) { s.config.setTrainingMethod(static_cast<TrainingMethod>(0)); },
       "The training method 0 is not one of the six: 1 Online Backprop, 2 Batch Backprop, 3 RPROP, "
       "4 QuickProp, 5 Delta-Bar-Delta, 6 Online Backprop - Rand."},
      {"method 99", [](Session& s) { s.config.setTrainingMethod(static_cast<TrainingMethod>(99)); },
       "The training method 99 is not one of the six"},
  };
  for (const Case& c : cases) {
    SetUp();
    reporter.messages.clear();
    c.prepare(session);
    EXPECT_FALSE(run.start(session, &observer, reporter)) << c.name;
    ASSERT_EQ(reporter.messages.size(), 1u) << c.name;
    EXPECT_EQ(reporter.messages[0].text.rfind(c.message, 0), 0u) << reporter.messages[0].text;
    EXPECT_EQ(observer.started, 0) << c.name;
    EXPECT_TRUE(session.history.empty()) << c.name;
  }
}

TEST_F(TrainingRunTest, ADivergedNetworkMeetsNoCriterionAndStops) {
  // Thresholds that an error statistic stuck at 0 would meet.
  session.config.setRmsErrorStop(10);
  session.config.setMaxRmsErrorStop(10);
  session.config.setMaxErrorStop(10);
  const std::uint32_t seed = 3;
  session.network = buildNetwork(session.config, reporter, &seed);
  session.ratesResetPending = true;
  session.network->weights.at(2, 0, 1) = std::numeric_limits<double>::quiet_NaN();
  const RunSummary summary = runToEnd();
  EXPECT_EQ(summary.reason, StopReason::Diverged);
  EXPECT_EQ(summary.epochsRun, 1u);
  EXPECT_TRUE(std::isnan(summary.last.trainRms));
  EXPECT_TRUE(std::isnan(summary.last.trainMaxPatternRms));
  EXPECT_TRUE(std::isnan(summary.last.trainMaxError));
  EXPECT_EQ(summary.last.trainCorrect, 0u);
  ASSERT_EQ(session.history.size(), 1u);
  EXPECT_TRUE(std::isnan(session.history[0].finalRmsError));
}

TEST_F(TrainingRunTest, CrossValidationNeedsTwoPatterns) {
  loadTraining(2, 1, {0, 1, 1});
  session.config.setPlotMemorization(1);
  session.config.setMaxEpochs(3);
  const RunSummary summary = runToEnd();
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].title, "Warning");
  EXPECT_EQ(summary.epochsRun, 3u);
  EXPECT_EQ(run.xvalSplit, 0u);
  EXPECT_TRUE(std::isfinite(summary.last.trainPercent));
  EXPECT_EQ(summary.last.xvalRms, 0.0);
}

TEST_F(TrainingRunTest, FinishingFromTheGuiThreadNeverWaitsForItself) {
  session.config.setMaxEpochs(100000000);
  // The notification is answered only when the GUI thread serves its events.
  testing::GatedObserver gate;
  ASSERT_TRUE(run.start(session, &gate, reporter));
  gate.waitUntilHeld();
  run.finish([&] { gate.serve(); });
  EXPECT_FALSE(session.runActive());
  EXPECT_EQ(session.history.size(), 1u);

  // The notification returns only once the run has been told to stop; the
  // destructor ends such a run too.
  class UntilStopped : public TrainingObserver {
   public:
    explicit UntilStopped(const TrainingRun*& run) : run_(run) {}
    void sampleStored(const ErrorSamples&) override {
      entered.store(true);
      while (run_->keepTraining.load() != 0) std::this_thread::yield();
    }
    std::atomic<bool> entered{false};

   private:
    const TrainingRun*& run_;
  };
  const TrainingRun* current = &run;
  UntilStopped untilStopped(current);
  ASSERT_TRUE(run.start(session, &untilStopped, reporter));
  while (!untilStopped.entered.load()) std::this_thread::yield();
  run.finish({});
  EXPECT_EQ(session.history.size(), 2u);
  {
    TrainingRun other;
    current = &other;
    untilStopped.entered.store(false);
    ASSERT_TRUE(other.start(session, &untilStopped, reporter));
    while (!untilStopped.entered.load()) std::this_thread::yield();
  }
  EXPECT_FALSE(session.runActive());
  EXPECT_EQ(session.history.size(), 3u);
}

// Under ThreadSanitizer this is the check that the run, a snapshot reader
// on another thread and a GUI thread posting edits share nothing unguarded.
TEST_F(TrainingRunTest, ManyShortRunsWithAReaderEditsAndStopsAtRandomMoments) {
  session.config.setMaxEpochs(100000000);
  std::atomic<bool> done{false};
  std::atomic<int> evaluated{0};
  std::thread reader([&] {
    const double input[] = {0.25, 0.75};
    double output = 0;
    while (!done.load()) {
      if (const auto snapshot = session.snapshots.latest()) {
        snapshot->network.recall(input, &output);
        evaluated.fetch_add(1);
      }
      std::this_thread::yield();
    }
  });
  std::mt19937 random(7);
  const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  double rate = 0.5;
  for (int r = 0; r < 30; ++r) {
    ASSERT_TRUE(run.start(session, &observer, reporter));
    for (int step = pick(6); step > 0; --step) {
      std::this_thread::sleep_for(std::chrono::microseconds(pick(2000)));
      switch (pick(4)) {
        case 0:
          session.setLearningRate(rate = 0.1 + 0.01 * pick(50));
          break;
        case 1:
          session.setMomentum(0.01 * pick(90));
          break;
        case 2:
          session.config.setErrorMargin(0.01 * pick(50));
          session.runSettingsChanged();
          break;
        default:
          session.networkSnapshot();
      }
    }
    run.finish({});
    ASSERT_FALSE(session.runActive());
    EXPECT_EQ(session.network->weightRates.at(1, 0, 0), rate) << "run " << r << ": every edit arrived";
  }
  done.store(true);
  reader.join();
  EXPECT_GT(evaluated.load(), 0);
}

}  // namespace
}  // namespace nodelyx
