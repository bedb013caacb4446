#include "files/output_file.h"

#include <algorithm>
#include <vector>

#include "files/atomic_file.h"
#include "files/c_format.h"

namespace nodelyx {

std::string formatOutputFile(Network& network, const PatternSet& testingSet, std::uint32_t outputCount,
                             const OutputChoices& choices) {
  const bool withTargets = choices.writeTargets && testingSet.hasTargets();
  // The network produces its own number of outputs; never read past them
  // or past the targets of the set.
  const std::uint32_t columns =
      std::min<std::uint32_t>(outputCount, static_cast<std::uint32_t>(network.outputCount()));
  std::string text;
  if (choices.writeColumnHeaders) {
    for (std::uint32_t k = 1; k <= columns; ++k) {
      text += formatC("%12s", formatC("Output%u", k).c_str());
      if (withTargets) text += formatC("%12s", formatC("Target%u", k).c_str());
    }
    text += '\n';
  }
  std::vector<double> result(static_cast<std::size_t>(network.outputCount()));
  for (std::uint32_t p = 0; p < testingSet.patternCount; ++p) {
    network.recall(testingSet.input(p), result.data());
    for (std::uint32_t k = 0; k < columns; ++k) {
      text += formatC("%12f", result[k]);
      if (withTargets && k < testingSet.outputCount) text += formatC("%12f", testingSet.target(p)[k]);
    }
    text += '\n';
  }
  return text;
}

bool writeOutputFile(const std::filesystem::path& path, Network& network, const PatternSet& testingSet,
                     std::uint32_t outputCount, const OutputChoices& choices) {
  return writeFileAtomically(path, formatOutputFile(network, testingSet, outputCount, choices));
}

}  // namespace nodelyx
