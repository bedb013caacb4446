// The C writer: one self-contained C99 file (it also compiles as C++) with
// the weights as constant arrays and an eval_net that works neuron by
// neuron through one static neuron vector.
#include <string>

#include "export/code_export.h"
#include "export/export_common.h"
#include "files/atomic_file.h"

namespace nodelyx {
namespace {

using exportcode::functionCall;
using exportcode::hiddenCount;
using exportcode::layerType;
using exportcode::matrixName;
using exportcode::str;

// Spelled with the C99 macros of <math.h>, which the file includes.
constexpr exportcode::NonFiniteSpelling kCNumbers{"NAN", "INFINITY", "-INFINITY"};

void appendHeader(std::string& out, const Network& network, const ExportHeader& header) {
  out += "/* Neural network C code created by " + exportcode::productAndVersion() + "\n";
  // A "*/" in the path would close the comment early; a "/*" draws a warning.
  std::string file = exportcode::commentSafeFileName(header, "");
  for (std::size_t at = 1; at < file.size(); ++at)
    if ((file[at - 1] == '*' && file[at] == '/') || (file[at - 1] == '/' && file[at] == '*')) file[at] = '?';
  out += " * Network file name: " + file + "\n";
  out += " * Structure:         " + exportcode::structureText(network) + "\n";
  out += " * Date:              " + exportcode::ctimeText(header);
  out += " */\n\n\n";
  out += "#include <math.h>\n#include <stdlib.h>\n\n";
}

void appendSizes(std::string& out, const Network& network) {
  const int hidden = hiddenCount(network);
  out += "#define INPUTS    " + str(network.inputCount()) + "\n";
  for (int h = 1; h <= hidden; ++h)
    out += "#define HIDDEN" + str(h) + "   " + str(network.layerSize(h)) + "\n";
  out += "#define OUTPUTS   " + str(network.outputCount()) + "\n\n";
  for (int h = 1; h <= hidden; ++h) {
    out += "#define HIDDEN" + str(h) + "_INDEX  (INPUTS";
    for (int k = 1; k < h; ++k) out += "+HIDDEN" + str(k);
    out += ") \n";
  }
  if (hidden == 0)
    out += "#define OUTPUT_INDEX   (INPUTS)\n";
  else
    out += "#define OUTPUT_INDEX   (HIDDEN" + str(hidden) + "_INDEX+HIDDEN" + str(hidden) + ")\n";
  out += "\n#define NUMNEURONS  (INPUTS+";
  for (int h = 1; h <= hidden; ++h) out += "HIDDEN" + str(h) + "+";
  out += "OUTPUTS)\n";
  out += "static double NEURON[NUMNEURONS];\n\n";
}

// The size names of layer l as the declarations call them.
std::string sizeName(int l, int hidden) {
  if (l == 0) return "INPUTS";
  return l <= hidden ? "HIDDEN" + str(l) : "OUTPUTS";
}

void appendMatrices(std::string& out, const Network& network, bool scaling) {
  const int hidden = hiddenCount(network);
  out += "/* Weight arrays */\n";
  for (int l = 1; l < network.layerCount(); ++l) {
    out += "static const double " + matrixName(l, hidden) + "[" + sizeName(l, hidden) + "][" +
           sizeName(l - 1, hidden) + "+1] = {\n";
    out += exportcode::matrixRows(network, l, " ", ",\n", kCNumbers);
    out += "\n };\n";
  }
  if (!scaling) return;
  out += "\n/* Scale factors */\n";
  for (const auto& [name, values] : exportcode::rangeVectors(network)) {
    out += std::string("static const double ") + name + "[INPUTS+OUTPUTS] = {\n";
    out += ' ';
    out += exportcode::joinNumbers(values, kCNumbers);
    out += "\n };\n";
  }
}

void appendFunctions(std::string& out, bool withInactive) {
  out += "\n\n/* Nonlinearity functions */\n";
  out += "static double sigmoid( double x ) { return(1.0/(1.0 + exp(-x))); }\n";
  out += "static double ftanh( double x ) { return tanh( x ); }\n";
  out += "static double gaussian( double x ) { return exp( -x*x/2 ); }\n";
  out += "static double linear( double x ) { return x; }\n";
  if (withInactive) out += "static double inactive( double x ) { (void)x; return 0.0; }\n";
  out += "\n";
}

void appendEvalStart(std::string& out, bool scaling) {
  out += "/* Compute the network response \n";
  out += " * Arguments: \n";
  out += " *   inputs   pointer to (double) array containing the input values \n";
  out += " *   outputs  pointer to (double) array which receives the results \n";
  out += " * Return: \n";
  out += " *   NonZero (1) if successful, 0 if not. \n";
  out += " */ \n";
  out += "int eval_net(const double * inputs, double * outputs) \n{ \n";
  if (scaling) out += " double F; \n";
  out += " int i,j; \n\n";
  out += " /* Check for invalid arguments */ \n";
  out += " if (inputs == NULL || outputs == NULL) \n";
  out += "     return 0; \n\n";
  out += " /* Zero neuron sums */ \n";
  out += " for (i=0;i<NUMNEURONS;i++) \n";
  out += "     NEURON[i] = 0.0; \n\n";
  out += " /* Apply inputs */\n";
  out += " for (i=0;i<INPUTS;i++) \n";
  if (scaling) {
    out += " {\n";
    out += "     F = (S_MAX[i]-S_MIN[i])/(R_MAX[i]-R_MIN[i]); /* scale factor */\n";
    out += "     NEURON[i] = F * inputs[i] + S_MIN[i] - F * R_MIN[i]; \n";
    out += " }\n\n";
  } else {
    out += "     NEURON[i] = inputs[i]; \n\n";
  }
}

void appendHiddenLayer(std::string& out, const Network& network, int h) {
  const std::string target = "NEURON[HIDDEN" + str(h) + "_INDEX + i]";
  const std::string matrix = matrixName(h, hiddenCount(network));
  out += " /* Compute hidden layer #" + str(h) + " */\n";
  out += " for (i=0;i<HIDDEN" + str(h) + ";i++) \n {\n";
  if (h == 1) {
    out += "     for (j=0;j<INPUTS;j++) \n";
    out += "     {\n         " + target + " += NEURON[j]*" + matrix + "[i][j]; \n     }\n";
    out += "     " + target + " += " + matrix + "[i][INPUTS]; /* BIAS */\n";
  } else {
    const std::string previous = str(h - 1);
    out += "     for (j=0;j<HIDDEN" + previous + ";j++) \n";
    out += "     {\n         " + target + " += NEURON[HIDDEN" + previous + "_INDEX + j]*" + matrix +
           "[i][j]; \n     }\n";
    out += "     " + target + " += " + matrix + "[i][HIDDEN" + previous + "]; /* BIAS */ \n";
  }
  out += "     " + target + " = " + functionCall(layerType(network, h)) + " " + target + " ); \n";
  out += " }\n\n";
}

void appendOutputLayer(std::string& out, const Network& network) {
  const int hidden = hiddenCount(network);
  const std::string matrix = matrixName(hidden + 1, hidden);
  const std::string target = "NEURON[OUTPUT_INDEX + i]";
  out += " /* Compute network outputs */\n";
  out += " for (i=0;i<OUTPUTS;i++) \n {\n";
  if (hidden == 0) {
    out += "     for (j=0;j<INPUTS;j++) \n";
    out += "     { \n          " + target + " += NEURON[j]*" + matrix + "[i][j]; \n     }\n";
    out += "     " + target + " += " + matrix + "[i][INPUTS]; /* BIAS */\n";
  } else {
    const std::string last = str(hidden);
    out += "     for (j=0;j<HIDDEN" + last + ";j++) \n";
    out += "     { \n          " + target + " += NEURON[HIDDEN" + last + "_INDEX + j]*" + matrix +
           "[i][j]; \n     }\n";
    out += "     " + target + " += " + matrix + "[i][HIDDEN" + last + "]; /* BIAS */\n";
  }
  out += "     " + target + " = " + functionCall(layerType(network, hidden + 1)) + " " + target + " ); \n";
  out += " }\n\n";
}

void appendEvalEnd(std::string& out, bool scaling) {
  out += " /* Copy outputs to output array */ \n";
  if (scaling) {
    out += " for (i=0;i<OUTPUTS;i++) \n {\n";
    out +=
        "     F = (R_MAX[i+INPUTS]-R_MIN[i+INPUTS])/(S_MAX[i+INPUTS]-S_MIN[i+INPUTS]); /* unscale factor "
        "*/\n";
    out += "     outputs[i] = F * NEURON[OUTPUT_INDEX + i] + R_MIN[i+INPUTS] - F * S_MIN[i+INPUTS]; \n";
    out += " }\n\n";
  } else {
    out += " for( i=0; i<OUTPUTS; i++ ) \n";
    out += "     outputs[i] = NEURON[OUTPUT_INDEX + i];\n\n";
  }
  out += " return 1; \n }";
}

}  // namespace

std::string formatCCode(const Network& network, bool scaling, const ExportHeader& header) {
  std::string out;
  appendHeader(out, network, header);
  appendSizes(out, network);
  appendMatrices(out, network, scaling);
  appendFunctions(out, exportcode::usesInactiveLayer(network));
  appendEvalStart(out, scaling);
  for (int h = 1; h <= hiddenCount(network); ++h) appendHiddenLayer(out, network, h);
  appendOutputLayer(out, network);
  appendEvalEnd(out, scaling);
  return out;
}

bool writeCCode(const Network& network, const std::filesystem::path& path, const std::string& networkFile,
                std::string* reason) {
  const bool scaling = scalingEnabled.load() != 0;
  return writeFileAtomically(path, formatCCode(network, scaling, exportcode::headerDatedNow(networkFile)),
                             reason);
}

}  // namespace nodelyx
