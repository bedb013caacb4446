// The next online epoch, trained ahead. An online epoch ends with a
// statistics pass over its set, which reads the weights the epoch left and
// changes none of them, and the next epoch starts from exactly those
// weights. So while the pair worker gathers the statistics on a copy of the
// network, this thread already trains the next epoch, keeps the state it
// leaves, and puts the network back as this epoch left it.
//
// The next call uses that work only when everything the epoch depends on
// is unchanged, bit for bit: the parameters, their changes and rates, the
// deltas the last trained pattern left, the scaling ranges, the step's
// constants, the generator's state, the method, the settings the pass
// reads and the set itself (its values by a 64-bit digest, as for the
// batch pass done ahead). Anything else (an edit between epochs, another
// set) makes it train its own, so the results are those of one epoch after
// the other in every case. The caller says when another epoch is likely,
// so that the last epoch of a run does not train one for nothing.
#include <initializer_list>
#include <new>

#include "engine/random.h"
#include "engine/work_ahead.h"

namespace nodelyx {
namespace {

// Below this many pattern connections an epoch takes some tens of
// microseconds, and handing its statistics over would cost about as much.
constexpr std::size_t kMinEpochWork = std::size_t{1} << 16;
// The copy and the states kept take some fourteen times the weights' memory
// of their own, which a very large network should not have to find.
constexpr std::size_t kMaxWeights = std::size_t{1} << 18;

}  // namespace

// Calls f on everything an online epoch reads besides the set, its
// settings and the generator, in a fixed order.
template <typename F>
void Network::forEachOnlineInput(F f) const {
  forEachPassInput(*this, f);
  for (std::span<const double> values : {prevWeightChange.all(), prevBiasChange.all(), deltas.all()})
    f(values);
  const double constants[] = {momentum, weightDecay, minWeight, maxWeight, inputNoise};
  f(std::span<const double>(constants));
}

// Calls f on everything an online epoch writes, in a fixed order.
template <typename F>
void Network::forEachOnlineResult(F f) {
  for (std::span<double> values : {weights.all(), biases.all(), prevWeightChange.all(), prevBiasChange.all(),
                                   outputs.all(), netInputs.all(), deltas.all()})
    f(values);
  f(std::span(outputError));
  f(std::span(outputErrorData));
  f(std::span(&rateFactor, 1));
}

bool Network::wantsRunAhead(const PatternView& set, const EpochSettings& settings) {
  const bool online =
      method == TrainingMethod::OnlineBackprop || method == TrainingMethod::OnlineBackpropRandom;
  if (!online || !settings.anotherEpochLikely || settings.preventSaturation) return false;
  if (set.count() * connectionCount() < kMinEpochWork || weightCount() > kMaxWeights) return false;
  // A first layer shared with the worker gains more than the overlap would.
  if (firstLayerShareable(uniformRate().has_value())) return false;
  return readyPairWorker() && readyStatisticsCopy();
}

// The copy the worker evaluates and room for the states kept, made the
// first time; without them the epoch gathers its own statistics.
bool Network::readyStatisticsCopy() {
  if (statisticsCopy_) return true;
  std::size_t inputs = 0, results = 0;
  forEachOnlineInput([&](std::span<const double> values) { inputs += values.size(); });
  forEachOnlineResult([&](std::span<double> values) { results += values.size(); });
  // The constructor draws random weights (the copy's are overwritten);
  // this thread's draws must stay where they are.
  const std::uint32_t state = randomState();
  try {
    runAhead_.inputs.reserve(inputs);
    runAhead_.result.reserve(results);
    runAhead_.epochEnd.reserve(results);
    statisticsCopy_ = std::make_unique<Network>(layerSizes_, minWeight, maxWeight);
  } catch (const std::bad_alloc&) {
    seedRandom(state);
    return false;
  }
  seedRandom(state);
  statisticsCopy_->soloPasses_ = true;
  return true;
}

double Network::evaluateRunningAhead(const PatternView& set, const EpochSettings& settings,
                                     std::optional<PassAhead::Key>& key) {
  Network& copy = *statisticsCopy_;
  copy.copyParametersFrom(*this);
  double rms = 0.0;
  auto statistics = [&] { rms = copy.evaluate(set, settings.errorMargin); };
  pairWorker_->start(statistics);
  workerBusy_ = true;
  const auto inputs = [this](auto f) { forEachOnlineInput(f); };
  const auto results = [this](auto f) { forEachOnlineResult(f); };
  snapshot::take(inputs, runAhead_.inputs);
  snapshot::take(results, runAhead_.epochEnd);
  runAhead_.randomBefore = randomState();
  // As trainEpoch begins an online epoch (the scaling is fresh already).
  rateFactor = 1.0;
  trainOnlinePass(set, settings, method == TrainingMethod::OnlineBackpropRandom);
  runAhead_.randomAfter = randomState();
  snapshot::take(results, runAhead_.result);
  snapshot::restore(results, runAhead_.epochEnd);
  seedRandom(runAhead_.randomBefore);
  pairWorker_->wait();
  workerBusy_ = false;
  // What the statistics pass leaves here: the last pattern's values (not
  // its deltas, which no evaluation writes) and the statistics.
  keepLastPattern(copy.ownSlot(), false);
  maxError = copy.maxError;
  maxPatternRms = copy.maxPatternRms;
  correctCount = copy.correctCount;
  rmsError = copy.rmsError;
  if (!key) key = passKey(set, settings);
  runAhead_.key = std::move(*key);
  runAhead_.valid = true;
  return rms;
}

bool Network::useRunAhead(const PatternView& set, const EpochSettings& settings,
                          std::optional<PassAhead::Key>& key) {
  if (!runAhead_.valid) return false;
  runAhead_.valid = false;
  if (settings.preventSaturation || randomState() != runAhead_.randomBefore) return false;
  key = passKey(set, settings);
  if (!(*key == runAhead_.key)) return false;
  if (!snapshot::matches([this](auto f) { forEachOnlineInput(f); }, runAhead_.inputs)) return false;
  snapshot::restore([this](auto f) { forEachOnlineResult(f); }, runAhead_.result);
  seedRandom(runAhead_.randomAfter);
  return true;
}

}  // namespace nodelyx
