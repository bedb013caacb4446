// The main window's panel as one table: every control with its label, kind,
// the setting it shows, its accepted range and its group. The window builds
// its widgets from it, the controller checks and stores edits through it,
// and the tests walk it; nothing else lists the panel's controls.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "app/control_id.h"
#include "files/network_config.h"

namespace nodelyx {

enum class PanelGroup {
  TrainingProperties,
  StoppingCriteria,
  TrainingAlgorithm,
  Weights,
  NeuronSaturation,
  NetworkTopology,
  DataFiles,
  Statistics,
  RunButtons,
};

enum class FieldKind {
  Float,    // numeric edit, "%g", commitFloatField
  Integer,  // numeric edit, unsigned decimal, commitIntField
  Check,    // check box
  List,     // drop-down list of fixed items
  Text,     // read-only text the controller writes
  Button,   // a command
};

// Where a float field's bounds come from: fixed, or the other weight limit.
enum class RangeRule { Fixed, UpToMaxWeight, FromMinWeight, UpToMaxHiddenLayers };

// The setting of the rows that show none (buttons, counts, statistics): no
// ConfigField has this value.
inline constexpr ConfigField kNoSetting = static_cast<ConfigField>(-1);

struct PanelField {
  ControlId id;
  // With "&" before a mnemonic where the control has one; "\n" where the
  // label takes two lines.
  const char* label;
  FieldKind kind;
  PanelGroup group;
  ConfigField setting;  // the field shown (edits, checks, lists, texts), else kNoSetting
  int layer;            // 1..5 for the per-layer fields, else 0
  double min, max;      // inclusive bounds of Float and Integer fields
  RangeRule rule;
  // The statistics fields: the column, for the accessible name
  // ("Training Avg RMS Error"); "" otherwise.
  const char* column;
  // Shown after the field ("%" for the percentages); "" for none.
  const char* suffix = "";
};

std::span<const PanelField> panelFields();
// The row of id, or null when id is not a panel control.
const PanelField* findPanelField(ControlId id);

// The bounds of a numeric field under the current settings (the weight
// limits bound each other).
struct FieldRange {
  double min;
  double max;
};
FieldRange fieldRange(const PanelField& field, const NetworkConfig& config);

// "Training Avg RMS Error" for the statistics fields, the label (without
// "&", line breaks as blanks) otherwise: what screen readers announce.
std::string accessibleName(const PanelField& field);

// The group captions, as the panel shows them; "" for the run buttons,
// which sit below the groups without a caption of their own.
const char* groupTitle(PanelGroup group);

// The items of the method list in their order with their codes, and of the
// activation lists.
struct MethodItem {
  const char* text;
  TrainingMethod method;
};
std::span<const MethodItem> methodItems();
std::span<const char* const> activationItems();  // codes 1..4 in order

inline constexpr double kFloatMax = 3.4028234663852886e+38;
inline constexpr double kFloatEpsilon = 1.1920928955078125e-07;
inline constexpr std::uint32_t kMaxHiddenLayers = 5;
inline constexpr std::uint32_t kMaxHiddenNeurons = 4294967295u;
// The settings and the configuration file keep the epoch limit as a signed
// 32-bit number; a larger limit would turn negative and end every run at
// once.
inline constexpr double kMaxEpochLimit = 2147483647.0;

}  // namespace nodelyx
