// The recent-file list kept in the desktop settings (organisation "Brevik",
// application "Nodelyx", group "Recent File List", File1..File4). A settings
// file that is missing or cannot be written leaves the list in memory: the
// program never stops for it. GUI thread only.
#pragma once

#include "app/recent_files.h"

namespace nodelyx {

class RecentFileSettings final : public RecentFileStore {
 public:
  // Missing entries are created empty, so a first start leaves four.
  RecentFileList load() override;
  void save(const RecentFileList& entries) override;
};

}  // namespace nodelyx
