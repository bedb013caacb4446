// The generated C, Pascal and Matlab code run by the real clients (gcc, g++,
// Free Pascal, GNU Octave) on a few hundred input vectors per network and
// compared with the network's own recall, which they must match to the last
// few bits (see allowedDifference). A missing client skips its test.
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
  // Every column's data range when set; else each column a range of its own.
  double low = 0.0, high = 0.0;
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
    // Ranges that six significant digits cannot tell apart.
    {"million_scaled", {2, 4, 2}, {AT::Tanh, AT::Linear}, true, 0.1, 1000000.1, 1000000.4},
    {"million_linear", {3, 2}, {AT::Linear}, true, 0.1, 1000000.1, 1000000.4},
    // Weights of every magnitude and digit count (set below); linear, so
    // the code must give the very same bits.
    {"literals", {4, 5}, {AT::Linear}, false, 2.0},
};

// Values whose shortest text is hard to write or to read: many digits,
// whole numbers up to beyond the integer types, the ends of the range.
constexpr const char* kHardLiterals =
    "0.1 0.3333333333333333 -0.6666666666666666 0.30000000000000004 -12345.678 1000000.1 1e-7 -7e-10 "
    "100 -1234567 1e15 -1e16 9007199254740993 -123456789012345678 1.2345678901234567e20 -1e22 1e23 "
    "-6.02214076e23 1e-300 -2.2250738585072009e-308 4.9406564584124654e-324 -1e300 1.1235582092889474e307";

std::vector<double> numbersIn(const std::string& text) {
  std::vector<double> values;
  char* end = nullptr;
  for (const char* at = text.c_str();; at = end) {
    const double value = std::strtod(at, &end);
    if (end == at) return values;
    values.push_back(value);
  }
}

// A case's network with its input vectors (as text), recalled outputs and
// how far the code's outputs may lie from them.
struct Prepared {
  const ClientCase* clientCase;
  std::unique_ptr<Network> network;
  std::string inputText;
  std::vector<double> expected;  // pattern after pattern
  std::vector<double> allowed;
};

double ulp(double value) {
  value = std::fabs(value);
  return std::nextafter(value, INFINITY) - value;
}

// The generated code repeats recall's arithmetic operation for operation
// (same literals, same order of sums, same scaling formulas); only exp and
// tanh are the platform's instead of the program's own. Each is within a
// few ulps of the true value, so an activation value may differ by
// kFunctionUlps ulps: of the value for the logistic and Gaussian functions,
// of 1 for tanh (the Pascal unit without the math unit computes tanh from
// exp, which keeps only its absolute accuracy near 0). The bound carries
// that difference on through the later layers: the weights, the function's
// steepest slope, the sums rounding anew, the output unscaling. Linear
// layers add nothing, so a linear network must give the very same bits.
constexpr double kFunctionUlps = 4.0;

double steepestSlope(AT type) {
  if (type == AT::Logistic) return 0.25;
  return type == AT::Tanh || type == AT::Linear || type == AT::Gaussian ? 1.0 : 0.0;
}

double functionDifference(AT type, double value) {
  if (type == AT::Logistic || type == AT::Gaussian) return kFunctionUlps * ulp(value);
  return type == AT::Tanh ? kFunctionUlps * ulp(1.0) : 0.0;
}

// For the pattern the network recalled last.
std::vector<double> allowedDifference(const Network& net) {
  std::vector<double> previous(static_cast<std::size_t>(net.inputCount()), 0.0);  // scaled alike
  for (int l = 1; l < net.layerCount(); ++l) {
    const double* x = net.recallOutputs.layer(l - 1);
    const double* y = net.recallOutputs.layer(l);
    const AT type = net.layerTypes[static_cast<std::size_t>(l)];
    std::vector<double> current(static_cast<std::size_t>(net.layerSize(l)));
    for (int j = 0; j < net.layerSize(l); ++j) {
      double carried = 0.0, magnitude = std::fabs(net.biases.at(l, j));
      for (int i = 0; i < net.layerSize(l - 1); ++i) {
        const double w = std::fabs(net.weights.at(l, j, i));
        if (previous[static_cast<std::size_t>(i)] > 0.0) carried += w * previous[static_cast<std::size_t>(i)];
        magnitude += w * std::fabs(x[i]);
      }
      if (carried > 0.0) carried += net.layerSize(l - 1) * ulp(magnitude);
      current[static_cast<std::size_t>(j)] = steepestSlope(type) * carried + functionDifference(type, y[j]);
    }
    previous = std::move(current);
  }
  if (scalingEnabled == 0) return previous;
  for (std::size_t k = 0; k < previous.size(); ++k) {
    if (previous[k] == 0.0) continue;
    const std::size_t c = static_cast<std::size_t>(net.inputCount()) + k;
    const double factor = (net.fromMax[c] - net.fromMin[c]) / (net.toMax[c] - net.toMin[c]);
    const double y = net.recallOutputs.layer(net.layerCount() - 1)[k];
    previous[k] =
        std::fabs(factor) * previous[k] + 3.0 * ulp(std::fabs(factor * y) + std::fabs(net.fromMin[c]));
  }
  return previous;
}

Prepared prepare(const ClientCase& c, std::uint32_t seed) {
  Prepared p{&c, std::make_unique<Network>(c.sizes, -10.0, 10.0), {}, {}, {}};
  Network& net = *p.network;
  net.randomizeWeights(seed);
  net.perturbWeights(40, seed + 1);
  for (double& w : net.weights.all()) w *= 3.0;  // into the curved parts of the functions
  for (int l = 1; l < net.layerCount(); ++l)
    net.layerTypes[static_cast<std::size_t>(l)] = c.types[static_cast<std::size_t>(l - 1)];
  if (std::string(c.name) == "literals") {
    const std::vector<double> hard = numbersIn(kHardLiterals);
    std::size_t k = 0;
    for (double& w : net.weights.all()) w = hard[k++ % hard.size()];
    for (int j = 0; j < net.layerSize(1); ++j) net.biases.at(1, j) = hard[k++ % hard.size()];
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
    if (c.low != c.high) {
      net.fromMin[k] = c.low;
      net.fromMax[k] = c.high;
    }
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
    const std::vector<double> allowed = allowedDifference(net);
    p.allowed.insert(p.allowed.end(), allowed.begin(), allowed.end());
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
bool writeCode(const Prepared& p,
               bool (*writer)(const Network&, const fs::path&, const std::string&, std::string*),
               const fs::path& path) {
  scalingEnabled = p.clientCase->scaling ? 1 : 0;
  const bool written =
      writer(*p.network, path, "/nets/*/{" + std::string(p.clientCase->name) + "}\n%{\n.net", nullptr);
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

// Within the allowed difference; NaN and the infinities exactly.
void expectSameResponse(const Prepared& p, const std::vector<double>& got) {
  ASSERT_EQ(got.size(), p.expected.size());
  const auto outputs = static_cast<std::size_t>(p.network->outputCount());
  for (std::size_t k = 0, reported = 0; k < got.size() && reported < 5; ++k) {
    const double want = p.expected[k];
    const bool same = std::isnan(want)   ? std::isnan(got[k])
                      : std::isinf(want) ? got[k] == want
                                         : std::fabs(got[k] - want) <= p.allowed[k];
    if (same) continue;
    ++reported;
    ADD_FAILURE() << "pattern " << k / outputs << " output " << k % outputs << ": got " << got[k]
                  << ", recall gives " << want << ", allowed difference " << p.allowed[k];
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
  bool (*writer)(const Network&, const fs::path&, const std::string&, std::string*);
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
