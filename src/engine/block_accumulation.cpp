// The accumulation of a batch pass's blocks. Each block's deltas are
// worked out here, pattern by pattern (the clipping carries its rate factor
// from one pattern to the next); their accumulation into the epoch's sums
// then goes to the pair worker, while this thread goes on with the next
// block's forward pass and deltas in a second set of slots. The worker
// takes one block at a time, in order, so every sum still adds the
// patterns in order and keeps the bits of one thread.
#include "engine/network.h"

namespace nodelyx {
namespace {

// A block of a smaller network accumulates in about a microsecond, which a
// hand-over to the other core would mostly cost again.
constexpr std::size_t kMinWeights = 1024;

}  // namespace

Network::BlockAccumulation::BlockAccumulation(Network& net, std::uint32_t patterns) : net_(net) {
  handOver_ = net.weightCount() >= kMinWeights && patterns > static_cast<std::uint32_t>(kPatternBlock) &&
              net.readyPairWorker();
  for (int k = 0; k < kPatternBlock; ++k) sets_[0][k] = net.blockSlot(k);
  if (!handOver_) return;
  net.workerScratch_.resize(kPatternBlock * net.slotSize());
  for (int k = 0; k < kPatternBlock; ++k) sets_[1][k] = net.scratchSlot(net.workerScratch_, k);
}

Network::BlockAccumulation::~BlockAccumulation() {
  if (pending_) net_.pairWorker_->wait();
}

bool Network::BlockAccumulation::add(int block, const EpochSettings& settings, bool lastOfPass) {
  HandedBlock& handed = handed_[current_];
  const bool trainedLast = net_.prepareBlock(sets_[current_], block, settings, lastOfPass, handed);
  if (!handOver_) {
    net_.accumulateSlots(handed.trained, handed.factors, handed.count);
    return trainedLast;
  }
  if (pending_) net_.pairWorker_->wait();
  task_ = {&net_, &handed};
  net_.pairWorker_->start(task_);
  pending_ = true;
  current_ = 1 - current_;
  return trainedLast;
}

// The deltas of a block's patterns, each clipped as it comes, into handed;
// true when the block's last pattern was trained. With lastOfPass, the
// pass's end state is kept for the epoch that will use it.
bool Network::prepareBlock(const Slot* slots, int block, const EpochSettings& settings, bool lastOfPass,
                           HandedBlock& handed) {
  handed.count = 0;
  for (int k = 0; k < block; ++k) {
    if (!clipRateFactor(slots[k], settings)) continue;
    handed.trained[handed.count] = &slots[k];
    handed.factors[handed.count++] = rateFactor;
  }
  blockDeltas(handed.trained, handed.count);
  const bool trainedLast = handed.count > 0 && handed.trained[handed.count - 1] == &slots[block - 1];
  if (lastOfPass) keepPassEnd(slots[block - 1], trainedLast);
  return trainedLast;
}

}  // namespace nodelyx
