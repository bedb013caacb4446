#include "plots/network_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "plots/recording_canvas.h"

namespace nodelyx {
namespace {

constexpr Rgb kRed = kClassColors[0], kGreen = kClassColors[3], kBlue = kClassColors[4],
              kPink = kClassColors[5], kPurple = kClassColors[6];

// A 2-3-1 network whose weight i -> j of layer l is base(l) + 10 j + i and
// whose biases are 0.25 (green), so each line's class is known.
struct SmallNetwork {
  SmallNetwork() {
    for (int l = 1; l < 3; ++l)
      for (int j = 0; j < net.layerSize(l); ++j) {
        net.biases.at(l, j) = 0.25;
        for (int i = 0; i < net.layerSize(l - 1); ++i) net.weights.at(l, j, i) = -20.0 + 10 * j + i;
      }
  }
  static constexpr int kSizes[] = {2, 3, 1};
  Network net{kSizes, -1, 1};
};

std::vector<std::pair<Rgb, CanvasLine>> sorted(std::vector<std::pair<Rgb, CanvasLine>> lines) {
  auto key = [](const std::pair<Rgb, CanvasLine>& p) {
    return std::tuple(p.second.to.x, p.second.to.y, p.second.from.x, p.second.from.y);
  };
  std::ranges::sort(lines, {}, key);
  return lines;
}

TEST(NetworkViewTest, ValuesFallIntoTheClassOfTheFirstThresholdTheyAreBelow) {
  struct Case {
    const char* name;
    double value;
    int expected;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {"far below", -1e300, 0},      {"just below -5", -5.000001, 0},  {"equal to -5", -5.0, 1},
      {"equal to -1", -1.0, 2},      {"equal to -0.5", -0.5, 3},       {"zero", 0.0, 3},
      {"just below 0.5", 0.4999, 3}, {"equal to 0.5 is blue", 0.5, 4}, {"equal to 1", 1.0, 5},
      {"equal to 5", 5.0, 6},        {"infinite", HUGE_VAL, 6},        {"not a number", nan, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(colorClass(c.value, kDefaultThresholds), c.expected);
  }
  const ScaleThresholds equal{0, 0, 0, 0, 0, 0};
  EXPECT_EQ(colorClass(-1e-9, equal), 0);
  EXPECT_EQ(colorClass(0.0, equal), 6);
}

TEST(NetworkViewTest, ScaleThresholdsStayBetweenTheirNeighbours) {
  const ScaleThresholds t{-7, -2, -0.25, 0.75, 3, 9};
  struct Case {
    const char* name;
    int index;
    double min, max;
  };
  const Case cases[] = {
      {"first", 0, -1e9, -2}, {"second", 1, -7, -0.25}, {"fourth", 3, -0.25, 3}, {"last", 5, 3, 1e9}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ThresholdRange range = thresholdRange(t, c.index);
    EXPECT_EQ(range.min, c.min);
    EXPECT_EQ(range.max, c.max);
  }
}

TEST(NetworkViewTest, LayoutOfASmallNetwork) {
  const SmallNetwork small;
  const NetworkViewLayout layout = layoutNetworkView({400, 300}, small.net.layerSizes(), kDefaultThresholds);
  EXPECT_EQ(layout.area, (CanvasRect{16, 12, 384, 288}));
  const std::vector<std::vector<CanvasPoint>> centres{
      {{77, 81}, {77, 219}}, {{199, 58}, {199, 150}, {199, 242}}, {{322, 150}}};
  EXPECT_EQ(layout.centres, centres);
  EXPECT_EQ(layout.yMaxN, 242);
  EXPECT_EQ(layout.radius, 7);  // the diameter 69 is capped at 20
  EXPECT_TRUE(layout.fits(small.net));
  const int other[] = {2, 4, 1};
  EXPECT_FALSE(layoutNetworkView({400, 300}, other, kDefaultThresholds).fits(small.net));
}

TEST(NetworkViewTest, ScaleCellsAndLabels) {
  struct Case {
    const char* name;
    ScaleThresholds thresholds;
    std::array<const char*, kThresholdCount> texts;
  };
  const Case cases[] = {
      {"defaults", kDefaultThresholds, {"-5", "-1", "-0.5", "0.5", "1", "5"}},
      {"edited",
       {-1e9, -2.5, 0, 1e-7, 123456789, 1e9},
       {"-1e+09", "-2.5", "0", "1e-07", "1.23457e+08", "1e+09"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const NetworkViewLayout layout = layoutNetworkView({400, 300}, {}, c.thresholds);
    // Cells of (288 - 12) / 30 = 9 pixels from the drawing area's top; the
    // font is 3 % of 288; each label's middle on the boundary below its cell.
    EXPECT_EQ(layout.cellSide, 9);
    EXPECT_EQ(layout.fontHeight, 8);
    EXPECT_EQ(layout.cells[0], (CanvasRect{0, 12, 9, 21}));
    EXPECT_EQ(layout.cells[6], (CanvasRect{0, 66, 9, 75}));
    EXPECT_EQ(layout.scaleBox, (CanvasRect{0, 12, 9, 66}));
    for (int k = 0; k < kThresholdCount; ++k) {
      EXPECT_EQ(layout.labels[k].at, (CanvasPoint{14, 12 + 9 * (k + 1) + 4})) << k;
      EXPECT_EQ(layout.labels[k].text, c.texts[k]) << k;
    }
  }
}

TEST(NetworkViewTest, RadiusStaysBetweenZeroAndSeven) {
  struct Case {
    const char* name;
    std::vector<int> sizes;
    CanvasSize size;
    int radius;
  };
  const Case cases[] = {
      {"a layer of many neurons", {2, 500, 1}, {400, 300}, 0},
      {"rows of 4 pixels", {2, 60, 1}, {400, 300}, 1},            // 276 / 61 = 4
      {"narrow columns", {1, 1, 1, 1, 1, 1, 1}, {100, 3000}, 4},  // 92 / 7 = 13
      {"a huge window", {1, 1}, {4000, 3000}, 7},
      {"one pixel", {2, 3, 1}, {1, 1}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(layoutNetworkView(c.size, c.sizes, kDefaultThresholds).radius, c.radius);
  }
}

TEST(NetworkViewTest, OneLinePerWeightAndBiasInTheColourOfItsClass) {
  const SmallNetwork small;
  RecordingCanvas canvas;
  drawNetworkView(canvas, CanvasSize{400, 300}, &small.net, {});
  // Layer 1: weights -20 + 10 j + i, i.e. red for j = 0 and j = 1, green
  // and pink (0, 1) for j = 2; layer 2: -20, -19, -18, red. Biases green.
  const std::vector<std::pair<Rgb, CanvasLine>> expected{
      {kRed, {{84, 81}, {192, 58}}},      {kRed, {{84, 219}, {192, 58}}},
      {kGreen, {{118, 252}, {192, 58}}},  {kRed, {{84, 81}, {192, 150}}},
      {kRed, {{84, 219}, {192, 150}}},    {kGreen, {{118, 252}, {192, 150}}},
      {kGreen, {{84, 81}, {192, 242}}},   {kPink, {{84, 219}, {192, 242}}},
      {kGreen, {{118, 252}, {192, 242}}}, {kRed, {{206, 58}, {315, 150}}},
      {kRed, {{206, 150}, {315, 150}}},   {kRed, {{206, 242}, {315, 150}}},
      {kGreen, {{241, 252}, {315, 150}}},
  };
  EXPECT_EQ(sorted(canvas.coloredLines()), sorted(expected));
  // Each class's pen is taken once for its scale cell and once for all its
  // lines; blue has no lines.
  const auto pens = canvas.all<PenCall>();
  for (const Rgb color : {kRed, kGreen, kPink}) EXPECT_EQ(std::ranges::count(pens, PenCall{color, 1}), 2);
  EXPECT_EQ(std::ranges::count(pens, PenCall{kBlue, 1}), 1);
  // The symbols: two white squares, four black circles, two triangles.
  const auto rects = canvas.all<RectCall>();
  EXPECT_EQ(std::ranges::count(rects, RectCall{{70, 74, 84, 88}, false}), 1);
  EXPECT_EQ(std::ranges::count(rects, RectCall{{315, 143, 329, 157}, true}), 1);
  EXPECT_EQ(std::ranges::count_if(rects, [](const RectCall& r) { return r.ellipse; }), 4);
  const auto polygons = canvas.all<PolylineCall>();
  ASSERT_EQ(polygons.size(), 2u);
  EXPECT_EQ(polygons[0].points, (std::vector<CanvasPoint>{{117, 249}, {120, 256}, {114, 256}}));
}

TEST(NetworkViewTest, LearningRatesModeColoursByTheRates) {
  SmallNetwork small;
  small.net.weightRates.fill(0.75);  // blue
  small.net.biasRates.fill(7.0);     // purple
  RecordingCanvas canvas;
  drawNetworkView(canvas, CanvasSize{400, 300}, &small.net,
                  {kDefaultThresholds, NetworkViewMode::LearningRates});
  const auto lines = canvas.coloredLines();
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(std::ranges::count_if(lines, [](const auto& l) { return l.first == kBlue; }), 9);
  EXPECT_EQ(std::ranges::count_if(lines, [](const auto& l) { return l.first == kPurple; }), 4);
}

TEST(NetworkViewTest, WithoutANetworkOnlyTheBackground) {
  RecordingCanvas canvas;
  drawNetworkView(canvas, CanvasSize{400, 300}, nullptr, {});
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(std::get<FillCall>(canvas.calls[0]), (FillCall{{0, 0, 400, 300}, kWhite}));
}

TEST(NetworkViewTest, ALinesOnlyRedrawRepeatsTheNetworkPartOfTheFullPicture) {
  SmallNetwork small;
  const NetworkViewLayout layout = layoutNetworkView({400, 300}, small.net.layerSizes(), kDefaultThresholds);
  RecordingCanvas full, lines;
  drawNetworkView(full, layout, &small.net, {});
  drawNetworkLines(lines, layout, small.net, {});
  EXPECT_TRUE(lines.all<FillCall>().empty());
  EXPECT_TRUE(lines.all<TextCall>().empty());
  ASSERT_LT(lines.calls.size(), full.calls.size());
  EXPECT_TRUE(std::equal(lines.calls.begin(), lines.calls.end(), full.calls.end() - lines.calls.size()));
  // A network of other sizes is not drawn into this layout.
  const int otherSizes[] = {2, 4, 1};
  Network other(otherSizes, -1, 1);
  RecordingCanvas none;
  drawNetworkLines(none, layout, other, {});
  EXPECT_TRUE(none.calls.empty());
}

}  // namespace
}  // namespace nodelyx
