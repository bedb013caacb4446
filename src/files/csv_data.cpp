// CSV tables: one pattern per line, fields separated by commas, semicolons
// or tabs (whichever the first line uses most; blanks when it uses none),
// optionally quoted, with an optional names line.
#include <algorithm>
#include <charconv>
#include <map>
#include <optional>

#include "files/c_format.h"
#include "files/data_file_format.h"
#include "files/foreign_text.h"

namespace nodelyx::foreign {
namespace {

// Far more classes than any label column holds; beyond it the column is
// most likely a measurement, and the outputs would swamp the memory.
constexpr std::size_t kMaxClasses = 4096;

// The separator the line uses most outside quotes; ' ' for runs of blanks.
char detectSeparator(std::string_view line) {
  std::size_t counts[3] = {};
  constexpr char kCandidates[3] = {'\t', ';', ','};  // on a tie the first wins
  bool quoted = false;
  for (const char c : line) {
    if (c == '"') quoted = !quoted;
    for (std::size_t k = 0; k < 3 && !quoted; ++k) counts[k] += c == kCandidates[k];
  }
  const std::size_t best = static_cast<std::size_t>(std::max_element(counts, counts + 3) - counts);
  return counts[best] > 0 ? kCandidates[best] : ' ';
}

// Splits a line into fields, quotes removed ("" inside quotes is one
// quote) and blanks around unquoted text trimmed. False on a quote that
// is not closed on its line.
bool splitFields(std::string_view line, char separator, std::vector<std::string>& fields) {
  fields.clear();
  const auto ends = [&](std::size_t k) { return separator == ' ' ? isBlank(line[k]) : line[k] == separator; };
  std::size_t k = 0;
  for (;;) {
    while (k < line.size() && isBlank(line[k]) && line[k] != separator) ++k;
    std::string field;
    if (k < line.size() && line[k] == '"') {
      for (++k;; ++k) {
        if (k >= line.size()) return false;
        if (line[k] == '"' && (k + 1 >= line.size() || line[k + 1] != '"')) break;
        if (line[k] == '"') ++k;
        field += line[k];
      }
      ++k;
    }
    const std::size_t start = k;
    while (k < line.size() && !ends(k)) ++k;
    const std::string_view rest = trimBlanks(line.substr(start, k - start));
    field += rest;  // text after a closing quote is kept, not refused
    fields.push_back(std::move(field));
    if (k >= line.size()) return true;
    ++k;
    if (separator == ' ') {
      while (k < line.size() && isBlank(line[k])) ++k;
      if (k >= line.size()) return true;
    }
  }
}

class CsvConverter {
 public:
  CsvConverter(std::string_view title, const ForeignDataOptions& options, ConvertedData& out,
               Reporter& reporter, const std::atomic<int>& keepGoing)
      : name_(title), options_(options), out_(out), reporter_(reporter), keepGoing_(keepGoing) {}

  bool run(std::string_view text);

 private:
  bool error(const std::string& text) {
    reportError(reporter_, text);
    return false;
  }
  std::string columnText(std::size_t c) const {
    return names_.empty() ? formatC("column %zu", c + 1)
                          : formatC("column %zu (%s)", c + 1, names_[c].c_str());
  }
  std::string columnName(std::size_t c) const {
    return names_.empty() ? formatC("column %zu", c + 1) : names_[c];
  }
  std::optional<std::size_t> findColumn(std::string_view wanted);
  bool resolveTargets();
  bool readRow(std::uint64_t lineNumber);
  bool buildClasses();
  void write();

  std::string name_;
  const ForeignDataOptions& options_;
  ConvertedData& out_;
  Reporter& reporter_;
  const std::atomic<int>& keepGoing_;

  char separator_ = ',';
  std::size_t columns_ = 0;
  std::vector<std::string> names_;
  std::vector<std::string> fields_;
  std::vector<std::size_t> targets_, inputs_;
  std::optional<std::size_t> oneHot_;
  std::vector<double> values_;       // columns_ per row; the one-hot column's are class indices
  std::vector<std::string> labels_;  // the one-hot column's labels, one per row
};

std::optional<std::size_t> CsvConverter::findColumn(std::string_view wanted) {
  const std::string_view trimmed = trimBlanks(wanted);
  std::size_t number = 0;
  const auto [end, failure] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), number);
  const std::string shown(trimmed);
  if (failure == std::errc() && end == trimmed.data() + trimmed.size() && !trimmed.empty()) {
    if (number >= 1 && number <= columns_) return number - 1;
    error(formatC("%s has no column %s: its lines have %zu fields.", name_.c_str(), shown.c_str(), columns_));
    return std::nullopt;
  }
  const auto found = std::find(names_.begin(), names_.end(), shown);
  if (found != names_.end()) return static_cast<std::size_t>(found - names_.begin());
  if (names_.empty())
    error(
        formatC("%s has no names line: give the column \"%s\" by its number.", name_.c_str(), shown.c_str()));
  else
    error(formatC("%s has no column named \"%s\".", name_.c_str(), shown.c_str()));
  return std::nullopt;
}

// Targets in the order given, the one-hot column added when not listed;
// inputs are the other columns in file order.
bool CsvConverter::resolveTargets() {
  for (const std::string& wanted : options_.targetColumns) {
    const std::optional<std::size_t> c = findColumn(wanted);
    if (!c) return false;
    if (std::find(targets_.begin(), targets_.end(), *c) != targets_.end())
      return error(formatC("%s: %s is a target column twice.", name_.c_str(), columnText(*c).c_str()));
    targets_.push_back(*c);
  }
  if (!options_.oneHotColumn.empty()) {
    oneHot_ = findColumn(options_.oneHotColumn);
    if (!oneHot_) return false;
    if (std::find(targets_.begin(), targets_.end(), *oneHot_) == targets_.end()) targets_.push_back(*oneHot_);
  }
  if (targets_.empty()) targets_.push_back(columns_ - 1);
  for (std::size_t c = 0; c < columns_; ++c)
    if (std::find(targets_.begin(), targets_.end(), c) == targets_.end()) inputs_.push_back(c);
  return true;
}

bool CsvConverter::readRow(std::uint64_t lineNumber) {
  const auto line = static_cast<unsigned long long>(lineNumber);
  if (fields_.size() != columns_)
    return error(formatC("%s, line %llu: %zu fields, expected %zu as on the first line.", name_.c_str(), line,
                         fields_.size(), columns_));
  for (std::size_t c = 0; c < columns_; ++c) {
    const std::string& field = fields_[c];
    if (field.empty())
      return error(
          formatC("%s, line %llu, %s: the field is empty.", name_.c_str(), line, columnText(c).c_str()));
    if (oneHot_ == c) {
      labels_.push_back(field);
      values_.push_back(0.0);
      continue;
    }
    const std::optional<double> value = parseWholeNumber(field);
    if (!value)
      return error(formatC("%s, line %llu, %s: \"%s\" is not a number.", name_.c_str(), line,
                           columnText(c).c_str(), field.substr(0, 60).c_str()));
    values_.push_back(*value);
  }
  return true;
}

// Classes in numeric order when every label is a number (labels of equal
// value are one class), in byte order otherwise.
bool CsvConverter::buildClasses() {
  const bool numeric = std::all_of(labels_.begin(), labels_.end(), [](const std::string& label) {
    return parseWholeNumber(label).has_value();
  });
  std::vector<double> classOf(labels_.size());
  // Each class maps to the first row that has it, then to its place.
  const auto number = [](const std::string& label) { return *parseWholeNumber(label); };
  const auto index = [&](auto& classes, const auto& key) {
    for (std::size_t r = 0; r < labels_.size(); ++r) classes.emplace(key(labels_[r]), r);
    std::size_t place = 0;
    for (auto& entry : classes) {
      out_.classes.push_back(labels_[entry.second]);
      entry.second = place++;
    }
    for (std::size_t r = 0; r < labels_.size(); ++r)
      classOf[r] = static_cast<double>(classes.find(key(labels_[r]))->second);
  };
  if (numeric) {
    std::map<double, std::size_t> classes;
    index(classes, number);
  } else {
    std::map<std::string, std::size_t> classes;
    index(classes, [](const std::string& label) { return label; });
  }
  if (out_.classes.size() > kMaxClasses)
    return error(formatC("%s, %s: %zu different labels; at most %zu classes can be one-hot encoded.",
                         name_.c_str(), columnText(*oneHot_).c_str(), out_.classes.size(), kMaxClasses));
  for (std::size_t r = 0; r < labels_.size(); ++r) values_[r * columns_ + *oneHot_] = classOf[r];
  return true;
}

void CsvConverter::write() {
  std::vector<std::string> comments = {"Converted from " + name_};
  std::string inputs = "Inputs:", outputs = "Outputs:";
  for (const std::size_t c : inputs_) inputs += (inputs.back() == ':' ? " " : ", ") + columnName(c);
  out_.outputs = 0;
  for (const std::size_t c : targets_) {
    const std::size_t count = oneHot_ == c ? out_.classes.size() : 1;
    for (std::size_t k = 0; k < count; ++k)
      outputs +=
          (outputs.back() == ':' ? " " : ", ") + columnName(c) + (oneHot_ == c ? "=" + out_.classes[k] : "");
    out_.outputs += count;
  }
  if (!names_.empty()) comments.push_back(inputs);
  if (!names_.empty() || oneHot_) comments.push_back(outputs);
  out_.inputs = inputs_.size();
  out_.patterns = columns_ == 0 ? 0 : values_.size() / columns_;
  if (oneHot_) out_.oneHotName = columnName(*oneHot_);
  out_.text = dataHeaderText(comments, out_.inputs, out_.outputs);
  std::vector<double> row;
  for (std::uint64_t r = 0; r < out_.patterns; ++r) {
    const double* values = values_.data() + r * columns_;
    row.clear();
    for (const std::size_t c : inputs_) row.push_back(values[c]);
    for (const std::size_t c : targets_) {
      if (oneHot_ != c) {
        row.push_back(values[c]);
        continue;
      }
      for (std::size_t k = 0; k < out_.classes.size(); ++k)
        row.push_back(static_cast<double>(k) == values[c] ? 1.0 : 0.0);
    }
    appendPattern(out_.text, row.data(), row.size());
  }
}

bool CsvConverter::run(std::string_view text) {
  LineCursor lines(text);
  std::string_view line;
  bool any = false;
  while ((any = lines.next(line)) && isLeadingLine(line)) {
  }
  if (!any) return error(formatC("%s holds no data.", name_.c_str()));
  separator_ = detectSeparator(line);
  const auto split = [&] {
    if (splitFields(line, separator_, fields_)) return true;
    return error(formatC("%s, line %llu: a quoted field is not closed.", name_.c_str(),
                         static_cast<unsigned long long>(lines.number())));
  };
  if (!split()) return false;
  columns_ = fields_.size();
  const bool namesLine =
      std::none_of(fields_.begin(), fields_.end(), [](const std::string& f) { return parseWholeNumber(f); });
  if (namesLine) names_ = fields_;
  if (!resolveTargets()) return false;
  if (!namesLine && !readRow(lines.number())) return false;
  while (lines.next(line)) {
    if (lines.number() % kPollEveryLines == 0 && keepGoing_.load(std::memory_order_relaxed) == 0)
      return false;
    if (trimBlanks(line).empty()) continue;
    if (!split() || !readRow(lines.number())) return false;
  }
  if (oneHot_ && !buildClasses()) return false;
  write();
  return true;
}

}  // namespace

bool convertCsv(std::string_view text, std::string_view title, const ForeignDataOptions& options,
                ConvertedData& out, Reporter& reporter, const std::atomic<int>& keepGoing) {
  return CsvConverter(title, options, out, reporter, keepGoing).run(text);
}

}  // namespace nodelyx::foreign
