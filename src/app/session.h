// The application's state without its windows: the settings record, the two
// pattern sets, the scaling record and the network, with the rules that keep
// them consistent (what a new data file or topology discards). The desktop
// program's main window and the command-line program each own one. GUI
// thread; a worker only ever fills a new set, which is applied here.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "app/error_samples.h"
#include "engine/network.h"
#include "files/data_file.h"
#include "files/network_config.h"
#include "files/pattern_set.h"
#include "files/training_history.h"
#include "scaling/scaling_record.h"

namespace nodelyx {

enum class SessionEvent { NetworkDiscarded, TrainingSetChanged, TestingSetChanged };

class SessionObserver {
 public:
  virtual ~SessionObserver() = default;
  virtual void sessionChanged(SessionEvent event) = 0;
};

// Half of the machine's physical memory.
unsigned long long defaultNetworkMemoryLimit();

class Session {
 public:
  Session() = default;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  void setObserver(SessionObserver* observer) { observer_ = observer; }

  bool trainingDataLoaded() const { return trainingSet.loaded(); }
  bool testingDataLoaded() const { return testingSet.loaded(); }

  // Deletes the network, forgets its weights file, empties its history and
  // resets the error samples.
  void discardNetwork();
  // A network reset: sample interval 1, no samples, epoch count 0.
  void resetErrorSamples();
  // Frees the set and forgets its file.
  void discardTrainingSet();
  void discardTestingSet();

  NetworkConfig config;
  PatternSet trainingSet;
  PatternSet testingSet;
  ScalingRecord scaling;
  std::unique_ptr<Network> network;
  TrainingHistory history;
  ErrorSamples samples;
  // The last epoch trained; counts on across runs until the network resets.
  std::uint32_t epochCount = 0;
  // Set when the network is built and when the learning rate or the method
  // changes: the next run starts every rate from the learning rate.
  bool ratesResetPending = false;
  bool networkModified = false;
  bool weightsModified = false;
  // The weights came from a file rather than a fresh initialisation.
  bool weightsLoaded = false;
  // The configuration file of the settings; empty while untitled.
  std::string networkFile;
  // The most memory a network may take (half the machine's memory unless
  // set otherwise): bigger topologies are refused with a message.
  unsigned long long networkMemoryLimit = defaultNetworkMemoryLimit();

 private:
  void notify(SessionEvent event) {
    if (observer_) observer_->sessionChanged(event);
  }

  SessionObserver* observer_ = nullptr;
};

// What a read of path as the given kind needs to know of the session.
DataReadRequest makeDataReadRequest(const Session& session, DataKind kind, std::filesystem::path path);

// Applies a finished read. Success: the new set replaces the old one; a
// training set that changes the counts discards the network (and a testing
// set that no longer fits), takes over the counts, and rebuilds the scaling
// record (widened by the network's own ranges); a testing set sets the
// counts it declares. Failure or cancel: no set of that kind remains (and no
// scaling record after a training read); everything else stays.
void applyDataRead(Session& session, const DataReadRequest& request, DataReadOutcome&& outcome);

// Reads on a worker thread, waits, and applies. True when the set loaded.
bool loadDataFile(Session& session, DataKind kind, const std::filesystem::path& path,
                  const DataReadCallbacks& callbacks, Reporter& reporter);

}  // namespace nodelyx
