#include "app/session.h"

#include <unistd.h>

#include <cassert>

#include "files/data_read_job.h"

namespace nodelyx {

unsigned long long defaultNetworkMemoryLimit() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return 1ull << 32;
  return static_cast<unsigned long long>(pages) * static_cast<unsigned long long>(pageSize) / 2;
}

namespace {

const char* refusalText(BusyRefusal what) {
  switch (what) {
    case BusyRefusal::NewNetwork:
      return "Cannot create new network at this time.\nYou must first stop training the current network.";
    case BusyRefusal::LoadFiles:
      return "Files cannot be loaded while training is in process.\nStop training the current network and "
             "try "
             "again.";
    case BusyRefusal::ScaleData:
      return "Cannot scale data at this time.\nYou must first stop training the current network.";
    case BusyRefusal::ChangeTopology:
      return "The topology cannot be changed while training is in process.\nStop training the current "
             "network and try again.";
    case BusyRefusal::ChangeWeights:
      return "The weights cannot be changed while training is in process.\nStop training the current network "
             "and try again.";
    case BusyRefusal::SaveWeights:
      return "The weights cannot be saved while training is in process.\nStop training the current network "
             "and try again.";
    case BusyRefusal::TestNetwork:
      return "The network cannot be tested while training is in process.\nStop training the current network "
             "and try again.";
  }
  return "";
}

}  // namespace

bool Session::refuseWhileTraining(BusyRefusal what, Reporter& reporter) {
  settleRun();
  if (!runActive()) return false;
  reporter.report("Warning", refusalText(what), MessageIcon::Warning);
  return true;
}

void Session::settleRun() {
  if (activeRun_ && !runActive()) activeRun_->settle();
}

void Session::discardNetwork() {
  assert(!runActive());
  network.reset();
  snapshots.reset();
  weightsModified = false;
  weightsLoaded = false;
  config.setWeightsFile({});
  clearHistory(history);
  resetErrorSamples();
  notify(SessionEvent::NetworkDiscarded);
}

void Session::resetErrorSamples() {
  samples.interval = 1;
  samples.count = 0;
  epochCount = 0;
}

void Session::discardTrainingSet() {
  assert(!runActive());
  trainingSet.clear();
  config.setTrainingFile({});
  notify(SessionEvent::TrainingSetChanged);
}

void Session::discardTestingSet() {
  assert(!runActive());
  testingSet.clear();
  config.setTestFile({});
  notify(SessionEvent::TestingSetChanged);
}

DataReadRequest makeDataReadRequest(const Session& session, DataKind kind, std::filesystem::path path) {
  DataReadRequest request;
  request.path = std::move(path);
  request.kind = kind;
  request.currentInputs = session.config.inputCount();
  request.currentOutputs = session.config.outputCount();
  request.shuffle = session.config.shuffleOnLoad() != 0;
  return request;
}

namespace {

void applyTrainingSet(Session& session, const DataReadRequest& request, PatternSet&& set) {
  NetworkConfig& config = session.config;
  const std::uint32_t inputs = set.inputCount;
  const std::uint32_t outputs = set.outputCount;
  if (session.network && (inputs != config.inputCount() || outputs != config.outputCount()))
    session.discardNetwork();
  if (session.testingDataLoaded() &&
      (inputs != config.inputCount() || (config.outputCount() != 0 && outputs != config.outputCount())))
    session.discardTestingSet();
  config.setInputCount(inputs);
  config.setOutputCount(outputs);
  session.trainingSet = std::move(set);
  config.setTrainingFile(request.path.string());
  rebuildScalingRecord(session.scaling, config.inputCount(), config.outputCount(), session.trainingSet,
                       config.outputActivation());
  if (session.network) session.network->widenRecordRanges(session.scaling);
}

void applyTestingSet(Session& session, const DataReadRequest& request, PatternSet&& set) {
  NetworkConfig& config = session.config;
  session.testingSet = std::move(set);
  config.setTestFile(request.path.string());
  config.setInputCount(session.testingSet.inputCount);
  if (session.testingSet.outputCount != 0) config.setOutputCount(session.testingSet.outputCount);
}

}  // namespace

void applyDataRead(Session& session, const DataReadRequest& request, DataReadOutcome&& outcome) {
  assert(!session.runActive());
  // A read that failed or was cancelled changes nothing: the set loaded
  // before stays, with its file and scaling record.
  if (!outcome.ok) return;
  const bool training = request.kind == DataKind::Training;
  if (training) {
    session.discardTrainingSet();
    emptyScalingRecord(session.scaling);
  } else {
    session.discardTestingSet();
  }
  if (training)
    applyTrainingSet(session, request, std::move(outcome.set));
  else
    applyTestingSet(session, request, std::move(outcome.set));
}

bool loadDataFile(Session& session, DataKind kind, const std::filesystem::path& path,
                  const DataReadCallbacks& callbacks, Reporter& reporter, const DataReader& reader) {
  if (session.refuseWhileTraining(BusyRefusal::LoadFiles, reporter)) return false;
  const DataReadRequest request = makeDataReadRequest(session, kind, path);
  DataReadOutcome outcome =
      reader ? reader(request, callbacks, reporter) : readDataFileOnWorker(request, callbacks, reporter);
  const bool loaded = outcome.ok;
  applyDataRead(session, request, std::move(outcome));
  return loaded;
}

}  // namespace nodelyx
