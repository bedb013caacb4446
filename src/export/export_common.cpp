#include "export/export_common.h"

#include <algorithm>
#include <cassert>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string_view>

#include "files/c_format.h"
#include "nodelyx/version.h"

namespace nodelyx::exportcode {
namespace {

// The most digits a whole number keeps without an exponent. The shortest
// text of a large whole double may have up to 22 digits and no point, and
// C reads that as an integer constant too large for any of its integer
// types; 15 digits stay far inside every language's integer range.
constexpr std::size_t kLongestWholeNumber = 15;

bool isLongWholeNumber(std::string_view text) {
  if (text.front() == '-') text.remove_prefix(1);
  return text.size() > kLongestWholeNumber && text.find_first_of(".e") == std::string_view::npos;
}

// The shortest digits that read back to the same double, in exponent form.
std::string shortestWithExponent(double value) {
  char text[32];  // "-1.2345678901234567e-308" needs 24
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
  assert(result.ec == std::errc());
  return std::string(text, result.ptr);
}

}  // namespace

std::string number(double value, const NonFiniteSpelling& spelling) {
  if (std::isnan(value)) return spelling.nan;
  if (std::isinf(value)) return value > 0 ? spelling.infinity : spelling.negativeInfinity;
  std::string text = formatRoundTrip(value);
  return isLongWholeNumber(text) ? shortestWithExponent(value) : text;
}

std::string structureText(const Network& network) {
  std::string text = std::to_string(network.layerSize(0));
  for (int l = 1; l < network.layerCount(); ++l) {
    text += '/';
    text += std::to_string(network.layerSize(l));
  }
  return text;
}

std::string productAndVersion() { return std::string(kProductName) + " V" + kVersionText; }

std::string commentSafeFileName(const ExportHeader& header, std::string_view unsafe) {
  if (header.networkFile.empty()) return "untitled";
  std::string text = header.networkFile;
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f || unsafe.find(c) != std::string_view::npos) c = '?';
  }
  return text;
}

std::string matrixName(int l, int hidden) {
  std::string name = l == 1 ? "W_In_" : "W_H" + std::to_string(l - 1) + "_";
  if (l <= hidden) {
    name += 'H';
    name += std::to_string(l);
  } else {
    name += "Out";
  }
  return name;
}

std::string matrixRows(const Network& network, int l, std::string_view rowStart,
                       std::string_view rowSeparator, const NonFiniteSpelling& spelling) {
  std::string text;
  for (int j = 0; j < network.layerSize(l); ++j) {
    if (j > 0) text += rowSeparator;
    text += rowStart;
    for (int i = 0; i < network.layerSize(l - 1); ++i) {
      if (i > 0) text += ", ";
      text += number(network.weights.at(l, j, i), spelling);
    }
    text += ", ";
    text += number(network.biases.at(l, j), spelling);
  }
  return text;
}

std::string joinNumbers(const std::vector<double>& values, const NonFiniteSpelling& spelling) {
  std::string text;
  for (std::size_t k = 0; k < values.size(); ++k) {
    if (k > 0) text += ", ";
    text += number(values[k], spelling);
  }
  return text;
}

std::string functionCall(ActivationType type) {
  switch (type) {
    case ActivationType::Logistic:
      return "sigmoid(";
    case ActivationType::Tanh:
      return "ftanh(";
    case ActivationType::Linear:
      return "linear(";
    case ActivationType::Gaussian:
      return "gaussian(";
  }
  return "inactive(";
}

bool usesInactiveLayer(const Network& network) {
  for (int l = 1; l < network.layerCount(); ++l) {
    const auto code = static_cast<int>(layerType(network, l));
    if (code < 1 || code > 4) return true;
  }
  return false;
}

std::vector<RangeVector> rangeVectors(const Network& network) {
  return {{"R_MIN", network.fromMin},
          {"R_MAX", network.fromMax},
          {"S_MIN", network.toMin},
          {"S_MAX", network.toMax}};
}

ExportHeader headerDatedNow(const std::string& networkFile) { return {networkFile, currentTimestamp()}; }

}  // namespace nodelyx::exportcode

namespace nodelyx {
namespace {

// The words no Free Pascal mode (default, objfpc, Delphi) accepts as a
// unit name, in lower case: Pascal does not tell case apart.
constexpr std::string_view kPascalReservedWords =
    " and array as asm begin bitpacked case class const constructor cppclass destructor dispinterface div"
    " do downto else end except exports file finalization finally for function goto if implementation in"
    " inherited initialization inline interface is label library mod nil not object of operator or"
    " otherwise packed procedure program property raise record repeat resourcestring set shl shr string"
    " then threadvar to try type unit until uses var while with xor ";

// The keywords of Matlab and GNU Octave (case matters there).
constexpr std::string_view kMatlabKeywords =
    " break case catch classdef continue do else elseif end end_try_catch end_unwind_protect endarguments"
    " endclassdef endenumeration endevents endfor endfunction endif endmethods endparfor endproperties"
    " endspmd endswitch endwhile for function global if otherwise parfor persistent return spmd switch"
    " try until unwind_protect unwind_protect_cleanup while ";

bool isListed(std::string_view words, const std::string& word) {
  return words.find(" " + word + " ") != std::string_view::npos;
}

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool isIdentifier(std::string_view name) {
  if (name.empty() || !isAsciiLetter(name.front())) return false;
  return std::all_of(name.begin(), name.end(),
                     [](char c) { return isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '_'; });
}

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::optional<std::string> exportNameProblem(ExportLanguage language, const std::filesystem::path& path) {
  if (language == ExportLanguage::C) return std::nullopt;
  const bool pascal = language == ExportLanguage::Pascal;
  const std::string name = pascal ? pascalUnitName(path) : matlabFunctionName(path);
  std::string problem;
  if (!isIdentifier(name))
    problem = "is not an identifier (a letter, then letters, digits or _).";
  else if (pascal ? isListed(kPascalReservedWords, lowerCase(name)) : isListed(kMatlabKeywords, name))
    problem = "is a reserved word.";
  else
    return std::nullopt;
  const std::string file = path.filename().string();
  const std::string origin =
      pascal ? "Pascal unit: its name \"" + name + "\", the file name " + file + " up to its last dot, "
             : "Matlab function: its name \"" + name + "\", the file name " + file +
                   " without its last two characters (the extension .m), ";
  return "Cannot write the " + origin + problem + " Please choose another file name.";
}

}  // namespace nodelyx
