#include "app/scaling_options.h"

#include "app/panel_fields.h"
#include "files/c_format.h"

namespace nodelyx {
namespace {

using namespace scaling_options;

constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);

}  // namespace

void ScalingOptions::initialize() {
  std::vector<std::string> entries;
  listInputs_ = 0;
  if (session_.trainingDataLoaded() || session_.network) {
    listInputs_ = session_.config.inputCount();
    for (std::uint32_t i = 1; i <= listInputs_; ++i) entries.push_back(formatC("Input %u", i));
    for (std::uint32_t k = 1; k <= session_.config.outputCount(); ++k)
      entries.push_back(formatC("Output %u", k));
  }
  view_.setListItems(Parameter, entries);
  view_.selectListItem(Parameter, entries.empty() ? -1 : 0);
  parameterSelected(entries.empty() ? -1 : 0);
  switch (session_.scaling.mode) {
    case ScalingMode::None:
      modeClicked(None);
      break;
    case ScalingMode::Auto:
      modeClicked(Auto);
      break;
    case ScalingMode::Manual:
      modeClicked(Manual);
      break;
  }
}

void ScalingOptions::modeClicked(int id) {
  ScalingRecord& record = session_.scaling;
  for (const int radio : {None, Auto, Manual}) view_.setControlChecked(radio, radio == id);
  switch (id) {
    case None:
      record.mode = ScalingMode::None;
      scalingEnabled = 0;
      break;
    case Auto:
      setOutputTargetRanges(record, session_.config.outputActivation(), session_.trainingSet);
      record.mode = ScalingMode::Auto;
      scalingEnabled = 1;
      break;
    case Manual:
      record.mode = ScalingMode::Manual;
      scalingEnabled = 1;
      break;
    default:
      return;
  }
  enableManualControls(id == Manual);
  showColumn();
}

// The list's entries are the settings' columns; a column the record does
// not have (it was built for other counts, or is empty) shows nothing and
// takes nothing.
void ScalingOptions::parameterSelected(int index) {
  const ScalingRecord& record = session_.scaling;
  column_ = kNoColumn;
  if (index >= 0 && static_cast<std::uint32_t>(index) < listInputs_) {
    if (static_cast<std::uint32_t>(index) < record.inputCount) column_ = static_cast<std::size_t>(index);
  } else if (index >= 0) {
    const std::uint32_t output = static_cast<std::uint32_t>(index) - listInputs_;
    if (output < record.outputCount) column_ = std::size_t{record.inputCount} + output;
  }
  showColumn();
}

void ScalingOptions::fieldNotified(int id, FieldNotification notification) {
  ScalingRecord& record = session_.scaling;
  std::vector<double>* values = id == RawLow       ? &record.fromMin
                                : id == RawHigh    ? &record.fromMax
                                : id == ScaledLow  ? &record.toMin
                                : id == ScaledHigh ? &record.toMax
                                                   : nullptr;
  if (values == nullptr) return;
  if (!columnInRecord()) {
    view_.setControlText(id, "");
    return;
  }
  double& value = (*values)[column_];
  const FieldOutcome<double> outcome =
      commitFloatField(view_.controlText(id), notification, -kFloatMax, kFloatMax, value);
  applyFieldOutcome(view_, id, outcome);
  value = outcome.value;
}

void ScalingOptions::ok() {
  if (session_.network) session_.network->mergeDataRanges(session_.scaling);
  view_.endDialog();
}

bool ScalingOptions::columnInRecord() const {
  return column_ < session_.scaling.columnCount() && session_.scaling.consistent();
}

void ScalingOptions::showColumn() {
  const ScalingRecord& record = session_.scaling;
  const bool shown = columnInRecord();
  const auto text = [&](const std::vector<double>& values) {
    return shown ? formatC("%f", values[column_]) : std::string();
  };
  view_.setControlText(RawLow, text(record.fromMin));
  view_.setControlText(RawHigh, text(record.fromMax));
  view_.setControlText(ScaledLow, text(record.toMin));
  view_.setControlText(ScaledHigh, text(record.toMax));
}

void ScalingOptions::enableManualControls(bool enabled) {
  for (const int id : {Parameter, RawLow, RawHigh, ScaledLow, ScaledHigh})
    view_.setControlEnabled(id, enabled);
}

}  // namespace nodelyx
