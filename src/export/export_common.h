// Pieces the C, Pascal and Matlab writers share: the header facts, the
// names and rows of the weight matrices and the spelling of numbers. Pure
// functions of the network; any thread.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/network.h"
#include "export/code_export.h"

namespace nodelyx::exportcode {

// How a language spells the values that have no literal.
struct NonFiniteSpelling {
  const char* nan;
  const char* infinity;
  const char* negativeInfinity;
};

// A weight, bias or range value as a literal of C, Pascal and Matlab alike:
// the shortest text that reads back to exactly the same double ("0.1",
// "-12345.678", "2.5e-07", "1e+20"; whole numbers of more than 15 digits in
// exponent form), so the generated code computes with the network's own
// values. NaN and the infinities take the language's spelling (a diverged
// network must still give a file its compiler accepts).
std::string number(double value, const NonFiniteSpelling& spelling);

// A count or index as the generated code writes it.
inline std::string str(int value) { return std::to_string(value); }

// The number of hidden layers H = L - 2.
inline int hiddenCount(const Network& network) { return network.layerCount() - 2; }

// "4/6/3/1".
std::string structureText(const Network& network);

// "Nodelyx V2.20".
std::string productAndVersion();

// The network file path as a comment shows it ("untitled" when empty), with
// control characters and every character listed in unsafe written as '?',
// so that a strange path can neither end the comment nor start a new line.
std::string commentSafeFileName(const ExportHeader& header, std::string_view unsafe);

// The date line's text: the 24-character date and its newline.
inline std::string ctimeText(const ExportHeader& header) { return header.date + "\n"; }

// The name of the matrix of layer transition l (1..L-1): W_In_H1, W_In_Out,
// W_H1_H2, ..., W_H3_Out.
std::string matrixName(int l, int hidden);

// The rows of the matrix of transition l: for each neuron j of layer l its
// incoming weights in source order and then its bias, separated by ", ";
// each row starts with rowStart, rows are separated by rowSeparator.
std::string matrixRows(const Network& network, int l, std::string_view rowStart,
                       std::string_view rowSeparator, const NonFiniteSpelling& spelling);

// The values joined by ", ".
std::string joinNumbers(const std::vector<double>& values, const NonFiniteSpelling& spelling);

// The activation of layer l.
inline ActivationType layerType(const Network& network, int l) {
  return network.layerTypes[static_cast<std::size_t>(l)];
}

// The opening of the call of a layer's function in the C and Pascal code:
// "sigmoid(", "ftanh(", "linear(", "gaussian(". Codes outside 1..4 call
// "inactive(", which returns 0 as the network does for such a layer.
std::string functionCall(ActivationType type);

// Whether any non-input layer has an activation code outside 1..4, so that
// the code needs its inactive function.
bool usesInactiveLayer(const Network& network);

// R_MIN, R_MAX, S_MIN, S_MAX in this order, with the network's fromMin,
// fromMax, toMin and toMax (inputs first, then outputs).
struct RangeVector {
  const char* name;
  const std::vector<double>& values;
};
std::vector<RangeVector> rangeVectors(const Network& network);

// The header of a file written now for the given network file.
ExportHeader headerDatedNow(const std::string& networkFile);

}  // namespace nodelyx::exportcode
