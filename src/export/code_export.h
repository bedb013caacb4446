// Writing a trained network as source code for other programs: a C file, a
// Pascal unit and a Matlab function, each evaluating the network (scaling
// included) with the weights compiled in. Any thread; reads the network only.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "engine/network.h"

namespace nodelyx {

// What the header comment of generated code names.
struct ExportHeader {
  std::string networkFile;  // path of the network's configuration file; empty: "untitled"
  std::string date;         // the 24-character local date and time
};

// The generated texts. scaling: whether the network applies its ranges.
// Weights, biases and ranges are written in the shortest form that reads
// back to the same double; a layer with an activation code outside 1..4 outputs 0, as in the network.
// The network file path is shown in a comment, with any character that
// could end the comment or the line written as '?'.
std::string formatCCode(const Network& network, bool scaling, const ExportHeader& header);
std::string formatPascalCode(const Network& network, bool scaling, const ExportHeader& header,
                             const std::string& unitName);
std::string formatMatlabCode(const Network& network, bool scaling, const ExportHeader& header,
                             const std::string& functionName);

// Write the file (atomically; the header dated now). False when it cannot be
// written, leaving any previous file intact; reason, when given, says why.
// The Pascal unit and the Matlab function take their names from the path; a
// path whose name could not compile (see exportNameProblem) is refused
// before any file is touched.
bool writeCCode(const Network& network, const std::filesystem::path& path, const std::string& networkFile,
                std::string* reason = nullptr);
bool writePascalCode(const Network& network, const std::filesystem::path& path,
                     const std::string& networkFile, std::string* reason = nullptr);
bool writeMatlabCode(const Network& network, const std::filesystem::path& path,
                     const std::string& networkFile, std::string* reason = nullptr);

// The unit name of a Pascal file (the file name up to its last dot) and the
// function name of a Matlab file (the file name without its two-character
// extension).
std::string pascalUnitName(const std::filesystem::path& path);
std::string matlabFunctionName(const std::filesystem::path& path);

enum class ExportLanguage { C, Pascal, Matlab };

// Why code in the language cannot be written to the path: the name the
// Pascal unit or the Matlab function would take from the file name is not
// an identifier (a letter, then letters, digits or '_') or is a reserved
// word. The text names the rule and the name, for a message titled "Error".
// Nothing when the name is fine; C code takes no name from its file.
std::optional<std::string> exportNameProblem(ExportLanguage language, const std::filesystem::path& path);

}  // namespace nodelyx
