#include "files/data_read_job.h"

namespace nodelyx {

DataReadJob::DataReadJob(DataReadRequest request, DataReadCallbacks callbacks, Reporter& reporter,
                         std::function<void()> finished)
    : request_(std::move(request)),
      callbacks_(std::move(callbacks)),
      reporter_(reporter),
      finished_(std::move(finished)) {
  thread_ = std::thread([this] {
    outcome_ = readDataFile(request_, callbacks_, reporter_, readOk_);
    readOk_.store(0);
    if (finished_) finished_();
  });
}

DataReadJob::~DataReadJob() {
  cancel();
  if (thread_.joinable()) thread_.join();
}

DataReadOutcome DataReadJob::take() {
  if (thread_.joinable()) thread_.join();
  return std::move(outcome_);
}

DataReadOutcome readDataFileOnWorker(const DataReadRequest& request, const DataReadCallbacks& callbacks,
                                     Reporter& reporter) {
  DataReadJob job(request, callbacks, reporter);
  return job.take();
}

}  // namespace nodelyx
