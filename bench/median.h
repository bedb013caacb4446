// Benchmark helper: the median of repeated measurements (the upper middle
// one for an even count), which one slow round cannot move.
#pragma once

#include <algorithm>
#include <vector>

namespace nodelyx::bench {

inline double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace nodelyx::bench
