// The four configuration files opened last, most recent first, as the File
// menu offers them for reopening. The list is kept by a store (the desktop
// settings in the program, memory in tests); a store that cannot be read or
// written leaves the list in memory working. GUI thread only.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace nodelyx {

inline constexpr std::size_t kRecentFileCount = 4;
using RecentFileList = std::array<std::string, kRecentFileCount>;

class RecentFileStore {
 public:
  virtual ~RecentFileStore() = default;
  // The stored entries, entry 1 first; "" for an empty one. Creates the
  // empty entries a first start does not find.
  virtual RecentFileList load() = 0;
  virtual void save(const RecentFileList& entries) = 0;
};

class RecentFiles {
 public:
  // store may be null: the list then lives in memory only.
  explicit RecentFiles(RecentFileStore* store = nullptr) : store_(store) {}

  // Reads the entries up to the first empty one (later ones are ignored).
  void load();
  // Puts path first. A path that is already entry 1 changes nothing; one
  // found further down moves to the top; a new one pushes the oldest out.
  // Paths compare exactly, letter case included. True when the list
  // changed (and was saved).
  bool add(const std::string& path);

  const RecentFileList& entries() const { return entries_; }
  // The entries the menu shows: those before the first empty one.
  std::vector<std::string> shown() const;

 private:
  RecentFileStore* store_;
  RecentFileList entries_;
};

}  // namespace nodelyx
