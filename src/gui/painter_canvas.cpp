#include "gui/painter_canvas.h"

#include <QFontMetrics>
#include <QLine>
#include <QPaintEngine>
#include <QPolygon>
#include <algorithm>
#include <vector>

namespace nodelyx {
namespace {

QColor qcolor(Rgb color) { return QColor(color.r, color.g, color.b); }

QPolygon polygon(std::span<const CanvasPoint> points) {
  QPolygon result;
  result.reserve(static_cast<qsizetype>(points.size()));
  for (const CanvasPoint& p : points) result.append(QPoint(p.x, p.y));
  return result;
}

// The rectangle a 1-pixel outline covers is right - left wide: Qt's outline
// of a w-wide rectangle covers w + 1 pixels.
QRect outlineRect(CanvasRect rect) { return QRect(rect.left, rect.top, rect.width() - 1, rect.height() - 1); }

// The part of a line inside the clip (Liang-Barsky), whose right and bottom
// edges are outside it; nothing when no part is inside.
std::optional<QLineF> clippedLine(CanvasLine line, CanvasRect clip) {
  const double x0 = line.from.x, y0 = line.from.y;
  const double dx = line.to.x - x0, dy = line.to.y - y0;
  const double p[] = {-dx, dx, -dy, dy};
  const double q[] = {x0 - clip.left, clip.right - 1 - x0, y0 - clip.top, clip.bottom - 1 - y0};
  double enter = 0.0, leave = 1.0;
  for (int k = 0; k < 4; ++k) {
    if (p[k] == 0.0) {
      if (q[k] < 0.0) return std::nullopt;
      continue;
    }
    const double t = q[k] / p[k];
    if (p[k] < 0.0) enter = std::max(enter, t);
    if (p[k] > 0.0) leave = std::min(leave, t);
  }
  if (enter > leave) return std::nullopt;
  return QLineF(x0 + enter * dx, y0 + enter * dy, x0 + leave * dx, y0 + leave * dy);
}

}  // namespace

PainterCanvas::PainterCanvas(QPainter& painter)
    : painter_(painter),
      clipsLines_(painter.paintEngine() != nullptr && painter.paintEngine()->type() == QPaintEngine::SVG) {
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

QFont PainterCanvas::labelFont(int pixelHeight) {
  QFont font;
  font.setFamilies(
      {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setWeight(QFont::Normal);
  // The height asked for is the whole line, from the accents to the
  // descenders, as TextStyle says; Qt's pixel size is the smaller em.
  const int height = std::max(pixelHeight, 1);
  font.setPixelSize(height);
  const int line = QFontMetrics(font).height();
  if (line <= height) return font;
  int size = std::max(1, height * height / line);
  font.setPixelSize(size);
  while (size > 1 && QFontMetrics(font).height() > height) font.setPixelSize(--size);
  return font;
}

void PainterCanvas::setPen(Rgb color, int width) {
  QPen pen(qcolor(color));
  pen.setWidth(width < 1 ? 1 : width);
  pen.setCapStyle(Qt::FlatCap);
  painter_.setPen(pen);
}

void PainterCanvas::setBrush(std::optional<Rgb> color) {
  painter_.setBrush(color ? QBrush(qcolor(*color)) : QBrush(Qt::NoBrush));
}

void PainterCanvas::drawLine(CanvasPoint from, CanvasPoint to) {
  if (clipsLines_ && clip_) {
    if (const std::optional<QLineF> part = clippedLine({from, to}, *clip_)) painter_.drawLine(*part);
    return;
  }
  painter_.drawLine(from.x, from.y, to.x, to.y);
}

void PainterCanvas::drawLines(std::span<const CanvasLine> lines) {
  if (clipsLines_ && clip_) {
    for (const CanvasLine& line : lines) drawLine(line.from, line.to);
    return;
  }
  std::vector<QLine> batch;
  batch.reserve(lines.size());
  for (const CanvasLine& line : lines) batch.emplace_back(line.from.x, line.from.y, line.to.x, line.to.y);
  painter_.drawLines(batch.data(), static_cast<int>(batch.size()));
}

void PainterCanvas::drawPolyline(std::span<const CanvasPoint> points) {
  painter_.drawPolyline(polygon(points));
}

void PainterCanvas::drawPolygon(std::span<const CanvasPoint> points) {
  painter_.drawPolygon(polygon(points));
}

void PainterCanvas::drawRect(CanvasRect rect) { painter_.drawRect(outlineRect(rect)); }

void PainterCanvas::drawEllipse(CanvasRect bounds) { painter_.drawEllipse(outlineRect(bounds)); }

void PainterCanvas::fillRect(CanvasRect rect, Rgb color) {
  // Qt would fill a rectangle turned inside out (right of left, above top)
  // as its mirror image; an empty one fills nothing.
  if (rect.width() <= 0 || rect.height() <= 0) return;
  painter_.fillRect(QRect(rect.left, rect.top, rect.width(), rect.height()), qcolor(color));
}

void PainterCanvas::drawText(CanvasPoint at, std::string_view text, const TextStyle& style) {
  const QFont font = labelFont(style.height);
  const QFontMetrics metrics(font);
  const QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  int dx = 0;
  if (style.align == TextAlign::Center) dx = -metrics.horizontalAdvance(string) / 2;
  if (style.align == TextAlign::Right) dx = -metrics.horizontalAdvance(string);
  int dy = 0;
  if (style.anchor == TextAnchor::Top) dy = metrics.ascent();
  if (style.anchor == TextAnchor::Bottom) dy = -metrics.descent();
  painter_.save();
  painter_.setFont(font);
  painter_.translate(at.x, at.y);
  painter_.rotate(-style.rotation);
  painter_.drawText(dx, dy, string);
  painter_.restore();
}

void PainterCanvas::setClip(std::optional<CanvasRect> clip) {
  clip_ = clip;
  if (!clip) {
    painter_.setClipping(false);
    return;
  }
  // An empty clip (as a window too small for its plot gives) lets nothing
  // through; Qt would take one turned inside out as its mirror image.
  painter_.setClipRect(QRect(clip->left, clip->top, std::max(clip->width(), 0), std::max(clip->height(), 0)));
}

}  // namespace nodelyx
