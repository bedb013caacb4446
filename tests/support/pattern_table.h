// Test helper: a small pattern set written out row by row.
#pragma once

#include <initializer_list>
#include <vector>

#include "engine/pattern_view.h"

namespace nodelyx::testing {

class PatternTable {
 public:
  // Each row holds the inputs, then the targets.
  PatternTable(int inputs, int outputs, std::initializer_list<std::initializer_list<double>> rows)
      : inputs_(inputs), outputs_(outputs) {
    for (const auto& row : rows) values_.insert(values_.end(), row.begin(), row.end());
  }
  PatternTable(int inputs, int outputs, std::vector<double> values)
      : inputs_(inputs), outputs_(outputs), values_(std::move(values)) {}

  PatternView view() const {
    const auto stride = static_cast<std::size_t>(inputs_ + outputs_);
    return PatternView(values_.data(), stride, static_cast<std::size_t>(inputs_),
                       static_cast<std::uint32_t>(stride ? values_.size() / stride : 0), outputs_ > 0);
  }

 private:
  int inputs_;
  int outputs_;
  std::vector<double> values_;
};

}  // namespace nodelyx::testing
