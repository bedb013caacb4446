#include "app/session_files.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_dir.h"

namespace nodelyx {
namespace {

// A configuration in one folder naming its companions without a directory,
// opened as the command-line program opens one (no chooser).
class OpenConfigurationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(configDir);
    std::filesystem::create_directories(programDir);
  }

  bool openWith(const std::string& keys) {
    CompanionChoices choices;
    choices.keepMissingWeights = true;
    const auto path = configDir / "net.net";
    std::ofstream(path) << "[LAYERS] 3\n[HIDDEN1] 2 1\n" << keys;
    SessionFileActions actions(session, reporter);
    return openConfiguration(session, path, CompanionOrder::CommandLine, actions, nullptr, programDir,
                             reporter, choices, &states);
  }

  static constexpr const char* kData = "[INPUTS] 2\n[OUTPUTS] 1\n0 0 0\n1 1 1\n";
  testing::TempDir root;
  std::filesystem::path configDir = root / "nets";
  std::filesystem::path programDir = root / "program";
  Session session;
  RecordingReporter reporter;
  CompanionStates states;
};

TEST_F(OpenConfigurationTest, RelativeNamesAreLookedForBesideTheConfigurationThenInTheProgramFolder) {
  std::ofstream(programDir / "only.trn") << kData;
  std::ofstream(programDir / "both.tst") << "[INPUTS] 2\n9 9\n";
  std::ofstream(configDir / "both.tst") << kData;
  ASSERT_TRUE(openWith("[TRAININGFILE] only.trn\n[TESTFILE] both.tst\n"));
  EXPECT_TRUE(reporter.messages.empty());
  EXPECT_EQ(session.config.trainingFile(), (programDir / "only.trn").string());
  EXPECT_EQ(session.config.testFile(), (configDir / "both.tst").string());
  EXPECT_EQ(states.training, CompanionState::Loaded);
  EXPECT_EQ(states.testing, CompanionState::Loaded);
  EXPECT_EQ(states.weights, CompanionState::NotNamed);
}

TEST_F(OpenConfigurationTest, EachCompanionSaysWhatBecameOfIt) {
  std::ofstream(configDir / "bad.trn") << "[INPUTS] 0\n[OUTPUTS] 1\n1\n";
  ASSERT_TRUE(openWith("[TRAININGFILE] bad.trn\n[TESTFILE] gone.tst\n[WEIGHTSFILE] new.wts\n"));
  EXPECT_EQ(states.training, CompanionState::Failed);
  EXPECT_EQ(states.testing, CompanionState::Missing);
  // A weights file still to be written keeps its name: training saves there.
  EXPECT_EQ(states.weights, CompanionState::Missing);
  EXPECT_EQ(session.config.weightsFile(), (configDir / "new.wts").string());
  EXPECT_EQ(session.config.trainingFile(), "");
  ASSERT_EQ(reporter.messages.size(), 2u);
  EXPECT_EQ(reporter.messages[1].text, "Could not read file gone.tst\nNo such file or directory");
}

}  // namespace
}  // namespace nodelyx
