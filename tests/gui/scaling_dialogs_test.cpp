// The two scaling dialogs as real widgets: the tool window running a real
// job on its worker to the end and aborting one; the settings dialog's list
// and edits. Screenshots of both.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <memory>

#include "gui/file_dialogs.h"
#include "gui/scaling_options_dialog.h"
#include "gui/scaling_tool_dialog.h"
#include "support/modal.h"
#include "support/screens.h"

namespace nodelyx {
namespace {

using test::answerNextModal;
using test::examplePath;
using test::modalNamed;
using test::saveScreenshot;
using test::screenScale;

using test::RecordingHelp;

template <typename T = QWidget>
T* control(QWidget* dialog, int id) {
  return dialog->findChild<T*>(QStringLiteral("ctl%1").arg(id));
}
void click(QWidget* dialog, int id) { control<QAbstractButton>(dialog, id)->click(); }
QString textOf(QWidget* dialog, int id) { return control<QLabel>(dialog, id)->text(); }
// Waits for the end of the run that Scale started.
bool runEnds(QWidget* dialog) {
  return QTest::qWaitFor([&] { return control(dialog, 1033)->isEnabled(); }, 10000);
}

}  // namespace

class ScalingDialogsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
  }
  void cleanup() { setFileChooserForTests({}); }
  void toolRunsAJobToTheEnd();
  void toolAbortLeavesNothingBehind();
  void optionsDialogShowsItsListAndEdits();
  void onlyTheDataFileDialogAsksBeforeReplacing();

 private:
  QString path(const char* name) const { return dir_->filePath(QString::fromLatin1(name)); }
  QStringList files() const {
    return QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  }
  void loadTrainingSet(const char* name, const char* example = nullptr) {
    if (example)
      QFile::copy(QStringLiteral(NODELYX_EXAMPLES_DIR "/") + QString::fromLatin1(example), path(name));
    RecordingReporter reporter;
    QVERIFY(loadDataFile(session_, DataKind::Training, path(name).toStdString(), {}, reporter));
  }
  // Runs the tool on the training set; its output and scale file dialogs
  // answer the two names, and `use` works the window.
  void runTool(const char* output, const char* scale, const std::function<void(QWidget*)>& use) {
    setFileChooserForTests(
        [output = path(output), scale = path(scale)](FileKind kind, DialogMode, std::string& p) {
          p = (kind == FileKind::Scale ? scale : output).toStdString();
          return ChooseResult::Chosen;
        });
    answerNextModal(
        [&](QWidget* dialog) {
          click(dialog, 1028);
          click(dialog, 1029);
          use(dialog);
          click(dialog, 1037);
        },
        modalNamed(QString::fromLatin1(kScalingToolDialogObjectName)));
    runScalingToolDialog(nullptr, session_, help_);
  }

  std::unique_ptr<QTemporaryDir> dir_;
  Session session_;
  RecordingHelp help_;
};

void ScalingDialogsTest::toolRunsAJobToTheEnd() {
  loadTrainingSet("sine.trn", "sine.trn");
  QStringList shown;
  bool abortOnlyWhileRunning = false, ended = false;
  runTool("sine_scaled.trn", "sine.scl", [&](QWidget* dialog) {
    for (const int id : {1031, 1032, 1034}) shown << textOf(dialog, id);
    shown << control<QLineEdit>(dialog, 106)->text() << control<QLineEdit>(dialog, 107)->text();
    saveScreenshot(dialog, QStringLiteral("scaling_tool_dialog"));
    const bool abortBefore = control(dialog, 3)->isEnabled();
    click(dialog, 1033);
    abortOnlyWhileRunning =
        !abortBefore && control(dialog, 3)->isEnabled() && !control(dialog, 1033)->isEnabled();
    ended = runEnds(dialog);
    shown << QString::number(control<QProgressBar>(dialog, 1036)->value()) << textOf(dialog, 1035);
    saveScreenshot(dialog, QStringLiteral("scaling_tool_dialog_done"));
    click(dialog, 40015);
  });
  QVERIFY(abortOnlyWhileRunning);
  QVERIFY(ended);
  QCOMPARE(shown, QStringList({"sine.trn", "sine_scaled.trn", "sine.scl", "1", "1", "100", "100 %"}));
  QCOMPARE(help_.keywords, QStringList{QStringLiteral("Normalization")});
  QCOMPARE(files(), QStringList({"sine.scl", "sine.trn", "sine_scaled.trn"}));
}

// Abort comes right after Scale, on a file long enough that the run cannot
// have ended by then.
void ScalingDialogsTest::toolAbortLeavesNothingBehind() {
  {
    std::ofstream out(path("long.trn").toStdString());
    out << "[INPUTS] 2\n[OUTPUTS] 1\n";
    for (int p = 0; p < 300000; ++p) out << p % 97 << ' ' << p % 13 << ' ' << p % 2 << '\n';
  }
  loadTrainingSet("long.trn");
  bool closedWhileRunning = true, ended = false;
  QString percent;
  runTool("long_scaled.trn", "long.scl", [&](QWidget* dialog) {
    click(dialog, 1033);
    closedWhileRunning = dialog->close();
    click(dialog, 3);
    ended = runEnds(dialog);
    percent = textOf(dialog, 1035);
  });
  QVERIFY(!closedWhileRunning);
  QVERIFY(ended);
  QCOMPARE(percent, QStringLiteral("0 %"));
  QCOMPARE(files(), QStringList{QStringLiteral("long.trn")});
}

void ScalingDialogsTest::optionsDialogShowsItsListAndEdits() {
  loadTrainingSet("classes.trn", "classes.trn");  // two inputs, three outputs
  session_.scaling.mode = ScalingMode::Auto;
  QStringList entries;
  bool offInAuto = false, onInManual = false;
  QString shownLow;
  answerNextModal(
      [&](QWidget* dialog) {
        auto* list = control<QComboBox>(dialog, 1102);
        for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
        auto* low = control<QLineEdit>(dialog, 102);
        offInAuto = !low->isEnabled() && !list->isEnabled();
        click(dialog, 1101);
        onInManual = low->isEnabled() && list->isEnabled() && control(dialog, 107)->isEnabled();
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);  // "Output 1"
        shownLow = low->text();
        low->setFocus();
        low->selectAll();
        QTest::keyClicks(low, QStringLiteral("-2.5"));
        QTest::keyClick(low, Qt::Key_Return);
        saveScreenshot(dialog, QStringLiteral("scaling_options_dialog"));
        click(dialog, 1);
      },
      modalNamed(QString::fromLatin1(kScalingOptionsDialogObjectName)));
  const double targetLow = session_.scaling.fromMin.at(2);
  runScalingOptionsDialog(nullptr, session_, help_);
  QCOMPARE(entries, QStringList({"Input 1", "Input 2", "Output 1", "Output 2", "Output 3"}));
  QVERIFY(offInAuto);
  QVERIFY(onInManual);
  QCOMPARE(shownLow, QString::asprintf("%f", targetLow));
  QCOMPARE(session_.scaling.mode, ScalingMode::Manual);
  QCOMPARE(session_.scaling.fromMin.at(2), -2.5);

  bool closed = false;  // the close box ends the dialog too
  answerNextModal([&](QWidget* dialog) { closed = dialog->close(); },
                  modalNamed(QString::fromLatin1(kScalingOptionsDialogObjectName)));
  runScalingOptionsDialog(nullptr, session_, help_);
  QVERIFY(closed);
}

// Choosing an existing scale file is no overwrite: it may be the one to
// scale by, and the tool asks before a run replaces it.
void ScalingDialogsTest::onlyTheDataFileDialogAsksBeforeReplacing() {
  for (const FileKind kind : {FileKind::Data, FileKind::Scale}) {
    bool confirms = false;
    answerNextModal([&](QWidget* modal) {
      confirms = !qobject_cast<QFileDialog*>(modal)->testOption(QFileDialog::DontConfirmOverwrite);
      static_cast<QDialog*>(modal)->reject();
    });
    std::string chosen;
    QCOMPARE(chooseFileWithDialog(nullptr, kind, DialogMode::Save, chosen), ChooseResult::Cancelled);
    QCOMPARE(confirms, kind == FileKind::Data);
  }
}

}  // namespace nodelyx

// On a 1024 × 768 screen, with a device pixel ratio of 2 when
// NODELYX_SCREEN_DPR is 2.
NODELYX_TEST_MAIN_ON_1024X768(nodelyx::ScalingDialogsTest)

#include "scaling_dialogs_test.moc"
