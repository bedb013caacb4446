// The Matlab writer: a function file that evaluates a whole matrix of
// patterns at once with matrix products (one column per pattern in, one
// column per pattern out), for Matlab and GNU Octave.
#include <string>

#include "export/code_export.h"
#include "export/export_common.h"
#include "files/atomic_file.h"
#include "nodelyx/version.h"

namespace nodelyx {
namespace {

using exportcode::hiddenCount;
using exportcode::layerType;
using exportcode::matrixName;
using exportcode::str;

// Matlab's own names of the values.
constexpr exportcode::NonFiniteSpelling kMatlabNumbers{"NaN", "Inf", "-Inf"};

// The right-hand side that applies layer l's function to tmp; the network
// outputs 0 for codes outside 1..4.
std::string activation(ActivationType type) {
  switch (type) {
    case ActivationType::Logistic:
      return "1./(1 + exp(-tmp));\n\n";
    case ActivationType::Tanh:
      return "tanh(tmp);\n\n";
    case ActivationType::Linear:
      return "tmp;\n\n";
    case ActivationType::Gaussian:
      return "exp(-tmp.*tmp/2);\n\n";
  }
  return "zeros(size(tmp));\n\n";
}

void appendHeader(std::string& out, const Network& network, const ExportHeader& header,
                  const std::string& name) {
  const std::string nIn = str(network.inputCount());
  out += "%% Neural network function for Matlab created by " + exportcode::productAndVersion() + "\n";
  out += "%% Network file name: " + exportcode::commentSafeFileName(header, "") + "\n";
  out += "%% Structure:         " + exportcode::structureText(network) + "\n";
  out += "%% Date:              " + exportcode::ctimeText(header) + "%%\n";
  out += "%% function outputs = " + name + "(inputs)\n%%\n";
  out += "%% This function implements a neural network trained\n";
  out += std::string("%% by ") + kProductName + " that has " + nIn + " inputs and " +
         str(network.outputCount()) + " outputs.\n";
  out += "%% The input argument 'inputs' is a matrix arranged\n";
  out += "%% in column format, i.e. one column per pattern and\n";
  out += "%% one row for each neural network input.\n";
  out += "%% The function output is a matrix with one row for\n";
  out += "%% each neural network output and one column for each pattern.\n\n\n";
  out += "function outputs = " + name + "(inputs)\n\n";
  out += "%%\n%% Check the number of input arguments\n";
  out += "if (nargin ~= 1 | size(inputs,1) ~= " + nIn + ")\n";
  out += "    outputs = [];\n";
  out += "    disp('inputs must be a " + nIn + " by n matrix');\n";
  out += "    return\nend\n\n";
  out += "INPUTS = " + nIn + ";\n\n";
  out += "inputs = inputs';\n\n";
}

void appendMatrices(std::string& out, const Network& network, bool scaling) {
  const int hidden = hiddenCount(network);
  out += "%% Weight arrays \n";
  for (int l = 1; l < network.layerCount(); ++l) {
    out += matrixName(l, hidden) + " = [\n";
    out += exportcode::matrixRows(network, l, " ", ";\n", kMatlabNumbers);
    out += "; ];\n\n";
  }
  if (scaling) {
    out += "\n%% Scale factors \n";
    for (const auto& [name, values] : exportcode::rangeVectors(network))
      out += std::string(name) + " = [ " + exportcode::joinNumbers(values, kMatlabNumbers) + "];\n";
    out += "%% Scale factor for inputs\n";
    out += "Finps = (S_MAX(1:INPUTS) - S_MIN(1:INPUTS)) ./ (R_MAX(1:INPUTS) - R_MIN(1:INPUTS));\n";
  }
  out += "\n\n";
  if (scaling) {
    out += "Finps_mat = [];\nSmin_mat = [];\nRmin_mat = [];\n";
    out += "for i = 1:size(inputs,1)\n";
    out += "    Finps_mat = [Finps_mat; Finps];\n";
    out += "    Smin_mat = [Smin_mat; S_MIN(1:INPUTS)];\n";
    out += "    Rmin_mat = [Rmin_mat; R_MIN(1:INPUTS)];\n";
    out += "end\n";
    out += "%% Scale the inputs\n";
    out += "inputs = Finps_mat .* inputs + Smin_mat - (Finps_mat .* Rmin_mat);\n\n";
  }
}

void appendLayers(std::string& out, const Network& network) {
  const int hidden = hiddenCount(network);
  for (int h = 1; h <= hidden; ++h) {
    out += "%%  Compute hidden layer #" + str(h) + " \n";
    if (h == 1) {
      out += "%%  Add bias to inputs and transpose the matrix \n";
      out += "inputs = [inputs ones(size(inputs,1),1)]'; \n";
      out += "%%  Get weighted sum and perform non-linear function \n";
      out += "tmp = W_In_H1 * inputs;\n";
    } else {
      const std::string previous = "hidden" + str(h - 1);
      out += "%%  Add bias to " + previous + "\n";
      out += previous + " = [" + previous + "; ones(1, size(" + previous + ",2))];\n";
      out += "%%  Get weighted sum and perform non-linear function \n";
      out += "tmp = " + matrixName(h, hidden) + " * " + previous + ";\n";
    }
    out += "hidden" + str(h) + " = " + activation(layerType(network, h));
  }
  out += "%% Compute network outputs \n";
  if (hidden == 0) {
    out += "%%  Add bias to inputs and transpose the matrix \n";
    out += "inputs = [inputs ones(size(inputs,1),1)]'; \n";
    out += "%%  Get weighted sum and perform non-linear function \n";
    out += "tmp = W_In_Out * inputs;\n";
  } else {
    const std::string last = "hidden" + str(hidden);
    out += "%%  Add bias to " + last + " \n";
    out += last + " = [" + last + "; ones(1, size(" + last + ",2))];\n";
    out += "%%  Get weighted sum and perform non-linear function \n";
    out += "tmp = " + matrixName(hidden + 1, hidden) + " * " + last + ";\n";
  }
  out += "outputs = " + activation(layerType(network, hidden + 1));
}

void appendEnd(std::string& out, bool scaling) {
  out += "%% Transpose the matrix so the new matrix has p rows and OUTPUTS columns\n";
  out += "outputs = outputs';\n\n";
  if (scaling) {
    out += "%% Unscale the outputs\n\n";
    out += "%% Scale factor for outputs\n";
    out +=
        "Fouts = (R_MAX(INPUTS+1:length(R_MAX)) - R_MIN(INPUTS+1:length(R_MIN))) ./ "
        "(S_MAX(INPUTS+1:length(S_MAX)) - S_MIN(INPUTS+1:length(S_MIN)));\n";
    out += "Fouts_mat = [];\nSmin_mat = [];\nRmin_mat = [];\n";
    out += "for i = 1:size(outputs,1)\n";
    out += "    Fouts_mat = [Fouts_mat; Fouts];\n";
    out += "    Smin_mat = [Smin_mat; S_MIN(INPUTS+1:length(S_MIN))];\n";
    out += "    Rmin_mat = [Rmin_mat; R_MIN(INPUTS+1:length(R_MIN))];\n";
    out += "end\n\n";
    out += "outputs = Fouts_mat .* outputs + Rmin_mat - (Fouts_mat .* Smin_mat);\n";
  }
  out += "outputs = outputs';\n\n";
  out += "%% end of file\n";
}

}  // namespace

std::string formatMatlabCode(const Network& network, bool scaling, const ExportHeader& header,
                             const std::string& functionName) {
  std::string out;
  appendHeader(out, network, header, functionName);
  appendMatrices(out, network, scaling);
  appendLayers(out, network);
  appendEnd(out, scaling);
  return out;
}

std::string matlabFunctionName(const std::filesystem::path& path) {
  // The file name without its two-character extension (".m"); a name too
  // short to have one gives an empty name, which exportNameProblem refuses.
  const std::string name = path.filename().string();
  return name.size() < 2 ? std::string() : name.substr(0, name.size() - 2);
}

bool writeMatlabCode(const Network& network, const std::filesystem::path& path,
                     const std::string& networkFile, std::string* reason) {
  if (const auto problem = exportNameProblem(ExportLanguage::Matlab, path)) {
    if (reason) *reason = *problem;
    return false;
  }
  const bool scaling = scalingEnabled.load() != 0;
  return writeFileAtomically(
      path,
      formatMatlabCode(network, scaling, exportcode::headerDatedNow(networkFile), matlabFunctionName(path)),
      reason);
}

}  // namespace nodelyx
