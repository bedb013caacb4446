// The training error plot: the RMS error of the training set (blue), of the
// cross-validation patterns (red) and of the testing set (green) against the
// epochs. Pure layout functions give the frame, labels, legend, ticks and
// sample positions; ErrorPlot keeps the scale and what has been drawn, so a
// new sample costs one short segment per curve and only a value above the
// scale, a thinning of the samples or a new size redraws everything.
// No Qt; the thread that owns the canvas (the GUI thread for the window).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/error_samples.h"
#include "plots/canvas.h"

namespace nodelyx {

inline constexpr Rgb kTrainingErrorColor{0, 0, 255};
inline constexpr Rgb kXvalErrorColor{255, 0, 0};
inline constexpr Rgb kTestingErrorColor{60, 180, 60};

// Margins, font height, label offsets, tick length and pen width in pixels,
// from the screen's size scaled to a 1024 × 768 screen (where they are 30,
// 35, 47, 25, 15, 20, 20, 10 and 1).
struct ErrorPlotMetrics {
  int topMargin = 30, bottomMargin = 35, leftMargin = 47, rightMargin = 25;
  int fontHeight = 15;
  int xLabelOffset = 20;  // x labels' baseline above the bottom edge
  int yLabelLeft = 20;    // y labels' left edge
  int tickLength = 10;
  int penWidth = 1;
  friend bool operator==(const ErrorPlotMetrics&, const ErrorPlotMetrics&) = default;
};
ErrorPlotMetrics errorPlotMetrics(int screenWidth, int screenHeight);

// Labelled positions along each axis (both ends included) for a plot of
// that width or height: 11, 6, 3 or 2.
int xDivisionsFor(int width);
int yDivisionsFor(int height);

// The curves besides the training error: cross-validation while it is
// switched on, testing while a testing set with targets is loaded.
struct ErrorCurves {
  bool crossValidation = false;
  bool testing = false;
  friend bool operator==(const ErrorCurves&, const ErrorCurves&) = default;
};

// What the axes show.
struct ErrorPlotScale {
  int xDivisions = 11, yDivisions = 11;
  double yMax = 1.0;           // error at the top of the plot area
  int xSpan = 250;             // sample steps across the plot area
  std::uint32_t interval = 1;  // epochs between two samples
};

struct PlotText {
  CanvasPoint at;
  std::string text;
  TextStyle style;
  friend bool operator==(const PlotText&, const PlotText&) = default;
};

// The frame, its labels and the plot area for a canvas of the given size.
struct ErrorPlotLayout {
  CanvasRect frame;  // the corners the frame line runs through
  CanvasRect area;   // the inside of the frame, where the curves go
  std::vector<PlotText> labels;
};
ErrorPlotLayout errorPlotLayout(const ErrorPlotMetrics& metrics, CanvasSize size,
                                const ErrorPlotScale& scale);
CanvasRect errorPlotArea(const ErrorPlotMetrics& metrics, CanvasSize size);

// One row per curve shown, at the top right of the plot area, with a border
// on its left and bottom (three points: top, corner, right end).
struct LegendRow {
  Rgb color;
  CanvasLine line;
  PlotText label;
};
struct ErrorPlotLegend {
  std::vector<LegendRow> rows;
  std::vector<CanvasPoint> border;
};
ErrorPlotLegend errorPlotLegend(const ErrorPlotMetrics& metrics, CanvasRect area, ErrorCurves curves);

// Minor and major ticks inside the plot area along its left and bottom edges.
std::vector<CanvasLine> errorPlotTicks(const ErrorPlotMetrics& metrics, CanvasRect area, int xDivisions,
                                       int yDivisions);

// Where sample i, and an error value, lie in an area. Values far off the
// scale (inf, nan included) lie far outside it rather than overflow.
int sampleX(CanvasRect area, std::uint32_t i, int xSpan);
int valueY(CanvasRect area, double value, double yMax);

// The scale after a rescale: 1.05 × the largest error of the curves shown
// over the stored samples, at least the single-precision 0.1. Values that
// are not finite are left out.
double rescaledYMax(const ErrorSamples& samples, ErrorCurves curves);

class ErrorPlot {
 public:
  explicit ErrorPlot(const ErrorPlotMetrics& metrics = {}) : metrics_(metrics) {}

  void setMetrics(const ErrorPlotMetrics& metrics) { metrics_ = metrics; }
  const ErrorPlotMetrics& metrics() const { return metrics_; }
  const ErrorPlotScale& scale() const { return scale_; }
  CanvasRect area() const { return area_; }
  std::uint32_t nextSample() const { return nextSample_; }
  bool rescalePending() const { return rescalePending_; }

  // The samples were thinned or reset, or the curves changed: the next new
  // data rescale and redraw everything.
  void requestRescale() { rescalePending_ = true; }

  // New data on the canvas the plot was last painted on: a full paint when
  // a rescale is pending (or the samples were reset, or other curves are
  // shown than were painted), else only the samples not drawn yet. Returns the part of the canvas that
  // changed.
  std::optional<CanvasRect> newData(Canvas& canvas, CanvasSize size, const ErrorSamples& samples,
                                    ErrorCurves curves);

  // Full redraw of a canvas of the given size: a pending rescale takes its
  // new yMax from the samples; then white, the frame and labels with the
  // divisions for the size, the legend, the ticks and every sample.
  void paint(Canvas& canvas, CanvasSize size, const ErrorSamples& samples, ErrorCurves curves);
  // Draws the samples stored since the last drawing (after a pending
  // rescale's white fill of the plot area and the legend when they are
  // due). A value above yMax asks for a rescale at the next new data.
  // Returns the part of the canvas that changed, or nothing.
  std::optional<CanvasRect> drawPending(Canvas& canvas, const ErrorSamples& samples, ErrorCurves curves);

  // The whole plot for a file or a printer page (11 divisions on both axes,
  // every sample from the first), leaving the plot's own state as it was.
  void drawWhole(Canvas& canvas, CanvasSize size, const ErrorSamples& samples, ErrorCurves curves) const;

 private:
  void drawFrameAndLabels(Canvas& canvas, CanvasSize size) const;
  void drawLegendAndTicks(Canvas& canvas, ErrorCurves curves) const;
  // Restarts the curves at sample 0 with their first points in the area.
  void restartInArea(const ErrorSamples& samples);
  CanvasRect drawSample(Canvas& canvas, const ErrorSamples& samples, ErrorCurves curves, std::uint32_t i);

  ErrorPlotMetrics metrics_;
  ErrorPlotScale scale_;
  CanvasRect area_;
  ErrorCurves curves_;  // the curves the last paint showed
  bool rescalePending_ = false;
  bool legendPending_ = false;
  std::uint32_t nextSample_ = 0;  // first sample not drawn yet
  int lastX_ = 0;
  std::array<int, 3> lastY_{};  // training, cross-validation, testing
};

}  // namespace nodelyx
