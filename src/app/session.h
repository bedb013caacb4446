// The application's state without its windows: the settings record, the two
// pattern sets, the scaling record and the network, with the rules that keep
// them consistent (what a new data file or topology discards). The desktop
// program's main window and the command-line program each own one.
//
// Threads. Everything here belongs to the GUI thread, except while a
// training run is active (trainingActive set): then the run's worker owns
// the network, the epoch count and the error samples. The GUI thread reads
// them only inside the run's synchronous sample notification or through
// networkSnapshot(); every operation that would change them, load a file or
// discard anything refuses with a warning (the guarded entry points say
// so); and the settings that reach the network at once are posted to the
// run, which applies them between two epochs in the order they were made.
// The history record of a run is appended on the GUI thread when the run is
// settled (see ActiveRun).
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/error_samples.h"
#include "app/network_snapshots.h"
#include "engine/network.h"
#include "files/data_file.h"
#include "files/network_config.h"
#include "files/pattern_set.h"
#include "files/reporter.h"
#include "files/training_history.h"
#include "scaling/scaling_record.h"

namespace nodelyx {

enum class SessionEvent {
  NetworkDiscarded,  // statistics fields empty, Save Weights off
  TrainingSetChanged,
  TestingSetChanged,
  WeightsChanged,     // randomized or perturbed: redraw what shows the weights
  StatisticsCleared,  // both statistics columns empty, the error plot rescaled
};

class SessionObserver {
 public:
  virtual ~SessionObserver() = default;
  // Called on the GUI thread.
  virtual void sessionChanged(SessionEvent event) = 0;
};

// What an operation refused while a run is active was; each has its warning.
enum class BusyRefusal {
  NewNetwork,
  LoadFiles,
  ScaleData,
  ChangeTopology,
  ChangeWeights,
  SaveWeights,
  TestNetwork
};

// A change for the network that must not race with an epoch.
using NetworkEdit = std::function<void(Network&)>;

// The active training run as the session sees it (implemented by
// TrainingRun, which links itself in while it is active).
class ActiveRun {
 public:
  virtual ~ActiveRun() = default;
  // Any thread. The worker applies the edits between epochs, in order;
  // edits still queued when the run ends are applied when it is settled.
  virtual void postEdit(NetworkEdit edit) = 0;
  // GUI thread: the stopping criteria or per-epoch settings changed; the
  // run takes them for its coming epochs (in order with the edits).
  virtual void settingsChanged(const NetworkConfig& config) = 0;
  // GUI thread, once the worker has ended: joins it, applies the edits it
  // did not get to, appends the run's history record and unlinks the run.
  virtual void settle() = 0;
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

  // Whether a run is active; any thread.
  bool runActive() const { return trainingActive.load() != 0; }
  // While a run is active: reports the warning of `what` and returns true.
  // A run that has ended is settled first (GUI thread).
  bool refuseWhileTraining(BusyRefusal what, Reporter& reporter);
  // The link of the run that is active, or has ended and is not settled
  // yet; TrainingRun sets and clears it.
  void attachRun(ActiveRun* run) { activeRun_ = run; }
  // Settles a run that has ended (GUI thread); nothing otherwise.
  void settleRun();

  // Settings that reach the network at once: stored in the settings, then
  // given to the network, directly or, while a run is active, between two
  // of its epochs. The learning rate and the method also mark the rates for
  // a reset at the next start (ratesResetPending). GUI thread.
  void setLearningRate(double eta);
  void setMomentum(double value);
  void setInputNoise(double value);
  void setWeightDecay(double value);
  void setWeightLimits(double min, double max);
  void setTrainingMethod(TrainingMethod method);
  // After a change of the stopping criteria or of another setting an epoch
  // reads (error margin, pattern clipping, saturation prevention,
  // cross-validation, the epoch limit): an active run takes them for its
  // coming epochs. GUI thread.
  void runSettingsChanged();

  // Topology edits: store the value and discard the network when it
  // changes. Refused while a run is active. GUI thread.
  bool setHiddenLayerCount(int hiddenLayers, Reporter& reporter);
  bool setHiddenNeurons(int layer, std::uint32_t count, Reporter& reporter);

  // The Randomize command: new random weights (seeded with the time), the
  // weights marked modified, both statistics columns cleared, the error
  // samples and the epoch count reset, the history emptied. The Perturb
  // command: every weight changed by up to maxPerturbation percent, marked
  // modified. Nothing without a network; refused while a run is active.
  bool randomizeWeights(Reporter& reporter);
  bool perturbWeights(Reporter& reporter);

  // Builds the network of the settings (seeded with seed, else with the
  // time) and marks its rates for a reset. False after a message. GUI thread.
  bool buildNetwork(Reporter& reporter, const std::uint32_t* seed = nullptr);

  // A consistent copy of the network for readers (plots, network view), or
  // null without a network. GUI thread. No run active: taken now. During a
  // run: the newest the run has taken, and a fresh one is asked for (null
  // until the first epoch after the first request). Other threads may read
  // snapshots.latest() once the GUI thread has asked here.
  std::shared_ptr<NetworkSnapshot> networkSnapshot();

  // Deletes the network, forgets its weights file, empties its history and
  // resets the error samples. Not while a run is active (the entry points
  // refuse first).
  void discardNetwork();
  // A network reset: sample interval 1, no samples, epoch count 0.
  void resetErrorSamples();
  // Frees the set and forgets its file. Not while a run is active.
  void discardTrainingSet();
  void discardTestingSet();

  NetworkConfig config;
  PatternSet trainingSet;
  PatternSet testingSet;
  ScalingRecord scaling;
  std::unique_ptr<Network> network;
  TrainingHistory history;
  ErrorSamples samples;
  NetworkSnapshots snapshots;
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
  // Set by a run's start, cleared by its worker as its very last action.
  std::atomic<int> trainingActive{0};

 private:
  void notify(SessionEvent event) {
    if (observer_) observer_->sessionChanged(event);
  }
  // Gives the edit to the network: through the active run, or at once.
  void editNetwork(const NetworkEdit& edit);

  SessionObserver* observer_ = nullptr;
  ActiveRun* activeRun_ = nullptr;
};

// What a read of path as the given kind needs to know of the session.
DataReadRequest makeDataReadRequest(const Session& session, DataKind kind, std::filesystem::path path);

// Applies a finished read. Success: the new set replaces the old one; a
// training set that changes the counts discards the network (and a testing
// set that no longer fits), takes over the counts, and rebuilds the scaling
// record (widened by the network's own ranges); a testing set sets the
// counts it declares. Failure or cancel: nothing changes, the set loaded
// before stays.
void applyDataRead(Session& session, const DataReadRequest& request, DataReadOutcome&& outcome);

// Reads a data file and returns when the reading has ended: the desktop
// program shows its progress dialog meanwhile. Empty: readDataFileOnWorker.
using DataReader =
    std::function<DataReadOutcome(const DataReadRequest&, const DataReadCallbacks&, Reporter&)>;

// Reads (with reader), then applies. True when the set loaded.
// Refused (false, with the warning) while a run is active.
bool loadDataFile(Session& session, DataKind kind, const std::filesystem::path& path,
                  const DataReadCallbacks& callbacks, Reporter& reporter, const DataReader& reader = {});

}  // namespace nodelyx
