// The data scaling tool's logic with a recording view: the start, the checks
// and questions before a run, the enabled states, the range edits, and real
// runs on the worker (progress, Abort, the worker's messages).
#include "app/scaling_tool.h"

#include <gtest/gtest.h>

#include <future>

#include "files/atomic_file.h"
#include "support/fake_dialog_view.h"
#include "support/temp_dir.h"

namespace nodelyx {
namespace {

using namespace scaling_tool;
using Texts = std::vector<std::string>;

Texts texts(const std::vector<Message>& messages) {
  Texts result;
  for (const Message& m : messages) result.push_back(m.title + ": " + m.text);
  return result;
}

// The tool with its view. holdWorker() keeps the worker in its first post
// (the run is then surely going) until the end is served.
struct ToolWindow {
  ToolWindow(const Session& session, HelpViewer& help) : tool(session, view, help, "") { tool.initialize(); }
  ~ToolWindow() {
    releaseWorker();
    tool.abortAndWait([this] { view.serveOne(); });
  }
  void choose(int button, const std::string& path) {
    view.choices.push_back(path);
    tool.buttonClicked(button);
  }
  void holdWorker() {
    view.holdPoster = [this] {
      std::call_once(first_, [this] { arrived_.set_value(); });
      released_.wait();
    };
  }
  bool workerHeld() {
    return arrived_.get_future().wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  }
  void releaseWorker() {
    if (!releasedSet_) release_.set_value();
    releasedSet_ = true;
  }
  bool serveToTheEnd() {
    releaseWorker();
    while (tool.running())
      if (!view.serveOne()) return false;
    return true;
  }

  testing::FakeScalingToolView view;
  ScalingTool tool;

 private:
  std::once_flag first_;
  std::promise<void> arrived_, release_;
  std::shared_future<void> released_ = release_.get_future().share();
  bool releasedSet_ = false;
};

class ScalingToolTest : public ::testing::Test {
 protected:
  ScalingToolTest() {
    dir.write("sine.trn", "[INPUTS] 1\n[OUTPUTS] 1\n0 0.5\n1 0.75\n2 1\n");
    dir.write("in2.trn", "[INPUTS] 1\n[OUTPUTS] 1\n1 2\n");
  }
  std::string file(const char* name) const { return (dir / name).string(); }
  void loadSine() {
    RecordingReporter reporter;
    ASSERT_TRUE(loadDataFile(session, DataKind::Training, file("sine.trn"), {}, reporter));
  }
  // The training set's file as input, and the two others chosen.
  std::unique_ptr<ToolWindow> open(const char* output = nullptr, const char* scale = nullptr) {
    auto window = std::make_unique<ToolWindow>(session, help);
    if (output) window->choose(OutputFile, file(output));
    if (scale) window->choose(ScaleFile, file(scale));
    window->view.dialogs.clear();
    return window;
  }
  std::string read(const char* name) const {
    std::string text;
    readWholeFile(dir / name, text);
    return text;
  }
  std::size_t fileCount() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
  }

  testing::TempDir dir;
  Session session;
  testing::RecordingHelp help;
};

TEST_F(ScalingToolTest, StartsFromTheTrainingFileAndItsCounts) {
  for (const bool loaded : {true, false}) {
    SCOPED_TRACE(loaded ? "training set" : "none");
    if (loaded) loadSine();
    if (!loaded) session.discardTrainingSet();
    auto window = open();
    const auto& view = window->view;
    EXPECT_EQ(window->tool.job().inputPath, loaded ? file("sine.trn") : "");
    const std::map<int, std::string> shown = {{InputFileTitle, loaded ? "sine.trn" : ""},
                                              {OutputFileTitle, ""},
                                              {InputCount, loaded ? "1" : ""},
                                              {OutputCount, loaded ? "1" : ""},
                                              {InputLow, "0.000000"},
                                              {InputHigh, "1.000000"},
                                              {OutputLow, "0.100000"},
                                              {OutputHigh, "0.900000"},
                                              {Percent, "0 %"}};
    for (const auto& [id, text] : shown) EXPECT_EQ(view.controlText(id), text) << id;
    for (const int id : {ScaleInputs, ScaleOutputs, WriteHeader, ScaleFromRanges})
      EXPECT_TRUE(view.isChecked(id));
    EXPECT_FALSE(view.isEnabled(Abort));
    for (const int id : {Scale, Exit, InputFile, InputLow, OutputHigh}) EXPECT_TRUE(view.isEnabled(id)) << id;
    EXPECT_EQ(window->tool.job().outputHigh, 0.8999999761581421) << "single precision";
  }
}

// A name another of the three files has is refused and forgotten, and the
// button's dialog comes again; the file buttons ask every time.
TEST_F(ScalingToolTest, ANameTakenByAnotherFileIsAskedForAgain) {
  struct Case {
    const char* name;
    int button;
    const char* taken;
    const char* other;
  };
  const Case cases[] = {
      {"output_as_input", OutputFile, "sine.trn", "input"},
      {"output_as_scale", OutputFile, "out.scl", "scale"},
      {"scale_as_input", ScaleFile, "sine.trn", "input"},
      {"scale_as_output", ScaleFile, "out.trn", "output"},
      {"input_as_output", InputFile, "out.trn", "output"},
      {"input_as_scale", InputFile, "out.scl", "scale"},
      {"input_by_another_name", OutputFile, "./sine.trn", "input"},  // would replace its own input
  };
  loadSine();
  dir.write("out.trn", "[INPUTS] 1\n1\n");
  dir.write("out.scl", "");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto window = open("out.trn", "out.scl");
    const std::string fresh = file(c.button == InputFile ? "in2.trn" : "new");
    window->view.choices = {file(c.taken), fresh};
    window->tool.buttonClicked(c.button);
    EXPECT_EQ(texts(window->view.messages),
              Texts{std::string("Warning: You must enter a different name than the ") + c.other + " file"});
    EXPECT_EQ(window->view.messages.at(0).icon, MessageIcon::Warning);
    ASSERT_EQ(window->view.dialogs.size(), 2u);
    EXPECT_EQ(window->view.dialogs[0].initialName,
              c.button == InputFile ? file("sine.trn")
                                    : file("out") + std::string(c.button == OutputFile ? ".trn" : ".scl"));
    EXPECT_EQ(window->view.dialogs[1].initialName, "") << "the refused name is forgotten";
    const ScalingJob& job = window->tool.job();
    EXPECT_EQ(c.button == InputFile    ? job.inputPath
              : c.button == OutputFile ? job.outputPath
                                       : job.scalePath,
              fresh);
  }
}

TEST_F(ScalingToolTest, InputFileShowsItsCounts) {
  struct Case {
    const char* name;
    const char* text;
    std::optional<InputsOutputs> answer;
    Texts shown;  // inputs, outputs, title
  };
  const Case cases[] = {
      {"both_counts", "[INPUTS] 3\n[OUTPUTS] 2\n1 2 3 4 5\n", {}, {"3", "2", "d.trn"}},
      {"inputs_only", "* note\n[INPUTS] 4\n1 2 3 4\n", {}, {"4", "0", "d.trn"}},
      {"plain_table", "1 2 3\n4 5 6\n", InputsOutputs{2, 1}, {"2", "1", "d.trn"}},
      {"plain_table_cancelled", "1 2 3\n4 5 6\n", {}, {"", "", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dir.write("d.trn", c.text);
    auto window = open();
    window->view.inputsOutputs = c.answer;
    window->choose(InputFile, file("d.trn"));
    const auto& view = window->view;
    EXPECT_EQ(view.dialogs.at(0).mode, DialogMode::Open);
    EXPECT_EQ((Texts{view.controlText(InputCount), view.controlText(OutputCount),
                     view.controlText(InputFileTitle)}),
              c.shown);
    EXPECT_EQ(view.questionCounts.size(), c.text[0] == '1' ? 1u : 0u);
  }
}

// Each missing piece is asked for in turn, with the button that gives it
// pressed (its dialog cancelled here), and nothing starts.
TEST_F(ScalingToolTest, ScaleChecksWhatIsMissingInOrder) {
  const std::string noScale = "Warning: You have not entered a valid scale file name.\n";
  const std::string toWrite =
      noScale +
      "The scale file records the scaling factors for future use.\nIn order to unscale "
      "this file or scale another file\nin the future, you must enter a valid file name.\n";
  const std::string toScaleBy =
      noScale +
      "To scale this data using existing scale factors,\nyou must enter the name of "
      "the file that contains\nthe scale factors to use\n";
  const std::string toUnscaleBy =
      noScale +
      "To unscale this data you must enter the name of the \nfile that contains the "
      "scale factors used when\nthe data were originally scaled.\n";
  struct Case {
    const char* name;
    int given;  // 0: the input file, 1: and the output file, 2: and the scale file
    int action;
    bool scaleInputs;
    std::string message;
    int dialog;  // the kind of the dialog shown after it; 0: none, the count field focused
  };
  const Case cases[] = {
      {"no_output", 0, ScaleFromRanges, true, "Error: Please select an output file", 6},
      {"no_scale_file_to_write", 1, ScaleFromRanges, true, toWrite, 7},
      {"no_scale_file_to_scale_by", 1, ScaleFromFile, true, toScaleBy, 7},
      {"no_scale_file_to_unscale_by", 1, UnscaleFromFile, true, toUnscaleBy, 7},
      {"no_input_count", 2, ScaleFromRanges, true, "Warning: Please enter the number of inputs.", 0},
      {"no_output_count", 2, ScaleFromRanges, false, "Warning: Please enter the number of outputs.", 0},
  };
  session.config.setTrainingFile(file("sine.trn"));  // known, not loaded: no counts
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto window = open(c.given >= 1 ? "o.trn" : nullptr, c.given >= 2 ? "o.scl" : nullptr);
    window->tool.radioClicked(c.action);
    window->tool.checkBoxClicked(ScaleInputs, c.scaleInputs);
    window->view.choices = {""};
    window->tool.buttonClicked(Scale);
    EXPECT_EQ(texts(window->view.messages), Texts{c.message});
    EXPECT_EQ(window->view.messages.at(0).icon, c.given == 0 ? MessageIcon::None : MessageIcon::Information);
    std::vector<int> asked;
    for (const auto& dialog : window->view.dialogs) asked.push_back(static_cast<int>(dialog.kind));
    EXPECT_EQ(asked, c.dialog ? std::vector<int>{c.dialog} : std::vector<int>{});
    EXPECT_EQ(window->view.focused, c.dialog ? 0 : c.scaleInputs ? InputCount : OutputCount);
    EXPECT_FALSE(window->tool.running());
  }
  session.config.setTrainingFile("");
  auto window = open("o.trn", "o.scl");
  window->view.choices = {""};
  window->tool.buttonClicked(Scale);
  EXPECT_EQ(texts(window->view.messages), Texts{"Error: Please select an input file"});
  EXPECT_EQ(window->view.dialogs.at(0).mode, DialogMode::Open);
}

// The files a run would replace are named first; No changes nothing.
TEST_F(ScalingToolTest, AsksBeforeReplacingFiles) {
  struct Case {
    const char* name;
    int action;
    const char* scale;
    std::vector<const char*> named;
  };
  const Case cases[] = {
      {"output", ScaleFromRanges, "new.scl", {"out.trn"}},
      {"output_and_scale_file", ScaleFromRanges, "old.scl", {"out.trn", "old.scl"}},
      {"scale_file_only_read", ScaleFromFile, "old.scl", {"out.trn"}},
  };
  loadSine();
  dir.write("old.scl", "old");
  dir.write("out.trn", "old");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto window = open("out.trn", c.scale);
    window->tool.radioClicked(c.action);
    window->view.answers = {MessageAnswer::No};
    window->tool.buttonClicked(Scale);
    std::string text = "Warning: The following files will be overwritten:\n\n";
    for (const char* name : c.named) text += file(name) + "\n";
    EXPECT_EQ(texts(window->view.messages), Texts{text + "\nAre you sure you want to proceed?"});
    EXPECT_EQ(window->view.messages.at(0).icon, MessageIcon::Information);
    EXPECT_FALSE(window->tool.running());
    EXPECT_EQ(read("out.trn") + read("old.scl"), "oldold");
    EXPECT_EQ(fileCount(), 4u);
  }
}

TEST_F(ScalingToolTest, RangeEditsFollowTheirBoxAndTheAction) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, bool>> clicks;  // a check box and its state, or a radio button
    bool inputs, outputs;
  };
  const Case cases[] = {
      {"inputs_cleared", {{ScaleInputs, false}}, false, true},
      {"outputs_cleared_and_set", {{ScaleOutputs, false}, {ScaleOutputs, true}}, true, true},
      {"scale_from_file", {{ScaleFromFile, true}}, false, false},
      {"back_to_ranges",
       {{ScaleInputs, false}, {UnscaleFromFile, true}, {ScaleFromRanges, true}},
       false,
       true},
      {"box_set_while_from_file",
       {{ScaleFromFile, true}, {ScaleOutputs, false}, {ScaleOutputs, true}},
       false,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto window = open();
    for (const auto& [id, on] : c.clicks) {
      if (id == ScaleInputs || id == ScaleOutputs) window->tool.checkBoxClicked(id, on);
      if (id != ScaleInputs && id != ScaleOutputs) window->tool.radioClicked(id);
    }
    const auto& view = window->view;
    EXPECT_EQ((std::vector<bool>{view.isEnabled(InputLow), view.isEnabled(InputHigh),
                                 view.isEnabled(OutputLow), view.isEnabled(OutputHigh)}),
              (std::vector<bool>{c.inputs, c.inputs, c.outputs, c.outputs}));
  }
}

// A low bound goes up to its group's high bound, a high bound down to its
// group's low bound, both within -99999 .. 99999.
TEST_F(ScalingToolTest, RangeEditsKeepLowAtMostHigh) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, const char*>> typed;
    std::vector<double> ranges;  // inputLow, inputHigh, outputLow, outputHigh
    const char* message;
  };
  const double low = 0.10000000149011612, high = 0.8999999761581421;
  const Case cases[] = {
      {"low_up_to_high", {{InputLow, "1"}}, {1, 1, low, high}, nullptr},
      {"low_above_high", {{InputLow, "1.5"}}, {0, 1, low, high}, "The valid range is from -99999 to 1"},
      {"high_below_low", {{OutputHigh, "0.05"}}, {0, 1, low, high}, "The valid range is from 0.1 to 99999"},
      {"raised_high_lets_low_follow", {{InputHigh, "5"}, {InputLow, "4"}}, {4, 5, low, high}, nullptr},
      {"widest", {{InputLow, "-99999"}, {OutputHigh, "99999"}}, {-99999, 1, low, 99999}, nullptr},
      {"beyond_the_top", {{InputHigh, "100000"}}, {0, 1, low, high}, "The valid range is from 0 to 99999"},
      {"beyond_the_bottom",
       {{OutputLow, "-1e5"}},
       {0, 1, low, high},
       "The valid range is from -99999 to 0.9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto window = open();
    for (const auto& [id, text] : c.typed) {
      window->view.setControlText(id, text);
      window->tool.fieldNotified(id, FieldNotification::KillFocus);
    }
    const ScalingJob& job = window->tool.job();
    EXPECT_EQ((std::vector<double>{job.inputLow, job.inputHigh, job.outputLow, job.outputHigh}), c.ranges);
    EXPECT_EQ(texts(window->view.messages),
              c.message ? Texts{std::string("Invalid data: ") + c.message} : Texts{});
  }
}

// While the worker runs only Abort and Help work and the window stays open;
// afterwards everything is as before and a completed run shows 100 %.
TEST_F(ScalingToolTest, ControlsWhileRunningAndAfter) {
  loadSine();
  auto window = open("out.trn", "out.scl");
  window->tool.checkBoxClicked(ScaleOutputs, false);
  window->holdWorker();
  window->tool.buttonClicked(Scale);
  ASSERT_TRUE(window->workerHeld());
  const auto& view = window->view;
  const std::vector<int> idle = {Scale,           Exit,       InputFile,   OutputFile,      ScaleFile,
                                 WriteHeader,     InputLow,   InputHigh,   ScaleFromRanges, ScaleFromFile,
                                 UnscaleFromFile, InputCount, OutputCount, ScaleInputs,     ScaleOutputs};
  EXPECT_TRUE(view.isEnabled(Abort));
  for (const int id : idle) EXPECT_FALSE(view.isEnabled(id)) << id;
  EXPECT_FALSE(view.isEnabled(OutputLow) || view.isEnabled(OutputHigh));
  EXPECT_FALSE(window->tool.closeRequested());
  window->tool.buttonClicked(Exit);
  window->tool.buttonClicked(Help);
  EXPECT_EQ(view.ends, 0);
  EXPECT_EQ(help.keywords, Texts{"Normalization"});

  ASSERT_TRUE(window->serveToTheEnd());
  EXPECT_FALSE(view.isEnabled(Abort));
  for (const int id : idle) EXPECT_TRUE(view.isEnabled(id)) << id;
  EXPECT_FALSE(view.isEnabled(OutputLow) || view.isEnabled(OutputHigh)) << "their box is cleared";
  EXPECT_EQ(view.progress, 100);
  EXPECT_EQ(view.controlText(Percent), "100 %");
  EXPECT_EQ(read("out.trn"),
            "[INPUTS] 1\n[OUTPUTS] 1\n0.000000 0.500000 \n0.500000 0.750000 \n1.000000 1.000000 \n");
  EXPECT_TRUE(window->tool.closeRequested());
  window->tool.buttonClicked(Exit);
  EXPECT_EQ(view.ends, 2);
}

TEST_F(ScalingToolTest, AbortLeavesNothingBehind) {
  loadSine();
  dir.write("out.scl", "kept");  // what the run would have replaced
  auto window = open("out.trn", "out.scl");
  window->view.answers = {MessageAnswer::Yes};
  window->holdWorker();
  window->tool.buttonClicked(Scale);
  ASSERT_TRUE(window->workerHeld());
  window->tool.buttonClicked(Abort);
  ASSERT_TRUE(window->serveToTheEnd());
  EXPECT_EQ(fileCount(), 3u) << "no output, no temporary file";
  EXPECT_EQ(read("out.scl"), "kept");
  EXPECT_EQ(window->view.controlText(Percent), "0 %");
  EXPECT_TRUE(window->view.isEnabled(Scale));
}

// The worker's message reaches the window while the worker waits, and the
// counts of the file's header replace those the window had.
TEST_F(ScalingToolTest, RunsShowTheWorkersMessagesAndCounts) {
  session.config.setTrainingFile(file("sine.trn"));  // not loaded: no counts shown
  dir.write("two.scl", "[INPUTS] 2\n[OUTPUTS] 1\n[MINIMUMS] 0 0 0\n[MAXIMUMS] 1 1 1\n");
  auto window = open("out.trn", "two.scl");
  window->tool.radioClicked(UnscaleFromFile);
  window->tool.buttonClicked(Scale);
  ASSERT_TRUE(window->serveToTheEnd());
  const auto& view = window->view;
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].title, "Error");
  EXPECT_EQ(view.messages[0].text.rfind("Invalid Scale File\n", 0), 0u) << view.messages[0].text;
  EXPECT_EQ((Texts{view.controlText(InputCount), view.controlText(OutputCount)}), (Texts{"1", "1"}));
  EXPECT_EQ(view.progress, 0);
  EXPECT_EQ(fileCount(), 3u);
}

}  // namespace
}  // namespace nodelyx
