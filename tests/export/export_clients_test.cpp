// The generated C, Pascal and Matlab code run by the real clients (gcc, g++,
// Free Pascal, GNU Octave) on a few hundred input vectors per network and
// compared with the network's own recall. The weights are first set to the
// six-digit values the code carries, so any difference beyond rounding is a
// fault of the code. A missing client skips its test.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "export/code_export.h"
#include "files/atomic_file.h"
#include "files/c_format.h"
#include "support/temp_dir.h"

namespace nodelyx {
namespace {

namespace fs = std::filesystem;
using AT = ActivationType;

struct ClientCase {
  const char* name;
  std::vector<int> sizes;
  std::vector<AT> types;  // per non-input layer
  bool scaling;
  double spread;  // inputs: the data range widened by this, or +-this without scaling
};

constexpr auto kInactive = static_cast<AT>(7);  // such a layer outputs 0
const ClientCase kCases[] = {
    {"flat", {3, 2}, {AT::Logistic}, false, 2.0},
    {"flat_scaled", {2, 3}, {AT::Gaussian}, true, 1.0},
    {"one_hidden", {4, 6, 2}, {AT::Tanh, AT::Linear}, false, 2.0},
    {"one_hidden_scaled", {3, 5, 1}, {AT::Linear, AT::Tanh}, true, 1.0},
    {"three_hidden_scaled", {3, 5, 4, 3, 2}, {AT::Logistic, AT::Tanh, AT::Gaussian, AT::Linear}, true, 1.0},
    {"three_hidden", {2, 4, 4, 4, 1}, {AT::Gaussian, AT::Linear, AT::Tanh, AT::Logistic}, false, 2.0},
    // Net inputs far beyond the point where exp overflows.
    {"saturated_logistic", {2, 3, 1}, {AT::Logistic, AT::Linear}, false, 1e5},
    {"saturated_tanh", {2, 3, 1}, {AT::Tanh, AT::Gaussian}, false, 1e5},
    {"inactive_layer", {2, 3, 2}, {kInactive, AT::Linear}, false, 2.0},
    // Hidden biases +inf and -inf, a NaN output bias (set below).
    {"non_finite", {2, 2, 2}, {AT::Logistic, AT::Linear}, false, 2.0},
};

// A case's network with its input vectors (as text) and recalled outputs.
struct Prepared {
  const ClientCase* clientCase;
  std::unique_ptr<Network> network;
  std::string inputText;
  std::vector<double> expected;  // pattern after pattern
};

double sixDigits(double value) { return std::strtod(formatC("%g", value).c_str(), nullptr); }

Prepared prepare(const ClientCase& c, std::uint32_t seed) {
  Prepared p{&c, std::make_unique<Network>(c.sizes, -10.0, 10.0), {}, {}};
  Network& net = *p.network;
  net.randomizeWeights(seed);
  net.perturbWeights(40, seed + 1);
  for (double& w : net.weights.all()) w = sixDigits(3.0 * w);  // into the curved parts of the functions
  for (int l = 1; l < net.layerCount(); ++l) {
    net.layerTypes[static_cast<std::size_t>(l)] = c.types[static_cast<std::size_t>(l - 1)];
    for (int j = 0; j < net.layerSize(l); ++j) net.biases.at(l, j) = sixDigits(net.biases.at(l, j));
  }
  if (std::string(c.name) == "non_finite") {
    net.biases.at(1, 0) = INFINITY;
    net.biases.at(1, 1) = -INFINITY;
    net.biases.at(2, 1) = NAN;
  }
  // Inputs: data [-3-k, 5+k] onto [-1, 1]; outputs: [0, 1] onto data [10+k, 20+k].
  for (std::size_t k = 0; k < net.fromMin.size(); ++k) {
    const bool input = k < static_cast<std::size_t>(net.inputCount());
    net.fromMin[k] = (input ? -3.0 : 10.0) + (input ? -1.0 : 1.0) * static_cast<double>(k);
    net.fromMax[k] = (input ? 5.0 : 20.0) + static_cast<double>(k);
    net.toMin[k] = input ? -1.0 : 0.0;
    net.toMax[k] = 1.0;
  }
  std::mt19937 random(seed);
  std::vector<double> input(static_cast<std::size_t>(net.inputCount()));
  std::vector<double> result(static_cast<std::size_t>(net.outputCount()));
  scalingEnabled = c.scaling ? 1 : 0;
  for (int n = 0; n < 240; ++n) {
    for (std::size_t k = 0; k < input.size(); ++k) {
      const double low = c.scaling ? net.fromMin[k] - c.spread : -c.spread;
      const double high = c.scaling ? net.fromMax[k] + c.spread : c.spread;
      input[k] = std::uniform_real_distribution<double>(low, high)(random);
      p.inputText += formatC("%.17g ", input[k]);
    }
    p.inputText += "\n";
    net.recall(input.data(), result.data());
    p.expected.insert(p.expected.end(), result.begin(), result.end());
  }
  return p;
}

const std::vector<Prepared>& prepared() {
  static const std::vector<Prepared> cases = [] {
    std::vector<Prepared> all;
    std::uint32_t seed = 11;
    for (const ClientCase& c : kCases) all.push_back(prepare(c, seed += 7));
    scalingEnabled = 0;
    return all;
  }();
  return cases;
}

// Writes the code as the menu command does, with the case's scaling switch
// and a network file path that holds every comment terminator.
bool writeCode(const Prepared& p, bool (*writer)(const Network&, const fs::path&, const std::string&),
               const fs::path& path) {
  scalingEnabled = p.clientCase->scaling ? 1 : 0;
  const bool written =
      writer(*p.network, path, "/nets/*/{" + std::string(p.clientCase->name) + "}\n%{\n.net");
  scalingEnabled = 0;
  return written;
}

bool haveTool(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null").c_str()) == 0;
}

// Runs a shell command in dir; output receives what it printed (both streams).
bool run(const fs::path& dir, const std::string& command, std::string& output) {
  const fs::path log = dir / "command.log";
  const int status =
      std::system(("cd '" + dir.string() + "' && " + command + " >'" + log.string() + "' 2>&1").c_str());
  readWholeFile(log, output);
  return status == 0;
}

std::vector<double> numbersIn(const std::string& text) {
  std::vector<double> values;
  char* end = nullptr;
  for (const char* at = text.c_str();; at = end) {
    const double value = std::strtod(at, &end);
    if (end == at) return values;
    values.push_back(value);
  }
}

// Within 1e-9 relative (1e-12 absolute near zero); NaN and the infinities exactly.
void expectSameResponse(const Prepared& p, const std::vector<double>& got) {
  ASSERT_EQ(got.size(), p.expected.size());
  const auto outputs = static_cast<std::size_t>(p.network->outputCount());
  for (std::size_t k = 0, reported = 0; k < got.size() && reported < 5; ++k) {
    const double want = p.expected[k];
    const bool same = std::isnan(want) ? std::isnan(got[k])
                      : std::isinf(want)
                          ? got[k] == want
                          : std::fabs(got[k] - want) <= std::max(1e-9 * std::fabs(want), 1e-12);
    if (same) continue;
    ++reported;
    ADD_FAILURE() << "pattern " << k / outputs << " output " << k % outputs << ": got " << got[k]
                  << ", recall gives " << want;
  }
}

std::string cDriver(const Network& net) {
  return formatC(
      "#include <stdio.h>\n"
      "int eval_net(const double * inputs, double * outputs);\n"
      "int main(void) {\n"
      "  double x[%d], y[%d];\n"
      "  int k;\n"
      "  for (;;) {\n"
      "    for (k = 0; k < %d; k++) if (scanf(\"%%lf\", &x[k]) != 1) return 0;\n"
      "    if (!eval_net(x, y)) return 1;\n"
      "    for (k = 0; k < %d; k++) printf(\"%%.17g\\n\", y[k]);\n"
      "  }\n"
      "}\n",
      net.inputCount(), net.outputCount(), net.inputCount(), net.outputCount());
}

std::string pascalRunner(const Network&) {
  return "program runner;\nuses nnet;\n"
         "var x: InputNetworkArray; y: OutputNetworkArray; k: integer;\n"
         "begin\n"
         "  while not eof do begin\n"
         "    for k := 0 to NUMINPUTS-1 do read(x[k]);\n"
         "    readln;\n"
         "    eval_net(x, y);\n"
         "    for k := 0 to NUMOUTPUTS-1 do writeln(y[k]);\n"
         "  end;\n"
         "end.\n";
}

// A compiler that builds the generated file with a driver reading input
// vectors from standard input and printing every output.
struct Compiler {
  const char* name;
  const char* tool;
  const char* codeFile;
  bool (*writer)(const Network&, const fs::path&, const std::string&);
  const char* driverFile;
  std::string (*driver)(const Network&);
  const char* build;  // the program it builds is "run"
};

// The flat initialisers draw -Wmissing-braces and the four functions are not
// all used; any other warning is a fault. Free Pascal builds in its default
// mode (16-bit integer, nested comments) with the unit's own tanh, and in
// Delphi mode with the math unit's.
const Compiler kCompilers[] = {
    {"gcc", "gcc", "net.c", writeCCode, "driver.c", cDriver,
     "gcc -std=c99 -Wall -Wextra -pedantic -Werror -Wno-missing-braces -Wno-unused-function net.c driver.c "
     "-lm -o run"},
    {"gxx", "g++", "net.c", writeCCode, "driver.c", cDriver,
     "g++ -x c++ -Wall -Wextra -Werror -Wno-unused-function net.c driver.c -o run"},
    {"fpc", "fpc", "nnet.pas", writePascalCode, "runner.pas", pascalRunner, "fpc -vew -Sew -orun runner.pas"},
    {"fpc_delphi_math", "fpc", "nnet.pas", writePascalCode, "runner.pas", pascalRunner,
     "fpc -vew -Sew -Mdelphi -dMATH -orun runner.pas"},
};

void PrintTo(const Compiler& compiler, std::ostream* out) { *out << compiler.name; }

class CompiledCodeTest : public ::testing::TestWithParam<Compiler> {};

TEST_P(CompiledCodeTest, GivesTheNetworkResponse) {
  const Compiler& compiler = GetParam();
  if (!haveTool(compiler.tool))
    GTEST_SKIP() << compiler.tool << " is not installed; its generated code is not checked";
  testing::TempDir dir;
  for (const Prepared& p : prepared()) {
    SCOPED_TRACE(p.clientCase->name);
    const fs::path work = dir / p.clientCase->name;
    fs::create_directories(work);
    ASSERT_TRUE(writeCode(p, compiler.writer, work / compiler.codeFile));
    ASSERT_TRUE(writeFileAtomically(work / compiler.driverFile, compiler.driver(*p.network)));
    ASSERT_TRUE(writeFileAtomically(work / "inputs.txt", p.inputText));
    std::string output;
    ASSERT_TRUE(run(work, compiler.build, output)) << output;
    ASSERT_TRUE(run(work, "./run <inputs.txt", output)) << output;
    expectSameResponse(p, numbersIn(output));
  }
}

INSTANTIATE_TEST_SUITE_P(Clients, CompiledCodeTest, ::testing::ValuesIn(kCompilers),
                         [](const ::testing::TestParamInfo<Compiler>& param) {
                           return std::string(param.param.name);
                         });

// One Octave session runs every case (it starts slowly) and also calls each
// function with a matrix of the wrong height and with no argument.
TEST(MatlabCodeTest, OctaveGivesTheNetworkResponseForAMatrixOfPatterns) {
  if (!haveTool("octave-cli")) GTEST_SKIP() << "octave-cli is not installed; the Matlab code is not checked";
  testing::TempDir dir;
  std::string script;
  for (const Prepared& p : prepared()) {
    const std::string f = std::string("net_") + p.clientCase->name;
    ASSERT_TRUE(writeCode(p, writeMatlabCode, dir / (f + ".m")));
    ASSERT_TRUE(writeFileAtomically(dir / (f + ".in"), p.inputText));
    script += "Y = " + f + "(load('-ascii', '" + f + ".in')');\n";
    script += "fid = fopen('" + f + ".out', 'w'); fprintf(fid, '%.17g\\n', Y); fclose(fid);\n";
    script += "printf('" + f + " wrong height: %d\\n', isempty(" + f + "(zeros(" +
              std::to_string(p.network->inputCount() + 1) + ", 3))));\n";
    script += "printf('" + f + " no argument: %d\\n', isempty(" + f + "()));\n";
  }
  ASSERT_TRUE(writeFileAtomically(dir / "run_all.m", script));
  std::string log;
  ASSERT_TRUE(run(dir.path(), "octave-cli --norc --no-history --quiet run_all.m", log)) << log;
  for (const Prepared& p : prepared()) {
    const std::string f = std::string("net_") + p.clientCase->name;
    SCOPED_TRACE(f);
    const std::string usage = formatC("inputs must be a %d by n matrix\n", p.network->inputCount());
    EXPECT_NE(log.find(usage + f + " wrong height: 1\n"), std::string::npos) << log;
    EXPECT_NE(log.find(usage + f + " no argument: 1\n"), std::string::npos) << log;
    std::string output;
    ASSERT_TRUE(readWholeFile(dir / (f + ".out"), output));
    expectSameResponse(p, numbersIn(output));
  }
}

}  // namespace
}  // namespace nodelyx
