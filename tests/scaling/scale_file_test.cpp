#include "scaling/scale_file.h"

#include <gtest/gtest.h>

namespace nodelyx {
namespace {

TEST(ScaleFileTest, WritesTheKeysAndTheFormulaNotes) {
  ScaleRanges ranges;
  ranges.inputCount = 1;
  ranges.outputCount = 1;
  // Every range reads back exactly: six digits would make the first
  // column's range empty.
  ranges.min = {1000000.1, -2.5};
  ranges.max = {1000000.4, 1e-07};
  ranges.inputLow = 0;
  ranges.inputHigh = 1;
  ranges.outputLow = 0.1;
  ranges.outputHigh = static_cast<double>(0.9f);
  EXPECT_EQ(formatScaleFile(ranges),
            "[INPUTS] 1\n[OUTPUTS] 1\n[MINIMUMS] 1000000.1 -2.5 \n[MAXIMUMS] 1000000.4 1e-07 \n"
            "[NEWINPUTRANGE] 0 1\n[NEWOUTPUTRANGE] 0.1 0.8999999761581421\n\n\n"
            "****** To Scale ******\nF[i] = (NewRangeHI[i]-NewRangeLO[i])/(Max[i]-Min[i])\n"
            "Scaled = F[i] * original + NewRangeLO[i] - F[i] * Min[i]\n\n"
            "****** To Unscale ******\nF[i] = (Max[i]-Min[i])/(NewRangeHI[i]-NewRangeLO[i])\n"
            "Original = F[i] * scaled + Min[i] - F[i] * NewRangeLO[i]\n");
}

const std::string kCounts = "[inputs] 2\n[OUTPUTS] 1\n";
const std::string kColumns = kCounts + "[MINIMUMS] 0 1 2 \n[MAXIMUMS] 3 4 5 \n";
const std::string kWhole = kColumns + "[NEWINPUTRANGE] -1 1\n[NEWOUTPUTRANGE] 0.1 0.9\n";

// The data may lack a group: a testing file without targets, or outputs to
// unscale, uses the scale file of data with both.
TEST(ScaleFileTest, ReadsTheColumnsTheDataHas) {
  ScaleRanges both, inputs, outputs;
  ASSERT_TRUE(readScaleFile(kWhole, 2, 1, both));
  ASSERT_TRUE(readScaleFile(kWhole, 2, 0, inputs));
  ASSERT_TRUE(readScaleFile(kWhole, 0, 1, outputs));
  EXPECT_EQ(both.min, (std::vector<double>{0, 1, 2}));
  EXPECT_EQ(both.max, (std::vector<double>{3, 4, 5}));
  EXPECT_EQ(inputs.max, (std::vector<double>{3, 4}));
  EXPECT_EQ(outputs.min, (std::vector<double>{2}));
  EXPECT_EQ(both.inputLow, -1.0);
  EXPECT_EQ(both.outputHigh, 0.9);
}

TEST(ScaleFileTest, SaysWhatIsWrong) {
  struct Case {
    const char* name;
    std::uint32_t inputs, outputs;
    std::string text;
    const char* problem;
  };
  const Case cases[] = {
      {"empty", 2, 1, "", "Its [INPUTS] line is missing or has no count."},
      {"negative_count", 2, 1, "[INPUTS] -2\n", "Its [INPUTS] line is missing or has no count."},
      {"no_outputs_line", 2, 1, "[INPUTS] 2\n", "Its [OUTPUTS] line is missing or has no count."},
      {"other_inputs", 3, 1, kWhole, "The scale file is for 2 input columns, the data has 3."},
      {"other_outputs", 0, 2, kWhole, "The scale file is for 1 output column, the data has 2."},
      {"both_differ", 1, 2, kWhole,
       "The scale file is for 2 input columns, the data has 1.\n"
       "The scale file is for 1 output column, the data has 2."},
      {"too_few_minimums", 2, 1, kCounts + "[MINIMUMS] 0 1\n",
       "Its [MINIMUMS] line is missing or has too few values."},
      {"no_maximums", 2, 1, kCounts + "[MINIMUMS] 0 1 2\n",
       "Its [MAXIMUMS] line is missing or has too few values."},
      {"one_input_limit", 2, 1, kColumns + "[NEWINPUTRANGE] -1\n",
       "Its [NEWINPUTRANGE] line is missing or has too few values."},
      {"one_output_limit", 2, 1, kColumns + "[NEWINPUTRANGE] -1 1\n[NEWOUTPUTRANGE] 0.1",
       "Its [NEWOUTPUTRANGE] line is missing or has too few values."},
  };
  for (const Case& c : cases) {
    ScaleRanges ranges;
    std::string problem;
    EXPECT_FALSE(readScaleFile(c.text, c.inputs, c.outputs, ranges, &problem)) << c.name;
    EXPECT_EQ(problem, c.problem) << c.name;
  }
}

TEST(ScaleFileTest, MappingCases) {
  struct Case {
    const char* name;
    double x, min, max, low, high;
    double scaled;
  };
  const Case cases[] = {
      {"plain", 5, 0, 10, 0, 1, 0.5},
      {"negative range", -1, -2, 2, 0.1, 0.9, 0.3},
      {"constant column", 4, 4, 4, 0.1, 0.9, 0.5},
      {"constant, symmetric range", 4, 4, 4, -1, 1, 0.0},
      {"constant zero column", 0, 0, 0, 0.1, 0.9, 0.5},
  };
  for (const Case& c : cases) {
    const double scaled = mapScaleValue(c.x, c.min, c.max, c.low, c.high, false);
    EXPECT_NEAR(scaled, c.scaled, 1e-12) << c.name;
    EXPECT_NEAR(mapScaleValue(scaled, c.min, c.max, c.low, c.high, true), c.x, 1e-12) << c.name;
  }
  EXPECT_EQ(mapScaleValue(7, 0, 10, 0.5, 0.5, true), 0.5) << "a collapsed new range unscales to its value";
}

}  // namespace
}  // namespace nodelyx
