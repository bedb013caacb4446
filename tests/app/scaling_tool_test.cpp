// The data scaling tool's logic with a recording view: what it shows at the
// start, the checks and questions before a run, the enabled states, the
// range edits, and real runs on the worker (progress, Abort, messages).
#include "app/scaling_tool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <sstream>

#include "files/atomic_file.h"
#include "support/fake_dialog_view.h"
#include "support/temp_dir.h"

namespace nodelyx {
namespace {

using namespace scaling_tool;
using testing::FakeScalingToolView;

constexpr const char* kSameAsInput = "You must enter a different name than the input file";
constexpr const char* kSameAsOutput = "You must enter a different name than the output file";
constexpr const char* kSameAsScale = "You must enter a different name than the scale file";

std::string example(const char* name) {
  std::ifstream in(std::filesystem::path(NODELYX_SOURCE_DIR) / "examples" / name);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Holds the worker in its posts until the test opens it, as a GUI thread
// that is busy elsewhere would; meanwhile the run is surely going.
class Gate {
 public:
  void pass() {
    std::unique_lock<std::mutex> lock(mutex_);
    arrived_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return open_; });
  }
  bool waitForArrival() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return arrived_; });
  }
  void open() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool arrived_ = false;
  bool open_ = false;
};

// The tool window with its view; a run still going is aborted and served
// to its end when it goes.
struct ToolWindow {
  ToolWindow(const Session& session, HelpViewer& help, const std::filesystem::path& dir)
      : tool(session, view, help, dir / "program") {
    tool.initialize();
  }
  ~ToolWindow() {
    gate.open();
    tool.abortAndWait([this] { view.serveOne(std::chrono::steady_clock::now() + std::chrono::seconds(1)); });
  }
  void choose(int button, const std::string& path) {
    view.choices.push_back({ChooseResult::Chosen, path});
    tool.buttonClicked(button);
  }
  void holdWorker() {
    view.holdPoster = [this] { gate.pass(); };
  }
  bool serveToTheEnd() {
    gate.open();
    return view.serveUntil([this] { return !tool.running(); });
  }

  FakeScalingToolView view;
  Gate gate;
  ScalingTool tool;
};

class ScalingToolTest : public ::testing::Test {
 protected:
  ScalingToolTest() {
    dir.write("sine.trn", example("sine.trn"));
    dir.write("plain.trn", "1 2 3\n4 5 6\n");
  }

  std::string file(const char* name) const { return (dir / name).string(); }
  void loadSine() {
    RecordingReporter reporter;
    ASSERT_TRUE(loadDataFile(session, DataKind::Training, file("sine.trn"), {}, reporter));
  }
  std::unique_ptr<ToolWindow> open() { return std::make_unique<ToolWindow>(session, help, dir.path()); }
  // A window with the training set's file as input and the two others
  // chosen.
  std::unique_ptr<ToolWindow> openReady(const char* output = "out.trn", const char* scale = "out.scl") {
    loadSine();
    auto window = open();
    window->choose(OutputFile, file(output));
    window->choose(ScaleFile, file(scale));
    window->view.dialogs.clear();
    return window;
  }
  std::vector<std::string> filesInDir() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  testing::TempDir dir;
  Session session;
  testing::RecordingHelp help;
};

TEST_F(ScalingToolTest, StartsFromTheTrainingFileAndItsCounts) {
  struct Case {
    const char* name;
    bool trainingSet;
    const char* inputTitle;
    const char* counts;
  };
  for (const Case& c : {Case{"with_training_set", true, "sine.trn", "1"}, Case{"without", false, "", ""}}) {
    if (c.trainingSet)
      loadSine();
    else
      session.discardTrainingSet();
    auto window = open();
    const FakeScalingToolView& view = window->view;
    EXPECT_EQ(window->tool.job().inputPath, c.trainingSet ? file("sine.trn") : "") << c.name;
    const std::map<int, std::string> texts = {{InputFileTitle, c.inputTitle}, {OutputFileTitle, ""},
                                              {ScaleFileTitle, ""},           {InputCount, c.counts},
                                              {OutputCount, c.counts},        {InputLow, "0.000000"},
                                              {InputHigh, "1.000000"},        {OutputLow, "0.100000"},
                                              {OutputHigh, "0.900000"},       {Percent, "0 %"}};
    for (const auto& [id, text] : texts) EXPECT_EQ(view.controlText(id), text) << c.name << " control " << id;
    EXPECT_EQ(view.progress, 0) << c.name;
    for (const int id : {ScaleInputs, ScaleOutputs, WriteHeader, ScaleFromRanges})
      EXPECT_TRUE(view.isChecked(id)) << c.name << " control " << id;
    EXPECT_FALSE(view.isChecked(ScaleFromFile) || view.isChecked(UnscaleFromFile)) << c.name;
    EXPECT_FALSE(view.isEnabled(Abort)) << c.name;
    for (const int id : {Scale, Exit, InputFile, InputLow, InputHigh, OutputLow, OutputHigh})
      EXPECT_TRUE(view.isEnabled(id)) << c.name << " control " << id;
    // The single-precision defaults of the output range.
    EXPECT_EQ(window->tool.job().outputLow, 0.10000000149011612) << c.name;
    EXPECT_EQ(window->tool.job().outputHigh, 0.8999999761581421) << c.name;
  }
}

// A name taken by another of the three files is refused and forgotten, and
// the button's dialog comes again.
TEST_F(ScalingToolTest, ANameTakenByAnotherFileIsAskedForAgain) {
  struct Case {
    const char* name;
    int button;
    const char* taken;  // the name chosen first
    const char* message;
  };
  const Case cases[] = {
      {"output_as_input", OutputFile, "sine.trn", kSameAsInput},
      {"output_as_scale", OutputFile, "out.scl", kSameAsScale},
      {"scale_as_input", ScaleFile, "sine.trn", kSameAsInput},
      {"scale_as_output", ScaleFile, "out.trn", kSameAsOutput},
      {"input_as_output", InputFile, "out.trn", kSameAsOutput},
      {"input_as_scale", InputFile, "out.scl", kSameAsScale},
      // Another name of the input file would have it replaced by its output.
      {"input_under_another_name", OutputFile, "./sine.trn", kSameAsInput},
  };
  dir.write("out.trn", "[INPUTS] 1\n1\n");
  dir.write("out.scl", "");
  dir.write("other.trn", "[INPUTS] 1\n[OUTPUTS] 1\n1 2\n");
  for (const Case& c : cases) {
    auto window = openReady();
    FakeScalingToolView& view = window->view;
    const std::string fresh = file(c.button == InputFile    ? "other.trn"
                                   : c.button == OutputFile ? "new.trn"
                                                            : "new.scl");
    view.choices = {{ChooseResult::Chosen, file(c.taken)}, {ChooseResult::Chosen, fresh}};
    window->tool.buttonClicked(c.button);
    ASSERT_EQ(view.messages.size(), 1u) << c.name;
    EXPECT_EQ(view.messages[0].title + ": " + view.messages[0].text, std::string("Warning: ") + c.message)
        << c.name;
    EXPECT_EQ(view.messages[0].icon, MessageIcon::Warning) << c.name;
    ASSERT_EQ(view.dialogs.size(), 2u) << c.name;
    EXPECT_EQ(view.dialogs[1].initialName, "") << c.name << ": the refused name is forgotten";
    const ScalingJob& job = window->tool.job();
    EXPECT_EQ(c.button == InputFile    ? job.inputPath
              : c.button == OutputFile ? job.outputPath
                                       : job.scalePath,
              fresh)
        << c.name;
  }
}

// The file buttons ask every time, so a choice can be changed; a cancelled
// dialog keeps the choice.
TEST_F(ScalingToolTest, FileButtonsAskEveryTime) {
  auto window = openReady("first.trn", "first.scl");
  FakeScalingToolView& view = window->view;
  window->choose(OutputFile, file("second.trn"));
  window->choose(ScaleFile, file("second.scl"));
  view.choices = {{ChooseResult::Cancelled, ""}, {ChooseResult::Cancelled, ""}};
  window->tool.buttonClicked(OutputFile);
  window->tool.buttonClicked(ScaleFile);
  ASSERT_EQ(view.dialogs.size(), 4u);
  EXPECT_EQ(view.dialogs[0].kind, FileKind::Data);
  EXPECT_EQ(view.dialogs[0].mode, DialogMode::Save);
  EXPECT_EQ(view.dialogs[0].initialName, file("first.trn"));
  EXPECT_EQ(view.dialogs[1].kind, FileKind::Scale);
  EXPECT_EQ(view.dialogs[1].initialName, file("first.scl"));
  EXPECT_EQ(window->tool.job().outputPath, file("second.trn"));
  EXPECT_EQ(window->tool.job().scalePath, file("second.scl"));
  EXPECT_EQ(view.controlText(OutputFileTitle), "second.trn");
  EXPECT_EQ(view.controlText(ScaleFileTitle), "second.scl");
}

// The Input File button shows the counts of the header, or asks for those
// of a plain table; cancelling the question forgets the file.
TEST_F(ScalingToolTest, InputFileShowsItsCounts) {
  struct Case {
    const char* name;
    const char* text;
    std::optional<InputsOutputs> answer;
    const char* inputs;
    const char* outputs;
    const char* title;
  };
  const Case cases[] = {
      {"both_counts", "[INPUTS] 3\n[OUTPUTS] 2\n1 2 3 4 5\n", std::nullopt, "3", "2", "data.trn"},
      {"inputs_only", "* note\n[INPUTS] 4\n1 2 3 4\n", std::nullopt, "4", "0", "data.trn"},
      {"plain_table_answered", "1 2 3\n4 5 6\n", InputsOutputs{2, 1}, "2", "1", "data.trn"},
      {"plain_table_cancelled", "1 2 3\n4 5 6\n", std::nullopt, "", "", ""},
  };
  for (const Case& c : cases) {
    dir.write("data.trn", c.text);
    auto window = open();
    window->view.inputsOutputs = c.answer;
    window->choose(InputFile, file("data.trn"));
    EXPECT_EQ(window->view.dialogs.at(0).mode, DialogMode::Open) << c.name;
    EXPECT_EQ(window->view.controlText(InputCount), c.inputs) << c.name;
    EXPECT_EQ(window->view.controlText(OutputCount), c.outputs) << c.name;
    EXPECT_EQ(window->view.controlText(InputFileTitle), c.title) << c.name;
    const bool plain = c.text[0] == '1';
    EXPECT_EQ(window->view.questionCounts,
              plain ? std::vector<std::uint32_t>{3} : std::vector<std::uint32_t>{})
        << c.name;
  }
}

// Each missing piece is asked for in turn, and nothing starts.
TEST_F(ScalingToolTest, ScaleChecksWhatIsMissingInOrder) {
  struct Case {
    const char* name;
    std::function<void(ToolWindow&)> setUp;
    std::string message;  // "Title: text"
    MessageIcon icon;
    std::optional<FileKind> dialog;  // the button pressed after the message
    int focused;
  };
  const std::string noScale = "Warning: You have not entered a valid scale file name.\n";
  const auto to = [this](const char* output, const char* scale, int action = 0) {
    return [this, output, scale, action](ToolWindow& w) {
      if (output) w.choose(OutputFile, file(output));
      if (scale) w.choose(ScaleFile, file(scale));
      if (action) w.tool.radioClicked(action);
    };
  };
  const Case cases[] = {
      {"no_input", [](ToolWindow& w) { w.view.choices.clear(); }, "Error: Please select an input file",
       MessageIcon::None, FileKind::Data, 0},
      {"no_output", to(nullptr, nullptr), "Error: Please select an output file", MessageIcon::None,
       FileKind::Data, 0},
      {"no_scale_file_to_write", to("out.trn", nullptr),
       noScale + "The scale file records the scaling factors for future use.\nIn order to unscale this file "
                 "or scale "
                 "another file\nin the future, you must enter a valid file name.\n",
       MessageIcon::Information, FileKind::Scale, 0},
      {"no_scale_file_to_scale_by", to("out.trn", nullptr, ScaleFromFile),
       noScale + "To scale this data using existing scale factors,\nyou must enter the name of the file that "
                 "contains\nthe scale factors to use\n",
       MessageIcon::Information, FileKind::Scale, 0},
      {"no_scale_file_to_unscale_by", to("out.trn", nullptr, UnscaleFromFile),
       noScale +
           "To unscale this data you must enter the name of the \nfile that contains the scale factors used "
           "when\nthe data were originally scaled.\n",
       MessageIcon::Information, FileKind::Scale, 0},
      {"no_input_count", to("out.trn", "out.scl"), "Warning: Please enter the number of inputs.",
       MessageIcon::Information, std::nullopt, InputCount},
      {"no_output_count_with_inputs_kept",
       [&](ToolWindow& w) {
         to("out.trn", "out.scl")(w);
         w.tool.checkBoxClicked(ScaleInputs, false);
       },
       "Warning: Please enter the number of outputs.", MessageIcon::Information, std::nullopt, OutputCount},
  };
  for (const Case& c : cases) {
    // The training file is known but not loaded: no counts.
    session.config.setTrainingFile(c.name == std::string("no_input") ? "" : file("sine.trn"));
    auto window = open();
    c.setUp(*window);
    FakeScalingToolView& view = window->view;
    view.messages.clear();
    view.dialogs.clear();
    view.choices = {{ChooseResult::Cancelled, ""}};
    window->tool.buttonClicked(Scale);
    ASSERT_EQ(view.messages.size(), 1u) << c.name;
    EXPECT_EQ(view.messages[0].title + ": " + view.messages[0].text, c.message) << c.name;
    EXPECT_EQ(view.messages[0].icon, c.icon) << c.name;
    std::vector<FileKind> asked;
    for (const auto& dialog : view.dialogs) asked.push_back(dialog.kind);
    EXPECT_EQ(asked, c.dialog ? std::vector<FileKind>{*c.dialog} : std::vector<FileKind>{}) << c.name;
    EXPECT_EQ(view.focused, c.focused) << c.name;
    EXPECT_FALSE(window->tool.running()) << c.name;
  }
}

// Files the run would replace are named first; No leaves everything as it
// was.
TEST_F(ScalingToolTest, AsksBeforeReplacingFiles) {
  struct Case {
    const char* name;
    int action;
    const char* scale;
    std::vector<const char*> named;  // the files the question names
  };
  dir.write("params.scl", "[INPUTS] 1\n[OUTPUTS] 1\n[MINIMUMS] 0 0\n[MAXIMUMS] 7 1\n");
  const Case cases[] = {
      {"output", ScaleFromRanges, "new.scl", {"out.trn"}},
      {"output_and_scale_file", ScaleFromRanges, "params.scl", {"out.trn", "params.scl"}},
      {"scale_file_is_only_read", ScaleFromFile, "params.scl", {"out.trn"}},
  };
  for (const Case& c : cases) {
    dir.write("out.trn", "old");
    auto window = openReady("out.trn", c.scale);
    window->tool.radioClicked(c.action);
    window->view.answers = {MessageAnswer::No};
    window->tool.buttonClicked(Scale);
    std::string text = "The following files will be overwritten:\n\n";
    for (const char* name : c.named) text += file(name) + "\n";
    text += "\nAre you sure you want to proceed?";
    ASSERT_EQ(window->view.messages.size(), 1u) << c.name;
    EXPECT_EQ(window->view.messages[0].title, "Warning") << c.name;
    EXPECT_EQ(window->view.messages[0].text, text) << c.name;
    EXPECT_EQ(window->view.messages[0].icon, MessageIcon::Information) << c.name;
    EXPECT_FALSE(window->tool.running()) << c.name;
    EXPECT_TRUE(window->view.isEnabled(Scale)) << c.name;
    std::string kept;
    readWholeFile(dir / "out.trn", kept);
    EXPECT_EQ(kept, "old") << c.name;
    EXPECT_FALSE(std::filesystem::exists(dir / "new.scl")) << c.name;
  }
}

TEST_F(ScalingToolTest, RangeEditsEnableByCheckBoxAndAction) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, bool>> clicks;  // check box and state, or radio button
    bool inputs, outputs;
  };
  const Case cases[] = {
      {"inputs_cleared", {{ScaleInputs, false}}, false, true},
      {"outputs_cleared", {{ScaleOutputs, false}}, true, false},
      {"inputs_set_again", {{ScaleInputs, false}, {ScaleInputs, true}}, true, true},
      {"scale_from_file", {{ScaleFromFile, true}}, false, false},
      {"unscale_from_file", {{UnscaleFromFile, true}}, false, false},
      {"back_to_ranges_keeps_the_boxes",
       {{ScaleInputs, false}, {ScaleFromFile, true}, {ScaleFromRanges, true}},
       false,
       true},
      {"box_set_while_from_file",
       {{UnscaleFromFile, true}, {ScaleOutputs, false}, {ScaleOutputs, true}},
       false,
       false},
  };
  for (const Case& c : cases) {
    auto window = open();
    for (const auto& [id, on] : c.clicks) {
      if (id == ScaleInputs || id == ScaleOutputs)
        window->tool.checkBoxClicked(id, on);
      else
        window->tool.radioClicked(id);
    }
    const FakeScalingToolView& view = window->view;
    EXPECT_EQ(view.isEnabled(InputLow) && view.isEnabled(InputHigh), c.inputs) << c.name;
    EXPECT_EQ(view.isEnabled(InputLow) || view.isEnabled(InputHigh), c.inputs) << c.name;
    EXPECT_EQ(view.isEnabled(OutputLow) && view.isEnabled(OutputHigh), c.outputs) << c.name;
    EXPECT_EQ(view.isEnabled(OutputLow) || view.isEnabled(OutputHigh), c.outputs) << c.name;
  }
}

// A low bound may go up to its group's high bound, a high bound down to its
// group's low bound, both within -99999 .. 99999.
TEST_F(ScalingToolTest, RangeEditsKeepLowAtMostHigh) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, const char*>> typed;  // each field left after typing
    double inputLow, inputHigh, outputLow, outputHigh;
    const char* message;  // "": none
  };
  const double low = 0.10000000149011612, high = 0.8999999761581421;
  const Case cases[] = {
      {"low_up_to_high", {{InputLow, "1"}}, 1, 1, low, high, ""},
      {"low_above_high", {{InputLow, "1.5"}}, 0, 1, low, high, "The valid range is from -99999 to 1"},
      {"high_below_low", {{OutputHigh, "0.05"}}, 0, 1, low, high, "The valid range is from 0.1 to 99999"},
      {"raised_high_lets_low_follow", {{InputHigh, "5"}, {InputLow, "4"}}, 4, 5, low, high, ""},
      {"widest", {{InputLow, "-99999"}, {OutputHigh, "99999"}}, -99999, 1, low, 99999, ""},
      {"beyond_the_top", {{InputHigh, "100000"}}, 0, 1, low, high, "The valid range is from 0 to 99999"},
      {"beyond_the_bottom", {{OutputLow, "-1e5"}}, 0, 1, low, high, "The valid range is from -99999 to 0.9"},
  };
  for (const Case& c : cases) {
    auto window = open();
    for (const auto& [id, text] : c.typed) {
      window->view.setControlText(id, text);
      window->tool.fieldNotified(id, FieldNotification::KillFocus);
    }
    const ScalingJob& job = window->tool.job();
    EXPECT_EQ(job.inputLow, c.inputLow) << c.name;
    EXPECT_EQ(job.inputHigh, c.inputHigh) << c.name;
    EXPECT_EQ(job.outputLow, c.outputLow) << c.name;
    EXPECT_EQ(job.outputHigh, c.outputHigh) << c.name;
    const std::vector<std::string> messages = window->view.takeMessageTexts();
    EXPECT_EQ(messages, *c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{})
        << c.name;
  }
}

// While the worker runs only Abort (and Help) can be used, and the window
// cannot be closed; afterwards everything is as before.
TEST_F(ScalingToolTest, ControlsWhileRunningAndAfter) {
  auto window = openReady();
  window->tool.checkBoxClicked(ScaleOutputs, false);
  window->holdWorker();
  window->tool.buttonClicked(Scale);
  ASSERT_TRUE(window->gate.waitForArrival());
  const FakeScalingToolView& view = window->view;
  EXPECT_TRUE(window->tool.running());
  EXPECT_TRUE(view.isEnabled(Abort));
  for (const int id : {Scale, Exit, InputFile, OutputFile, ScaleFile, WriteHeader, ScaleFromRanges,
                       ScaleFromFile, UnscaleFromFile, InputLow, InputHigh, OutputLow, OutputHigh, InputCount,
                       OutputCount, ScaleInputs, ScaleOutputs})
    EXPECT_FALSE(view.isEnabled(id)) << "control " << id;
  EXPECT_FALSE(window->tool.closeRequested());
  window->tool.buttonClicked(Exit);
  window->tool.buttonClicked(Help);
  EXPECT_EQ(view.ends, 0);
  EXPECT_EQ(help.keywords, std::vector<std::string>{"Normalization"});

  ASSERT_TRUE(window->serveToTheEnd());
  EXPECT_FALSE(view.isEnabled(Abort));
  for (const int id :
       {Scale, Exit, InputFile, OutputFile, ScaleFile, WriteHeader, ScaleFromRanges, ScaleFromFile,
        UnscaleFromFile, InputLow, InputHigh, InputCount, OutputCount, ScaleInputs, ScaleOutputs})
    EXPECT_TRUE(view.isEnabled(id)) << "control " << id;
  EXPECT_FALSE(view.isEnabled(OutputLow) || view.isEnabled(OutputHigh)) << "their box is cleared";
  EXPECT_EQ(view.progress, 100);
  EXPECT_EQ(view.controlText(Percent), "100 %");
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(filesInDir(), (std::vector<std::string>{"out.scl", "out.trn", "plain.trn", "sine.trn"}));
  EXPECT_TRUE(window->tool.closeRequested());
  EXPECT_EQ(view.ends, 1);
}

TEST_F(ScalingToolTest, AbortLeavesNothingBehind) {
  dir.write("out.scl", "kept");  // a file the aborted run would have replaced
  auto window = openReady("out.trn", "out.scl");
  window->view.answers = {MessageAnswer::Yes};
  window->holdWorker();
  window->tool.buttonClicked(Scale);
  ASSERT_TRUE(window->gate.waitForArrival());
  window->tool.buttonClicked(Abort);
  ASSERT_TRUE(window->serveToTheEnd());
  EXPECT_EQ(filesInDir(), (std::vector<std::string>{"out.scl", "plain.trn", "sine.trn"}));
  std::string kept;
  readWholeFile(dir / "out.scl", kept);
  EXPECT_EQ(kept, "kept");
  EXPECT_EQ(window->view.progress, 0);
  EXPECT_EQ(window->view.controlText(Percent), "0 %");
  EXPECT_TRUE(window->view.isEnabled(Scale));
}

// The worker's messages reach the window (the worker waits for them), and
// the counts of a header replace those the window had.
TEST_F(ScalingToolTest, RunsShowTheWorkersMessagesAndCounts) {
  session.config.setTrainingFile(file("sine.trn"));  // not loaded: no counts shown
  dir.write("other.scl", "[INPUTS] 2\n[OUTPUTS] 1\n[MINIMUMS] 0 0 0\n[MAXIMUMS] 1 1 1\n");
  auto window = open();
  window->choose(OutputFile, file("out.trn"));
  window->choose(ScaleFile, file("other.scl"));
  window->tool.radioClicked(UnscaleFromFile);
  window->tool.buttonClicked(Scale);
  ASSERT_TRUE(window->serveToTheEnd());
  const FakeScalingToolView& view = window->view;
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].title, "Error");
  EXPECT_EQ(view.messages[0].text.rfind("Invalid Scale File\n", 0), 0u) << view.messages[0].text;
  EXPECT_EQ(view.controlText(InputCount), "1");
  EXPECT_EQ(view.controlText(OutputCount), "1");
  EXPECT_EQ(view.progress, 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "out.trn"));
}

TEST_F(ScalingToolTest, ExitAndHelp) {
  auto window = open();
  window->tool.buttonClicked(Help);
  EXPECT_EQ(help.keywords, std::vector<std::string>{"Normalization"});
  EXPECT_EQ(window->view.ends, 0);
  window->tool.buttonClicked(Exit);
  EXPECT_EQ(window->view.ends, 1);
}

}  // namespace
}  // namespace nodelyx
