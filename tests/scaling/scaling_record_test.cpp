#include "scaling/scaling_record.h"

#include <gtest/gtest.h>

namespace nodelyx {
namespace {

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
  const PatternSet set = trainingSetWithRanges();
  ScalingRecord record;
  rebuildScalingRecord(record, 2, 1, set, ActivationType::Logistic);
  EXPECT_EQ(record.inputCount, 2u);
  EXPECT_EQ(record.outputCount, 1u);
  EXPECT_EQ(record.fromMin, (std::vector<double>{2.0, -5.0, 10.0}));
  EXPECT_EQ(record.fromMax, (std::vector<double>{4.0, 5.0, 20.0}));
  EXPECT_EQ(record.toMin, (std::vector<double>{-1.0, -1.0, 0.0}));
  EXPECT_EQ(record.toMax, (std::vector<double>{1.0, 1.0, 1.0}));

  const std::tuple<ActivationType, double, double> outputs[] = {
      {ActivationType::Tanh, -1.0, 1.0},
      {ActivationType::Linear, 10.0, 20.0},
      {ActivationType::Gaussian, 0.0, 1.0},
      {static_cast<ActivationType>(42), 0.0, 1.0},
  };
  for (const auto& [activation, low, high] : outputs) {
    rebuildScalingRecord(record, 2, 1, set, activation);
    EXPECT_EQ(record.toMin[2], low) << static_cast<int>(activation);
    EXPECT_EQ(record.toMax[2], high) << static_cast<int>(activation);
  }
}

TEST(ScalingRecordTest, WithoutAFittingSetTheColumnsStayZero) {
  ScalingRecord record;
  rebuildScalingRecord(record, 3, 2, PatternSet(), ActivationType::Linear);
  EXPECT_EQ(record.columnCount(), 5u);
  EXPECT_EQ(record.fromMax, std::vector<double>(5, 0.0));
  EXPECT_EQ(record.toMax, std::vector<double>(5, 0.0)) << "linear keeps the record's own data range";
  emptyScalingRecord(record);
  EXPECT_EQ(record.columnCount(), 0u);
  EXPECT_TRUE(record.fromMin.empty());
}

}  // namespace
}  // namespace nodelyx
