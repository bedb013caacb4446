#include "gui/image_canvas.h"

#include <cassert>

namespace nodelyx {
namespace {

PixelBuffer pixelsOf(QImage& image) {
  assert(image.depth() == 32 && image.devicePixelRatio() == 1.0);
  const CanvasRect whole{0, 0, image.width(), image.height()};
  // bits() first: it detaches a shared image before anything points into it.
  auto* pixels = reinterpret_cast<std::uint32_t*>(image.bits());
  return PixelBuffer{pixels, image.width(), image.height(), image.bytesPerLine() / 4, whole};
}

}  // namespace

ImageCanvas::ImageCanvas(QImage& image)
    : buffer_(pixelsOf(image)), painter_(&image), painterCanvas_(painter_) {}

void ImageCanvas::setPen(Rgb color, int width) {
  painterCanvas_.setPen(color, width);
  penValue_ = qRgb(color.r, color.g, color.b);
  penWidth_ = width;
}

void ImageCanvas::drawLine(CanvasPoint from, CanvasPoint to) {
  const CanvasLine line{from, to};
  drawLines(std::span<const CanvasLine>(&line, 1));
}

void ImageCanvas::drawLines(std::span<const CanvasLine> lines) {
  if (penWidth_ > 1) {
    painterCanvas_.drawLines(lines);
    return;
  }
  rasterizeLines(buffer_, penValue_, lines);
}

void ImageCanvas::setClip(std::optional<CanvasRect> clip) {
  painterCanvas_.setClip(clip);
  buffer_.clip = clip.value_or(CanvasRect{0, 0, buffer_.width, buffer_.height});
}

}  // namespace nodelyx
