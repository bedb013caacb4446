// The session while a run trains: edits that reach the network between
// epochs in the order they were made, operations refused while the worker
// owns the network, and the Randomize and Perturb commands.
#include <gtest/gtest.h>

#include "app/session_files.h"
#include "app/training_run.h"
#include "app/weights_io.h"
#include "support/gated_observer.h"
#include "support/pattern_sets.h"
#include "support/temp_dir.h"

namespace nodelyx {
namespace {

using testing::GatedObserver;

// What the worker saw of the network after each epoch.
class RecordingGate : public GatedObserver {
 public:
  explicit RecordingGate(Session& session) : session_(session) {}
  void epochFinished(const EpochStatistics& stats) override {
    const Network& net = *session_.network;
    seen.push_back({stats.epoch, net.weightRates.at(1, 0, 0), net.momentum, net.maxWeight});
  }
  struct Seen {
    std::uint32_t epoch;
    double rate, momentum, maxWeight;
    bool operator==(const Seen&) const = default;
  };
  std::vector<Seen> seen;  // read by the test only while the worker is held or done

 private:
  Session& session_;
};

class SessionEditsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    applyPanelDefaults(session.config);
    session.trainingSet = testing::makePatternSet(2, 1, testing::xorValues());
    session.config.setInputCount(2);
    session.config.setOutputCount(1);
    session.config.setTrainingMethod(TrainingMethod::OnlineBackprop);
    session.config.setEnforceTrainingStop(0);
    session.config.setMaxEpochs(100);
    const std::uint32_t seed = 5;
    ASSERT_TRUE(session.buildNetwork(reporter, &seed));
  }
  void TearDown() override {
    gate.open();
    run.finish({});
  }

  Session session;
  TrainingRun run;
  RecordingGate gate{session};
  RecordingReporter reporter;
};

TEST_F(SessionEditsTest, EditsReachTheNetworkBetweenEpochsInTheOrderMade) {
  ASSERT_TRUE(run.start(session, &gate, reporter));
  gate.waitUntilHeld();  // after epoch 1
  session.setLearningRate(0.2);
  session.setMomentum(0.5);
  session.setLearningRate(0.3);
  gate.releaseOne();
  gate.waitUntilHeld();  // after epoch 2: all three applied, the later rate last
  session.setWeightLimits(-3, 3);
  session.config.setMaxEpochs(4);
  session.runSettingsChanged();
  gate.releaseOne();
  gate.waitUntilHeld();
  gate.releaseOne();
  gate.waitUntilHeld();       // epoch 4, the new limit: the run ends after it
  session.setMomentum(0.25);  // too late for the worker: applied when the run is settled
  gate.open();
  run.wait();
  using Seen = RecordingGate::Seen;
  EXPECT_EQ(gate.seen,
            (std::vector<Seen>{{1, 0.1, 0, 100}, {2, 0.3, 0.5, 100}, {3, 0.3, 0.5, 3}, {4, 0.3, 0.5, 3}}));
  EXPECT_EQ(session.network->momentum, 0.25);
  EXPECT_EQ(session.config.momentum(), 0.25);
  EXPECT_EQ(session.history.size(), 1u) << "the record is appended when the run is settled";
}

TEST_F(SessionEditsTest, OperationsThatWouldChangeWhatTheWorkerOwnsAreRefused) {
  testing::TempDir dir;
  const auto data = dir.write("x.trn", "[INPUTS] 2\n[OUTPUTS] 1\n0 0 0\n");
  const auto weights = dir.write("x.wts", "[layers] 2\n[layersizes] 2 1\n[Weights]\n1 2 3\n");
  const auto net = dir.write("x.net", "[LAYERS] 3\n");
  SessionFileActions actions(session, reporter);
  const char* const load = "Files cannot be loaded while training is in process.";
  struct Case {
    const char* name;
    std::function<bool()> operation;
    const char* message;
  };
  const Case cases[] = {
      {"training data", [&] { return loadDataFile(session, DataKind::Training, data, {}, reporter); }, load},
      {"weights", [&] { return openWeightsFile(session, weights, reporter); }, load},
      {"configuration",
       [&] {
         return openConfiguration(session, net, CompanionOrder::Interactive, actions, {}, {}, reporter);
       },
       load},
      {"new network", [&] { return newSession(session, reporter); },
       "Cannot create new network at this time."},
      {"hidden layers", [&] { return session.setHiddenLayerCount(2, reporter); },
       "The topology cannot be changed"},
      {"hidden size", [&] { return session.setHiddenNeurons(1, 7, reporter); },
       "The topology cannot be changed"},
      {"randomize", [&] { return session.randomizeWeights(reporter); }, "The weights cannot be changed"},
      {"perturb", [&] { return session.perturbWeights(reporter); }, "The weights cannot be changed"},
      {"save weights", [&] { return saveWeightsFile(session, dir / "y.wts", reporter); },
       "The weights cannot be saved"},
      {"test", [&] { return actions.save(FileKind::Output, (dir / "y.out").string()); },
       "The network cannot be tested"},
  };
  ASSERT_TRUE(run.start(session, &gate, reporter));
  gate.waitUntilHeld();
  const Network* network = session.network.get();
  for (const Case& c : cases) {
    reporter.messages.clear();
    EXPECT_FALSE(c.operation()) << c.name;
    ASSERT_EQ(reporter.messages.size(), 1u) << c.name;
    EXPECT_EQ(reporter.messages[0].title, "Warning") << c.name;
    EXPECT_EQ(reporter.messages[0].text.rfind(c.message, 0), 0u)
        << c.name << ": " << reporter.messages[0].text;
  }
  EXPECT_EQ(session.network.get(), network);
  EXPECT_EQ(session.config.layerCount(), 3u);
  EXPECT_TRUE(session.trainingDataLoaded());
  EXPECT_FALSE(std::filesystem::exists(dir / "y.wts"));
  gate.open();
  run.wait();
  reporter.messages.clear();
  EXPECT_TRUE(session.setHiddenNeurons(1, 7, reporter)) << "allowed again once the run has ended";
  EXPECT_EQ(session.network, nullptr);
}

class EventLog : public SessionObserver {
 public:
  void sessionChanged(SessionEvent event) override { events.push_back(event); }
  std::vector<SessionEvent> events;
};

TEST_F(SessionEditsTest, RandomizeStartsTheWeightsOverAndPerturbKeepsTheirHistory) {
  gate.open();
  ASSERT_TRUE(run.start(session, &gate, reporter));
  run.wait();
  ASSERT_EQ(session.history.size(), 1u);
  EventLog log;
  session.setObserver(&log);
  const std::vector<double> trained(session.network->weights.all().begin(),
                                    session.network->weights.all().end());
  session.weightsModified = false;
  ASSERT_TRUE(session.perturbWeights(reporter));
  EXPECT_TRUE(session.weightsModified);
  EXPECT_EQ(session.epochCount, 100u);
  EXPECT_EQ(session.history.size(), 1u);
  for (std::size_t k = 0; k < trained.size(); ++k) {
    const double ratio = session.network->weights.all()[k] / trained[k];
    EXPECT_TRUE(ratio >= 0.8 && ratio <= 1.2) << k << ": within the 20 % of the settings";
  }
  ASSERT_TRUE(session.randomizeWeights(reporter));
  EXPECT_EQ(session.epochCount, 0u);
  EXPECT_EQ(session.samples.count, 0u);
  EXPECT_EQ(session.samples.interval, 1u);
  EXPECT_EQ(session.samples.rescaleNeeded, 1);
  EXPECT_TRUE(session.history.empty());
  for (const double w : session.network->weights.all()) EXPECT_LE(std::fabs(w), 2.4 / 3 + 1e-6);
  EXPECT_EQ(log.events,
            (std::vector<SessionEvent>{SessionEvent::WeightsChanged, SessionEvent::StatisticsCleared,
                                       SessionEvent::WeightsChanged}));
  EXPECT_TRUE(reporter.messages.empty());
  session.discardNetwork();
  EXPECT_TRUE(session.randomizeWeights(reporter)) << "without a network nothing happens";
  session.setObserver(nullptr);
}

TEST_F(SessionEditsTest, TheRateAndMethodSettersMarkTheRatesForAReset) {
  session.ratesResetPending = false;
  session.setMomentum(0.5);
  EXPECT_FALSE(session.ratesResetPending);
  session.setLearningRate(0.4);
  EXPECT_TRUE(session.ratesResetPending);
  EXPECT_EQ(session.network->weightRates.at(1, 0, 0), 0.4) << "the network takes it at once";
  gate.open();
  ASSERT_TRUE(run.start(session, &gate, reporter));
  run.wait();
  EXPECT_FALSE(session.ratesResetPending) << "the start used it";
  session.setTrainingMethod(TrainingMethod::Rprop);
  EXPECT_TRUE(session.ratesResetPending);
  EXPECT_EQ(session.network->method, TrainingMethod::Rprop);
}

}  // namespace
}  // namespace nodelyx
