#include "plots/print_placement.h"

namespace nodelyx {

CanvasRect printPlacement(int pageWidth, int pageHeight, int dpiX, int dpiY) {
  // The factor is the single-precision 0.9 of the stored layout rules.
  constexpr double kShare = static_cast<double>(0.9f);
  const auto width = static_cast<int>(kShare * pageWidth);
  const double shape = static_cast<double>(dpiY) * pageWidth * kPlotFileSize.height /
                       (static_cast<double>(dpiX) * kPlotFileSize.width);
  const auto height = static_cast<int>(shape * kShare);
  const int left = (pageWidth - width) / 2;
  const int top = (pageHeight - height) / 2;
  return {left, top, left + width, top + height};
}

}  // namespace nodelyx
