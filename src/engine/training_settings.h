// The settings a training epoch reads, passed in by whoever owns them (the
// settings record lives outside the engine).
#pragma once

namespace nodelyx {

// Read by every epoch (the training run passes fresh values each epoch).
struct EpochSettings {
  double patternClip = 1.0;  // rate factor of learned patterns; >= 1 turns clipping off
  double errorMargin = 0.1;  // a pattern whose RMS error is within this is learned
  bool preventSaturation = false;
  int saturationThreshold = 80;  // percent of patterns
  // The caller will probably train another epoch over the same set (it
  // sets this below its epoch limit): an online epoch may then train the
  // next one while a second thread gathers its statistics.
  bool anotherEpochLikely = false;
};

// Parameters of the adaptive methods, handed over by setTrainingMethod.
struct AdaptiveSettings {
  double rpropIncrease = 1.2;
  double rpropDecrease = 0.5;
  double rpropMaxStep = 50;
  double rpropMinStep = 1e-06;
  double rpropInitialStep = 0.001;
  double quickpropMaxGrowth = 1.75;
  double dbdIncrease = 0.06;
  double dbdDecrease = 0.2;
  double dbdAverage = 0.7;
};

}  // namespace nodelyx
