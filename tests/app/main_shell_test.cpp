// The main window's help for the user: the status hints, F1, the recent
// files and the dialogs of the Settings and Help menus.
#include <gtest/gtest.h>

#include "app/status_hints.h"
#include "support/main_controller_fixture.h"

namespace nodelyx {
namespace {

using MainShellTest = testing::MainControllerFixture;

TEST_F(MainShellTest, ControlHintsNameTheRangesTheFieldsEnforce) {
  struct Case {
    const char* name;
    ControlId id;
    const char* hint;
  };
  const Case defaults[] = {
      {"learning rate", ControlId::LearningRate, "Network learning rate (eta) (1.19209e-07 <= eta <= 100)"},
      {"a single percent sign", ControlId::PercentCorrectStop,
       "Percent error stopping criteria  (0.0 <= % Error <= 100.0)"},
      {"perturbation limit", ControlId::Perturb, "Randomly perturb all weights between 0 and 20 %"},
      {"epochs", ControlId::MaxEpochs, "Maximum number of training epochs  (1 <= epochs <= 2147483647)"},
      {"error margin", ControlId::ErrorMargin,
       "Specifies the threshold for learned patterns  (0 <= EM <= 3.40282e+38)"},
      {"hidden layers", ControlId::HiddenLayerCount, "Total number of hidden layers  (0 <= H <= 5)"},
      {"layer 3 size", ControlId::HiddenNeurons3,
       "Number of neurons in hidden layer #3  (1 <= H3 <= 4294967295)"},
      {"minimum weight", ControlId::MinWeight,
       "Smallest allowable weight value  (-3.40282e+38 <= Wmin <= 100)"},
      {"an activation list", ControlId::HiddenActivation4, "Specify the activation function for this layer"},
      {"a statistics field", ControlId::TrainRms, "For Help, press F1"},
      {"the window itself", ControlId::None, "For Help, press F1"},
  };
  for (const Case& c : defaults) {
    SCOPED_TRACE(c.name);
    controller.pointerOver(c.id);
    EXPECT_EQ(view.statusText, c.hint);
  }
  // The bounds are formatted afresh: they follow the settings.
  commit(ControlId::MaxWeight, "5");
  commit(ControlId::MaxPerturbation, "35");
  controller.pointerOver(ControlId::MinWeight);
  EXPECT_EQ(view.statusText, "Smallest allowable weight value  (-3.40282e+38 <= Wmin <= 5)");
  controller.pointerOver(ControlId::Perturb);
  EXPECT_EQ(view.statusText, "Randomly perturb all weights between 0 and 35 %");
}

TEST_F(MainShellTest, MenuHintsAndTooltips) {
  controller.menuHighlighted(ControlId::SaveNetworkAs);
  EXPECT_EQ(view.statusText, "Save the active network with a new name");
  controller.menuHighlighted(ControlId::RecentFile3);
  EXPECT_EQ(view.statusText, "Opens a previously loaded network");
  controller.menuHighlighted(ControlId::WriteCCode);  // no hint of its own: the text stays
  EXPECT_EQ(view.statusText, "Opens a previously loaded network");
  controller.menusClosed();
  EXPECT_EQ(view.statusText, "Ready");

  const std::pair<ControlId, const char*> tips[] = {
      {ControlId::ViewErrorPlot, "View Training Error"},
      {ControlId::ViewContourPlot, "Open Contour Plot"},
      {ControlId::Train, "Train Network"},
      {ControlId::Stop, "Stop Training Network"},
      {ControlId::Exit, "Unknown"},
  };
  for (const auto& [id, tip] : tips) EXPECT_EQ(toolTipText(id), tip) << controlNumber(id);
}

TEST_F(MainShellTest, F1OpensTheTopicOfTheFocusedControl) {
  const std::pair<ControlId, const char*> cases[] = {
      {ControlId::LearningRate, "Training Properties"},
      {ControlId::CrossValidate, "Training Properties"},
      {ControlId::MaxEpochs, "Stopping Criteria"},
      {ControlId::InputNoise, "Training Method"},
      {ControlId::HiddenLayerCount, "Layers"},
      {ControlId::HiddenNeurons5, "Layers"},
      {ControlId::Perturb, "Weights"},
      {ControlId::SaveWeights, "Data File"},
      {ControlId::PreventSaturation, "Saturation"},
      {ControlId::TrainingMethodList, ""},
      {ControlId::None, ""},
  };
  for (const auto& [id, keyword] : cases) {
    controller.contextHelp(id);
    EXPECT_EQ(view.helpKeywords.back(), keyword) << controlNumber(id);
  }
  controller.command(ControlId::HelpContents);
  EXPECT_EQ(view.helpKeywords.back(), "");
}

TEST_F(MainShellTest, OpenedConfigurationsEnterTheRecentListAndReopenFromIt) {
  EXPECT_TRUE(view.recentFiles.empty()) << "a clean profile shows no entries";
  controller.openCommandLineFile(file("classes.net"));
  openXor();
  EXPECT_EQ(view.recentFiles, (std::vector<std::string>{file("xor.net"), file("classes.net")}));
  EXPECT_EQ(recentStore.stored[0], file("xor.net"));
  const int saves = recentStore.saves;
  openXor();
  EXPECT_EQ(recentStore.saves, saves) << "reopening entry 1 writes nothing";

  // Entry 2 opens as a drop of that file would, then moves to the top.
  controller.command(ControlId::RecentFile2);
  EXPECT_EQ(session().networkFile, file("classes.net"));
  EXPECT_EQ(view.recentFiles, (std::vector<std::string>{file("classes.net"), file("xor.net")}));
  controller.command(ControlId::RecentFile4);  // an empty entry does nothing
  EXPECT_EQ(session().networkFile, file("classes.net"));
  EXPECT_TRUE(view.messages.empty());
}

TEST_F(MainShellTest, SettingsAndHelpCommandsRunTheirDialogs) {
  for (const ControlId id :
       {ControlId::AdvancedSettings, ControlId::DataScaling, ControlId::ScalingSettings, ControlId::About})
    EXPECT_TRUE(controller.command(id));
  EXPECT_EQ(view.dialogsRun,
            (std::vector<ModalDialog>{ModalDialog::AdvancedSettings, ModalDialog::DataScaling,
                                      ModalDialog::ScalingOptions, ModalDialog::About}));
}

}  // namespace
}  // namespace nodelyx
