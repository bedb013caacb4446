// The main window with its real controller on a 1024 × 768 offscreen
// screen: menus, panel controls, keyboard handling of the fields, loading and
// training the examples, Stop and closing during a run, and screenshots.
#include "gui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <vector>

#include "app/panel_fields.h"
#include "gui/file_dialogs.h"
#include "gui/message_box.h"
#include "gui/spin_buttons.h"
#include "support/screens.h"

using namespace nodelyx;
using test::examplePath;
using test::saveScreenshot;
using test::screenScale;

namespace {

// Answers every message box that shows while it lives with the given
// button, and keeps what each said.
class MessageBoxAnswerer : public QObject {
 public:
  explicit MessageBoxAnswerer(QMessageBox::StandardButton answer) : answer_(answer) {
    connect(&timer_, &QTimer::timeout, this, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || box->objectName() != QLatin1String(kMessageBoxObjectName)) return;
      texts.push_back(box->windowTitle() + QStringLiteral(": ") + box->text());
      QAbstractButton* button = box->button(answer_);
      if (button == nullptr) button = box->button(QMessageBox::Ok);
      button->click();
    });
    timer_.start(10);
  }
  QStringList texts;

 private:
  QMessageBox::StandardButton answer_;
  QTimer timer_;
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void menusShowTheirCommandsInOrder();
  void everyPanelControlHasItsNamesAndLabel();
  void theWindowFitsTheScreen();
  void tabFollowsThePanelAndSelectsTheText();
  void enterCommitsWithoutMovingTheFocus();
  void aRefusedValueIsReportedOnceWhenLeaving();
  void theHiddenLayerCountCommitsWhileTyped();
  void viewMenuShowsEachWindowOnce();
  void checksListsDropsAndExitReachTheLogic();
  void openingAConfigurationFillsThePanel();
  void trainingRunsToTheEnd();
  void stopEndsALongRun();
  void closingDuringARunWaitsForIt();
  void screenshotsBeforeAndAfterTraining();

 private:
  template <typename T = QWidget>
  T* control(ControlId id) const {
    return window_->findChild<T*>(QString::fromStdString(controlObjectName(id)));
  }
  void openExample(const char* name);
  void typeInto(ControlId id, const QString& text);
  void startLongRun();
  bool runButtonsIdle() const;

  std::unique_ptr<MainWindow> window_;
  int fileDialogs_ = 0;
};

void MainWindowTest::initTestCase() {
  // Every file these tests open is named; a file dialog would be a fault.
  setFileChooserForTests([this](FileKind, DialogMode, std::string&) {
    ++fileDialogs_;
    return ChooseResult::Cancelled;
  });
}

void MainWindowTest::init() {
  window_ = std::make_unique<MainWindow>(std::filesystem::path(NODELYX_EXAMPLES_DIR));
  window_->resize(window_->startSize());
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  window_->initialize();
}

void MainWindowTest::cleanup() {
  // Destroying the window ends a run still going, without questions.
  window_.reset();
  QCOMPARE(fileDialogs_, 0);
}

void MainWindowTest::openExample(const char* name) {
  window_->openCommandLineFile(QFile::encodeName(examplePath(name)).toStdString());
}

void MainWindowTest::typeInto(ControlId id, const QString& text) {
  auto* edit = control<QLineEdit>(id);
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, text);
  QTest::keyClick(edit, Qt::Key_Return);
}

bool MainWindowTest::runButtonsIdle() const {
  return control(ControlId::Train)->isEnabled() && !control(ControlId::Stop)->isEnabled();
}

void MainWindowTest::menusShowTheirCommandsInOrder() {
  struct Item {
    const char* text;  // null: a separator
    ControlId id;
  };
  const std::vector<std::pair<QString, std::vector<Item>>> expected = {
      {"&File",
       {{"&New Network", ControlId::NewNetwork},
        {"&Open Network", ControlId::OpenNetwork},
        {"&Save Network", ControlId::SaveNetwork},
        {"Save Network &as...", ControlId::SaveNetworkAs},
        {nullptr, ControlId::None},
        {"Write network as &C code", ControlId::WriteCCode},
        {"Write network as &Pascal code", ControlId::WritePascalCode},
        {"Write network as &Matlab code", ControlId::WriteMatlabCode},
        {nullptr, ControlId::None},
        {"E&xit", ControlId::Exit}}},
      {"&View",
       {{"&Network", ControlId::ViewNetwork},
        {"Training &Error Plot", ControlId::ViewErrorPlot},
        {"&Contour Plot", ControlId::ViewContourPlot},
        {"Network &Analysis Plot", ControlId::ViewAnalysisPlot},
        {"&Training History", ControlId::ViewTrainingHistory}}},
      {"&Settings",
       {{"&Advanced Settings...", ControlId::AdvancedSettings},
        {nullptr, ControlId::None},
        {"Data &Scaling...", ControlId::DataScaling},
        {"Scaling &Options...", ControlId::ScalingSettings}}},
      {"&Help",
       {{"&Help", ControlId::HelpContents}, {nullptr, ControlId::None}, {"&About...", ControlId::About}}},
  };
  const QList<QAction*> menus = window_->menuBar()->actions();
  QCOMPARE(menus.size(), static_cast<qsizetype>(expected.size()));
  for (std::size_t m = 0; m < expected.size(); ++m) {
    QCOMPARE(menus[m]->text(), expected[m].first);
    const QList<QAction*> items = menus[m]->menu()->actions();
    QCOMPARE(items.size(), static_cast<qsizetype>(expected[m].second.size()));
    for (qsizetype i = 0; i < items.size(); ++i) {
      const Item& item = expected[m].second[static_cast<std::size_t>(i)];
      if (item.text == nullptr) {
        QVERIFY2(items[i]->isSeparator(), qPrintable(expected[m].first));
        continue;
      }
      QCOMPARE(items[i]->text(), QString::fromUtf8(item.text));
      QCOMPARE(items[i]->objectName(), QString::fromStdString(commandObjectName(item.id)));
      QCOMPARE(window_->commandAction(item.id), items[i]);
    }
  }
}

void MainWindowTest::everyPanelControlHasItsNamesAndLabel() {
  for (const PanelField& field : panelFields()) {
    const QString name = QString::fromStdString(controlObjectName(field.id));
    QWidget* widget = control(field.id);
    QVERIFY2(widget != nullptr, qPrintable(name));
    if (field.id == ControlId::HiddenLayerSpin) continue;
    QCOMPARE(widget->accessibleName(), QString::fromStdString(accessibleName(field)));
    // Every numeric field has a label that gives the focus to it.
    if (field.kind == FieldKind::Float || field.kind == FieldKind::Integer) {
      const QList<QLabel*> labels = window_->findChildren<QLabel*>();
      const bool found = std::any_of(labels.begin(), labels.end(),
                                     [widget](const QLabel* label) { return label->buddy() == widget; });
      QVERIFY2(found, qPrintable(name + QStringLiteral(" has no label")));
    }
  }
  QCOMPARE(control(ControlId::TrainRms)->accessibleName(), QStringLiteral("Training Avg RMS Error"));
  QCOMPARE(control(ControlId::TestRms)->accessibleName(), QStringLiteral("Testing Avg RMS Error"));
  QVERIFY(control<SpinButtons>(ControlId::HiddenLayerSpin) != nullptr);
  QCOMPARE(control<QComboBox>(ControlId::TrainingMethodList)->count(), 6);
  QCOMPARE(control<QComboBox>(ControlId::OutputActivation)->itemText(3), QStringLiteral("Gaussian"));
}

void MainWindowTest::theWindowFitsTheScreen() {
  const QSize size = window_->startSize();
  QVERIFY2(size.width() <= 1024 && size.height() <= 740,
           qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
  QVERIFY(window_->minimumSizeHint().width() <= size.width());
  QVERIFY(window_->minimumSizeHint().height() <= size.height());
  // Nothing of the panel is cut off at the start size.
  const QRect panel = window_->centralWidget()->rect();
  for (const PanelField& field : panelFields()) {
    QWidget* widget = control(field.id);
    const QRect placed(widget->mapTo(window_->centralWidget(), QPoint(0, 0)), widget->size());
    QVERIFY2(panel.contains(placed), qPrintable(widget->objectName()));
  }
}

void MainWindowTest::tabFollowsThePanelAndSelectsTheText() {
  std::vector<QWidget*> chain;
  for (const PanelField& field : panelFields()) {
    QWidget* widget = control(field.id);
    if (widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus)) chain.push_back(widget);
  }
  chain.front()->setFocus();
  for (std::size_t i = 1; i < chain.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), chain[i]);
    if (auto* edit = qobject_cast<QLineEdit*>(chain[i])) QCOMPARE(edit->selectedText(), edit->text());
  }
  for (std::size_t i = chain.size() - 1; i-- > 0;) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), chain[i]);
  }
}

void MainWindowTest::enterCommitsWithoutMovingTheFocus() {
  typeInto(ControlId::LearningRate, QStringLiteral("0.5"));
  QCOMPARE(window_->session().config.learningRate(), 0.5);
  QVERIFY(control(ControlId::LearningRate)->hasFocus());

  MessageBoxAnswerer answerer(QMessageBox::Ok);
  typeInto(ControlId::LearningRate, QStringLiteral("0"));
  QCOMPARE(answerer.texts,
           QStringList{QStringLiteral("Invalid data: The valid range is from 1.19209e-07 to 100")});
  QCOMPARE(window_->session().config.learningRate(), 0.5);
  auto* edit = control<QLineEdit>(ControlId::LearningRate);
  QCOMPARE(edit->text(), QStringLiteral("0.5"));
  // The field has the window's focus again (the offscreen platform does not
  // give the activation back after a message box by itself).
  window_->activateWindow();
  QTRY_VERIFY(edit->hasFocus());
  QCOMPARE(edit->selectedText(), edit->text());
}

void MainWindowTest::aRefusedValueIsReportedOnceWhenLeaving() {
  auto* edit = control<QLineEdit>(ControlId::MaxEpochs);
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Backspace);
  MessageBoxAnswerer answerer(QMessageBox::Ok);
  QTest::keyClick(edit, Qt::Key_Tab);
  QTRY_COMPARE(answerer.texts.size(), 1);
  QTest::qWait(100);
  const auto limit = static_cast<qulonglong>(findPanelField(ControlId::MaxEpochs)->max);
  QCOMPARE(answerer.texts,
           QStringList{QStringLiteral("Invalid data: The valid range is from 1 to %1").arg(limit)});
  QCOMPARE(edit->text(), QStringLiteral("100000"));
  window_->activateWindow();
  QTRY_COMPARE(QApplication::focusWidget(), edit);
  QCOMPARE(edit->selectedText(), edit->text());
}

void MainWindowTest::theHiddenLayerCountCommitsWhileTyped() {
  auto* count = control<QLineEdit>(ControlId::HiddenLayerCount);
  count->setFocus();
  count->selectAll();
  QTest::keyClicks(count, QStringLiteral("0"));
  QVERIFY(count->hasFocus());
  for (int layer = 1; layer <= 5; ++layer) {
    QVERIFY(!control(hiddenNeuronsControl(layer))->isEnabled());
    QVERIFY(!control(hiddenActivationControl(layer))->isEnabled());
  }
  auto* spin = control<SpinButtons>(ControlId::HiddenLayerSpin);
  for (int step = 0; step < 7; ++step) spin->step(1);
  QCOMPARE(count->text(), QStringLiteral("5"));
  for (int layer = 1; layer <= 5; ++layer) QVERIFY(control(hiddenNeuronsControl(layer))->isEnabled());
  QTest::keyClick(count, Qt::Key_Down);
  QCOMPARE(count->text(), QStringLiteral("4"));
  QVERIFY(!control(hiddenNeuronsControl(5))->isEnabled());
}

void MainWindowTest::viewMenuShowsEachWindowOnce() {
  const std::vector<std::tuple<ControlId, ToolWindow, QString>> windows = {
      {ControlId::ViewNetwork, ToolWindow::NetworkView, "View - Weights"},
      {ControlId::ViewErrorPlot, ToolWindow::ErrorPlot, "Network Error Plot"},
      {ControlId::ViewContourPlot, ToolWindow::ContourPlot, "3D Surface Plot"},
  };
  for (const auto& [command, which, title] : windows) {
    window_->commandAction(command)->trigger();
    QWidget* shown = window_->toolWindow(which);
    QVERIFY2(shown != nullptr && shown->isVisible(), qPrintable(title));
    QCOMPARE(shown->windowTitle(), title);
    shown->hide();
    window_->commandAction(command)->trigger();
    QCOMPARE(window_->toolWindow(which), shown);
    QVERIFY(shown->isVisible());
  }
}

void MainWindowTest::checksListsDropsAndExitReachTheLogic() {
  const NetworkConfig& config = window_->session().config;
  QTest::mouseClick(control(ControlId::CrossValidate), Qt::LeftButton);
  QCOMPARE(config.plotMemorization(), 1);

  auto* methods = control<QComboBox>(ControlId::TrainingMethodList);
  methods->setFocus();
  QTest::keyClick(methods, Qt::Key_Down);
  QCOMPARE(methods->currentText(), QStringLiteral("Batch Backprop"));
  QCOMPARE(config.trainingMethod(), TrainingMethod::BatchBackprop);

  // A dropped configuration replaces the modified settings: No to saving.
  MessageBoxAnswerer answerer(QMessageBox::No);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(examplePath("xor.net"))});
  QDropEvent drop(QPointF(window_->rect().center()), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  // Straight to the window: QApplication delivers drops only during a drag.
  static_cast<QObject*>(window_.get())->event(&drop);
  QTRY_COMPARE(window_->windowTitle(), QStringLiteral("Nodelyx - xor.net"));
  QCOMPARE(control<QLabel>(ControlId::TrainingFileText)->text(), QStringLiteral("xor.trn"));
  QCOMPARE(answerer.texts.size(), 1);

  window_->commandAction(ControlId::Exit)->trigger();
  QTRY_VERIFY(!window_->isVisible());
}

void MainWindowTest::openingAConfigurationFillsThePanel() {
  openExample("xor.net");
  QCOMPARE(window_->windowTitle(), QStringLiteral("Nodelyx - xor.net"));
  QCOMPARE(control<QLabel>(ControlId::InputCountText)->text(), QStringLiteral("2"));
  QCOMPARE(control<QLabel>(ControlId::OutputCountText)->text(), QStringLiteral("1"));
  QCOMPARE(control<QLabel>(ControlId::TrainingFileText)->text(), QStringLiteral("xor.trn"));
  QCOMPARE(control<QLabel>(ControlId::TestingFileText)->text(), QStringLiteral("xor.tst"));
  QCOMPARE(control<QLabel>(ControlId::TrainingPatternsText)->text(), QStringLiteral("Patterns: 4"));
  QCOMPARE(control<QComboBox>(ControlId::TrainingMethodList)->currentText(), QStringLiteral("RPROP"));
  QVERIFY(!control(ControlId::LearningRate)->isEnabled());
  QCOMPARE(control<QLineEdit>(ControlId::HiddenNeurons1)->text(), QStringLiteral("3"));
  QVERIFY(control(ControlId::Train)->isEnabled());
  QVERIFY(!control(ControlId::Stop)->isEnabled());
}

void MainWindowTest::trainingRunsToTheEnd() {
  openExample("xor.net");
  QTest::mouseClick(control(ControlId::Train), Qt::LeftButton);
  QTRY_VERIFY_WITH_TIMEOUT(!window_->session().runActive() && runButtonsIdle(), 20000);
  const Session& session = window_->session();
  QVERIFY(session.epochCount > 0);
  QCOMPARE(control<QLabel>(ControlId::TrainEpoch)->text(), QString::number(session.epochCount));
  QVERIFY(!control<QLabel>(ControlId::TrainRms)->text().isEmpty());
  QVERIFY(!control<QLabel>(ControlId::TestRms)->text().isEmpty());
  QVERIFY(control(ControlId::Test)->isEnabled());
  QVERIFY(control(ControlId::SaveWeights)->isEnabled());
  QVERIFY(control(ControlId::TrainingData)->isEnabled());
}

void MainWindowTest::startLongRun() {
  openExample("classes.net");
  typeInto(ControlId::MaxEpochs, QStringLiteral("2000000000"));
  // Only the epoch limit and Stop end the run. The boxes are clicked on
  // their check marks: the Training box reaches under the Testing box.
  for (ControlId id : {ControlId::EnforceTrainingStop, ControlId::EnforceTestingStop}) {
    auto* box = control<QCheckBox>(id);
    if (box->isChecked())
      QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->height() / 2, box->height() / 2));
  }
  QCOMPARE(window_->session().config.enforceTrainingStop(), 0);
  QTest::mouseClick(control(ControlId::Train), Qt::LeftButton);
  QVERIFY(window_->session().runActive());
  QVERIFY(control(ControlId::Stop)->isEnabled());
  QVERIFY(!control(ControlId::Train)->isEnabled());
  QTRY_VERIFY(!control<QLabel>(ControlId::TrainEpoch)->text().isEmpty());
}

void MainWindowTest::stopEndsALongRun() {
  startLongRun();
  QTest::mouseClick(control(ControlId::Stop), Qt::LeftButton);
  QTRY_VERIFY_WITH_TIMEOUT(!window_->session().runActive() && runButtonsIdle(), 10000);
  const std::uint32_t epochs = window_->session().epochCount;
  QVERIFY(epochs < 2000000000u);
  QCOMPARE(control<QLabel>(ControlId::TrainEpoch)->text(), QString::number(epochs));
}

void MainWindowTest::closingDuringARunWaitsForIt() {
  startLongRun();
  // The run marked the settings and the weights modified: both questions
  // are answered No.
  MessageBoxAnswerer answerer(QMessageBox::No);
  QVERIFY(window_->close());
  QVERIFY(!window_->session().runActive());
  QVERIFY(!window_->isVisible());
  QCOMPARE(answerer.texts.size(), 2);
}

void MainWindowTest::screenshotsBeforeAndAfterTraining() {
  QString directory = qEnvironmentVariable("NODELYX_SCREENSHOT_DIR");
  if (directory.isEmpty()) directory = QStringLiteral(NODELYX_SCREENSHOT_DIR);
  QVERIFY(QDir().mkpath(directory));
  openExample("xor.net");
  const QString suffix = screenScale() == 2 ? QStringLiteral("@2x.png") : QStringLiteral(".png");
  QVERIFY(window_->grab().save(directory + QStringLiteral("/main-before-training") + suffix));
  QTest::mouseClick(control(ControlId::Train), Qt::LeftButton);
  QTRY_VERIFY_WITH_TIMEOUT(!window_->session().runActive() && runButtonsIdle(), 20000);
  QVERIFY(window_->grab().save(directory + QStringLiteral("/main-after-training") + suffix));
}

NODELYX_TEST_MAIN_ON_1024X768(MainWindowTest)

#include "main_window_test.moc"
