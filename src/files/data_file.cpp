#include "files/data_file.h"

#include <algorithm>
#include <new>

#include "files/c_format.h"
#include "files/data_file_format.h"
#include "files/data_scan.h"

namespace nodelyx {
namespace {

constexpr long long kMaxCount = 4294967295LL;

// The counts and where the data part starts, as the header or the table's
// first line and the question give them.
struct Layout {
  long long inputs = 0;
  long long outputs = 0;
  std::uint64_t dataStart = 0;
  bool noHeader = false;
  std::vector<std::string> names;
};

class DataFileParser {
 public:
  DataFileParser(ByteSource& source, std::string_view title, const DataReadRequest& request,
                 const DataReadCallbacks& callbacks, Reporter& reporter, const std::atomic<int>& readOk)
      : source_(source),
        reader_(source),
        title_(title),
        request_(request),
        callbacks_(callbacks),
        reporter_(reporter),
        readOk_(readOk) {}

  DataReadOutcome run();

 private:
  bool training() const { return request_.kind == DataKind::Training; }
  void error(const char* title, const std::string& text) {
    reporter_.report(title, text, MessageIcon::Error);
  }
  bool badData(std::uint64_t offset) {
    error("Error", unrecognizableDataMessage(reader_, title_, offset));
    return false;
  }
  void progress(int percent);

  bool readLayout(Layout& layout);
  bool readHeader(const DataLayout& found, Layout& layout);
  bool readPlainTable(const DataLayout& found, Layout& layout);
  bool askCounts(std::uint64_t firstLineCount, Layout& layout);
  bool validateInputs(const Layout& layout);
  bool validateOutputs(const Layout& layout);
  bool scanned(const ScanOutcome& outcome);
  bool allocate(PatternSet& set, std::uint64_t patterns, const Layout& layout);

  const ByteSource& source_;
  BufferedReader reader_;
  std::string title_;
  const DataReadRequest& request_;
  const DataReadCallbacks& callbacks_;
  Reporter& reporter_;
  const std::atomic<int>& readOk_;
  int lastPercent_ = -1;
};

void DataFileParser::progress(int percent) {
  if (percent <= lastPercent_) return;
  lastPercent_ = percent;
  if (callbacks_.progress) callbacks_.progress(percent);
}

bool DataFileParser::readLayout(Layout& layout) {
  const DataLayout found = readDataLayout(reader_);
  return found.header == DataHeader::None ? readPlainTable(found, layout) : readHeader(found, layout);
}

// Validates in the order a user meets the problems: the inputs, then the
// "[OUTPUTS]" header a training file needs, then the outputs.
bool DataFileParser::readHeader(const DataLayout& found, Layout& layout) {
  if (!found.inputs) return badData(found.inputsAt);
  layout.inputs = *found.inputs;
  if (!validateInputs(layout)) return false;
  if (found.header == DataHeader::InputsOnly && training()) {
    error("Error",
          formatC("Invalid Training data file %s!\nFile missing header '[OUTPUTS] size'", title_.c_str()));
    return false;
  }
  if (found.header == DataHeader::InputsAndOutputs) {
    if (!found.outputs) return badData(found.outputsAt);
    layout.outputs = *found.outputs;
  }
  layout.dataStart = found.dataStart;
  return validateOutputs(layout);
}

// The first line names the columns only when it fits the counts the
// question gave; otherwise it is the first pattern.
bool DataFileParser::readPlainTable(const DataLayout& found, Layout& layout) {
  layout.noHeader = true;
  if (!askCounts(found.firstLine.wordCount, layout)) return false;
  if (!validateInputs(layout) || !validateOutputs(layout)) return false;
  const auto columns = static_cast<std::uint64_t>(layout.inputs + layout.outputs);
  layout.dataStart = dataStartFor(found, columns);
  if (namesColumns(found.firstLine, columns)) layout.names = found.firstLine.words;
  return true;
}

bool DataFileParser::askCounts(std::uint64_t firstLineCount, Layout& layout) {
  if (!callbacks_.askInputsOutputs) return false;
  const auto shown = static_cast<std::uint32_t>(std::min<std::uint64_t>(firstLineCount, 0xffffffffu));
  for (;;) {
    const std::optional<InputsOutputs> answer = callbacks_.askInputsOutputs(shown);
    if (!answer) return false;
    if (answer->inputs != 0) {
      layout.inputs = answer->inputs;
      layout.outputs = answer->outputs;
      return true;
    }
    reporter_.report("Warning", "You must enter a valid number of inputs", MessageIcon::Warning);
  }
}

bool DataFileParser::validateInputs(const Layout& layout) {
  if (layout.inputs < 1 || layout.inputs > kMaxCount) {
    error("Invalid # of inputs", formatC("%s contains %lld inputs.\nThe legal range is between 1 and %u",
                                         title_.c_str(), layout.inputs, 4294967295u));
    return false;
  }
  if (!training() && request_.currentInputs != 0 && request_.currentInputs != layout.inputs) {
    error("Error", formatC("Invalid Testing data file %s!\nNumber of inputs differs from loaded network",
                           title_.c_str()));
    return false;
  }
  return true;
}

bool DataFileParser::validateOutputs(const Layout& layout) {
  if (training() && (layout.outputs < 1 || layout.outputs > kMaxCount)) {
    error("Invalid # of outputs", formatC("%s contains %lld outputs.\nThe legal range is between 1 and %u",
                                          title_.c_str(), layout.outputs, 4294967295u));
    return false;
  }
  if (!training() && (layout.outputs < 0 || layout.outputs > kMaxCount)) {
    error("Invalid # of outputs", formatC("%s contains %lld outputs.\nThe legal range is between 0 and %u",
                                          title_.c_str(), layout.outputs, 4294967295u));
    return false;
  }
  if (!training() && layout.outputs != 0 && request_.currentOutputs != 0 &&
      request_.currentOutputs != layout.outputs) {
    error("Error", formatC("Invalid Testing data file %s!\nNumber of outputs differs from loaded network",
                           title_.c_str()));
    return false;
  }
  return true;
}

bool DataFileParser::scanned(const ScanOutcome& outcome) {
  switch (outcome.result) {
    case ScanResult::Done:
      // A cancel that came while the last pieces were finishing still
      // cancels: the user asked for nothing to be loaded.
      return readOk_.load() != 0;
    case ScanResult::Cancelled:
      return false;
    case ScanResult::Unrecognizable:
      return badData(outcome.offset);
    case ScanResult::Unreadable:
      break;
  }
  error("Error", unreadableDataMessage(title_));
  return false;
}

bool DataFileParser::allocate(PatternSet& set, std::uint64_t patterns, const Layout& layout) {
  set.patternCount = static_cast<std::uint32_t>(patterns);
  set.inputCount = static_cast<std::uint32_t>(layout.inputs);
  set.outputCount = static_cast<std::uint32_t>(layout.outputs);
  const std::uint64_t doubles = patterns * set.stride();
  set.values.reset(new (std::nothrow) double[doubles]);
  if (set.values) return true;
  error("ERROR", formatC("Not enough memory to load %s (%llu bytes needed).", title_.c_str(),
                         static_cast<unsigned long long>(doubles * sizeof(double))));
  set.clear();
  return false;
}

DataReadOutcome DataFileParser::run() {
  DataReadOutcome outcome;
  if (callbacks_.caption) callbacks_.caption("Reading: " + title_);
  Layout layout;
  if (!readLayout(layout)) return outcome;
  if (layout.dataStart > source_.size()) {
    badData(layout.dataStart);
    return outcome;
  }
  DataScan scan(source_, layout.dataStart, request_.pieceBytes ? request_.pieceBytes : kDataPieceBytes,
                readOk_);
  progress(0);
  if (!scanned(scan.count([this](double done) { progress(static_cast<int>(20 * done)); }))) return outcome;
  const std::uint64_t values = scan.valueCount();
  const auto columns = static_cast<std::uint64_t>(layout.inputs + layout.outputs);
  const std::uint64_t patterns = values / columns;
  if (patterns < 1 || patterns > static_cast<std::uint64_t>(kMaxCount)) {
    error("Invalid # of patterns",
          formatC("%s contains %llu patterns.\nThe legal range is between 1 and %llu", title_.c_str(),
                  static_cast<unsigned long long>(patterns), 4294967295ull));
    return outcome;
  }
  if (!allocate(outcome.set, patterns, layout)) return outcome;
  const auto reading = [this](double done) { progress(20 + static_cast<int>(80 * done)); };
  if (!scanned(scan.read(outcome.set.values.get(), patterns * columns, reading))) {
    outcome.set.clear();
    return outcome;
  }
  progress(100);
  outcome.set.columnNames = std::move(layout.names);
  if (training()) {
    computeColumnRanges(outcome.set);
    if (request_.shuffle) shufflePatterns(outcome.set);
  }
  outcome.noHeader = layout.noHeader;
  // The values after the last whole pattern are ignored, but not in
  // silence: they usually mean a value is missing somewhere.
  outcome.leftoverValues = values % columns;
  if (outcome.leftoverValues != 0)
    reporter_.report("Warning", leftoverValuesMessage(title_, outcome.leftoverValues), MessageIcon::Warning);
  outcome.ok = true;
  return outcome;
}

}  // namespace

DataReadOutcome readDataSource(ByteSource& source, std::string_view title, const DataReadRequest& request,
                               const DataReadCallbacks& callbacks, Reporter& reporter,
                               const std::atomic<int>& readOk) {
  return DataFileParser(source, title, request, callbacks, reporter, readOk).run();
}

DataReadOutcome readDataFile(const DataReadRequest& request, const DataReadCallbacks& callbacks,
                             Reporter& reporter, const std::atomic<int>& readOk) {
  const std::string title = request.path.filename().string();
  OpenFailure failure = OpenFailure::None;
  const std::unique_ptr<ByteSource> source = openFileSource(request.path, &failure);
  if (!source) {
    if (callbacks.caption) callbacks.caption("Reading: " + title);
    if (failure == OpenFailure::NotRegular)
      reporter.report("Error", formatC("Could not read file %s\nIt is not a regular file.", title.c_str()),
                      MessageIcon::Error);
    return {};
  }
  return readDataSource(*source, title, request, callbacks, reporter, readOk);
}

}  // namespace nodelyx
