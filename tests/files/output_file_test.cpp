#include "files/output_file.h"

#include <gtest/gtest.h>

#include "files/atomic_file.h"
#include "support/pattern_sets.h"
#include "support/temp_dir.h"

namespace nodelyx {
namespace {

// The file written whole over any previous one: fields of 12 characters; a
// value or name that fills one or more gets one blank before it instead, so
// that columns never run together.
TEST(OutputFileTest, FieldsHeadersAndTargets) {
  // One pattern: inputs (= outputs) 1234567.5, 12345, -2; targets 150000, 0.912345, -0.5.
  const std::vector<double> pattern = {1234567.5, 12345, -2, 150000, 0.912345, -0.5};
  const struct {
    const char* name;
    OutputChoices choices;
    std::uint32_t targets;  // of the set
    const char* text;
  } cases[] = {
      {"headers and targets",
       {true, true},
       3,
       "     Output1     Target1     Output2     Target2     Output3     Target3\n"
       " 1234567.500000 150000.000000 12345.000000    0.912345   -2.000000   -0.500000\n"},
      {"outputs only", {false, false}, 3, " 1234567.500000 12345.000000   -2.000000\n"},
      {"a set without targets",
       {true, true},
       0,
       "     Output1     Output2     Output3\n"
       " 1234567.500000 12345.000000   -2.000000\n"},
  };
  const int sizes[] = {3, 3};
  Network net(sizes, -100, 100);  // linear, passing its inputs through
  net.setLayerType(6, ActivationType::Linear);
  for (int j = 0; j < 3; ++j) {
    net.biases.at(1, j) = 0.0;
    for (int i = 0; i < 3; ++i) net.weights.at(1, j, i) = i == j ? 1.0 : 0.0;
  }
  scalingEnabled = 0;
  testing::TempDir dir;
  const auto path = dir.write("old.out", "previous\n");
  for (const auto& c : cases) {
    const PatternSet set =
        testing::makePatternSet(3, c.targets, {pattern.begin(), pattern.begin() + 3 + c.targets});
    ASSERT_TRUE(writeOutputFile(path, net, set, 3, c.choices)) << c.name;
    std::string text;
    readWholeFile(path, text);
    EXPECT_EQ(text, c.text) << c.name;
  }
  EXPECT_FALSE(writeOutputFile(dir / "no" / "x.out", net, testing::makePatternSet(3, 0, pattern), 3, {}));
}

TEST(OutputFileTest, WideHeaderNamesKeepABlankBetween) {
  const int sizes[2] = {1, 100001};
  Network net(sizes, -1, 1);
  const std::string header = formatOutputFile(net, testing::makePatternSet(1, 0, {}), 100001, {true, false});
  EXPECT_NE(header.find(" Output99999 Output100000 Output100001\n"), std::string::npos);
}

}  // namespace
}  // namespace nodelyx
