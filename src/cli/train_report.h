// The figures of a finished training run as nodelyx-cli train reports
// them, alone or as the statistics of repeated runs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "app/session.h"
#include "app/training_run.h"

namespace nodelyx::cli {

// How a run started.
struct RunStart {
  std::optional<std::uint32_t> seed;    // a new network from this seed
  std::filesystem::path continuedFrom;  // else: these weights
  std::uint32_t epochsBefore = 0;

  std::string describe() const;
};

struct RunFigures {
  RunStart start;
  std::uint32_t epochs = 0;  // all the network's epochs
  std::uint32_t epochsRun = 0;
  StopReason reason = StopReason::EpochLimit;
  bool diverged = false;
  double trainRms = 0, trainMaxRms = 0, trainMaxError = 0, trainPercent = 0;
  std::uint32_t trainCorrect = 0, trainPatterns = 0;
  std::optional<double> testRms, testPercent;
  // Arg-max agreement, when the targets are one-hot.
  std::optional<double> trainAccuracy, testAccuracy;
  double seconds = 0;
  double connectionsPerSecond = 0;
  std::filesystem::path weights;
};

// The run stopped diverging, or its last training error is not a number.
bool runDiverged(const RunSummary& summary);

// The figures of the session's network after the run (the classification
// figures are measured here, on the training and testing sets).
RunFigures measureRun(Session& session, const RunSummary& summary, const RunStart& start,
                      const std::filesystem::path& weights);

// The run's line and where its weights went (the start is said before the
// run); with json, everything as one object.
void printRun(const RunFigures& figures, bool json);
// Each run on a line, then mean, standard deviation, best and worst of
// every figure.
void printRepeatedRuns(std::span<const RunFigures> runs, bool json);

}  // namespace nodelyx::cli
