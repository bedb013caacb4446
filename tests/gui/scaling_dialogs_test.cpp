// The two scaling dialogs as real widgets: the tool window running a real
// job on its worker to the end and aborting one, and the settings dialog
// with its list and edits. Screenshots of both go to the screenshot folder.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <memory>

#include "gui/file_dialogs.h"
#include "gui/scaling_options_dialog.h"
#include "gui/scaling_tool_dialog.h"
#include "support/modal.h"

namespace nodelyx {
namespace {

using test::answerNextModal;
using test::modalNamed;

int screenScale() { return qEnvironmentVariableIntValue("NODELYX_SCREEN_DPR") == 2 ? 2 : 1; }

void saveScreenshot(QWidget* widget, const QString& name) {
  QDir().mkpath(QStringLiteral(NODELYX_SCREENSHOT_DIR));
  const QString suffix = screenScale() == 2 ? QStringLiteral("@2x.png") : QStringLiteral(".png");
  widget->grab().save(QStringLiteral(NODELYX_SCREENSHOT_DIR "/") + name + suffix);
}

class NoHelp final : public HelpViewer {
 public:
  void showHelp(const std::string& keyword) override { keywords << QString::fromStdString(keyword); }
  QStringList keywords;
};

template <typename T>
T* child(QWidget* dialog, int id) {
  return dialog->findChild<T*>(QStringLiteral("ctl%1").arg(id));
}

void click(QWidget* dialog, int id) { child<QAbstractButton>(dialog, id)->click(); }

// Answers the tool's file dialogs: output and scale files by kind.
void chooseFiles(const QString& output, const QString& scale) {
  setFileChooserForTests([output, scale](FileKind kind, DialogMode, std::string& path) {
    path = (kind == FileKind::Scale ? scale : output).toStdString();
    return ChooseResult::Chosen;
  });
}

// Every file in the folder, hidden ones (temporary files) included.
QStringList filesIn(const QTemporaryDir& dir) {
  QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
  names.sort();
  return names;
}

// What the tool window showed at the moments the test looked.
struct ToolSeen {
  QString inputTitle, outputTitle, scaleTitle, inputs, outputs;
  bool abortEnabledDuringRun = false, scaleEnabledDuringRun = true;
  bool ended = false;
  bool closedWhileRunning = true;
  bool boxOwnedByTool = false;
  int bar = -1;
  QString percent;
};

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
  void toolShowsTheWorkersMessage();
  void optionsDialogShowsItsListAndEdits();
  void onlyTheDataFileDialogAsksBeforeReplacing();

 private:
  QString copyExample(const char* name) {
    const QString path = dir_->filePath(QString::fromLatin1(name));
    QFile::copy(QStringLiteral(NODELYX_EXAMPLES_DIR "/") + QString::fromLatin1(name), path);
    return path;
  }
  void loadTrainingSet(const QString& path) {
    RecordingReporter reporter;
    QVERIFY(loadDataFile(session_, DataKind::Training, path.toStdString(), {}, reporter));
  }

  std::unique_ptr<QTemporaryDir> dir_;
  Session session_;
  NoHelp help_;
};

void ScalingDialogsTest::toolRunsAJobToTheEnd() {
  loadTrainingSet(copyExample("sine.trn"));
  chooseFiles(dir_->filePath(QStringLiteral("sine_scaled.trn")), dir_->filePath(QStringLiteral("sine.scl")));
  ToolSeen seen;
  answerNextModal(
      [&](QWidget* dialog) {
        click(dialog, 1028);
        click(dialog, 1029);
        seen.inputTitle = child<QLabel>(dialog, 1031)->text();
        seen.outputTitle = child<QLabel>(dialog, 1032)->text();
        seen.scaleTitle = child<QLabel>(dialog, 1034)->text();
        seen.inputs = child<QLineEdit>(dialog, 106)->text();
        seen.outputs = child<QLineEdit>(dialog, 107)->text();
        saveScreenshot(dialog, QStringLiteral("scaling_tool_dialog"));
        click(dialog, 1033);
        seen.abortEnabledDuringRun = child<QPushButton>(dialog, 3)->isEnabled();
        seen.scaleEnabledDuringRun = child<QPushButton>(dialog, 1033)->isEnabled();
        seen.ended = QTest::qWaitFor([&] { return child<QPushButton>(dialog, 1033)->isEnabled(); }, 10000);
        seen.bar = child<QProgressBar>(dialog, 1036)->value();
        seen.percent = child<QLabel>(dialog, 1035)->text();
        saveScreenshot(dialog, QStringLiteral("scaling_tool_dialog_done"));
        click(dialog, 40015);
        click(dialog, 1037);
      },
      modalNamed(QString::fromLatin1(kScalingToolDialogObjectName)));
  runScalingToolDialog(nullptr, session_, help_);
  QCOMPARE(seen.inputTitle, QStringLiteral("sine.trn"));
  QCOMPARE(seen.outputTitle, QStringLiteral("sine_scaled.trn"));
  QCOMPARE(seen.scaleTitle, QStringLiteral("sine.scl"));
  QCOMPARE(seen.inputs, QStringLiteral("1"));
  QCOMPARE(seen.outputs, QStringLiteral("1"));
  QVERIFY(seen.abortEnabledDuringRun);
  QVERIFY(!seen.scaleEnabledDuringRun);
  QVERIFY(seen.ended);
  QCOMPARE(seen.bar, 100);
  QCOMPARE(seen.percent, QStringLiteral("100 %"));
  QCOMPARE(help_.keywords, QStringList{QStringLiteral("Normalization")});
  QCOMPARE(filesIn(*dir_), QStringList({"sine.scl", "sine.trn", "sine_scaled.trn"}));
  std::ifstream scaled(dir_->filePath(QStringLiteral("sine_scaled.trn")).toStdString());
  std::string header;
  std::getline(scaled, header);
  QCOMPARE(header, std::string("[INPUTS] 1"));
}

// The run is aborted right after it started, on a file long enough that it
// cannot have ended by then.
void ScalingDialogsTest::toolAbortLeavesNothingBehind() {
  const QString input = dir_->filePath(QStringLiteral("long.trn"));
  {
    std::ofstream out(input.toStdString());
    out << "[INPUTS] 2\n[OUTPUTS] 1\n";
    for (int p = 0; p < 300000; ++p) out << p % 97 << ' ' << p % 13 << ' ' << p % 2 << '\n';
  }
  loadTrainingSet(input);
  chooseFiles(dir_->filePath(QStringLiteral("long_scaled.trn")), dir_->filePath(QStringLiteral("long.scl")));
  ToolSeen seen;
  answerNextModal(
      [&](QWidget* dialog) {
        click(dialog, 1028);
        click(dialog, 1029);
        click(dialog, 1033);
        seen.closedWhileRunning = dialog->close();
        click(dialog, 3);
        seen.ended = QTest::qWaitFor([&] { return child<QPushButton>(dialog, 1033)->isEnabled(); }, 10000);
        seen.bar = child<QProgressBar>(dialog, 1036)->value();
        seen.percent = child<QLabel>(dialog, 1035)->text();
        click(dialog, 1037);
      },
      modalNamed(QString::fromLatin1(kScalingToolDialogObjectName)));
  runScalingToolDialog(nullptr, session_, help_);
  QVERIFY(!seen.closedWhileRunning);
  QVERIFY(seen.ended);
  QCOMPARE(seen.bar, 0);
  QCOMPARE(seen.percent, QStringLiteral("0 %"));
  QCOMPARE(filesIn(*dir_), QStringList{QStringLiteral("long.trn")});
}

// The worker waits while its message is shown in front of the tool.
void ScalingDialogsTest::toolShowsTheWorkersMessage() {
  loadTrainingSet(copyExample("sine.trn"));
  const QString missing = dir_->filePath(QStringLiteral("missing.scl"));
  chooseFiles(dir_->filePath(QStringLiteral("out.trn")), missing);
  QString title, text;
  QWidget* owner = nullptr;
  ToolSeen seen;
  answerNextModal(
      [&](QWidget* dialog) {
        click(dialog, 1028);
        click(dialog, 1029);
        click(dialog, 1040);
        answerNextModal(
            [&](QWidget* box) {
              title = box->windowTitle();
              text = qobject_cast<QMessageBox*>(box)->text();
              owner = box->parentWidget();
              qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
            },
            modalNamed(QStringLiteral("messageBox")));
        click(dialog, 1033);
        seen.ended = QTest::qWaitFor([&] { return child<QPushButton>(dialog, 1033)->isEnabled(); }, 10000);
        seen.boxOwnedByTool = owner == dialog;
        click(dialog, 1037);
      },
      modalNamed(QString::fromLatin1(kScalingToolDialogObjectName)));
  runScalingToolDialog(nullptr, session_, help_);
  QVERIFY(seen.ended);
  QCOMPARE(title, QStringLiteral("File Error"));
  QCOMPARE(text, QStringLiteral("Could not open file ") + missing);
  QVERIFY(seen.boxOwnedByTool);
  QCOMPARE(filesIn(*dir_), QStringList{QStringLiteral("sine.trn")});
}

void ScalingDialogsTest::optionsDialogShowsItsListAndEdits() {
  loadTrainingSet(copyExample("classes.trn"));  // two inputs, three outputs
  session_.scaling.mode = ScalingMode::Auto;
  QStringList entries;
  bool editsOffInAuto = false, editsOnInManual = false;
  QString shownLow;
  answerNextModal(
      [&](QWidget* dialog) {
        auto* list = child<QComboBox>(dialog, 1102);
        for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
        auto* low = child<QLineEdit>(dialog, 102);
        editsOffInAuto = !low->isEnabled() && !list->isEnabled();
        click(dialog, 1101);
        editsOnInManual = low->isEnabled() && list->isEnabled() && child<QLineEdit>(dialog, 107)->isEnabled();
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
  QVERIFY(editsOffInAuto);
  QVERIFY(editsOnInManual);
  QCOMPARE(shownLow, QString::asprintf("%f", targetLow));
  QCOMPARE(session_.scaling.mode, ScalingMode::Manual);
  QCOMPARE(session_.scaling.fromMin.at(2), -2.5);

  // The close box ends the dialog too.
  bool closed = false;
  answerNextModal([&](QWidget* dialog) { closed = dialog->close(); },
                  modalNamed(QString::fromLatin1(kScalingOptionsDialogObjectName)));
  runScalingOptionsDialog(nullptr, session_, help_);
  QVERIFY(closed);
}

// Choosing an existing scale file is no overwrite: it may be the one to
// scale by; the tool asks before a run replaces it.
void ScalingDialogsTest::onlyTheDataFileDialogAsksBeforeReplacing() {
  for (const FileKind kind : {FileKind::Data, FileKind::Scale}) {
    bool confirms = false;
    answerNextModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
      dialog->reject();
    });
    std::string path;
    QCOMPARE(chooseFileWithDialog(nullptr, kind, DialogMode::Save, path), ChooseResult::Cancelled);
    QCOMPARE(confirms, kind == FileKind::Data);
  }
}

}  // namespace nodelyx

// The dialogs are laid out on a 1024 × 768 screen (with a device pixel
// ratio of 2 when NODELYX_SCREEN_DPR is 2).
int main(int argc, char* argv[]) {
  if (qEnvironmentVariable("QT_QPA_PLATFORM") == QStringLiteral("offscreen")) {
    const QByteArray config =
        nodelyx::screenScale() == 2 ? "offscreen_1024x768_dpr2.json" : "offscreen_1024x768.json";
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" NODELYX_GUI_TEST_DATA_DIR "/" + config);
  }
  QApplication app(argc, argv);
  nodelyx::ScalingDialogsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "scaling_dialogs_test.moc"
