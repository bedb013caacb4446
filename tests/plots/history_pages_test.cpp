#include "plots/history_pages.h"

#include <gtest/gtest.h>

namespace nodelyx {
namespace {

TEST(HistoryPagesTest, LongLinesContinueAndPagesFillInOrder) {
  struct Case {
    const char* name;
    const char* text;
    std::size_t chars, lines;
    std::vector<PrintedPage> expected;
  };
  const Case cases[] = {
      {"no text", "", 10, 3, {}},
      {"one line", "Epochs 5\n", 10, 3, {{"Epochs 5"}}},
      {"a long line continues", "abcdefghij\nxy\n", 4, 10, {{"abcd", "efgh", "ij", "xy"}}},
      {"an empty line stays", "a\n\nb", 4, 10, {{"a", "", "b"}}},
      {"continuations may open a page", "abcdefg\nh\n", 3, 2, {{"abc", "def"}, {"g", "h"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(historyPages(c.text, c.chars, c.lines), c.expected);
  }
}

}  // namespace
}  // namespace nodelyx
