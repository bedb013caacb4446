#include "scaling/scaling_job.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "files/atomic_file.h"
#include "files/buffered_reader.h"
#include "files/c_format.h"
#include "files/data_file_format.h"
#include "scaling/scale_file.h"

namespace nodelyx {
namespace {

constexpr long long kMaxCount = 4294967295LL;
// Rows are handed to the output in pieces of about this size, so that a
// row of millions of columns needs no row-sized buffer.
constexpr std::size_t kRowPiece = 1 << 16;

std::string notRegularMessage(const std::string& path) {
  return formatC("Could not open file %s\nIt is not a regular file.", path.c_str());
}

// Reads a whole scale file; false after setting the message.
bool readScaleText(const std::string& path, std::string& text, std::string& message) {
  if (readWholeFile(path, text)) return true;
  std::error_code ignored;
  const bool special =
      std::filesystem::exists(path, ignored) && !std::filesystem::is_regular_file(path, ignored);
  message = special ? notRegularMessage(path) : formatC("Could not open file %s", path.c_str());
  return false;
}

// One run of the job, from opening the files to committing or dropping
// what it wrote.
class ScalingRun {
 public:
  ScalingRun(ScalingJob& job, const ScalingCallbacks& callbacks, Reporter& reporter)
      : job_(job), callbacks_(callbacks), reporter_(reporter), output_(job.outputPath) {}

  bool run();

 private:
  bool running() const { return job_.running.load(std::memory_order_relaxed) != 0; }
  void fail(const char* title, const std::string& text) {
    reporter_.report(title, text, MessageIcon::Error);
    job_.running.store(0);
  }
  bool badData(std::uint64_t offset) {
    fail("Error", unrecognizableDataMessage(*reader_, job_.inputPath, offset));
    return false;
  }
  bool headerCount(const std::optional<long long>& count, std::uint64_t at, std::uint32_t& into) {
    if (!count || *count < 0 || *count > kMaxCount) return badData(at);
    into = static_cast<std::uint32_t>(*count);
    return true;
  }
  void progress(int percent) {
    if (percent != lastPercent_ && callbacks_.progress) callbacks_.progress(percent);
    lastPercent_ = percent;
  }
  bool openFiles();
  bool readHeader();
  bool countPatterns();
  bool computeRanges();
  bool readScaleRanges();
  void writeHeader();
  void writeRows();
  std::uint64_t columns() const { return std::uint64_t{ranges_.inputCount} + ranges_.outputCount; }
  double mapColumn(std::size_t c, double x) const;

  ScalingJob& job_;
  const ScalingCallbacks& callbacks_;
  Reporter& reporter_;
  std::unique_ptr<ByteSource> input_;
  std::optional<BufferedReader> reader_;
  AtomicFileWriter output_;
  std::optional<AtomicFileWriter> scaleOutput_;
  std::string scaleText_;
  DataHeader header_ = DataHeader::None;
  std::uint64_t dataStart_ = 0;
  std::uint64_t patterns_ = 0;
  std::uint64_t leftover_ = 0;  // values after the last whole pattern
  ScaleRanges ranges_;
  int lastPercent_ = -1;
};

bool ScalingRun::openFiles() {
  OpenFailure failure = OpenFailure::None;
  input_ = openFileSource(job_.inputPath, &failure);
  if (!input_)
    fail("File Error", failure == OpenFailure::NotRegular
                           ? notRegularMessage(job_.inputPath)
                           : formatC("Could not open file %s", job_.inputPath.c_str()));
  if (!output_.isOpen()) fail("File Error", formatC("Could not open file %s", job_.outputPath.c_str()));
  if (job_.action == ScaleAction::ScaleFromRanges) {
    scaleOutput_.emplace(job_.scalePath);
    if (!scaleOutput_->isOpen())
      fail("File Error", formatC("Could not open file %s", job_.scalePath.c_str()));
  } else if (std::string message; !readScaleText(job_.scalePath, scaleText_, message)) {
    fail("File Error", message);
  }
  if (input_) reader_.emplace(*input_);
  return running();
}

// The data reader's layout rules; the counts of a file without a header
// are the job's.
bool ScalingRun::readHeader() {
  const DataLayout layout = readDataLayout(*reader_);
  header_ = layout.header;
  ranges_.inputCount = job_.inputCount;
  ranges_.outputCount = job_.outputCount;
  if (header_ == DataHeader::None) {
    dataStart_ = dataStartFor(layout, columns());
    return true;
  }
  ranges_.outputCount = 0;
  if (!headerCount(layout.inputs, layout.inputsAt, ranges_.inputCount)) return false;
  if (header_ == DataHeader::InputsAndOutputs &&
      !headerCount(layout.outputs, layout.outputsAt, ranges_.outputCount))
    return false;
  dataStart_ = layout.dataStart;
  if (callbacks_.countsFound) callbacks_.countsFound(ranges_.inputCount, ranges_.outputCount);
  return true;
}

bool ScalingRun::countPatterns() {
  std::uint64_t values = 0;
  if (!reader_->seek(dataStart_)) return badData(dataStart_);
  const auto report = [this](int percent) { progress(percent); };
  switch (countNumericValues(*reader_, job_.running, report, values)) {
    case CountResult::Counted:
      break;
    case CountResult::Cancelled:
      return false;
    case CountResult::Unrecognizable:
      return badData(reader_->position());
  }
  if (columns() == 0) {
    fail("Error",
         formatC("%s has no header: give its number of inputs and outputs.", job_.inputPath.c_str()));
    return false;
  }
  patterns_ = values / columns();
  if (patterns_ == 0) {
    fail("Invalid # of patterns", formatC("%s contains 0 patterns.\nThe legal range is between 1 and %llu",
                                          job_.inputPath.c_str(), 4294967295ull));
    return false;
  }
  leftover_ = values % columns();
  return true;
}

bool ScalingRun::computeRanges() {
  if (!reader_->seek(dataStart_)) return badData(dataStart_);
  const std::size_t n = columns();  // at most the number of values read
  try {
    ranges_.min.assign(n, 0.0);
    ranges_.max.assign(n, 0.0);
  } catch (const std::bad_alloc&) {
    fail("ERROR", formatC("Not enough memory to scale %s.", job_.inputPath.c_str()));
    return false;
  }
  const std::uint64_t interval = std::max<std::uint64_t>(1, patterns_ / 40);
  for (std::uint64_t p = 0; p < patterns_; ++p) {
    if (!running()) return false;
    if (p % interval == 0) progress(20 + static_cast<int>(40 * p / patterns_));
    for (std::size_t c = 0; c < n; ++c) {
      double x = 0.0;
      if (!readNextValue(*reader_, x)) return badData(reader_->position());
      ranges_.min[c] = p == 0 ? x : std::min(ranges_.min[c], x);
      ranges_.max[c] = p == 0 ? x : std::max(ranges_.max[c], x);
    }
  }
  ranges_.inputLow = job_.inputLow;
  ranges_.inputHigh = job_.inputHigh;
  ranges_.outputLow = job_.outputLow;
  ranges_.outputHigh = job_.outputHigh;
  scaleOutput_->write(formatScaleFile(ranges_));
  return true;
}

bool ScalingRun::readScaleRanges() {
  std::string problem;
  if (!readScaleFile(scaleText_, ranges_.inputCount, ranges_.outputCount, ranges_, &problem)) {
    fail("Error", "Invalid Scale File\n" + problem);
    return false;
  }
  return true;
}

void ScalingRun::writeHeader() {
  if (!job_.writeHeader) return;
  const bool inputs = header_ != DataHeader::None || ranges_.inputCount != 0;
  const bool outputs =
      header_ == DataHeader::InputsAndOutputs || (header_ == DataHeader::None && ranges_.outputCount != 0);
  if (inputs) output_.write(formatC("[INPUTS] %u\n", ranges_.inputCount));
  if (outputs) output_.write(formatC("[OUTPUTS] %u\n", ranges_.outputCount));
}

double ScalingRun::mapColumn(std::size_t c, double x) const {
  const bool input = c < ranges_.inputCount;
  if (input ? !job_.scaleInputs : !job_.scaleOutputs) return x;
  const double low = input ? ranges_.inputLow : ranges_.outputLow;
  const double high = input ? ranges_.inputHigh : ranges_.outputHigh;
  return mapScaleValue(x, ranges_.min[c], ranges_.max[c], low, high,
                       job_.action == ScaleAction::UnscaleFromFile);
}

void ScalingRun::writeRows() {
  if (!reader_->seek(dataStart_)) {
    badData(dataStart_);
    return;
  }
  writeHeader();
  const bool fromRanges = job_.action == ScaleAction::ScaleFromRanges;
  const std::uint64_t interval = std::max<std::uint64_t>(1, patterns_ / (fromRanges ? 40 : 80));
  std::string row;
  char number[400];
  for (std::uint64_t p = 0; p < patterns_ && running(); ++p) {
    if (p % interval == 0)
      progress(fromRanges ? 60 + static_cast<int>(40 * p / patterns_)
                          : 20 + static_cast<int>(80 * p / patterns_));
    for (std::size_t c = 0; c < columns(); ++c) {
      double x = 0.0;
      if (!readNextValue(*reader_, x)) {
        badData(reader_->position());
        return;
      }
      const auto [end, error] =
          std::to_chars(number, number + sizeof number, mapColumn(c, x), std::chars_format::fixed, 6);
      row.append(number, error == std::errc() ? end : number);
      row += ' ';
      if (row.size() >= kRowPiece) {
        output_.write(row);
        row.clear();
      }
    }
    row += '\n';
    output_.write(row);
    row.clear();
  }
}

bool ScalingRun::run() {
  if (!openFiles() || !readHeader() || !countPatterns()) return false;
  const bool ranged = job_.action == ScaleAction::ScaleFromRanges ? computeRanges() : readScaleRanges();
  if (!ranged || !running()) return false;
  writeRows();
  if (!running()) return false;
  if (scaleOutput_ && !scaleOutput_->commit()) {
    fail("File Error", formatC("Could not open file %s", job_.scalePath.c_str()));
    return false;
  }
  if (!output_.commit()) {
    fail("File Error", formatC("Could not open file %s", job_.outputPath.c_str()));
    return false;
  }
  // Ignored like the data reader ignores them, and said like it says it.
  if (leftover_ != 0)
    reporter_.report("Warning", leftoverValuesMessage(job_.inputPath, leftover_), MessageIcon::Warning);
  return true;
}

}  // namespace

bool runScalingJob(ScalingJob& job, const ScalingCallbacks& callbacks, Reporter& reporter) {
  bool written = false;
  {
    ScalingRun run(job, callbacks, reporter);
    written = run.run();
  }  // what was not committed is removed here
  if (callbacks.progress) callbacks.progress(0);
  job.running.store(0);
  return written;
}

ScalingWorker::ScalingWorker(ScalingJob& job, ScalingCallbacks callbacks, Reporter& reporter,
                             std::function<void(bool)> finished)
    : job_(job), callbacks_(std::move(callbacks)), reporter_(reporter), finished_(std::move(finished)) {
  job_.running.store(1);
  thread_ = std::thread([this] {
    written_ = runScalingJob(job_, callbacks_, reporter_);
    if (finished_) finished_(written_);
  });
}

ScalingWorker::~ScalingWorker() {
  abort();
  if (thread_.joinable()) thread_.join();
}

bool ScalingWorker::wait() {
  if (thread_.joinable()) thread_.join();
  return written_;
}

}  // namespace nodelyx
