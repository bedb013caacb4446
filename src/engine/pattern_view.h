// A read-only view of a set of patterns stored row by row in one block:
// row p starts at base + p * stride and holds the pattern's inputs, followed
// (at targetOffset) by its targets. Rows cost no pointer of their own, and a
// slice of consecutive patterns is again a view. The viewed memory belongs to
// the owner of the set (a PatternSet, or a test's array).
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>

namespace nodelyx {

class PatternView {
 public:
  PatternView() = default;
  PatternView(const double* base, std::size_t stride, std::size_t targetOffset, std::uint32_t count,
              bool hasTargets)
      : base_(base), stride_(stride), targetOffset_(targetOffset), count_(count), hasTargets_(hasTargets) {}

  std::uint32_t count() const { return count_; }
  bool empty() const { return count_ == 0; }
  bool hasTargets() const { return hasTargets_; }

  const double* input(std::uint32_t p) const {
    assert(p < count_);
    return base_ + static_cast<std::size_t>(p) * stride_;
  }
  const double* target(std::uint32_t p) const {
    assert(p < count_ && hasTargets_);
    return base_ + static_cast<std::size_t>(p) * stride_ + targetOffset_;
  }

  // Patterns first .. first+count-1 (clamped to the set).
  PatternView slice(std::uint32_t first, std::uint32_t count) const {
    if (first > count_) first = count_;
    if (count > count_ - first) count = count_ - first;
    return PatternView(count ? input(first) : base_, stride_, targetOffset_, count, hasTargets_);
  }

 private:
  const double* base_ = nullptr;
  std::size_t stride_ = 0;
  std::size_t targetOffset_ = 0;
  std::uint32_t count_ = 0;
  bool hasTargets_ = false;
};

}  // namespace nodelyx
