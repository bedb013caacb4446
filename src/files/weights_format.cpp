#include "files/weights_format.h"

#include <cctype>

#include "files/c_format.h"
#include "files/text_cursor.h"

namespace nodelyx {
namespace {

constexpr long long kMaxCount = 4294967295LL;

// The next word if it is the keyword (consumed), else nothing consumed.
bool takeKeyword(TextCursor& in, std::string_view keyword) {
  const std::size_t start = in.position();
  if (matchesKeyword(in.readWord(), keyword)) return true;
  in.seek(start);
  return false;
}

void appendValues(std::string& text, const char* label, const std::vector<double>& values) {
  text += label;
  for (const double v : values) {
    text += ' ';
    text += formatRoundTrip(v);
  }
  text += '\n';
}

// Weights and biases of a network of these sizes, saturating at the
// largest count (sizes up to 2^32 - 1 can overflow a product).
std::uint64_t parameterCount(const std::vector<std::uint32_t>& sizes) {
  std::uint64_t total = 0;
  for (std::size_t l = 1; l < sizes.size(); ++l) {
    std::uint64_t layer = 0;
    if (__builtin_mul_overflow(std::uint64_t{sizes[l - 1]} + 1, std::uint64_t{sizes[l]}, &layer) ||
        __builtin_add_overflow(total, layer, &total))
      return UINT64_MAX;
  }
  return total;
}

bool isActivationCode(long long code) { return code >= 1 && code <= 4; }

// Grows the array value by value, so that counts a hostile header claims
// cost no more memory than the numbers the file really holds.
bool readRangeArray(TextCursor& in, std::vector<double>& values, std::size_t count) {
  values.clear();
  while (values.size() < count) {
    const auto read = in.readDouble(true);
    if (!read) return false;
    values.push_back(*read);
  }
  return true;
}

// The four range arrays after "[FromMin]" for the given counts, with one
// (unchecked) word between the groups.
bool readRanges(TextCursor& in, std::uint32_t inputs, std::uint32_t outputs, ColumnRanges& ranges) {
  ranges.inputCount = inputs;
  ranges.outputCount = outputs;
  if (!readRangeArray(in, ranges.fromMin, ranges.columnCount())) return false;
  in.readWord();
  if (!readRangeArray(in, ranges.fromMax, ranges.columnCount())) return false;
  in.readWord();
  if (!readRangeArray(in, ranges.toMin, ranges.columnCount())) return false;
  in.readWord();
  return readRangeArray(in, ranges.toMax, ranges.columnCount());
}

class HeaderReader {
 public:
  HeaderReader(std::string_view text, std::string_view title, Reporter& reporter)
      : in_(text), title_(title), reporter_(reporter) {}

  std::optional<WeightsHeader> run();

 private:
  bool fail(const char* caption, const std::string& text) {
    reporter_.report(caption, text, MessageIcon::Error);
    return false;
  }
  bool invalid(const char* what) {
    return fail("Error", formatC("Invalid weights data file %s!\n%s", title_.c_str(), what));
  }
  bool readLayerCount(long long& layers);
  bool readSizes(long long layers, WeightsHeader& header);
  bool checkSizes(const std::vector<long long>& sizes);
  bool readLayerTypes(long long layers, WeightsHeader& header);
  bool roomForParameters(const WeightsHeader& header);

  TextCursor in_;
  std::string title_;
  Reporter& reporter_;
};

bool HeaderReader::readLayerCount(long long& layers) {
  if (!matchesKeyword(in_.readWord(), "[layers]") || !in_.valueFollows())
    return invalid("File missing header '[layers] size'");
  const auto count = in_.readInteger();
  if (!count) return invalid("File missing header '[layers] size'");
  layers = *count;
  if (layers < 2 || layers > 7)
    return fail("Error",
                formatC("Improper # of hidden layers in weights file\n%s contains %lld hidden layers.\n"
                        "The number of hidden layers must be between %d and %d",
                        title_.c_str(), layers - 2, 0, 5));
  return true;
}

bool HeaderReader::readSizes(long long layers, WeightsHeader& header) {
  if (!matchesKeyword(in_.readWord(), "[layersizes]") || !in_.valueFollows())
    return invalid("File missing header '[layersizes] size'");
  std::vector<long long> sizes;
  for (long long l = 0; l < layers; ++l) {
    const auto size = in_.valueFollows() ? in_.readInteger() : std::nullopt;
    if (!size) return invalid("File missing '[layersizes]' info");
    sizes.push_back(*size);
  }
  if (!checkSizes(sizes)) return false;
  for (const long long size : sizes) header.layerSizes.push_back(static_cast<std::uint32_t>(size));
  return true;
}

bool HeaderReader::checkSizes(const std::vector<long long>& sizes) {
  const auto bad = [](long long n) { return n < 1 || n > kMaxCount; };
  if (bad(sizes.front()))
    return fail("Invalid of # inputs",
                formatC("%s contains %lld inputs.\nThe legal range is between 1 and %u", title_.c_str(),
                        sizes.front(), 4294967295u));
  for (std::size_t h = 1; h + 1 < sizes.size(); ++h)
    if (bad(sizes[h]))
      return fail(
          "Invalid of # neurons",
          formatC("%s contains %lld neurons in hidden layer # %zu\nThe legal range is between 1 and %u",
                  title_.c_str(), sizes[h], h, 4294967295u));
  if (bad(sizes.back()))
    return fail("Invalid of # outputs",
                formatC("%s contains %lld outputs.\nThe legal range is between 1 and %u", title_.c_str(),
                        sizes.back(), 4294967295u));
  return true;
}

// A layer of another code would output 0 for every input: refused rather
// than loaded as a network that cannot work.
bool HeaderReader::readLayerTypes(long long layers, WeightsHeader& header) {
  for (long long l = 1; l < layers; ++l) {
    in_.skipBlanks();
    const std::size_t start = in_.position();
    const auto code = in_.readInteger();
    if (!code) return invalid("File missing '[layertypes]' info");
    if (!isActivationCode(*code))
      return invalid(formatC("Layer type %lld in line %zu is not an activation code (1 logistic, 2 tanh, "
                             "3 linear, 4 Gaussian)",
                             *code, in_.lineNumberAt(start))
                         .c_str());
    header.layerTypes.push_back(static_cast<ActivationType>(*code));
  }
  return true;
}

// Every weight and bias takes at least a digit and a separator, so a file
// shorter than that cannot hold them: refused before a network of that size
// is built (a few bytes could otherwise claim gigabytes).
bool HeaderReader::roomForParameters(const WeightsHeader& header) {
  const std::uint64_t needed = parameterCount(header.layerSizes);
  const std::uint64_t available = in_.rest().size();
  if (needed <= available / 2 + 1) return true;
  return invalid(formatC("The file is too short for the %llu weights and biases of its network",
                         static_cast<unsigned long long>(needed))
                     .c_str());
}

std::optional<WeightsHeader> HeaderReader::run() {
  WeightsHeader header;
  long long layers = 0;
  if (!readLayerCount(layers) || !readSizes(layers, header)) return std::nullopt;
  if (takeKeyword(in_, "[layertypes]") && !readLayerTypes(layers, header)) return std::nullopt;
  if (takeKeyword(in_, "[FromMin]")) {
    ColumnRanges ranges;
    if (!readRanges(in_, header.layerSizes.front(), header.layerSizes.back(), ranges)) {
      invalid("File missing '[FromMin]' info");
      return std::nullopt;
    }
    header.ranges = std::move(ranges);
  }
  if (!roomForParameters(header)) return std::nullopt;
  return header;
}

// Reads the weights and biases in file order (per layer and neuron, the
// incoming weights, then the bias), then checks that no number follows
// them: a decimal comma splits values and would shift every later one.
class ParameterReader {
 public:
  ParameterReader(Network& network, TextCursor& in, WeightsProblem& problem)
      : network_(network), in_(in), problem_(problem) {}

  WeightsLoad run() {
    problem_.valuesNeeded = network_.connectionCount();
    for (int l = 1; l < network_.layerCount(); ++l)
      for (int j = 0; j < network_.layerSize(l); ++j) {
        for (int i = 0; i < network_.layerSize(l - 1); ++i)
          if (!next(network_.weights.at(l, j, i))) return failure_;
        if (!next(network_.biases.at(l, j))) return failure_;
      }
    return extraValueFollows() ? WeightsLoad::ExtraValues : WeightsLoad::Loaded;
  }

 private:
  bool next(double& value) {
    // The history marker right after fewer values than needed is a cut-off
    // weights section, not a bad number.
    if (in_.onlySeparatorsLeft() || in_.peek() == '*') {
      failure_ = WeightsLoad::Truncated;
      return false;
    }
    const std::size_t start = in_.position();
    const auto parsed = in_.readSeparatedValue(true);
    if (!parsed) return notANumber(wordAt(start), start);
    value = *parsed;
    ++problem_.valuesRead;
    return true;
  }
  bool notANumber(std::string_view word, std::size_t position) {
    failure_ = WeightsLoad::NotANumber;
    problem_.word = std::string(word.substr(0, 40));
    problem_.line = in_.lineNumberAt(position);
    return false;
  }
  std::string_view wordAt(std::size_t position) {
    in_.seek(position);
    const std::string_view word = in_.readWord();
    return word.substr(0, word.find(','));
  }
  bool extraValueFollows() {
    in_.onlySeparatorsLeft();
    const std::size_t start = in_.position();
    const std::string_view word = in_.readWord();
    const std::string_view first = word.substr(0, word.find(','));
    in_.seek(start);  // what follows is the history's to read
    if (first.empty() || !parseDoublePrefix(first, nullptr, true)) return false;
    problem_.word = std::string(first.substr(0, 40));
    problem_.line = in_.lineNumberAt(start);
    return true;
  }

  Network& network_;
  TextCursor& in_;
  WeightsProblem& problem_;
  WeightsLoad failure_ = WeightsLoad::Truncated;
};

}  // namespace

std::string formatWeights(const Network& network, bool scaling, const TrainingHistory& history) {
  std::string text = formatC("[layers]  %d\n[layersizes]", network.layerCount());
  for (const int size : network.layerSizes()) text += formatC(" %d", size);
  text += "\n[layertypes]";
  for (int l = 1; l < network.layerCount(); ++l)
    text += formatC(" %d", static_cast<int>(network.layerTypes[static_cast<std::size_t>(l)]));
  text += '\n';
  if (scaling) {
    appendValues(text, "[FromMin]", network.fromMin);
    appendValues(text, "[FromMax]", network.fromMax);
    appendValues(text, "[ToMin]", network.toMin);
    appendValues(text, "[ToMax]", network.toMax);
  }
  text += "\n[Weights]\n";
  for (int l = 1; l < network.layerCount(); ++l) {
    for (int j = 0; j < network.layerSize(l); ++j) {
      for (int i = 0; i < network.layerSize(l - 1); ++i) {
        text += formatRoundTrip(network.weights.at(l, j, i));
        text += ' ';
      }
      text += formatRoundTrip(network.biases.at(l, j));
      text += '\n';
    }
    text += '\n';
  }
  writeHistory(text, history);
  return text;
}

std::optional<WeightsHeader> readWeightsHeader(std::string_view text, std::string_view fileTitle,
                                               Reporter& reporter) {
  return HeaderReader(withoutByteOrderMark(text), fileTitle, reporter).run();
}

WeightsLoad loadWeights(Network& network, std::string_view text, TrainingHistory& history,
                        std::uint32_t& epochCount, WeightsProblem* problem, std::size_t* skippedRecords) {
  TextCursor in(withoutByteOrderMark(text));
  if (!matchesKeyword(in.readWord(), "[layers]") || in.readInteger() != network.layerCount())
    return WeightsLoad::Mismatch;
  if (!matchesKeyword(in.readWord(), "[layersizes]")) return WeightsLoad::Mismatch;
  for (const int size : network.layerSizes())
    if (in.readInteger() != size) return WeightsLoad::Mismatch;
  if (takeKeyword(in, "[layertypes]")) {
    for (int l = 1; l < network.layerCount(); ++l) {
      const auto code = in.readInteger();
      if (!code || !isActivationCode(*code)) return WeightsLoad::Mismatch;
      network.setLayerType(l == network.layerCount() - 1 ? 6 : l, static_cast<ActivationType>(*code));
    }
  } else {
    for (int l = 1; l < network.layerCount(); ++l) network.setLayerType(l, ActivationType::Logistic);
  }
  const std::size_t afterHeader = in.position();
  const std::string_view word = in.readWord();
  if (matchesKeyword(word, "[FromMin]")) {
    ColumnRanges ranges;
    if (!readRanges(in, static_cast<std::uint32_t>(network.inputCount()),
                    static_cast<std::uint32_t>(network.outputCount()), ranges))
      return WeightsLoad::Mismatch;
    network.fromMin = ranges.fromMin;
    network.fromMax = ranges.fromMax;
    network.toMin = ranges.toMin;
    network.toMax = ranges.toMax;
    scalingEnabled = 1;
    in.readWord();  // "[Weights]"
  } else {
    scalingEnabled = 0;
    // Files without the "[Weights]" keyword start with the first weight.
    if (!matchesKeyword(word, "[Weights]")) in.seek(afterHeader);
  }
  WeightsProblem ignored;
  const WeightsLoad result = ParameterReader(network, in, problem ? *problem : ignored).run();
  if (result != WeightsLoad::Loaded) return result;
  epochCount = readHistory(in.rest(), history, skippedRecords);
  return WeightsLoad::Loaded;
}

}  // namespace nodelyx
