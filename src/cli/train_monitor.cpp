#include "cli/train_monitor.h"

#include <cerrno>
#include <cstring>

#include "files/c_format.h"

namespace nodelyx::cli {
namespace {

constexpr auto kFlushInterval = std::chrono::seconds(1);

std::string optionalFigure(bool measured, double value) {
  return measured ? formatRoundTrip(value) : std::string();
}

}  // namespace

CurveWriter::~CurveWriter() {
  if (file_) std::fclose(file_);
}

bool CurveWriter::open(const std::filesystem::path& path, long long every, bool crossValidated,
                       std::string* reason) {
  file_ = std::fopen(path.c_str(), "w");
  if (!file_) {
    if (reason) *reason = std::strerror(errno);
    return false;
  }
  every_ = every;
  crossValidated_ = crossValidated;
  std::fputs(
      "epoch,train_rms,train_max_rms,train_max_error,train_percent_correct,test_rms,xval_rms,seconds\n",
      file_);
  lastFlush_ = std::chrono::steady_clock::now();
  return true;
}

void CurveWriter::writeRow(const EpochStatistics& stats, double seconds) {
  const std::string row = formatC(
      "%u,%s,%s,%s,%s,%s,%s,%.3f\n", stats.epoch, formatRoundTrip(stats.trainRms).c_str(),
      formatRoundTrip(stats.trainMaxPatternRms).c_str(), formatRoundTrip(stats.trainMaxError).c_str(),
      formatRoundTrip(stats.trainPercent).c_str(), optionalFigure(stats.testMeasured, stats.testRms).c_str(),
      optionalFigure(crossValidated_, stats.xvalRms).c_str(), seconds);
  if (std::fwrite(row.data(), 1, row.size(), file_) != row.size()) noteFailure(errno);
  lastWritten_ = stats.epoch;
  const auto now = std::chrono::steady_clock::now();
  if (now - lastFlush_ >= kFlushInterval) {
    lastFlush_ = now;
    if (std::fflush(file_) != 0) noteFailure(errno);
  }
}

// The first failure is the one reported.
void CurveWriter::noteFailure(int error) {
  if (failed_) return;
  failed_ = true;
  error_ = error;
}

void CurveWriter::epochFinished(const EpochStatistics& stats, double seconds) {
  if (file_ && stats.epoch % static_cast<unsigned long long>(every_) == 0) writeRow(stats, seconds);
}

void CurveWriter::runEnded(const EpochStatistics& last, double seconds) {
  // A run that trained no epoch has no row; the last epoch always has one.
  if (file_ && last.epoch != 0 && last.epoch != lastWritten_) writeRow(last, seconds);
}

bool CurveWriter::close(std::string* reason) {
  if (!file_) return true;
  errno = 0;
  const bool flushed = std::fflush(file_) == 0 && std::ferror(file_) == 0;
  const int flushError = errno;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!flushed || !closed) noteFailure(flushError != 0 ? flushError : errno);
  if (failed_ && reason) *reason = error_ != 0 ? std::strerror(error_) : "write error";
  return !failed_;
}

void RunMonitor::trainingStarted() { started_ = std::chrono::steady_clock::now(); }

double RunMonitor::secondsSinceStart() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
}

void RunMonitor::epochFinished(const EpochStatistics& stats) {
  ++epochs_;
  if (curve_) curve_->epochFinished(stats, secondsSinceStart());
  if (keepGoing_ && keepGoing_->load() == 0) run_.stop();
  if (showProgress_) showProgress(stats);
}

// A one-line display, refreshed a few times per second.
void RunMonitor::showProgress(const EpochStatistics& stats) {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastShown_ < std::chrono::milliseconds(250)) return;
  const double seconds = secondsSinceStart();
  lastShown_ = now;
  std::fprintf(stderr, "\r\033[KEpoch %u  training RMS %g  testing RMS %s  correct %.4g %%  %.0f epochs/s",
               stats.epoch, stats.trainRms, stats.testMeasured ? formatC("%g", stats.testRms).c_str() : "-",
               stats.trainPercent, seconds > 0 ? static_cast<double>(epochs_) / seconds : 0.0);
  std::fflush(stderr);
}

void RunMonitor::trainingEnded(const RunSummary& summary) {
  summary_ = summary;
  if (curve_ && summary.epochsRun > 0) curve_->runEnded(summary.last, secondsSinceStart());
  if (showProgress_) std::fprintf(stderr, "\r\033[K");
}

}  // namespace nodelyx::cli
