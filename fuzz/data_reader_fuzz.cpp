// Feeds arbitrary bytes to the data-file reader as a training or a testing
// file (the first byte chooses, and answers the inputs/outputs question),
// and again in pieces of a few bytes, which must read the same.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "files/data_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t control = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  nodelyx::DataReadRequest request;
  request.kind = (control & 1) ? nodelyx::DataKind::Testing : nodelyx::DataKind::Training;
  request.currentInputs = (control >> 1) & 3;
  request.currentOutputs = (control >> 3) & 1;
  request.shuffle = (control & 0x10) != 0;
  nodelyx::DataReadCallbacks callbacks;
  int questions = 0;
  callbacks.askInputsOutputs = [&](std::uint32_t count) -> std::optional<nodelyx::InputsOutputs> {
    if (++questions > 2) return std::nullopt;
    return nodelyx::InputsOutputs{static_cast<long long>(count % 4) - (control >> 7), (control >> 5) & 3};
  };
  nodelyx::RecordingReporter reporter;
  std::atomic<int> readOk{1};
  const auto source = nodelyx::memorySource(text);
  nodelyx::DataReadOutcome outcome =
      nodelyx::readDataSource(*source, "fuzz.trn", request, callbacks, reporter, readOk);
  if (outcome.ok) {
    // Every value of a loaded set must be readable.
    volatile double sum = 0;
    for (std::uint32_t p = 0; p < outcome.set.patternCount; ++p) sum = sum + outcome.set.row(p)[0];
  }
  if (request.shuffle) return 0;  // each read shuffles differently
  questions = 0;
  request.pieceBytes = 1 + size % 5 + size / 64;  // a few bytes, more for long inputs
  nodelyx::RecordingReporter piecesReporter;
  const auto again = nodelyx::memorySource(text);
  const nodelyx::DataReadOutcome pieces =
      nodelyx::readDataSource(*again, "fuzz.trn", request, callbacks, piecesReporter, readOk);
  const std::size_t doubles = std::size_t{outcome.set.patternCount} * outcome.set.stride();
  bool same = pieces.ok == outcome.ok && pieces.leftoverValues == outcome.leftoverValues &&
              pieces.set.patternCount == outcome.set.patternCount &&
              piecesReporter.messages.size() == reporter.messages.size() &&
              (doubles == 0 ||
               std::memcmp(pieces.set.values.get(), outcome.set.values.get(), doubles * sizeof(double)) == 0);
  for (std::size_t m = 0; same && m < reporter.messages.size(); ++m)
    same = piecesReporter.messages[m].text == reporter.messages[m].text;
  if (!same) __builtin_trap();
  return 0;
}
