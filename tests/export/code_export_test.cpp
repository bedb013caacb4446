// The generated texts byte for byte against golden files, the names taken
// from file names, and the file save. Compiling and running the code is
// export_clients_test.cpp's job.
#include "export/code_export.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "files/atomic_file.h"
#include "support/temp_dir.h"

namespace nodelyx {
namespace {

namespace fs = std::filesystem;
using AT = ActivationType;

// Weights that tell every row and column apart, with a few that show the
// six-digit form.
void setWeights(Network& net) {
  for (int l = 1; l < net.layerCount(); ++l)
    for (int j = 0; j < net.layerSize(l); ++j) {
      net.biases.at(l, j) = -0.5 * (j + 1) - l;
      for (int i = 0; i < net.layerSize(l - 1); ++i)
        net.weights.at(l, j, i) = (i % 2 ? -1 : 1) * (l + 0.1 * j + 0.01 * i);
    }
  net.weights.at(1, 0, 0) = 1.0 / 3.0;
  net.weights.at(1, 0, 1) = -12345.678;
  net.biases.at(1, 0) = 2.5e-7;
}

void setRanges(Network& net) {
  for (std::size_t k = 0; k < net.fromMin.size(); ++k) {
    net.fromMin[k] = -3.0 - static_cast<double>(k);
    net.fromMax[k] = 5.0;
    net.toMin[k] = k < static_cast<std::size_t>(net.inputCount()) ? -1.0 : 0.0;
    net.toMax[k] = 1.0;
  }
}

struct GoldenCase {
  const char* name;
  std::vector<int> sizes;
  std::vector<AT> types;  // per non-input layer
  bool scaling;
  const char* networkFile;
};

// "odd" is what a diverged or hand-edited network and a strange path give:
// NaN and infinite weights, an activation code outside 1..4 (the layer
// outputs 0), and comment terminators and a newline in the path.
const GoldenCase kGolden[] = {
    {"small", {2, 3, 1}, {AT::Logistic, AT::Logistic}, false, ""},
    {"deep",
     {2, 3, 2, 2, 1},
     {AT::Tanh, AT::Linear, AT::Gaussian, AT::Logistic},
     true,
     "/home/ann/nets/deep.net"},
    {"flat", {3, 2}, {AT::Gaussian}, true, "/home/ann/nets/flat.net"},
    {"odd", {2, 2, 1}, {static_cast<AT>(9), AT::Tanh}, false, "/nets/*/{x}*/\n%{\n.net"},
};

struct Language {
  const char* extension;
  std::function<std::string(const Network&, bool, const ExportHeader&, const std::string&)> format;
};

const Language kLanguages[] = {
    {".c", [](const Network& n, bool s, const ExportHeader& h,
              const std::string&) { return formatCCode(n, s, h); }},
    {".pas", formatPascalCode},
    {".m", formatMatlabCode},
};

// NODELYX_UPDATE_GOLDEN=1 rewrites the files instead; review the difference
// before committing it.
TEST(CodeExportTest, TextsMatchTheGoldenFiles) {
  const fs::path dir = fs::path(NODELYX_SOURCE_DIR) / "tests/export/golden";
  const bool update = std::getenv("NODELYX_UPDATE_GOLDEN") != nullptr;
  // Numbers keep their "." under a locale with a decimal comma.
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) std::setlocale(LC_ALL, "de_DE.utf8");
  for (const GoldenCase& c : kGolden) {
    Network net(c.sizes, -10.0, 10.0);
    setWeights(net);
    setRanges(net);
    for (std::size_t l = 1; l < net.layerTypes.size(); ++l) net.layerTypes[l] = c.types[l - 1];
    if (std::string(c.name) == "odd") {
      net.weights.at(1, 1, 0) = NAN;
      net.weights.at(2, 0, 1) = -INFINITY;
      net.biases.at(2, 0) = INFINITY;
    }
    for (const Language& language : kLanguages) {
      const fs::path file = dir / (std::string(c.name) + language.extension);
      SCOPED_TRACE(file.filename().string());
      const std::string text =
          language.format(net, c.scaling, {c.networkFile, "Tue Mar  5 09:04:01 2024"}, c.name);
      if (update) {
        ASSERT_TRUE(writeFileAtomically(file, text));
      }
      std::string golden;
      ASSERT_TRUE(readWholeFile(file, golden));
      EXPECT_EQ(text, golden);
    }
  }
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(CodeExportTest, UnitAndFunctionNamesComeFromTheFileName) {
  const struct {
    const char* path;
    const char* unit;
    const char* function;
  } cases[] = {
      {"net1.pas", "net1", "net1.p"},
      {"/home/ann/nets/mynet.m", "mynet", "mynet"},
      {"/home/ann/my.nets/net", "net", "n"},
      {"two.dots.pas", "two.dots", "two.dots.p"},
      {"M", "M", ""},  // too short for an extension: no name rather than a failure
  };
  for (const auto& c : cases) {
    EXPECT_EQ(pascalUnitName(c.path), c.unit) << c.path;
    EXPECT_EQ(matlabFunctionName(c.path), c.function) << c.path;
  }
}

// Free Pascal's default "integer" has 16 bits.
TEST(CodeExportTest, PascalLoopCountersReachTheLastNeuron) {
  const struct {
    int inputs;
    const char* declaration;
  } cases[] = {{32767, "  i,j:integer;\n"}, {32768, "  i,j:longint;\n"}};
  for (const auto& c : cases) {
    const int sizes[] = {c.inputs, 1};  // neurons 0..inputs
    Network net(sizes, -1, 1);
    EXPECT_NE(formatPascalCode(net, false, {"", "-"}, "u").find(c.declaration), std::string::npos)
        << c.inputs;
  }
}

TEST(CodeExportTest, WritersSaveTheTextDatedNowWithTheGlobalScalingSwitch) {
  testing::TempDir dir;
  const int sizes[] = {2, 2, 1};
  Network net(sizes, -1, 1);
  setRanges(net);
  const ExportHeader masked{"/nets/a.net", "<DATE>"};
  const struct {
    const char* file;
    bool (*write)(const Network&, const fs::path&, const std::string&);
    std::function<std::string(bool)> format;
  } cases[] = {
      {"a.c", writeCCode, [&](bool s) { return formatCCode(net, s, masked); }},
      {"a.pas", writePascalCode, [&](bool s) { return formatPascalCode(net, s, masked, "a"); }},
      {"a.m", writeMatlabCode, [&](bool s) { return formatMatlabCode(net, s, masked, "a"); }},
  };
  const std::regex date("[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\\d \\d\\d:\\d\\d:\\d\\d \\d{4}\n");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    for (const int scaling : {0, 1}) {
      scalingEnabled = scaling;
      ASSERT_TRUE(c.write(net, dir / c.file, "/nets/a.net"));
      std::string text;
      ASSERT_TRUE(readWholeFile(dir / c.file, text));
      EXPECT_EQ(std::regex_replace(text, date, "<DATE>\n"), c.format(scaling != 0));
    }
    EXPECT_FALSE(c.write(net, dir / "missing" / c.file, ""));
    EXPECT_FALSE(fs::exists(dir / "missing"));
  }
  scalingEnabled = 0;
}

}  // namespace
}  // namespace nodelyx
