// Feeds arbitrary bytes to the configuration reader, then writes what it
// read: neither may crash, hang or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "files/config_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  nodelyx::NetworkConfig config;
  nodelyx::applyPanelDefaults(config);
  nodelyx::RecordingReporter reporter;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  nodelyx::parseNetworkConfig(text, "fuzz.net", config, reporter);
  const std::string written = nodelyx::formatNetworkConfig(config, "fuzz.net");
  nodelyx::NetworkConfig reread;
  nodelyx::parseNetworkConfig(written, "fuzz.net", reread, reporter);
  return 0;
}
