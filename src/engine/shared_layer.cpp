// An online pass whose first layer is large shares that layer's work with
// a second thread: each pattern's step and next sums of an upper part of
// the layer's neurons run on the pair worker, while this thread steps the
// lower part and updates the other layers. The deltas, and the other
// layers' next sums after both, stay on this thread.
//
// Every neuron's values are computed as one thread computes them; only the
// order between the parts changes, and they depend on nothing of each
// other. The draws stay on this thread, in their order.
//
// For the pass, the layer's weights and changes move into two panels, one
// per part, each row holding only that part's columns: in the shared
// layout, rows alternate between the parts, and each core's prefetcher
// would pull in the other's lines as it streams past the end of its own.
// The first layer is the one whose weights the deltas never read, so
// nothing else in the pass needs the shared layout.
#include <algorithm>
#include <system_error>

#include "engine/kernels.h"
#include "engine/network.h"

namespace nodelyx {
namespace {

// Handing work to the other core and back costs a fraction of a
// microsecond, which a part of several thousand weights repays many times.
bool worthSharing(std::size_t sources, std::size_t neurons) {
  constexpr std::size_t kMinWeights = 16384;
  constexpr std::size_t kMinNeurons = 32;
  return neurons >= kMinNeurons && sources * neurons >= kMinWeights;
}

}  // namespace

// The worker, started the first time a pass wants it; without one (sharing
// turned off, or no thread to be had) the pass runs alone.
bool Network::readyPairWorker() {
  if (pairWorkersEnabled.load(std::memory_order_relaxed) == 0 || soloPasses_ || workerBusy_) return false;
  if (pairWorker_) return true;
  try {
    pairWorker_ = std::make_unique<PairWorker>();
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

// A panel has one rate for all its weights.
bool Network::firstLayerShareable(bool uniformRates) const {
  const auto sources = static_cast<std::size_t>(layerSize(0));
  const auto n = static_cast<std::size_t>(layerSize(1));
  return uniformRates && fusesSums(sources, n) && worthSharing(sources, n);
}

bool Network::shareFirstLayer() {
  if (!firstLayerShareable(uniformRate_.has_value()) || !readyPairWorker()) return false;
  const auto sources = static_cast<std::size_t>(layerSize(0));
  const auto n = static_cast<std::size_t>(layerSize(1));
  // This thread also updates the other layers while the worker has its
  // part, so it takes fewer of the first layer's neurons: as many as
  // balance the weights each side updates, in whole cache lines of a row.
  const std::size_t layerOne = sources * n;
  const std::size_t rest = weightCount() - layerOne;
  const std::size_t balanced = rest >= layerOne ? 0 : (layerOne - rest) / (2 * sources);
  constexpr std::size_t kLine = kCacheLine / sizeof(double);
  shared_.split = std::clamp(balanced, n / 4, n / 2) / kLine * kLine;
  for (int part = 0; part < 2; ++part) {
    // The slack lets whole-vector sums read past the panel's last row.
    shared_.weights[part].resize(sources * shared_.width(part, n) + kernels::kReadSlack);
    shared_.changes[part].resize(sources * shared_.width(part, n));
  }
  shared_.sums.resize(n - shared_.split);
  copyPanels(true);
  shared_.active = true;
  return true;
}

void Network::releaseFirstLayer() {
  copyPanels(false);
  shared_.active = false;
}

// The first layer's weights and changes into the panels, or back.
void Network::copyPanels(bool intoPanels) {
  const auto sources = static_cast<std::size_t>(layerSize(0));
  const auto n = static_cast<std::size_t>(layerSize(1));
  for (int part = 0; part < 2; ++part) {
    const std::size_t first = shared_.first(part);
    const std::size_t width = shared_.width(part, n);
    for (std::size_t i = 0; i < sources; ++i) {
      double* layerRows[] = {weights.layer(1) + i * n + first, prevWeightChange.layer(1) + i * n + first};
      double* panelRows[] = {shared_.weights[part].data() + i * width,
                             shared_.changes[part].data() + i * width};
      for (int k = 0; k < 2; ++k) {
        if (intoPanels)
          std::copy_n(layerRows[k], width, panelRows[k]);
        else
          std::copy_n(panelRows[k], width, layerRows[k]);
      }
    }
  }
}

// onlineStep with the first layer in two parts. While the worker takes the
// upper part, this thread takes the lower one and the updates of the other
// layers, which need nothing of the first layer's step; their next sums
// come after both, from the first layer's next outputs. The worker sums
// into a buffer of its own: the kernel writes each sum once per source, and
// a cache line both threads wrote that often would travel between the
// cores each time.
void Network::sharedStep(const Slot& now, const Slot& next, const double* nextInput) {
  const auto n = static_cast<std::size_t>(layerSize(1));
  const std::size_t split = shared_.split;
  const kernels::UpdateConstants constants = stepConstants();
  scaleInputs(scale_, nextInput, inputNoise, next.outputs);
  double* upperNet = next.net + layout_.neuronStart(1) + split;
  auto upperPart = [&] {
    stepLayer(now, &next, 1, split, n - split, constants, shared_.sums.data());
    std::copy(shared_.sums.begin(), shared_.sums.end(), upperNet);
  };
  pairWorker_->start(upperPart);
  stepLayer(now, &next, 1, 0, split, constants);
  for (int l = 2; l < layerCount(); ++l)
    stepLayer(now, nullptr, l, 0, static_cast<std::size_t>(layerSize(l)), constants);
  pairWorker_->wait();
  for (int l = 2; l < layerCount(); ++l) forwardLayer(next, l, weights.layer(l));
}

// forwardSlots for one pattern while the first layer is in its panels.
void Network::forwardShared(const Slot& slot, const double* input) {
  scaleInputs(scale_, input, inputNoise, slot.outputs);
  const std::size_t start = layout_.neuronStart(1);
  const auto n = static_cast<std::size_t>(layerSize(1));
  const auto sources = static_cast<std::size_t>(layerSize(0));
  const double* x = slot.outputs;
  for (int part = 0; part < 2; ++part) {
    double* net = slot.net + start + shared_.first(part);
    kernels::weightedSums(1, &x, sources, shared_.weights[part].data(), shared_.width(part, n), &net);
  }
  kernels::addBiasAndActivate(layerTypes[1], biases.layer(1), slot.net + start, slot.outputs + start, n);
  for (int l = 2; l < layerCount(); ++l) forwardLayer(slot, l, weights.layer(l));
}

// One layer of a single pattern's forward pass, as forwardSlots computes it.
void Network::forwardLayer(const Slot& slot, int l, const double* layerWeights) {
  const std::size_t start = layout_.neuronStart(l);
  const auto n = static_cast<std::size_t>(layerSize(l));
  const double* x = slot.outputs + layout_.neuronStart(l - 1);
  double* net = slot.net + start;
  kernels::weightedSums(1, &x, static_cast<std::size_t>(layerSize(l - 1)), layerWeights, n, &net);
  kernels::addBiasAndActivate(layerTypes[static_cast<std::size_t>(l)], biases.layer(l), net,
                              slot.outputs + start, n);
}

}  // namespace nodelyx
