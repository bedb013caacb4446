// The file routines' dialogs as real widgets: titles, filters, fields,
// buttons, and the progress dialog driving a real reader on its worker.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <optional>

#include "gui/data_read_dialog.h"
#include "gui/file_dialogs.h"
#include "gui/gui_resources.h"
#include "gui/inputs_outputs_dialog.h"
#include "gui/output_choices_dialog.h"
#include "gui/splash.h"
#include "support/modal.h"
#include "support/screens.h"

namespace nodelyx {
namespace {

using test::answerNextModal;
using test::clickButton;
using test::examplePath;
using test::modalNamed;
using test::saveScreenshot;
using test::screenScale;

// Answers the next message box with OK and keeps what it showed.
void answerMessageBox(Message& seen) {
  answerNextModal(
      [&seen](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        seen = {box->windowTitle().toStdString(), box->text().toStdString(),
                box->icon() == QMessageBox::Warning ? MessageIcon::Warning : MessageIcon::Error};
        box->button(QMessageBox::Ok)->click();
      },
      modalNamed(QStringLiteral("messageBox")));
}

void fillInputsOutputs(QWidget* dialog, const QString& inputs, const QString& outputs) {
  auto* inputsField = dialog->findChild<QLineEdit*>(QStringLiteral("ctl123"));
  auto* outputsField = dialog->findChild<QLineEdit*>(QStringLiteral("ctl129"));
  inputsField->clear();
  outputsField->clear();
  QTest::keyClicks(inputsField, inputs);
  QTest::keyClicks(outputsField, outputs);
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const std::string& text) {
  const QString path = dir.filePath(name);
  std::ofstream(path.toStdString(), std::ios::binary) << text;
  return path;
}

// patterns rows of four inputs and one output, without header.
std::string plainTable(int patterns) {
  std::string text;
  for (int p = 0; p < patterns; ++p)
    text += std::to_string(p % 7) + " 0.25 0.5 0.75 " + std::to_string(p % 2) + "\n";
  return text;
}

DataReadOutcome readWithProgress(const QString& path, DataKind kind) {
  DataReadRequest request;
  request.path = path.toStdString();
  request.kind = kind;
  SilentReporter reporter;
  return readDataFileWithProgress(nullptr, request, reporter);
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void fileDialogShowsTheKindsTitleAndFilters_data();
  void fileDialogShowsTheKindsTitleAndFilters();
  void fileDialogReturnsTheChosenPath();
  void testChooserReplacesTheDialog();
  void inputsOutputsDialogRefusesZeroAndZero();
  void inputsOutputsDialogReadsSignedIntegers_data();
  void inputsOutputsDialogReadsSignedIntegers();
  void outputChoicesDialogStoresOnlyOnOk_data();
  void outputChoicesDialogStoresOnlyOnOk();
  void progressDialogAsksForTheCountsOfAPlainTable();
  void progressDialogShowsTheEndOfALongReading();
  void progressDialogCancelStopsTheReading();
  void progressDialogShowsTheReadersMessage();
  void splashIsCentredAndGoesAway();
};

void DialogsTest::fileDialogShowsTheKindsTitleAndFilters_data() {
  QTest::addColumn<FileKind>("kind");
  QTest::addColumn<DialogMode>("mode");
  QTest::addColumn<QString>("title");
  QTest::addColumn<QString>("filter");
  QTest::addColumn<QString>("suffix");
  QTest::addColumn<QStringList>("patterns");
  const auto row = [](const char* name, FileKind kind, DialogMode mode, const char* title, const char* filter,
                      const char* suffix, QStringList patterns) {
    QTest::newRow(name) << kind << mode << QString::fromLatin1(title) << QString::fromLatin1(filter)
                        << QString::fromLatin1(suffix) << patterns;
  };
  row("open network", FileKind::Network, DialogMode::Open, "Open Network File",
      "Nodelyx Network Files (*.net)", "net", {"*.net"});
  row("save network", FileKind::Network, DialogMode::Save, "Save Network File",
      "Nodelyx Network Files (*.net)", "net", {"*.net"});
  row("open training", FileKind::Training, DialogMode::Open, "Open Training File",
      "Nodelyx Training Files (*.trn)", "trn", {"*.trn"});
  row("open testing", FileKind::Testing, DialogMode::Open, "Open Testing File", "Nodelyx TestFiles (*.tst)",
      "tst", {"*.tst"});
  row("save output", FileKind::Output, DialogMode::Save, "Save Output File", "Nodelyx Output Files (*.out)",
      "out", {"*.out"});
  row("open data", FileKind::Data, DialogMode::Open, "Open Data File", "Nodelyx Data Files (*.trn, *.tst)",
      "trn", {"*.trn", "*.tst"});
  row("scale", FileKind::Scale, DialogMode::Save, "Open Scale File", "Nodelyx Scale Files (*.scl)", "scl",
      {"*.scl"});
  row("save pascal", FileKind::PascalSource, DialogMode::Save, "Save Pascal File",
      "Pascal Language Files (*.Pas)", "Pas", {"*.Pas"});
}

void DialogsTest::fileDialogShowsTheKindsTitleAndFilters() {
  QFETCH(FileKind, kind);
  QFETCH(DialogMode, mode);
  QFETCH(QString, title);
  QFETCH(QString, filter);
  QFETCH(QString, suffix);
  QFETCH(QStringList, patterns);
  QStringList filters, shownPatterns, allFilesPatterns;
  QString shownTitle, shownSuffix;
  QFileDialog::AcceptMode acceptMode{};
  answerNextModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    QVERIFY(dialog != nullptr);
    auto* model = dialog->findChild<QFileSystemModel*>();
    shownTitle = dialog->windowTitle();
    filters = dialog->nameFilters();
    shownSuffix = dialog->defaultSuffix();
    acceptMode = dialog->acceptMode();
    shownPatterns = model->nameFilters();
    // As the user picks "All Files (*.*)" from the list.
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QTest::keyClick(types, Qt::Key_Down);
    QTest::qWait(20);
    allFilesPatterns = model->nameFilters();
    dialog->reject();
  });
  std::string path = "unchanged.x";
  QCOMPARE(chooseFileWithDialog(nullptr, kind, mode, path), ChooseResult::Cancelled);
  QCOMPARE(path, std::string("unchanged.x"));
  QCOMPARE(shownTitle, title);
  QCOMPARE(filters, QStringList({filter, QStringLiteral("All Files (*.*)")}));
  QCOMPARE(shownSuffix, suffix);
  QCOMPARE(acceptMode, mode == DialogMode::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  QCOMPARE(shownPatterns, patterns);
  QCOMPARE(allFilesPatterns, QStringList({QStringLiteral("*")}));
}

void DialogsTest::fileDialogReturnsTheChosenPath() {
  QTemporaryDir dir;
  writeFile(dir, QStringLiteral("old.trn"), "[INPUTS] 1\n[OUTPUTS] 1\n1 1\n");
  std::string path = dir.filePath(QStringLiteral("old.trn")).toStdString();
  answerNextModal([](QWidget* modal) { static_cast<QDialog*>(modal)->accept(); });
  QCOMPARE(chooseFileWithDialog(nullptr, FileKind::Training, DialogMode::Open, path), ChooseResult::Chosen);
  QCOMPARE(QString::fromStdString(path), dir.filePath(QStringLiteral("old.trn")));

  // A typed name without extension gets the kind's default.
  path = dir.path().toStdString();
  answerNextModal([](QWidget* dialog) {
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    name->clear();
    QTest::keyClicks(name, QStringLiteral("fresh"));
    QTest::keyClick(name, Qt::Key_Return);
  });
  QCOMPARE(chooseFileWithDialog(nullptr, FileKind::Network, DialogMode::Save, path), ChooseResult::Chosen);
  QCOMPARE(QString::fromStdString(path), dir.filePath(QStringLiteral("fresh.net")));
}

void DialogsTest::testChooserReplacesTheDialog() {
  setFileChooserForTests([](FileKind kind, DialogMode mode, std::string& path) {
    path = kind == FileKind::Weights && mode == DialogMode::Save ? "chosen.wts" : "wrong";
    return ChooseResult::Chosen;
  });
  std::string path;
  const ChooseResult result = chooseFileWithDialog(nullptr, FileKind::Weights, DialogMode::Save, path);
  setFileChooserForTests({});
  QCOMPARE(result, ChooseResult::Chosen);
  QCOMPARE(path, std::string("chosen.wts"));
}

void DialogsTest::inputsOutputsDialogRefusesZeroAndZero() {
  Message warning;
  QString explanation;
  bool stayedOpen = false;
  answerNextModal(
      [&](QWidget* dialog) {
        explanation = dialog->findChild<QLabel*>(QStringLiteral("explanation"))->text();
        saveScreenshot(dialog, QStringLiteral("inputs_outputs_dialog"));
        fillInputsOutputs(dialog, QStringLiteral("0"), QStringLiteral("0"));
        answerMessageBox(warning);
        clickButton(dialog, QStringLiteral("ctl1"));
        stayedOpen = dialog->isVisible();
        fillInputsOutputs(dialog, QStringLiteral("3"), QStringLiteral("1"));
        clickButton(dialog, QStringLiteral("ctl1"));
      },
      modalNamed(QStringLiteral("inputsOutputsDialog")));
  const std::optional<InputsOutputs> answer = askInputsOutputsDialog(nullptr, 4);
  QVERIFY(stayedOpen);
  QCOMPARE(warning.title, std::string("Warning"));
  QCOMPARE(warning.text, std::string("You must enter a valid number of inputs or outputs"));
  QCOMPARE(warning.icon, MessageIcon::Warning);
  QVERIFY(explanation.contains(QStringLiteral("contains a total of 4 values.")));
  QVERIFY(explanation.contains(QStringLiteral("should add up to 4.")));
  QVERIFY(answer.has_value());
  QCOMPARE(answer->inputs, 3LL);
  QCOMPARE(answer->outputs, 1LL);
}

void DialogsTest::inputsOutputsDialogReadsSignedIntegers_data() {
  QTest::addColumn<QString>("typedInputs");
  QTest::addColumn<QString>("typedOutputs");
  QTest::addColumn<long long>("inputs");
  QTest::addColumn<long long>("outputs");
  QTest::newRow("plain") << "12"
                         << "2" << 12LL << 2LL;
  QTest::newRow("negative") << "-2"
                            << "5" << -2LL << 5LL;
  QTest::newRow("letters are not typed") << "a7b"
                                         << "x1" << 7LL << 1LL;
  QTest::newRow("not a number counts as 0") << "1-2"
                                            << "4" << 0LL << 4LL;
}

void DialogsTest::inputsOutputsDialogReadsSignedIntegers() {
  QFETCH(QString, typedInputs);
  QFETCH(QString, typedOutputs);
  QFETCH(long long, inputs);
  QFETCH(long long, outputs);
  answerNextModal([&](QWidget* dialog) {
    fillInputsOutputs(dialog, typedInputs, typedOutputs);
    clickButton(dialog, QStringLiteral("ctl1"));
  });
  const std::optional<InputsOutputs> answer = askInputsOutputsDialog(nullptr, 5);
  QVERIFY(answer.has_value());
  QCOMPARE(answer->inputs, inputs);
  QCOMPARE(answer->outputs, outputs);

  answerNextModal([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
  QVERIFY(!askInputsOutputsDialog(nullptr, 5).has_value());
}

void DialogsTest::outputChoicesDialogStoresOnlyOnOk_data() {
  QTest::addColumn<bool>("headers");
  QTest::addColumn<bool>("targets");
  QTest::addColumn<QString>("button");
  QTest::newRow("ok toggles both") << false << true << "ctl1";
  QTest::newRow("ok from both set") << true << true << "ctl1";
  QTest::newRow("cancel") << true << false << "ctl2";
}

void DialogsTest::outputChoicesDialogStoresOnlyOnOk() {
  QFETCH(bool, headers);
  QFETCH(bool, targets);
  QFETCH(QString, button);
  bool shownHeaders = !headers, shownTargets = !targets;
  QString title;
  answerNextModal([&](QWidget* dialog) {
    title = dialog->windowTitle();
    auto* headersBox = dialog->findChild<QCheckBox*>(QStringLiteral("ctl1068"));
    auto* targetsBox = dialog->findChild<QCheckBox*>(QStringLiteral("ctl1067"));
    shownHeaders = headersBox->isChecked();
    shownTargets = targetsBox->isChecked();
    QCOMPARE(headersBox->text(), QStringLiteral("Write column headers"));
    QCOMPARE(targetsBox->text(), QStringLiteral("Write test file outputs (targets)"));
    saveScreenshot(dialog, QStringLiteral("output_choices_dialog"));
    headersBox->click();
    targetsBox->click();
    clickButton(dialog, button);
  });
  const std::optional<OutputChoices> answer = askOutputChoicesDialog(nullptr, {headers, targets});
  QCOMPARE(title, QStringLiteral("What to write?"));
  QCOMPARE(shownHeaders, headers);
  QCOMPARE(shownTargets, targets);
  QCOMPARE(answer.has_value(), button == QStringLiteral("ctl1"));
  if (answer) {
    QCOMPARE(answer->writeColumnHeaders, !headers);
    QCOMPARE(answer->writeTargets, !targets);
  }
}

void DialogsTest::progressDialogAsksForTheCountsOfAPlainTable() {
  QTemporaryDir dir;
  const QString path = writeFile(dir, QStringLiteral("plain.tst"), "1 2 3\n4 5 6\n");
  QString title, caption;
  answerNextModal(
      [&](QWidget* question) {
        QWidget* progress = question->parentWidget()->window();
        title = progress->windowTitle();
        caption = progress->findChild<QLabel*>(QStringLiteral("ctl1022"))->text();
        fillInputsOutputs(question, QStringLiteral("2"), QStringLiteral("1"));
        clickButton(question, QStringLiteral("ctl1"));
      },
      modalNamed(QStringLiteral("inputsOutputsDialog")));
  const DataReadOutcome outcome = readWithProgress(path, DataKind::Testing);
  QCOMPARE(title, QStringLiteral("Reading Testing File"));
  QCOMPARE(caption, QStringLiteral("Reading: plain.tst"));
  QVERIFY(outcome.ok);
  QVERIFY(outcome.noHeader);
  QCOMPARE(outcome.set.patternCount, 2u);
}

// A value after the last pattern makes the reader warn once it has read
// everything, so the dialog must by then show 100 %.
void DialogsTest::progressDialogShowsTheEndOfALongReading() {
  QTemporaryDir dir;
  const QString path =
      writeFile(dir, QStringLiteral("long.trn"), "[INPUTS] 4\n[OUTPUTS] 1\n" + plainTable(200000) + "9\n");
  int bar = -1;
  QString percent, title;
  answerNextModal(
      [&](QWidget* box) {
        QWidget* progress = box->parentWidget()->window();
        title = progress->windowTitle();
        auto* barWidget = progress->findChild<QProgressBar*>(QStringLiteral("ctl1021"));
        (void)QTest::qWaitFor([&] { return barWidget->value() == 100; }, 2000);
        bar = barWidget->value();
        percent = progress->findChild<QLabel*>(QStringLiteral("ctl1023"))->text();
        saveScreenshot(progress, QStringLiteral("data_read_dialog"));
        qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
      },
      modalNamed(QStringLiteral("messageBox")));
  const DataReadOutcome outcome = readWithProgress(path, DataKind::Training);
  QCOMPARE(title, QStringLiteral("Reading Training File"));
  QCOMPARE(bar, 100);
  QCOMPARE(percent, QStringLiteral("100 %"));
  QVERIFY(outcome.ok);
  QCOMPARE(outcome.set.patternCount, 200000u);
  QCOMPARE(outcome.leftoverValues, 1u);
}

// Cancel is clicked while the reader waits for the counts, so the reading
// is certainly still going when it stops.
void DialogsTest::progressDialogCancelStopsTheReading() {
  QTemporaryDir dir;
  const QString path = writeFile(dir, QStringLiteral("long.trn"), plainTable(200000));
  answerNextModal(
      [&](QWidget* question) {
        clickButton(question->parentWidget()->window(), QStringLiteral("ctl2"));
        fillInputsOutputs(question, QStringLiteral("4"), QStringLiteral("1"));
        clickButton(question, QStringLiteral("ctl1"));
      },
      modalNamed(QStringLiteral("inputsOutputsDialog")));
  const DataReadOutcome outcome = readWithProgress(path, DataKind::Training);
  QVERIFY(!outcome.ok);
  QCOMPARE(outcome.set.patternCount, 0u);
}

void DialogsTest::progressDialogShowsTheReadersMessage() {
  QTemporaryDir dir;
  QDir(dir.path()).mkdir(QStringLiteral("folder.trn"));
  Message shown;
  answerMessageBox(shown);
  const DataReadOutcome outcome =
      readWithProgress(dir.filePath(QStringLiteral("folder.trn")), DataKind::Training);
  QVERIFY(!outcome.ok);
  QCOMPARE(shown.title, std::string("Error"));
  QCOMPARE(shown.text, std::string("Could not read file folder.trn\nIt is not a regular file."));
  QCOMPARE(shown.icon, MessageIcon::Error);
}

void DialogsTest::splashIsCentredAndGoesAway() {
  QWidget window;
  window.resize(1024, 768);
  window.show();
  showSplash(&window, 300);
  QPointer<QWidget> splash = window.findChild<QWidget*>(QStringLiteral("splash"));
  QVERIFY(splash != nullptr);
  QVERIFY(splash->isVisible());
  QCOMPARE(splash->geometry(), QRect((1024 - 400) / 2, (768 - 260) / 4 + 20, 400, 260));
  saveScreenshot(&window, QStringLiteral("splash"));
  QTRY_VERIFY_WITH_TIMEOUT(splash.isNull(), 3000);
  const QPixmap icon = applicationIcon().pixmap(64, 64);
  QVERIFY(!icon.isNull());
  icon.save(QStringLiteral(NODELYX_SCREENSHOT_DIR "/application_icon.png"));
}

}  // namespace nodelyx

QTEST_MAIN(nodelyx::DialogsTest)
#include "dialogs_test.moc"
