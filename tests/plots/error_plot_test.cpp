// The training error plot's geometry on a recording canvas: metrics from
// the screen, divisions from the size, labels, sample positions, the
// rescale, the legend, the incremental drawing and the whole drawing for a
// file.
#include "plots/error_plot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "plots/recording_canvas.h"

namespace nodelyx {
namespace {

constexpr ErrorCurves kAllCurves{true, true};
constexpr CanvasSize kScreen{1024, 768};
// The plot area of a 1024 × 768 canvas with the metrics of a 1024 × 768 screen.
constexpr CanvasRect kScreenArea{48, 31, 999, 733};

ErrorSamples samplesOf(const std::vector<double>& train, const std::vector<double>& xval = {},
                       const std::vector<double>& test = {}, std::uint32_t interval = 1) {
  ErrorSamples samples;
  std::copy(train.begin(), train.end(), samples.trainRms.begin());
  std::copy(xval.begin(), xval.end(), samples.xvalRms.begin());
  std::copy(test.begin(), test.end(), samples.testRms.begin());
  samples.count = static_cast<std::uint32_t>(train.size());
  samples.interval = interval;
  return samples;
}

std::vector<CanvasLine> linesIn(const RecordingCanvas& canvas, Rgb color) {
  std::vector<CanvasLine> lines;
  for (const auto& [pen, line] : canvas.coloredLines()) {
    if (pen == color) lines.push_back(line);
  }
  return lines;
}

std::optional<TextCall> textAt(const RecordingCanvas& canvas, CanvasPoint at) {
  for (const TextCall& text : canvas.all<TextCall>()) {
    if (text.at == at) return text;
  }
  return std::nullopt;
}

TEST(ErrorPlotTest, MetricsFollowTheScreenScaledTo1024By768) {
  struct Case {
    const char* name;
    int width, height;
    ErrorPlotMetrics expected;
  };
  const Case cases[] = {
      {"reference screen", 1024, 768, {30, 35, 47, 25, 15, 20, 20, 10, 1}},
      {"full HD truncates every product", 1920, 1080, {42, 49, 88, 46, 28, 28, 37, 18, 1}},
      {"small screen", 800, 600, {23, 27, 36, 19, 11, 15, 15, 7, 1}},
      {"wide screen doubles the pen", 2560, 1440, {56, 65, 117, 62, 37, 37, 50, 25, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(errorPlotMetrics(c.width, c.height), c.expected);
  }
}

TEST(ErrorPlotTest, DivisionsChangeAtTheirBoundaries) {
  struct Case {
    const char* name;
    int size, x, y;
  };
  const Case cases[] = {
      {"100", 100, 2, 2},  {"101", 101, 2, 3},   {"175", 175, 2, 3},   {"176", 176, 3, 3},
      {"250", 250, 3, 3},  {"251", 251, 3, 6},   {"400", 400, 3, 6},   {"401", 401, 6, 11},
      {"550", 550, 6, 11}, {"551", 551, 11, 11}, {"1 pixel", 1, 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(xDivisionsFor(c.size), c.x);
    EXPECT_EQ(yDivisionsFor(c.size), c.y);
  }
}

TEST(ErrorPlotTest, FrameAndLabelsOfA600By300Canvas) {
  const ErrorPlotScale scale{11, 6, 1.0, 250, 1};
  const ErrorPlotLayout layout = errorPlotLayout(ErrorPlotMetrics{}, {600, 300}, scale);
  EXPECT_EQ(layout.frame, (CanvasRect{47, 30, 575, 265}));
  EXPECT_EQ(layout.area, (CanvasRect{48, 31, 575, 265}));

  const TextStyle left{15, 0, TextAlign::Left, TextAnchor::Baseline};
  const TextStyle centred{15, 0, TextAlign::Center, TextAnchor::Baseline};
  struct Case {
    const char* name;
    PlotText expected;
  };
  const Case cases[] = {
      {"first y label", {{20, 222}, "0.20", left}},
      {"last inner y label", {{20, 81}, "0.80", left}},
      {"y origin", {{20, 269}, "0.0", left}},
      {"y top", {{20, 34}, "1.00", left}},
      {"first x label", {{99, 280}, "25", centred}},
      {"middle x label", {{311, 280}, "125", centred}},
      {"x origin", {{47, 280}, "0", centred}},
      {"x end", {{575, 280}, "250", centred}},
      {"axis name below", {{300, 293}, "Epochs", centred}},
      {"title", {{300, 3}, "RMS Error vs Training Time", {18, 0, TextAlign::Center, TextAnchor::Top}}},
      {"axis name at the side", {{3, 150}, "RMS Error", {15, 90, TextAlign::Center, TextAnchor::Top}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NE(std::find(layout.labels.begin(), layout.labels.end(), c.expected), layout.labels.end());
  }
  // 4 inner y labels, 9 inner x labels, 4 ends, 3 names.
  EXPECT_EQ(layout.labels.size(), 20u);
}

TEST(ErrorPlotTest, ThinnedSamplesDoubleTheEpochLabels) {
  struct Case {
    const char* name;
    std::uint32_t interval;
    const char* first;
    const char* last;
  };
  const Case cases[] = {
      {"every epoch", 1, "25", "250"},
      {"thinned once", 2, "50", "500"},
      {"thinned twice", 4, "100", "1000"},
      {"past the 32-bit range", 1u << 25, "838860800", "8388608000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ErrorPlot plot;
    RecordingCanvas canvas;
    plot.paint(canvas, {600, 300}, samplesOf({0.5}, {}, {}, c.interval), {});
    ASSERT_TRUE(textAt(canvas, {99, 280}) && textAt(canvas, {575, 280}));
    EXPECT_EQ(textAt(canvas, {99, 280})->text, c.first);
    EXPECT_EQ(textAt(canvas, {575, 280})->text, c.last);
  }
}

TEST(ErrorPlotTest, SamplesLieAcrossTheAreaAndValuesUpIt) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* name;
    std::uint32_t sample;
    double value, yMax;
    CanvasPoint expected;
  };
  const Case cases[] = {
      {"first sample, zero error", 0, 0.0, 1.0, {48, 733}},
      {"middle sample, half the scale", 125, 0.5, 1.0, {523, 382}},
      {"last sample on the right edge, at the top", 250, 1.0, 1.0, {999, 31}},
      {"truncated toward zero", 1, 0.4, 1.0, {51, 453}},
      {"above the scale", 2, 2.0, 1.0, {55, -671}},
      {"on a smaller scale", 10, 0.05, 0.1, {86, 382}},
      {"infinite error far above", 3, inf, 1.0, {59, 733 - (1 << 20)}},
      {"not a number far above", 3, std::nan(""), 1.0, {59, 733 - (1 << 20)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(sampleX(kScreenArea, c.sample, 250), c.expected.x);
    EXPECT_EQ(valueY(kScreenArea, c.value, c.yMax), c.expected.y);
  }
}

TEST(ErrorPlotTest, RescaleTakesTheLargestShownErrorWithAFloor) {
  const double smallest = static_cast<double>(0.1f);
  struct Case {
    const char* name;
    ErrorSamples samples;
    ErrorCurves curves;
    double expected;
  };
  const Case cases[] = {
      {"training only", samplesOf({0.5, 0.8, 0.6}, {2.0, 2.0, 2.0}, {3.0, 3.0, 3.0}), {}, 1.05 * 0.8},
      {"cross-validation counts when on", samplesOf({0.5, 0.8}, {0.9, 2.0}), {true, false}, 1.05 * 2.0},
      {"testing counts when loaded",
       samplesOf({0.5, 0.8}, {0.9, 2.0}, {3.0, 0.1}),
       {false, true},
       1.05 * 3.0},
      {"small errors floor at 0.1", samplesOf({0.05, 0.09}), {}, smallest},
      {"just above the floor", samplesOf({0.0953}), {}, 1.05 * 0.0953},
      {"no samples", samplesOf({}), kAllCurves, smallest},
      {"non-finite errors left out",
       samplesOf({0.5, std::numeric_limits<double>::infinity(), std::nan("")}),
       {},
       1.05 * 0.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(rescaledYMax(c.samples, c.curves), c.expected);
  }
}

TEST(ErrorPlotTest, LegendListsTheCurvesShown) {
  struct Row {
    const char* label;
    Rgb color;
    int lineY, textY;
  };
  struct Case {
    const char* name;
    ErrorCurves curves;
    std::vector<Row> rows;
    int borderY;
  };
  const Row training{"Training Error", kTrainingErrorColor, 42, 35};
  const Case cases[] = {
      {"training only", {}, {training}, 55},
      {"with cross-validation", {true, false}, {training, {"X-Val Error", kXvalErrorColor, 56, 49}}, 67},
      {"with a testing set", {false, true}, {training, {"Testing Error", kTestingErrorColor, 56, 49}}, 67},
      {"all three",
       kAllCurves,
       {training, {"X-Val Error", kXvalErrorColor, 56, 49}, {"Testing Error", kTestingErrorColor, 69, 62}},
       80},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ErrorPlotLegend legend = errorPlotLegend(ErrorPlotMetrics{}, kScreenArea, c.curves);
    ASSERT_EQ(legend.rows.size(), c.rows.size());
    for (std::size_t r = 0; r < c.rows.size(); ++r) {
      const LegendRow& row = legend.rows[r];
      EXPECT_EQ(row.label.text, c.rows[r].label);
      EXPECT_EQ(row.color, c.rows[r].color);
      EXPECT_EQ(row.line, (CanvasLine{{909, c.rows[r].lineY}, {879, c.rows[r].lineY}}));
      EXPECT_EQ(row.label.at, (CanvasPoint{918, c.rows[r].textY}));
      EXPECT_EQ(row.label.style, (TextStyle{15, 0, TextAlign::Left, TextAnchor::Top}));
    }
    EXPECT_EQ(legend.border, (std::vector<CanvasPoint>{{873, 31}, {873, c.borderY}, {999, c.borderY}}));
  }
}

TEST(ErrorPlotTest, NewSamplesDrawOnlyTheirSegments) {
  ErrorPlot plot;
  RecordingCanvas painted;
  ErrorSamples samples = samplesOf({0.75, 0.5}, {0.0, 0.6}, {0.0, 0.55});
  plot.paint(painted, kScreen, samples, kAllCurves);
  EXPECT_EQ(plot.nextSample(), 2u);

  samples = samplesOf({0.75, 0.5, 0.4}, {0.0, 0.6, 0.45}, {0.0, 0.55, 0.5});
  RecordingCanvas canvas;
  const std::optional<CanvasRect> changed = plot.newData(canvas, kScreen, samples, kAllCurves);
  const std::vector<std::pair<Rgb, CanvasLine>> expected = {
      {kTrainingErrorColor, {{51, 382}, {55, 453}}},
      {kXvalErrorColor, {{51, 312}, {55, 418}}},
      {kTestingErrorColor, {{51, 347}, {55, 382}}},
  };
  EXPECT_EQ(canvas.coloredLines(), expected);
  EXPECT_EQ(changed, (CanvasRect{50, 311, 57, 455}));
  EXPECT_TRUE(canvas.all<FillCall>().empty());
  EXPECT_EQ(canvas.all<ClipCall>().front().clip, kScreenArea);

  RecordingCanvas nothingNew;
  EXPECT_EQ(plot.newData(nothingNew, kScreen, samples, kAllCurves), std::nullopt);
  EXPECT_TRUE(nothingNew.coloredLines().empty());
}

TEST(ErrorPlotTest, AValueAboveTheTopRescalesAtTheNextSample) {
  ErrorPlot plot;
  RecordingCanvas painted;
  ErrorSamples samples = samplesOf({0.5, 0.6, 1.2});
  plot.paint(painted, kScreen, samples, {});
  EXPECT_TRUE(plot.rescalePending());
  EXPECT_EQ(plot.scale().yMax, 1.0);

  samples = samplesOf({0.5, 0.6, 1.2, 1.1});
  RecordingCanvas canvas;
  EXPECT_EQ(plot.newData(canvas, kScreen, samples, {}), (CanvasRect{0, 0, 1024, 768}));
  EXPECT_EQ(plot.scale().yMax, 1.05 * 1.2);
  EXPECT_FALSE(plot.rescalePending());
  ASSERT_TRUE(textAt(canvas, {20, 34}));
  EXPECT_EQ(textAt(canvas, {20, 34})->text, "1.26");
  // The whole canvas, then the plot area are cleared; the curve restarts
  // at sample 0 inside the area.
  const std::vector<FillCall> fills = canvas.all<FillCall>();
  ASSERT_EQ(fills.size(), 2u);
  EXPECT_EQ(fills[0].rect, (CanvasRect{0, 0, 1024, 768}));
  EXPECT_EQ(fills[1].rect, kScreenArea);
  const std::vector<CanvasLine> blue = linesIn(canvas, kTrainingErrorColor);
  ASSERT_EQ(blue.size(), 1u + 4u);  // the legend's line, then the samples
  EXPECT_EQ(blue[1].from, (CanvasPoint{48, valueY(kScreenArea, 0.5, 1.05 * 1.2)}));
}

TEST(ErrorPlotTest, RequestsAndResetsRedrawEverything) {
  struct Case {
    const char* name;
    bool request;
    std::uint32_t countAfter;
    ErrorCurves curvesBefore, curvesAfter;
  };
  const Case cases[] = {
      {"requested after a halving", true, 3, {}, {}},
      {"samples reset without a request", false, 1, {}, {}},
      {"cross-validation switched on", false, 3, {}, {true, false}},
      {"cross-validation switched off", false, 3, kAllCurves, {false, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ErrorPlot plot;
    RecordingCanvas painted;
    ErrorSamples samples = samplesOf({0.05, 0.04, 0.03});
    plot.paint(painted, kScreen, samples, c.curvesBefore);
    if (c.request) plot.requestRescale();
    samples.count = c.countAfter;
    RecordingCanvas canvas;
    EXPECT_EQ(plot.newData(canvas, kScreen, samples, c.curvesAfter), (CanvasRect{0, 0, 1024, 768}));
    EXPECT_EQ(plot.nextSample(), c.countAfter);
    EXPECT_EQ(linesIn(canvas, kXvalErrorColor).empty(), !c.curvesAfter.crossValidation);
  }
}

TEST(ErrorPlotTest, WholeDrawingForAFileUsesElevenDivisions) {
  ErrorPlot plot;
  RecordingCanvas painted;
  const ErrorSamples samples =
      samplesOf({0.75, 0.6, 0.5, 0.45}, {0.0, 0.7, 0.6, 0.55}, {0.0, 0.65, 0.6, 0.5});
  plot.paint(painted, {300, 200}, samples, kAllCurves);
  ASSERT_EQ(plot.scale().xDivisions, 3);

  RecordingCanvas canvas;
  plot.drawWhole(canvas, {640, 480}, samples, kAllCurves);
  const std::vector<TextCall> texts = canvas.all<TextCall>();
  const auto xLabels =
      std::count_if(texts.begin(), texts.end(), [](const TextCall& t) { return t.at.y == 460; });
  const auto yLabels =
      std::count_if(texts.begin(), texts.end(), [](const TextCall& t) { return t.at.x == 20; });
  EXPECT_EQ(xLabels, 11);
  EXPECT_EQ(yLabels, 11);

  // Ticks: 10 divisions a side, 4 minor in each up and 9 across, 9 major
  // on each axis; all inside the frame.
  const CanvasRect area = errorPlotArea(ErrorPlotMetrics{}, {640, 480});
  const std::vector<CanvasLine> black = linesIn(canvas, kBlack);
  EXPECT_EQ(black.size(), 40u + 9u + 90u + 9u);
  for (const CanvasLine& tick : black) {
    for (const CanvasPoint p : {tick.from, tick.to}) {
      EXPECT_TRUE(p.x >= area.left && p.x <= area.right && p.y >= area.top && p.y <= area.bottom)
          << p.x << "," << p.y;
    }
  }
  // Every sample from the first, after each curve's legend line.
  for (const Rgb color : {kTrainingErrorColor, kXvalErrorColor, kTestingErrorColor})
    EXPECT_EQ(linesIn(canvas, color).size(), 1u + samples.count);
  // The window's own drawing state is untouched.
  EXPECT_EQ(plot.scale().xDivisions, 3);
  EXPECT_EQ(plot.area(), errorPlotArea(ErrorPlotMetrics{}, {300, 200}));
  EXPECT_EQ(plot.nextSample(), samples.count);
}

}  // namespace
}  // namespace nodelyx
