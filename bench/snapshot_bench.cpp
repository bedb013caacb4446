// What snapshots cost a training run: connection updates per second of
// whole runs (the epoch's statistics pass included), once with nobody
// reading and once with a reader that asks for a snapshot ten times a
// second and evaluates it, as a plot window would. One benchmark iteration
// is one run of kEpochsPerRun epochs.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "app/training_run.h"
#include "synthetic_set.h"

namespace {

using namespace nodelyx;

constexpr std::uint32_t kEpochsPerRun = 40;

void prepareSession(Session& session, const std::vector<std::uint32_t>& sizes, int patterns) {
  applyPanelDefaults(session.config);
  scalingEnabled = 0;
  session.scaling.mode = ScalingMode::None;
  const bench::SyntheticSet set(static_cast<int>(sizes.front()), static_cast<int>(sizes.back()), patterns);
  PatternSet& training = session.trainingSet;
  training.inputCount = sizes.front();
  training.outputCount = sizes.back();
  training.patternCount = static_cast<std::uint32_t>(patterns);
  training.values.reset(new double[set.values.size()]);
  std::copy(set.values.begin(), set.values.end(), training.values.get());
  session.config.setInputCount(sizes.front());
  session.config.setOutputCount(sizes.back());
  session.config.setHiddenNeurons(1, sizes[1]);
  session.config.setTrainingMethod(TrainingMethod::OnlineBackprop);
  session.config.setLearningRate(0.01);
  session.config.setPreventSaturation(0);
  session.config.setEnforceTrainingStop(0);
  session.config.setEnforceTestingStop(0);
}

// Asks for a snapshot every 100 ms and recalls a hundred patterns on it.
class Reader {
 public:
  Reader(Session& session, const bench::SyntheticSet& set) : session_(session), set_(set) {}
  void start() {
    thread_ = std::thread([this] {
      std::vector<double> output(static_cast<std::size_t>(set_.outputs));
      while (!done_.load()) {
        session_.snapshots.prepare(*session_.network);
        if (const auto snapshot = session_.snapshots.latest())
          for (std::uint32_t p = 0; p < 100; ++p)
            snapshot->network.recall(set_.view().input(p), output.data());
        for (int k = 0; k < 100 && !done_.load(); ++k)
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
  }
  ~Reader() {
    done_.store(true);
    if (thread_.joinable()) thread_.join();
  }

 private:
  Session& session_;
  const bench::SyntheticSet& set_;
  std::atomic<bool> done_{false};
  std::thread thread_;
};

void trainWithSnapshots(benchmark::State& state, std::vector<std::uint32_t> sizes, int patterns,
                        bool reading) {
  Session session;
  prepareSession(session, sizes, patterns);
  RecordingReporter reporter;
  const std::uint32_t seed = 7;
  if (!session.buildNetwork(reporter, &seed)) return state.SkipWithError("no network");
  const bench::SyntheticSet set(static_cast<int>(sizes.front()), static_cast<int>(sizes.back()), patterns);
  Reader reader(session, set);
  if (reading) reader.start();
  for (auto _ : state) {
    session.config.setMaxEpochs(static_cast<std::int32_t>(session.epochCount + kEpochsPerRun));
    TrainingRun run;
    if (!run.start(session, nullptr, reporter)) return state.SkipWithError("run not started");
    run.wait();
  }
  const double perRun = static_cast<double>(session.network->connectionCount()) * patterns * kEpochsPerRun;
  state.counters["CUPS"] = benchmark::Counter(perRun, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK_CAPTURE(trainWithSnapshots, online_16_64_4_alone, std::vector<std::uint32_t>{16, 64, 4}, 10000,
                  false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(8);
BENCHMARK_CAPTURE(trainWithSnapshots, online_16_64_4_read_10_per_s, std::vector<std::uint32_t>{16, 64, 4},
                  10000, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(8);
BENCHMARK_CAPTURE(trainWithSnapshots, online_64_256_10_alone, std::vector<std::uint32_t>{64, 256, 10}, 5000,
                  false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(4);
BENCHMARK_CAPTURE(trainWithSnapshots, online_64_256_10_read_10_per_s, std::vector<std::uint32_t>{64, 256, 10},
                  5000, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(4);

}  // namespace
