#include "app/weights_io.h"

#include "app/network_setup.h"
#include "files/atomic_file.h"
#include "files/c_format.h"
#include "files/weights_format.h"

namespace nodelyx {
namespace {

// Data sets of other counts than the file's cannot stay.
void dropConflictingSets(Session& session, const WeightsHeader& header, Reporter& reporter) {
  if (!session.trainingDataLoaded() && !session.testingDataLoaded()) return;
  const char* which = nullptr;
  if (header.layerSizes.front() != session.config.inputCount())
    which = "inputs";
  else if (header.layerSizes.back() != session.config.outputCount())
    which = "outputs";
  if (which == nullptr) return;
  reporter.report("Error",
                  formatC("Conflicting number of %s between\nWeights and Training or Testing data files\n"
                          "Training and Testing data will be cleared",
                          which),
                  MessageIcon::Error);
  session.discardTrainingSet();
  session.discardTestingSet();
}

void applyActivations(NetworkConfig& config, const WeightsHeader& header) {
  const auto hiddenLayers = static_cast<int>(header.layerSizes.size()) - 2;
  if (header.layerTypes.empty()) {
    for (int layer = 1; layer <= kHiddenLayerMax; ++layer)
      config.setHiddenActivation(layer, ActivationType::Logistic);
    config.setOutputActivation(ActivationType::Logistic);
    return;
  }
  for (int layer = 1; layer <= hiddenLayers; ++layer)
    config.setHiddenActivation(layer, header.layerTypes[static_cast<std::size_t>(layer - 1)]);
  config.setOutputActivation(header.layerTypes.back());
}

void applyRanges(Session& session, const WeightsHeader& header) {
  if (!header.ranges) {
    scalingEnabled = 0;
    session.scaling.mode = ScalingMode::None;
    return;
  }
  scalingEnabled = 1;
  session.scaling.mode = ScalingMode::Auto;
  const ColumnRanges& ranges = *header.ranges;
  session.scaling.inputCount = ranges.inputCount;
  session.scaling.outputCount = ranges.outputCount;
  session.scaling.fromMin = ranges.fromMin;
  session.scaling.fromMax = ranges.fromMax;
  session.scaling.toMin = ranges.toMin;
  session.scaling.toMax = ranges.toMax;
}

std::string loadFailureText(WeightsLoad result, const WeightsProblem& problem, std::string_view title) {
  const std::string name(title);
  switch (result) {
    case WeightsLoad::Truncated:
      return formatC("%s ends after %zu of the %zu weights and biases of its network.\nWeights NOT loaded",
                     name.c_str(), problem.valuesRead, problem.valuesNeeded);
    case WeightsLoad::NotANumber:
      return formatC("%s: \"%s\" in line %zu is not a number.\nWeights NOT loaded", name.c_str(),
                     problem.word.c_str(), problem.line);
    case WeightsLoad::ExtraValues:
      return formatC(
          "%s holds more numbers than the %zu weights and biases of its network (\"%s\" in line "
          "%zu).\nNumbers must use a decimal point, not a comma.\nWeights NOT loaded",
          name.c_str(), problem.valuesNeeded, problem.word.c_str(), problem.line);
    default:
      return "Incompatible network topology\nWeights NOT loaded";
  }
}

}  // namespace

bool openWeightsText(Session& session, std::string_view text, std::string_view fileTitle,
                     const std::filesystem::path& path, Reporter& reporter) {
  if (session.refuseWhileTraining(BusyRefusal::LoadFiles, reporter)) return false;
  session.discardNetwork();
  const std::optional<WeightsHeader> header = readWeightsHeader(text, fileTitle, reporter);
  if (!header) return false;
  dropConflictingSets(session, *header, reporter);
  NetworkConfig& config = session.config;
  applyActivations(config, *header);
  applyTopologyFromWeights(config, header->layerSizes);
  applyRanges(session, *header);
  session.network = buildNetwork(header->layerSizes, config.minWeight(), config.maxWeight(), reporter,
                                 nullptr, session.networkMemoryLimit);
  if (!session.network) return false;
  session.network->setLearningRate(config.learningRate());
  WeightsProblem problem;
  std::size_t skippedRecords = 0;
  const WeightsLoad result =
      loadWeights(*session.network, text, session.history, session.epochCount, &problem, &skippedRecords);
  if (result != WeightsLoad::Loaded) {
    reporter.report("Error", loadFailureText(result, problem, fileTitle), MessageIcon::Error);
    session.discardNetwork();
    return false;
  }
  if (skippedRecords > 0)
    reporter.report("Warning",
                    formatC("%zu record(s) of the training history in %.*s could not be read and were left "
                            "out.\nSaving these weights will save the history without them.",
                            skippedRecords, static_cast<int>(fileTitle.size()), fileTitle.data()),
                    MessageIcon::Warning);
  session.weightsLoaded = true;
  config.setWeightsFile(path.string());
  return true;
}

bool openWeightsFile(Session& session, const std::filesystem::path& path, Reporter& reporter,
                     std::string* openFailure) {
  if (session.refuseWhileTraining(BusyRefusal::LoadFiles, reporter)) return false;
  std::string text;
  if (!readWholeFile(path, text, openFailure)) {
    session.discardNetwork();
    return false;
  }
  return openWeightsText(session, text, path.filename().string(), path, reporter);
}

bool saveWeightsFile(Session& session, const std::filesystem::path& path, Reporter& reporter) {
  if (session.refuseWhileTraining(BusyRefusal::SaveWeights, reporter)) return false;
  if (!session.network) {
    reporter.report("Error", "Unable to save weights - Network not initialized", MessageIcon::Error);
    return false;
  }
  const std::string text = formatWeights(*session.network, scalingEnabled != 0, session.history);
  std::string reason;
  if (!writeFileAtomically(path, text, &reason)) {
    reporter.report("Error",
                    formatC("Unable to open weights file %s\nWeights not saved\n%s",
                            path.filename().string().c_str(), reason.c_str()),
                    MessageIcon::Error);
    return false;
  }
  session.weightsModified = false;
  return true;
}

}  // namespace nodelyx
