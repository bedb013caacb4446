// The panel table: every control once, usable ranges and distinct names,
// and the weight limits that bound each other.
#include "app/panel_fields.h"

#include <gtest/gtest.h>

#include <set>

#include "app/field_checks.h"

namespace nodelyx {
namespace {

bool isNumeric(const PanelField& field) {
  return field.kind == FieldKind::Float || field.kind == FieldKind::Integer;
}

TEST(PanelFields, EveryControlOnceWithDistinctNamesAndUsableRanges) {
  std::set<ControlId> ids;
  std::set<std::string> names;
  for (const PanelField& field : panelFields()) {
    SCOPED_TRACE(controlObjectName(field.id));
    EXPECT_TRUE(ids.insert(field.id).second);
    EXPECT_TRUE(names.insert(accessibleName(field)).second) << accessibleName(field);
    EXPECT_EQ(findPanelField(field.id), &field);
    if (isNumeric(field)) {
      EXPECT_LE(field.min, field.max);
    }
    if (isNumeric(field) || field.kind == FieldKind::Check) {
      EXPECT_NE(field.setting, kNoSetting);
    }
  }
  EXPECT_EQ(findPanelField(ControlId::About), nullptr);
  EXPECT_EQ(accessibleName(*findPanelField(ControlId::TestRms)), "Testing Avg RMS Error");
  EXPECT_EQ(accessibleName(*findPanelField(ControlId::MaxPerturbation)), "Weight Perturbation");
}

TEST(PanelFields, PerLayerControlsMatchTheirLayer) {
  for (int layer = 1; layer <= kHiddenLayerMax; ++layer) {
    SCOPED_TRACE(layer);
    const PanelField* size = findPanelField(hiddenNeuronsControl(layer));
    const PanelField* activation = findPanelField(hiddenActivationControl(layer));
    ASSERT_TRUE(size && activation);
    EXPECT_EQ(size->layer, layer);
    EXPECT_EQ(size->setting, ConfigField::HiddenNeurons);
    EXPECT_EQ(activation->layer, layer);
    EXPECT_EQ(activation->setting, ConfigField::HiddenActivation);
  }
  EXPECT_EQ(hiddenNeuronsControl(0), ControlId::None);
  EXPECT_EQ(hiddenActivationControl(6), ControlId::None);
}

TEST(PanelFields, WeightLimitsBoundEachOther) {
  NetworkConfig config;
  applyPanelDefaults(config);
  const PanelField& minimum = *findPanelField(ControlId::MinWeight);
  const PanelField& maximum = *findPanelField(ControlId::MaxWeight);
  FieldRange range = fieldRange(minimum, config);
  EXPECT_EQ(range.min, -kFloatMax);
  EXPECT_EQ(range.max, 100);
  EXPECT_EQ(commitFloatField("100", FieldNotification::KillFocus, range.min, range.max, -100).value, 100);
  EXPECT_EQ(commitFloatField("100.5", FieldNotification::KillFocus, range.min, range.max, -100).value, -100);

  config.setMinWeight(-2);
  range = fieldRange(maximum, config);
  EXPECT_EQ(range.min, -2);
  EXPECT_EQ(range.max, kFloatMax);
}

}  // namespace
}  // namespace nodelyx
