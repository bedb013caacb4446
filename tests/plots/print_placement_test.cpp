#include "plots/print_placement.h"

#include <gtest/gtest.h>

namespace nodelyx {
namespace {

TEST(PrintPlacementTest, NinetyPercentOfTheWidthInTheFourToThreeShapeCentred) {
  struct Case {
    const char* name;
    int width, height, dpiX, dpiY;
    CanvasRect expected;
  };
  const Case cases[] = {
      {"A4 at 600 dpi", 4958, 7016, 600, 600, {248, 1835, 248 + 4462, 1835 + 3346}},
      // Twice as many pixels across as down per inch: half as many rows
      // keep the shape on paper.
      {"unequal resolutions", 1000, 1000, 600, 300, {50, 331, 50 + 899, 331 + 337}},
      {"landscape letter at 300 dpi", 3300, 2550, 300, 300, {165, 161, 165 + 2969, 161 + 2227}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(printPlacement(c.width, c.height, c.dpiX, c.dpiY), c.expected);
  }
}

}  // namespace
}  // namespace nodelyx
