// Benchmark helper: a reproducible set of random patterns in [0, 1].
#pragma once

#include <vector>

#include "engine/pattern_view.h"
#include "engine/random.h"

namespace nodelyx::bench {

struct SyntheticSet {
  SyntheticSet(int inputCount, int outputCount, int patterns) : inputs(inputCount), outputs(outputCount) {
    seedRandom(42);
    values.resize(static_cast<std::size_t>(patterns) * static_cast<std::size_t>(inputCount + outputCount));
    for (double& v : values) v = randomUnit();
  }
  PatternView view() const {
    const auto stride = static_cast<std::size_t>(inputs + outputs);
    return {values.data(), stride, static_cast<std::size_t>(inputs),
            static_cast<std::uint32_t>(values.size() / stride), true};
  }
  int inputs;
  int outputs;
  std::vector<double> values;
};

}  // namespace nodelyx::bench
