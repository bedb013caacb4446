// Evaluation speed: connections per second (weights plus biases times
// patterns) of Network::evaluate on synthetic data.
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/network.h"
#include "engine/random.h"
#include "synthetic_set.h"

namespace {

using nodelyx::Network;

void evaluateNetwork(benchmark::State& state, std::vector<int> sizes, int patterns, int scaling) {
  nodelyx::scalingEnabled = scaling;
  Network net(sizes, -100, 100);
  net.randomizeWeights(7);
  for (std::size_t c = 0; c < net.fromMin.size(); ++c) {
    net.fromMax[c] = 1.0;
    net.toMin[c] = 0.1;
    net.toMax[c] = 0.9;
  }
  const nodelyx::bench::SyntheticSet set(sizes.front(), sizes.back(), patterns);
  for (auto _ : state) {
    benchmark::DoNotOptimize(net.evaluate(set.view(), 0.1));
  }
  const double perIteration = static_cast<double>(net.connectionCount()) * patterns;
  state.counters["connections/s"] =
      benchmark::Counter(perIteration, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["patterns/s"] = benchmark::Counter(patterns, benchmark::Counter::kIsIterationInvariantRate);
  nodelyx::scalingEnabled = 0;
}

BENCHMARK_CAPTURE(evaluateNetwork, 16_64_4, std::vector<int>{16, 64, 4}, 10000, 1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(evaluateNetwork, 64_256_10, std::vector<int>{64, 256, 10}, 5000, 1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(evaluateNetwork, 64_256_10_unscaled, std::vector<int>{64, 256, 10}, 5000, 0)
    ->Unit(benchmark::kMillisecond);

}  // namespace
