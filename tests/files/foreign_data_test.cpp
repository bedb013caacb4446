#include "files/foreign_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace nodelyx {
namespace {

constexpr const char* kFrom = "* Converted from data.txt\n";

struct ConvertCase {
  const char* name;
  DataFormat format;
  std::vector<std::string> targets;
  std::string oneHot;
  std::string text;
  std::string expected;  // the converted text (after kFrom), or a part of the error message
  bool ok = true;
};

class ForeignDataTest : public ::testing::Test {
 protected:
  ConvertedData convert(const ConvertCase& c) {
    reporter.messages.clear();
    const ForeignDataOptions options{c.format, c.targets, c.oneHot};
    return convertForeignText(c.text, "data.txt", c.format, options, reporter, keepGoing);
  }
  void check(const ConvertCase& c) {
    const ConvertedData out = convert(c);
    EXPECT_EQ(out.ok, c.ok) << c.name;
    if (c.ok) {
      EXPECT_EQ(out.text, kFrom + c.expected) << c.name;
      EXPECT_TRUE(reporter.messages.empty()) << c.name;
      return;
    }
    EXPECT_TRUE(out.text.empty()) << c.name;
    ASSERT_EQ(reporter.messages.size(), 1u) << c.name;
    EXPECT_EQ(reporter.messages[0].title, "Error") << c.name;
    EXPECT_NE(reporter.messages[0].text.find(c.expected), std::string::npos)
        << c.name << ": " << reporter.messages[0].text;
  }

  RecordingReporter reporter;
  std::atomic<int> keepGoing{1};
};

TEST_F(ForeignDataTest, CountHeaderForm) {
  const DataFormat f = DataFormat::Fann;
  const ConvertCase cases[] = {
      {"good",
       f,
       {},
       "",
       "2 2 1\n0 0.30000000000000004\n1\n  1e-3\t-2\n\n0\n",
       "[INPUTS] 2\n[OUTPUTS] 1\n0 0.30000000000000004 1\n0.001 -2 0\n"},
      {"comments_and_crlf",
       f,
       {},
       "",
       "\r\n* made elsewhere\r\n1 1 1\r\n5 6\r\n",
       "[INPUTS] 1\n[OUTPUTS] 1\n5 6\n"},
      {"no_outputs_is_testing_data", f, {}, "", "1 2 0\n7 8\n", "[INPUTS] 2\n7 8\n"},
      {"short", f, {}, "", "2 2 1\n1 2 3\n4 5\n", "data.txt: too few numbers: expected 6, found 5", false},
      {"long",
       f,
       {},
       "",
       "1 1 1\n1\n2\n3 4\n",
       "data.txt, line 4: too many numbers: expected 2, found 4",
       false},
      {"header_of_two",
       f,
       {},
       "",
       "2 2\n1 2\n",
       "data.txt, line 1: the first line must be \"PATTERNS INPUTS OUTPUTS\" (three whole numbers), not \"2 "
       "2\"",
       false},
      {"negative_count", f, {}, "", "-1 1 1\n", "line 1: the first line must be", false},
      {"huge_counts", f, {}, "", "4294967295 4294967295 4294967295\n", "line 1: the counts", false},
      {"bad_number", f, {}, "", "1 1 1\n1\nx2\n", "data.txt, line 3: \"x2\" is not a number.", false},
      {"empty", f, {}, "", "\n\n", "data.txt is empty", false},
  };
  for (const ConvertCase& c : cases) check(c);
}

TEST_F(ForeignDataTest, CsvForm) {
  const DataFormat f = DataFormat::Csv;
  const std::string iris = "x,species\n1,setosa\n2,virginica\n\n3,versicolor\n4,setosa\n";
  const ConvertCase cases[] = {
      {"names_with_blanks",
       f,
       {},
       "",
       "sepal length (cm), petal width (cm) ,y\n5.1,0.2,0\n",
       "* Inputs: sepal length (cm), petal width (cm)\n* Outputs: y\n[INPUTS] 2\n[OUTPUTS] 1\n5.1 0.2 0\n"},
      {"no_names_line", f, {}, "", " 1 , 2\n3,4\n", "[INPUTS] 1\n[OUTPUTS] 1\n1 2\n3 4\n"},
      {"quoted",
       f,
       {},
       "",
       "\"a\",\"b, \"\"c\"\"\",y\n\"1\", \"2\" ,3\n",
       "* Inputs: a, b, \"c\"\n* Outputs: y\n[INPUTS] 2\n[OUTPUTS] 1\n1 2 3\n"},
      {"semicolon_and_blank_lines",
       f,
       {},
       "",
       "x;y\r\n\r\n1;2\r\n   \r\n3;4\r\n",
       "* Inputs: x\n* Outputs: y\n[INPUTS] 1\n[OUTPUTS] 1\n1 2\n3 4\n"},
      {"tab", f, {}, "", "x y\tz\n1\t2\n", "* Inputs: x y\n* Outputs: z\n[INPUTS] 1\n[OUTPUTS] 1\n1 2\n"},
      {"targets_by_name_and_number",
       f,
       {"c", "1"},
       "",
       "a,b,c,d\n1,2,3,4\n",
       "* Inputs: b, d\n* Outputs: c, a\n[INPUTS] 2\n[OUTPUTS] 2\n2 4 3 1\n"},
      {"one_hot_text",
       f,
       {},
       "species",
       iris,
       "* Inputs: x\n* Outputs: species=setosa, species=versicolor, species=virginica\n[INPUTS] 1\n"
       "[OUTPUTS] 3\n1 1 0 0\n2 0 0 1\n3 0 1 0\n4 1 0 0\n"},
      {"one_hot_numeric_order",
       f,
       {},
       "2",
       "1,10\n2,9\n3,10.0\n4,2\n",
       "* Outputs: column 2=2, column 2=9, column 2=10\n[INPUTS] 1\n[OUTPUTS] 3\n1 0 0 1\n2 0 1 0\n3 0 0 1\n"
       "4 1 0 0\n"},
      {"one_hot_in_its_place",
       f,
       {"s", "y"},
       "s",
       "x,s,y\n1,b,5\n2,a,6\n",
       "* Inputs: x\n* Outputs: s=a, s=b, y\n[INPUTS] 1\n[OUTPUTS] 3\n1 0 1 5\n2 1 0 6\n"},
      {"one_hot_added_to_targets",
       f,
       {"y"},
       "s",
       "s,x,y\nb,1,5\n",
       "* Inputs: x\n* Outputs: y, s=b\n[INPUTS] 1\n[OUTPUTS] 2\n1 5 1\n"},
      {"bad_field",
       f,
       {},
       "",
       "x,y\n1,2\n3,abc\n",
       "data.txt, line 3, column 2 (y): \"abc\" is not a number.",
       false},
      {"bad_field_without_names", f, {}, "", "1,2\n3,4,\n", "data.txt, line 2: 3 fields, expected 2", false},
      {"empty_field", f, {}, "", "1,2\n,4\n", "data.txt, line 2, column 1: the field is empty.", false},
      {"unclosed_quote", f, {}, "", "x,y\n1,\"2\n", "data.txt, line 2: a quoted field is not closed.", false},
      {"unknown_name", f, {"z"}, "", "x,y\n1,2\n", "data.txt has no column named \"z\".", false},
      {"column_out_of_range", f, {"3"}, "", "x,y\n1,2\n", "data.txt has no column 3", false},
      {"name_without_names_line", f, {}, "y", "1,2\n", "data.txt has no names line", false},
      {"target_twice", f, {"y", "2"}, "", "x,y\n1,2\n", "column 2 (y) is a target column twice", false},
  };
  for (const ConvertCase& c : cases) check(c);
}

TEST_F(ForeignDataTest, AutoDetection) {
  struct Case {
    const char* name;
    std::string text;
    std::string oneHot;
    DataFormat expected;
  };
  const Case cases[] = {
      {"own_header", "* note\n[INPUTS] 1\n[OUTPUTS] 1\n1 2\n", "", DataFormat::Native},
      {"count_header", "\n2 1 1\n1 2\n3 4\n", "", DataFormat::Fann},
      {"three_integers_that_do_not_count", "1 2 3\n4 5 6\n", "", DataFormat::Native},
      {"plain_table", "0.5,1\n1.5,0\n", "", DataFormat::Native},
      {"names_line", "x y\n1 2\n", "", DataFormat::Csv},
      {"columns_given", "1,2\n", "2", DataFormat::Csv},
  };
  for (const Case& c : cases) {
    const std::unique_ptr<ByteSource> source = memorySource(c.text);
    EXPECT_EQ(detectDataFormat(*source, {DataFormat::Auto, {}, c.oneHot}, keepGoing), c.expected) << c.name;
  }
}

// A converted file is read by the data reader under its own name, with the
// reader's checks; our own files are read as they always were.
TEST_F(ForeignDataTest, ReadsThroughTheDataReader) {
  testing::TempDir dir;
  DataReadRequest request;
  request.path = dir.write("iris.csv", "a,species\n1,b\n2,a\n");
  const ForeignDataOptions oneHot{DataFormat::Auto, {}, "species"};
  std::string caption;
  DataReadCallbacks callbacks;
  callbacks.caption = [&caption](const std::string& text) { caption += text; };
  DataReadOutcome outcome = readForeignDataFile(request, callbacks, reporter, keepGoing, oneHot);
  ASSERT_TRUE(outcome.ok);
  EXPECT_EQ(caption, "Reading: iris.csv");
  EXPECT_EQ(std::vector<double>(outcome.set.values.get(), outcome.set.values.get() + 6),
            (std::vector<double>{1, 0, 1, 2, 1, 0}));
  EXPECT_EQ(outcome.set.targetMax.size(), 2u);

  request.path = dir.write("one.csv", "a\n1\n");  // no inputs left
  EXPECT_FALSE(readForeignDataFile(request, {}, reporter, keepGoing, {DataFormat::Csv, {}, {}}).ok);
  ASSERT_FALSE(reporter.messages.empty());
  EXPECT_EQ(reporter.messages.back().title, "Invalid # of inputs");
  EXPECT_NE(reporter.messages.back().text.find("one.csv contains 0 inputs"), std::string::npos);

  request.path = dir.write("own.trn", "[INPUTS] 1\n[OUTPUTS] 1\n1 2\n3 4\n");
  outcome = readForeignDataFile(request, {}, reporter, keepGoing, {DataFormat::Auto, {}, {}});
  EXPECT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.set.patternCount, 2u);

  reporter.messages.clear();
  keepGoing = 0;
  request.path = dir.path() / "iris.csv";
  EXPECT_FALSE(readForeignDataFile(request, {}, reporter, keepGoing, oneHot).ok);
  EXPECT_TRUE(reporter.messages.empty());
}

}  // namespace
}  // namespace nodelyx
