#include "scaling/scaling_record.h"

#include <gtest/gtest.h>

namespace nodelyx {
namespace {

using Values = std::vector<double>;

// Two inputs in 2..4 and -5..5, one target in 10..20.
PatternSet trainingSetWithRanges() {
  PatternSet set;
  set.inputCount = 2;
  set.outputCount = 1;
  set.inputMin = {2.0, -5.0};
  set.inputMax = {4.0, 5.0};
  set.targetMin = {10.0};
  set.targetMax = {20.0};
  return set;
}

TEST(ScalingRecordTest, RebuildMapsInputsOntoPlusMinusOneAndOutputsByActivation) {
  struct Case {
    const char* name;
    ActivationType output;
    double low, high;  // the output column's network range
  };
  const Case cases[] = {
      {"logistic", ActivationType::Logistic, 0.0, 1.0},
      {"tanh", ActivationType::Tanh, -1.0, 1.0},
      {"linear keeps the target range", ActivationType::Linear, 10.0, 20.0},
      {"Gaussian", ActivationType::Gaussian, 0.0, 1.0},
      {"unknown code", static_cast<ActivationType>(42), 0.0, 1.0},
  };
  const PatternSet set = trainingSetWithRanges();
  for (const Case& c : cases) {
    ScalingRecord record;
    rebuildScalingRecord(record, 2, 1, set, c.output);
    EXPECT_EQ(record.fromMin, (Values{2.0, -5.0, 10.0})) << c.name;
    EXPECT_EQ(record.fromMax, (Values{4.0, 5.0, 20.0})) << c.name;
    EXPECT_EQ(record.toMin, (Values{-1.0, -1.0, c.low})) << c.name;
    EXPECT_EQ(record.toMax, (Values{1.0, 1.0, c.high})) << c.name;
  }
}

TEST(ScalingRecordTest, WithoutAFittingSetTheColumnsStayZero) {
  ScalingRecord record;
  const PatternSet none, otherCounts = trainingSetWithRanges();
  for (const PatternSet* set : {&none, &otherCounts}) {
    rebuildScalingRecord(record, 3, 2, *set, ActivationType::Linear);
    EXPECT_EQ(record.columnCount(), 5u);
    EXPECT_EQ(record.fromMax, Values(5, 0.0));
    EXPECT_EQ(record.toMax, Values(5, 0.0)) << "linear keeps the record's own data range";
  }
  record.mode = ScalingMode::Manual;
  emptyScalingRecord(record);
  EXPECT_EQ(record.columnCount(), 0u);
  EXPECT_TRUE(record.fromMin.empty());
  EXPECT_EQ(record.mode, ScalingMode::Manual);
}

}  // namespace
}  // namespace nodelyx
