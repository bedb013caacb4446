// The help window: one top-level window for the whole program that shows the
// help book's pages, with Back, Forward and Contents. The main window owns a
// HelpWindowViewer and hands it to whatever asks for a topic; the window is
// created on the first request and afterwards shown and raised again, and
// it never keeps the program running. GUI thread only.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "app/help_topics.h"

class QWidget;

namespace nodelyx {

inline constexpr const char* kHelpWindowTitle = "Nodelyx Help";
// Object names, for the tests and for screen readers' tools.
inline constexpr const char* kHelpWindowObjectName = "helpWindow";
inline constexpr const char* kHelpBrowserObjectName = "helpBrowser";

class HelpWindow;

class HelpWindowViewer final : public HelpViewer {
 public:
  // programDirectory: the folder of the executable, where the book is
  // looked for (findHelpBook). owner: the window that message boxes belong
  // to and that places the help window the first time; it outlives this.
  HelpWindowViewer(std::filesystem::path programDirectory, QWidget* owner);
  ~HelpWindowViewer() override;
  HelpWindowViewer(const HelpWindowViewer&) = delete;
  HelpWindowViewer& operator=(const HelpWindowViewer&) = delete;

  // Shows the keyword's section, or the contents for "" and for keywords
  // the book does not know. Without a book: a warning naming the folders
  // looked in, and no window.
  void showHelp(const std::string& keyword) override;

  // The help window, or null before the first topic was shown.
  QWidget* window() const;

 private:
  std::filesystem::path programDirectory_;
  QWidget* owner_;
  std::unique_ptr<HelpWindow> window_;
};

}  // namespace nodelyx
