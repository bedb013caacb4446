// The system facts of the About box (processor and clock rate, memory,
// operating system) and the box's texts. The read* functions ask the system;
// the rest are pure so the texts can be checked for any machine. Any thread
// may call these; readSystemInfo() blocks for the clock measurement.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nodelyx {

// Bytes of physical memory and swap, in total and available to programs.
struct MemoryStatus {
  std::uint64_t totalPhysical = 0;
  std::uint64_t availablePhysical = 0;
  std::uint64_t totalSwap = 0;
  std::uint64_t availableSwap = 0;
};

// Physical memory counts as available when the kernel could hand it out
// without swapping (free memory plus reclaimable caches); all zeros when the
// system does not say.
MemoryStatus readMemoryStatus();

// The "MemAvailable" line of /proc/meminfo text, in bytes.
std::optional<std::uint64_t> parseMemAvailable(std::string_view meminfo);

// Total physical memory in KB (bytes >> 10).
std::uint64_t totalMemoryKb(const MemoryStatus& memory);
// Available memory and swap as a whole percentage of all memory and swap,
// truncated; 0 when the totals are unknown.
int freeMemoryPercent(const MemoryStatus& memory);

// Two lines: "<kernel name> <release>\n<version>", e.g.
// "Linux 6.1.0-18-amd64\n#1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1 (2024-02-01)".
std::string operatingSystemText(std::string_view name, std::string_view release, std::string_view version);

struct SystemInfo {
  std::string processor;           // without its rate
  std::uint32_t processorMhz = 0;  // normalized clock rate, 0 when unknown
  std::uint64_t totalMemoryKb = 0;
  int freeMemoryPercent = 0;
  std::string operatingSystem;  // empty when the system does not say
};

// Identifies the processor, measures its clock and reads the memory status
// and the operating system, afresh on every call.
SystemInfo readSystemInfo();

// "Nodelyx V2.20": the product name and version.
std::string aboutTitleText();
std::string aboutCopyrightText();

// The processor followed by " <rate>MHz", or alone when the rate is 0.
std::string processorValueText(std::string_view processor, std::uint32_t normalizedMhz);

// One line of the About box's table. A value may span several lines.
struct AboutRow {
  std::string label;
  std::string value;
};
std::vector<AboutRow> aboutRows(const SystemInfo& info);

// The table's two columns as the box shows them, one row per line.
std::string aboutLabelColumn();
std::string aboutValueColumn(const SystemInfo& info);

}  // namespace nodelyx
