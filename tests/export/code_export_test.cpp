// The written files byte for byte against golden files, the spelling of
// numbers and the names taken from file names. Compiling and running the
// code is export_clients_test.cpp's job.
#include "export/code_export.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "export/export_common.h"
#include "files/atomic_file.h"
#include "support/temp_dir.h"

namespace nodelyx {
namespace {

namespace fs = std::filesystem;
using AT = ActivationType;
using Lang = ExportLanguage;

// Weights that tell every row and column apart, a few that need many digits
// or an exponent, and ranges of each column's own.
void fill(Network& net) {
  for (int l = 1; l < net.layerCount(); ++l)
    for (int j = 0; j < net.layerSize(l); ++j) {
      net.biases.at(l, j) = -0.5 * (j + 1) - l;
      for (int i = 0; i < net.layerSize(l - 1); ++i)
        net.weights.at(l, j, i) = (i % 2 ? -1 : 1) * (l + 0.1 * j + 0.01 * i);
    }
  net.weights.at(1, 0, 0) = 1.0 / 3.0;
  net.weights.at(1, 0, 1) = -12345.678;
  net.biases.at(1, 0) = 2.5e-7;
  for (std::size_t k = 0; k < net.fromMin.size(); ++k) {
    net.fromMin[k] = -3.0 - static_cast<double>(k) / 3.0;
    net.fromMax[k] = 1000000.1 + static_cast<double>(k);
    net.toMin[k] = k < static_cast<std::size_t>(net.inputCount()) ? -1.0 : 0.0;
    net.toMax[k] = 1.0;
  }
}

using Writer = bool (*)(const Network&, const fs::path&, const std::string&, std::string*);

// The files as the writers save them (with the global scaling switch), the
// date masked; none where the file cannot be created. NODELYX_UPDATE_GOLDEN=1
// rewrites the golden files instead; review the difference before committing
// it. "odd" is what a diverged or hand-edited network and a strange path
// give: NaN and infinite weights, an activation code outside 1..4 (the layer
// outputs 0), comment terminators and a newline in the path.
TEST(CodeExportTest, FilesMatchTheGoldenFiles) {
  using enum ActivationType;
  const struct {
    const char* name;
    std::vector<int> sizes;
    std::vector<AT> types;  // per non-input layer
    bool scaling;
    const char* networkFile;
  } cases[] = {
      {"small", {2, 3, 1}, {Logistic, Logistic}, false, ""},
      {"deep", {2, 3, 2, 2, 1}, {Tanh, Linear, Gaussian, Logistic}, true, "/home/ann/nets/deep.net"},
      {"flat", {3, 2}, {Gaussian}, true, "/home/ann/nets/flat.net"},
      {"odd", {2, 2, 1}, {static_cast<AT>(9), Tanh}, false, "/nets/*/{x}*/\n%{\n.net"},
  };
  const std::pair<const char*, Writer> languages[] = {
      {".c", writeCCode}, {".pas", writePascalCode}, {".m", writeMatlabCode}};
  const std::regex date("(Date: +)[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\\d \\d\\d:\\d\\d:\\d\\d \\d{4}\n");
  const fs::path dir = fs::path(NODELYX_SOURCE_DIR) / "tests/export/golden";
  const bool update = std::getenv("NODELYX_UPDATE_GOLDEN") != nullptr;
  testing::TempDir out;
  // Numbers keep their "." under a locale with a decimal comma.
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) std::setlocale(LC_ALL, "de_DE.utf8");
  for (const auto& c : cases) {
    Network net(c.sizes, -10.0, 10.0);
    fill(net);
    for (std::size_t l = 1; l < net.layerTypes.size(); ++l) net.layerTypes[l] = c.types[l - 1];
    if (std::string(c.name) == "odd") {
      net.weights.at(1, 1, 0) = NAN;
      net.weights.at(2, 0, 1) = -INFINITY;
      net.biases.at(2, 0) = INFINITY;
    }
    scalingEnabled = c.scaling ? 1 : 0;
    for (const auto& [extension, write] : languages) {
      const std::string file = c.name + std::string(extension);
      SCOPED_TRACE(file);
      std::string text, golden;
      ASSERT_TRUE(write(net, out / file, c.networkFile, nullptr));
      ASSERT_TRUE(readWholeFile(out / file, text));
      text = std::regex_replace(text, date, "$1Tue Mar  5 09:04:01 2024\n");
      if (update) writeFileAtomically(dir / file, text);
      ASSERT_TRUE(readWholeFile(dir / file, golden));
      EXPECT_EQ(text, golden);
      std::string reason;
      EXPECT_FALSE(write(net, out / "missing" / file, "", &reason));  // and nothing appears
      EXPECT_FALSE(reason.empty());
    }
  }
  EXPECT_FALSE(fs::exists(out / "missing"));
  scalingEnabled = 0;
  std::setlocale(LC_ALL, saved.c_str());
}

// The shortest text that reads back to the same double, and a valid literal
// of C, Pascal and Matlab alike: no whole number too long for an integer type.
TEST(CodeExportTest, NumbersAreTheShortestExactLiterals) {
  const struct {
    const char* name;
    double value;
    const char* text;
  } cases[] = {
      {"short", 0.1, "0.1"},
      {"many digits", 1.0 / 3.0, "0.3333333333333333"},
      {"beyond six digits", 1000000.1, "1000000.1"},
      {"whole", -1234567.0, "-1234567"},
      {"15-digit whole", 123456789012345.0, "123456789012345"},
      {"exponent", 1e20, "1e+20"},
      {"small", 2.5e-7, "2.5e-07"},
      {"subnormal", 5e-324, "5e-324"},
      {"long whole", -123456789012345678.0, "-1.2345678901234568e+17"},
      {"whole beyond 64 bits", 1.2345678901234567e20, "1.2345678901234567e+20"},
  };
  const exportcode::NonFiniteSpelling spelling{"nan", "inf", "-inf"};
  for (const auto& c : cases) EXPECT_EQ(exportcode::number(c.value, spelling), c.text) << c.name;
}

// The Pascal unit is the file name up to its last dot, the Matlab function
// the file name less two characters; either must be an identifier and no
// reserved word, or the code cannot compile: then the writers refuse too.
TEST(CodeExportTest, NamesComeFromTheFileNameAndMustCompile) {
  testing::TempDir dir;
  const int sizes[] = {1, 1};
  Network net(sizes, -1, 1);
  const struct {
    const char* path;
    const char* unit;
    const char* function;
    bool unitOk, functionOk;
  } cases[] = {
      {"/home/ann/nets/net_1.pas", "net_1", "net_1.p", true, false},
      {"/home/ann/nets/mynet.m", "mynet", "mynet", true, true},
      {"/home/ann/my.nets/net", "net", "n", true, true},
      {"two.dots.pas", "two.dots", "two.dots.p", false, false},
      {"my-net.pas", "my-net", "my-net.p", false, false},
      {"x", "x", "", true, false},
      {"_net.m", "_net", "_net", false, false},
      {"n\xc3\xa4t.m", "n\xc3\xa4t", "n\xc3\xa4t", false, false},
      {"Begin.pas", "Begin", "Begin.p", false, false},
      {"end.m", "end", "end", false, false},
      {"End.m", "End", "End", false, true},  // Matlab tells case apart
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(pascalUnitName(c.path), c.unit);
    EXPECT_EQ(matlabFunctionName(c.path), c.function);
    EXPECT_EQ(!exportNameProblem(Lang::Pascal, c.path), c.unitOk);
    EXPECT_EQ(!exportNameProblem(Lang::Matlab, c.path), c.functionOk);
    const fs::path file = dir.path() / fs::path(c.path).filename();
    EXPECT_EQ(writePascalCode(net, file, ""), c.unitOk);
    EXPECT_EQ(fs::remove(file), c.unitOk);
    EXPECT_EQ(writeMatlabCode(net, file, ""), c.functionOk);
    EXPECT_EQ(fs::remove(file), c.functionOk);
  }
  EXPECT_EQ(exportNameProblem(Lang::Pascal, "/nets/my-net.pas"),
            "Cannot write the Pascal unit: its name \"my-net\", the file name my-net.pas up to its last dot, "
            "is not an identifier (a letter, then letters, digits or _). Please choose another file name.");
  EXPECT_EQ(exportNameProblem(Lang::Matlab, "end.m"),
            "Cannot write the Matlab function: its name \"end\", the file name end.m without its last two "
            "characters (the extension .m), is a reserved word. Please choose another file name.");
}

// Free Pascal's default "integer" has 16 bits.
TEST(CodeExportTest, PascalLoopCountersReachTheLastNeuron) {
  for (const auto& [inputs, declaration] :
       {std::pair{32767, "  i,j:integer;\n"}, std::pair{32768, "  i,j:longint;\n"}}) {
    const int sizes[] = {inputs, 1};  // neurons 0..inputs
    Network net(sizes, -1, 1);
    EXPECT_NE(formatPascalCode(net, false, {"", "-"}, "u").find(declaration), std::string::npos) << inputs;
  }
}

}  // namespace
}  // namespace nodelyx
