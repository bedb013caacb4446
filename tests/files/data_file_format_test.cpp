#include "files/data_file_format.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace nodelyx {
namespace {

// What a number in a data file is: one optional leading '+' (not before a
// sign), then all of the text as from_chars reads it, finite.
std::optional<double> referenceNumber(const std::string& text) {
  std::size_t start = text.size() > 0 && text[0] == '+' ? 1 : 0;
  if (start == 1 && text.size() > 1 && (text[1] == '+' || text[1] == '-')) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data() + start, text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

void expectSameAsReference(const std::string& text) {
  double value = 0;
  const bool read = parseNumber(text.data(), text.data() + text.size(), value);
  const std::optional<double> wanted = referenceNumber(text);
  ASSERT_EQ(read, wanted.has_value()) << text;
  if (read) {
    EXPECT_EQ(std::memcmp(&value, &*wanted, sizeof value), 0) << text << " read as " << value;
  }
  // In the middle of a block, followed by more data: where the short
  // reader says the number ends, it has the same value.
  const std::string block = text + " 98765432 1";
  const char* stop = readShortNumber(block.data(), block.data() + block.size(), value);
  if (stop == block.data() + text.size()) {
    ASSERT_TRUE(wanted.has_value()) << text;
    EXPECT_EQ(std::memcmp(&value, &*wanted, sizeof value), 0) << text << " in a block read as " << value;
  }
}

// The short forms read without from_chars must give its bits; the edges of
// the short forms (2^53, 19 digits, powers of ten beyond 22) and the texts
// that are no number fall back to it.
TEST(DataFileFormatTest, NumbersReadAsFromCharsReadsThem) {
  const char* const edges[] = {
      "0",
      "-0",
      "+0.0",
      "-0e5",
      "5.",
      ".5",
      "+.5",
      "-.5e+2",
      "1e22",
      "1e23",
      "1e-22",
      "1.5e-23",
      "0.1",
      "9007199254740992",
      "9007199254740993",
      "123456789012345678",
      "1234567890123456789",
      "00000000000000000001",
      "0.30000000000000004",
      "1E5",
      "1e0005",
      "1e400",
      "1e-400",
      "0e999999",
      "",
      "+",
      "-",
      ".",
      "e1",
      "1e",
      "1e+",
      "1e-",
      "+-1",
      "--1",
      "-+1",
      "++1",
      "1.2.3",
      "1e5e5",
      "1-2",
      "1+",
      "3..0",
      ".e1",
      "4e+ ",
  };
  for (const char* text : edges) expectSameAsReference(text);
  std::mt19937 random(7);
  const auto digits = [&random](int count) {
    std::string text;
    for (int k = 0; k < count; ++k) text += static_cast<char>('0' + random() % 10);
    return text;
  };
  for (int k = 0; k < 200000; ++k) {
    std::string text = random() % 4 == 0 ? "-" : "";
    text += digits(static_cast<int>(random() % 12));
    if (random() % 2) {
      text += '.';
      text += digits(static_cast<int>(random() % 12));
    }
    if (random() % 3 == 0) {
      text += 'e';
      text += std::to_string(static_cast<int>(random() % 61) - 30);
    }
    expectSameAsReference(text);
  }
}

// A last number that reaches the end of the data is read whole, also when
// the reader has to move it to the front of its buffer over itself.
TEST(DataFileFormatTest, NextValueReadsTheLastNumberWhole) {
  const std::pair<const char*, std::vector<double>> cases[] = {
      {"1 12345", {1, 12345}}, {" 1 12345", {1, 12345}}, {"7 2 5.", {7, 2, 5}}, {"1\n-0.25e1", {1, -2.5}}};
  for (const auto& [text, wanted] : cases) {
    const auto source = memorySource(text);
    BufferedReader reader(*source);
    std::vector<double> values;
    for (double value = 0; readNextValue(reader, value);) values.push_back(value);
    EXPECT_EQ(values, wanted) << text;
  }
}

// The counting pass sixteen bytes at a time against one byte at a time,
// over every byte value and blocks cut anywhere.
TEST(DataFileFormatTest, RunsCountedAsOneByteAtATime) {
  std::mt19937 random(11);
  const std::string common = "0123456789.+-eE \t\r\n,;";
  for (int k = 0; k < 2000; ++k) {
    std::string text(random() % 200, ' ');
    for (char& c : text)
      c = random() % 8 == 0 ? static_cast<char>(random() % 256) : common[random() % common.size()];
    std::uint64_t wantedRuns = 0;
    bool wantedForeign = false, previous = false;
    for (const char c : text) {
      const bool number = charClass(c) == CharClass::Number;
      wantedRuns += number && !previous;
      previous = number;
      wantedForeign |= charClass(c) == CharClass::Other;
    }
    const std::size_t cut = text.empty() ? 0 : random() % text.size();
    bool previousNumber = false, foreign = false;
    std::uint64_t runs = countNumberRuns(std::string_view(text).substr(0, cut), previousNumber, foreign);
    runs += countNumberRuns(std::string_view(text).substr(cut), previousNumber, foreign);
    EXPECT_EQ(runs, wantedRuns) << "case " << k << " cut at " << cut;
    EXPECT_EQ(foreign, wantedForeign) << "case " << k;
  }
}

}  // namespace
}  // namespace nodelyx
