// The statistics of a set: the RMS error, the largest error and pattern
// RMS error, and the count of correct patterns. The patterns go through in
// blocks (the weights stay fixed), and a large set is shared with the pair
// worker in runs of patterns: this thread takes one run while the worker
// takes the next. The statistics keep the bits of one pattern after the
// other: the worker hands back each pattern's RMS error, which this thread
// adds to the total in pattern order, and a run's largest errors, which
// join the running ones as one more value would (the first NaN, else the
// first of the largest, wins either way).
#include <algorithm>
#include <cmath>

#include "engine/kernels.h"
#include "engine/network.h"

namespace nodelyx {
namespace {

// Patterns per run: enough that a hand-over costs nothing next to the run.
constexpr std::uint32_t kRun = 1024;

// A NaN wins and stays: a diverged network must never look like one that
// met its goal. Otherwise the first of the largest stays.
void takeLargerError(double& largest, double e) {
  if (!std::isnan(largest) && !(std::fabs(e) <= std::fabs(largest))) largest = e;
}
void takeLargerRms(double& largest, double rms) {
  if (!std::isnan(largest) && !(rms <= largest)) largest = rms;
}

}  // namespace

// The RMS error of one pattern in data units.
double Network::patternRms(const double* errorData) const {
  double sum = 0.0;
  for (int k = 0; k < outputCount(); ++k) sum += errorData[k] * errorData[k];
  return std::sqrt(sum / static_cast<double>(outputCount()));
}

double Network::evaluate(const PatternView& set, double errorMargin) {
  return evaluatePass(set, errorMargin, nullptr);
}

// The statistics of a set; with ahead, also the next batch pass over it
// (the deltas and their accumulation, in pattern order, as trainBatchPass
// does), so that the patterns go through the network once for both.
double Network::evaluatePass(const PatternView& set, double errorMargin, const EpochSettings* ahead) {
  const std::uint32_t count = set.count();
  maxError = 0.0;
  maxPatternRms = 0.0;
  correctCount = 0;
  if (count == 0) return 0.0;
  refreshScaling();
  packWeights();
  Tally tally;
  double total = 0.0;
  Slot last{};
  if (ahead == nullptr && count > kRun && readyPairWorker()) {
    Slot slots[kPatternBlock];
    for (int k = 0; k < kPatternBlock; ++k) slots[k] = blockSlot(k);
    last = evaluateShared(set, errorMargin, slots, tally, total);
  } else {
    // The pass done ahead accumulates in pattern order, block by block.
    BlockAccumulation accumulation(*this, ahead != nullptr ? count : 0);
    for (std::uint32_t first = 0; first < count; first += kPatternBlock) {
      const std::uint32_t end = std::min<std::uint32_t>(first + kPatternBlock, count);
      last = evaluateRun(set, first, end, errorMargin, accumulation.nextSlots(), tally, &total, nullptr);
      if (ahead) accumulation.add(static_cast<int>(end - first), *ahead, end == count);
    }
  }
  keepLastPattern(last, false);
  maxError = tally.maxError;
  maxPatternRms = tally.maxPatternRms;
  correctCount = tally.correct;
  rmsError = std::sqrt(total / count);
  return rmsError;
}

// Patterns first..end-1 in blocks through slots, into tally and either the
// total (of squared pattern RMS errors) or, one per pattern, rms. Returns
// the slot of the last pattern (its values live in the scratch).
Network::Slot Network::evaluateRun(const PatternView& set, std::uint32_t first, std::uint32_t end,
                                   double errorMargin, const Slot* slots, Tally& tally, double* total,
                                   double* rms) const {
  int block = 0;
  for (std::uint32_t at = first; at < end; at += kPatternBlock) {
    block = static_cast<int>(std::min<std::uint32_t>(kPatternBlock, end - at));
    const double* inputs[kPatternBlock];
    for (int k = 0; k < block; ++k) inputs[k] = set.input(at + static_cast<std::uint32_t>(k));
    forwardSlots(slots, inputs, block, 0.0, scale_, true);
    for (int k = 0; k < block; ++k) {
      outputErrorInto(slots[k], set.target(at + static_cast<std::uint32_t>(k)));
      for (int o = 0; o < outputCount(); ++o) takeLargerError(tally.maxError, slots[k].errorData[o]);
      const double patternError = patternRms(slots[k].errorData);
      if (patternError <= errorMargin) ++tally.correct;
      takeLargerRms(tally.maxPatternRms, patternError);
      if (total != nullptr)
        *total += patternError * patternError;
      else
        *rms++ = patternError;
    }
  }
  return slots[block - 1];
}

// Runs of kRun patterns, alternately here and on the pair worker.
Network::Slot Network::evaluateShared(const PatternView& set, double errorMargin, const Slot* slots,
                                      Tally& tally, double& total) {
  workerScratch_.resize(kPatternBlock * slotSize());
  workerRms_.resize(kRun);
  Slot workerSlots[kPatternBlock];
  for (int k = 0; k < kPatternBlock; ++k) workerSlots[k] = scratchSlot(workerScratch_, k);
  const std::uint32_t count = set.count();
  Slot last{};
  for (std::uint32_t first = 0; first < count; first += 2 * kRun) {
    const std::uint32_t mine = std::min(first + kRun, count);
    const std::uint32_t theirs = std::min(mine + kRun, count);
    Tally workerTally;
    Slot workerLast{};
    auto nextRun = [&] {
      workerLast =
          evaluateRun(set, mine, theirs, errorMargin, workerSlots, workerTally, nullptr, workerRms_.data());
    };
    if (theirs > mine) pairWorker_->start(nextRun);
    last = evaluateRun(set, first, mine, errorMargin, slots, tally, &total, nullptr);
    if (theirs == mine) break;
    pairWorker_->wait();
    for (std::uint32_t k = 0; k < theirs - mine; ++k) total += workerRms_[k] * workerRms_[k];
    takeLargerError(tally.maxError, workerTally.maxError);
    takeLargerRms(tally.maxPatternRms, workerTally.maxPatternRms);
    tally.correct += workerTally.correct;
    last = workerLast;
  }
  return last;
}

}  // namespace nodelyx
