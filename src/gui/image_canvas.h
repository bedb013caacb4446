// A canvas on a 32-bit image in device pixels, for pictures with very many
// thin lines: one-pixel lines are written straight into the image's pixels,
// everything else (and wider lines) goes through a QPainter. The image
// (RGB32 or premultiplied ARGB32, device pixel ratio 1) must stay the same
// size and unshared while the canvas lives. GUI thread only.
#pragma once

#include <QImage>
#include <QPainter>

#include "gui/painter_canvas.h"
#include "plots/line_raster.h"

namespace nodelyx {

class ImageCanvas final : public Canvas {
 public:
  explicit ImageCanvas(QImage& image);
  ImageCanvas(const ImageCanvas&) = delete;
  ImageCanvas& operator=(const ImageCanvas&) = delete;

  void setPen(Rgb color, int width) override;
  void setBrush(std::optional<Rgb> color) override { painterCanvas_.setBrush(color); }
  void drawLine(CanvasPoint from, CanvasPoint to) override;
  void drawLines(std::span<const CanvasLine> lines) override;
  void drawPolyline(std::span<const CanvasPoint> points) override { painterCanvas_.drawPolyline(points); }
  void drawPolygon(std::span<const CanvasPoint> points) override { painterCanvas_.drawPolygon(points); }
  void drawRect(CanvasRect rect) override { painterCanvas_.drawRect(rect); }
  void drawEllipse(CanvasRect bounds) override { painterCanvas_.drawEllipse(bounds); }
  void fillRect(CanvasRect rect, Rgb color) override { painterCanvas_.fillRect(rect, color); }
  void drawText(CanvasPoint at, std::string_view text, const TextStyle& style) override {
    painterCanvas_.drawText(at, text, style);
  }
  void setClip(std::optional<CanvasRect> clip) override;

 private:
  PixelBuffer buffer_;  // taken before the painter begins, which keeps it
  QPainter painter_;
  PainterCanvas painterCanvas_;
  std::uint32_t penValue_ = 0xff000000u;
  int penWidth_ = 1;
};

}  // namespace nodelyx
