// Keeps the dependency direction of the source folders: the engine knows
// nothing of files, the core knows nothing of Qt.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

const std::map<std::string, std::set<std::string>> kAllowed = {
    {"engine", {"engine"}},
    {"files", {"engine", "files"}},
    {"export", {"engine", "files", "export"}},
    {"scaling", {"engine", "files", "scaling"}},
    {"about", {"files", "about"}},
    {"app", {"engine", "files", "export", "scaling", "about", "app"}},
    {"cli", {"engine", "files", "export", "scaling", "about", "app", "cli"}},
    {"plots", {"engine", "files", "app", "plots"}},
};

TEST(LayeringTest, FoldersIncludeOnlyWhatTheyMayDependOn) {
  const fs::path src = fs::path(NODELYX_SOURCE_DIR) / "src";
  const std::regex include(R"(^\s*#\s*include\s*[<"]([^>"]+)[>"])");
  int checked = 0;
  for (const auto& [folder, allowed] : kAllowed) {
    if (!fs::exists(src / folder)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(src / folder)) {
      if (!entry.is_regular_file()) continue;
      std::ifstream file(entry.path());
      std::string line;
      while (std::getline(file, line)) {
        std::smatch match;
        if (!std::regex_search(line, match, include)) continue;
        const std::string header = match[1];
        ++checked;
        EXPECT_FALSE(header.starts_with("Q") || header.starts_with("qt"))
            << entry.path() << " includes Qt: " << header;
        const auto slash = header.find('/');
        if (slash == std::string::npos || header.starts_with("nodelyx/")) continue;
        const std::string target = header.substr(0, slash);
        if (!kAllowed.contains(target) && target != "gui" && target != "plots") continue;
        EXPECT_TRUE(allowed.contains(target)) << entry.path() << " includes " << header;
      }
    }
  }
  EXPECT_GT(checked, 10);
}

}  // namespace
