#include "app/file_dispatch.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/temp_dir.h"

namespace nodelyx {
namespace {

struct RecordingActions : FileActions {
  bool open(FileKind kind, const std::string& path) override {
    calls.push_back("open " + std::to_string(static_cast<int>(kind)) + " " + path);
    return result;
  }
  bool save(FileKind kind, const std::string& path) override {
    calls.push_back("save " + std::to_string(static_cast<int>(kind)) + " " + path);
    return result;
  }
  std::vector<std::string> calls;
  bool result = true;
};

// A chooser that answers from a script and records what it was asked.
struct ScriptedChooser {
  ChooseResult answer = ChooseResult::Chosen;
  std::string chosen;
  int asked = 0;
  FileChooser chooser() {
    return [this](FileKind, DialogMode, std::string& path) {
      ++asked;
      if (answer == ChooseResult::Chosen) path = chosen;
      return answer;
    };
  }
};

class FileDispatchTest : public ::testing::Test {
 protected:
  testing::TempDir dir, programDir;
  RecordingActions actions;
  ScriptedChooser chooser;
};

TEST_F(FileDispatchTest, KindsCarryTheirDialogTexts) {
  EXPECT_STREQ(fileKindInfo(FileKind::Network).openTitle, "Open Network File");
  EXPECT_STREQ(fileKindInfo(FileKind::Testing).filterName, "Nodelyx TestFiles (*.tst)");
  EXPECT_STREQ(fileKindInfo(FileKind::Data).pattern, "*.trn;*.tst");
  EXPECT_STREQ(fileKindInfo(FileKind::Scale).saveTitle, "Open Scale File");
  EXPECT_STREQ(fileKindInfo(FileKind::MatlabSource).defaultExtension, "M");
  EXPECT_EQ(fileKindInfo(FileKind::Output).openTitle, nullptr);
}

TEST_F(FileDispatchTest, FileExistsFallsBackToTheProgramDirectory) {
  const auto here = dir.write("a.trn", "x");
  programDir.write("b.trn", "x");
  std::string path = here.string();
  EXPECT_TRUE(fileExists(path, programDir.path()));
  EXPECT_EQ(path, here.string());
  path = "b.trn";
  EXPECT_TRUE(fileExists(path, programDir.path()));
  EXPECT_EQ(path, (programDir / "b.trn").string());
  path = "c.trn";
  EXPECT_FALSE(fileExists(path, programDir.path()));
  EXPECT_EQ(path, "");
  path = dir.path().string();  // a directory is no file
  EXPECT_FALSE(fileExists(path, programDir.path()));
}

TEST_F(FileDispatchTest, OpenAsksOnlyWhenNeeded) {
  std::string path = dir.write("a.trn", "x").string();
  EXPECT_TRUE(openFileByKind(path, FileKind::Training, false, chooser.chooser(), actions, programDir.path()));
  EXPECT_EQ(chooser.asked, 0);
  chooser.chosen = dir.write("b.trn", "x").string();
  EXPECT_TRUE(openFileByKind(path, FileKind::Training, true, chooser.chooser(), actions, programDir.path()));
  EXPECT_EQ(chooser.asked, 1);
  EXPECT_EQ(path, chooser.chosen);
  ASSERT_EQ(actions.calls.size(), 2u);
  EXPECT_EQ(actions.calls[1], "open 2 " + chooser.chosen);
}

TEST_F(FileDispatchTest, OpenCancelAndFailure) {
  std::string path = (dir / "missing.net").string();
  chooser.answer = ChooseResult::Cancelled;
  EXPECT_TRUE(openFileByKind(path, FileKind::Network, false, chooser.chooser(), actions, {}));
  EXPECT_FALSE(openFileByKind(path, FileKind::Data, false, chooser.chooser(), actions, {}));
  chooser.answer = ChooseResult::Failed;
  path = "x";
  EXPECT_FALSE(openFileByKind(path, FileKind::Weights, false, chooser.chooser(), actions, {}));
  EXPECT_EQ(path, "");
  EXPECT_TRUE(actions.calls.empty());
  actions.result = false;
  path = dir.write("w.wts", "x").string();
  EXPECT_FALSE(openFileByKind(path, FileKind::Weights, false, chooser.chooser(), actions, {}));
}

TEST_F(FileDispatchTest, SaveAsksForNewNamesAndBeforeOverwritingWeights) {
  const std::string existing = dir.write("w.wts", "x").string();
  chooser.chosen = (dir / "other.wts").string();
  std::string path = existing;
  EXPECT_TRUE(saveFileByKind(path, FileKind::Weights, chooser.chooser(), actions));
  EXPECT_EQ(chooser.asked, 1) << "an existing weights file is not overwritten silently";
  EXPECT_EQ(actions.calls.back(), "save 3 " + chooser.chosen);
  path = dir.write("n.net", "x").string();
  EXPECT_TRUE(saveFileByKind(path, FileKind::Network, chooser.chooser(), actions));
  EXPECT_EQ(chooser.asked, 1) << "a network file of the same name is overwritten";
  path.clear();
  EXPECT_TRUE(saveFileByKind(path, FileKind::CSource, chooser.chooser(), actions));
  EXPECT_EQ(chooser.asked, 2);
  EXPECT_EQ(actions.calls.size(), 2u) << "code files only get a name here";
}

TEST_F(FileDispatchTest, SaveCancelResults) {
  chooser.answer = ChooseResult::Cancelled;
  for (const auto& [kind, expected] : {std::pair{FileKind::Network, true}, std::pair{FileKind::Output, true},
                                       std::pair{FileKind::CSource, true}, std::pair{FileKind::Data, false},
                                       std::pair{FileKind::Scale, false}}) {
    std::string path;
    EXPECT_EQ(saveFileByKind(path, kind, chooser.chooser(), actions), expected) << static_cast<int>(kind);
  }
  EXPECT_TRUE(actions.calls.empty());
}

}  // namespace
}  // namespace nodelyx
