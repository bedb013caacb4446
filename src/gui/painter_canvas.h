// The Canvas on a QPainter: the screen (a widget or an image), SVG files
// (QSvgGenerator), PDF files and printers (QPrinter) alike. SVG files get
// no clip from Qt, so lines are clipped here before they reach one. The painter must
// be active for the canvas's whole life; the canvas changes its pen, brush,
// font and clip and leaves them changed. GUI thread (or the thread that
// owns the painted image).
#pragma once

#include <QFont>
#include <QPainter>

#include "plots/canvas.h"

namespace nodelyx {

class PainterCanvas final : public Canvas {
 public:
  explicit PainterCanvas(QPainter& painter);

  void setPen(Rgb color, int width) override;
  void setBrush(std::optional<Rgb> color) override;
  void drawLine(CanvasPoint from, CanvasPoint to) override;
  void drawLines(std::span<const CanvasLine> lines) override;
  void drawPolyline(std::span<const CanvasPoint> points) override;
  void drawPolygon(std::span<const CanvasPoint> points) override;
  void drawRect(CanvasRect rect) override;
  void drawEllipse(CanvasRect bounds) override;
  void fillRect(CanvasRect rect, Rgb color) override;
  void drawText(CanvasPoint at, std::string_view text, const TextStyle& style) override;
  void setClip(std::optional<CanvasRect> clip) override;

  // The plots' label font (a plain sans-serif) whose lines, accents to
  // descenders, are at most pixelHeight pixels high.
  static QFont labelFont(int pixelHeight);

 private:
  QPainter& painter_;
  bool clipsLines_;  // the painter's device ignores the clip
  std::optional<CanvasRect> clip_;
};

}  // namespace nodelyx
