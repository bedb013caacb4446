// Per-column scaling ranges exchanged between the network and the scaling
// record: data range [fromMin, fromMax] maps onto network range
// [toMin, toMax]. Columns are the inputs first, then the outputs.
#pragma once

#include <cstdint>
#include <vector>

namespace nodelyx {

struct ColumnRanges {
  std::uint32_t inputCount = 0;
  std::uint32_t outputCount = 0;
  std::vector<double> fromMin;
  std::vector<double> fromMax;
  std::vector<double> toMin;
  std::vector<double> toMax;

  std::size_t columnCount() const { return std::size_t{inputCount} + outputCount; }

  // Sizes the four arrays for the given counts, every value 0.
  void resize(std::uint32_t inputs, std::uint32_t outputs) {
    inputCount = inputs;
    outputCount = outputs;
    fromMin.assign(columnCount(), 0.0);
    fromMax.assign(columnCount(), 0.0);
    toMin.assign(columnCount(), 0.0);
    toMax.assign(columnCount(), 0.0);
  }

  // True when all four arrays hold one value per column.
  bool consistent() const {
    const std::size_t n = columnCount();
    return fromMin.size() == n && fromMax.size() == n && toMin.size() == n && toMax.size() == n;
  }
};

}  // namespace nodelyx
