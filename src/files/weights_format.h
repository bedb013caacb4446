// The weights file (.wts): a network's topology, activation codes, optional
// scaling ranges, every weight and bias, and the training history of the
// weights. Text; numbers in the "%g" form, so saving rounds every value to
// six significant digits. Any thread; the session code applies what is read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/column_ranges.h"
#include "engine/network.h"
#include "files/reporter.h"
#include "files/training_history.h"

namespace nodelyx {

// The text of a weights file. scaling: whether the ranges are written.
std::string formatWeights(const Network& network, bool scaling, const TrainingHistory& history);

// The part of a weights file read before a network exists.
struct WeightsHeader {
  std::vector<std::uint32_t> layerSizes;  // 2..7 layers, every size valid
  // The codes of layers 1..L-1 (hidden layers, then the output layer);
  // empty for files written before activations were stored.
  std::vector<ActivationType> layerTypes;
  std::optional<ColumnRanges> ranges;  // present when the file has them
};

// Reads the header, reporting what is wrong with it (fileTitle names the
// file in messages); nullopt after a message.
std::optional<WeightsHeader> readWeightsHeader(std::string_view text, std::string_view fileTitle,
                                               Reporter& reporter);

enum class WeightsLoad { Loaded = 0, CannotOpen = 1, Mismatch = 2 };

// Loads the weights of a file whose header matches the network's topology:
// sets the layers' activations, the network's ranges (and scalingEnabled,
// by whether the file has ranges), every weight and bias, and the history
// with the epoch count it ends at. A header of another topology, or weights
// that are missing or not numbers, give Mismatch; the network may then be
// partly written and must be discarded.
WeightsLoad loadWeights(Network& network, std::string_view text, TrainingHistory& history,
                        std::uint32_t& epochCount);

}  // namespace nodelyx
