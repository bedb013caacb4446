#include "app/recent_files.h"

#include <gtest/gtest.h>

#include "support/main_controller_fixture.h"

namespace nodelyx {
namespace {

using testing::MemoryRecentStore;

TEST(RecentFilesTest, AddingReordersAsTheMenuPromises) {
  struct Case {
    const char* name;
    const char* added;
    RecentFileList expected;
    bool changed;
  };
  const Case cases[] = {
      {"entry 1 again changes nothing", "/a.net", {"/a.net", "/b.net", "/c.net", "/d.net"}, false},
      {"entry 2 moves to the top", "/b.net", {"/b.net", "/a.net", "/c.net", "/d.net"}, true},
      {"entry 3 moves to the top", "/c.net", {"/c.net", "/a.net", "/b.net", "/d.net"}, true},
      {"entry 4 moves to the top", "/d.net", {"/d.net", "/a.net", "/b.net", "/c.net"}, true},
      {"a fifth file drops the oldest", "/e.net", {"/e.net", "/a.net", "/b.net", "/c.net"}, true},
      {"letter case makes another file", "/A.net", {"/A.net", "/a.net", "/b.net", "/c.net"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryRecentStore store;
    store.stored = {"/a.net", "/b.net", "/c.net", "/d.net"};
    RecentFiles recent(&store);
    recent.load();
    EXPECT_EQ(recent.add(c.added), c.changed);
    EXPECT_EQ(recent.entries(), c.expected);
    EXPECT_EQ(store.saves, c.changed ? 1 : 0);
    if (c.changed) {
      EXPECT_EQ(store.stored, c.expected);
    }
  }
}

TEST(RecentFilesTest, LoadingStopsAtTheFirstEmptyEntry) {
  MemoryRecentStore store;
  store.stored = {"/a.net", "", "/c.net", "/d.net"};
  RecentFiles recent(&store);
  recent.load();
  EXPECT_EQ(recent.shown(), std::vector<std::string>{"/a.net"});
  // A clean profile has four empty entries and shows none; the list fills
  // from the top.
  RecentFiles fresh(nullptr);
  fresh.load();
  EXPECT_TRUE(fresh.shown().empty());
  fresh.add("/x.net");
  fresh.add("/y.net");
  EXPECT_EQ(fresh.shown(), (std::vector<std::string>{"/y.net", "/x.net"}));
}

}  // namespace
}  // namespace nodelyx
