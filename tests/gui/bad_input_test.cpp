// Bad input met through the main window: every case gets a message or a
// question, and what was loaded before stays.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <fstream>
#include <memory>

#include "gui/file_dialogs.h"
#include "gui/main_window.h"
#include "gui/message_box.h"
#include "support/modal.h"

using namespace nodelyx;

class BadInputTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void aCancelledReadingKeepsTheEarlierSet();
  void aConfigurationNamingMissingFilesAsksForThem();
  void weightsOfAnotherTopologyAreExplained();

 private:
  std::string write(const char* name, const std::string& text) {
    const std::string path = QFile::encodeName(dir_.filePath(QString::fromUtf8(name))).toStdString();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  QString shown(ControlId id) const {
    return window_->findChild<QLabel*>(QString::fromStdString(controlObjectName(id)))->text();
  }
  void press(ControlId id) { qobject_cast<QAbstractButton*>(window_->control(id))->click(); }
  // Every message box from now on: answered with OK, its text kept.
  void answerMessages() {
    test::answerNextModal(
        [this](QWidget* box) {
          messages_.push_back(qobject_cast<QMessageBox*>(box)->text());
          qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
          answerMessages();
        },
        test::modalNamed(QString::fromLatin1(kMessageBoxObjectName)), 60000);
  }

  QTemporaryDir dir_;
  std::unique_ptr<MainWindow> window_;
  std::deque<std::string> chosen_;  // what the next file dialogs answer
  std::vector<FileKind> dialogKinds_;
  QStringList messages_;
};

void BadInputTest::initTestCase() {
  setFileChooserForTests([this](FileKind kind, DialogMode, std::string& path) {
    dialogKinds_.push_back(kind);
    if (chosen_.empty()) return ChooseResult::Cancelled;
    path = chosen_.front();
    chosen_.pop_front();
    return ChooseResult::Chosen;
  });
  for (const char* name : {"xor.net", "xor.trn", "xor.tst", "classes.net", "classes.trn", "classes.tst"})
    QVERIFY(QFile::copy(QStringLiteral(NODELYX_EXAMPLES_DIR "/") + QString::fromLatin1(name),
                        dir_.filePath(QString::fromLatin1(name))));
}

void BadInputTest::init() {
  window_ = std::make_unique<MainWindow>(std::filesystem::path(NODELYX_EXAMPLES_DIR));
  window_->show();
  window_->initialize();
  window_->openCommandLineFile(QFile::encodeName(dir_.filePath(QStringLiteral("xor.net"))).toStdString());
  QCOMPARE(shown(ControlId::TrainingPatternsText), QStringLiteral("Patterns: 4"));
  chosen_.clear();
  dialogKinds_.clear();
  messages_.clear();
}

void BadInputTest::cleanup() { window_.reset(); }

// A table without header: the reader asks for the counts while the
// progress dialog is up; cancelling the question cancels the reading.
void BadInputTest::aCancelledReadingKeepsTheEarlierSet() {
  std::string table;
  for (int row = 0; row < 50000; ++row) table += "0.25 0.5 1\n";
  chosen_ = {write("plain.trn", table)};
  bool progressShown = false;
  test::answerNextModal(
      [&](QWidget* question) {
        progressShown = QApplication::topLevelWidgets().contains(question->parentWidget()->window()) &&
                        question->parentWidget()->window()->objectName() == QLatin1String("dataReadDialog");
        test::clickButton(question, QStringLiteral("ctl2"));
      },
      test::modalNamed(QStringLiteral("inputsOutputsDialog")));
  press(ControlId::TrainingData);
  QVERIFY(progressShown);
  QCOMPARE(shown(ControlId::TrainingFileText), QStringLiteral("xor.trn"));
  QCOMPARE(shown(ControlId::TrainingPatternsText), QStringLiteral("Patterns: 4"));
  QVERIFY(window_->control(ControlId::Train)->isEnabled());
}

void BadInputTest::aConfigurationNamingMissingFilesAsksForThem() {
  const std::string config =
      write("lost.net", "[LAYERS] 3\n[HIDDEN1] 2 1\n[TRAININGFILE] gone.trn\n[TESTFILE] gone.tst\n");
  chosen_ = {QFile::encodeName(dir_.filePath(QStringLiteral("xor.trn"))).toStdString()};
  window_->openCommandLineFile(config);
  QCOMPARE(dialogKinds_, (std::vector<FileKind>{FileKind::Training, FileKind::Testing}));
  QCOMPARE(window_->windowTitle(), QStringLiteral("Nodelyx - lost.net"));
  QCOMPARE(shown(ControlId::TrainingFileText), QStringLiteral("xor.trn"));
  QCOMPARE(shown(ControlId::TestingFileText), QString());
}

// The weights bring their own topology; the testing and training sets of
// the other one are discarded with a message saying so.
void BadInputTest::weightsOfAnotherTopologyAreExplained() {
  const std::string weights = write("classes.wts",
                                    "[layers] 3\n[layersizes] 2 2 3\n[layertypes] 1 1\n[Weights]\n"
                                    "0.1 0.2 0.3\n0.4 0.5 0.6\n\n0.1 0.2 0.3\n0.4 0.5 0.6\n0.7 0.8 0.9\n");
  chosen_ = {weights};
  answerMessages();
  press(ControlId::LoadWeights);
  QTRY_VERIFY(!messages_.isEmpty());
  QCOMPARE(shown(ControlId::OutputCountText), QStringLiteral("3"));
  QCOMPARE(shown(ControlId::WeightsFileText), QStringLiteral("classes.wts"));
}

QTEST_MAIN(BadInputTest)
#include "bad_input_test.moc"
