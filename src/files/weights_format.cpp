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
    text += formatDouble(v);
  }
  text += '\n';
}

// Grows the array value by value, so that counts a hostile header claims
// cost no more memory than the numbers the file really holds.
bool readRangeArray(TextCursor& in, std::vector<double>& values, std::size_t count) {
  values.clear();
  while (values.size() < count) {
    const auto read = in.readDouble();
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

std::optional<WeightsHeader> HeaderReader::run() {
  WeightsHeader header;
  long long layers = 0;
  if (!readLayerCount(layers) || !readSizes(layers, header)) return std::nullopt;
  if (takeKeyword(in_, "[layertypes]")) {
    for (long long l = 1; l < layers; ++l) {
      const auto code = in_.readInteger();
      if (!code || *code < INT32_MIN || *code > INT32_MAX) {
        invalid("File missing '[layertypes]' info");
        return std::nullopt;
      }
      header.layerTypes.push_back(static_cast<ActivationType>(*code));
    }
  }
  if (takeKeyword(in_, "[FromMin]")) {
    ColumnRanges ranges;
    if (!readRanges(in_, header.layerSizes.front(), header.layerSizes.back(), ranges)) {
      invalid("File missing '[FromMin]' info");
      return std::nullopt;
    }
    header.ranges = std::move(ranges);
  }
  return header;
}

// Reads every weight and bias in file order: per layer and neuron, the
// incoming weights, then the bias.
bool readParameters(Network& network, TextCursor& in, std::optional<std::string_view> firstWord) {
  const auto next = [&]() -> std::optional<double> {
    if (firstWord) {
      const std::string_view word = *firstWord;
      firstWord.reset();
      TextCursor single(word);
      return single.readSeparatedValue();
    }
    return in.readSeparatedValue();
  };
  for (int l = 1; l < network.layerCount(); ++l) {
    for (int j = 0; j < network.layerSize(l); ++j) {
      for (int i = 0; i < network.layerSize(l - 1); ++i) {
        const auto weight = next();
        if (!weight) return false;
        network.weights.at(l, j, i) = *weight;
      }
      const auto bias = next();
      if (!bias) return false;
      network.biases.at(l, j) = *bias;
    }
  }
  return true;
}

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
        text += formatDouble(network.weights.at(l, j, i));
        text += ' ';
      }
      text += formatDouble(network.biases.at(l, j));
      text += '\n';
    }
    text += '\n';
  }
  writeHistory(text, history);
  return text;
}

std::optional<WeightsHeader> readWeightsHeader(std::string_view text, std::string_view fileTitle,
                                               Reporter& reporter) {
  return HeaderReader(text, fileTitle, reporter).run();
}

WeightsLoad loadWeights(Network& network, std::string_view text, TrainingHistory& history,
                        std::uint32_t& epochCount) {
  TextCursor in(text);
  if (!matchesKeyword(in.readWord(), "[layers]") || in.readInteger() != network.layerCount())
    return WeightsLoad::Mismatch;
  if (!matchesKeyword(in.readWord(), "[layersizes]")) return WeightsLoad::Mismatch;
  for (const int size : network.layerSizes())
    if (in.readInteger() != size) return WeightsLoad::Mismatch;
  if (takeKeyword(in, "[layertypes]")) {
    for (int l = 1; l < network.layerCount(); ++l) {
      const auto code = in.readInteger();
      if (!code || *code < INT32_MIN || *code > INT32_MAX) return WeightsLoad::Mismatch;
      network.setLayerType(l == network.layerCount() - 1 ? 6 : l, static_cast<ActivationType>(*code));
    }
  } else {
    for (int l = 1; l < network.layerCount(); ++l) network.setLayerType(l, ActivationType::Logistic);
  }
  std::optional<std::string_view> firstWeight;
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
    if (!matchesKeyword(word, "[Weights]")) firstWeight = word;
  }
  if (!readParameters(network, in, firstWeight)) return WeightsLoad::Mismatch;
  epochCount = readHistory(in.rest(), history);
  return WeightsLoad::Loaded;
}

}  // namespace nodelyx
