// The network view's drawing onto a 1024 × 768 image: the whole picture
// (background, scale, every line and symbol) and the lines alone (the live
// redraw while a network trains), for a 64-256-10 network (about 19,000
// lines) and a 784-300-10 one (about 238,000), with weights spread over all
// seven colour classes. Each through the Qt painter canvas (as saving and
// printing draw) and through the image canvas the window draws its picture
// with. Run with QT_QPA_PLATFORM=offscreen.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <memory>
#include <string>
#include <vector>

#include "engine/network.h"
#include "engine/random.h"
#include "gui/image_canvas.h"
#include "gui/painter_canvas.h"
#include "plots/network_view.h"

namespace {

using nodelyx::Network;

const std::vector<std::vector<int>> kTopologies = {{64, 256, 10}, {784, 300, 10}};
constexpr nodelyx::CanvasSize kSize{1024, 768};

// Uniform over [-8, 8): every class of the default scale gets lines.
Network& network(std::size_t topology) {
  static std::vector<std::unique_ptr<Network>> networks(kTopologies.size());
  if (!networks[topology]) {
    networks[topology] = std::make_unique<Network>(kTopologies[topology], -1.0, 1.0);
    nodelyx::seedRandom(7);
    for (double& w : networks[topology]->weights.all()) w = 16.0 * nodelyx::randomUnit() - 8.0;
    for (double& b : networks[topology]->biases.all()) b = 16.0 * nodelyx::randomUnit() - 8.0;
  }
  return *networks[topology];
}

void setCounters(benchmark::State& state, const Network& net) {
  const auto lines = static_cast<double>(net.weightCount() + net.getBiases().fromLayerOne().size());
  state.counters["lines"] = lines;
  state.counters["lines/s"] = benchmark::Counter(lines, benchmark::Counter::kIsIterationInvariantRate);
}

// The canvases under test, made on the image for one picture.
struct OnPainter {
  explicit OnPainter(QImage& image) : painter(&image), canvas(painter) {}
  QPainter painter;
  nodelyx::PainterCanvas canvas;
};
struct OnImage {
  explicit OnImage(QImage& image) : canvas(image) {}
  nodelyx::ImageCanvas canvas;
};

template <typename On>
void fullPicture(benchmark::State& state, std::size_t topology) {
  const Network& net = network(topology);
  QImage image(kSize.width, kSize.height, QImage::Format_RGB32);
  for (auto _ : state) {
    On on(image);
    nodelyx::drawNetworkView(on.canvas, kSize, &net, {});
    benchmark::DoNotOptimize(image.constBits());
  }
  setCounters(state, net);
}

template <typename On>
void linesOnly(benchmark::State& state, std::size_t topology) {
  const Network& net = network(topology);
  QImage image(kSize.width, kSize.height, QImage::Format_RGB32);
  const nodelyx::NetworkViewLayout layout =
      nodelyx::layoutNetworkView(kSize, net.layerSizes(), nodelyx::kDefaultThresholds);
  for (auto _ : state) {
    On on(image);
    nodelyx::drawNetworkLines(on.canvas, layout, net, {});
    benchmark::DoNotOptimize(image.constBits());
  }
  setCounters(state, net);
}

void registerAll() {
  const char* const names[] = {"64-256-10", "784-300-10"};
  for (std::size_t t = 0; t < kTopologies.size(); ++t) {
    const std::string net = names[t];
    benchmark::RegisterBenchmark(("fullPicture/painter/" + net).c_str(), fullPicture<OnPainter>, t)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("fullPicture/image/" + net).c_str(), fullPicture<OnImage>, t)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("linesOnly/image/" + net).c_str(), linesOnly<OnImage>, t)
        ->Unit(benchmark::kMillisecond);
  }
}

}  // namespace

// The painter's text needs a GUI application (offscreen is enough).
int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  registerAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
