// One-pixel lines written straight into a 32-bit pixel buffer: the network
// view draws hundreds of thousands of them per picture, which a general
// painter strokes far more slowly than a plain stepping loop. Pure; the
// caller owns the buffer and draws from one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "plots/canvas.h"

namespace nodelyx {

// Rows of 32-bit pixels, stride pixels apart; only the pixels inside clip
// (which the caller keeps inside width × height) are written.
struct PixelBuffer {
  std::uint32_t* pixels = nullptr;
  int width = 0, height = 0;
  std::ptrdiff_t stride = 0;
  CanvasRect clip;
};

// Sets every pixel of each line to value, both end points included. Each
// line steps along its longer axis one pixel at a time and takes, across,
// the pixel nearest to the exact line (halves away from the start); a line
// is drawn the same whichever end it is given from.
void rasterizeLines(const PixelBuffer& buffer, std::uint32_t value, std::span<const CanvasLine> lines);

}  // namespace nodelyx
