// The same training benchmarks with FANN in double precision, the library
// most people would use for this job, for comparison with training_bench:
// connection updates per second of its incremental (online) and RPROP
// training on the same shapes and the same synthetic data.
#include <benchmark/benchmark.h>
#include <doublefann.h>

#include <vector>

#include "synthetic_set.h"

namespace {

void trainWithFann(benchmark::State& state, fann_train_enum algorithm, std::vector<unsigned> sizes,
                   int patterns) {
  fann* ann = fann_create_standard_array(static_cast<unsigned>(sizes.size()), sizes.data());
  fann_set_activation_function_hidden(ann, FANN_SIGMOID);
  fann_set_activation_function_output(ann, FANN_SIGMOID);
  fann_set_training_algorithm(ann, algorithm);
  fann_set_learning_rate(ann, 0.01f);
  fann_randomize_weights(ann, -0.1, 0.1);
  const auto inputs = static_cast<int>(sizes.front());
  const auto outputs = static_cast<int>(sizes.back());
  const nodelyx::bench::SyntheticSet set(inputs, outputs, patterns);
  fann_train_data* data = fann_create_train(static_cast<unsigned>(patterns), static_cast<unsigned>(inputs),
                                            static_cast<unsigned>(outputs));
  for (int p = 0; p < patterns; ++p) {
    const double* row =
        set.values.data() + static_cast<std::size_t>(p) * static_cast<std::size_t>(inputs + outputs);
    for (int i = 0; i < inputs; ++i) data->input[p][i] = row[i];
    for (int k = 0; k < outputs; ++k) data->output[p][k] = row[inputs + k];
  }
  for (auto _ : state) benchmark::DoNotOptimize(fann_train_epoch(ann, data));
  const double perEpoch = static_cast<double>(fann_get_total_connections(ann)) * patterns;
  state.counters["CUPS"] = benchmark::Counter(perEpoch, benchmark::Counter::kIsIterationInvariantRate);
  fann_destroy_train(data);
  fann_destroy(ann);
}

BENCHMARK_CAPTURE(trainWithFann, online_16_64_4, FANN_TRAIN_INCREMENTAL, std::vector<unsigned>{16, 64, 4},
                  10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(trainWithFann, online_64_256_10, FANN_TRAIN_INCREMENTAL, std::vector<unsigned>{64, 256, 10},
                  5000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(trainWithFann, rprop_16_64_4, FANN_TRAIN_RPROP, std::vector<unsigned>{16, 64, 4}, 10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(trainWithFann, rprop_64_256_10, FANN_TRAIN_RPROP, std::vector<unsigned>{64, 256, 10}, 5000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
