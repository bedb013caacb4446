// The sampled errors of the training runs, for the training error plot:
// training, testing and cross-validation RMS error every `interval` epochs,
// thinned to every other sample when more than 250 have been stored. Written
// by the training thread; the plot reads it while the run waits for it.
#pragma once

#include <array>
#include <cstdint>

namespace nodelyx {

struct ErrorSamples {
  static constexpr std::size_t kCapacity = 251;

  ErrorSamples() { trainRms[0] = 0.75; }

  std::array<double, kCapacity> trainRms{};
  std::array<double, kCapacity> testRms{};
  std::array<double, kCapacity> xvalRms{};
  std::uint32_t count = 0;     // valid samples
  std::uint32_t interval = 1;  // epochs between samples
  int rescaleNeeded = 0;       // the plot must recompute its scale
};

}  // namespace nodelyx
