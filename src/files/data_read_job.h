// Reads a data file on a worker thread of its own. The owner polls or waits
// for the outcome; Cancel clears readOk and the thread stops at its next
// check. Destroying the job cancels it and joins the thread. The callbacks
// and the reporter are called on the worker thread: a GUI marshals them onto
// its own thread (blocking, so that the question is answered before the
// reading goes on).
#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "files/data_file.h"

namespace nodelyx {

// What the worker runs: readDataFile, or a reader of the same contract.
using DataFileRead = std::function<DataReadOutcome(const DataReadRequest&, const DataReadCallbacks&,
                                                   Reporter&, const std::atomic<int>& readOk)>;

class DataReadJob {
 public:
  // finished (optional) is called on the worker thread as its last action;
  // read (optional) replaces readDataFile.
  DataReadJob(DataReadRequest request, DataReadCallbacks callbacks, Reporter& reporter,
              std::function<void()> finished = {}, DataFileRead read = {});
  ~DataReadJob();
  DataReadJob(const DataReadJob&) = delete;
  DataReadJob& operator=(const DataReadJob&) = delete;

  void cancel() { readOk_.store(0); }
  bool running() const { return readOk_.load() != 0; }
  // Waits for the thread and hands over the outcome (once).
  DataReadOutcome take();

 private:
  DataReadRequest request_;
  DataReadCallbacks callbacks_;
  Reporter& reporter_;
  std::function<void()> finished_;
  DataReadOutcome outcome_;
  std::atomic<int> readOk_{1};
  std::thread thread_;
};

// Reads on a fresh worker thread and waits for it: every load starts from
// the same generator state, so a shuffled load repeats exactly.
DataReadOutcome readDataFileOnWorker(const DataReadRequest& request, const DataReadCallbacks& callbacks,
                                     Reporter& reporter, const DataFileRead& read = {});

}  // namespace nodelyx
