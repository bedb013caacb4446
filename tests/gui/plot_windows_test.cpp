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

#include "gui/error_plot_window.h"
#include "gui/file_dialogs.h"
#include "gui/history_window.h"
#include "gui/main_window.h"
#include "gui/message_box.h"
#include "gui/network_view_window.h"
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
  void thePlotsFollowARealRun();
  void resizingMinimisingAndClosingDuringARun();

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

void PlotWindowsTest::thePlotsFollowARealRun() {
  openExample("classes.net");
  for (const ControlId id : {ControlId::ViewErrorPlot, ControlId::ViewNetwork})
    window_->commandAction(id)->trigger();
  ErrorPlotWindow* plot = window_->errorPlot();
  NetworkViewWindow* view = window_->networkView();
  QVERIFY(plot->isVisible() && view->isVisible());
  const int fullDrawsBefore = view->drawCounts().full;
  trainToTheEnd();
  // Every stored sample reached the plot, and the view redrew its lines
  // while the run went on.
  QVERIFY(window_->session().samples.count > 1);
  QCOMPARE(plot->plot().nextSample(), window_->session().samples.count);
  QVERIFY(view->drawCounts().linesOnly > 0);
  QVERIFY(view->drawCounts().full > fullDrawsBefore);  // the new network
  saveScreenshot(plot, QStringLiteral("after_training_error_plot"));
  saveScreenshot(view, QStringLiteral("after_training_network_view"));
  saveScreenshot(window_.get(), QStringLiteral("after_training_main_window"));
  window_->commandAction(ControlId::ViewTrainingHistory)->trigger();
  saveScreenshot(window_->toolWindow(ToolWindow::HistoryWindow), QStringLiteral("after_training_history"));
}

void PlotWindowsTest::resizingMinimisingAndClosingDuringARun() {
  openExample("classes.net");
  auto* epochs = control<QLineEdit>(ControlId::MaxEpochs);
  epochs->setFocus();
  epochs->selectAll();
  QTest::keyClicks(epochs, QStringLiteral("2000000000"));
  QTest::keyClick(epochs, Qt::Key_Return);
  QCOMPARE(window_->session().config.maxEpochs(), 2000000000);
  for (ControlId id : {ControlId::EnforceTrainingStop, ControlId::EnforceTestingStop}) {
    if (control<QCheckBox>(id)->isChecked()) control<QCheckBox>(id)->click();
  }
  QCOMPARE(window_->session().config.enforceTrainingStop() + window_->session().config.enforceTestingStop(),
           0);
  for (const ControlId id : {ControlId::ViewErrorPlot, ControlId::ViewNetwork})
    window_->commandAction(id)->trigger();
  QTest::mouseClick(control(ControlId::Train), Qt::LeftButton);
  QVERIFY(window_->session().runActive());
  QWidget* plot = window_->errorPlot();
  QWidget* view = window_->networkView();
  for (QWidget* shown : {plot, view}) {
    shown->resize(1, 1);
    QTest::qWait(100);
    shown->showMinimized();
    QTest::qWait(100);
    shown->close();  // hides: the run goes on without it
    QTest::qWait(100);
  }
  QVERIFY(!plot->isVisible() && !view->isVisible());
  for (const ControlId id : {ControlId::ViewErrorPlot, ControlId::ViewNetwork})
    window_->commandAction(id)->trigger();
  QVERIFY(plot->isVisible() && view->isVisible());
  plot->resize(480, 360);  // the size they last had was too small to draw in
  view->resize(480, 360);
  QTest::qWait(200);
  QVERIFY(window_->session().runActive());
  QTest::mouseClick(control(ControlId::Stop), Qt::LeftButton);
  QTRY_VERIFY_WITH_TIMEOUT(!window_->session().runActive() && control(ControlId::Train)->isEnabled(), 10000);
  QTRY_COMPARE(window_->errorPlot()->plot().nextSample(), window_->session().samples.count);
}

QTEST_MAIN(PlotWindowsTest)
#include "plot_windows_test.moc"
