// nodelyx-cli info: what the desktop program's About box shows, as text:
// product and version, copyright, processor with its measured clock rate,
// memory and operating system.
#include <algorithm>
#include <cstdio>
#include <string>

#include "about/system_info.h"
#include "cli/cli_support.h"
#include "cli/commands.h"

namespace nodelyx::cli {
namespace {

constexpr std::string_view kUsage =
    "Usage: nodelyx-cli info\n"
    "Prints the product name and version, the copyright line, the processor\n"
    "with its measured clock rate, the total and free memory and the\n"
    "operating system.\n";

// Prints the rows as two aligned columns; a value's further lines stay in
// the value column.
void printRows(const std::vector<AboutRow>& rows) {
  std::size_t width = 0;
  for (const AboutRow& row : rows) width = std::max(width, row.label.size());
  const int pad = static_cast<int>(width) + 2;
  for (const AboutRow& row : rows) {
    std::string_view label = row.label;
    std::string_view rest = row.value;
    do {
      const std::size_t end = std::min(rest.find('\n'), rest.size());
      std::printf("%-*.*s%.*s\n", pad, static_cast<int>(label.size()), label.data(), static_cast<int>(end),
                  rest.data());
      label = {};
      rest.remove_prefix(std::min(end + 1, rest.size()));
    } while (!rest.empty());
  }
}

}  // namespace

int runInfoCommand(Arguments args) {
  bool help = false;
  const auto parsed = parseArguments(args, {}, 0, 0, "info", kUsage, help);
  if (!parsed) return help ? kExitOk : kExitUsage;
  const SystemInfo info = readSystemInfo();
  std::printf("%s\n%s\n\n", aboutTitleText().c_str(), aboutCopyrightText().c_str());
  printRows(aboutRows(info));
  return kExitOk;
}

}  // namespace nodelyx::cli
