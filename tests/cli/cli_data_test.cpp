// nodelyx-cli data and scale on files that are damaged, oddly laid out or
// not files at all: one process per case, checking the exit status, the
// messages and what was written.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "support/cli_fixture.h"

namespace nodelyx {
namespace {

using testing::ProcessResult;

constexpr const char* kUnrecognizable =
    "Error: Unrecognizable file format.\nMake sure the file is saved in MSDOS text file format.\n";

using CliDataTest = testing::CliFixture;

TEST_F(CliDataTest, DataCommand) {
  struct Case {
    const char* name;
    const char* text;  // written to NAME.trn; null: the file is FILE itself
    std::vector<std::string> options;
    int exitCode;
    std::string err;  // a part of standard error ("" : nothing at all)
    std::string out;  // a part of standard output
  };
  ASSERT_EQ(::mkfifo(path("fifo.trn").c_str(), 0600), 0);
  const std::string counts[] = {"--inputs", "2", "--outputs", "1"};
  const std::vector<std::string> twoAndOne(std::begin(counts), std::end(counts));
  const Case cases[] = {
      {"comment_after_first_pattern", "0 0 0 % pattern one\n0 1 1\n1 0 1\n", twoAndOne, 1,
       std::string(kUnrecognizable) + "comment_after_first_pattern.trn, line 1: \"%\" is not a number.", ""},
      {"typo_in_first_pattern", "1.5 2.0 3..0\n1 2 3\n", twoAndOne, 1,
       std::string(kUnrecognizable) + "typo_in_first_pattern.trn, line 1: \"3..0\" is not a number.", ""},
      {"names_of_other_column_count", "a b\n1 2 3\n", twoAndOne, 1,
       "names_of_other_column_count.trn, line 1: \"a\" is not a number.", ""},
      {"bad_word_further_down",
       "[INPUTS] 1\n[OUTPUTS] 1\n* not a comment here\n1 2\n3 x4\n",
       {},
       1,
       "bad_word_further_down.trn, line 3: \"*\" is not a number.",
       ""},
      {"bad_number_further_down",
       "[INPUTS] 1\n[OUTPUTS] 1\n1 2\n\n3 1e999\n",
       {},
       1,
       "bad_number_further_down.trn, line 5: \"1e999\" is not a number.",
       ""},
      {"csv_names_line", "x1,x2,y\r\n0,0,0\r\n0,1,1\r\n", twoAndOne, 0, "",
       "2 patterns, 2 inputs, 1 outputs"},
      {"csv_names_with_blanks", "sepal length (cm),sepal width (cm),target\n5.1,3.5,0\n4.9,3.0,1\n",
       twoAndOne, 0, "", "  input  2 (sepal width (cm)): 3 .. 3.5\n"},
      {"leftover_value",
       "[INPUTS] 2\n[OUTPUTS] 1\n0 0 0\n0 1 1\n1\n",
       {},
       0,
       "Warning: leftover_value.trn: 1 value after the last whole pattern is ignored.",
       "  1 value after the last whole pattern ignored\n"},
      {"other_tools_header",
       "105 4 3\n1 2 3 4 5 6 7\n1 2 3 4 5 6 7\n",
       {"--inputs", "4", "--outputs", "3"},
       0,
       "Warning: other_tools_header.trn: 3 values after the last whole pattern are ignored.",
       "2 patterns"},
      {"leftover_in_json",
       "[INPUTS] 1\n[OUTPUTS] 1\n1 2 3\n",
       {"--json"},
       0,
       "1 value after",
       "\"leftover_values\": 1}"},
      {"device", nullptr, {"/dev/zero"}, 1, "Error: Could not read file zero\nIt is not a regular file.", ""},
      {"fifo", nullptr, {path("fifo.trn")}, 1, "Could not read file fifo.trn\nIt is not a regular file.", ""},
      {"directory", nullptr, {dir.path().string()}, 1, "It is not a regular file.", ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"data"};
    if (c.text) args.push_back(dir.write(std::string(c.name) + ".trn", c.text).string());
    args.insert(args.end(), c.options.begin(), c.options.end());
    const ProcessResult r = cli(args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.name << ": " << r.err;
    expectErrors(r, c.err, c.name);
    EXPECT_NE(r.out.find(c.out), std::string::npos) << c.name << ": " << r.out;
  }
}

TEST_F(CliDataTest, ScaleCommand) {
  // One input column 0..10 and one output column 1..3, the outputs scaled
  // onto -1..1.
  const std::string scale =
      "[INPUTS] 1\n[OUTPUTS] 1\n[MINIMUMS] 0 1 \n[MAXIMUMS] 10 3 \n[NEWINPUTRANGE] 0 1\n"
      "[NEWOUTPUTRANGE] -1 1\n";
  dir.write("given.scl", scale);
  ASSERT_EQ(::mkfifo(path("fifo.scl").c_str(), 0600), 0);
  struct Case {
    const char* name;
    const char* text;  // written to NAME.in
    std::vector<std::string> options;
    int exitCode;
    std::string err;  // a part of standard error ("": nothing at all)
    const char* out;  // the whole of NAME.out; null: no such file
  };
  const Case cases[] = {
      {"unscale_outputs_only",
       "-1\n0\n1\n",
       {"--action", "unscale", "--scale", path("given.scl"), "--inputs", "0", "--outputs", "1",
        "--no-header"},
       0,
       "",
       "1.000000 \n2.000000 \n3.000000 \n"},
      {"scale_outputs_only",
       "1\n3\n",
       {"--action", "file", "--scale", path("given.scl"), "--inputs", "0", "--outputs", "1"},
       0,
       "",
       "[OUTPUTS] 1\n-1.000000 \n1.000000 \n"},
      {"no_columns_at_all",
       "1\n",
       {"--action", "ranges", "--scale", path("x.scl"), "--inputs", "0", "--outputs", "0"},
       2,
       "--inputs and --outputs cannot both be 0",
       nullptr},
      {"scale_file_for_other_inputs",
       "[INPUTS] 2\n[OUTPUTS] 1\n1 2 3\n",
       {"--action", "unscale", "--scale", path("given.scl")},
       1,
       "Error: Invalid Scale File\nThe scale file is for 1 input column, the data has 2.",
       nullptr},
      {"scale_file_for_other_outputs",
       "0 1 1\n",
       {"--action", "file", "--scale", path("given.scl"), "--inputs", "1", "--outputs", "2"},
       1,
       "Error: Invalid Scale File\nThe scale file is for 1 output column, the data has 2.",
       nullptr},
      {"csv_names_line",
       "x,y\n0,1\n10,3\n",
       {"--action", "ranges", "--scale", path("csv.scl"), "--inputs", "1", "--outputs", "1"},
       0,
       "",
       "[INPUTS] 1\n[OUTPUTS] 1\n0.000000 0.100000 \n1.000000 0.900000 \n"},
      {"inputs_keyword_without_count",
       "[INPUTS]\n1 2\n",
       {"--action", "ranges", "--scale", path("kw.scl"), "--inputs", "1", "--outputs", "1"},
       1,
       "inputs_keyword_without_count.in, line 1: \"[INPUTS]\" is not a number.",
       nullptr},
      {"bad_number",
       "[INPUTS] 1\n[OUTPUTS] 1\n0 1\n5 2..\n",
       {"--action", "ranges", "--scale", path("b.scl")},
       1,
       std::string(kUnrecognizable) + path("bad_number.in") + ", line 4: \"2..\" is not a number.",
       nullptr},
      {"leftover_value",
       "[INPUTS] 1\n[OUTPUTS] 1\n0 1\n10 3\n7\n",
       {"--action", "file", "--scale", path("given.scl"), "--no-header"},
       0,
       "Warning: " + path("leftover_value.in") + ": 1 value after the last whole pattern is ignored.",
       "0.000000 -1.000000 \n1.000000 1.000000 \n"},
      {"device_as_data",
       nullptr,
       {"--in", "/dev/zero", "--action", "ranges", "--scale", path("d.scl")},
       1,
       "File Error: Could not open file /dev/zero\nIt is not a regular file.",
       nullptr},
      {"unknown_action",
       "1 2\n",
       {"--action", "stretch", "--scale", path("s.scl")},
       2,
       "--action must be ranges, file or unscale",
       nullptr},
      {"missing_scale_file",
       "1 2\n",
       {"--action", "file", "--scale", path("none.scl"), "--inputs", "1", "--outputs", "1"},
       1,
       "File Error: Could not open file " + path("none.scl"),
       nullptr},
      {"fifo_as_scale_file",
       "[INPUTS] 1\n[OUTPUTS] 1\n0 1\n",
       {"--action", "file", "--scale", path("fifo.scl")},
       1,
       "File Error: Could not open file " + path("fifo.scl") + "\nIt is not a regular file.",
       nullptr},
  };
  for (const Case& c : cases) {
    const std::string out = path(std::string(c.name) + ".out");
    std::vector<std::string> args = {"scale", "--out", out};
    if (c.text) args.insert(args.end(), {"--in", dir.write(std::string(c.name) + ".in", c.text).string()});
    args.insert(args.end(), c.options.begin(), c.options.end());
    const ProcessResult r = cli(args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.name << ": " << r.err;
    expectErrors(r, c.err, c.name);
    if (c.out)
      EXPECT_EQ(read(std::string(c.name) + ".out"), c.out) << c.name;
    else
      EXPECT_FALSE(std::filesystem::exists(out)) << c.name;
  }
}

}  // namespace
}  // namespace nodelyx
