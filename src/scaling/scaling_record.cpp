#include "scaling/scaling_record.h"

namespace nodelyx {

void rebuildScalingRecord(ScalingRecord& record, std::uint32_t inputCount, std::uint32_t outputCount,
                          const PatternSet& trainingSet, ActivationType outputActivation) {
  record.resize(inputCount, outputCount);
  const bool fits = trainingSet.hasRanges() && trainingSet.inputCount == inputCount &&
                    trainingSet.outputCount == outputCount;
  if (fits) {
    for (std::size_t i = 0; i < inputCount; ++i) {
      record.fromMin[i] = trainingSet.inputMin[i];
      record.fromMax[i] = trainingSet.inputMax[i];
      record.toMin[i] = -1.0;
      record.toMax[i] = 1.0;
    }
    for (std::size_t k = 0; k < outputCount; ++k) {
      record.fromMin[inputCount + k] = trainingSet.targetMin[k];
      record.fromMax[inputCount + k] = trainingSet.targetMax[k];
    }
  }
  setOutputTargetRanges(record, outputActivation, trainingSet);
}

void emptyScalingRecord(ScalingRecord& record) { record.resize(0, 0); }

void setOutputTargetRanges(ScalingRecord& record, ActivationType outputActivation,
                           const PatternSet& trainingSet) {
  if (!record.consistent()) return;
  const bool setRanges = trainingSet.hasRanges() && trainingSet.outputCount == record.outputCount;
  for (std::size_t k = 0; k < record.outputCount; ++k) {
    const std::size_t c = record.inputCount + k;
    switch (outputActivation) {
      case ActivationType::Tanh:
        record.toMin[c] = -1.0;
        record.toMax[c] = 1.0;
        break;
      case ActivationType::Linear:
        record.toMin[c] = setRanges ? trainingSet.targetMin[k] : record.fromMin[c];
        record.toMax[c] = setRanges ? trainingSet.targetMax[k] : record.fromMax[c];
        break;
      default:
        record.toMin[c] = 0.0;
        record.toMax[c] = 1.0;
        break;
    }
  }
}

}  // namespace nodelyx
