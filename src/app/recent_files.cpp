#include "app/recent_files.h"

#include <algorithm>

namespace nodelyx {

void RecentFiles::load() {
  entries_ = {};
  if (store_ == nullptr) return;
  const RecentFileList stored = store_->load();
  for (std::size_t k = 0; k < kRecentFileCount && !stored[k].empty(); ++k) entries_[k] = stored[k];
}

bool RecentFiles::add(const std::string& path) {
  if (path.empty() || entries_[0] == path) return false;
  // The entry moves to the top and the ones above it move down one; a new
  // path enters at the top and the last entry falls off.
  auto found = std::find(entries_.begin(), entries_.end(), path);
  if (found == entries_.end()) found = entries_.end() - 1;
  std::rotate(entries_.begin(), found, found + 1);
  entries_[0] = path;
  if (store_ != nullptr) store_->save(entries_);
  return true;
}

std::vector<std::string> RecentFiles::shown() const {
  std::vector<std::string> result;
  for (const std::string& entry : entries_) {
    if (entry.empty()) break;
    result.push_back(entry);
  }
  return result;
}

}  // namespace nodelyx
