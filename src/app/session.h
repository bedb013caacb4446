// The application's state without its windows: the settings record, the two
// pattern sets, the scaling record and the network, with the rules that keep
// them consistent (what a new data file or topology discards). The desktop
// program's main window and the command-line program each own one. GUI
// thread; a worker only ever fills a new set, which is applied here.
#pragma once

#include <filesystem>
#include <memory>

#include "engine/network.h"
#include "files/data_file.h"
#include "files/network_config.h"
#include "files/pattern_set.h"
#include "scaling/scaling_record.h"

namespace nodelyx {

enum class SessionEvent { NetworkDiscarded, TrainingSetChanged, TestingSetChanged };

class SessionObserver {
 public:
  virtual ~SessionObserver() = default;
  virtual void sessionChanged(SessionEvent event) = 0;
};

class Session {
 public:
  Session() = default;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  void setObserver(SessionObserver* observer) { observer_ = observer; }

  bool trainingDataLoaded() const { return trainingSet.loaded(); }
  bool testingDataLoaded() const { return testingSet.loaded(); }

  // Deletes the network and forgets its weights file.
  void discardNetwork();
  // Frees the set and forgets its file.
  void discardTrainingSet();
  void discardTestingSet();

  NetworkConfig config;
  PatternSet trainingSet;
  PatternSet testingSet;
  ScalingRecord scaling;
  std::unique_ptr<Network> network;

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
