#include "scaling/scale_file.h"

#include <cctype>
#include <cmath>

#include "files/c_format.h"
#include "files/text_cursor.h"

namespace nodelyx {
namespace {

constexpr double kSmall = 0.000001;

bool expectKeyword(TextCursor& in, std::string_view keyword) {
  return matchesKeyword(in.readWord(), keyword);
}

bool readCount(TextCursor& in, std::uint32_t& count) {
  const auto value = in.readInteger();
  if (!value || *value < 0 || *value > 0xffffffffLL) return false;
  count = static_cast<std::uint32_t>(*value);
  return true;
}

bool readValues(TextCursor& in, std::size_t count, std::vector<double>& values) {
  for (std::size_t k = 0; k < count; ++k) {
    const auto value = in.readDouble();
    if (!value) return false;
    values.push_back(*value);
  }
  return true;
}

// One group of column values: the file's input values, then its output
// values. A group the data does not have (count 0) is read and dropped, so
// that a file of outputs only, or of inputs only, can use the scale file of
// a file with both.
bool readColumns(TextCursor& in, std::uint32_t inputs, std::uint32_t outputs, std::uint32_t fileInputs,
                 std::uint32_t fileOutputs, std::vector<double>& values) {
  values.clear();
  std::vector<double> dropped;
  return readValues(in, fileInputs, inputs != 0 ? values : dropped) &&
         readValues(in, fileOutputs, outputs != 0 ? values : dropped);
}

void appendColumns(std::string& text, const char* keyword, const std::vector<double>& values) {
  text += keyword;
  for (const double v : values) {
    text += formatRoundTrip(v);
    text += ' ';
  }
  text += '\n';
}

// "The scale file is for 3 input columns, the data has 2." for each group
// whose counts differ; empty when they agree. A group the data lacks (0)
// agrees with any count.
std::string countMismatch(const char* group, std::uint32_t data, std::uint32_t file) {
  if (data == 0 || data == file) return {};
  return formatC("The scale file is for %u %s column%s, the data has %u.", file, group, file == 1 ? "" : "s",
                 data);
}

bool missing(std::string* problem, std::string_view keyword, const char* what) {
  if (problem) *problem = formatC("Its %.*s %s.", static_cast<int>(keyword.size()), keyword.data(), what);
  return false;
}

}  // namespace

std::string formatScaleFile(const ScaleRanges& r) {
  std::string text = formatC("[INPUTS] %u\n[OUTPUTS] %u\n", r.inputCount, r.outputCount);
  appendColumns(text, "[MINIMUMS] ", r.min);
  appendColumns(text, "[MAXIMUMS] ", r.max);
  text += "[NEWINPUTRANGE] " + formatRoundTrip(r.inputLow) + " " + formatRoundTrip(r.inputHigh) + "\n";
  text += "[NEWOUTPUTRANGE] " + formatRoundTrip(r.outputLow) + " " + formatRoundTrip(r.outputHigh) + "\n";
  text +=
      "\n\n****** To Scale ******\n"
      "F[i] = (NewRangeHI[i]-NewRangeLO[i])/(Max[i]-Min[i])\n"
      "Scaled = F[i] * original + NewRangeLO[i] - F[i] * Min[i]\n"
      "\n"
      "****** To Unscale ******\n"
      "F[i] = (Max[i]-Min[i])/(NewRangeHI[i]-NewRangeLO[i])\n"
      "Original = F[i] * scaled + Min[i] - F[i] * NewRangeLO[i]\n";
  return text;
}

bool readScaleFile(std::string_view text, std::uint32_t inputCount, std::uint32_t outputCount,
                   ScaleRanges& ranges, std::string* problem) {
  TextCursor in(text);
  std::uint32_t fileInputs = 0, fileOutputs = 0;
  if (!expectKeyword(in, "[INPUTS]") || !readCount(in, fileInputs))
    return missing(problem, "[INPUTS]", "line is missing or has no count");
  if (!expectKeyword(in, "[OUTPUTS]") || !readCount(in, fileOutputs))
    return missing(problem, "[OUTPUTS]", "line is missing or has no count");
  std::string mismatch = countMismatch("input", inputCount, fileInputs);
  const std::string outputs = countMismatch("output", outputCount, fileOutputs);
  if (!mismatch.empty() && !outputs.empty()) mismatch += '\n';
  mismatch += outputs;
  if (!mismatch.empty()) {
    if (problem) *problem = mismatch;
    return false;
  }
  ranges.inputCount = inputCount;
  ranges.outputCount = outputCount;
  if (!expectKeyword(in, "[MINIMUMS]") ||
      !readColumns(in, inputCount, outputCount, fileInputs, fileOutputs, ranges.min))
    return missing(problem, "[MINIMUMS]", "line is missing or has too few values");
  if (!expectKeyword(in, "[MAXIMUMS]") ||
      !readColumns(in, inputCount, outputCount, fileInputs, fileOutputs, ranges.max))
    return missing(problem, "[MAXIMUMS]", "line is missing or has too few values");
  std::vector<double> limits;
  if (!expectKeyword(in, "[NEWINPUTRANGE]") || !readValues(in, 2, limits))
    return missing(problem, "[NEWINPUTRANGE]", "line is missing or has too few values");
  if (!expectKeyword(in, "[NEWOUTPUTRANGE]") || !readValues(in, 2, limits))
    return missing(problem, "[NEWOUTPUTRANGE]", "line is missing or has too few values");
  ranges.inputLow = limits[0];
  ranges.inputHigh = limits[1];
  ranges.outputLow = limits[2];
  ranges.outputHigh = limits[3];
  return true;
}

double mapScaleValue(double x, double min, double max, double low, double high, bool unscale) {
  const double range = max - min;
  if (std::fabs(range) >= kSmall) {
    if (!unscale) {
      const double f = (high - low) / range;
      return f * x + low - f * min;
    }
    if (high == low) return low;
    const double f = range / (high - low);
    return f * x + min - f * low;
  }
  // A column of (nearly) one value: scale about the value itself.
  if (std::fabs(max) >= kSmall) {
    if (std::fabs(low + high) >= kSmall)
      return unscale ? x * max / ((low + high) * 0.5) : (x / max) * (low + high) * 0.5;
    return unscale ? (x + 1) * max : x / max - 1;
  }
  return unscale ? x - (low + high) * 0.5 : x + (low + high) * 0.5;
}

}  // namespace nodelyx
