#include "app/main_controller.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/main_controller_fixture.h"

namespace nodelyx {
namespace {

using testing::FakeMainView;
using testing::readText;
using Answer = MessageAnswer;

constexpr const char* kRefuseNew =
    "Cannot create new network at this time.\nYou must first stop training the current network.";
constexpr const char* kRefuseFiles =
    "Files cannot be loaded while training is in process.\nStop training the current network and try again.";
constexpr const char* kWrongExtension =
    "Drag-and-Drop files must have one of the\nfollowing extnsions (*.net, *.trn, *.wts, *.tst)";

using MainControllerTest = testing::MainControllerFixture;

TEST_F(MainControllerTest, StartsWithTheDefaultsOfANewNetwork) {
  EXPECT_EQ(view.title, "Nodelyx - (untitled)");
  const std::pair<ControlId, const char*> shown[] = {{ControlId::LearningRate, "0.1"},
                                                     {ControlId::Momentum, "0"},
                                                     {ControlId::MaxEpochs, "100000"},
                                                     {ControlId::MinWeight, "-100"},
                                                     {ControlId::MaxWeight, "100"},
                                                     {ControlId::MaxPerturbation, "20"},
                                                     {ControlId::SaturationThreshold, "80"},
                                                     {ControlId::HiddenLayerCount, "1"},
                                                     {ControlId::HiddenNeurons1, "5"},
                                                     {ControlId::HiddenNeurons2, "1"},
                                                     {ControlId::PercentCorrectStop, "100"},
                                                     {ControlId::InputCountText, ""},
                                                     {ControlId::OutputCountText, ""},
                                                     {ControlId::TrainingPatternsText, ""},
                                                     {ControlId::TrainRms, ""},
                                                     {ControlId::TestPercent, ""}};
  for (const auto& [id, text] : shown) EXPECT_EQ(view.controlText(id), text) << controlNumber(id);
  for (const ControlId id : {ControlId::Train, ControlId::Test, ControlId::Stop, ControlId::SaveWeights,
                             ControlId::HiddenNeurons2, ControlId::HiddenActivation5})
    EXPECT_FALSE(view.isEnabled(id)) << controlNumber(id);
  for (const ControlId id : {ControlId::LearningRate, ControlId::HiddenNeurons1, ControlId::HiddenActivation1,
                             ControlId::SaturationThreshold})
    EXPECT_TRUE(view.isEnabled(id)) << controlNumber(id);
  EXPECT_EQ(view.selected[ControlId::TrainingMethodList], 1) << "Online Backprop - Rand";
  EXPECT_TRUE(view.checked[ControlId::PreventSaturation]);
  EXPECT_FALSE(view.checked[ControlId::CrossValidate]);
  EXPECT_FALSE(session().networkModified);
}

// The questions before New discards what is modified, and what each
// answer leads to.
TEST_F(MainControllerTest, NewAsksToSaveWhatIsModifiedFirst) {
  struct Case {
    const char* name;
    bool titled, networkModified, weightsModified;
    std::vector<Answer> answers;
    std::vector<std::pair<ChooseResult, std::string>> dialogs;
    bool proceeds;
    int questions;
  };
  const Case cases[] = {
      {"nothing modified: no question", true, false, false, {}, {}, true, 0},
      {"No discards the settings", true, true, false, {Answer::No}, {}, true, 1},
      {"Cancel keeps everything", true, true, false, {Answer::Cancel}, {}, false, 1},
      {"Yes saves a titled configuration silently", true, true, false, {Answer::Yes}, {}, true, 1},
      {"Yes on an untitled one asks for a name; a cancel there cancels",
       false,
       true,
       false,
       {Answer::Yes},
       {{ChooseResult::Cancelled, ""}},
       false,
       1},
      {"then the weights: Cancel keeps everything",
       true,
       true,
       true,
       {Answer::No, Answer::Cancel},
       {},
       false,
       2},
      {"Yes saves the weights under a chosen name",
       true,
       false,
       true,
       {Answer::Yes},
       {{ChooseResult::Chosen, "saved.wts"}},
       true,
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    openXor();
    controller.command(ControlId::Train);
    controller.waitForRunToEnd();
    sessionStorage.networkFile = c.titled ? file("xor.net") : "";
    sessionStorage.networkModified = c.networkModified;
    sessionStorage.weightsModified = c.weightsModified;
    view.answers.assign(c.answers.begin(), c.answers.end());
    view.choices.assign(c.dialogs.begin(), c.dialogs.end());
    view.messages.clear();
    const bool discarded = controller.command(ControlId::NewNetwork);
    EXPECT_EQ(discarded, c.proceeds);
    EXPECT_EQ(view.messages.size(), static_cast<std::size_t>(c.questions));
    EXPECT_EQ(session().network == nullptr, c.proceeds);
    EXPECT_EQ(session().trainingDataLoaded(), !c.proceeds);
    if (c.proceeds) {
      EXPECT_EQ(view.title, "Nodelyx - (untitled)");
    } else {
      EXPECT_TRUE(session().networkModified || session().weightsModified);
    }
    EXPECT_TRUE(view.answers.empty() && view.choices.empty());
  }
  EXPECT_TRUE(std::filesystem::exists("saved.wts")) << "saved beside the configuration";
}

TEST_F(MainControllerTest, DroppingSeveralFilesLoadsEachKnownKindAndNamesTheOthers) {
  controller.openCommandLineFile(file("xor.net"));
  controller.command(ControlId::NewNetwork);
  view.messages.clear();
  controller.dropFiles({file("xor.trn"), file("notes.doc"), file("xor.tst")});
  EXPECT_EQ(view.takeMessageTexts(), std::vector<std::string>{kWrongExtension});
  EXPECT_TRUE(session().trainingDataLoaded());
  EXPECT_TRUE(session().testingDataLoaded());
  EXPECT_TRUE(session().networkModified);
  EXPECT_EQ(view.controlText(ControlId::TrainingFileText), "xor.trn");
  EXPECT_EQ(view.controlText(ControlId::TestingPatternsText), "Patterns: 4");
  EXPECT_TRUE(view.isEnabled(ControlId::Train));
}

TEST_F(MainControllerTest, ACancelAtTheSaveQuestionEndsTheWholeDrop) {
  openXor();
  sessionStorage.networkModified = true;
  view.answers = {Answer::Cancel};
  controller.dropFiles({file("classes.net"), file("classes.tst")});
  EXPECT_EQ(view.title, "Nodelyx - xor.net");
  EXPECT_EQ(session().testingSet.patternCount, 4u) << "the second file was not loaded";
}

TEST_F(MainControllerTest, ADroppedConfigurationAsksForAMissingTrainingFile) {
  dir.write("lost.net", "[LAYERS] 3\n[HIDDEN1] 2 1\n[TRAININGFILE] gone.trn\n");
  view.choices = {{ChooseResult::Chosen, file("xor.trn")}};
  controller.dropFiles({file("lost.net")});
  ASSERT_EQ(view.dialogs.size(), 1u);
  EXPECT_EQ(view.dialogs[0].first, FileKind::Training);
  EXPECT_EQ(session().config.trainingFile(), file("xor.trn"));
  EXPECT_EQ(view.title, "Nodelyx - lost.net");
}

TEST_F(MainControllerTest, CommandLineArgument) {
  std::filesystem::copy_file(dir / "xor.net", dir / "CAPS.NET");
  struct Case {
    const char* name;
    std::string argument;
    const char* title;
    bool training;
    std::vector<std::string> messages;
    int dialogs;
  };
  const Case cases[] = {
      {"a configuration in capitals", file("CAPS.NET"), "Nodelyx - CAPS.NET", true, {}, 0},
      {"another extension loads nothing", file("xor.txt"), "Nodelyx - (untitled)", false, {}, 0},
      {"a training file alone", file("xor.trn"), "Nodelyx - (untitled)", true, {}, 0},
      {"a configuration that is not there: the dialog, cancelled",
       file("none.net"),
       "Nodelyx - (untitled)",
       false,
       {"Could not read file none.net"},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view.dialogs.clear();
    if (c.dialogs) view.choices = {{ChooseResult::Cancelled, ""}};
    controller.openCommandLineFile(c.argument);
    EXPECT_EQ(view.title, c.title);
    EXPECT_EQ(session().trainingDataLoaded(), c.training);
    EXPECT_EQ(view.takeMessageTexts(), c.messages);
    EXPECT_FALSE(session().networkModified);
    EXPECT_EQ(view.dialogs.size(), static_cast<std::size_t>(c.dialogs));
  }
}

TEST_F(MainControllerTest, ClosingAsksForTheSettingsThenTheWeights) {
  const std::vector<std::vector<Answer>> answerSets = {
      {Answer::Cancel}, {Answer::No, Answer::Cancel}, {Answer::No, Answer::No}};
  for (const auto& answers : answerSets) {
    sessionStorage.networkModified = sessionStorage.weightsModified = true;
    view.answers.assign(answers.begin(), answers.end());
    view.messages.clear();
    const bool closes = controller.close();
    EXPECT_EQ(closes, answers.back() == Answer::No);
    ASSERT_EQ(view.messages.size(), answers.size());
    EXPECT_EQ(view.messages[0].text, "Network not saved\nSave current changes in (untitled)?");
    if (answers.size() > 1) {
      EXPECT_EQ(view.messages[1].text, "Weights not saved\nSave current changes in (untitled)?");
    }
  }
}

TEST_F(MainControllerTest, WhileTrainingFilesAndNetworksAreRefused) {
  openXor();
  commit(ControlId::MaxEpochs, "2000000000");
  // Neither set's criteria may end the run: XOR reaches them in a few epochs.
  controller.checkBoxClicked(ControlId::EnforceTrainingStop, false);
  controller.checkBoxClicked(ControlId::EnforceTestingStop, false);
  controller.command(ControlId::Train);
  ASSERT_TRUE(controller.training());
  EXPECT_TRUE(view.isEnabled(ControlId::Stop));
  for (const ControlId id : {ControlId::Train, ControlId::Test, ControlId::TrainingData,
                             ControlId::HiddenLayerCount, ControlId::HiddenNeurons1, ControlId::SaveWeights})
    EXPECT_FALSE(view.isEnabled(id)) << controlNumber(id);
  EXPECT_TRUE(view.isEnabled(ControlId::HiddenActivation1)) << "the activation lists stay";
  view.messages.clear();
  controller.command(ControlId::NewNetwork);
  controller.command(ControlId::OpenNetwork);
  controller.dropFiles({file("classes.net"), file("xor.trn")});
  controller.command(ControlId::DataScaling);
  EXPECT_TRUE(view.dialogsRun.empty());
  // The toolbar shows Train pressed while the run goes.
  EXPECT_TRUE(view.checked[ControlId::Train]);
  EXPECT_FALSE(view.checked[ControlId::Stop]);
  EXPECT_EQ(
      view.takeMessageTexts(),
      (std::vector<std::string>{kRefuseNew, kRefuseNew, kRefuseFiles,
                                "Cannot scale data at this time.\nYou must first stop training the current "
                                "network."}));
  controller.command(ControlId::Stop);
  controller.waitForRunToEnd();
  EXPECT_FALSE(view.isEnabled(ControlId::Stop));
  EXPECT_TRUE(view.isEnabled(ControlId::Train));
  EXPECT_TRUE(view.checked[ControlId::Stop]);
  EXPECT_FALSE(view.checked[ControlId::Train]);
  EXPECT_FALSE(controller.training());
}

TEST_F(MainControllerTest, ARunToItsEndShowsTheLastEpochAndEnablesTheControls) {
  openXor();
  controller.command(ControlId::Train);
  controller.waitForRunToEnd();
  // The run's statistics reach the fields through the window's bridge; here
  // the test plays the bridge with the figures of the last epoch.
  EpochStatistics last;
  last.epoch = session().epochCount;
  last.trainPercent = 100;
  last.trainCorrect = 4;
  controller.showEpochStatistics(last);
  EXPECT_EQ(view.controlText(ControlId::TrainEpoch), std::to_string(session().epochCount));
  EXPECT_EQ(view.controlText(ControlId::TrainPercent), "100");
  for (const ControlId id : {ControlId::Train, ControlId::Test, ControlId::SaveWeights,
                             ControlId::LoadWeights, ControlId::HiddenLayerCount, ControlId::HiddenNeurons1})
    EXPECT_TRUE(view.isEnabled(id)) << controlNumber(id);
  EXPECT_FALSE(view.isEnabled(ControlId::Stop));
  EXPECT_FALSE(view.isEnabled(ControlId::HiddenNeurons2));
  EXPECT_TRUE(session().networkModified && session().weightsModified);
}

// The field checks as the panel applies them: refused values keep the
// setting and the display, with the range named.
TEST_F(MainControllerTest, FieldEditsAreCheckedAgainstTheirRanges) {
  struct Case {
    const char* name;
    ControlId id;
    const char* typed;
    const char* shown;
    const char* message;  // empty: none
  };
  const Case cases[] = {
      {"zero learning rate", ControlId::LearningRate, "0", "0.1",
       "The valid range is from 1.19209e-07 to 100"},
      {"the upper bound is accepted", ControlId::LearningRate, "100", "100", ""},
      {"an empty epoch limit", ControlId::MaxEpochs, "", "100000", "The valid range is from 1 to 2147483647"},
      {"an empty perturbation commits 0", ControlId::MaxPerturbation, "", "0", ""},
      {"minimum above the maximum", ControlId::MinWeight, "150", "-100",
       "The valid range is from -3.40282e+38 to 100"},
      {"minimum equal to the maximum", ControlId::MinWeight, "100", "100", ""},
      {"then the maximum cannot go below it", ControlId::MaxWeight, "50", "100",
       "The valid range is from 100 to 3.40282e+38"},
      {"a lone point", ControlId::Momentum, ".", ".", "The valid range is from 0 to 100"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view.messages.clear();
    commit(c.id, c.typed);
    EXPECT_EQ(view.controlText(c.id), c.shown);
    if (*c.message == '\0') {
      EXPECT_TRUE(view.messages.empty());
    } else {
      ASSERT_EQ(view.messages.size(), 1u);
      EXPECT_EQ(view.messages[0].title, "Invalid data");
      EXPECT_EQ(view.messages[0].text, c.message);
      EXPECT_EQ(view.focused, c.id);
    }
  }
  EXPECT_EQ(session().config.learningRate(), 100.0);
  EXPECT_EQ(session().config.minWeight(), 100.0);
  EXPECT_EQ(session().config.maxPerturbation(), 0);
}

TEST_F(MainControllerTest, APartialNumberIsCutBackAndCommittedOnlyWhenLeftAgain) {
  commit(ControlId::LearningRate, "1e");
  EXPECT_EQ(view.beeps, 1);
  EXPECT_EQ(view.controlText(ControlId::LearningRate), "1");
  EXPECT_EQ(session().config.learningRate(), 0.1);
  controller.fieldNotified(ControlId::LearningRate, FieldNotification::KillFocus);
  EXPECT_EQ(session().config.learningRate(), 1.0);
  EXPECT_TRUE(session().networkModified) << "a changed setting is worth the question";
}

TEST_F(MainControllerTest, MethodAndTopologyChanges) {
  controller.listSelected(ControlId::TrainingMethodList, "Online Backprop");
  EXPECT_FALSE(session().networkModified) << "the first Online Backprop notice";
  controller.listSelected(ControlId::TrainingMethodList, "RPROP");
  EXPECT_FALSE(view.isEnabled(ControlId::LearningRate));
  EXPECT_TRUE(session().networkModified);
  controller.listSelected(ControlId::TrainingMethodList, "Batch Backprop");
  EXPECT_TRUE(view.isEnabled(ControlId::LearningRate));
  controller.listSelected(ControlId::TrainingMethodList, "Delta-Bar-Delta");
  EXPECT_FALSE(view.isEnabled(ControlId::LearningRate));

  openXor();
  controller.listSelected(ControlId::HiddenActivation1, "tanh");
  EXPECT_FALSE(session().networkModified) << "an activation alone asks nothing";
  controller.command(ControlId::Train);
  controller.waitForRunToEnd();
  ASSERT_NE(session().network, nullptr);
  struct Step {
    ControlId id;
    const char* typed;
    FieldNotification notification;
    bool discards;
  };
  const Step steps[] = {
      {ControlId::HiddenNeurons1, "3", FieldNotification::KillFocus, false},
      {ControlId::HiddenNeurons1, "4", FieldNotification::KillFocus, true},
      {ControlId::HiddenLayerCount, "1", FieldNotification::Update, false},
      {ControlId::HiddenLayerCount, "5", FieldNotification::Update, true},
  };
  for (const Step& step : steps) {
    if (!session().network) {
      controller.command(ControlId::Train);
      controller.waitForRunToEnd();
    }
    view.setControlText(step.id, step.typed);
    controller.fieldNotified(step.id, step.notification);
    EXPECT_EQ(session().network == nullptr, step.discards) << controlNumber(step.id) << " " << step.typed;
  }
  for (int layer = 1; layer <= 5; ++layer) EXPECT_TRUE(view.isEnabled(hiddenNeuronsControl(layer)));
  view.setControlText(ControlId::HiddenLayerCount, "0");
  controller.fieldNotified(ControlId::HiddenLayerCount, FieldNotification::Update);
  for (int layer = 1; layer <= 5; ++layer) {
    EXPECT_FALSE(view.isEnabled(hiddenNeuronsControl(layer)));
    EXPECT_FALSE(view.isEnabled(hiddenActivationControl(layer)));
  }
}

TEST_F(MainControllerTest, CommandsWithoutWhatTheyNeed) {
  struct Case {
    const char* name;
    ControlId command;
    const char* message;
  };
  const Case cases[] = {
      {"C code without a network", ControlId::WriteCCode,
       "Cannot save network at this time because no network is defined"},
      {"analysis without a network", ControlId::ViewAnalysisPlot,
       "Cannot open error analysis at this time.\nNo network is currently loaded."},
      {"history without one", ControlId::ViewTrainingHistory,
       "The training history contains details about all training sessions\nassociated with the currently "
       "loaded "
       "weights.\n\nYou must either create a new set of weights by training a new network or\nload a "
       "previously "
       "saved weights file."},
      {"Test without testing data", ControlId::Test, "Test Data not loaded"},
  };
  for (const Case& c : cases) {
    controller.command(c.command);
    EXPECT_EQ(view.takeMessageTexts(), std::vector<std::string>{c.message}) << c.name;
  }
  view.choices = {{ChooseResult::Cancelled, ""}};
  controller.command(ControlId::TrainingData);
  ASSERT_TRUE(view.choices.empty());
  EXPECT_EQ(view.dialogs.back().first, FileKind::Training) << "the dialog is always shown";
}

// A cancelled name dialog is a cancel: nothing written, nothing reported,
// the settings still modified.
TEST_F(MainControllerTest, ACancelledSaveOrExportDialogChangesNothing) {
  openXor();
  controller.command(ControlId::Train);
  controller.waitForRunToEnd();
  sessionStorage.networkModified = true;
  view.choices = {{ChooseResult::Cancelled, ""}, {ChooseResult::Cancelled, ""}};
  EXPECT_FALSE(controller.command(ControlId::SaveNetworkAs));
  EXPECT_FALSE(controller.command(ControlId::WritePascalCode));
  EXPECT_TRUE(view.messages.empty());
  EXPECT_TRUE(session().networkModified);
  EXPECT_EQ(view.title, "Nodelyx - xor.net");

  view.choices = {{ChooseResult::Chosen, file("net.out")}};
  view.cancelOutputChoices = true;
  controller.command(ControlId::Test);
  EXPECT_EQ(view.outputQuestions, 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "net.out")) << "the question comes before the file";
  view.choices = {{ChooseResult::Chosen, file("net.out")}};
  view.cancelOutputChoices = false;
  controller.command(ControlId::Test);
  EXPECT_TRUE(std::filesystem::exists(dir / "net.out"));
  EXPECT_EQ(session().config.outputFile(), file("net.out"));
}

// Bad files get a message, and what was loaded before stays.
TEST_F(MainControllerTest, BadFilesAreExplainedAndLoseNothing) {
  openXor();
  controller.command(ControlId::Train);
  controller.waitForRunToEnd();
  std::filesystem::create_directory(dir / "folder.trn");
  const char binary[] =
      "[INPUTS] 2 [OUTPUTS] 1\n\x7f"
      "ELF\x02\x01\x01\0\0\0";
  dir.write("binary.trn", std::string(binary, sizeof binary - 1));
  dir.write("short.tst", "[INPUTS] 2\n[OUTPUTS] 1\n1 2\n");
  dir.write("other.wts", "[layertypes]\n1 1 1\n[Weights]\n3 1 1\n1 2 3 4\n");
  struct Case {
    const char* name;
    ControlId command;
    std::string path;
  };
  const Case cases[] = {
      {"binary data", ControlId::TrainingData, file("binary.trn")},
      {"too few values", ControlId::TestingData, file("short.tst")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view.choices = {{ChooseResult::Chosen, c.path}};
    controller.command(c.command);
    EXPECT_FALSE(view.messages.empty());
    view.messages.clear();
    EXPECT_EQ(session().trainingSet.patternCount, 4u);
    EXPECT_EQ(session().testingSet.patternCount, 4u);
    EXPECT_EQ(view.controlText(ControlId::TrainingFileText), "xor.trn");
  }
  // A folder is not a data file: the dialog asks for one again.
  view.choices = {{ChooseResult::Cancelled, ""}};
  controller.dropFiles({file("folder.trn")});
  EXPECT_EQ(view.dialogs.back().first, FileKind::Training);
  EXPECT_EQ(session().trainingSet.patternCount, 4u);
  view.choices = {{ChooseResult::Chosen, file("other.wts")}};
  controller.command(ControlId::LoadWeights);
  EXPECT_FALSE(view.messages.empty()) << "a weights file of another topology";
}

}  // namespace
}  // namespace nodelyx
