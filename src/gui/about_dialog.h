// The modal About box: the product and version, the copyright line, and the
// system facts (processor and clock rate, memory, operating system) read
// afresh at every opening. GUI thread only; the clock measurement blocks it
// for a moment.
#pragma once

class QDialog;
class QWidget;

namespace nodelyx {

struct SystemInfo;

inline constexpr const char* kAboutDialogObjectName = "aboutDialog";

void runAboutDialog(QWidget* owner);
// The box for given facts, for tests and screenshots: returns the dialog,
// not yet shown, owned by owner (or by the caller when owner is null).
QDialog* createAboutDialog(QWidget* owner, const SystemInfo& info);

}  // namespace nodelyx
