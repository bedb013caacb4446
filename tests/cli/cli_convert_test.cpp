// nodelyx-cli convert, and data on files of other forms, run as a user runs
// them: what is printed, what is written, and what reads back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/cli_fixture.h"

namespace nodelyx {
namespace {

using testing::ProcessResult;
using CliConvertTest = testing::CliFixture;

constexpr const char* kIris =
    "sepal length (cm),sepal width (cm),petal length (cm),petal width (cm),species\n"
    "5.1,3.5,1.4,0.2,setosa\n"
    "7,3.2,4.7,1.4,versicolor\n"
    "6.3,3.3,6,2.5,virginica\n"
    "4.9,3,1.4,0.2,setosa\n";

TEST_F(CliConvertTest, OneHotCsvReadsBackAsTheSamePatterns) {
  dir.write("iris.csv", kIris);
  const ProcessResult r = cli({"convert", path("iris.csv"), path("iris.trn"), "--one-hot", "species"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            path("iris.trn") +
                ": 4 patterns, 4 inputs, 3 outputs (one-hot species: setosa, versicolor, virginica)\n");
  const std::string written = read("iris.trn");
  EXPECT_NE(written.find("* Outputs: species=setosa, species=versicolor, species=virginica\n[INPUTS] 4\n"
                         "[OUTPUTS] 3\n5.1 3.5 1.4 0.2 1 0 0\n7 3.2 4.7 1.4 0 1 0\n"),
            std::string::npos)
      << written;
  const ProcessResult converted = cli({"data", path("iris.trn"), "--json"});
  const ProcessResult direct =
      cli({"data", path("iris.csv"), "--format", "csv", "--one-hot", "species", "--json"});
  EXPECT_EQ(converted.exitCode, 0) << converted.err;
  EXPECT_EQ(direct.exitCode, 0) << direct.err;
  EXPECT_NE(converted.out.find("\"patterns\": 4, \"inputs\": 4, \"outputs\": 3"), std::string::npos);
  EXPECT_EQ(converted.out, direct.out);
}

TEST_F(CliConvertTest, Cases) {
  struct Case {
    const char* name;
    const char* text;  // written to NAME.in
    std::vector<std::string> options;
    int exitCode;
    std::string err;      // a part of standard error ("": nothing at all)
    const char* written;  // the whole of NAME.out; null: what was there before
  };
  const Case cases[] = {
      {"count_header_form",
       "2 1 1\n1 2\n3 0.1\n",
       {},
       0,
       "",
       "* Converted from count_header_form.in\n[INPUTS] 1\n[OUTPUTS] 1\n1 2\n3 0.1\n"},
      {"count_header_form_short",
       "2 1 1\n1 2\n3\n",
       {"--format", "fann"},
       1,
       "Error: count_header_form_short.in: too few numbers: expected 4, found 3",
       nullptr},
      {"plain_table_gets_a_header",
       "0 0 0\n0 1 1\n",
       {"--inputs", "2", "--outputs", "1"},
       0,
       "",
       "* Converted from plain_table_gets_a_header.in\n[INPUTS] 2\n[OUTPUTS] 1\n0 0 0\n0 1 1\n"},
      {"plain_table_without_counts", "0 0 0\n", {}, 1, "--inputs N --outputs N", nullptr},
      {"bad_csv_field",
       "x,y\n1,2\n3,?\n",
       {},
       1,
       "Error: bad_csv_field.in, line 3, column 2 (y): \"?\" is not a number.",
       nullptr},
      {"no_patterns", "x,y\n", {}, 1, "contains 0 patterns", nullptr},
      {"unknown_format",
       "1 2\n",
       {"--format", "xls"},
       2,
       "--format must be fann, csv, auto or native",
       nullptr},
      {"one_hot_needs_csv",
       "1 2\n",
       {"--format", "fann", "--one-hot", "2"},
       2,
       "--target-columns and --one-hot need --format csv or auto",
       nullptr},
      {"empty_target_list", "1 2\n", {"--target-columns", "1,"}, 2, "--target-columns needs", nullptr},
  };
  for (const Case& c : cases) {
    const std::string out = std::string(c.name) + ".out";
    dir.write(out, "before\n");
    std::vector<std::string> args = {"convert", dir.write(std::string(c.name) + ".in", c.text).string(),
                                     path(out)};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const ProcessResult r = cli(args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.name << ": " << r.err;
    expectErrors(r, c.err, c.name);
    EXPECT_EQ(read(out), c.written ? c.written : "before\n") << c.name;
  }
}

TEST_F(CliConvertTest, DataCommandReadsOtherForms) {
  dir.write("iris.csv", kIris);
  const ProcessResult r = cli({"data", path("iris.csv"), "--format", "csv", "--one-hot", "species"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("4 patterns, 4 inputs, 3 outputs"), std::string::npos) << r.out;
  EXPECT_EQ(cli({"data", path("iris.csv"), "--one-hot", "species"}).exitCode, 2);
  EXPECT_EQ(cli({"convert", path("iris.csv")}).exitCode, 2);
}

}  // namespace
}  // namespace nodelyx
