// Training speed in connection updates per second: (weights + biases) x
// patterns x epochs / seconds, for online back-propagation and RPROP on
// synthetic data. One benchmark iteration is one epoch (which ends, as
// every epoch does, by evaluating the set).
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/network.h"
#include "synthetic_set.h"

namespace {

using nodelyx::Network;
using nodelyx::TrainingMethod;

void trainNetwork(benchmark::State& state, TrainingMethod method, std::vector<int> sizes, int patterns) {
  nodelyx::scalingEnabled = 0;
  Network net(sizes, -100, 100);
  net.randomizeWeights(7);
  net.setTrainingMethod(method, nodelyx::AdaptiveSettings());
  if (method != TrainingMethod::Rprop) net.setLearningRate(0.01);
  const nodelyx::bench::SyntheticSet set(sizes.front(), sizes.back(), patterns);
  const nodelyx::EpochSettings settings;
  for (auto _ : state) benchmark::DoNotOptimize(net.trainEpoch(set.view(), settings));
  const double perEpoch = static_cast<double>(net.connectionCount()) * patterns;
  state.counters["CUPS"] = benchmark::Counter(perEpoch, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK_CAPTURE(trainNetwork, online_16_64_4, TrainingMethod::OnlineBackprop, std::vector<int>{16, 64, 4},
                  10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(trainNetwork, online_64_256_10, TrainingMethod::OnlineBackprop,
                  std::vector<int>{64, 256, 10}, 5000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(trainNetwork, rprop_16_64_4, TrainingMethod::Rprop, std::vector<int>{16, 64, 4}, 10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(trainNetwork, rprop_64_256_10, TrainingMethod::Rprop, std::vector<int>{64, 256, 10}, 5000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
