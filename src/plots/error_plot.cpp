#include "plots/error_plot.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>

#include "files/c_format.h"

namespace nodelyx {
namespace {

// Positions of values far off the scale are kept this far outside the plot:
// far enough for the clip to drop them, near enough for int arithmetic.
constexpr int kFar = 1 << 20;
// Sample steps across the plot area; index 250 lies on its right edge.
constexpr int kSampleSteps = 250;
// Save and Print use the finest divisions whatever the window's size.
constexpr int kWholeDivisions = 11;

int truncatedOffset(double offset) {
  if (std::isnan(offset) || offset > kFar) return kFar;
  if (offset < -kFar) return -kFar;
  return static_cast<int>(offset);
}

using SampleArray = std::array<double, ErrorSamples::kCapacity>;

struct Curve {
  const SampleArray ErrorSamples::*values;
  Rgb color;
  const char* label;
};
// In the order they are drawn and listed in the legend.
constexpr Curve kCurves[] = {
    {&ErrorSamples::trainRms, kTrainingErrorColor, "Training Error"},
    {&ErrorSamples::xvalRms, kXvalErrorColor, "X-Val Error"},
    {&ErrorSamples::testRms, kTestingErrorColor, "Testing Error"},
};
constexpr int kCurveCount = static_cast<int>(std::size(kCurves));

bool isShown(int curve, ErrorCurves curves) {
  if (curve == 1) return curves.crossValidation;
  if (curve == 2) return curves.testing;
  return true;
}

double sampleValue(const ErrorSamples& samples, int curve, std::uint32_t i) {
  return (samples.*kCurves[curve].values)[i];
}

std::uint32_t storedCount(const ErrorSamples& samples) {
  return std::min<std::uint32_t>(samples.count, ErrorSamples::kCapacity);
}

CanvasRect unite(const std::optional<CanvasRect>& a, CanvasRect b) {
  if (!a) return b;
  return {std::min(a->left, b.left), std::min(a->top, b.top), std::max(a->right, b.right),
          std::max(a->bottom, b.bottom)};
}

CanvasRect intersect(CanvasRect a, CanvasRect b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

void addYLabels(std::vector<PlotText>& labels, const ErrorPlotMetrics& m, int h,
                const ErrorPlotScale& scale) {
  const TextStyle style{m.fontHeight, 0, TextAlign::Left, TextAnchor::Baseline};
  const int n = scale.yDivisions;
  for (int i = 1; i <= n - 2; ++i) {
    const int y = h - i * (h - m.bottomMargin - m.topMargin) / (n - 1) - m.bottomMargin + 4;
    labels.push_back({{m.yLabelLeft, y}, formatC("%.2f", i * scale.yMax / (n - 1)), style});
  }
  labels.push_back({{m.yLabelLeft, h - m.bottomMargin + 4}, "0.0", style});
  labels.push_back({{m.yLabelLeft, m.topMargin + 4}, formatC("%.2f", scale.yMax), style});
}

void addXLabels(std::vector<PlotText>& labels, const ErrorPlotMetrics& m, CanvasSize size,
                const ErrorPlotScale& scale) {
  const TextStyle style{m.fontHeight, 0, TextAlign::Center, TextAnchor::Baseline};
  const int n = scale.xDivisions;
  const int y = size.height - m.xLabelOffset;
  const int right = size.width - m.rightMargin;
  // In 64 bits: epochs beyond the 32-bit range still label correctly.
  const std::uint64_t epochs = static_cast<std::uint64_t>(scale.xSpan) * scale.interval;
  for (int i = 1; i <= n - 2; ++i) {
    const int x = m.leftMargin + i * (right - m.leftMargin) / (n - 1);
    const auto value = static_cast<unsigned long long>(epochs * static_cast<std::uint64_t>(i) /
                                                       static_cast<std::uint64_t>(n - 1));
    labels.push_back({{x, y}, formatC("%llu", value), style});
  }
  labels.push_back({{m.leftMargin, y}, "0", style});
  labels.push_back({{right, y}, formatC("%llu", static_cast<unsigned long long>(epochs)), style});
}

}  // namespace

ErrorPlotMetrics errorPlotMetrics(int screenWidth, int screenHeight) {
  const int w = screenWidth, h = screenHeight;
  ErrorPlotMetrics m;
  // Integer arithmetic truncates exactly where a floating-point ratio such
  // as 35/768 could land a hair below a whole number.
  m.topMargin = h * 5 / 128;
  m.bottomMargin = h * 35 / 768;
  m.leftMargin = w * 47 / 1024;
  m.rightMargin = w * 25 / 1024;
  m.fontHeight = w * 15 / 1024;
  m.xLabelOffset = h * 20 / 768;
  m.yLabelLeft = w * 20 / 1024;
  m.tickLength = w * 10 / 1024;
  m.penWidth = std::max(w / 1024, 1);
  return m;
}

int xDivisionsFor(int width) {
  if (width >= 551) return 11;
  if (width >= 401) return 6;
  if (width >= 176) return 3;
  return 2;
}

int yDivisionsFor(int height) {
  if (height >= 401) return 11;
  if (height >= 251) return 6;
  if (height >= 101) return 3;
  return 2;
}

CanvasRect errorPlotArea(const ErrorPlotMetrics& m, CanvasSize size) {
  return {m.leftMargin + 1, m.topMargin + 1, size.width - m.rightMargin, size.height - m.bottomMargin};
}

ErrorPlotLayout errorPlotLayout(const ErrorPlotMetrics& m, CanvasSize size, const ErrorPlotScale& scale) {
  assert(scale.xDivisions >= 2 && scale.yDivisions >= 2);
  const int w = size.width, h = size.height, fh = m.fontHeight;
  ErrorPlotLayout layout;
  layout.frame = {m.leftMargin, m.topMargin, w - m.rightMargin, h - m.bottomMargin};
  layout.area = errorPlotArea(m, size);
  addYLabels(layout.labels, m, h, scale);
  addXLabels(layout.labels, m, size, scale);
  layout.labels.push_back({{w / 2, h - fh / 2}, "Epochs", {fh, 0, TextAlign::Center, TextAnchor::Baseline}});
  layout.labels.push_back({{w / 2, fh / 5},
                           "RMS Error vs Training Time",
                           {static_cast<int>(fh * 1.25), 0, TextAlign::Center, TextAnchor::Top}});
  layout.labels.push_back({{fh / 5, h / 2}, "RMS Error", {fh, 90, TextAlign::Center, TextAnchor::Top}});
  return layout;
}

ErrorPlotLegend errorPlotLegend(const ErrorPlotMetrics& metrics, CanvasRect area, ErrorCurves curves) {
  constexpr double kRowOffsets[] = {0.15, 0.6, 1.05};
  constexpr double kBorderDepths[] = {0.8, 1.2, 1.65};
  const int m = metrics.topMargin, fh = metrics.fontHeight;
  ErrorPlotLegend legend;
  for (int curve = 0; curve < kCurveCount; ++curve) {
    if (!isShown(curve, curves)) continue;
    const double offset = kRowOffsets[legend.rows.size()];
    const int lineY = area.top + static_cast<int>(fh / 2 + offset * m);
    legend.rows.push_back({kCurves[curve].color,
                           {{area.right - 3 * m, lineY}, {area.right - 4 * m, lineY}},
                           {{area.right - static_cast<int>(2.7 * m), area.top + static_cast<int>(offset * m)},
                            kCurves[curve].label,
                            {fh, 0, TextAlign::Left, TextAnchor::Top}}});
  }
  const int x = area.right - static_cast<int>(4.2 * m);
  const int y = area.top + static_cast<int>(kBorderDepths[legend.rows.size() - 1] * m);
  legend.border = {{x, area.top}, {x, y}, {area.right, y}};
  return legend;
}

std::vector<CanvasLine> errorPlotTicks(const ErrorPlotMetrics& metrics, CanvasRect area, int xDivisions,
                                       int yDivisions) {
  const int left = area.left, bottom = area.bottom, pw = area.width(), ph = area.height();
  const int minor = metrics.tickLength / 2, major = metrics.tickLength;
  std::vector<CanvasLine> ticks;
  int n = yDivisions;
  for (int k = 1; k <= n - 1; ++k) {
    for (int j = 1; j <= 4; ++j) {
      const int y = bottom - (k - 1) * ph / (n - 1) - j * ph / (5 * (n - 1));
      ticks.push_back({{left, y}, {left + minor, y}});
    }
  }
  for (int k = 1; k <= n - 2; ++k) {
    const int y = bottom - k * ph / (n - 1);
    ticks.push_back({{left, y}, {left + major, y}});
  }
  n = xDivisions;
  for (int k = 1; k <= n - 1; ++k) {
    for (int j = 1; j <= 9; ++j) {
      const int x = left + (k - 1) * pw / (n - 1) + j * pw / (10 * (n - 1));
      ticks.push_back({{x, bottom}, {x, bottom - minor}});
    }
  }
  for (int k = 1; k <= n - 2; ++k) {
    const int x = left + k * pw / (n - 1);
    ticks.push_back({{x, bottom}, {x, bottom - major}});
  }
  return ticks;
}

int sampleX(CanvasRect area, std::uint32_t i, int xSpan) {
  return area.left + truncatedOffset(static_cast<double>(i) / xSpan * area.width());
}

int valueY(CanvasRect area, double value, double yMax) {
  return area.bottom - truncatedOffset(value / yMax * area.height());
}

double rescaledYMax(const ErrorSamples& samples, ErrorCurves curves) {
  const double kSmallest = static_cast<double>(0.1f);
  double largest = 0.0;
  for (std::uint32_t i = 0; i < storedCount(samples); ++i) {
    for (int curve = 0; curve < kCurveCount; ++curve) {
      const double value = sampleValue(samples, curve, i);
      if (isShown(curve, curves) && std::isfinite(value)) largest = std::max(largest, value);
    }
  }
  const double yMax = 1.05 * largest;
  return samples.count == 0 || yMax < kSmallest ? kSmallest : yMax;
}

std::optional<CanvasRect> ErrorPlot::newData(Canvas& canvas, CanvasSize size, const ErrorSamples& samples,
                                             ErrorCurves curves) {
  // Samples reset, or a curve switched on or off, without a request: the
  // segments would start from stale points, so start afresh.
  if (storedCount(samples) < nextSample_ || curves != curves_) rescalePending_ = true;
  if (!rescalePending_) return drawPending(canvas, samples, curves);
  paint(canvas, size, samples, curves);
  return CanvasRect{0, 0, size.width, size.height};
}

void ErrorPlot::paint(Canvas& canvas, CanvasSize size, const ErrorSamples& samples, ErrorCurves curves) {
  // A rescale still pending is carried out here, so a repaint between a
  // request and the next sample does not lose it.
  if (rescalePending_) {
    scale_.yMax = rescaledYMax(samples, curves);
    scale_.xSpan = kSampleSteps;
  }
  canvas.setClip(std::nullopt);
  canvas.fillRect({0, 0, size.width, size.height}, kWhite);
  scale_.xDivisions = xDivisionsFor(size.width);
  scale_.yDivisions = yDivisionsFor(size.height);
  scale_.interval = samples.interval;
  curves_ = curves;
  drawFrameAndLabels(canvas, size);
  area_ = errorPlotArea(metrics_, size);
  restartInArea(samples);
  legendPending_ = true;
  if (scale_.yMax != 0) drawPending(canvas, samples, curves);
}

std::optional<CanvasRect> ErrorPlot::drawPending(Canvas& canvas, const ErrorSamples& samples,
                                                 ErrorCurves curves) {
  std::optional<CanvasRect> changed;
  canvas.setClip(area_);
  if (rescalePending_) {
    canvas.fillRect(area_, kWhite);
    restartInArea(samples);
    legendPending_ = true;
    rescalePending_ = false;
  }
  if (legendPending_) {
    drawLegendAndTicks(canvas, curves);
    legendPending_ = false;
    changed = area_;
  }
  for (const std::uint32_t count = storedCount(samples); nextSample_ < count; ++nextSample_)
    changed = unite(changed, drawSample(canvas, samples, curves, nextSample_));
  canvas.setPen(kBlack, metrics_.penWidth);
  canvas.setClip(std::nullopt);
  if (changed) changed = intersect(*changed, area_);
  return changed;
}

void ErrorPlot::drawWhole(Canvas& canvas, CanvasSize size, const ErrorSamples& samples,
                          ErrorCurves curves) const {
  // A copy draws, so the window's scale, pending requests and incremental
  // positions stay as they were.
  ErrorPlot whole = *this;
  whole.scale_.xDivisions = kWholeDivisions;
  whole.scale_.yDivisions = kWholeDivisions;
  whole.scale_.interval = samples.interval;
  whole.drawFrameAndLabels(canvas, size);
  whole.area_ = errorPlotArea(metrics_, size);
  whole.rescalePending_ = false;
  whole.legendPending_ = true;
  whole.restartInArea(samples);
  whole.drawPending(canvas, samples, curves);
}

void ErrorPlot::drawFrameAndLabels(Canvas& canvas, CanvasSize size) const {
  const ErrorPlotLayout layout = errorPlotLayout(metrics_, size, scale_);
  const CanvasRect& f = layout.frame;
  const CanvasPoint corners[] = {{f.left, f.top}, {f.right, f.top}, {f.right, f.bottom}, {f.left, f.bottom}};
  canvas.setPen(kBlack, metrics_.penWidth);
  canvas.setBrush(std::nullopt);
  canvas.drawPolygon(corners);
  for (const PlotText& label : layout.labels) canvas.drawText(label.at, label.text, label.style);
}

void ErrorPlot::drawLegendAndTicks(Canvas& canvas, ErrorCurves curves) const {
  const ErrorPlotLegend legend = errorPlotLegend(metrics_, area_, curves);
  for (const LegendRow& row : legend.rows) {
    canvas.setPen(row.color, metrics_.penWidth);
    canvas.drawLine(row.line.from, row.line.to);
    // Text takes the pen's colour: the names are black.
    canvas.setPen(kBlack, metrics_.penWidth);
    canvas.drawText(row.label.at, row.label.text, row.label.style);
  }
  canvas.drawPolyline(legend.border);
  canvas.drawLines(errorPlotTicks(metrics_, area_, scale_.xDivisions, scale_.yDivisions));
}

// Each curve's first segment is the point of sample 0 itself, inside the
// plot area: no device need clip a segment from elsewhere away (an SVG
// file would show it).
void ErrorPlot::restartInArea(const ErrorSamples& samples) {
  nextSample_ = 0;
  lastX_ = area_.left;
  for (int curve = 0; curve < kCurveCount; ++curve)
    lastY_[curve] = valueY(area_, sampleValue(samples, curve, 0), scale_.yMax);
}

CanvasRect ErrorPlot::drawSample(Canvas& canvas, const ErrorSamples& samples, ErrorCurves curves,
                                 std::uint32_t i) {
  const int prevX = lastX_;
  lastX_ = sampleX(area_, i, scale_.xSpan);
  CanvasRect bounds{std::min(prevX, lastX_), kFar, std::max(prevX, lastX_), -kFar};
  for (int curve = 0; curve < kCurveCount; ++curve) {
    if (!isShown(curve, curves)) continue;
    const double value = sampleValue(samples, curve, i);
    const int y = valueY(area_, value, scale_.yMax);
    canvas.setPen(kCurves[curve].color, metrics_.penWidth);
    canvas.drawLine({prevX, lastY_[curve]}, {lastX_, y});
    bounds.top = std::min({bounds.top, lastY_[curve], y});
    bounds.bottom = std::max({bounds.bottom, lastY_[curve], y});
    lastY_[curve] = y;
    if (std::isfinite(value) && value > scale_.yMax) rescalePending_ = true;
  }
  // The pen is centred on the line and covers its end points.
  const int pen = metrics_.penWidth;
  return {bounds.left - pen, bounds.top - pen, bounds.right + pen + 1, bounds.bottom + pen + 1};
}

}  // namespace nodelyx
