// Data-file reading speed against the floor of any text reader: a plain
// one-pass strtod loop over the same text. Writes the generated file once,
// then times both five times, alternating, and prints the medians in MB/s
// and their ratio. The reader runs as nodelyx-cli data runs it, on a worker
// thread of its own. With an argument, the file is written there (unless it
// exists) and kept, for timing the command-line program itself.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "benchmark_data_file.h"
#include "files/atomic_file.h"
#include "files/data_read_job.h"

namespace {

namespace fs = std::filesystem;
constexpr int kRounds = 5;

double secondsOf(const auto& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Reads the whole text, then one strtod per value; a character no number
// starts with (the header's words) is stepped over.
double strtodSum(const fs::path& path) {
  std::string text;
  if (!nodelyx::readWholeFile(path, text)) std::exit(1);
  double sum = 0.0;
  const char* p = text.c_str();
  const char* end = p + text.size();
  while (p < end) {
    char* next = nullptr;
    const double value = std::strtod(p, &next);
    if (next == p) {
      ++p;
      continue;
    }
    sum += value;
    p = next;
  }
  return sum;
}

double readerSum(const fs::path& path) {
  nodelyx::DataReadRequest request;
  request.path = path;
  nodelyx::SilentReporter reporter;
  const nodelyx::DataReadOutcome outcome = nodelyx::readDataFileOnWorker(request, {}, reporter);
  if (!outcome.ok || outcome.set.patternCount != nodelyx::bench::kBenchmarkPatterns) std::exit(1);
  double sum = 0.0;
  for (std::size_t k = 0; k < outcome.set.patternCount * outcome.set.stride(); ++k)
    sum += outcome.set.values[k];
  return sum;
}

double median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const bool keep = argc > 1;
  const fs::path path =
      keep ? fs::path(argv[1])
           : fs::temp_directory_path() / ("nodelyx_read_" + std::to_string(::getpid()) + ".trn");
  if (!keep || !fs::exists(path)) nodelyx::bench::writeBenchmarkDataFile(path);
  const double megabytes = static_cast<double>(fs::file_size(path)) / 1e6;
  std::vector<double> plain, reader;
  double plainTotal = 0.0, readerTotal = 0.0;
  for (int round = 0; round < kRounds; ++round) {
    plain.push_back(secondsOf([&] { plainTotal = strtodSum(path); }));
    reader.push_back(secondsOf([&] { readerTotal = readerSum(path); }));
  }
  if (!keep) fs::remove(path);
  const double plainRate = megabytes / median(plain), readerRate = megabytes / median(reader);
  std::printf("file: %.1f MB, medians of %d\n", megabytes, kRounds);
  std::printf("strtod loop: %8.1f MB/s  (sum %.17g)\n", plainRate, plainTotal);
  std::printf("reader:      %8.1f MB/s  (sum %.17g)\n", readerRate, readerTotal);
  std::printf("ratio:       %8.2f\n", readerRate / plainRate);
  return 0;
}
