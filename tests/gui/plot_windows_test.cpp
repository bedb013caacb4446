// The View menu's windows beside the main window with its real controller:
// the training history, and the error plot and network view following a
// real training run, with screenshots of all three.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "gui/file_dialogs.h"
#include "gui/history_window.h"
#include "gui/main_window.h"
#include "gui/message_box.h"
#include "gui/plot_output.h"
#include "support/modal.h"
#include "support/screens.h"

using namespace nodelyx;
using test::examplePath;
using test::saveScreenshot;
using test::screenScale;

namespace {

int pdfPageCount(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return -1;
  const QByteArray bytes = file.readAll();
  return static_cast<int>(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
                          bytes.count("/Type /Page/") + bytes.count("/Type /Page>"));
}

}  // namespace

class PlotWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void historyNeedsTrainedWeightsThenShowsAndPrints();

 private:
  template <typename T = QWidget>
  T* control(ControlId id) const {
    return window_->findChild<T*>(QString::fromStdString(controlObjectName(id)));
  }
  void openExample(const char* name) {
    window_->openCommandLineFile(QFile::encodeName(examplePath(name)).toStdString());
  }
  void trainToTheEnd() {
    QTest::mouseClick(control(ControlId::Train), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->session().runActive() && control(ControlId::Train)->isEnabled(),
                             30000);
  }

  std::unique_ptr<MainWindow> window_;
  QTemporaryDir folder_;
};

void PlotWindowsTest::initTestCase() {
  setFileChooserForTests([](FileKind, DialogMode, std::string&) { return ChooseResult::Cancelled; });
}

void PlotWindowsTest::init() {
  window_ = std::make_unique<MainWindow>(std::filesystem::path(NODELYX_EXAMPLES_DIR));
  window_->resize(window_->startSize());
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  window_->initialize();
}

void PlotWindowsTest::cleanup() {
  setPlotPrinterForTests({});
  window_.reset();
}

void PlotWindowsTest::historyNeedsTrainedWeightsThenShowsAndPrints() {
  openExample("xor.net");
  QString warning;
  test::answerNextModal(
      [&warning](QWidget* box) {
        warning = box->windowTitle();
        static_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
      },
      test::modalNamed(QString::fromLatin1(kMessageBoxObjectName)));
  window_->commandAction(ControlId::ViewTrainingHistory)->trigger();
  QTRY_COMPARE(warning, QStringLiteral("Warning - Training history not available."));
  QVERIFY(window_->toolWindow(ToolWindow::HistoryWindow) == nullptr);

  trainToTheEnd();
  window_->commandAction(ControlId::ViewTrainingHistory)->trigger();
  QPointer<QWidget> first = window_->toolWindow(ToolWindow::HistoryWindow);
  QVERIFY(first != nullptr && first->isVisible());
  auto* text = first->findChild<QPlainTextEdit*>(QStringLiteral("historyText"));
  QVERIFY(text->toPlainText().contains(QStringLiteral("Train_algorithm")));
  QVERIFY(QFontInfo(text->font()).fixedPitch());
  saveScreenshot(first, QStringLiteral("training_history"));

  const QString pdf = folder_.filePath(QStringLiteral("history.pdf"));
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  setPlotPrinterForTests([&printer] { return &printer; });
  static_cast<HistoryWindow*>(first.data())->print();
  QCOMPARE(pdfPageCount(pdf), 1);

  // Each opening shows the history as it is then, in a new window.
  window_->commandAction(ControlId::ViewTrainingHistory)->trigger();
  QVERIFY(first.isNull());
  QVERIFY(window_->toolWindow(ToolWindow::HistoryWindow)->isVisible());
}

QTEST_MAIN(PlotWindowsTest)
#include "plot_windows_test.moc"
