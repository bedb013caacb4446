// Which target codings count as classes, and the figures of a confusion
// matrix, including the classes nothing was predicted as.
#include "app/classification.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace nodelyx {
namespace {

PatternSet targetsOnly(std::uint32_t outputs, const std::vector<double>& targets) {
  PatternSet set;
  set.inputCount = 1;
  set.outputCount = outputs;
  set.patternCount = static_cast<std::uint32_t>(targets.size() / outputs);
  set.values = std::make_unique<double[]>(set.patternCount * set.stride());
  for (std::uint32_t p = 0; p < set.patternCount; ++p)
    for (std::uint32_t k = 0; k < outputs; ++k) set.row(p)[1 + k] = targets[p * outputs + k];
  return set;
}

TEST(ClassificationTest, OneHotTargets) {
  struct Case {
    const char* name;
    std::uint32_t outputs;
    std::vector<double> targets;
    bool oneHot;
  };
  const Case cases[] = {
      {"zeros and ones", 3, {1, 0, 0, 0, 0, 1}, true},
      {"minus one and one", 2, {-1, 1, 1, -1}, true},
      {"softened codes", 2, {0.9, 0.1, 0.1, 0.9}, true},
      {"one output is no class code", 1, {0, 1}, false},
      {"two highs in a row", 3, {1, 1, 0, 0, 0, 1}, false},
      {"a row without a high", 2, {0, 0, 1, 0}, false},
      {"a value between the codes", 3, {1, 0.5, 0, 0, 0, 1}, false},
      {"all targets alike", 2, {1, 1}, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(hasOneHotTargets(targetsOnly(c.outputs, c.targets)), c.oneHot) << c.name;
}

TEST(ClassificationTest, MatrixFigures) {
  ConfusionMatrix matrix;
  matrix.classes = 3;
  // Class 0: 4 right, 1 taken for class 1; class 1: 2 right; class 2: both
  // taken for class 1, and nothing is ever predicted as class 2.
  matrix.counts = {4, 1, 0, 0, 2, 0, 0, 2, 0};
  EXPECT_EQ(matrix.total(), 9u);
  EXPECT_EQ(matrix.agreeing(), 6u);
  EXPECT_DOUBLE_EQ(matrix.accuracy(), 6.0 / 9.0);
  EXPECT_DOUBLE_EQ(matrix.precision(0), 1.0);
  EXPECT_DOUBLE_EQ(matrix.precision(1), 2.0 / 5.0);
  EXPECT_TRUE(std::isnan(matrix.precision(2)));
  EXPECT_DOUBLE_EQ(matrix.recall(0), 4.0 / 5.0);
  EXPECT_DOUBLE_EQ(matrix.recall(2), 0.0);
  EXPECT_TRUE(std::isnan(ConfusionMatrix{2, {0, 0, 0, 0}}.accuracy()));
}

}  // namespace
}  // namespace nodelyx
