// Scale files (.scl): the per-column ranges a data file was scaled from and
// the new ranges of its input and output columns, so that other files can
// be scaled the same way, or scaled values unscaled. Also the mapping of one
// value. Pure functions; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nodelyx {

// The mapping of every column of a data file: inputs first, then outputs.
struct ScaleRanges {
  std::uint32_t inputCount = 0;
  std::uint32_t outputCount = 0;
  std::vector<double> min, max;  // the unscaled range of each column
  double inputLow = 0.0, inputHigh = 1.0;
  double outputLow = 0.0, outputHigh = 1.0;
};

// The text of a scale file, with the explanation of the formulas after the
// values. Every range is written in the shortest form that reads back to
// the same double, so a file scaled "from file" is scaled exactly like the
// one the ranges came from.
std::string formatScaleFile(const ScaleRanges& ranges);

// Reads a scale file for data with the given counts (0: the data has no
// such columns, and the file may have any number). The ranges receive the
// ranges of the data's columns (the file's columns of a group the data
// lacks are skipped) and the four new-range values.
// False for a missing keyword, other counts, or missing values; problem
// (optional) then receives a sentence that says which.
bool readScaleFile(std::string_view text, std::uint32_t inputCount, std::uint32_t outputCount,
                   ScaleRanges& ranges, std::string* problem = nullptr);

// One value of a column whose unscaled range is [min, max] and whose scaled
// range is [low, high]; unscale maps back. Narrow ranges (below 0.000001)
// are scaled about the column's value instead of being divided by.
double mapScaleValue(double x, double min, double max, double low, double high, bool unscale);

}  // namespace nodelyx
