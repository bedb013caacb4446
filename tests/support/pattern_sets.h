// Test helper: a PatternSet filled from a list of values, each pattern its
// inputs followed by its targets, with column ranges like a training set.
#pragma once

#include <algorithm>
#include <vector>

#include "files/pattern_set.h"

namespace nodelyx::testing {

inline PatternSet makePatternSet(std::uint32_t inputs, std::uint32_t outputs,
                                 const std::vector<double>& values) {
  PatternSet set;
  set.inputCount = inputs;
  set.outputCount = outputs;
  set.patternCount = static_cast<std::uint32_t>(values.size() / set.stride());
  set.values.reset(new double[values.size()]);
  std::copy(values.begin(), values.end(), set.values.get());
  if (outputs > 0) computeColumnRanges(set);
  return set;
}

inline std::vector<double> xorValues() { return {0, 0, 0, 0, 1, 1, 1, 0, 1, 1, 1, 0}; }

}  // namespace nodelyx::testing
