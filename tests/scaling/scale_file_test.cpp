#include "scaling/scale_file.h"

#include <gtest/gtest.h>

namespace nodelyx {
namespace {

TEST(ScaleFileTest, WritesTheKeysAndTheFormulaNotes) {
  ScaleRanges ranges;
  ranges.inputCount = 1;
  ranges.outputCount = 1;
  ranges.min = {0, -2.5};
  ranges.max = {10, 1e-07};
  ranges.inputLow = 0;
  ranges.inputHigh = 1;
  ranges.outputLow = static_cast<double>(0.1f);
  ranges.outputHigh = static_cast<double>(0.9f);
  EXPECT_EQ(formatScaleFile(ranges),
            "[INPUTS] 1\n[OUTPUTS] 1\n[MINIMUMS] 0 -2.5 \n[MAXIMUMS] 10 1e-07 \n[NEWINPUTRANGE] 0 1\n"
            "[NEWOUTPUTRANGE] 0.1 0.9\n\n\n"
            "****** To Scale ******\nF[i] = (NewRangeHI[i]-NewRangeLO[i])/(Max[i]-Min[i])\n"
            "Scaled = F[i] * original + NewRangeLO[i] - F[i] * Min[i]\n\n"
            "****** To Unscale ******\nF[i] = (Max[i]-Min[i])/(NewRangeHI[i]-NewRangeLO[i])\n"
            "Original = F[i] * scaled + Min[i] - F[i] * NewRangeLO[i]\n");
}

TEST(ScaleFileTest, ReadsBackAndChecksTheCounts) {
  const std::string text =
      "[inputs] 2\n[OUTPUTS] 1\n[MINIMUMS] 0 1 2 \n[MAXIMUMS] 3 4 5 \n[NEWINPUTRANGE] -1 1\n[NEWOUTPUTRANGE] "
      "0.1 0.9\n";
  ScaleRanges ranges;
  ASSERT_TRUE(readScaleFile(text, 2, 1, ranges));
  EXPECT_EQ(ranges.min, (std::vector<double>{0, 1, 2}));
  EXPECT_EQ(ranges.max, (std::vector<double>{3, 4, 5}));
  EXPECT_EQ(ranges.inputLow, -1.0);
  EXPECT_EQ(ranges.outputHigh, 0.9);
  // A testing file without targets uses the training file's scale file.
  ASSERT_TRUE(readScaleFile(text, 2, 0, ranges));
  EXPECT_EQ(ranges.min, (std::vector<double>{0, 1}));
  EXPECT_EQ(ranges.max, (std::vector<double>{3, 4}));
  // A file of outputs only skips the file's input columns.
  ASSERT_TRUE(readScaleFile(text, 0, 1, ranges));
  EXPECT_EQ(ranges.min, (std::vector<double>{2}));
  EXPECT_EQ(ranges.max, (std::vector<double>{5}));
  const char* bad[] = {
      "",
      "[INPUTS] 3\n[OUTPUTS] 1\n",
      "[INPUTS] 2\n[OUTPUTS] 1\n[MINIMUMS] 0 1\n",
      "[INPUTS] 2\n[OUTPUTS] 1\n[MINIMUMS] 0 1 2\n[MAXIMUMS] 3 4 5\n[NEWINPUTRANGE] -1\n",
      "[INPUTS] 2\n[OUTPUTS] 1\n[MINIMUMS] 0 1 2\n[MAXIMUMS] 3 4 5\n[NEWINPUTRANGE] -1 1\n[NEWOUTPUTRANGE] "
      "0.1",
      "[INPUTS] -2\n",
  };
  for (const char* b : bad) EXPECT_FALSE(readScaleFile(b, 2, 1, ranges)) << b;
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
