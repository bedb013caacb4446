// The main window's help for the user: status hints, context help and the
// recent-file entries.
#include "app/help_topics.h"
#include "app/main_controller.h"
#include "app/status_hints.h"

namespace nodelyx {

void MainController::menuHighlighted(ControlId command) {
  if (const std::optional<std::string> hint = menuHint(command)) view_.setStatusText(*hint);
}

void MainController::menusClosed() { view_.setStatusText(kReadyStatus); }

void MainController::pointerOver(ControlId control) {
  // Formatted afresh each time: the weight bounds follow the settings.
  view_.setStatusText(controlHint(control, session_.config));
}

void MainController::contextHelp(ControlId focused) { view_.showHelp(helpKeywordForControl(focused)); }

// An entry opens as a drop of its one file would, with the same questions.
void MainController::openRecentFile(ControlId id) {
  const auto index = static_cast<std::size_t>(controlNumber(id) - controlNumber(ControlId::RecentFile1));
  if (index >= kRecentFileCount) return;
  const std::string path = recent_.entries()[index];
  if (!path.empty()) dropFiles({path});
}

}  // namespace nodelyx
