#include "files/text_cursor.h"

#include <gtest/gtest.h>

namespace nodelyx {
namespace {

TEST(TextCursorTest, NumbersAreReadLikeAStreamExtractor) {
  struct Case {
    const char* text;
    std::optional<double> value;
    std::size_t used;
  };
  const Case cases[] = {
      {"  0.125 rest", 0.125, 7},
      {"\n-3x", -3.0, 3},
      {"+1e-05,", 1e-05, 6},
      {".5", 0.5, 2},
      {"7.", 7.0, 2},
      {"1e", 1.0, 1},
      {"abc", std::nullopt, 0},
      {"-", std::nullopt, 0},
      {"inf", std::nullopt, 0},
      {"1e400", std::nullopt, 0},
      {"", std::nullopt, 0},
  };
  for (const Case& c : cases) {
    TextCursor cursor(c.text);
    EXPECT_EQ(cursor.readDouble(), c.value) << c.text;
    EXPECT_EQ(cursor.position(), c.used) << c.text;
  }
}

TEST(TextCursorTest, IntegersStopAtTheFirstNonDigit) {
  TextCursor cursor(" 12.7 -4 +5 99999999999999999999");
  EXPECT_EQ(cursor.readInteger(), 12);
  EXPECT_EQ(cursor.get(), '.');
  EXPECT_EQ(cursor.readInteger(), 7);
  EXPECT_EQ(cursor.readInteger(), -4);
  EXPECT_EQ(cursor.readInteger(), 5);
  EXPECT_EQ(cursor.readInteger(), std::nullopt);
}

TEST(TextCursorTest, LeadingBlockAndValueTest) {
  TextCursor cursor("  * note\n\t*more\r\n\nBODY");
  cursor.skipLeadingBlock();
  EXPECT_EQ(cursor.restOfLine(), "BODY");
  const std::pair<const char*, bool> valueCases[] = {
      {" \t5", true}, {"  % note", false}, {"\r\n", false}, {"", false}, {", 1", true}};
  for (const auto& [text, expected] : valueCases) {
    TextCursor value(text);
    EXPECT_EQ(value.valueFollows(), expected) << text;
  }
}

TEST(TextCursorTest, SeparatedNumbersAndLineNumbers) {
  TextCursor cursor(" ,\n, 2.5,3\n\nzz");
  EXPECT_EQ(cursor.readSeparatedValue(), 2.5);
  EXPECT_EQ(cursor.readSeparatedValue(), 3.0);
  EXPECT_EQ(cursor.lineNumberAt(cursor.position()), 2u);
  EXPECT_EQ(cursor.readSeparatedValue(), std::nullopt);
  EXPECT_TRUE(cursor.atEnd());
  EXPECT_EQ(cursor.readSeparatedValue(), std::nullopt);
  EXPECT_EQ(cursor.lineNumberAt(1000), 4u);
}

}  // namespace
}  // namespace nodelyx
