// The training history window: the history of the current weights as plain
// text in a fixed-pitch font with both scroll bars, and Print. It shows the
// history as it was when opened; the main window makes a new one at every
// opening and replaces the one before. GUI thread only.
#pragma once

#include <QWidget>
#include <string>

#include "app/help_topics.h"

class QPlainTextEdit;

namespace nodelyx {

inline constexpr const char* kHistoryWindowObjectName = "historyWindow";

class HistoryWindow final : public QWidget {
  Q_OBJECT

 public:
  // text: the history as the weights file stores it (not empty).
  HistoryWindow(const std::string& text, HelpViewer& help, QWidget* parent = nullptr);

  // Prints the text on the printer of the print dialog (or the test hook of
  // the plots' printing).
  void print();

 private:
  QPlainTextEdit* text_;
  HelpViewer& help_;
};

}  // namespace nodelyx
