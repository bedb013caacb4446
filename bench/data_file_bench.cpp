// Data-file reading speed, end to end (both passes, progress and cancel
// checks included), on a generated file of about 100 MB: 1,000,000 patterns
// of 8 inputs and 2 outputs in mixed number formats.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "benchmark_data_file.h"
#include "files/data_file.h"

namespace {

namespace fs = std::filesystem;

// Writes the file once per process and removes it at exit.
const fs::path& benchmarkFile() {
  static const struct File {
    File() : path(fs::temp_directory_path() / ("nodelyx_bench_" + std::to_string(::getpid()) + ".trn")) {
      nodelyx::bench::writeBenchmarkDataFile(path);
    }
    ~File() { fs::remove(path); }
    fs::path path;
  } file;
  return file.path;
}

void readTrainingFile(benchmark::State& state) {
  const fs::path& path = benchmarkFile();
  nodelyx::DataReadRequest request;
  request.path = path;
  nodelyx::DataReadCallbacks callbacks;
  int lastPercent = 0;
  callbacks.progress = [&lastPercent](int percent) { lastPercent = percent; };
  nodelyx::SilentReporter reporter;
  std::atomic<int> readOk{1};
  std::size_t setBytes = 0;
  for (auto _ : state) {
    nodelyx::DataReadOutcome outcome = nodelyx::readDataFile(request, callbacks, reporter, readOk);
    if (!outcome.ok || outcome.set.patternCount != 1000000) state.SkipWithError("read failed");
    setBytes = outcome.set.memoryBytes();
    benchmark::DoNotOptimize(outcome.set.values.get());
  }
  const auto fileBytes = static_cast<std::int64_t>(fs::file_size(path));
  state.SetBytesProcessed(state.iterations() * fileBytes);
  state.counters["file_MB"] = static_cast<double>(fileBytes) / 1e6;
  state.counters["set_bytes_per_double"] = static_cast<double>(setBytes) / (1000000.0 * 10.0);
}

BENCHMARK(readTrainingFile)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
