#include "plots/line_raster.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace nodelyx {
namespace {

// The bounds a line may write, inclusive, along its own axes.
struct Bounds {
  int aMin, aMax, bMin, bMax;
};

// A line stepping along axis a (x when xMajor) from a0 to a1, its other
// coordinate b going from b0 to b1; |b1 - b0| <= |a1 - a0|.
template <bool xMajor>
void drawAlongMajorAxis(const PixelBuffer& buffer, std::uint32_t value, const Bounds& bounds, int a0, int b0,
                        int a1, int b1) {
  if (a0 > a1) {
    std::swap(a0, a1);
    std::swap(b0, b1);
  }
  if (std::max(b0, b1) < bounds.bMin || std::min(b0, b1) > bounds.bMax) return;
  const int first = std::max(a0, bounds.aMin);
  const int last = std::min(a1, bounds.aMax);
  if (first > last) return;
  auto set = [&buffer, value](int a, int b) {
    const int x = xMajor ? a : b;
    const int y = xMajor ? b : a;
    buffer.pixels[static_cast<std::ptrdiff_t>(y) * buffer.stride + x] = value;
  };
  const std::int64_t length = static_cast<std::int64_t>(a1) - a0;
  if (length == 0) {
    if (b0 >= bounds.bMin && b0 <= bounds.bMax) set(a0, b0);
    return;
  }
  const int step = b1 < b0 ? -1 : 1;
  const std::int64_t rise2 = 2 * std::llabs(static_cast<std::int64_t>(b1) - b0);
  const std::int64_t length2 = 2 * length;
  // The offset across at `first` is round(rise * (first - a0) / length),
  // halves up; from there the remainder carries it one step at a time.
  const std::int64_t numerator = rise2 * (first - a0) + length;
  std::int64_t remainder = numerator % length2;
  int b = b0 + step * static_cast<int>(numerator / length2);
  for (int a = first; a <= last; ++a) {
    if (b >= bounds.bMin && b <= bounds.bMax) set(a, b);
    remainder += rise2;
    if (remainder >= length2) {
      remainder -= length2;
      b += step;
    }
  }
}

}  // namespace

void rasterizeLines(const PixelBuffer& buffer, std::uint32_t value, std::span<const CanvasLine> lines) {
  const int left = std::max(buffer.clip.left, 0);
  const int top = std::max(buffer.clip.top, 0);
  const int right = std::min(buffer.clip.right, buffer.width) - 1;
  const int bottom = std::min(buffer.clip.bottom, buffer.height) - 1;
  if (buffer.pixels == nullptr || left > right || top > bottom) return;
  const Bounds alongX{left, right, top, bottom};
  const Bounds alongY{top, bottom, left, right};
  for (const CanvasLine& line : lines) {
    const CanvasPoint& p = line.from;
    const CanvasPoint& q = line.to;
    if (std::abs(q.x - p.x) >= std::abs(q.y - p.y))
      drawAlongMajorAxis<true>(buffer, value, alongX, p.x, p.y, q.x, q.y);
    else
      drawAlongMajorAxis<false>(buffer, value, alongY, p.y, p.x, q.y, q.x);
  }
}

}  // namespace nodelyx
