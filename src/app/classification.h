// Classification figures of a network on a set whose targets are one-hot
// (one output per class): which class each pattern belongs to (its largest
// target) against the class the network picks (its largest output). This
// is arg-max agreement, unlike "percent correct", which counts patterns
// whose RMS error is within the error margin.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/network.h"
#include "files/pattern_set.h"

namespace nodelyx {

// Whether the set has two or more outputs and every target row holds the
// set's highest target value once and its lowest everywhere else (0/1,
// -1/1, 0.1/0.9 codings alike).
bool hasOneHotTargets(const PatternSet& set);

struct ConfusionMatrix {
  std::uint32_t classes = 0;
  // counts[actual * classes + predicted]
  std::vector<std::uint64_t> counts;

  std::uint64_t at(std::uint32_t actual, std::uint32_t predicted) const {
    return counts[std::size_t{actual} * classes + predicted];
  }
  std::uint64_t total() const;
  std::uint64_t agreeing() const;
  // Fractions 0..1; NaN when nothing was predicted as, or belongs to, the
  // class (and for accuracy, when the set is empty).
  double accuracy() const;
  double precision(std::uint32_t cls) const;
  double recall(std::uint32_t cls) const;
};

// The network's outputs (recall, in data units) against the set's targets;
// the first of equal largest values wins on both sides. The set must have
// the network's counts.
ConfusionMatrix confusionMatrix(Network& network, const PatternSet& set);

}  // namespace nodelyx
