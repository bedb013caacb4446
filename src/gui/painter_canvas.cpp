#include "gui/painter_canvas.h"

#include <QFontMetrics>
#include <QLine>
#include <QPolygon>
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

}  // namespace

PainterCanvas::PainterCanvas(QPainter& painter) : painter_(painter) {
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

QFont PainterCanvas::labelFont(int pixelHeight) {
  QFont font;
  font.setFamilies(
      {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setWeight(QFont::Normal);
  font.setPixelSize(pixelHeight < 1 ? 1 : pixelHeight);
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
  painter_.drawLine(from.x, from.y, to.x, to.y);
}

void PainterCanvas::drawLines(std::span<const CanvasLine> lines) {
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
  if (!clip) {
    painter_.setClipping(false);
    return;
  }
  painter_.setClipRect(QRect(clip->left, clip->top, clip->width(), clip->height()));
}

}  // namespace nodelyx
