// Feeds arbitrary bytes to the scale-file reader with the counts of a few
// data files (the first byte chooses them).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "scaling/scale_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  nodelyx::ScaleRanges ranges;
  if (nodelyx::readScaleFile(text, data[0] & 7u, (data[0] >> 3) & 3u, ranges)) {
    volatile double sum = 0;
    for (std::size_t c = 0; c < ranges.min.size(); ++c)
      sum = sum + nodelyx::mapScaleValue(1.0, ranges.min[c], ranges.max[c], ranges.inputLow, ranges.inputHigh,
                                         c & 1);
    const std::string again = nodelyx::formatScaleFile(ranges);
    (void)again;
  }
  return 0;
}
