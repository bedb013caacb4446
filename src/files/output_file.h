// The output file (.out): the network's response to every testing pattern
// in the data's own units, optionally beside the targets, as a table of
// 12-character right-aligned fields (a wider value gets a wider field, with
// one blank before it). GUI thread (reads the network).
#pragma once

#include <filesystem>
#include <string>

#include "engine/network.h"
#include "files/pattern_set.h"

namespace nodelyx {

// The two choices of the "What to write?" question, made before any file
// is touched.
struct OutputChoices {
  bool writeColumnHeaders = false;
  bool writeTargets = false;  // no effect for a set without targets
};

// The text of the file: `outputCount` outputs per pattern (and the targets
// when chosen and present), six decimals.
std::string formatOutputFile(Network& network, const PatternSet& testingSet, std::uint32_t outputCount,
                             const OutputChoices& choices);

// Writes it atomically; false when the file cannot be written (the
// previous file is then intact; reason, when given, says why). No message: the caller decides.
bool writeOutputFile(const std::filesystem::path& path, Network& network, const PatternSet& testingSet,
                     std::uint32_t outputCount, const OutputChoices& choices, std::string* reason = nullptr);

}  // namespace nodelyx
