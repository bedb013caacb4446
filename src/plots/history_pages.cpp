#include "plots/history_pages.h"

#include <algorithm>

namespace nodelyx {

std::vector<PrintedPage> historyPages(std::string_view text, std::size_t charsPerLine,
                                      std::size_t linesPerPage) {
  charsPerLine = std::max<std::size_t>(charsPerLine, 1);
  linesPerPage = std::max<std::size_t>(linesPerPage, 1);
  std::vector<std::string> printed;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    // An empty line is printed as an empty line.
    do {
      const std::size_t piece = std::min(line.size(), charsPerLine);
      printed.emplace_back(line.substr(0, piece));
      line.remove_prefix(piece);
    } while (!line.empty());
  }
  std::vector<PrintedPage> pages;
  for (std::size_t first = 0; first < printed.size(); first += linesPerPage) {
    const std::size_t last = std::min(first + linesPerPage, printed.size());
    pages.emplace_back(printed.begin() + static_cast<std::ptrdiff_t>(first),
                       printed.begin() + static_cast<std::ptrdiff_t>(last));
  }
  return pages;
}

}  // namespace nodelyx
