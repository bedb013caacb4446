// What nodelyx-cli train watches while a run goes, on the run's worker
// thread: the progress line on a terminal, the learning curve file, and a
// stop flag that several runs share (Ctrl-C during --repeat stops them all).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/training_run.h"

namespace nodelyx::cli {

// The learning curve as CSV, one row per epoch (or per `every` epochs, and
// always the last), written as the run goes and flushed at least once a
// second, so that a crash or Ctrl-C leaves the rows so far. Columns whose
// figure the run does not measure (testing without a testing set,
// cross-validation when it is off) stay empty.
class CurveWriter {
 public:
  CurveWriter() = default;
  ~CurveWriter();
  CurveWriter(const CurveWriter&) = delete;
  CurveWriter& operator=(const CurveWriter&) = delete;

  // Creates the file and writes the names line; false with the reason.
  bool open(const std::filesystem::path& path, long long every, bool crossValidated, std::string* reason);
  void epochFinished(const EpochStatistics& stats, double seconds);
  void runEnded(const EpochStatistics& last, double seconds);
  // Flushes and closes; false, with the reason, when a row could not be
  // written.
  bool close(std::string* reason);

 private:
  void writeRow(const EpochStatistics& stats, double seconds);
  void noteFailure(int error);

  std::FILE* file_ = nullptr;
  long long every_ = 1;
  bool crossValidated_ = false;
  std::uint32_t lastWritten_ = 0;
  bool failed_ = false;
  int error_ = 0;
  std::chrono::steady_clock::time_point lastFlush_{};
};

class RunMonitor final : public TrainingObserver {
 public:
  // showProgress: a one-line display on standard error. curve: may be null.
  // keepGoing: when it drops to 0 the run is asked to stop (may be null).
  RunMonitor(TrainingRun& run, bool showProgress, CurveWriter* curve, const std::atomic<int>* keepGoing)
      : run_(run), showProgress_(showProgress), curve_(curve), keepGoing_(keepGoing) {}

  void trainingStarted() override;
  void epochFinished(const EpochStatistics& stats) override;
  void trainingEnded(const RunSummary& summary) override;
  const RunSummary& summary() const { return summary_; }

 private:
  double secondsSinceStart() const;
  void showProgress(const EpochStatistics& stats);

  TrainingRun& run_;
  bool showProgress_;
  CurveWriter* curve_;
  const std::atomic<int>* keepGoing_;
  unsigned long long epochs_ = 0;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point lastShown_{};
  RunSummary summary_;
};

}  // namespace nodelyx::cli
