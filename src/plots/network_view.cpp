#include "plots/network_view.h"

#include <algorithm>
#include <cassert>
#include <climits>

#include "app/field_checks.h"
#include "files/c_format.h"

namespace nodelyx {
namespace {

constexpr int kMaxDiameter = 20;
// Lines wait in their class's batch; a network far beyond what a screen can
// show flushes a batch whenever it is full, so memory stays bounded.
constexpr std::size_t kMaxBatch = std::size_t{1} << 20;

int trunc(double value) { return static_cast<int>(value); }

class LineBatches {
 public:
  explicit LineBatches(Canvas& canvas) : canvas_(canvas) {}

  void add(int colorClass, CanvasLine line) {
    std::vector<CanvasLine>& batch = batches_[static_cast<std::size_t>(colorClass)];
    batch.push_back(line);
    if (batch.size() == kMaxBatch) flush(colorClass);
  }
  void flushAll() {
    for (int c = 0; c < kColorClassCount; ++c)
      if (!batches_[static_cast<std::size_t>(c)].empty()) flush(c);
  }

 private:
  void flush(int colorClass) {
    std::vector<CanvasLine>& batch = batches_[static_cast<std::size_t>(colorClass)];
    canvas_.setPen(kClassColors[static_cast<std::size_t>(colorClass)]);
    canvas_.drawLines(batch);
    batch.clear();
  }

  Canvas& canvas_;
  std::array<std::vector<CanvasLine>, kColorClassCount> batches_;
};

void layoutScale(NetworkViewLayout& layout, const ScaleThresholds& thresholds) {
  const int y0 = layout.area.top;
  const int y1 = layout.area.bottom;
  const int s = (y1 - y0) / 30;
  layout.cellSide = s;
  layout.fontHeight = trunc(0.03 * y1);
  for (int c = 0; c < kColorClassCount; ++c)
    layout.cells[static_cast<std::size_t>(c)] = CanvasRect{0, y0 + c * s, s, y0 + (c + 1) * s};
  // The text's bottom half a font height below the boundary centres it there.
  for (int c = 0; c < kThresholdCount; ++c) {
    layout.labels[static_cast<std::size_t>(c)] =
        ScaleLabel{{s + 5, y0 + (c + 1) * s + layout.fontHeight / 2},
                   emptyToZeroText(formatC("%g", thresholds[static_cast<std::size_t>(c)]))};
  }
  layout.scaleBox = CanvasRect{0, y0, s, y0 + 6 * s};
}

void layoutNeurons(NetworkViewLayout& layout, std::span<const int> layerSizes) {
  const CanvasRect& area = layout.area;
  const int layers = static_cast<int>(layerSizes.size());
  layout.layerSizes.assign(layerSizes.begin(), layerSizes.end());
  layout.centres.assign(layerSizes.size(), {});
  const double columnWidth = static_cast<double>(area.width()) / layers;
  int diameter = area.width() / layers;
  layout.yMaxN = INT_MIN;
  for (int l = 0; l < layers; ++l) {
    const int xa = trunc(l * columnWidth + area.left);
    const int xb = trunc((l + 1) * columnWidth + area.left);
    const int x = xa + (xb - xa) / 2;
    const int n = std::max(layerSizes[static_cast<std::size_t>(l)], 1);
    const double rowHeight = static_cast<double>(area.height()) / n;
    std::vector<CanvasPoint>& centres = layout.centres[static_cast<std::size_t>(l)];
    centres.reserve(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) {
      const int ya = trunc(j * rowHeight + area.top);
      const int yb = trunc((j + 1) * rowHeight + area.top);
      centres.push_back({x, ya + (yb - ya) / 2});
      layout.yMaxN = std::max(layout.yMaxN, centres.back().y);
    }
    diameter = std::min(diameter, area.height() / (n + 1));
  }
  diameter = std::min(diameter, kMaxDiameter);
  layout.radius = trunc(diameter * 0.75 * 0.5);
}

// The bias symbol's x in layer l (>= 1): a third of the way from the layer
// before.
int biasX(const NetworkViewLayout& layout, std::size_t l) {
  const int xp = layout.centres[l - 1].front().x;
  return xp + (layout.centres[l].front().x - xp) / 3;
}

void drawScale(Canvas& canvas, const NetworkViewLayout& layout) {
  if (layout.cellSide < 1) return;
  for (std::size_t c = 0; c < kColorClassCount; ++c) {
    canvas.setPen(kClassColors[c]);
    canvas.setBrush(kClassColors[c]);
    canvas.drawRect(layout.cells[c]);
  }
  canvas.setPen(kBlack);
  const TextStyle style{layout.fontHeight, 0, TextAlign::Left, TextAnchor::Bottom};
  for (const ScaleLabel& label : layout.labels) canvas.drawText(label.at, label.text, style);
}

void drawSymbols(Canvas& canvas, const NetworkViewLayout& layout) {
  const int r = layout.radius;
  if (r < 1) return;  // too small to show
  auto square = [r](CanvasPoint p) { return CanvasRect{p.x - r, p.y - r, p.x + r, p.y + r}; };
  canvas.setPen(kBlack);
  canvas.setBrush(kWhite);
  for (const CanvasPoint& p : layout.centres.front()) canvas.drawRect(square(p));
  canvas.setBrush(kBlack);
  for (std::size_t l = 1; l < layout.centres.size(); ++l)
    for (const CanvasPoint& p : layout.centres[l]) canvas.drawEllipse(square(p));
  for (std::size_t l = 1; l < layout.centres.size(); ++l) {
    const int xt = biasX(layout, l);
    const int y = layout.yMaxN;
    const std::array<CanvasPoint, 3> triangle{CanvasPoint{xt, y + r}, CanvasPoint{xt + r / 2, y + 2 * r},
                                              CanvasPoint{xt - r / 2, y + 2 * r}};
    canvas.drawPolygon(triangle);
  }
}

}  // namespace

int colorClass(double value, const ScaleThresholds& thresholds) {
  for (int c = 0; c < kThresholdCount; ++c)
    if (value < thresholds[static_cast<std::size_t>(c)]) return c;
  return kThresholdCount;
}

ThresholdRange thresholdRange(const ScaleThresholds& thresholds, int index) {
  assert(index >= 0 && index < kThresholdCount);
  const auto k = static_cast<std::size_t>(index);
  return ThresholdRange{index == 0 ? kLowestThreshold : thresholds[k - 1],
                        index == kThresholdCount - 1 ? kHighestThreshold : thresholds[k + 1]};
}

bool NetworkViewLayout::fits(const Network& network) const {
  return hasNetwork() && std::ranges::equal(layerSizes, network.layerSizes());
}

NetworkViewLayout layoutNetworkView(CanvasSize size, std::span<const int> layerSizes,
                                    const ScaleThresholds& thresholds) {
  NetworkViewLayout layout;
  layout.size = CanvasSize{std::max(size.width, 0), std::max(size.height, 0)};
  const int mx = trunc(0.04 * layout.size.width);
  const int my = trunc(0.04 * layout.size.height);
  layout.area = CanvasRect{mx, my, layout.size.width - mx, layout.size.height - my};
  layoutScale(layout, thresholds);
  if (!layerSizes.empty()) layoutNeurons(layout, layerSizes);
  return layout;
}

void drawNetworkLines(Canvas& canvas, const NetworkViewLayout& layout, const Network& network,
                      const NetworkViewSettings& settings) {
  if (!layout.fits(network)) return;
  const bool rates = settings.mode == NetworkViewMode::LearningRates;
  const WeightBlock<double>& weights = rates ? network.getWeightRates() : network.getWeights();
  const NeuronBlock<double>& biases = rates ? network.getBiasRates() : network.getBiases();
  const ScaleThresholds& thresholds = settings.thresholds;
  const int r = layout.radius;
  LineBatches batches(canvas);
  for (std::size_t l = 1; l < layout.centres.size(); ++l) {
    const std::vector<CanvasPoint>& from = layout.centres[l - 1];
    const std::vector<CanvasPoint>& to = layout.centres[l];
    // Source-major, as the block stores them: weight (i, j) at i * n(l) + j.
    const double* values = weights.layer(static_cast<int>(l));
    for (const CanvasPoint& source : from) {
      const CanvasPoint start{source.x + r, source.y};
      for (const CanvasPoint& target : to)
        batches.add(colorClass(*values++, thresholds), CanvasLine{start, {target.x - r, target.y}});
    }
    const CanvasPoint biasStart{biasX(layout, l) + r / 4, layout.yMaxN + r / 2 + r};
    const double* bias = biases.layer(static_cast<int>(l));
    for (const CanvasPoint& target : to)
      batches.add(colorClass(*bias++, thresholds), CanvasLine{biasStart, {target.x - r, target.y}});
  }
  batches.flushAll();
  drawSymbols(canvas, layout);
}

void drawNetworkView(Canvas& canvas, const NetworkViewLayout& layout, const Network* network,
                     const NetworkViewSettings& settings) {
  canvas.fillRect(CanvasRect{0, 0, layout.size.width, layout.size.height}, kWhite);
  if (network == nullptr || !layout.fits(*network)) return;
  drawScale(canvas, layout);
  drawNetworkLines(canvas, layout, *network, settings);
}

void drawNetworkView(Canvas& canvas, CanvasSize size, const Network* network,
                     const NetworkViewSettings& settings) {
  const std::span<const int> sizes = network ? network->layerSizes() : std::span<const int>{};
  drawNetworkView(canvas, layoutNetworkView(size, sizes, settings.thresholds), network, settings);
}

}  // namespace nodelyx
