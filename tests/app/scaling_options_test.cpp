// The data scaling settings dialog's logic with a recording view: the list
// of columns, the three modes, the edits of the current column, and what
// reaches the network on OK and on the close box.
#include "app/scaling_options.h"

#include <gtest/gtest.h>

#include "support/fake_dialog_view.h"
#include "support/temp_dir.h"

namespace nodelyx {
namespace {

using namespace scaling_options;
using testing::FakeScalingOptionsView;
using Values = std::vector<double>;

class ScalingOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    applyPanelDefaults(session.config);
    scalingEnabled = 1;
  }
  void TearDown() override { scalingEnabled = 0; }

  // Two inputs between 2 and 4, and 0 and 1; one target between 10 and 20.
  void loadSet() {
    ASSERT_TRUE(loadDataFile(session, DataKind::Training,
                             dir.write("a.trn", "[INPUTS] 2\n[OUTPUTS] 1\n2 0 10\n4 1 20\n3 0.5 15\n"), {},
                             reporter));
  }
  void buildNetwork() {
    const std::uint32_t seed = 3;
    ASSERT_TRUE(session.buildNetwork(reporter, &seed));
  }
  void open() { options.initialize(); }
  void type(int id, const char* text) {
    view.setControlText(id, text);
    options.fieldNotified(id, FieldNotification::KillFocus);
  }
  std::vector<std::string> shownRanges() const {
    return {view.controlText(RawLow), view.controlText(RawHigh), view.controlText(ScaledLow),
            view.controlText(ScaledHigh)};
  }

  testing::TempDir dir;
  Session session;
  RecordingReporter reporter;
  FakeScalingOptionsView view;
  testing::RecordingHelp help;
  ScalingOptions options{session, view, help};
};

TEST_F(ScalingOptionsTest, ListsTheColumnsOfTheSetOrNetwork) {
  struct Case {
    const char* name;
    bool set, network, emptyRecord;
    std::vector<std::string> entries;
    std::vector<std::string> ranges;  // of the first entry
  };
  const std::vector<std::string> none = {"", "", "", ""};
  const Case cases[] = {
      {"nothing_loaded", false, false, false, {}, none},
      {"training_set",
       true,
       false,
       false,
       {"Input 1", "Input 2", "Output 1"},
       {"2.000000", "4.000000", "-1.000000", "1.000000"}},
      {"network_without_record", true, true, true, {"Input 1", "Input 2", "Output 1"}, none},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.set) loadSet();
    if (c.network) buildNetwork();
    if (c.emptyRecord) {
      session.discardTrainingSet();
      emptyScalingRecord(session.scaling);
    }
    open();
    EXPECT_EQ(view.listItems, c.entries);
    EXPECT_EQ(view.selectedItem, c.entries.empty() ? -1 : 0);
    EXPECT_EQ(shownRanges(), c.ranges);
    // Typing into a column the record does not have stores nothing.
    type(RawLow, "5");
    EXPECT_EQ(session.scaling.fromMin.empty() ? Values{} : Values{session.scaling.fromMin[0]},
              c.set && !c.emptyRecord ? Values{5.0} : Values{});
    session.network.reset();
  }
}

TEST_F(ScalingOptionsTest, ModesSetTheSwitchAndTheControls) {
  struct Case {
    const char* name;
    ScalingMode start;
    int click;  // 0: only opened
    ScalingMode mode;
    int enabled;
    bool manualControls;
  };
  const Case cases[] = {
      {"opened_in_auto", ScalingMode::Auto, 0, ScalingMode::Auto, 1, false},
      {"opened_in_manual", ScalingMode::Manual, 0, ScalingMode::Manual, 1, true},
      {"opened_in_none", ScalingMode::None, 0, ScalingMode::None, 0, false},
      {"none_clears_the_switch", ScalingMode::Auto, None, ScalingMode::None, 0, false},
      {"auto", ScalingMode::None, Auto, ScalingMode::Auto, 1, false},
      {"manual", ScalingMode::None, Manual, ScalingMode::Manual, 1, true},
  };
  loadSet();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    session.scaling.mode = c.start;
    scalingEnabled = c.start == ScalingMode::None ? 0 : 1;
    open();
    if (c.click != 0) options.modeClicked(c.click);
    EXPECT_EQ(session.scaling.mode, c.mode);
    EXPECT_EQ(scalingEnabled.load(), c.enabled);
    const int checkedButton = c.mode == ScalingMode::None   ? None
                              : c.mode == ScalingMode::Auto ? Auto
                                                            : Manual;
    for (const int radio : {None, Auto, Manual}) EXPECT_EQ(view.isChecked(radio), radio == checkedButton);
    for (const int id : {Parameter, RawLow, RawHigh, ScaledLow, ScaledHigh})
      EXPECT_EQ(view.isEnabled(id), c.manualControls) << "control " << id;
  }
}

// Auto gives the outputs the network range of the output activation again.
TEST_F(ScalingOptionsTest, AutoTakesTheOutputActivationsRange) {
  struct Case {
    const char* name;
    ActivationType activation;
    double low, high;
  };
  const Case cases[] = {{"logistic", ActivationType::Logistic, 0, 1},
                        {"tanh", ActivationType::Tanh, -1, 1},
                        {"linear_keeps_the_data_range", ActivationType::Linear, 10, 20}};
  loadSet();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    session.config.setOutputActivation(c.activation);
    session.scaling.mode = ScalingMode::Manual;
    open();
    options.parameterSelected(2);
    type(ScaledLow, "0.25");
    type(ScaledHigh, "0.75");
    options.modeClicked(Auto);
    EXPECT_EQ(session.scaling.toMin[2], c.low);
    EXPECT_EQ(session.scaling.toMax[2], c.high);
    EXPECT_EQ(shownRanges()[2], std::to_string(c.low));
  }
}

TEST_F(ScalingOptionsTest, EditsGoIntoTheCurrentColumn) {
  struct Case {
    const char* name;
    int field;
    std::vector<double> ScalingRecord::*values;
  };
  const Case cases[] = {{"raw_low", RawLow, &ScalingRecord::fromMin},
                        {"raw_high", RawHigh, &ScalingRecord::fromMax},
                        {"scaled_low", ScaledLow, &ScalingRecord::toMin},
                        {"scaled_high", ScaledHigh, &ScalingRecord::toMax}};
  loadSet();
  session.scaling.mode = ScalingMode::Manual;
  open();
  options.parameterSelected(1);  // "Input 2"
  EXPECT_EQ(options.currentColumn(), 1u);
  EXPECT_EQ(shownRanges(), (std::vector<std::string>{"0.000000", "1.000000", "-1.000000", "1.000000"}));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Values before = session.scaling.*c.values;
    type(c.field, "-7.5");
    Values expected = before;
    expected[1] = -7.5;
    EXPECT_EQ(session.scaling.*c.values, expected);
    EXPECT_EQ(view.controlText(c.field), "-7.5");
  }
  options.parameterSelected(2);  // "Output 1"
  EXPECT_EQ(options.currentColumn(), 2u);
  EXPECT_EQ(shownRanges(), (std::vector<std::string>{"10.000000", "20.000000", "0.000000", "1.000000"}));
}

// The network receives the record on OK only; the record keeps the edits
// either way.
TEST_F(ScalingOptionsTest, OkHandsTheRecordToTheNetworkAndTheCloseBoxDoesNot) {
  for (const bool ok : {false, true}) {
    SCOPED_TRACE(ok ? "ok" : "close_box");
    loadSet();
    buildNetwork();
    session.scaling.mode = ScalingMode::Manual;
    open();
    options.parameterSelected(0);
    type(RawLow, "-3");
    const Values networkBefore = session.network->fromMin;
    if (ok)
      options.ok();
    else
      options.close();
    EXPECT_EQ(view.ends, 1);
    EXPECT_EQ(session.scaling.fromMin[0], -3.0);
    EXPECT_EQ(session.network->fromMin, ok ? session.scaling.fromMin : networkBefore);
    EXPECT_EQ(session.network->rangesSet, ok ? 1 : 0);
    view.ends = 0;
    session.discardNetwork();
  }
}

TEST_F(ScalingOptionsTest, HelpOpensAutomaticDataScaling) {
  open();
  options.help();
  EXPECT_EQ(help.keywords, std::vector<std::string>{"Automatic data scaling"});
}

}  // namespace
}  // namespace nodelyx
