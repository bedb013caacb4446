// The batch pass done ahead. An epoch of Batch back-propagation, RPROP or
// QuickProp goes through the patterns twice: the pass that accumulates the
// slopes, and the statistics pass after the update. The next epoch's pass
// then uses exactly the weights the statistics pass used, so without input
// noise both compute the same outputs; the statistics pass therefore also
// accumulates the next epoch's slopes, and the patterns go through the
// network once per epoch instead of twice.
//
// The next epoch uses that work only when everything the pass depended on
// is unchanged, bit for bit: the parameters and their rates, the scaling
// ranges, the layer types, the method, the settings the pass reads and the
// set itself (whose values are compared by a 64-bit digest). Anything else
// (an edit between epochs, another set, noise) makes it do its own pass,
// so the results are those of the two passes in every case.
#include <bit>
#include <utility>

#include "engine/work_ahead.h"

namespace nodelyx {
namespace {

std::uint64_t mix(std::uint64_t h, std::uint64_t value) {
  h ^= value * 0x9E3779B97F4A7C15ull;
  h = std::rotl(h, 29) * 0xBF58476D1CE4E5B9ull;
  return h ^ (h >> 32);
}

}  // namespace

bool Network::wantsPassAhead(const EpochSettings& settings) const {
  const bool batch = method == TrainingMethod::BatchBackprop || method == TrainingMethod::Rprop ||
                     method == TrainingMethod::Quickprop;
  return batch && inputNoise == 0.0 && !settings.preventSaturation;
}

Network::PassAhead::Key Network::passKey(const PatternView& set, const EpochSettings& settings) const {
  PassAhead::Key key;
  key.method = method;
  key.scaling = scale_.enabled;
  key.layerTypes = layerTypes;
  key.errorMargin = std::bit_cast<std::uint64_t>(settings.errorMargin);
  key.patternClip = std::bit_cast<std::uint64_t>(settings.patternClip);
  key.count = set.count();
  if (set.count() == 0) return key;
  key.base = set.input(0);
  key.targetOffset = static_cast<std::size_t>(set.target(0) - set.input(0));
  key.stride = set.count() > 1 ? static_cast<std::size_t>(set.input(1) - set.input(0)) : 0;
  const std::size_t used = key.targetOffset + static_cast<std::size_t>(outputCount());
  // Four independent chains, so that the digest runs at memory speed.
  std::uint64_t a = 1, b = 2, c = 3, d = 4;
  const auto bits = [](double value) { return std::bit_cast<std::uint64_t>(value); };
  for (std::uint32_t p = 0; p < set.count(); ++p) {
    const double* row = set.input(p);
    std::size_t v = 0;
    for (; v + 4 <= used; v += 4) {
      a = mix(a, bits(row[v]));
      b = mix(b, bits(row[v + 1]));
      c = mix(c, bits(row[v + 2]));
      d = mix(d, bits(row[v + 3]));
    }
    for (; v < used; ++v) a = mix(a, bits(row[v]));
  }
  key.digest = mix(mix(a, b), mix(c, d));
  return key;
}

double Network::evaluateAhead(const PatternView& set, const EpochSettings& settings,
                              std::optional<PassAhead::Key>& key) {
  passAhead_.valid = false;
  const double epochRateFactor = rateFactor;
  // The sums go into blocks of their own, so that the epoch's own slopes
  // stay where they are until the next epoch takes the new ones.
  if (aheadWeightChange_.all().size() != weights.all().size()) {
    aheadWeightChange_.allocate(layout_);
    aheadBiasChange_.allocate(layout_);
  }
  std::swap(batchWeightChange, aheadWeightChange_);
  std::swap(batchBiasChange, aheadBiasChange_);
  // As trainBatchPass begins.
  rateFactor = 1.0;
  clearBatchChanges();
  transposeForBackSums();
  uniformRate_ = uniformRate();
  const double rms = evaluatePass(set, settings.errorMargin, &settings);
  uniformRate_.reset();
  std::swap(batchWeightChange, aheadWeightChange_);
  std::swap(batchBiasChange, aheadBiasChange_);
  passAhead_.rateFactor = rateFactor;
  rateFactor = epochRateFactor;
  if (!key) key = passKey(set, settings);
  passAhead_.key = std::move(*key);
  snapshot::take([this](auto f) { forEachPassInput(*this, f); }, passAhead_.inputs);
  passAhead_.valid = set.count() > 0;
  return rms;
}

void Network::keepPassEnd(const Slot& slot, bool trained) {
  const std::size_t neurons = layout_.neuronCount();
  const auto outs = static_cast<std::size_t>(outputCount());
  std::vector<double>& end = passAhead_.lastSlot;
  end.assign(slot.outputs, slot.outputs + neurons);
  end.insert(end.end(), slot.net, slot.net + neurons);
  end.insert(end.end(), slot.deltas, slot.deltas + neurons);
  end.insert(end.end(), slot.error, slot.error + outs);
  end.insert(end.end(), slot.errorData, slot.errorData + outs);
  passAhead_.lastTrained = trained;
}

bool Network::usePassAhead(const PatternView& set, const EpochSettings& settings,
                           std::optional<PassAhead::Key>& key) {
  if (!passAhead_.valid) return false;
  passAhead_.valid = false;
  if (!wantsPassAhead(settings)) return false;
  key = passKey(set, settings);
  if (!(*key == passAhead_.key)) return false;
  if (!snapshot::matches([this](auto f) { forEachPassInput(*this, f); }, passAhead_.inputs)) return false;
  // The state the pass would have left: its sums, its rate factor and its
  // last pattern's values.
  std::swap(batchWeightChange, aheadWeightChange_);
  std::swap(batchBiasChange, aheadBiasChange_);
  rateFactor = passAhead_.rateFactor;
  const std::size_t neurons = layout_.neuronCount();
  const auto outs = static_cast<std::size_t>(outputCount());
  double* end = passAhead_.lastSlot.data();
  const Slot last{end, end + neurons, end + 2 * neurons, end + 3 * neurons, end + 3 * neurons + outs};
  keepLastPattern(last, passAhead_.lastTrained);
  return true;
}

}  // namespace nodelyx
