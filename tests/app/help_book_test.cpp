// Finding the help book: beside the program in the build tree, under
// share/nodelyx in an installed tree, and the message when neither has it.
#include "app/help_book.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/temp_dir.h"

namespace nodelyx {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

struct Layout {
  const char* name;
  std::vector<const char*> books;         // folders that hold index.html
  std::vector<const char*> emptyFolders;  // folders without it
  const char* program;                    // the program's folder
  const char* expected;                   // "" for none
};

TEST(HelpBook, FoundBesideTheProgramOrInTheInstalledTree) {
  const Layout layouts[] = {
      {"build tree", {"build/src/gui/help"}, {}, "build/src/gui", "build/src/gui/help"},
      {"installed tree", {"usr/share/nodelyx/help"}, {}, "usr/bin", "usr/share/nodelyx/help"},
      {"both: the one beside the program first",
       {"usr/bin/help", "usr/share/nodelyx/help"},
       {},
       "usr/bin",
       "usr/bin/help"},
      {"a help folder without its contents page is passed over",
       {"usr/share/nodelyx/help"},
       {"usr/bin/help"},
       "usr/bin",
       "usr/share/nodelyx/help"},
      {"neither", {}, {"usr/bin/help"}, "usr/bin", ""},
  };
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.name);
    const TempDir root;
    fs::create_directories(root / layout.program);
    for (const char* folder : layout.emptyFolders) fs::create_directories(root / folder);
    for (const char* folder : layout.books) {
      fs::create_directories(root / folder);
      root.write(std::string(folder) + "/index.html", "<html></html>");
    }
    const fs::path found = findHelpBook(root / layout.program);
    if (*layout.expected == '\0') {
      EXPECT_TRUE(found.empty()) << found;
    } else {
      EXPECT_TRUE(!found.empty() && fs::equivalent(found, root / layout.expected)) << found;
    }
  }
}

TEST(HelpBook, MissingBookMessageNamesTheFoldersLookedIn) {
  const TempDir root;
  fs::create_directories(root / "usr/bin");
  const std::vector<fs::path> folders = helpBookFolders(root / "usr/bin");
  ASSERT_EQ(folders.size(), 2u);
  EXPECT_EQ(folders[0].filename(), "help");
  // ".." is resolved, so the message names a folder one can go to.
  EXPECT_EQ(folders[1].string().find(".."), std::string::npos) << folders[1];
  EXPECT_TRUE(fs::equivalent(folders[1].parent_path().parent_path().parent_path(), root / "usr"));

  const std::string text = missingHelpBookText(root / "usr/bin");
  EXPECT_NE(text.find("index.html"), std::string::npos) << text;
  const auto first = text.find("\n" + folders[0].string() + "\n");
  const auto second = text.find("\n" + folders[1].string());
  EXPECT_NE(first, std::string::npos) << text;
  EXPECT_NE(second, std::string::npos) << text;
  EXPECT_LT(first, second);
  EXPECT_STREQ(kHelpMessageTitle, "Help");
}

}  // namespace
}  // namespace nodelyx
