// The data-scaling job: rewrites a data file with its input and/or output
// columns mapped onto new ranges (taken from the data, or from a scale
// file), or maps such a file back. It never touches the loaded data sets
// or the network, and it either completes, leaving the output (and the
// scale file it computed) behind, or leaves nothing: it writes temporary
// files and renames them at the end, so files that existed before stay
// untouched unless the run completes. It reads data files by the data
// reader's rules (files/data_file_format.h): the same files load and scale.
//
// run() blocks; ScalingWorker runs it on a thread of its own. The callbacks
// and the reporter are called on the thread that runs the job.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "files/reporter.h"

namespace nodelyx {

enum class ScaleAction : std::int32_t { ScaleFromRanges = 1, ScaleFromFile = 2, UnscaleFromFile = 3 };

struct ScalingJob {
  std::atomic<int> running{0};  // cleared by Abort, and by the job on a failure
  std::string inputPath;
  std::string outputPath;
  std::string scalePath;  // written by ScaleFromRanges, read by the others
  ScaleAction action = ScaleAction::ScaleFromRanges;
  double inputLow = 0.0, inputHigh = 1.0;
  double outputLow = static_cast<double>(0.1f), outputHigh = static_cast<double>(0.9f);
  // Columns per pattern of a file without a header (a header's counts
  // replace them).
  std::uint32_t inputCount = 0;
  std::uint32_t outputCount = 0;
  bool scaleInputs = true;
  bool scaleOutputs = true;
  bool writeHeader = true;  // "Save as Nodelyx training file"
};

struct ScalingCallbacks {
  std::function<void(int percent)> progress;
  // The counts found in the data file's header.
  std::function<void(std::uint32_t inputs, std::uint32_t outputs)> countsFound;
};

// Runs the job to its end (job.running must be 1 at the start; it is 0
// afterwards). True when the output was written.
bool runScalingJob(ScalingJob& job, const ScalingCallbacks& callbacks, Reporter& reporter);

// The job on a worker thread; destroying the worker aborts the job and
// waits for it.
class ScalingWorker {
 public:
  ScalingWorker(ScalingJob& job, ScalingCallbacks callbacks, Reporter& reporter,
                std::function<void(bool written)> finished = {});
  ~ScalingWorker();
  ScalingWorker(const ScalingWorker&) = delete;
  ScalingWorker& operator=(const ScalingWorker&) = delete;

  void abort() { job_.running.store(0); }
  // Waits for the worker; true when the output was written.
  bool wait();

 private:
  ScalingJob& job_;
  ScalingCallbacks callbacks_;
  Reporter& reporter_;
  std::function<void(bool)> finished_;
  bool written_ = false;
  std::thread thread_;
};

}  // namespace nodelyx
