// What surrounds the panel in the main window: the toolbar and its run
// states, the status hints, the recent files across two starts, the
// Advanced Settings sheet and the About box, each as a user sees it.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <memory>

#include "about/system_info.h"
#include "gui/about_dialog.h"
#include "gui/advanced_settings_dialog.h"
#include "gui/file_dialogs.h"
#include "gui/main_window.h"
#include "gui/scaling_options_dialog.h"
#include "gui/scaling_tool_dialog.h"
#include "support/modal.h"
#include "support/screens.h"

using namespace nodelyx;
using test::examplePath;
using test::saveScreenshot;
using test::screenScale;

namespace {

QStringList recentMenuTexts(const MainWindow& window) {
  QStringList texts;
  for (int k = 0; k < 4; ++k) {
    const QAction* action = window.commandAction(static_cast<ControlId>(41001 + k));
    if (action != nullptr && action->isVisible()) texts << action->text();
  }
  return texts;
}

}  // namespace

class ShellTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void aFirstStartCreatesAnEmptyRecentList();
  void theRecentListSurvivesARestartAndReopens();
  void toolbarOrderAndRunStates();
  void statusHintsFollowThePointerAndTheMenus();
  void advancedSettingsShowAndStoreTheValues();
  void aboutBoxShowsTheProductAndTheSystem();
  void f1OpensTheHelpOfTheFocusedField();
  void theSettingsMenuOpensBothScalingDialogs();

 private:
  template <typename T = QWidget>
  T* control(ControlId id) const {
    return window_->findChild<T*>(QString::fromStdString(controlObjectName(id)));
  }
  void startWindow();
  void openExample(const char* name) {
    window_->openCommandLineFile(QFile::encodeName(examplePath(name)).toStdString());
  }

  std::unique_ptr<MainWindow> window_;
};

void ShellTest::initTestCase() {
  setFileChooserForTests([](FileKind, DialogMode, std::string&) { return ChooseResult::Cancelled; });
}

void ShellTest::init() { startWindow(); }

void ShellTest::startWindow() {
  // The program's folder, where the build puts the help book.
  window_ = std::make_unique<MainWindow>(std::filesystem::path(NODELYX_PROGRAM_DIR));
  window_->resize(window_->startSize());
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  window_->initialize();
}

void ShellTest::cleanup() { window_.reset(); }

void ShellTest::aFirstStartCreatesAnEmptyRecentList() {
  QSettings settings(QStringLiteral("Brevik"), QStringLiteral("Nodelyx"));
  settings.beginGroup(QStringLiteral("Recent File List"));
  QCOMPARE(settings.childKeys(), (QStringList{"File1", "File2", "File3", "File4"}));
  for (const QString& key : settings.childKeys()) QCOMPARE(settings.value(key).toString(), QString());
  QVERIFY(recentMenuTexts(*window_).isEmpty());
  // "Save Network &as..." is followed by the separator before the export
  // commands only.
  const QList<QAction*> items = window_->menuBar()->actions().first()->menu()->actions();
  QCOMPARE(items[3]->objectName(), QStringLiteral("cmd24334"));
  QVERIFY(items[4]->isSeparator());
  QCOMPARE(items[5]->objectName(), QStringLiteral("cmd40019"));
}

void ShellTest::theRecentListSurvivesARestartAndReopens() {
  openExample("xor.net");
  openExample("classes.net");
  const QStringList expected{examplePath("classes.net"), examplePath("xor.net")};
  QCOMPARE(recentMenuTexts(*window_), expected);
  startWindow();  // a second start reads the list back
  QCOMPARE(recentMenuTexts(*window_), expected);
  const QList<QAction*> items = window_->menuBar()->actions().first()->menu()->actions();
  QVERIFY(items[4]->isVisible() && items[4]->isSeparator());
  QCOMPARE(items[5]->objectName(), QStringLiteral("cmd41001"));

  window_->commandAction(ControlId::RecentFile2)->trigger();
  QCOMPARE(QString::fromStdString(window_->session().networkFile), examplePath("xor.net"));
  QCOMPARE(recentMenuTexts(*window_), (QStringList{examplePath("xor.net"), examplePath("classes.net")}));
}

void ShellTest::toolbarOrderAndRunStates() {
  auto* toolbar = window_->findChild<QToolBar*>(QStringLiteral("toolbar"));
  QVERIFY(toolbar != nullptr);
  QStringList order;
  for (const QAction* action : toolbar->actions())
    order << (action->isSeparator() ? QStringLiteral("|") : action->objectName());
  QCOMPARE(order, (QStringList{"|", "cmd24331", "cmd24332", "cmd24333", "|", "cmd9102", "cmd9101", "cmd40008",
                               "cmd40007", "|", "|", "cmd555", "cmd2", "|"}));
  QAction* train = window_->commandAction(ControlId::Train);
  QAction* stop = window_->commandAction(ControlId::Stop);
  QCOMPARE(window_->commandAction(ControlId::ViewErrorPlot)->toolTip(),
           QStringLiteral("View Training Error"));
  QCOMPARE(train->toolTip(), QStringLiteral("Train Network"));
  QVERIFY(!train->isEnabled() && !stop->isEnabled() && stop->isChecked());
  saveScreenshot(toolbar, QStringLiteral("toolbar"));

  openExample("classes.net");
  QVERIFY(train->isEnabled() && stop->isChecked());
  // A run far longer than the test, however busy the machine: the field is
  // committed with Return, as a user would.
  auto* maxEpochs = control<QLineEdit>(ControlId::MaxEpochs);
  maxEpochs->setFocus();
  maxEpochs->setText(QStringLiteral("2000000000"));
  QTest::keyClick(maxEpochs, Qt::Key_Return);
  // On the check mark: the Training box reaches under the Testing box, so
  // a click in its middle lands on the other.
  for (ControlId id : {ControlId::EnforceTrainingStop, ControlId::EnforceTestingStop}) {
    auto* box = control<QCheckBox>(id);
    if (box->isChecked())
      QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->height() / 2, box->height() / 2));
  }
  QCOMPARE(window_->session().config.maxEpochs(), 2000000000);
  QCOMPARE(window_->session().config.enforceTrainingStop(), 0);
  QTest::mouseClick(toolbar->widgetForAction(train), Qt::LeftButton);
  QVERIFY(window_->session().runActive());
  QVERIFY(train->isChecked() && !train->isEnabled() && stop->isEnabled());
  QTest::mouseClick(toolbar->widgetForAction(stop), Qt::LeftButton);
  QTRY_VERIFY_WITH_TIMEOUT(!window_->session().runActive() && train->isEnabled(), 10000);
  QVERIFY(stop->isChecked() && !stop->isEnabled());
}

void ShellTest::statusHintsFollowThePointerAndTheMenus() {
  auto* status = window_->findChild<QLabel*>(QStringLiteral("statusText"));
  QCOMPARE(status->text(), QStringLiteral("Ready"));
  QEvent enter(QEvent::Enter);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(control(ControlId::LearningRate), &enter);
  QCOMPARE(status->text(), QStringLiteral("Network learning rate (eta) (1.19209e-07 <= eta <= 100)"));
  QApplication::sendEvent(control(ControlId::LearningRate), &leave);
  QCOMPARE(status->text(), QStringLiteral("For Help, press F1"));

  QMenu* fileMenu = window_->menuBar()->actions().first()->menu();
  emit fileMenu->hovered(window_->commandAction(ControlId::SaveNetworkAs));
  QCOMPARE(status->text(), QStringLiteral("Save the active network with a new name"));
  emit fileMenu->hovered(window_->commandAction(ControlId::WriteCCode));
  QCOMPARE(status->text(), QStringLiteral("Save the active network with a new name"));
  emit fileMenu->aboutToHide();
  QCOMPARE(status->text(), QStringLiteral("Ready"));
  QVERIFY(window_->statusBar()->isSizeGripEnabled());
}

void ShellTest::advancedSettingsShowAndStoreTheValues() {
  bool seen = false;
  test::answerNextModal(
      [&seen, this](QWidget* sheet) {
        auto* pages = sheet->findChild<QTabWidget*>(QStringLiteral("pages"));
        QCOMPARE(pages->count(), 4);
        QCOMPARE(pages->tabText(1), QStringLiteral("RProp"));
        QCOMPARE(pages->currentWidget()->findChild<QLineEdit*>(QStringLiteral("ctl10"))->text(),
                 QStringLiteral("1.750000"));
        pages->setCurrentIndex(1);
        auto* increase = pages->currentWidget()->findChild<QLineEdit*>(QStringLiteral("ctl10"));
        QCOMPARE(increase->text(), QStringLiteral("1.200000"));
        increase->setFocus();
        increase->selectAll();
        QTest::keyClicks(increase, QStringLiteral("2.5"));
        QTest::keyClick(increase, Qt::Key_Return);
        QCOMPARE(window_->session().config.rpropIncrease(), 2.5);
        saveScreenshot(sheet, QStringLiteral("advanced_settings"));
        pages->setCurrentIndex(3);
        QTest::mouseClick(pages->currentWidget()->findChild<QCheckBox*>(QStringLiteral("ctl1014")),
                          Qt::LeftButton);
        seen = true;
        test::clickButton(sheet, QStringLiteral("ctl2"));  // Cancel keeps what was stored
      },
      test::modalNamed(QString::fromLatin1(kAdvancedSettingsObjectName)));
  window_->commandAction(ControlId::AdvancedSettings)->trigger();
  QVERIFY(seen);
  QCOMPARE(window_->session().config.rpropIncrease(), 2.5);
  QCOMPARE(window_->session().config.shuffleOnLoad(), 1);
  QVERIFY(window_->session().networkModified);
}

void ShellTest::aboutBoxShowsTheProductAndTheSystem() {
  SystemInfo info;
  info.processor = "AMD 80686";
  info.processorMhz = 3001;
  info.totalMemoryKb = 24576000;
  info.freeMemoryPercent = 87;
  info.operatingSystem = "Linux 6.1.0-18-amd64\n#1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1";
  std::unique_ptr<QDialog> about(createAboutDialog(window_.get(), info));
  about->show();
  QCOMPARE(about->findChild<QLabel*>(QStringLiteral("ctl1045"))->text(),
           QString::fromStdString(aboutTitleText()));
  QCOMPARE(about->findChild<QLabel*>(QStringLiteral("ctl67"))->text(),
           QStringLiteral("Processor:\nTotal memory:\nFree memory:\nOperating System:"));
  QCOMPARE(
      about->findChild<QLabel*>(QStringLiteral("ctl69"))->text(),
      QStringLiteral("AMD 80686 3001MHz\n24576000 KB\n87 %\nLinux 6.1.0-18-amd64\n#1 SMP PREEMPT_DYNAMIC "
                     "Debian 6.1.76-1"));
  saveScreenshot(about.get(), QStringLiteral("about"));
  about.reset();

  // The menu command measures this machine and shows the same box.
  bool shown = false;
  test::answerNextModal(
      [&shown](QWidget* box) {
        shown = !box->findChild<QLabel*>(QStringLiteral("ctl69"))->text().isEmpty();
        test::clickButton(box, QStringLiteral("ctl1"));
      },
      test::modalNamed(QString::fromLatin1(kAboutDialogObjectName)));
  window_->commandAction(ControlId::About)->trigger();
  QVERIFY(shown);
}

void ShellTest::f1OpensTheHelpOfTheFocusedField() {
  const auto shownPage = [this] {
    QWidget* help = window_->helpWindow();
    if (help == nullptr || !help->isVisible()) return QString();
    return help->findChild<QTextBrowser*>(QStringLiteral("helpBrowser"))->source().fileName() +
           QLatin1Char('#') +
           help->findChild<QTextBrowser*>(QStringLiteral("helpBrowser"))->source().fragment();
  };
  control(ControlId::HiddenLayerCount)->setFocus();
  QTest::keyClick(window_.get(), Qt::Key_F1);
  QCOMPARE(shownPage(), QStringLiteral("settings.html#layers"));
  window_->activateWindow();
  control(ControlId::TrainingMethodList)->setFocus();
  QTest::keyClick(window_.get(), Qt::Key_F1);
  QCOMPARE(shownPage(), QStringLiteral("index.html#"));
  window_->commandAction(ControlId::HelpContents)->trigger();
  QCOMPARE(shownPage(), QStringLiteral("index.html#"));
}

void ShellTest::theSettingsMenuOpensBothScalingDialogs() {
  openExample("sine.net");
  QString inputCount;
  test::answerNextModal(
      [&inputCount](QWidget* tool) {
        inputCount = tool->findChild<QLineEdit*>(QStringLiteral("ctl106"))->text();
        test::clickButton(tool, QStringLiteral("ctl1037"));  // Exit
      },
      test::modalNamed(QString::fromLatin1(kScalingToolDialogObjectName)));
  window_->commandAction(ControlId::DataScaling)->trigger();
  QCOMPARE(inputCount, QStringLiteral("1"));  // the loaded training set's counts

  bool optionsShown = false;
  test::answerNextModal(
      [&optionsShown](QWidget* options) {
        optionsShown = true;
        test::clickButton(options, QStringLiteral("ctl1"));
      },
      test::modalNamed(QString::fromLatin1(kScalingOptionsDialogObjectName)));
  window_->commandAction(ControlId::ScalingSettings)->trigger();
  QVERIFY(optionsShown);
}

QTEST_MAIN(ShellTest)
#include "shell_test.moc"
