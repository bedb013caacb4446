#include "about/system_info.h"

#include <charconv>
#include <fstream>
#include <iterator>

#include "about/clock_measurement.h"
#include "about/processor.h"
#include "files/c_format.h"
#include "nodelyx/version.h"

#if defined(__linux__)
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#endif

namespace nodelyx {
namespace {

constexpr const char* kLabels[] = {"Processor:", "Total memory:", "Free memory:", "Operating System:"};

std::string join(const std::vector<AboutRow>& rows, std::string AboutRow::*field) {
  std::string text;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i != 0) text += '\n';
    text += rows[i].*field;
  }
  return text;
}

struct MachineNames {
  std::string operatingSystem;
  std::string machine;
};

#if defined(__linux__)
std::optional<std::uint64_t> readMemAvailable() {
  std::ifstream file("/proc/meminfo");
  if (!file) return std::nullopt;
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  return parseMemAvailable(text);
}

MachineNames readMachineNames() {
  utsname names{};
  if (uname(&names) != 0) return {};
  return {operatingSystemText(names.sysname, names.release, names.version), names.machine};
}
#else
MachineNames readMachineNames() { return {}; }
#endif

}  // namespace

std::optional<std::uint64_t> parseMemAvailable(std::string_view meminfo) {
  constexpr std::string_view kKey = "MemAvailable:";
  std::size_t at = meminfo.find(kKey);
  while (at != std::string_view::npos && at != 0 && meminfo[at - 1] != '\n') at = meminfo.find(kKey, at + 1);
  if (at == std::string_view::npos) return std::nullopt;
  std::size_t digits = meminfo.find_first_not_of(" \t", at + kKey.size());
  if (digits == std::string_view::npos) return std::nullopt;
  std::uint64_t kb = 0;
  const char* end = meminfo.data() + meminfo.size();
  const auto [next, error] = std::from_chars(meminfo.data() + digits, end, kb);
  if (error != std::errc() ||
      !std::string_view(next, static_cast<std::size_t>(end - next)).starts_with(" kB"))
    return std::nullopt;
  if (kb > UINT64_MAX >> 10) return std::nullopt;
  return kb << 10;
}

MemoryStatus readMemoryStatus() {
  MemoryStatus memory;
#if defined(__linux__)
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return memory;
  const std::uint64_t unit = info.mem_unit == 0 ? 1 : info.mem_unit;  // kernels before 2.3.23 leave it 0
  memory.totalPhysical = std::uint64_t{info.totalram} * unit;
  memory.totalSwap = std::uint64_t{info.totalswap} * unit;
  memory.availableSwap = std::uint64_t{info.freeswap} * unit;
  // Free RAM alone leaves out the page cache, which the kernel gives back on
  // demand: on a machine that has run a while it would look nearly full.
  memory.availablePhysical =
      readMemAvailable().value_or((std::uint64_t{info.freeram} + info.bufferram) * unit);
#endif
  return memory;
}

std::uint64_t totalMemoryKb(const MemoryStatus& memory) { return memory.totalPhysical >> 10; }

int freeMemoryPercent(const MemoryStatus& memory) {
  const double total = static_cast<double>(memory.totalPhysical) + static_cast<double>(memory.totalSwap);
  if (total <= 0) return 0;
  const double available =
      static_cast<double>(memory.availablePhysical) + static_cast<double>(memory.availableSwap);
  return static_cast<int>(available * 100.0 / total);
}

std::string operatingSystemText(std::string_view name, std::string_view release, std::string_view version) {
  if (name.empty()) return {};
  std::string text(name);
  if (!release.empty()) text.append(" ").append(release);
  if (!version.empty()) text.append("\n").append(version);
  return text;
}

SystemInfo readSystemInfo() {
  const ProcessorFacts facts = readProcessorFacts();
  const ClockMeasurement clock = measureClock();
  const MachineNames names = readMachineNames();
  const MemoryStatus memory = readMemoryStatus();
  SystemInfo info;
  info.processor = describeProcessor(facts, clock.normalizedMhz, names.machine);
  info.processorMhz = clock.normalizedMhz;
  info.totalMemoryKb = totalMemoryKb(memory);
  info.freeMemoryPercent = freeMemoryPercent(memory);
  info.operatingSystem = names.operatingSystem;
  return info;
}

std::string aboutTitleText() { return formatC("%s V%s", kProductName, kVersionText); }

std::string aboutCopyrightText() { return kCopyrightText; }

std::string processorValueText(std::string_view processor, std::uint32_t normalizedMhz) {
  std::string text(processor);
  if (normalizedMhz != 0) text += formatC(" %luMHz", static_cast<unsigned long>(normalizedMhz));
  return text;
}

std::vector<AboutRow> aboutRows(const SystemInfo& info) {
  return {{kLabels[0], processorValueText(info.processor, info.processorMhz)},
          {kLabels[1], formatC("%llu KB", static_cast<unsigned long long>(info.totalMemoryKb))},
          {kLabels[2], formatC("%i %%", info.freeMemoryPercent)},
          {kLabels[3], info.operatingSystem}};
}

std::string aboutLabelColumn() { return join(aboutRows(SystemInfo{}), &AboutRow::label); }

std::string aboutValueColumn(const SystemInfo& info) { return join(aboutRows(info), &AboutRow::value); }

}  // namespace nodelyx
