// The open and save dialogs of the file kinds (title, filter list, default
// extension from fileKindInfo). The main window passes chooseFileWithDialog
// as the FileChooser of the file dispatch. GUI thread only.
#pragma once

#include <QStringList>
#include <functional>
#include <string>

#include "app/file_dispatch.h"

class QWidget;

namespace nodelyx {

// Object name of the dialog, so tests can find it.
inline constexpr const char* kFileDialogObjectName = "fileDialog";

// Shows the modal open or save dialog of the kind with path as the initial
// name (or folder) and puts the chosen absolute path there. Open requires
// an existing file; save asks before replacing one. Cancelled leaves path
// as it was; Failed means the kind has no dialog in that mode. A test
// chooser (below), when set, answers instead of the dialog.
ChooseResult chooseFileWithDialog(QWidget* owner, FileKind kind, DialogMode mode, std::string& path);

// The filter list of the kind as Qt shows it: the kind's entry, then
// "All Files (*.*)".
QStringList fileDialogFilters(FileKind kind);
// The wildcard patterns behind filter entry `index` of the kind: the
// kind's patterns for 0, every file for 1.
QStringList fileDialogPatterns(FileKind kind, int index);

// --- Test hook ------------------------------------------------------------
// Window tests choose files without clicking through a dialog: while a
// chooser is set, chooseFileWithDialog calls it instead of showing one.
// Pass an empty function to restore the dialog.
void setFileChooserForTests(std::function<ChooseResult(FileKind, DialogMode, std::string&)> chooser);

}  // namespace nodelyx
