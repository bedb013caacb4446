#include "files/output_file.h"

#include <gtest/gtest.h>

#include "files/atomic_file.h"
#include "support/pattern_sets.h"
#include "support/temp_dir.h"

namespace nodelyx {
namespace {

using testing::makePatternSet;

// A linear network that passes its inputs through: outputs = inputs.
class OutputFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scalingEnabled = 0;
    for (int j = 0; j < 3; ++j) {
      net.biases.at(1, j) = 0.0;
      for (int i = 0; i < 3; ++i) net.weights.at(1, j, i) = i == j ? 1.0 : 0.0;
    }
    net.setLayerType(6, ActivationType::Linear);
  }
  const int sizes[2] = {3, 3};
  Network net{sizes, -100, 100};
};

TEST_F(OutputFileTest, HeadersTargetsAndFieldWidths) {
  const PatternSet set = makePatternSet(3, 3, {0.912345, 1234567.5, -2, 1, 0, 0});
  const std::string text = formatOutputFile(net, set, 3, {true, true});
  const std::string header = text.substr(0, text.find('\n'));
  EXPECT_EQ(header.size(), 72u);
  EXPECT_EQ(header.substr(0, 24), "     Output1     Target1");
  const std::string row = text.substr(text.find('\n') + 1);
  EXPECT_EQ(row, "    0.912345    1.0000001234567.500000    0.000000   -2.000000    0.000000\n");
}

TEST_F(OutputFileTest, ASetWithoutTargetsWritesOnlyOutputs) {
  const PatternSet set = makePatternSet(3, 0, {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(formatOutputFile(net, set, 3, {true, true}),
            "     Output1     Output2     Output3\n"
            "    1.000000    2.000000    3.000000\n"
            "    4.000000    5.000000    6.000000\n");
  EXPECT_EQ(formatOutputFile(net, set, 3, {false, false}).find("Output"), std::string::npos);
}

TEST_F(OutputFileTest, WritesAtomically) {
  testing::TempDir dir;
  const PatternSet set = makePatternSet(3, 3, {1, 2, 3, 1, 2, 3});
  const auto path = dir.write("old.out", "previous\n");
  EXPECT_FALSE(writeOutputFile(dir / "no" / "x.out", net, set, 3, {}));
  ASSERT_TRUE(writeOutputFile(path, net, set, 3, {}));
  std::string text;
  readWholeFile(path, text);
  EXPECT_EQ(text, "    1.000000    2.000000    3.000000\n");
}

}  // namespace
}  // namespace nodelyx
