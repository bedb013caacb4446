#include "app/classification.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace nodelyx {
namespace {

std::uint32_t largestAt(const double* values, std::uint32_t count) {
  std::uint32_t best = 0;
  for (std::uint32_t k = 1; k < count; ++k)
    if (values[k] > values[best]) best = k;
  return best;
}

double fraction(std::uint64_t part, std::uint64_t whole) {
  return whole == 0 ? std::numeric_limits<double>::quiet_NaN()
                    : static_cast<double>(part) / static_cast<double>(whole);
}

}  // namespace

bool hasOneHotTargets(const PatternSet& set) {
  if (set.outputCount < 2 || !set.loaded()) return false;
  double low = set.target(0)[0], high = low;
  for (std::uint32_t p = 0; p < set.patternCount; ++p)
    for (std::uint32_t k = 0; k < set.outputCount; ++k) {
      low = std::min(low, set.target(p)[k]);
      high = std::max(high, set.target(p)[k]);
    }
  if (!(low < high)) return false;
  for (std::uint32_t p = 0; p < set.patternCount; ++p) {
    const double* target = set.target(p);
    const auto highs = std::count(target, target + set.outputCount, high);
    const auto lows = std::count(target, target + set.outputCount, low);
    if (highs != 1 || lows != static_cast<long>(set.outputCount) - 1) return false;
  }
  return true;
}

std::uint64_t ConfusionMatrix::total() const {
  std::uint64_t sum = 0;
  for (const std::uint64_t count : counts) sum += count;
  return sum;
}

std::uint64_t ConfusionMatrix::agreeing() const {
  std::uint64_t sum = 0;
  for (std::uint32_t k = 0; k < classes; ++k) sum += at(k, k);
  return sum;
}

double ConfusionMatrix::accuracy() const { return fraction(agreeing(), total()); }

double ConfusionMatrix::precision(std::uint32_t cls) const {
  std::uint64_t predicted = 0;
  for (std::uint32_t actual = 0; actual < classes; ++actual) predicted += at(actual, cls);
  return fraction(at(cls, cls), predicted);
}

double ConfusionMatrix::recall(std::uint32_t cls) const {
  std::uint64_t belonging = 0;
  for (std::uint32_t predicted = 0; predicted < classes; ++predicted) belonging += at(cls, predicted);
  return fraction(at(cls, cls), belonging);
}

ConfusionMatrix confusionMatrix(Network& network, const PatternSet& set) {
  ConfusionMatrix matrix;
  matrix.classes = set.outputCount;
  matrix.counts.assign(std::size_t{matrix.classes} * matrix.classes, 0);
  std::vector<double> outputs(set.outputCount);
  for (std::uint32_t p = 0; p < set.patternCount; ++p) {
    network.recall(set.input(p), outputs.data());
    const std::uint32_t actual = largestAt(set.target(p), set.outputCount);
    const std::uint32_t predicted = largestAt(outputs.data(), set.outputCount);
    ++matrix.counts[std::size_t{actual} * matrix.classes + predicted];
  }
  return matrix;
}

}  // namespace nodelyx
