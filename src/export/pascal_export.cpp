// The Pascal writer: a unit with the weights as typed constants and a
// procedure eval_net that works neuron by neuron through one neuron vector.
// The text compiles with Free Pascal in its default and Delphi modes.
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

// Constant expressions the compiler folds into NaN and the infinities.
constexpr exportcode::NonFiniteSpelling kPascalNumbers{"(0.0/0.0)", "(1.0/0.0)", "(-1.0/0.0)"};

// Free Pascal's default mode has a 16-bit "integer"; a network with more
// neurons gets longint loop counters.
constexpr int kLargestSmallIndex = 32767;

int neuronCount(const Network& network) {
  int count = 0;
  for (int l = 0; l < network.layerCount(); ++l) count += network.layerSize(l);
  return count;
}

void appendHeader(std::string& out, const Network& network, const ExportHeader& header,
                  const std::string& unitName) {
  out += "{* Neural network Pascal code created by " + exportcode::productAndVersion() + "\n";
  // A brace would end the comment, or nest a new one in Free Pascal's mode.
  out += " * Network file name: " + exportcode::commentSafeFileName(header, "{}") + "\n";
  out += " * Structure:         " + exportcode::structureText(network) + "\n";
  out += " * Date:              " + exportcode::ctimeText(header);
  out += " }\n\n\n";
  out += "unit " + unitName + ";\n\ninterface\n\n";
  out += "{ Not all versions of Delphi ship with the math unit.\n";
  out += "  If you are compiling with a version that does support the\n";
  out += "  math unit, you should define the MATH symbol in your project.\n";
  out += "  Defining MATH will make use of the built in hyperbolic tangent\n";
  out += "  function which may increase the speed and accuracy of networks\n";
  out += "  that make use of tanh nonlinearity functions.  If you are not\n";
  out += "  using tanh nonlinearity functions, defining MATH will have no effect.}\n";
  out += "{$IFDEF MATH}\nuses math;\n{$ENDIF}\n\n";
}

void appendInterface(std::string& out, const Network& network) {
  const int hidden = hiddenCount(network);
  out += "const\n";
  out += "  NUMINPUTS=" + str(network.inputCount()) + ";\n";
  for (int h = 1; h <= hidden; ++h) out += "  HIDDEN" + str(h) + "=" + str(network.layerSize(h)) + ";\n";
  out += "  NUMOUTPUTS=" + str(network.outputCount()) + ";\n";
  for (int h = 1; h <= hidden; ++h) {
    out += "  HIDDEN" + str(h) + "_INDEX=(NUMINPUTS";
    for (int k = 1; k < h; ++k) out += "+HIDDEN" + str(k);
    out += ");\n";
  }
  if (hidden == 0)
    out += "  OUTPUT_INDEX=(NUMINPUTS);\n";
  else
    out += "  OUTPUT_INDEX=(HIDDEN" + str(hidden) + "_INDEX+HIDDEN" + str(hidden) + ");\n";
  out += "  NUMNEURONS=(NUMINPUTS+";
  for (int h = 1; h <= hidden; ++h) out += "HIDDEN" + str(h) + "+";
  out += "NUMOUTPUTS);\n\n";
  out += "type\n";
  out += "  InputNetworkArray=array[0..NUMINPUTS-1] of double;\n";
  out += "  OutputNetworkArray=array[0..NUMOUTPUTS-1] of double;\n\n";
  out += "procedure eval_net(const inputs: InputNetworkArray; var outputs:OutputNetworkArray);\n\n";
  out += "implementation\n\n";
  out += "var\n  NEURON:Array[0..NUMNEURONS-1] of double;\n\n";
}

// The highest index of layer l's size name as the declarations call it.
std::string lastIndex(int l, int hidden) {
  if (l == 0) return "NUMINPUTS";
  return l <= hidden ? "HIDDEN" + str(l) : "NUMOUTPUTS";
}

void appendMatrices(std::string& out, const Network& network, bool scaling) {
  const int hidden = hiddenCount(network);
  out += "{ Weight arrays }\n";
  for (int l = 1; l < network.layerCount(); ++l) {
    out += "const " + matrixName(l, hidden) + ":array[0.." + lastIndex(l, hidden) + "-1,0.." +
           lastIndex(l - 1, hidden) + "] of double = (\n";
    out += exportcode::matrixRows(network, l, " (", "),\n", kPascalNumbers);
    out += ")\n );\n";
  }
  if (!scaling) return;
  // Each range vector is a one-dimensional typed constant, so its values
  // form a single parenthesised list, without the inner parentheses of a
  // matrix row:  R_MIN:array[0..NUMINPUTS+NUMOUTPUTS-1] of double = (\n v1, v2\n );
  out += "\n{ Scale factors }\n";
  for (const auto& [name, values] : exportcode::rangeVectors(network)) {
    out += std::string("const ") + name + ":array[0..NUMINPUTS+NUMOUTPUTS-1] of double = (\n";
    out += ' ';
    out += exportcode::joinNumbers(values, kPascalNumbers);
    out += "\n );\n";
  }
}

// Free Pascal's exp stops the program with a run-time error where its
// result overflows or its argument is infinite (and the exp form of tanh
// would give inf/inf before that). Beyond these bounds every function has
// reached its limit in double precision, so it returns the limit directly.
void appendFunctions(std::string& out, bool withInactive) {
  out += "\n\n{ Nonlinearity functions }\n";
  out += "function sigmoid( const x:double):double;\nbegin\n";
  out += " if x < -700.0 then sigmoid:=0.0 else if x > 700.0 then sigmoid:=1.0 else\n";
  out += " sigmoid:=(1.0/(1.0 + exp(-x)));\nend;\n\n";
  out += "{$IFDEF MATH}\nfunction ftanh( const x:double):double;\nbegin\n ftanh:=(tanh(x));\nend;\n";
  out += "{$ELSE}\nfunction ftanh( const x:double):double;\nbegin\n";
  out += " if x > 20.0 then ftanh:=1.0 else if x < -20.0 then ftanh:=-1.0 else\n";
  out += " ftanh:=( (exp(x) - exp(-x)) / (exp(x) + exp(-x)) );\nend;\n{$ENDIF}\n\n";
  out += "function gaussian( const x:double):double;\nbegin\n";
  out += " if abs(x) > 40.0 then gaussian:=0.0 else\n";
  out += " gaussian:=exp(-x*x/2);\nend;\n\n";
  out += "function linear( const x:double):double;\nbegin\n linear:=x;\nend;\n\n";
  if (withInactive) out += "function inactive( const x:double):double;\nbegin\n inactive:=0.0;\nend;\n\n";
}

void appendEvalStart(std::string& out, const Network& network, bool scaling) {
  out += "{* Compute the network response \n";
  out += " * Arguments: \n";
  out += " *   inputs   pointer to (double) array containing the input values \n";
  out += " *   outputs  pointer to (double) array which receives the results \n";
  out += " *} \n";
  out += "procedure eval_net(const inputs: InputNetworkArray; var outputs:OutputNetworkArray); \n";
  out += neuronCount(network) - 1 > kLargestSmallIndex ? " var\n  i,j:longint;\n" : " var\n  i,j:integer;\n";
  if (scaling) out += "  F:double;\n";
  out += " begin\n\n";
  out += " { Zero neuron sums }\n";
  out += " for i:=0 to NUMNEURONS-1 do NEURON[i] := 0.0; \n\n";
  out += " { Apply inputs }\n";
  if (scaling) {
    out += " for i:=0 to NUMINPUTS-1 do \n   begin\n";
    out += "     F := (S_MAX[i]-S_MIN[i])/(R_MAX[i]-R_MIN[i]); { scale factor }\n";
    out += "     NEURON[i] := F * inputs[i] + S_MIN[i] - F * R_MIN[i]; \n";
    out += "   end;\n\n";
  } else {
    out += " for i:=0 to NUMINPUTS-1 do NEURON[i] := inputs[i];\n\n";
  }
}

void appendHiddenLayer(std::string& out, const Network& network, int h) {
  const std::string target = "NEURON[HIDDEN" + str(h) + "_INDEX + i]";
  const std::string matrix = matrixName(h, hiddenCount(network));
  out += " { Compute hidden layer #" + str(h) + " }\n";
  out += " for i:=0 to HIDDEN" + str(h) + "-1 do\n   begin\n";
  if (h == 1) {
    out += "     for j:=0 to NUMINPUTS-1 do\n";
    out += "     begin\n         " + target + " := " + target + " + NEURON[j]*" + matrix +
           "[i][j]; \n     end;\n";
    out += "     " + target + " := " + target + " + " + matrix + "[i][NUMINPUTS]; { BIAS }\n";
  } else {
    const std::string previous = str(h - 1);
    out += "     for j:=0 to HIDDEN" + previous + "-1 do\n";
    out += "     begin\n         " + target + " := " + target + " + NEURON[HIDDEN" + previous +
           "_INDEX + j]*" + matrix + "[i][j]; \n     end;\n";
    out += "     " + target + " := " + target + " + " + matrix + "[i][HIDDEN" + previous + "]; { BIAS } \n";
  }
  out += "     " + target + " := " + functionCall(layerType(network, h)) + " " + target + " ); \n";
  out += "   end;\n\n";
}

void appendOutputLayer(std::string& out, const Network& network) {
  const int hidden = hiddenCount(network);
  const std::string matrix = matrixName(hidden + 1, hidden);
  const std::string target = "NEURON[OUTPUT_INDEX + i]";
  out += " { Compute network outputs }\n";
  out += " for i:=0 to NUMOUTPUTS-1 do\n   begin\n";
  if (hidden == 0) {
    out += "     for j:=0 to NUMINPUTS-1 do\n";
    out += "     begin \n          " + target + " := " + target + " + NEURON[j]*" + matrix +
           "[i][j]; \n     end;\n";
    // The misspelt comment stays: exported units keep the text they always had.
    out += "     " + target + " := " + target + " + " + matrix + "[i][NUMINPUTS]; { BAIS }\n";
  } else {
    const std::string last = str(hidden);
    out += "     for j:=0 to HIDDEN" + last + "-1 do\n";
    out += "     begin \n          " + target + " := " + target + " + NEURON[HIDDEN" + last + "_INDEX + j]*" +
           matrix + "[i][j]; \n     end;\n";
    out += "     " + target + " := " + target + " + " + matrix + "[i][HIDDEN" + last + "]; { BIAS }\n";
  }
  out += "     " + target + " := " + functionCall(layerType(network, hidden + 1)) + " " + target + " ); \n";
  out += "   end;\n\n";
}

void appendEvalEnd(std::string& out, bool scaling) {
  out += " { Copy outputs to output array } \n";
  out += " for i:=0 to NUMOUTPUTS-1 do\n";
  if (scaling) {
    out += "   begin\n";
    out +=
        "     F := (R_MAX[i+NUMINPUTS]-R_MIN[i+NUMINPUTS])/(S_MAX[i+NUMINPUTS]-S_MIN[i+NUMINPUTS]);"
        " { unscale factor }\n";
    out +=
        "     outputs[i] := F * NEURON[OUTPUT_INDEX + i] + R_MIN[i+NUMINPUTS] - F * S_MIN[i+NUMINPUTS]; \n";
    out += "   end;\n\n";
  } else {
    out += "     outputs[i] := NEURON[OUTPUT_INDEX + i];\n\n";
  }
  out += " end;\nend.";
}

}  // namespace

std::string formatPascalCode(const Network& network, bool scaling, const ExportHeader& header,
                             const std::string& unitName) {
  std::string out;
  appendHeader(out, network, header, unitName);
  appendInterface(out, network);
  appendMatrices(out, network, scaling);
  appendFunctions(out, exportcode::usesInactiveLayer(network));
  appendEvalStart(out, network, scaling);
  for (int h = 1; h <= hiddenCount(network); ++h) appendHiddenLayer(out, network, h);
  appendOutputLayer(out, network);
  appendEvalEnd(out, scaling);
  return out;
}

std::string pascalUnitName(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  return name.substr(0, name.rfind('.'));
}

bool writePascalCode(const Network& network, const std::filesystem::path& path,
                     const std::string& networkFile, std::string* reason) {
  if (const auto problem = exportNameProblem(ExportLanguage::Pascal, path)) {
    if (reason) *reason = *problem;
    return false;
  }
  const bool scaling = scalingEnabled.load() != 0;
  return writeFileAtomically(
      path, formatPascalCode(network, scaling, exportcode::headerDatedNow(networkFile), pascalUnitName(path)),
      reason);
}

}  // namespace nodelyx
