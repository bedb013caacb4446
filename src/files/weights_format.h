// The weights file (.wts): a network's topology, activation codes, optional
// scaling ranges, every weight and bias, and the training history of the
// weights. Text; every weight, bias and range value in the shortest form
// that reads back to the same double, so a saved and reloaded network gives
// the same outputs bit for bit (older files with six significant digits
// read as before). Any thread; the session code applies what is read.
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
// file in messages); nullopt after a message. Also refuses a file too short
// to hold the weights its header declares, before anything is allocated
// for them.
std::optional<WeightsHeader> readWeightsHeader(std::string_view text, std::string_view fileTitle,
                                               Reporter& reporter);

enum class WeightsLoad {
  Loaded = 0,
  CannotOpen = 1,
  Mismatch = 2,     // the header describes another topology
  Truncated = 3,    // the file ends before the last bias
  NotANumber = 4,   // a weight or bias is not a number
  ExtraValues = 5,  // numbers follow the last bias (a decimal comma splits values)
};

// Where loading stopped, for the message.
struct WeightsProblem {
  std::size_t valuesRead = 0;    // weights and biases read before the problem
  std::size_t valuesNeeded = 0;  // weights and biases of the network
  std::size_t line = 0;          // 1-based line of the offending word
  std::string word;              // the offending word (shortened)
};

// Loads the weights of a file whose header matches the network's topology:
// sets the layers' activations, the network's ranges (and scalingEnabled,
// by whether the file has ranges), every weight and bias, and the history
// with the epoch count it ends at (skippedRecords receives the number of
// history records that could not be read). Anything but Loaded leaves the
// network partly written: it must be discarded.
WeightsLoad loadWeights(Network& network, std::string_view text, TrainingHistory& history,
                        std::uint32_t& epochCount, WeightsProblem* problem = nullptr,
                        std::size_t* skippedRecords = nullptr);

}  // namespace nodelyx
