// The training history's text laid out on printed pages: lines longer than
// a printed line continue on the next one, and pages hold a fixed number of
// lines. Pure; any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nodelyx {

using PrintedPage = std::vector<std::string>;

// The text's lines (split at line feeds, a final line feed ends the last
// line) cut into pieces of at most charsPerLine characters, then grouped
// linesPerPage to a page. Both counts are at least 1. No text, no pages.
std::vector<PrintedPage> historyPages(std::string_view text, std::size_t charsPerLine,
                                      std::size_t linesPerPage);

}  // namespace nodelyx
