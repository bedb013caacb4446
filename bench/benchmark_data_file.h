// Benchmark helper: the generated training file the reading benchmarks use,
// about 100 MB: 1,000,000 patterns of 8 inputs and 2 outputs in mixed
// number formats, the same bytes on every run.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/random.h"

namespace nodelyx::bench {

inline constexpr int kBenchmarkPatterns = 1000000;

inline std::string formatBenchmarkValue(int column) {
  const int draw = randomInt();
  char text[32];
  switch (column % 4) {
    case 0:
      std::snprintf(text, sizeof text, "%.8f", draw / 32767.0);
      break;
    case 1:
      std::snprintf(text, sizeof text, "%d", draw - 16384);
      break;
    case 2:
      std::snprintf(text, sizeof text, "%.4e", draw * 1e-7);
      break;
    default:
      std::snprintf(text, sizeof text, "%.5f", (draw - 16384) / 7.0);
      break;
  }
  return text;
}

inline void writeBenchmarkDataFile(const std::filesystem::path& path) {
  seedRandom(3);
  std::ofstream out(path);
  out << "* generated for the reading benchmark\n[INPUTS] 8\n[OUTPUTS] 2\n";
  std::string line;
  for (int p = 0; p < kBenchmarkPatterns; ++p) {
    line.clear();
    for (int c = 0; c < 10; ++c) {
      line += formatBenchmarkValue(c);
      line += c == 9 ? '\n' : ' ';
    }
    out << line;
  }
}

}  // namespace nodelyx::bench
