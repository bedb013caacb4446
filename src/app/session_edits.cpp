// The session's edits of the settings that reach the network, of the
// topology and of the weights, and its snapshots for readers.
#include <cassert>

#include "app/network_setup.h"
#include "app/session.h"

namespace nodelyx {

void Session::editNetwork(const NetworkEdit& edit) {
  settleRun();
  if (runActive()) {
    activeRun_->postEdit(edit);
  } else if (network) {
    edit(*network);
  }
}

void Session::setLearningRate(double eta) {
  config.setLearningRate(eta);
  ratesResetPending = true;
  editNetwork([eta](Network& net) { net.setLearningRate(eta); });
}

void Session::setMomentum(double value) {
  config.setMomentum(value);
  editNetwork([value](Network& net) { net.setMomentum(value); });
}

void Session::setInputNoise(double value) {
  config.setInputNoise(value);
  editNetwork([value](Network& net) { net.setInputNoise(value); });
}

void Session::setWeightDecay(double value) {
  config.setWeightDecay(value);
  editNetwork([value](Network& net) { net.setWeightDecay(value); });
}

void Session::setWeightLimits(double min, double max) {
  config.setMinWeight(min);
  config.setMaxWeight(max);
  editNetwork([min, max](Network& net) { net.setWeightLimits(min, max); });
}

void Session::setTrainingMethod(TrainingMethod method) {
  const bool changed = method != config.trainingMethod();
  config.setTrainingMethod(method);
  ratesResetPending = true;
  // The network takes a new method (and with it the method's parameters)
  // when the code changes; an unknown code is refused at the next start.
  if (changed && !methodLongName(method).empty())
    editNetwork([method, adaptive = adaptiveSettingsOf(config)](Network& net) {
      net.setTrainingMethod(method, adaptive);
    });
}

void Session::runSettingsChanged() {
  settleRun();
  if (runActive()) activeRun_->settingsChanged(config);
}

bool Session::setHiddenLayerCount(int hiddenLayers, Reporter& reporter) {
  if (refuseWhileTraining(BusyRefusal::ChangeTopology, reporter)) return false;
  const std::uint32_t before = config.layerCount();
  config.setLayerCount(static_cast<std::uint32_t>(hiddenLayers + 2));
  if (config.layerCount() != before) discardNetwork();
  return true;
}

bool Session::setHiddenNeurons(int layer, std::uint32_t count, Reporter& reporter) {
  if (refuseWhileTraining(BusyRefusal::ChangeTopology, reporter)) return false;
  const std::uint32_t before = config.hiddenNeurons(layer);
  config.setHiddenNeurons(layer, count);
  if (count != before) discardNetwork();
  return true;
}

bool Session::randomizeWeights(Reporter& reporter) {
  if (refuseWhileTraining(BusyRefusal::ChangeWeights, reporter)) return false;
  if (!network) return true;
  network->randomizeWeights();
  weightsModified = true;
  samples.rescaleNeeded = 1;
  resetErrorSamples();
  clearHistory(history);
  notify(SessionEvent::StatisticsCleared);
  notify(SessionEvent::WeightsChanged);
  return true;
}

bool Session::perturbWeights(Reporter& reporter) {
  if (refuseWhileTraining(BusyRefusal::ChangeWeights, reporter)) return false;
  if (!network) return true;
  network->perturbWeights(config.maxPerturbation());
  weightsModified = true;
  notify(SessionEvent::WeightsChanged);
  return true;
}

bool Session::buildNetwork(Reporter& reporter, const std::uint32_t* seed) {
  assert(!runActive());
  network = nodelyx::buildNetwork(config, reporter, seed, networkMemoryLimit);
  if (!network) return false;
  ratesResetPending = true;
  return true;
}

std::shared_ptr<NetworkSnapshot> Session::networkSnapshot() {
  settleRun();
  if (!network) return nullptr;
  if (!runActive()) {
    snapshots.takeNow(*network, epochCount);
    return snapshots.latest();
  }
  snapshots.prepare(*network);
  return snapshots.latest();
}

}  // namespace nodelyx
