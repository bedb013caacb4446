#include "app/network_snapshots.h"

#include <algorithm>

namespace nodelyx {

// Only the topology is read from the network, which a run does not change.
NetworkSnapshot::NetworkSnapshot(const Network& like) : network(like.layerSizes(), 0.0, 0.0) {}

std::shared_ptr<NetworkSnapshot> NetworkSnapshots::latest() {
  request();
  std::lock_guard<std::mutex> lock(mutex_);
  return published_;
}

// A buffer that no reader holds and that is not the published one: only
// the pool's own reference is left. Counts only fall outside the lock (a
// reader letting go), so a buffer seen free stays free.
std::shared_ptr<NetworkSnapshot> NetworkSnapshots::freeBuffer() {
  for (const auto& buffer : buffers_)
    if (buffer.use_count() == 1) return buffer;
  return nullptr;
}

void NetworkSnapshots::fill(NetworkSnapshot& snapshot, const Network& network, std::uint32_t epoch) {
  snapshot.network.copyParametersFrom(network);
  snapshot.epoch = epoch;
  snapshot.scaling = scalingEnabled.load(std::memory_order_relaxed) != 0;
}

void NetworkSnapshots::offer(const Network& network, std::uint32_t epoch) {
  if (!requested_.load(std::memory_order_relaxed)) return;
  std::shared_ptr<NetworkSnapshot> target;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    target = freeBuffer();
  }
  if (!target) return;  // every copy is being read; the request stays
  fill(*target, network, epoch);
  std::lock_guard<std::mutex> lock(mutex_);
  published_ = std::move(target);
  requested_.store(false, std::memory_order_relaxed);
}

void NetworkSnapshots::prepare(const Network& network) {
  std::lock_guard<std::mutex> lock(mutex_);
  const bool sameTopology =
      !buffers_.empty() && std::ranges::equal(buffers_.front()->network.layerSizes(), network.layerSizes());
  if (sameTopology) return;
  published_.reset();
  buffers_.clear();
  for (std::size_t k = 0; k < kBuffers; ++k) buffers_.push_back(std::make_shared<NetworkSnapshot>(network));
}

void NetworkSnapshots::takeNow(const Network& network, std::uint32_t epoch) {
  prepare(network);
  std::shared_ptr<NetworkSnapshot> target;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    target = freeBuffer();
  }
  // Readers may hold every buffer; then this one copy is made fresh.
  if (!target) target = std::make_shared<NetworkSnapshot>(network);
  fill(*target, network, epoch);
  std::lock_guard<std::mutex> lock(mutex_);
  published_ = std::move(target);
  requested_.store(false, std::memory_order_relaxed);
}

void NetworkSnapshots::reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  published_.reset();
  buffers_.clear();
  requested_.store(false, std::memory_order_relaxed);
}

}  // namespace nodelyx
