// Consistent copies of the network for readers that must not touch it while
// a run trains it: the plots and the network view evaluate and draw a
// snapshot at their own pace. The training thread refreshes the snapshot
// between two epochs, and only after a reader asked for one, so a run that
// nobody watches pays one atomic load per epoch.
//
// Threads: request() and latest() from any thread; offer() from the thread
// that owns the network (the training thread during a run); takeNow() and
// reset() from the GUI thread while no run is active. A snapshot handed
// out is never written again: each refresh fills a buffer nobody holds.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/network.h"

namespace nodelyx {

struct NetworkSnapshot {
  explicit NetworkSnapshot(const Network& like);

  // The copy: weights, biases, rates, layer types and scaling ranges of the
  // network when it was taken. recall() and evaluate() work on it as on the
  // network itself (one thread at a time for a given snapshot).
  Network network;
  std::uint32_t epoch = 0;  // the epoch count when it was taken
  bool scaling = false;     // the scaling switch then
};

class NetworkSnapshots {
 public:
  // Asks for a fresh copy at the next chance.
  void request() { requested_.store(true, std::memory_order_relaxed); }
  // The newest copy (null before the first one); also asks for a fresh one.
  std::shared_ptr<NetworkSnapshot> latest();

  // A copy of the network now, when one was asked for. Never allocates on a
  // training thread: with every buffer held by readers it waits for the
  // next offer.
  void offer(const Network& network, std::uint32_t epoch);
  // A copy of the network now, asked for or not; makes its buffers when the
  // topology is new. GUI thread, no run active.
  void takeNow(const Network& network, std::uint32_t epoch);
  // Forgets every copy (the network was discarded). GUI thread.
  void reset();
  // Makes the buffers for this network's topology, so that the training
  // thread can fill them without allocating. Reads only the topology, which
  // a run never changes: any reader thread may call it.
  void prepare(const Network& network);

 private:
  // One published while the other is filled: readers hold a snapshot only
  // while they draw or evaluate it.
  static constexpr std::size_t kBuffers = 2;
  std::shared_ptr<NetworkSnapshot> freeBuffer();
  void fill(NetworkSnapshot& snapshot, const Network& network, std::uint32_t epoch);

  std::atomic<bool> requested_{false};
  std::mutex mutex_;  // guards buffers_ and published_, held only to pick and swap
  std::vector<std::shared_ptr<NetworkSnapshot>> buffers_;
  std::shared_ptr<NetworkSnapshot> published_;
};

}  // namespace nodelyx
