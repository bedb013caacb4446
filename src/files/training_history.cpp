#include "files/training_history.h"

#include <optional>

#include "files/c_format.h"
#include "files/text_cursor.h"

namespace nodelyx {
namespace {

constexpr int kLabelWidth = 25;

// The parameter labels of an algorithm, in the order of its parameters.
std::vector<std::string_view> parameterLabels(std::string_view algorithm) {
  if (algorithm == "Online Back-Propagation" || algorithm == "Batch Back-Propagation" ||
      algorithm == "Online Back-Propagation (Randomize)")
    return {"Learning_Rate"};
  if (algorithm == "Rprop")
    return {"Weight_Increase_Rate", "Weight_Decrease_Rate", "Min_Weight_Step_Size", "Max_Weight_Step_Size",
            "Initial_Weight_Step_Size"};
  if (algorithm == "Quickprop") return {"Learning_Rate", "Max_Weight_Growth_Rate"};
  if (algorithm == "Delta-Bar-Delta")
    return {"Weight_Increase_Rate", "Weight_Decrease_Rate", "DBD_Averaging_Param"};
  return {};
}

void appendLine(std::string& text, std::string_view label, std::string_view value) {
  text += label;
  text.append(static_cast<std::size_t>(kLabelWidth) - std::min<std::size_t>(label.size(), kLabelWidth), ' ');
  text += value;
  text += '\n';
}

void appendLine(std::string& text, std::string_view label, double value) {
  appendLine(text, label, formatDouble(value));
}

bool isWhiteSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Reads the history's words and values the way a stream extractor does.
class HistoryScanner {
 public:
  explicit HistoryScanner(std::string_view text) : text_(text), cursor_(text) {}

  std::string_view word() {
    while (isWhiteSpace(cursor_.peek())) cursor_.get();
    const std::size_t start = cursor_.position();
    while (cursor_.peek() != TextCursor::kEnd && !isWhiteSpace(cursor_.peek())) cursor_.get();
    return text_.substr(start, cursor_.position() - start);
  }
  bool expect(std::string_view label) { return word() == label; }
  // Skips blanks and tabs and takes the rest of that line: an empty value
  // stays empty instead of taking the next line.
  std::string restOfLine() {
    cursor_.skipBlanks();
    std::string line(cursor_.restOfLine());
    while (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }
  // Values of a diverged run ("nan", "inf") read back as written.
  std::optional<double> number() { return cursor_.readDouble(true); }
  std::optional<long long> integer() { return cursor_.readInteger(); }
  std::size_t position() const { return cursor_.position(); }
  void seek(std::size_t position) { cursor_.seek(position); }

 private:
  std::string_view text_;
  TextCursor cursor_;
};

bool readValue(HistoryScanner& in, std::string_view label, double& value) {
  if (!in.expect(label)) return false;
  const auto read = in.number();
  if (read) value = *read;
  return read.has_value();
}

// One record after its "***"; nullopt when a label is missing or a value
// cannot be read.
std::optional<TrainingRecord> readRecord(HistoryScanner& in) {
  TrainingRecord record;
  record.date = in.restOfLine();
  if (!in.expect("Epochs")) return std::nullopt;
  const auto first = in.integer();
  if (!first || in.word().empty()) return std::nullopt;
  const auto last = in.integer();
  if (!last || *last < 0 || *last > 0xffffffffLL) return std::nullopt;
  record.lastEpoch = static_cast<std::uint32_t>(*last);
  if (!in.expect("Train_algorithm")) return std::nullopt;
  record.algorithm = in.restOfLine();
  const auto labels = parameterLabels(record.algorithm);
  for (std::size_t k = 0; k < labels.size(); ++k)
    if (!readValue(in, labels[k], record.parameters[k])) return std::nullopt;
  if (!readValue(in, "Momentum", record.momentum)) return std::nullopt;
  // Histories written before noise and decay existed lack both lines.
  std::string_view next = in.word();
  if (next == "Input_Noise") {
    const auto noise = in.number();
    if (!noise) return std::nullopt;
    record.inputNoise = *noise;
    next = in.word();
    if (next == "Weight_Decay") {
      const auto decay = in.number();
      if (!decay) return std::nullopt;
      record.weightDecay = *decay;
      next = in.word();
    }
  }
  if (next != "Final_RMS_error") return std::nullopt;
  const auto rms = in.number();
  if (!rms) return std::nullopt;
  record.finalRmsError = *rms;
  if (!readValue(in, "Final_Max_error", record.finalMaxError)) return std::nullopt;
  if (!in.expect("Training_data_file")) return std::nullopt;
  record.trainingDataFile = in.restOfLine();
  return record;
}

}  // namespace

void appendRecord(TrainingHistory& history, TrainingRecord record) {
  if (record.date.empty()) record.date = currentTimestamp();
  history.push_back(std::move(record));
}

void clearHistory(TrainingHistory& history) { history.clear(); }

void writeHistory(std::string& text, const TrainingHistory& history) {
  if (history.empty()) return;
  text += "\n\n";
  text += kHistoryMarker;
  text += '\n';
  std::uint32_t first = 1;
  for (const TrainingRecord& record : history) {
    text += "\n*** " + record.date + "\n";
    appendLine(text, "Epochs", formatC("%u - %u", first, record.lastEpoch));
    appendLine(text, "Train_algorithm", record.algorithm);
    const auto labels = parameterLabels(record.algorithm);
    for (std::size_t k = 0; k < labels.size(); ++k) appendLine(text, labels[k], record.parameters[k]);
    appendLine(text, "Momentum", record.momentum);
    appendLine(text, "Input_Noise", record.inputNoise);
    appendLine(text, "Weight_Decay", record.weightDecay);
    appendLine(text, "Final_RMS_error", record.finalRmsError);
    appendLine(text, "Final_Max_error", record.finalMaxError);
    appendLine(text, "Training_data_file", record.trainingDataFile);
    first = record.lastEpoch + 1;
  }
}

std::uint32_t readHistory(std::string_view text, TrainingHistory& history, std::size_t* skippedRecords) {
  clearHistory(history);
  if (skippedRecords) *skippedRecords = 0;
  HistoryScanner in(text);
  for (std::string_view word = in.word(); word != kHistoryMarker; word = in.word())
    if (word.empty()) return 0;
  std::uint32_t epochCount = 0;
  for (;;) {
    std::string_view word = in.word();
    while (!word.empty() && word != "***") word = in.word();
    if (word.empty()) break;
    const std::size_t recordStart = in.position();
    std::optional<TrainingRecord> record = readRecord(in);
    if (!record) {
      // The next record starts at the next "***" after this one's, even
      // when the damaged record's reading went past it.
      in.seek(recordStart);
      if (skippedRecords) ++*skippedRecords;
      continue;
    }
    epochCount = record->lastEpoch;
    appendRecord(history, std::move(*record));
  }
  return epochCount;
}

}  // namespace nodelyx
