#include "files/output_file.h"

#include <algorithm>
#include <vector>

#include "files/atomic_file.h"
#include "files/c_format.h"

namespace nodelyx {
namespace {

constexpr std::size_t kFieldWidth = 12;

// The field right-aligned in 12 characters; a field as wide or wider gets
// one blank before it instead, so that no two fields ever run together.
void appendField(std::string& text, const std::string& field) {
  text.append(field.size() < kFieldWidth ? kFieldWidth - field.size() : 1, ' ');
  text += field;
}

}  // namespace

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
      appendField(text, formatC("Output%u", k));
      if (withTargets) appendField(text, formatC("Target%u", k));
    }
    text += '\n';
  }
  std::vector<double> result(static_cast<std::size_t>(network.outputCount()));
  for (std::uint32_t p = 0; p < testingSet.patternCount; ++p) {
    network.recall(testingSet.input(p), result.data());
    for (std::uint32_t k = 0; k < columns; ++k) {
      appendField(text, formatC("%f", result[k]));
      if (withTargets && k < testingSet.outputCount)
        appendField(text, formatC("%f", testingSet.target(p)[k]));
    }
    text += '\n';
  }
  return text;
}

bool writeOutputFile(const std::filesystem::path& path, Network& network, const PatternSet& testingSet,
                     std::uint32_t outputCount, const OutputChoices& choices, std::string* reason) {
  return writeFileAtomically(path, formatOutputFile(network, testingSet, outputCount, choices), reason);
}

}  // namespace nodelyx
