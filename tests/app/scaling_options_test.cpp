// The scaling settings dialog's logic with a recording view: the list of
// columns, the three modes, the edits of the current column, and what
// reaches the network on OK and on the close box.
#include "app/scaling_options.h"

#include <gtest/gtest.h>

#include "support/fake_dialog_view.h"
#include "support/temp_dir.h"

namespace nodelyx {
namespace {

using namespace scaling_options;
using Texts = std::vector<std::string>;
using Values = std::vector<double>;

class ScalingOptionsTest : public ::testing::Test {
 protected:
  ScalingOptionsTest() { applyPanelDefaults(session.config); }
  ~ScalingOptionsTest() override { scalingEnabled = 0; }

  // Inputs between 2 and 4, and 0 and 1; the target between 10 and 20.
  void loadSet() {
    const auto path = dir.write("a.trn", "[INPUTS] 2\n[OUTPUTS] 1\n2 0 10\n4 1 20\n3 0.5 15\n");
    ASSERT_TRUE(loadDataFile(session, DataKind::Training, path, {}, reporter));
  }
  void type(int id, const char* text) {
    view.setControlText(id, text);
    options.fieldNotified(id, FieldNotification::KillFocus);
  }
  Texts shown() const {
    return {view.controlText(RawLow), view.controlText(RawHigh), view.controlText(ScaledLow),
            view.controlText(ScaledHigh)};
  }

  testing::TempDir dir;
  Session session;
  RecordingReporter reporter;
  testing::FakeScalingOptionsView view;
  testing::RecordingHelp help;
  ScalingOptions options{session, view, help};
};

TEST_F(ScalingOptionsTest, ListsTheColumnsOfTheSetOrNetwork) {
  struct Case {
    const char* name;
    bool set, networkWithoutRecord;
    Texts entries, firstColumn;
  };
  const Texts none = {"", "", "", ""};
  const Case cases[] = {
      {"nothing_loaded", false, false, {}, none},
      {"training_set",
       true,
       false,
       {"Input 1", "Input 2", "Output 1"},
       {"2.000000", "4.000000", "-1.000000", "1.000000"}},
      {"network_without_record", true, true, {"Input 1", "Input 2", "Output 1"}, none},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.set) loadSet();
    if (c.networkWithoutRecord) {
      ASSERT_TRUE(session.buildNetwork(reporter));
      session.discardTrainingSet();
      emptyScalingRecord(session.scaling);
    }
    options.initialize();
    EXPECT_EQ(view.listItems, c.entries);
    EXPECT_EQ(view.selectedItem, c.entries.empty() ? -1 : 0);
    EXPECT_EQ(shown(), c.firstColumn);
    type(RawLow, "5");  // a column the record does not have takes nothing
    EXPECT_EQ(session.scaling.fromMin, c.firstColumn == none ? Values{} : (Values{5, 0, 10}));
  }
}

TEST_F(ScalingOptionsTest, ModesSetTheSwitchAndTheControls) {
  struct Case {
    const char* name;
    ScalingMode start;
    int click;  // 0: only opened
    int checked;
    bool manualControls;
  };
  const Case cases[] = {
      {"opened_in_auto", ScalingMode::Auto, 0, Auto, false},
      {"opened_in_manual", ScalingMode::Manual, 0, Manual, true},
      {"opened_in_none", ScalingMode::None, 0, None, false},
      {"none_clears_the_switch", ScalingMode::Auto, None, None, false},
      {"auto", ScalingMode::None, Auto, Auto, false},
      {"manual", ScalingMode::None, Manual, Manual, true},
  };
  loadSet();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    session.scaling.mode = c.start;
    scalingEnabled = c.start == ScalingMode::None ? 0 : 1;
    options.initialize();
    if (c.click != 0) options.modeClicked(c.click);
    EXPECT_EQ(static_cast<int>(session.scaling.mode), c.checked - None);
    EXPECT_EQ(scalingEnabled.load(), c.checked == None ? 0 : 1);
    for (const int radio : {None, Auto, Manual}) EXPECT_EQ(view.isChecked(radio), radio == c.checked);
    for (const int id : {Parameter, RawLow, RawHigh, ScaledLow, ScaledHigh})
      EXPECT_EQ(view.isEnabled(id), c.manualControls) << id;
  }
}

// Auto gives the output the network range of the output activation again.
TEST_F(ScalingOptionsTest, AutoTakesTheOutputActivationsRange) {
  const std::tuple<ActivationType, double, double> cases[] = {
      {ActivationType::Logistic, 0, 1}, {ActivationType::Tanh, -1, 1}, {ActivationType::Linear, 10, 20}};
  loadSet();
  for (const auto& [activation, low, high] : cases) {
    SCOPED_TRACE(static_cast<int>(activation));
    session.config.setOutputActivation(activation);
    session.scaling.mode = ScalingMode::Manual;
    options.initialize();
    options.parameterSelected(2);
    type(ScaledLow, "0.25");
    type(ScaledHigh, "0.75");
    options.modeClicked(Auto);
    EXPECT_EQ(session.scaling.toMin[2], low);
    EXPECT_EQ(session.scaling.toMax[2], high);
  }
}

TEST_F(ScalingOptionsTest, EditsGoIntoTheCurrentColumn) {
  const std::pair<int, Values ScalingRecord::*> fields[] = {{RawLow, &ScalingRecord::fromMin},
                                                            {RawHigh, &ScalingRecord::fromMax},
                                                            {ScaledLow, &ScalingRecord::toMin},
                                                            {ScaledHigh, &ScalingRecord::toMax}};
  loadSet();
  session.scaling.mode = ScalingMode::Manual;
  options.initialize();
  options.parameterSelected(2);  // "Output 1"
  EXPECT_EQ(shown(), (Texts{"10.000000", "20.000000", "0.000000", "1.000000"}));
  options.parameterSelected(1);  // "Input 2"
  EXPECT_EQ(shown(), (Texts{"0.000000", "1.000000", "-1.000000", "1.000000"}));
  for (const auto& [id, values] : fields) {
    SCOPED_TRACE(id);
    Values expected = session.scaling.*values;
    expected[1] = -7.5;
    type(id, "-7.5");
    EXPECT_EQ(session.scaling.*values, expected);
  }
}

// The network receives the record on OK only; the record keeps the edits
// either way.
TEST_F(ScalingOptionsTest, OkHandsTheRecordToTheNetworkAndTheCloseBoxDoesNot) {
  loadSet();
  for (const bool ok : {false, true}) {
    SCOPED_TRACE(ok ? "ok" : "close box");
    ASSERT_TRUE(session.buildNetwork(reporter));
    session.scaling.mode = ScalingMode::Manual;
    options.initialize();
    type(RawLow, "-3");
    const Values before = session.network->fromMin;
    if (ok) options.ok();
    if (!ok) options.close();
    EXPECT_EQ(session.scaling.fromMin[0], -3.0);
    EXPECT_EQ(session.network->fromMin, ok ? session.scaling.fromMin : before);
    session.discardNetwork();
  }
  EXPECT_EQ(view.ends, 2);
  options.help();
  EXPECT_EQ(help.keywords, Texts{"Automatic data scaling"});
}

}  // namespace
}  // namespace nodelyx
