#include <array>
#include <cctype>
#include <climits>
#include <optional>

#include "files/atomic_file.h"
#include "files/c_format.h"
#include "files/config_file.h"
#include "files/text_cursor.h"

namespace nodelyx {
namespace {

// How the value of a key is read and where it goes.
enum class KeyKind {
  Int,       // a 32-bit integer field
  Double,    // a double field of the main table
  Adaptive,  // an adaptive-method double, read by the separator-tolerant reader
  Method,    // the training method code
  Layers,    // the total number of layers, checked
  Hidden,    // neurons (checked) and optional activation of a hidden layer
  Output,    // the output activation code
  Path,      // a companion file's path, the rest of the line
};

struct KeyDefinition {
  std::string_view key;  // lower case, without brackets
  KeyKind kind;
  ConfigField field;
  double defaultValue;  // assigned when the key has no value
  int layer = 0;        // hidden layer 1..5
};

constexpr std::array<KeyDefinition, 40> kKeys = {{
    {"plotmem", KeyKind::Int, ConfigField::PlotMemorization, 0},
    {"prevsat", KeyKind::Int, ConfigField::PreventSaturation, 1},
    {"enforce_train", KeyKind::Int, ConfigField::EnforceTrainingStop, 1},
    {"enforce_test", KeyKind::Int, ConfigField::EnforceTestingStop, 1},
    {"randonload", KeyKind::Int, ConfigField::ShuffleOnLoad, 0},
    {"layers", KeyKind::Layers, ConfigField::LayerCount, 3},
    {"hidden1", KeyKind::Hidden, ConfigField::HiddenNeurons, 1, 1},
    {"hidden2", KeyKind::Hidden, ConfigField::HiddenNeurons, 1, 2},
    {"hidden3", KeyKind::Hidden, ConfigField::HiddenNeurons, 1, 3},
    {"hidden4", KeyKind::Hidden, ConfigField::HiddenNeurons, 1, 4},
    {"hidden5", KeyKind::Hidden, ConfigField::HiddenNeurons, 1, 5},
    {"saturation", KeyKind::Int, ConfigField::SaturationThreshold, 80},
    {"perturbation", KeyKind::Int, ConfigField::MaxPerturbation, 20},
    {"epochs", KeyKind::Int, ConfigField::MaxEpochs, 100000},
    {"minweights", KeyKind::Double, ConfigField::MinWeight, -100},
    {"maxweights", KeyKind::Double, ConfigField::MaxWeight, 100},
    {"training", KeyKind::Method, ConfigField::TrainingMethod, 6},
    {"output", KeyKind::Output, ConfigField::OutputActivation, 1},
    {"gain", KeyKind::Double, ConfigField::LearningRate, 0.1},
    {"momentum", KeyKind::Double, ConfigField::Momentum, 0},
    {"tolerance", KeyKind::Double, ConfigField::RmsErrorStop, 0.01},
    {"patternclip", KeyKind::Double, ConfigField::PatternClip, 1},
    {"errormargin", KeyKind::Double, ConfigField::ErrorMargin, 0.1},
    {"max_rms_error", KeyKind::Double, ConfigField::MaxRmsErrorStop, 0.01},
    {"max_error", KeyKind::Double, ConfigField::MaxErrorStop, 0.01},
    {"percent_correct", KeyKind::Double, ConfigField::PercentCorrectStop, 100},
    {"trainingfile", KeyKind::Path, ConfigField::TrainingFile, 0},
    {"testfile", KeyKind::Path, ConfigField::TestFile, 0},
    {"weightsfile", KeyKind::Path, ConfigField::WeightsFile, 0},
    {"noise", KeyKind::Double, ConfigField::InputNoise, 0},
    {"decay", KeyKind::Double, ConfigField::WeightDecay, 0},
    {"rpropwtinc", KeyKind::Adaptive, ConfigField::RpropIncrease, 1.2},
    {"rpropwtdec", KeyKind::Adaptive, ConfigField::RpropDecrease, 0.5},
    {"rpropwtmax", KeyKind::Adaptive, ConfigField::RpropMaxStep, 50},
    {"rpropwtmin", KeyKind::Adaptive, ConfigField::RpropMinStep, 0.000001},
    {"rpropiniwt", KeyKind::Adaptive, ConfigField::RpropInitialStep, 0.001},
    {"quickpropmu", KeyKind::Adaptive, ConfigField::QuickpropMaxGrowth, 1.75},
    {"dbdwtinc", KeyKind::Adaptive, ConfigField::DbdIncrease, 0.06},
    {"dbdwtdec", KeyKind::Adaptive, ConfigField::DbdDecrease, 0.2},
    {"dbdaverage", KeyKind::Adaptive, ConfigField::DbdAverage, 0.7},
}};

// Longer keys match nothing; their characters are skipped, not stored.
constexpr std::size_t kLongestKey = 15;
constexpr long long kMaxNeurons = 4294967295LL;

const KeyDefinition* findKey(std::string_view key) {
  for (const KeyDefinition& entry : kKeys)
    if (entry.key == key) return &entry;
  return nullptr;
}

enum class Outcome { Continue, Stop };

class ConfigParser {
 public:
  ConfigParser(std::string_view text, std::string_view fileTitle, NetworkConfig& config, Reporter& reporter)
      : cursor_(text), fileTitle_(fileTitle), config_(config), reporter_(reporter) {}

  bool run();

 private:
  bool readKey(std::string& key);
  Outcome assignDefault(const KeyDefinition& entry);
  Outcome assignValue(const KeyDefinition& entry);
  Outcome readHidden(const KeyDefinition& entry);
  Outcome readLayers();
  Outcome readActivation(const KeyDefinition& entry, std::size_t start, std::int32_t& code);
  std::optional<long long> readWholeInteger();
  std::optional<double> readWholeDouble();
  std::optional<double> readAdaptiveValue();
  bool valueEnds();
  Outcome invalidValue(const KeyDefinition& entry, std::size_t position);
  Outcome refuse(const KeyDefinition& entry, std::size_t position, const std::string& problem);
  bool weightLimitsInOrder();
  void setPath(ConfigField field, std::string path);

  TextCursor cursor_;
  std::string_view fileTitle_;
  NetworkConfig& config_;
  Reporter& reporter_;
  // Lines of the weight-limit keys read (0: not in the file).
  std::size_t minWeightLine_ = 0;
  std::size_t maxWeightLine_ = 0;
};

std::string upperKey(std::string_view key) {
  std::string text(key);
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// A path value ends at a comment: a '%' after a blank (so that a '%' inside
// a name stays part of it). Trailing blanks are not part of the path.
std::string pathValue(std::string_view line) {
  for (std::size_t k = 1; k < line.size(); ++k)
    if (line[k] == '%' && isBlank(line[k - 1])) {
      line = line.substr(0, k);
      break;
    }
  while (!line.empty() && (isBlank(line.back()) || line.back() == '\r')) line.remove_suffix(1);
  return std::string(line);
}

bool ConfigParser::run() {
  cursor_.skipLeadingBlock();
  bool anyValue = false;
  std::string key;
  while (readKey(key)) {
    const KeyDefinition* entry = findKey(key);
    if (entry == nullptr) continue;
    if (!cursor_.valueFollows()) {
      if (assignDefault(*entry) == Outcome::Stop) return false;
      continue;
    }
    if (assignValue(*entry) == Outcome::Stop) return false;
    anyValue = true;
  }
  return anyValue && weightLimitsInOrder();
}

// Finds the next "[...]" and returns its text in lower case; false at the
// end of the text (also inside an unfinished key). A '%' starts a comment
// that runs to the end of its line: a key in it is not read.
bool ConfigParser::readKey(std::string& key) {
  key.clear();
  for (int c = cursor_.get(); c != '['; c = cursor_.get()) {
    if (c == TextCursor::kEnd) return false;
    if (c == '%') cursor_.restOfLine();
  }
  for (;;) {
    const int c = cursor_.get();
    if (c == TextCursor::kEnd) return false;
    if (c == ']') return true;
    if (key.size() <= kLongestKey) key.push_back(static_cast<char>(std::tolower(c)));
  }
}

Outcome ConfigParser::assignDefault(const KeyDefinition& entry) {
  switch (entry.kind) {
    case KeyKind::Int:
      config_.setInt(entry.field, static_cast<std::int32_t>(entry.defaultValue));
      break;
    case KeyKind::Double:
    case KeyKind::Adaptive:
      config_.setDouble(entry.field, entry.defaultValue);
      break;
    case KeyKind::Method:
      config_.setTrainingMethod(TrainingMethod::OnlineBackpropRandom);
      break;
    case KeyKind::Layers:
      config_.setLayerCount(3);
      break;
    case KeyKind::Hidden:
      config_.setHiddenNeurons(entry.layer, 1);
      config_.setHiddenActivation(entry.layer, ActivationType::Logistic);
      break;
    case KeyKind::Output:
      config_.setOutputActivation(ActivationType::Logistic);
      break;
    case KeyKind::Path:
      setPath(entry.field, {});
      break;
  }
  return Outcome::Continue;
}

// A number must end where its word ends: "100.5" is no epoch count and
// "0.3abc" no learning rate.
bool ConfigParser::valueEnds() {
  const int c = cursor_.peek();
  return c == TextCursor::kEnd || isBlank(c) || isLineEnd(c) || c == '%';
}

std::optional<long long> ConfigParser::readWholeInteger() {
  const auto value = cursor_.readInteger();
  return value && valueEnds() ? value : std::nullopt;
}

std::optional<double> ConfigParser::readWholeDouble() {
  const auto value = cursor_.readDouble();
  return value && valueEnds() ? value : std::nullopt;
}

// The separator-tolerant reader of the adaptive-method settings: commas
// before the value are skipped, and the value ends at a blank, a comma or
// the line end. Text that is no number is refused rather than taken as 0.
std::optional<double> ConfigParser::readAdaptiveValue() {
  while (cursor_.peek() == ',' || isBlank(cursor_.peek())) cursor_.get();
  const std::string_view rest = cursor_.rest();
  const std::string_view token = rest.substr(0, rest.find_first_of(" \t\r\n,%"));
  cursor_.seek(cursor_.position() + token.size());
  std::size_t used = 0;
  const auto value = parseDoublePrefix(token, &used);
  if (!value || used != token.size()) return std::nullopt;
  return value;
}

Outcome ConfigParser::assignValue(const KeyDefinition& entry) {
  const std::size_t start = cursor_.position();
  switch (entry.kind) {
    case KeyKind::Double: {
      const auto value = readWholeDouble();
      if (!value) return invalidValue(entry, start);
      if (entry.field == ConfigField::MinWeight) minWeightLine_ = cursor_.lineNumberAt(start);
      if (entry.field == ConfigField::MaxWeight) maxWeightLine_ = cursor_.lineNumberAt(start);
      config_.setDouble(entry.field, *value);
      return Outcome::Continue;
    }
    case KeyKind::Adaptive: {
      const auto value = readAdaptiveValue();
      if (!value) return invalidValue(entry, start);
      config_.setDouble(entry.field, *value);
      return Outcome::Continue;
    }
    case KeyKind::Int:
    case KeyKind::Method: {
      const auto value = readWholeInteger();
      if (!value || *value < INT32_MIN || *value > INT32_MAX) return invalidValue(entry, start);
      const auto code = static_cast<std::int32_t>(*value);
      if (entry.kind == KeyKind::Int) config_.setInt(entry.field, code);
      if (entry.kind == KeyKind::Method) config_.setTrainingMethod(static_cast<TrainingMethod>(code));
      return Outcome::Continue;
    }
    case KeyKind::Output: {
      std::int32_t code = 0;
      if (readActivation(entry, start, code) == Outcome::Stop) return Outcome::Stop;
      config_.setOutputActivation(static_cast<ActivationType>(code));
      return Outcome::Continue;
    }
    case KeyKind::Layers:
      return readLayers();
    case KeyKind::Hidden:
      return readHidden(entry);
    case KeyKind::Path:
      setPath(entry.field, pathValue(cursor_.restOfLine()));
      return Outcome::Continue;
  }
  return Outcome::Continue;
}

// An activation code other than 1..4 would make the layer output 0 for
// every input: refused with the codes that exist.
Outcome ConfigParser::readActivation(const KeyDefinition& entry, std::size_t start, std::int32_t& code) {
  const auto value = readWholeInteger();
  if (!value || *value < INT32_MIN || *value > INT32_MAX) return invalidValue(entry, start);
  if (*value < 1 || *value > 4)
    return refuse(entry, start,
                  formatC("names activation %lld; the activations are 1 logistic, 2 tanh, 3 linear and 4 "
                          "Gaussian",
                          *value));
  code = static_cast<std::int32_t>(*value);
  return Outcome::Continue;
}

Outcome ConfigParser::readLayers() {
  const std::size_t start = cursor_.position();
  const auto layers = readWholeInteger();
  if (!layers) return invalidValue(*findKey("layers"), start);
  if (*layers < 2 || *layers > 7) {
    reporter_.report("Error",
                     formatC("This file contains %lld hidden layers.\nThe number of hidden layers must "
                             "be between %d and %d",
                             *layers - 2, 0, 5),
                     MessageIcon::Error);
    return Outcome::Stop;
  }
  config_.setLayerCount(static_cast<std::uint32_t>(*layers));
  return Outcome::Continue;
}

Outcome ConfigParser::readHidden(const KeyDefinition& entry) {
  const std::size_t start = cursor_.position();
  const auto neurons = readWholeInteger();
  if (!neurons) return invalidValue(entry, start);
  if (*neurons < 1 || *neurons > kMaxNeurons) {
    reporter_.report("Invalid of # neurons",
                     formatC("This file contains %lld neurons in hidden layer #%d\nThe legal range is "
                             "between 1 and %u",
                             *neurons, entry.layer, 4294967295u),
                     MessageIcon::Error);
    return Outcome::Stop;
  }
  config_.setHiddenNeurons(entry.layer, static_cast<std::uint32_t>(*neurons));
  std::int32_t activation = 1;
  if (cursor_.valueFollows() && readActivation(entry, start, activation) == Outcome::Stop)
    return Outcome::Stop;
  config_.setHiddenActivation(entry.layer, static_cast<ActivationType>(activation));
  return Outcome::Continue;
}

// A value that is no number (or too large for its field) would leave the
// setting undefined; the file is refused rather than half-read silently.
Outcome ConfigParser::invalidValue(const KeyDefinition& entry, std::size_t position) {
  const std::size_t line = cursor_.lineNumberAt(position);
  reporter_.report(
      "Error",
      formatC("%.*s contains an invalid value for [%s] in line %zu.", static_cast<int>(fileTitle_.size()),
              fileTitle_.data(), upperKey(entry.key).c_str(), line),
      MessageIcon::Error);
  return Outcome::Stop;
}

Outcome ConfigParser::refuse(const KeyDefinition& entry, std::size_t position, const std::string& problem) {
  reporter_.report(
      "Error",
      formatC("%.*s: [%s] in line %zu %s.", static_cast<int>(fileTitle_.size()), fileTitle_.data(),
              upperKey(entry.key).c_str(), cursor_.lineNumberAt(position), problem.c_str()),
      MessageIcon::Error);
  return Outcome::Stop;
}

// Limits the wrong way round would clamp every weight to nonsense.
bool ConfigParser::weightLimitsInOrder() {
  if ((minWeightLine_ == 0 && maxWeightLine_ == 0) || config_.minWeight() <= config_.maxWeight()) return true;
  reporter_.report(
      "Error",
      formatC("%.*s: the minimum weight %g ([MINWEIGHTS], line %zu) is above the maximum weight %g "
              "([MAXWEIGHTS], line %zu).",
              static_cast<int>(fileTitle_.size()), fileTitle_.data(), config_.minWeight(), minWeightLine_,
              config_.maxWeight(), maxWeightLine_),
      MessageIcon::Error);
  return false;
}

void ConfigParser::setPath(ConfigField field, std::string path) {
  if (field == ConfigField::TrainingFile) config_.setTrainingFile(std::move(path));
  if (field == ConfigField::TestFile) config_.setTestFile(std::move(path));
  if (field == ConfigField::WeightsFile) config_.setWeightsFile(std::move(path));
}

}  // namespace

bool parseNetworkConfig(std::string_view text, std::string_view fileTitle, NetworkConfig& config,
                        Reporter& reporter) {
  return ConfigParser(withoutByteOrderMark(text), fileTitle, config, reporter).run();
}

bool isConfigurationKey(std::string_view key) {
  std::string lower(key);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return findKey(lower) != nullptr;
}

bool readNetworkConfig(const std::filesystem::path& path, NetworkConfig& config, Reporter& reporter,
                       std::string* openFailure) {
  std::string text;
  if (!readWholeFile(path, text, openFailure, kConfigReadLimit)) return false;
  return parseNetworkConfig(text, path.filename().string(), config, reporter);
}

}  // namespace nodelyx
