// The small drawing surface every plot draws on: pens and brushes in plain
// colours, lines, polylines, rectangles, ellipses, polygons, text with
// alignment, height and rotation, and a clip rectangle. Coordinates are
// device pixels with the origin at the top left, y growing downwards. One
// drawing routine serves the screen, SVG, PDF and the printer (the Qt
// painter canvas in src/gui) and the tests (RecordingCanvas), which check
// its geometry exactly. A canvas belongs to the thread that draws on it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace nodelyx {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};

struct CanvasPoint {
  int x = 0, y = 0;
  friend bool operator==(const CanvasPoint&, const CanvasPoint&) = default;
};

// Right and bottom are outside the rectangle, as for a device's clip
// region: {0, 0, 10, 10} covers pixels 0..9 in each direction.
struct CanvasRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  friend bool operator==(const CanvasRect&, const CanvasRect&) = default;
};

struct CanvasSize {
  int width = 0, height = 0;
  friend bool operator==(const CanvasSize&, const CanvasSize&) = default;
};

struct CanvasLine {
  CanvasPoint from, to;
  friend bool operator==(const CanvasLine&, const CanvasLine&) = default;
};

enum class TextAlign { Left, Center, Right };
// Which line of the text the point gives: its top, its baseline or its bottom.
enum class TextAnchor { Top, Baseline, Bottom };

struct TextStyle {
  int height = 12;   // pixels, from the top of the accents to the bottom of the descenders
  int rotation = 0;  // degrees, counter-clockwise
  TextAlign align = TextAlign::Left;
  TextAnchor anchor = TextAnchor::Baseline;
  friend bool operator==(const TextStyle&, const TextStyle&) = default;
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  // The pen outlines and draws lines; width in pixels (at least 1).
  virtual void setPen(Rgb color, int width = 1) = 0;
  // The brush fills rectangles, ellipses and polygons; none leaves them
  // hollow.
  virtual void setBrush(std::optional<Rgb> color) = 0;

  virtual void drawLine(CanvasPoint from, CanvasPoint to) = 0;
  // Many lines in the current pen at once (the network view draws tens of
  // thousands per colour).
  virtual void drawLines(std::span<const CanvasLine> lines) = 0;
  virtual void drawPolyline(std::span<const CanvasPoint> points) = 0;
  virtual void drawPolygon(std::span<const CanvasPoint> points) = 0;
  // Outlined with the pen and filled with the brush, corners included.
  virtual void drawRect(CanvasRect rect) = 0;
  virtual void drawEllipse(CanvasRect bounds) = 0;
  // Fills with the colour, without an outline.
  virtual void fillRect(CanvasRect rect, Rgb color) = 0;
  // In the pen's colour.
  virtual void drawText(CanvasPoint at, std::string_view text, const TextStyle& style) = 0;

  // Drawing outside the rectangle is discarded; nullopt draws everywhere.
  virtual void setClip(std::optional<CanvasRect> clip) = 0;
};

}  // namespace nodelyx
