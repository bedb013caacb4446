// Where a plot goes on a printed page: 90 % of the page's width, as high as
// keeps the 640 × 480 picture's 4:3 shape on paper (the printer's pixels
// need not be square), centred. Pure; any thread.
#pragma once

#include "plots/canvas.h"

namespace nodelyx {

// The size every saved or printed plot is drawn at.
inline constexpr CanvasSize kPlotFileSize{640, 480};

// pageWidth, pageHeight: the printable page in printer pixels; dpiX, dpiY:
// the printer's pixels per inch across and down.
CanvasRect printPlacement(int pageWidth, int pageHeight, int dpiX, int dpiY);

}  // namespace nodelyx
