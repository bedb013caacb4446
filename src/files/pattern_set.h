// A loaded data set: the patterns of a training or testing file, stored row
// by row in one block (each row its inputs, then its targets), with the
// column ranges of a training set and the column names of a table that had
// them. Owned by the session; written only by the thread that loads it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/pattern_view.h"

namespace nodelyx {

struct PatternSet {
  std::uint32_t patternCount = 0;  // 0: no set loaded
  std::uint32_t inputCount = 0;
  std::uint32_t outputCount = 0;  // 0 for a testing set without targets
  std::unique_ptr<double[]> values;
  // Training sets only: the smallest and largest value of every column,
  // widened to at least 0.0001.
  std::vector<double> inputMin, inputMax, targetMin, targetMax;
  // The first line of a plain table that named its columns; else empty.
  std::vector<std::string> columnNames;

  bool loaded() const { return patternCount > 0; }
  bool hasTargets() const { return outputCount > 0; }
  std::size_t stride() const { return std::size_t{inputCount} + outputCount; }
  double* row(std::uint32_t p) { return values.get() + static_cast<std::size_t>(p) * stride(); }
  const double* row(std::uint32_t p) const { return values.get() + static_cast<std::size_t>(p) * stride(); }
  const double* input(std::uint32_t p) const { return row(p); }
  const double* target(std::uint32_t p) const { return row(p) + inputCount; }
  bool hasRanges() const { return !inputMin.empty(); }

  PatternView view() const {
    return PatternView(values.get(), stride(), inputCount, patternCount, hasTargets());
  }

  // Bytes held by the set (values, ranges and names), for memory reports.
  std::size_t memoryBytes() const;

  // Frees everything: no set loaded.
  void clear() { *this = PatternSet(); }
};

// A copy with values of its own (for runs that train side by side).
PatternSet copyOf(const PatternSet& set);

// Records each column's minimum and maximum, then widens every range
// narrower than 0.0001 by 0.00005 on both sides.
void computeColumnRanges(PatternSet& set);

// Swaps rows i and j = random mod count for i = 0 .. count-1, drawing from
// the calling thread's generator (two draws per index for sets larger than
// one draw can reach). Inputs and targets of a pattern stay together.
void shufflePatterns(PatternSet& set);

}  // namespace nodelyx
