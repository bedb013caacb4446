// Feeds arbitrary bytes to the weights-file reader in a session that holds
// a training set, then saves what was read: neither may crash, hang, read
// out of bounds or build a network beyond a small memory budget.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/weights_io.h"
#include "files/weights_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  nodelyx::Session session;
  nodelyx::applyPanelDefaults(session.config);
  session.networkMemoryLimit = 64u << 20;
  session.config.setInputCount(2);
  session.config.setOutputCount(1);
  nodelyx::RecordingReporter reporter;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (nodelyx::openWeightsText(session, text, "fuzz.wts", "fuzz.wts", reporter) && session.network) {
    const std::string saved =
        nodelyx::formatWeights(*session.network, nodelyx::scalingEnabled != 0, session.history);
    nodelyx::Session again;
    again.networkMemoryLimit = session.networkMemoryLimit;
    nodelyx::openWeightsText(again, saved, "again.wts", "again.wts", reporter);
  }
  return 0;
}
