// The network view's diagram: one column per layer, input neurons as
// squares, the others as circles, a triangle per layer for its bias and one
// line per weight and per bias, coloured by the class of its value (or of
// its learning rate); a colour scale at the left edge explains the seven
// classes. The layout is a pure function of the canvas size and the layer
// sizes; the drawing reads a Network the caller keeps still meanwhile (the
// GUI thread while no run trains it, or a snapshot). Any thread.
#pragma once

#include <array>
#include <span>
#include <string>
#include <vector>

#include "engine/network.h"
#include "plots/canvas.h"

namespace nodelyx {

inline constexpr int kColorClassCount = 7;
inline constexpr int kThresholdCount = kColorClassCount - 1;

// Ascending: class c holds the values below threshold c and not below the
// one before it; class 6 the values not below the last.
using ScaleThresholds = std::array<double, kThresholdCount>;
inline constexpr ScaleThresholds kDefaultThresholds{-5.0, -1.0, -0.5, 0.5, 1.0, 5.0};
// What the scale dialog's fields read after Defaults.
inline constexpr std::array<const char*, kThresholdCount> kDefaultThresholdTexts{"-5.0", "-1.0", "-0.5",
                                                                                 "0.5",  "1.0",  "5.0"};

// Red, orange, yellow, green, blue, pink, purple.
inline constexpr std::array<Rgb, kColorClassCount> kClassColors{
    Rgb{255, 0, 0}, Rgb{255, 140, 40},  Rgb{255, 255, 0}, Rgb{0, 255, 0},
    Rgb{0, 0, 255}, Rgb{255, 100, 255}, Rgb{255, 0, 200}};

// The index of the first threshold the value is below, or 6: a value equal
// to a threshold belongs to the class above it. NaN is class 6.
int colorClass(double value, const ScaleThresholds& thresholds);

// The inclusive range the scale dialog accepts for threshold `index` (0..5):
// between its neighbours, the outer ones bounded by -1e9 and 1e9.
struct ThresholdRange {
  double min = 0, max = 0;
};
inline constexpr double kLowestThreshold = -1000000000.0;
inline constexpr double kHighestThreshold = 1000000000.0;
ThresholdRange thresholdRange(const ScaleThresholds& thresholds, int index);

enum class NetworkViewMode { Weights = 1, LearningRates = 2 };

struct NetworkViewSettings {
  ScaleThresholds thresholds = kDefaultThresholds;
  NetworkViewMode mode = NetworkViewMode::Weights;
};

struct ScaleLabel {
  CanvasPoint at;  // left end, on the text's bottom line
  std::string text;
};

struct NetworkViewLayout {
  CanvasSize size;
  CanvasRect area;  // the drawing area, 4 % inside each edge
  // The colour scale: a cell per class down the left edge, and beside the
  // first six the threshold that ends the class, centred on the boundary.
  int cellSide = 0;
  int fontHeight = 0;
  std::array<CanvasRect, kColorClassCount> cells{};
  std::array<ScaleLabel, kThresholdCount> labels{};
  CanvasRect scaleBox;  // a double click here opens the scale dialog
  // The network's part; empty without a network.
  std::vector<int> layerSizes;
  std::vector<std::vector<CanvasPoint>> centres;  // [layer][neuron]
  int radius = 0;
  int yMaxN = 0;  // the lowest neuron centre, above which the bias symbols hang

  bool hasNetwork() const { return !layerSizes.empty(); }
  // Whether the network has the layer sizes this layout was made for.
  bool fits(const Network& network) const;
};

// The layout for a canvas of `size`; layerSizes empty: no network.
NetworkViewLayout layoutNetworkView(CanvasSize size, std::span<const int> layerSizes,
                                    const ScaleThresholds& thresholds);

// The whole picture: white background, then (with a network that fits the
// layout) the scale and the network. network may be null.
void drawNetworkView(Canvas& canvas, const NetworkViewLayout& layout, const Network* network,
                     const NetworkViewSettings& settings);
// Lays out and draws the whole picture for a canvas of `size`.
void drawNetworkView(Canvas& canvas, CanvasSize size, const Network* network,
                     const NetworkViewSettings& settings);

// The lines and the neuron and bias symbols over what is there, without
// erasing: the live redraw while a network trains. Draws the lines class by
// class (one pen and one batch each), then the symbols, always in the same
// order, so that a redraw of unchanged values leaves the picture as it was.
// Nothing when the network does not fit the layout.
void drawNetworkLines(Canvas& canvas, const NetworkViewLayout& layout, const Network& network,
                      const NetworkViewSettings& settings);

}  // namespace nodelyx
