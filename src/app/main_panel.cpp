// The panel side of the main window's logic: committing edits through the
// field checks, the check boxes and lists, showing each setting when its
// setter changes it, the statistics fields, and the enabled states.
#include <algorithm>

#include "app/main_controller.h"
#include "app/network_setup.h"
#include "app/panel_fields.h"
#include "files/c_format.h"

namespace nodelyx {
namespace {

constexpr ControlId kTrainingStats[] = {ControlId::TrainEpoch,   ControlId::TrainRms,
                                        ControlId::TrainMaxRms,  ControlId::TrainMaxError,
                                        ControlId::TrainCorrect, ControlId::TrainPercent};
constexpr ControlId kTestingStats[] = {ControlId::TestRms, ControlId::TestMaxRms, ControlId::TestMaxError,
                                       ControlId::TestCorrect, ControlId::TestPercent};
// What a run disables besides Train and Test; the activation lists stay.
constexpr ControlId kLockedWhileTraining[] = {ControlId::TrainingData,     ControlId::LoadWeights,
                                              ControlId::HiddenLayerCount, ControlId::HiddenNeurons1,
                                              ControlId::HiddenNeurons2,   ControlId::HiddenNeurons3,
                                              ControlId::HiddenNeurons4,   ControlId::HiddenNeurons5,
                                              ControlId::TestingData,      ControlId::SaveWeights};

std::string countText(std::uint32_t count) { return count == 0 ? std::string() : formatC("%u", count); }

std::string fileTitle(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// The panel control that shows a setting, or None.
ControlId controlOf(ConfigField field, int layer) {
  for (const PanelField& row : panelFields()) {
    if (row.kind == FieldKind::Button || row.kind == FieldKind::Text) continue;
    if (row.setting == field && row.layer == layer) return row.id;
  }
  return ControlId::None;
}

int methodIndex(TrainingMethod method) {
  const auto items = methodItems();
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i].method == method) return static_cast<int>(i);
  return -1;
}

int activationIndex(ActivationType type) {
  const int code = static_cast<int>(type);
  return code >= 1 && code <= static_cast<int>(activationItems().size()) ? code - 1 : -1;
}

}  // namespace

void MainController::resetPanel() {
  resetSession(session_);
  view_.focusControl(ControlId::None, false);
  for (const ControlId id : {ControlId::SaveWeights, ControlId::Train, ControlId::Test, ControlId::Stop})
    view_.setControlEnabled(id, false);
  enableHiddenLayerControls(false);
}

void MainController::fieldNotified(ControlId id, FieldNotification notification) {
  const PanelField* field = findPanelField(id);
  if (field == nullptr) return;
  if (field->kind == FieldKind::Float) commitFloat(*field, notification);
  if (field->kind == FieldKind::Integer) commitInteger(*field, notification);
}

template <typename T>
bool MainController::applyOutcome(ControlId id, const FieldOutcome<T>& outcome) {
  if (outcome.beep) view_.beep();
  if (outcome.text) view_.setControlText(id, *outcome.text);
  if (outcome.caretAtEnd) view_.setCaretAtEnd(id);
  if (outcome.message) ask(kInvalidDataTitle, *outcome.message, MessageIcon::None);
  if (outcome.focusAndSelect) view_.focusControl(id, true);
  return !outcome.message;
}

void MainController::commitFloat(const PanelField& field, FieldNotification notification) {
  NetworkConfig& config = session_.config;
  const FieldRange range = fieldRange(field, config);
  const double current = config.doubleValue(field.setting);
  const FieldOutcome<double> outcome =
      commitFloatField(view_.controlText(field.id), notification, range.min, range.max, current);
  applyOutcome(field.id, outcome);
  const double value = outcome.value;
  switch (field.setting) {
    case ConfigField::LearningRate:
      session_.setLearningRate(value);
      break;
    case ConfigField::Momentum:
      session_.setMomentum(value);
      break;
    case ConfigField::InputNoise:
      session_.setInputNoise(value);
      break;
    case ConfigField::WeightDecay:
      session_.setWeightDecay(value);
      break;
    case ConfigField::MinWeight:
      session_.setWeightLimits(value, config.maxWeight());
      break;
    case ConfigField::MaxWeight:
      session_.setWeightLimits(config.minWeight(), value);
      break;
    default:
      config.setDouble(field.setting, value);
      session_.runSettingsChanged();
      break;
  }
  // A changed setting is worth the question before it is discarded.
  if (value != current) session_.networkModified = true;
}

void MainController::commitInteger(const PanelField& field, FieldNotification notification) {
  NetworkConfig& config = session_.config;
  const FieldRange range = fieldRange(field, config);
  const bool layerCount = field.id == ControlId::HiddenLayerCount;
  const bool hiddenNeurons = field.setting == ConfigField::HiddenNeurons;
  const std::uint32_t current = layerCount      ? config.layerCount() - 2
                                : hiddenNeurons ? config.hiddenNeurons(field.layer)
                                                : static_cast<std::uint32_t>(config.intValue(field.setting));
  const FieldOutcome<std::uint32_t> outcome =
      commitIntField(view_.controlText(field.id), notification, static_cast<std::uint32_t>(range.min),
                     static_cast<std::uint32_t>(range.max), current, layerCount);
  applyOutcome(field.id, outcome);
  const std::uint32_t value = outcome.value;
  if (value == current) return;
  if (layerCount) {
    session_.setHiddenLayerCount(static_cast<int>(value), *this);
  } else if (hiddenNeurons) {
    session_.setHiddenNeurons(field.layer, value, *this);
  } else {
    config.setInt(field.setting, static_cast<std::int32_t>(value));
    session_.runSettingsChanged();
  }
  session_.networkModified = true;
  enableHiddenLayerControls(training());
}

void MainController::checkBoxClicked(ControlId id, bool checked) {
  NetworkConfig& config = session_.config;
  const std::int32_t value = checked ? 1 : 0;
  switch (id) {
    case ControlId::CrossValidate:
      config.setPlotMemorization(value);
      // The plot rescales for the curves it now shows.
      rescaleErrorPlot();
      break;
    case ControlId::PreventSaturation:
      config.setPreventSaturation(value);
      break;
    case ControlId::EnforceTrainingStop:
      config.setEnforceTrainingStop(value);
      break;
    case ControlId::EnforceTestingStop:
      config.setEnforceTestingStop(value);
      break;
    default:
      return;
  }
  session_.networkModified = true;
  session_.runSettingsChanged();
}

void MainController::listSelected(ControlId id, const std::string& text) {
  NetworkConfig& config = session_.config;
  if (id == ControlId::TrainingMethodList) {
    const auto items = methodItems();
    const auto item =
        std::find_if(items.begin(), items.end(), [&](const MethodItem& i) { return text == i.text; });
    if (item == items.end()) return;
    session_.setTrainingMethod(item->method);
    session_.networkModified = true;
    if (item->method == TrainingMethod::OnlineBackprop && firstMethodNotice_) {
      firstMethodNotice_ = false;
      session_.networkModified = false;
    }
    return;
  }
  const auto names = activationItems();
  const auto name = std::find_if(names.begin(), names.end(), [&](const char* n) { return text == n; });
  if (name == names.end()) return;
  const auto type = static_cast<ActivationType>(name - names.begin() + 1);
  if (id == ControlId::OutputActivation) {
    config.setOutputActivation(type);
  } else {
    for (int layer = 1; layer <= kHiddenLayerMax; ++layer)
      if (hiddenActivationControl(layer) == id && config.layerCount() > static_cast<std::uint32_t>(layer + 1))
        config.setHiddenActivation(layer, type);
  }
  // A running network takes the choice at its next start.
  if (session_.network && !training()) applyActivationChoices(config, *session_.network);
}

void MainController::settingChanged(ConfigField field, int layer) {
  const NetworkConfig& config = session_.config;
  switch (field) {
    case ConfigField::TrainingMethod: {
      const TrainingMethod method = config.trainingMethod();
      view_.selectListItem(ControlId::TrainingMethodList, methodIndex(method));
      view_.setControlEnabled(ControlId::LearningRate,
                              method != TrainingMethod::Rprop && method != TrainingMethod::DeltaBarDelta);
      return;
    }
    case ConfigField::LayerCount:
      view_.setControlText(ControlId::HiddenLayerCount, formatC("%u", config.layerCount() - 2));
      enableHiddenLayerControls(training());
      return;
    case ConfigField::HiddenNeurons:
      view_.setControlText(hiddenNeuronsControl(layer), formatC("%u", config.hiddenNeurons(layer)));
      return;
    case ConfigField::HiddenActivation:
      view_.selectListItem(hiddenActivationControl(layer), activationIndex(config.hiddenActivation(layer)));
      return;
    case ConfigField::OutputActivation:
      view_.selectListItem(ControlId::OutputActivation, activationIndex(config.outputActivation()));
      return;
    case ConfigField::InputCount:
      view_.setControlText(ControlId::InputCountText, countText(config.inputCount()));
      return;
    case ConfigField::OutputCount:
      view_.setControlText(ControlId::OutputCountText, countText(config.outputCount()));
      return;
    case ConfigField::TrainingFile:
      showFileTitle(ControlId::TrainingFileText, config.trainingFile());
      showPatternCount(ControlId::TrainingPatternsText, session_.trainingSet.patternCount);
      return;
    case ConfigField::TestFile:
      showFileTitle(ControlId::TestingFileText, config.testFile());
      showPatternCount(ControlId::TestingPatternsText, session_.testingSet.patternCount);
      return;
    case ConfigField::WeightsFile:
      showFileTitle(ControlId::WeightsFileText, config.weightsFile());
      return;
    case ConfigField::OutputFile:
      return;
    default:
      showSetting(field, layer);
      return;
  }
}

// The integer and double fields that have a control of their own.
void MainController::showSetting(ConfigField field, int layer) {
  const ControlId id = controlOf(field, layer);
  if (id == ControlId::None) return;
  const NetworkConfig& config = session_.config;
  const PanelField* row = findPanelField(id);
  if (row->kind == FieldKind::Check) {
    view_.setControlChecked(id, config.intValue(field) != 0);
    if (field == ConfigField::PreventSaturation)
      view_.setControlEnabled(ControlId::SaturationThreshold, config.preventSaturation() == 1);
  } else if (row->kind == FieldKind::Integer) {
    view_.setControlText(id, formatC("%u", static_cast<std::uint32_t>(config.intValue(field))));
  } else if (row->kind == FieldKind::Float) {
    view_.setControlText(id, emptyToZeroText(formatC("%g", config.doubleValue(field))));
  }
}

void MainController::showFileTitle(ControlId id, const std::string& path) {
  view_.setControlText(id, fileTitle(path));
}

void MainController::showPatternCount(ControlId id, std::size_t count) {
  view_.setControlText(id, count == 0 ? std::string() : formatC("Patterns: %zu", count));
}

void MainController::sessionChanged(SessionEvent event) {
  switch (event) {
    case SessionEvent::NetworkDiscarded:
      view_.setControlEnabled(ControlId::SaveWeights, false);
      clearTrainingStats();
      clearTestingStats();
      updateRunButtons();
      if (!training()) view_.plotsChanged(PlotChange::Network);
      break;
    case SessionEvent::StatisticsCleared:
      clearTrainingStats();
      clearTestingStats();
      break;
    case SessionEvent::TrainingSetChanged:
    case SessionEvent::TestingSetChanged:
      // The file setters show the pattern counts.
      updateRunButtons();
      break;
    case SessionEvent::WeightsChanged:
      if (!training()) view_.plotsChanged(PlotChange::Weights);
      break;
  }
}

void MainController::showEpochStatistics(const EpochStatistics& stats) {
  view_.setControlText(ControlId::TrainEpoch, formatC("%u", stats.epoch));
  view_.setControlText(ControlId::TrainRms, formatC("%g", stats.trainRms));
  view_.setControlText(ControlId::TrainMaxRms, formatC("%g", stats.trainMaxPatternRms));
  view_.setControlText(ControlId::TrainMaxError, formatC("%g", stats.trainMaxError));
  view_.setControlText(ControlId::TrainCorrect, formatC("%u", stats.trainCorrect));
  view_.setControlText(ControlId::TrainPercent, formatC("%.4g", stats.trainPercent));
  if (!stats.testMeasured) return;
  view_.setControlText(ControlId::TestRms, formatC("%g", stats.testRms));
  view_.setControlText(ControlId::TestMaxRms, formatC("%g", stats.testMaxPatternRms));
  view_.setControlText(ControlId::TestMaxError, formatC("%g", stats.testMaxError));
  view_.setControlText(ControlId::TestCorrect, formatC("%u", stats.testCorrect));
  view_.setControlText(ControlId::TestPercent, formatC("%.4g", stats.testPercent));
}

void MainController::runEnded() {
  if (!runEndPending_) return;
  // The worker has made its last notification; joining takes a moment at
  // most. Settling appends the run's history record.
  run_.wait();
  runEndPending_ = false;
  view_.setControlEnabled(ControlId::Stop, false);
  for (const ControlId id : kLockedWhileTraining) view_.setControlEnabled(id, true);
  view_.setControlEnabled(ControlId::SaveWeights, session_.network != nullptr);
  enableHiddenLayerControls(false);
  updateRunButtons();
  // The last epochs' weights and samples, whatever the plots saw live.
  view_.plotsChanged(PlotChange::Weights);
  view_.plotsChanged(PlotChange::Samples);
}

void MainController::enterRunState() {
  view_.setControlEnabled(ControlId::Test, false);
  view_.setControlEnabled(ControlId::Stop, true);
  view_.setControlEnabled(ControlId::Train, false);
  showRunPressed(true);
  for (const ControlId id : kLockedWhileTraining) view_.setControlEnabled(id, false);
  view_.focusControl(ControlId::Stop, false);
}

void MainController::resetRunControls() {
  view_.setControlEnabled(ControlId::SaveWeights, session_.network != nullptr && session_.weightsLoaded);
  updateRunButtons();
  if (!training()) view_.plotsChanged(PlotChange::Network);
}

void MainController::rescaleErrorPlot() {
  if (training()) return;
  session_.samples.rescaleNeeded = 1;
  view_.plotsChanged(PlotChange::Samples);
}

void MainController::enableHiddenLayerControls(bool runActive) {
  const std::uint32_t layerCount = session_.config.layerCount();
  for (int layer = 1; layer <= kHiddenLayerMax; ++layer) {
    const bool exists = layerCount >= static_cast<std::uint32_t>(layer + 2);
    view_.setControlEnabled(hiddenNeuronsControl(layer), exists && !runActive);
    view_.setControlEnabled(hiddenActivationControl(layer), exists);
  }
}

void MainController::updateRunButtons() {
  if (training()) return;  // the run's own states hold until it ends
  view_.setControlEnabled(ControlId::Test, session_.testingDataLoaded() && session_.network != nullptr);
  const bool trainable = session_.trainingDataLoaded();
  view_.setControlEnabled(ControlId::Train, trainable);
  if (!trainable) view_.setControlEnabled(ControlId::Stop, false);
  showRunPressed(false);
}

// The toolbar's Train and Stop show as one pressed pair: Train while a run
// is going, Stop otherwise.
void MainController::showRunPressed(bool running) {
  view_.setControlChecked(ControlId::Train, running);
  view_.setControlChecked(ControlId::Stop, !running);
}

void MainController::clearTrainingStats() {
  for (const ControlId id : kTrainingStats) view_.setControlText(id, {});
  rescaleErrorPlot();
}

void MainController::clearTestingStats() {
  for (const ControlId id : kTestingStats) view_.setControlText(id, {});
  rescaleErrorPlot();
}

}  // namespace nodelyx
