#include "files/data_read_job.h"

namespace nodelyx {

DataReadJob::DataReadJob(DataReadRequest request, DataReadCallbacks callbacks, Reporter& reporter,
                         std::function<void()> finished, DataFileRead read)
    : request_(std::move(request)),
      callbacks_(std::move(callbacks)),
      reporter_(reporter),
      finished_(std::move(finished)) {
  thread_ = std::thread([this, read = std::move(read)] {
    outcome_ = read ? read(request_, callbacks_, reporter_, readOk_)
                    : readDataFile(request_, callbacks_, reporter_, readOk_);
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
                                     Reporter& reporter, const DataFileRead& read) {
  DataReadJob job(request, callbacks, reporter, {}, read);
  return job.take();
}

}  // namespace nodelyx
