// The checks a numeric field's text goes through before it is stored: what
// is kept, what the field shows afterwards and what the user is told.
#include "app/field_checks.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>

#include "app/panel_fields.h"

namespace nodelyx {
namespace {

using N = FieldNotification;
using Text = std::optional<std::string>;

const char* const kEtaRange = "The valid range is from 1.19209e-07 to 100";

template <typename T>
void expectOutcome(const FieldOutcome<T>& actual, const FieldOutcome<T>& expected) {
  EXPECT_EQ(actual.value, expected.value);
  EXPECT_EQ(actual.text, expected.text);
  EXPECT_EQ(actual.caretAtEnd, expected.caretAtEnd);
  EXPECT_EQ(actual.beep, expected.beep);
  EXPECT_EQ(actual.message, expected.message);
  EXPECT_EQ(actual.focusAndSelect, expected.focusAndSelect);
}

TEST(ParseDecimal, ReadsTheLongestNumberAtTheStart) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* text;  // also the case's name
    double value;
    std::size_t consumed;
  } cases[] = {
      {"", 0, 0},
      {"-.", 0, 0},
      {"1e", 1, 1},
      {"1e-", 1, 1},
      {" \t-2.5e3x", -2500, 8},
      {"+.5", 0.5, 3},
      {"1.", 1, 2},
      {"1E+2", 100, 4},
      {"inf", 0, 0},
      {"0x10", 0, 1},
      {"1e400", inf, 5},
      {"-1e400", -inf, 6},
      {"0.001e312", inf, 9},
      {"1e-400", 0, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const ParsedNumber parsed = parseDecimal(c.text);
    EXPECT_EQ(parsed.value, c.value);
    EXPECT_EQ(parsed.consumed, c.consumed);
  }
}

TEST(CommitFloatField, LearningRateEdits) {
  struct Case {
    const char* name;
    std::string_view text;
    FieldOutcome<double> expected;
  } cases[] = {
      {"incomplete exponent is cut back",
       "1e",
       {.value = 0.1, .text = "1", .caretAtEnd = true, .beep = true}},
      {"complete number commits", "1", {.value = 1, .text = "1"}},
      {"lone point names the range",
       ".",
       {.value = 0.1, .text = ".", .beep = true, .message = kEtaRange, .focusAndSelect = true}},
      {"trailing junk is cut", "2.5x", {.value = 0.1, .text = "2.5", .caretAtEnd = true, .beep = true}},
      {"upper bound accepted", "100", {.value = 100, .text = "100"}},
      {"lower bound accepted", "1.1920928955078125e-07", {.value = kFloatEpsilon, .text = "1.19209e-07"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    expectOutcome(commitFloatField(c.text, N::KillFocus, kFloatEpsilon, 100, 0.1), c.expected);
  }
  // Out of range (an empty text reads as 0): the old value comes back.
  for (const char* text : {"", "0", "100.5", "1e999"}) {
    SCOPED_TRACE(text);
    expectOutcome(commitFloatField(text, N::KillFocus, kFloatEpsilon, 100, 0.1),
                  {.value = 0.1, .text = "0.1", .message = kEtaRange, .focusAndSelect = true});
  }
  // While typing nothing is stored or shown.
  for (const char* text : {"0", ".", "-", "-.", "5"}) {
    SCOPED_TRACE(text);
    expectOutcome(commitFloatField(text, N::Update, kFloatEpsilon, 100, 0.1), {.value = 0.1});
  }
  expectOutcome(commitFloatField("3.4028234663852886e+38", N::KillFocus, 0, kFloatMax, 0.1),
                {.value = kFloatMax, .text = "3.40282e+38"});
}

TEST(CommitIntField, UnsignedFields) {
  const std::uint32_t maxU = 4294967295u;
  const char* const epochRange = "The valid range is from 1 to 4294967295";
  struct Case {
    const char* name;
    std::string_view text;
    N notification;
    std::uint32_t min, max;
    bool layerCount;
    FieldOutcome<std::uint32_t> expected;
  } cases[] = {
      {"empty epochs refused",
       "",
       N::KillFocus,
       1,
       maxU,
       false,
       {.value = 7, .text = "7", .message = epochRange, .focusAndSelect = true}},
      {"33 bits not translated",
       "4294967296",
       N::KillFocus,
       1,
       maxU,
       false,
       {.value = 7, .text = "7", .message = epochRange, .focusAndSelect = true}},
      {"largest epochs", "4294967295", N::KillFocus, 1, maxU, false, {.value = maxU, .text = "4294967295"}},
      {"empty perturbation commits 0", "", N::KillFocus, 0, 999, false, {.value = 0, .text = "0"}},
      {"blanks and zeros normalised", " 007 ", N::KillFocus, 0, 999, false, {.value = 7, .text = "7"}},
      {"update with empty text", "", N::Update, 0, 999, false, {.value = 7}},
      {"update in range stores nothing", "5", N::Update, 0, 999, false, {.value = 7}},
      {"layer count commits on update",
       "3",
       N::Update,
       0,
       5,
       true,
       {.value = 3, .text = "3", .caretAtEnd = true}},
      {"layer count out of range",
       "6",
       N::Update,
       0,
       5,
       true,
       {.value = 7, .text = "7", .message = "The valid range is from 0 to 5", .focusAndSelect = true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    expectOutcome(commitIntField(c.text, c.notification, c.min, c.max, 7, c.layerCount), c.expected);
  }
}

TEST(CommitPageFloat, SettingsPageFields) {
  for (const char* text : {"", "abc", "1e", "10.5"}) {
    SCOPED_TRACE(text);
    expectOutcome(commitPageFloat(text, 1.2, 1, 10),
                  {.value = 1.2,
                   .text = "1.200000",
                   .message = "Enter a value between 1.000000 and 10.000000",
                   .focusAndSelect = true});
  }
  expectOutcome(commitPageFloat("10", 1.2, 1, 10), {.value = 10, .text = "10.000000"});
  // A minimum below the precision of the message's numbers.
  EXPECT_EQ(commitPageFloat("0", 1.75, kFloatEpsilon, 100).message,
            Text("Enter a value between 0.000000 and 100.000000"));
}

// The desktop program runs under the user's locale; the fields still read
// and show "." as the decimal point.
TEST(FieldChecks, PointUnderACommaLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8"))
    GTEST_SKIP() << "no de_DE locale";
  const FieldOutcome<double> half = commitFloatField("0.5", N::KillFocus, 0, 1, 0);
  const FieldOutcome<double> comma = commitFloatField("0,5", N::KillFocus, 0, 1, 0);
  const FieldOutcome<double> refused = commitFloatField("0", N::KillFocus, kFloatEpsilon, 100, 0.1);
  const FieldOutcome<double> page = commitPageFloat("2.5", 1, 1, 10);
  std::setlocale(LC_ALL, saved.c_str());
  expectOutcome(half, {.value = 0.5, .text = "0.5"});
  EXPECT_EQ(comma.text, Text("0"));
  EXPECT_EQ(refused.message, Text(kEtaRange));
  EXPECT_EQ(page.text, Text("2.500000"));
}

}  // namespace
}  // namespace nodelyx
