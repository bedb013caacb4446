// The network view as a real window over a session: the picture's line
// colours, the two modes, the live redraw of the lines alone, the scale
// dialog, saving, tiny and minimised windows, and a screenshot of a trained
// network.
#include "gui/network_view_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrinter>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>
#include <memory>

#include "app/session_files.h"
#include "app/training_run.h"
#include "gui/change_scale_dialog.h"
#include "gui/message_box.h"
#include "gui/plot_output.h"
#include "support/modal.h"
#include "support/screens.h"

namespace nodelyx {
namespace {

using test::answerNextModal;
using test::modalNamed;

using test::screenScale;

using test::RecordingHelp;

// Opens an example's configuration with its data files and builds its
// network from a fixed seed.
bool openExample(Session& session, const char* name) {
  SilentReporter reporter;
  SessionFileActions actions(session, reporter);
  const std::filesystem::path path = std::filesystem::path(NODELYX_EXAMPLES_DIR) / name;
  if (!openConfiguration(session, path, CompanionOrder::CommandLine, actions, nullptr, {}, reporter))
    return false;
  const std::uint32_t seed = 3;
  return session.buildNetwork(reporter, &seed);
}

// Which class colours the lines show: the picture right of the input
// column (the scale and its labels are left of it).
std::array<int, kColorClassCount> lineColourCounts(const QImage& picture) {
  std::array<int, kColorClassCount> counts{};
  for (int y = 0; y < picture.height(); ++y)
    for (int x = picture.width() / 4; x < picture.width(); ++x) {
      const QRgb pixel = picture.pixel(x, y);
      for (std::size_t c = 0; c < counts.size(); ++c) {
        const Rgb color = kClassColors[c];
        if (qRed(pixel) == color.r && qGreen(pixel) == color.g && qBlue(pixel) == color.b) ++counts[c];
      }
    }
  return counts;
}

// Which classes the network's weights and biases (or their rates) fall in.
std::array<bool, kColorClassCount> classesOf(const Network& net, NetworkViewMode mode) {
  const bool rates = mode == NetworkViewMode::LearningRates;
  std::array<bool, kColorClassCount> used{};
  for (double w : (rates ? net.getWeightRates() : net.getWeights()).all())
    used[static_cast<std::size_t>(colorClass(w, kDefaultThresholds))] = true;
  for (double b : (rates ? net.getBiasRates() : net.getBiases()).fromLayerOne())
    used[static_cast<std::size_t>(colorClass(b, kDefaultThresholds))] = true;
  return used;
}

void expectLinesInClassesOf(const NetworkViewWindow& window, const Network& net) {
  const auto counts = lineColourCounts(window.picture());
  const auto used = classesOf(net, window.settings().mode);
  for (std::size_t c = 0; c < counts.size(); ++c)
    QVERIFY2((counts[c] > 0) == used[c],
             qPrintable(QStringLiteral("class %1: %2 pixels").arg(c).arg(counts[c])));
}

void trigger(NetworkViewWindow& window, int command) { window.action(command)->trigger(); }

// Counts Qt's warnings while it lives.
class WarningCounter {
 public:
  WarningCounter() {
    warnings_ = 0;
    previous_ = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString&) {
      if (type != QtDebugMsg && type != QtInfoMsg) ++warnings_;
    });
  }
  ~WarningCounter() { qInstallMessageHandler(previous_); }
  WarningCounter(const WarningCounter&) = delete;
  WarningCounter& operator=(const WarningCounter&) = delete;
  int count() const { return warnings_; }

 private:
  static inline int warnings_ = 0;
  QtMessageHandler previous_;
};

}  // namespace

class NetworkViewWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() {
    session_ = std::make_unique<Session>();
    QVERIFY(openExample(*session_, "classes.net"));
    window_ = std::make_unique<NetworkViewWindow>(*session_, help_);
    window_->resize(640, 480);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QTRY_VERIFY(!window_->picture().isNull());
  }
  void cleanup() {
    window_.reset();
    session_.reset();
    setPlotSaveNameForTests({});
  }

  void linesShowTheClassesOfTheWeightsAndThenOfTheRates() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("View - Weights"));
    QVERIFY(window_->action(kViewWeightsCommand)->isChecked());
    expectLinesInClassesOf(*window_, *session_->network);

    session_->network->setLearningRate(0.7);  // every rate blue
    const int drawn = window_->drawCounts().full;
    trigger(*window_, kViewRatesCommand);
    QCOMPARE(window_->windowTitle(), QStringLiteral("View - Learning Rates"));
    QVERIFY(window_->action(kViewRatesCommand)->isChecked());
    QVERIFY(!window_->action(kViewWeightsCommand)->isChecked());
    QTRY_COMPARE(window_->drawCounts().full, drawn + 1);
    expectLinesInClassesOf(*window_, *session_->network);

    trigger(*window_, kViewWeightsCommand);
    QCOMPARE(window_->windowTitle(), QStringLiteral("View - Weights"));
    trigger(*window_, kViewHelpCommand);
    QCOMPARE(help_.keywords, QStringList{QStringLiteral("View Menu")});
  }

  void weightsChangedRedrawsTheLinesAloneWhileTheSizesStay() {
    const auto before = window_->drawCounts();
    session_->network->weights.fill(7.0);  // purple
    session_->network->biases.fill(-7.0);  // red
    window_->weightsChanged();
    QCOMPARE(window_->drawCounts().full, before.full);
    QCOMPARE(window_->drawCounts().linesOnly, before.linesOnly + 1);
    expectLinesInClassesOf(*window_, *session_->network);

    // Other layer sizes: the whole picture.
    const int sizes[] = {2, 9, 3};
    session_->network = std::make_unique<Network>(sizes, -0.1, 0.1);
    window_->weightsChanged();
    QCOMPARE(window_->drawCounts().full, before.full + 1);
    expectLinesInClassesOf(*window_, *session_->network);

    // Hidden, nothing is drawn until it is shown again.
    window_->hide();
    window_->weightsChanged();
    QCOMPARE(window_->drawCounts().full, before.full + 1);
    window_->show();
    QTRY_COMPARE(window_->drawCounts().full, before.full + 2);
  }

  void changeScaleChecksEachFieldAndRestoresTheDefaults() {
    QString refusal;
    QStringList afterDefaults;
    ScaleThresholds afterEdit{};
    answerNextModal(
        [&](QWidget* dialog) {
          dialog->activateWindow();
          QVERIFY(QTest::qWaitForWindowActive(dialog));
          auto* first = dialog->findChild<QLineEdit*>(QStringLiteral("ctl10"));
          auto* second = dialog->findChild<QLineEdit*>(QStringLiteral("ctl11"));
          QCOMPARE(first->text(), QStringLiteral("-5"));
          // Above its neighbour -1: refused, the field shows the old value.
          answerNextModal(
              [&](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                refusal = box->windowTitle() + QStringLiteral(": ") + box->text();
                QCOMPARE(box->icon(), QMessageBox::Critical);
                box->button(QMessageBox::Ok)->click();
              },
              modalNamed(QString::fromLatin1(kMessageBoxObjectName)));
          first->setFocus();
          first->setText(QStringLiteral("0"));
          QTest::keyClick(first, Qt::Key_Return);
          QCOMPARE(first->text(), QStringLiteral("-5.000000"));
          QVERIFY(dialog->isVisible());  // Enter after a refusal keeps the dialog
          dialog->activateWindow();      // back from the message box
          QVERIFY(QTest::qWaitForWindowActive(dialog));
          second->setFocus();
          second->setText(QStringLiteral("-2"));
          QTest::keyClick(second, Qt::Key_Tab);
          afterEdit = window_->settings().thresholds;
          test::clickButton(dialog, QStringLiteral("ctl2"));  // Defaults
          for (int id = 10; id <= 15; ++id)
            afterDefaults << dialog->findChild<QLineEdit*>(QStringLiteral("ctl%1").arg(id))->text();
          test::clickButton(dialog, QStringLiteral("ctl1"));
        },
        modalNamed(QString::fromLatin1(kChangeScaleObjectName)));
    trigger(*window_, kViewColorsCommand);
    QCOMPARE(refusal, QStringLiteral("Error: Enter a value between -1000000000.000000 and -1.000000"));
    QCOMPARE(afterEdit, (ScaleThresholds{-5, -2, -0.5, 0.5, 1, 5}));
    QCOMPARE(afterDefaults, (QStringList{"-5.0", "-1.0", "-0.5", "0.5", "1.0", "5.0"}));
    QCOMPARE(window_->settings().thresholds, kDefaultThresholds);

    // A double click on the colour scale opens the dialog too.
    bool opened = false;
    answerNextModal(
        [&](QWidget* dialog) {
          opened = true;
          static_cast<QDialog*>(dialog)->reject();
        },
        modalNamed(QString::fromLatin1(kChangeScaleObjectName)));
    auto* picture = window_->findChild<QWidget*>(QString::fromLatin1(kNetworkViewPictureObjectName));
    const int y0 = picture->height() * 4 / 100, cell = (picture->height() - 2 * y0) / 30;
    QTest::mouseDClick(picture, Qt::LeftButton, {}, QPoint(1, y0 + 3 * cell));
    QVERIFY(opened);
  }

  void savesA640By480Picture() {
    QTemporaryDir dir;
    const QString svg = dir.filePath(QStringLiteral("view.svg"));
    setPlotSaveNameForTests([&] { return svg; });
    trigger(*window_, kViewSaveCommand);
    QFile file(svg);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString viewBox;
    int elements = 0;
    while (!xml.atEnd()) {
      if (xml.readNext() != QXmlStreamReader::StartElement) continue;
      ++elements;
      if (xml.name() == QStringLiteral("svg"))
        viewBox = xml.attributes().value(QStringLiteral("viewBox")).toString();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(viewBox, QStringLiteral("0 0 640 480"));
    QVERIFY(elements > 20);

    const QString png = dir.filePath(QStringLiteral("view.png"));
    setPlotSaveNameForTests([&] { return png; });
    trigger(*window_, kViewSaveCommand);
    const QImage saved(png);
    QCOMPARE(saved.size(), QSize(640, 480));
    QVERIFY(lineColourCounts(saved) != (std::array<int, kColorClassCount>{}));

    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("view.pdf")));
    setPlotPrinterForTests([&] { return &printer; });
    trigger(*window_, kViewPrintCommand);
    setPlotPrinterForTests({});
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("view.pdf"))).size() > 1000);
  }

  void tinyMinimisedAndEmptyWindowsDrawQuietly() {
    const WarningCounter warnings;
    // The whole window one pixel, then the picture alone.
    auto* picture = window_->findChild<QWidget*>(QString::fromLatin1(kNetworkViewPictureObjectName));
    window_->resize(1, 1);
    QTest::qWait(20);
    window_->weightsChanged();
    window_->resize(1, 1 + window_->findChild<QMenuBar*>(QStringLiteral("menuBar"))->height());
    QTRY_COMPARE(picture->size(), QSize(1, 1));
    window_->weightsChanged();
    QCOMPARE(window_->picture().size(), QSize(1, 1) * screenScale());
    window_->showMinimized();
    window_->weightsChanged();
    QTest::qWait(50);
    window_->showNormal();
    window_->resize(300, 200);
    session_->network.reset();
    window_->networkChanged();
    window_->weightsChanged();
    QTest::qWait(50);
    QCOMPARE(warnings.count(), 0);
    // Without a network the picture is blank.
    QTRY_VERIFY(!window_->picture().isNull());
    const QImage& blank = window_->picture();
    QVERIFY(blank.pixel(blank.width() / 2, blank.height() / 2) == qRgb(255, 255, 255));
    QCOMPARE(lineColourCounts(blank), (std::array<int, kColorClassCount>{}));
  }

  // Trained a little while the view shows it from snapshots, then once more
  // from the network itself; the screenshot is for review.
  void screenshotOfATrainedNetwork() {
    session_->config.setMaxEpochs(300);
    session_->config.setEnforceTrainingStop(0);  // all 300 epochs
    TrainingObserver observer;
    TrainingRun run;
    SilentReporter reporter;
    window_->resize(800, 600);
    QVERIFY(run.start(*session_, &observer, reporter));
    while (session_->runActive()) {
      window_->networkChanged();
      QTest::qWait(5);
    }
    run.wait();
    const int drawn = window_->drawCounts().full;
    window_->networkChanged();
    QTRY_COMPARE(window_->drawCounts().full, drawn + 1);
    expectLinesInClassesOf(*window_, *session_->network);
    QDir().mkpath(QStringLiteral(NODELYX_SCREENSHOT_DIR));
    const QString suffix = screenScale() == 2 ? QStringLiteral("@2x.png") : QStringLiteral(".png");
    QVERIFY(window_->grab().save(QStringLiteral(NODELYX_SCREENSHOT_DIR "/network_view") + suffix));
  }

 private:
  RecordingHelp help_;
  std::unique_ptr<Session> session_;
  std::unique_ptr<NetworkViewWindow> window_;
};

}  // namespace nodelyx

// On a 1024 × 768 screen, with a device pixel ratio of 2 when
// NODELYX_SCREEN_DPR is 2.
NODELYX_TEST_MAIN_ON_1024X768(nodelyx::NetworkViewWindowTest)

#include "network_view_window_test.moc"
