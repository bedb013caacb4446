// The help topics against the help book itself: every keyword has its
// section where helpLocation says, every link of the book leads somewhere,
// and the contents page reaches every section.
#include "app/help_topics.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace nodelyx {
namespace {

namespace fs = std::filesystem;

const fs::path kBook = fs::path(NODELYX_SOURCE_DIR) / "help";

std::string readPage(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<std::string> matches(const std::string& text, const std::regex& pattern) {
  std::vector<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it)
    found.push_back((*it)[1]);
  return found;
}

// Every page of the book with the anchors (id attributes) it holds.
std::map<std::string, std::set<std::string>> bookAnchors() {
  const std::regex id(R"re(\sid="([^"]*)")re");
  std::map<std::string, std::set<std::string>> pages;
  for (const auto& entry : fs::directory_iterator(kBook)) {
    if (entry.path().extension() != ".html") continue;
    std::set<std::string>& anchors = pages[entry.path().filename().string()];
    for (const std::string& anchor : matches(readPage(entry.path()), id)) {
      EXPECT_TRUE(anchors.insert(anchor).second)
          << entry.path().filename() << " has id " << anchor << " twice";
    }
  }
  return pages;
}

// True when location ("page.html#anchor", "page.html", "#anchor") names a
// page of the book and, with an anchor, an anchor of that page.
bool resolves(const std::map<std::string, std::set<std::string>>& pages, const std::string& from,
              const std::string& location) {
  const auto hash = location.find('#');
  const std::string page = hash == 0 ? from : location.substr(0, hash);
  const auto found = pages.find(page);
  if (found == pages.end()) return false;
  return hash == std::string::npos || found->second.contains(location.substr(hash + 1));
}

TEST(HelpTopics, AnchorsFromKeywords) {
  struct Case {
    const char* name;
    const char* keyword;
    const char* anchor;
  };
  const Case cases[] = {
      {"words", "Training Properties", "training-properties"},
      {"a full stop", "Misc. Settings", "misc-settings"},
      {"a leading digit", "3D Plot", "3d-plot"},
      {"blanks around", "  Delta Bar Delta ", "delta-bar-delta"},
      {"a run of other characters", "Data -- File", "data-file"},
      {"nothing", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(helpAnchor(c.keyword), c.anchor);
  }
  EXPECT_EQ(helpLocation(help::kDataFile), "files.html#data-file");
  EXPECT_EQ(helpLocation(""), kHelpContentsPage);
  EXPECT_EQ(helpLocation("No such topic"), kHelpContentsPage);
}

TEST(HelpTopics, EveryKeywordHasItsSectionWhereTheLocationSays) {
  const auto pages = bookAnchors();
  ASSERT_TRUE(pages.contains(kHelpContentsPage));
  for (const char* keyword : helpKeywords()) {
    SCOPED_TRACE(keyword);
    const std::string location = helpLocation(keyword);
    EXPECT_NE(location, kHelpContentsPage);
    EXPECT_TRUE(resolves(pages, "", location)) << location;
  }
}

TEST(HelpTopics, EveryLinkOfTheBookLeadsToAPageAndAnchorOfIt) {
  const auto pages = bookAnchors();
  const std::regex reference(R"re(\s(?:href|src)="([^"]*)")re");
  int links = 0;
  for (const auto& [page, anchors] : pages) {
    const std::string text = readPage(kBook / page);
    EXPECT_EQ(text.find("<script"), std::string::npos) << page;
    for (const std::string& target : matches(text, reference)) {
      ++links;
      // Relative links only: the book is read from disk, wherever it lies.
      EXPECT_TRUE(target.find(':') == std::string::npos && !target.starts_with('/'))
          << page << " links outside the book: " << target;
      EXPECT_TRUE(resolves(pages, page, target)) << page << " links to " << target;
    }
  }
  EXPECT_GT(links, 50);
}

TEST(HelpTopics, TheContentsLeadToEveryPageAndSection) {
  const std::regex reference(R"re(\shref="([^"]*)")re");
  const auto links = matches(readPage(kBook / kHelpContentsPage), reference);
  const std::set<std::string> targets(links.begin(), links.end());
  for (const char* keyword : helpKeywords()) {
    EXPECT_TRUE(targets.contains(helpLocation(keyword))) << keyword;
  }
  for (const auto& [page, anchors] : bookAnchors()) {
    if (page == kHelpContentsPage) continue;
    EXPECT_TRUE(targets.contains(page)) << page;
  }
}

}  // namespace
}  // namespace nodelyx
