// nodelyx-cli export run as a user runs it: the code it writes carries the
// model's numbers in full, and a file name that would give the Pascal unit or
// the Matlab function a name that cannot compile is refused before anything
// is written.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/cli_fixture.h"

namespace nodelyx {
namespace {

// A 2-2-1 model with scaling whose numbers six significant digits would
// change (the input ranges would even collapse to one value).
constexpr const char* kWeights =
    "[layers]  3\n[layersizes] 2 2 1\n[layertypes] 2 3\n"
    "[FromMin] 1000000.1 1000000.1 -5\n[FromMax] 1000000.4 1000000.4 5\n"
    "[ToMin] -1 -1 0\n[ToMax] 1 1 1\n\n[Weights]\n"
    "0.3333333333333333 -12345.678 0.1\n2.5e-07 1.2345678901234567e+20 -7\n\n1.5 -2.25 0.1\n\n";

using CliExportTest = testing::CliFixture;

TEST_F(CliExportTest, WritesTheNumbersInFullAndRefusesNamesThatCannotCompile) {
  const struct {
    const char* name;
    const char* lang;
    const char* file;
    int exitCode;
    const char* expected;  // in the written file, or on standard error
  } cases[] = {
      {"C, any file name", "c", "my-net.c", 0, " 0.3333333333333333, -12345.678, 0.1,\n"},
      {"C ranges", "c", "net.c", 0, " 1000000.1, 1000000.1, -5\n"},
      {"Pascal unit", "pascal", "my_net.pas", 0, "unit my_net;\n"},
      {"Pascal weights", "pascal", "net.pas", 0, " (2.5e-07, 1.2345678901234567e+20, -7)"},
      {"Matlab function", "matlab", "net2.m", 0, "function outputs = net2(inputs)\n"},
      {"Matlab ranges", "matlab", "net.m", 0, "R_MAX = [ 1000000.4, 1000000.4, 5];\n"},
      {"Pascal name with a hyphen", "pascal", "my-net.pas", 1,
       "Error: Cannot write the Pascal unit: its name \"my-net\", the file name my-net.pas up to its last "
       "dot, is not an identifier (a letter, then letters, digits or _). Please choose another file name.\n"},
      {"Pascal reserved word", "pascal", "Begin.pas", 1, "its name \"Begin\", the file name Begin.pas"},
      {"Matlab name too short", "matlab", "x", 1,
       "Error: Cannot write the Matlab function: its name \"\", the file name x without its last two "
       "characters (the extension .m), is not an identifier"},
      {"Matlab name with a dot", "matlab", "net.v2.m", 1, "its name \"net.v2\""},
  };
  const std::string model = dir.write("net.wts", kWeights).string();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::filesystem::path output = dir / c.file;
    if (c.exitCode != 0) dir.write(c.file, "previous\n");  // a refusal leaves it as it was
    const testing::ProcessResult r = cli({"export", model, "--lang", c.lang, "--output", output.string()});
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    std::string text;
    ASSERT_TRUE(readWholeFile(output, text));
    if (c.exitCode == 0) {
      EXPECT_TRUE(r.err.empty()) << r.err;
      EXPECT_NE(text.find(c.expected), std::string::npos) << text;
    } else {
      EXPECT_NE(r.err.find(c.expected), std::string::npos) << r.err;
      EXPECT_EQ(text, "previous\n");
    }
  }
}

}  // namespace
}  // namespace nodelyx
