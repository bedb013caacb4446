#include "app/advanced_settings.h"

#include "app/field_checks.h"
#include "app/panel_fields.h"
#include "app/session.h"
#include "files/c_format.h"

namespace nodelyx {
namespace {

using F = ConfigField;

constexpr AdvancedField kQuickPropFields[] = {
    {10, "Max Weight Growth Factor", F::QuickpropMaxGrowth, kFloatEpsilon, 100},
};
constexpr AdvancedField kRpropFields[] = {
    {10, "Weight Increase Rate", F::RpropIncrease, 1, 10},
    {11, "Weight Decrease Rate", F::RpropDecrease, kFloatEpsilon, 1},
    {12, "Min Weight Step Size", F::RpropMinStep, kFloatEpsilon, 1},
    {13, "Max Weight Step Size", F::RpropMaxStep, kFloatEpsilon, 100},
    {14, "Initial Weight Step Size", F::RpropInitialStep, kFloatEpsilon, 100},
};
constexpr AdvancedField kDeltaBarDeltaFields[] = {
    {10, "Weight Inc. Rate (linear)", F::DbdIncrease, kFloatEpsilon, 10},
    {11, "Weight Dec. Rate (exponential)", F::DbdDecrease, kFloatEpsilon, 10},
    {12, "DBD Averaging Parameter", F::DbdAverage, 0, 10},
};

constexpr AdvancedPage kPages[kAdvancedPageCount] = {
    {"QuickProp", "Advanced QuickProp Parameters", help::kQuickProp, kQuickPropFields, true},
    {"RProp", "Advanced RPROP Parameters", help::kRprop, kRpropFields, true},
    {"Delta-Bar-Delta", "Advanced DBD Parameters", help::kDeltaBarDelta, kDeltaBarDeltaFields, true},
    {"Misc. Settings", "Options", help::kMiscSettings, {}, false},
};

const AdvancedField* findField(AdvancedPageId page, int id) {
  for (const AdvancedField& field : advancedPage(page).fields) {
    if (field.id == id) return &field;
  }
  return nullptr;
}

// The values of a new network are the pages' defaults.
double defaultValue(ConfigField setting) {
  NetworkConfig defaults;
  applyPanelDefaults(defaults);
  return defaults.doubleValue(setting);
}

}  // namespace

std::span<const AdvancedPage> advancedPages() { return kPages; }

const AdvancedPage& advancedPage(AdvancedPageId page) { return kPages[static_cast<int>(page)]; }

std::string advancedFieldText(double value) { return emptyToZeroText(formatC("%f", value)); }

AdvancedSettingsController::AdvancedSettingsController(Session& session, AdvancedSettingsView& view,
                                                       HelpViewer& help)
    : session_(session), view_(view), help_(help) {}

void AdvancedSettingsController::pageActivated(AdvancedPageId page) {
  showPage(page);
  if (page == AdvancedPageId::Misc) view_.setShuffleChecked(session_.config.shuffleOnLoad() != 0);
}

void AdvancedSettingsController::showPage(AdvancedPageId page) {
  for (const AdvancedField& field : advancedPage(page).fields)
    view_.setFieldText(page, field.id, advancedFieldText(session_.config.doubleValue(field.setting)));
}

void AdvancedSettingsController::fieldLeft(AdvancedPageId page, int id) {
  const AdvancedField* field = findField(page, id);
  if (field == nullptr) return;
  NetworkConfig& config = session_.config;
  const FieldOutcome<double> outcome =
      commitPageFloat(view_.fieldText(page, id), config.doubleValue(field->setting), field->min, field->max);
  config.setDouble(field->setting, outcome.value);
  if (outcome.text) view_.setFieldText(page, id, *outcome.text);
  if (outcome.message) view_.showMessage(Message{kPageErrorTitle, *outcome.message, MessageIcon::Error});
  if (outcome.focusAndSelect) view_.focusField(page, id);
}

void AdvancedSettingsController::defaultsPressed(AdvancedPageId page) {
  for (const AdvancedField& field : advancedPage(page).fields)
    session_.config.setDouble(field.setting, defaultValue(field.setting));
  showPage(page);
}

void AdvancedSettingsController::helpPressed(AdvancedPageId page) {
  help_.showHelp(advancedPage(page).helpKeyword);
}

void AdvancedSettingsController::shuffleClicked(bool checked) {
  session_.config.setShuffleOnLoad(checked ? 1 : 0);
  session_.networkModified = true;
}

}  // namespace nodelyx
