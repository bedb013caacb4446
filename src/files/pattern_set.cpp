#include "files/pattern_set.h"

#include <algorithm>

#include "engine/random.h"

namespace nodelyx {
namespace {

constexpr double kNarrowestRange = 0.0001;
constexpr double kWidening = 0.00005;

void widenNarrowColumns(std::vector<double>& minima, std::vector<double>& maxima) {
  for (std::size_t c = 0; c < minima.size(); ++c) {
    if (maxima[c] - minima[c] < kNarrowestRange) {
      maxima[c] += kWidening;
      minima[c] -= kWidening;
    }
  }
}

}  // namespace

PatternSet copyOf(const PatternSet& set) {
  PatternSet copy;
  copy.patternCount = set.patternCount;
  copy.inputCount = set.inputCount;
  copy.outputCount = set.outputCount;
  const std::size_t count = std::size_t{set.patternCount} * set.stride();
  if (set.values) {
    copy.values = std::make_unique<double[]>(count);
    std::copy(set.values.get(), set.values.get() + count, copy.values.get());
  }
  copy.inputMin = set.inputMin;
  copy.inputMax = set.inputMax;
  copy.targetMin = set.targetMin;
  copy.targetMax = set.targetMax;
  copy.columnNames = set.columnNames;
  return copy;
}

std::size_t PatternSet::memoryBytes() const {
  std::size_t bytes = static_cast<std::size_t>(patternCount) * stride() * sizeof(double);
  bytes += (inputMin.size() + inputMax.size() + targetMin.size() + targetMax.size()) * sizeof(double);
  for (const std::string& name : columnNames) bytes += name.capacity();
  return bytes;
}

void computeColumnRanges(PatternSet& set) {
  const std::size_t inputs = set.inputCount;
  const std::size_t outputs = set.outputCount;
  if (set.patternCount == 0) return;
  const double* first = set.row(0);
  set.inputMin.assign(first, first + inputs);
  set.inputMax = set.inputMin;
  set.targetMin.assign(first + inputs, first + inputs + outputs);
  set.targetMax = set.targetMin;
  for (std::uint32_t p = 1; p < set.patternCount; ++p) {
    const double* row = set.row(p);
    for (std::size_t c = 0; c < inputs; ++c) {
      set.inputMin[c] = std::min(set.inputMin[c], row[c]);
      set.inputMax[c] = std::max(set.inputMax[c], row[c]);
    }
    for (std::size_t k = 0; k < outputs; ++k) {
      set.targetMin[k] = std::min(set.targetMin[k], row[inputs + k]);
      set.targetMax[k] = std::max(set.targetMax[k], row[inputs + k]);
    }
  }
  widenNarrowColumns(set.inputMin, set.inputMax);
  widenNarrowColumns(set.targetMin, set.targetMax);
}

void shufflePatterns(PatternSet& set) {
  const std::size_t stride = set.stride();
  for (std::uint32_t i = 0; i < set.patternCount; ++i) {
    const std::uint32_t j = randomIndex(set.patternCount);
    if (i != j) std::swap_ranges(set.row(i), set.row(i) + stride, set.row(j));
  }
}

}  // namespace nodelyx
