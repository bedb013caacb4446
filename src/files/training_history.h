// The history of the training runs that produced the current weights: one
// record per run, written after the weights in a weights file and read back
// with them. Owned by the session, GUI thread only: the training run's
// record is appended when the run is settled on the GUI thread, after its
// worker has ended (see app/training_run.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nodelyx {

struct TrainingRecord {
  std::string date;  // "Www Mmm dd hh:mm:ss yyyy"; set on appending when empty
  std::uint32_t lastEpoch = 0;
  std::string algorithm;  // the method's long name
  // By algorithm: back-propagation: learning rate; "Rprop": increase,
  // decrease, minimum step, maximum step, initial step; "Quickprop":
  // learning rate, maximum growth; "Delta-Bar-Delta": increase, decrease,
  // averaging parameter.
  std::array<double, 5> parameters{};
  double momentum = 0.0;
  double inputNoise = 0.0;
  double weightDecay = 0.0;
  double finalRmsError = 0.0;
  double finalMaxError = 0.0;
  std::string trainingDataFile;
};

// Oldest first; epochs count on from one record to the next.
using TrainingHistory = std::vector<TrainingRecord>;

inline constexpr std::string_view kHistoryMarker = "*****Nodelyx_Training_History_Follows*****";

// Appends the record, dating it now when it has no date.
void appendRecord(TrainingHistory& history, TrainingRecord record);
void clearHistory(TrainingHistory& history);

// Appends the history section to text; nothing for an empty history.
void writeHistory(std::string& text, const TrainingHistory& history);

// Reads the section from text (anything before the marker is skipped):
// empties the history, then appends every record that reads whole. A
// damaged record (a missing label, a value that is no number) is skipped,
// and reading goes on with the next one; skippedRecords, when given,
// receives how many were skipped, so that the caller can say that a save
// would leave them out. Returns the last epoch of the newest record read
// (0 for none), which becomes the epoch count.
std::uint32_t readHistory(std::string_view text, TrainingHistory& history,
                          std::size_t* skippedRecords = nullptr);

}  // namespace nodelyx
