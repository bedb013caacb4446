#include "app/file_dispatch.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/temp_dir.h"

namespace nodelyx {
namespace {

// Records the calls as "open KIND PATH" and "save KIND PATH", one after the other.
struct RecordingActions : FileActions {
  bool open(FileKind kind, const std::string& path) override { return record("open ", kind, path); }
  bool save(FileKind kind, const std::string& path) override { return record("save ", kind, path); }
  bool record(const char* what, FileKind kind, const std::string& path) {
    calls += what + std::to_string(static_cast<int>(kind)) + " " + path;
    return result;
  }
  std::string calls;
  bool result = true;
};

// A chooser that gives one answer and counts how often it was asked.
FileChooser answering(ChooseResult answer, const std::string& chosen, int& asked) {
  return [answer, chosen, &asked](FileKind, DialogMode, std::string& path) {
    ++asked;
    if (answer == ChooseResult::Chosen) path = chosen;
    return answer;
  };
}

class FileDispatchTest : public ::testing::Test {
 protected:
  testing::TempDir dir, programDir;
  const std::string existing = dir.write("a.trn", "x").string();
  const std::string other = dir.write("b.trn", "x").string();
  const std::string missing = (dir / "missing").string();
};

TEST_F(FileDispatchTest, FileExistsFallsBackToTheProgramDirectory) {
  programDir.write("p.trn", "x");
  const struct {
    std::string path;
    bool exists;
    std::string result;
  } cases[] = {
      {existing, true, existing},
      {"p.trn", true, (programDir / "p.trn").string()},  // relative: found in the program's directory
      {"c.trn", false, ""},
      {dir.path().string(), false, ""},  // a directory is no file
      {"", false, ""},
  };
  for (const auto& c : cases) {
    std::string path = c.path;
    EXPECT_EQ(fileExists(path, programDir.path()), c.exists) << c.path;
    EXPECT_EQ(path, c.result) << c.path;
  }
}

TEST_F(FileDispatchTest, OpenAsksOnlyWhenNeeded) {
  using enum FileKind;
  using enum ChooseResult;
  struct Case {
    const char* name;
    std::string path;
    FileKind kind;
    bool force;
    ChooseResult answer;  // of the dialog, should it be shown; it chooses `other`
    bool actionResult, result;
    int asked;
    std::string calls;
  };
  const Case cases[] = {
      {"an existing file opens at once", existing, Training, false, Chosen, true, true, 0,
       "open 2 " + existing},
      {"a forced dialog asks once", existing, Training, true, Chosen, true, true, 1, "open 2 " + other},
      {"the reader's failure", existing, Weights, false, Chosen, false, false, 0, "open 3 " + existing},
      {"a cancelled dialog loads nothing", missing, Network, false, Cancelled, true, true, 1, ""},
      {"a cancelled data-file choice fails", missing, Data, false, Cancelled, true, false, 1, ""},
      {"a chosen data file is only named", missing, Data, false, Chosen, true, true, 1, ""},
      {"a failed dialog", existing, Weights, true, Failed, true, false, 1, ""},
      {"output files are never opened", missing, Output, false, Chosen, true, false, 0, ""},
  };
  for (const Case& c : cases) {
    RecordingActions actions;
    actions.result = c.actionResult;
    int asked = 0;
    std::string path = c.path;
    EXPECT_EQ(openFileByKind(path, c.kind, c.force, answering(c.answer, other, asked), actions, {}), c.result)
        << c.name;
    EXPECT_EQ(asked, c.asked) << c.name;
    EXPECT_EQ(actions.calls, c.calls) << c.name;
    EXPECT_TRUE(c.answer != Failed || path.empty()) << c.name << ": a failed dialog empties the path";
  }
}

TEST_F(FileDispatchTest, SaveAsksForNewNamesAndBeforeOverwriting) {
  using enum FileKind;
  using enum ChooseResult;
  struct Case {
    const char* name;
    std::string path;
    FileKind kind;
    ChooseResult answer;  // of the dialog, should it be shown; it chooses `other`
    bool result;
    int asked;
    std::string calls;
  };
  const Case cases[] = {
      {"existing weights are not overwritten silently", existing, Weights, Chosen, true, 1,
       "save 3 " + other},
      {"a network file is overwritten", existing, Network, Chosen, true, 0, "save 1 " + existing},
      {"a new output file is saved at once", missing, Output, Chosen, true, 0, "save 4 " + missing},
      {"a code file only gets a name", "", CSource, Chosen, true, 1, ""},
      {"a scale file is always asked for", missing, Scale, Chosen, true, 1, ""},
      {"training files are never saved", existing, Training, Chosen, false, 0, ""},
      {"cancel: network", "", Network, Cancelled, true, 1, ""},
      {"cancel: output", "", Output, Cancelled, true, 1, ""},
      {"cancel: code file", "", CSource, Cancelled, true, 1, ""},
      {"cancel: data file", "", Data, Cancelled, false, 1, ""},
      {"cancel: scale file", "", Scale, Cancelled, false, 1, ""},
  };
  for (const Case& c : cases) {
    RecordingActions actions;
    int asked = 0;
    std::string path = c.path;
    EXPECT_EQ(saveFileByKind(path, c.kind, answering(c.answer, other, asked), actions), c.result) << c.name;
    EXPECT_EQ(asked, c.asked) << c.name;
    EXPECT_EQ(actions.calls, c.calls) << c.name;
  }
}

}  // namespace
}  // namespace nodelyx
