// Test helper: a MainController over a recording view, with the bundled
// examples copied into a temporary folder and a recent-file list in memory.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/main_controller.h"
#include "support/fake_main_view.h"
#include "support/temp_dir.h"

namespace nodelyx::testing {

// Keeps the recent-file list as the desktop settings would, counting saves.
class MemoryRecentStore final : public RecentFileStore {
 public:
  RecentFileList load() override { return stored; }
  void save(const RecentFileList& entries) override {
    stored = entries;
    ++saves;
  }
  RecentFileList stored;
  int saves = 0;
};

inline std::string readText(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class MainControllerFixture : public ::testing::Test {
 protected:
  MainControllerFixture() : savedDirectory_(std::filesystem::current_path()) {
    for (const char* name : {"xor.net", "xor.trn", "xor.tst", "classes.net", "classes.trn", "classes.tst"})
      dir.write(name, readText(std::filesystem::path(NODELYX_SOURCE_DIR) / "examples" / name));
    controller.initialize();
  }
  ~MainControllerFixture() override {
    controller.finishRun();
    std::filesystem::current_path(savedDirectory_);
  }

  std::string file(const char* name) const { return (dir / name).string(); }
  void openXor() {
    controller.openCommandLineFile(file("xor.net"));
    ASSERT_TRUE(session().trainingDataLoaded());
    view.messages.clear();
  }
  const Session& session() const { return controller.session(); }
  // Types text into a field and leaves it.
  void commit(ControlId id, const std::string& text) {
    view.setControlText(id, text);
    controller.fieldNotified(id, FieldNotification::KillFocus);
  }

  testing::TempDir dir;
  Session sessionStorage;
  FakeMainView view;
  MemoryRecentStore recentStore;
  MainController controller{sessionStorage, view, dir.path() / "program", &recentStore};

 private:
  std::filesystem::path savedDirectory_;
};

}  // namespace nodelyx::testing
