// The network's own scaling ranges: one record per application, rebuilt
// from every training set, edited in the scaling settings, handed to the
// network (Network::mergeDataRanges) and stored in weights files. GUI thread.
#pragma once

#include <cstdint>

#include "engine/activation.h"
#include "engine/column_ranges.h"
#include "files/pattern_set.h"

namespace nodelyx {

enum class ScalingMode : std::int32_t { None = 0, Auto = 1, Manual = 2 };

struct ScalingRecord : ColumnRanges {
  ScalingMode mode = ScalingMode::None;
};

// Counts from the settings; input columns map the training set's range onto
// -1..1, output columns take the training set's range and the network range
// of the output activation. Columns the set cannot fill (no set loaded, or
// counts that differ) are 0.
void rebuildScalingRecord(ScalingRecord& record, std::uint32_t inputCount, std::uint32_t outputCount,
                          const PatternSet& trainingSet, ActivationType outputActivation);

// Counts 0, no columns (the mode stays).
void emptyScalingRecord(ScalingRecord& record);

// The network range of every output column: 0..1 for logistic (and for the
// Gaussian and unknown codes), -1..1 for tanh, and for linear the data range
// itself: the training set's target range, or without one the record's own
// data range.
void setOutputTargetRanges(ScalingRecord& record, ActivationType outputActivation,
                           const PatternSet& trainingSet);

}  // namespace nodelyx
