#include "gui/file_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QTimer>
#include <utility>

namespace nodelyx {
namespace {

const char* titleOf(const FileKindInfo& info, DialogMode mode) {
  return mode == DialogMode::Open ? info.openTitle : info.saveTitle;
}

// The kind's patterns, ";"-separated. "*.*" means every file, also one
// without an extension, which on this system is "*".
QStringList splitPatterns(const char* patterns) {
  QStringList result;
  for (const QString& pattern : QString::fromLatin1(patterns).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    const QString trimmed = pattern.trimmed();
    result << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
  }
  return result;
}

// Qt takes the patterns out of the "(...)" part of the entry's text, which is
// not always a Qt pattern list ("(*.trn, *.tst)" would give "*.trn,"), so the
// dialog's model gets the kind's own patterns after Qt has applied its own.
void usePatternsOfSelectedFilter(QFileDialog& dialog, FileKind kind) {
  auto* model = dialog.findChild<QFileSystemModel*>();
  if (model == nullptr) return;
  const int index = static_cast<int>(dialog.nameFilters().indexOf(dialog.selectedNameFilter()));
  model->setNameFilters(fileDialogPatterns(kind, index < 0 ? 0 : index));
}

void placeInitialPath(QFileDialog& dialog, const std::string& path) {
  if (path.empty()) return;
  const QFileInfo initial(QString::fromStdString(path));
  if (initial.isDir()) {
    dialog.setDirectory(initial.absoluteFilePath());
    return;
  }
  if (initial.absoluteDir().exists()) dialog.setDirectory(initial.absolutePath());
  dialog.selectFile(initial.fileName());
}

void setUpDialog(QFileDialog& dialog, FileKind kind, DialogMode mode, const char* title) {
  const FileKindInfo& info = fileKindInfo(kind);
  dialog.setObjectName(QString::fromLatin1(kFileDialogObjectName));
  dialog.setWindowTitle(QString::fromLatin1(title));
  dialog.setAccessibleName(dialog.windowTitle());
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setWindowModality(Qt::ApplicationModal);
  if (mode == DialogMode::Open) {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // A scale file is chosen to be read as often as to be written, and the
    // scaling tool asks itself before it replaces one.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, kind == FileKind::Scale);
  }
  dialog.setNameFilters(fileDialogFilters(kind));
  dialog.selectNameFilter(dialog.nameFilters().front());
  dialog.setDefaultSuffix(QString::fromLatin1(info.defaultExtension));
  usePatternsOfSelectedFilter(dialog, kind);
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, kind] {
    // Queued: Qt sets its own patterns around this signal.
    QTimer::singleShot(0, &dialog, [&dialog, kind] { usePatternsOfSelectedFilter(dialog, kind); });
  });
}

std::function<ChooseResult(FileKind, DialogMode, std::string&)>& testChooser() {
  static std::function<ChooseResult(FileKind, DialogMode, std::string&)> chooser;
  return chooser;
}

}  // namespace

QStringList fileDialogFilters(FileKind kind) {
  return {QString::fromLatin1(fileKindInfo(kind).filterName), QString::fromLatin1(kAllFilesFilterName)};
}

QStringList fileDialogPatterns(FileKind kind, int index) {
  return splitPatterns(index == 0 ? fileKindInfo(kind).pattern : kAllFilesPattern);
}

ChooseResult chooseFileWithDialog(QWidget* owner, FileKind kind, DialogMode mode, std::string& path) {
  if (testChooser()) return testChooser()(kind, mode, path);
  const char* title = titleOf(fileKindInfo(kind), mode);
  if (title == nullptr) return ChooseResult::Failed;
  QFileDialog dialog(owner);
  setUpDialog(dialog, kind, mode, title);
  placeInitialPath(dialog, path);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return ChooseResult::Cancelled;
  path = dialog.selectedFiles().front().toStdString();
  return ChooseResult::Chosen;
}

// --- Test hook ------------------------------------------------------------

void setFileChooserForTests(std::function<ChooseResult(FileKind, DialogMode, std::string&)> chooser) {
  testChooser() = std::move(chooser);
}

}  // namespace nodelyx
