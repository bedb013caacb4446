#include "plots/line_raster.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace nodelyx {
namespace {

using Pixels = std::set<std::pair<int, int>>;

// The pixels a line sets in a width × height buffer clipped to clip.
Pixels drawn(CanvasLine line, int width, int height, CanvasRect clip) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height), 0);
  const PixelBuffer buffer{pixels.data(), width, height, width, clip};
  rasterizeLines(buffer, 7, std::span<const CanvasLine>(&line, 1));
  Pixels set;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (pixels[static_cast<std::size_t>(y * width + x)] == 7) set.insert({x, y});
  return set;
}

Pixels drawn(CanvasLine line) { return drawn(line, 12, 12, {0, 0, 12, 12}); }

TEST(LineRasterTest, EachStepTakesTheNearestPixelAcross) {
  struct Case {
    const char* name;
    CanvasLine line;
    Pixels expected;
  };
  const Case cases[] = {
      {"a point", {{3, 4}, {3, 4}}, {{3, 4}}},
      {"across", {{1, 2}, {4, 2}}, {{1, 2}, {2, 2}, {3, 2}, {4, 2}}},
      {"down", {{5, 1}, {5, 3}}, {{5, 1}, {5, 2}, {5, 3}}},
      {"diagonal up", {{0, 3}, {3, 0}}, {{0, 3}, {1, 2}, {2, 1}, {3, 0}}},
      // y = x / 2: halves go on across.
      {"shallow", {{0, 0}, {4, 2}}, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}},
      {"steep", {{0, 0}, {2, 4}}, {{0, 0}, {1, 1}, {1, 2}, {2, 3}, {2, 4}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(drawn(c.line), c.expected);
    EXPECT_EQ(drawn({c.line.to, c.line.from}), c.expected) << "drawn from the other end";
  }
}

// Clipping keeps exactly the pixels of the whole line that lie inside.
TEST(LineRasterTest, ClippedLinesKeepTheirPixelsInside) {
  struct Case {
    const char* name;
    CanvasLine line;
    CanvasRect clip;
  };
  const Case cases[] = {
      {"through the left edge", {{-30, 1}, {50, 9}}, {0, 0, 12, 12}},
      {"steep through the bottom", {{3, -7}, {8, 40}}, {0, 0, 12, 12}},
      {"inside a clip rectangle", {{0, 0}, {11, 7}}, {2, 3, 9, 6}},
      {"clip beyond the buffer", {{-5, -5}, {20, 20}}, {-100, -100, 100, 100}},
      {"wholly outside", {{20, 0}, {40, 11}}, {0, 0, 12, 12}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The whole line, drawn in a buffer big enough, shifted back.
    Pixels inside;
    for (const auto& [x, y] :
         drawn({{c.line.from.x + 200, c.line.from.y + 200}, {c.line.to.x + 200, c.line.to.y + 200}}, 400, 400,
               {0, 0, 400, 400})) {
      const int px = x - 200, py = y - 200;
      if (px >= std::max(c.clip.left, 0) && px < std::min(c.clip.right, 12) &&
          py >= std::max(c.clip.top, 0) && py < std::min(c.clip.bottom, 12))
        inside.insert({px, py});
    }
    EXPECT_EQ(drawn(c.line, 12, 12, c.clip), inside);
  }
}

}  // namespace
}  // namespace nodelyx
