// A canvas that draws nothing and keeps every call with its coordinates,
// for tests of the plots' geometry and for benchmarks that count work.
#pragma once

#include <variant>
#include <vector>

#include "plots/canvas.h"

namespace nodelyx {

struct PenCall {
  Rgb color;
  int width;
  friend bool operator==(const PenCall&, const PenCall&) = default;
};
struct BrushCall {
  std::optional<Rgb> color;
  friend bool operator==(const BrushCall&, const BrushCall&) = default;
};
struct LineCall {
  CanvasLine line;
  friend bool operator==(const LineCall&, const LineCall&) = default;
};
struct PolylineCall {
  std::vector<CanvasPoint> points;
  bool closed;  // a polygon
  friend bool operator==(const PolylineCall&, const PolylineCall&) = default;
};
struct RectCall {
  CanvasRect rect;
  bool ellipse;
  friend bool operator==(const RectCall&, const RectCall&) = default;
};
struct FillCall {
  CanvasRect rect;
  Rgb color;
  friend bool operator==(const FillCall&, const FillCall&) = default;
};
struct TextCall {
  CanvasPoint at;
  std::string text;
  TextStyle style;
  friend bool operator==(const TextCall&, const TextCall&) = default;
};
struct ClipCall {
  std::optional<CanvasRect> clip;
  friend bool operator==(const ClipCall&, const ClipCall&) = default;
};

using CanvasCall =
    std::variant<PenCall, BrushCall, LineCall, PolylineCall, RectCall, FillCall, TextCall, ClipCall>;

class RecordingCanvas final : public Canvas {
 public:
  void setPen(Rgb color, int width) override { calls.emplace_back(PenCall{color, width}); }
  void setBrush(std::optional<Rgb> color) override { calls.emplace_back(BrushCall{color}); }
  void drawLine(CanvasPoint from, CanvasPoint to) override { calls.emplace_back(LineCall{{from, to}}); }
  // Recorded as single lines, so a test need not care how they were batched.
  void drawLines(std::span<const CanvasLine> lines) override {
    for (const CanvasLine& line : lines) calls.emplace_back(LineCall{line});
  }
  void drawPolyline(std::span<const CanvasPoint> points) override {
    calls.emplace_back(PolylineCall{{points.begin(), points.end()}, false});
  }
  void drawPolygon(std::span<const CanvasPoint> points) override {
    calls.emplace_back(PolylineCall{{points.begin(), points.end()}, true});
  }
  void drawRect(CanvasRect rect) override { calls.emplace_back(RectCall{rect, false}); }
  void drawEllipse(CanvasRect bounds) override { calls.emplace_back(RectCall{bounds, true}); }
  void fillRect(CanvasRect rect, Rgb color) override { calls.emplace_back(FillCall{rect, color}); }
  void drawText(CanvasPoint at, std::string_view text, const TextStyle& style) override {
    calls.emplace_back(TextCall{at, std::string(text), style});
  }
  void setClip(std::optional<CanvasRect> clip) override { calls.emplace_back(ClipCall{clip}); }

  // The calls of one kind, in order.
  template <typename Call>
  std::vector<Call> all() const {
    std::vector<Call> result;
    for (const CanvasCall& call : calls) {
      if (const auto* found = std::get_if<Call>(&call)) result.push_back(*found);
    }
    return result;
  }
  // The lines drawn with each pen colour are what the eye sees: the pen in
  // force when each line was drawn.
  std::vector<std::pair<Rgb, CanvasLine>> coloredLines() const {
    std::vector<std::pair<Rgb, CanvasLine>> result;
    Rgb pen = kBlack;
    for (const CanvasCall& call : calls) {
      if (const auto* p = std::get_if<PenCall>(&call)) pen = p->color;
      if (const auto* l = std::get_if<LineCall>(&call)) result.emplace_back(pen, l->line);
    }
    return result;
  }

  std::vector<CanvasCall> calls;
};

}  // namespace nodelyx
