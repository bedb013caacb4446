// The error plot window on a 1024 × 768 offscreen screen with samples set
// as a run stores them: the curve in its picture, the rescale it takes over
// from the session, Save to SVG, Print to PDF, the menu commands, a window
// too small to draw in, and a screenshot for review.
#include "gui/error_plot_window.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>
#include <cmath>

#include "app/help_topics.h"
#include "app/session.h"
#include "gui/plot_output.h"
#include "support/screens.h"

namespace nodelyx {
namespace {

using test::screenScale;

using test::RecordingHelp;

// Errors falling as a run's would: the training error lowest, the
// cross-validation error turning up late, every fourth epoch sampled.
void fillSamples(ErrorSamples& samples, std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i) {
    const double t = i;
    samples.trainRms[i] = 0.45 * std::exp(-t / 35.0) + 0.04 + 0.004 * std::sin(t * 0.7);
    samples.xvalRms[i] = 0.5 * std::exp(-t / 40.0) + 0.07 + 0.0004 * std::max(0.0, t - 90.0);
    samples.testRms[i] = 0.48 * std::exp(-t / 38.0) + 0.06 + 0.003 * std::cos(t * 0.5);
  }
  samples.count = count;
  samples.interval = 4;
  samples.rescaleNeeded = 1;
}

// A testing set of one pattern with a target: enough for the testing curve.
void loadTestingSet(Session& session) {
  session.testingSet.patternCount = 1;
  session.testingSet.inputCount = 1;
  session.testingSet.outputCount = 1;
  session.testingSet.values = std::make_unique<double[]>(2);
}

// Whether the picture is blue at a point of the plot (or right beside it:
// a line's pixels lie on either side of its exact course).
bool blueNear(const QImage& picture, CanvasPoint at) {
  const qreal ratio = picture.devicePixelRatio();
  const int x = qRound(at.x * ratio), y = qRound(at.y * ratio);
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      const QPoint p(x + dx, y + dy);
      if (picture.rect().contains(p) && picture.pixelColor(p) == QColor(0, 0, 255)) return true;
    }
  }
  return false;
}

bool hasColour(const QImage& picture, const QColor& colour) {
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      if (picture.pixelColor(x, y) == colour) return true;
    }
  }
  return false;
}

QAction* action(QWidget* window, int command) {
  return window->findChild<QAction*>(QStringLiteral("cmd%1").arg(command));
}

}  // namespace

class ErrorPlotWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() {
    session_ = std::make_unique<Session>();
    window_ = std::make_unique<ErrorPlotWindow>(*session_, help_);
    window_->setGeometry(40, 40, 640, 480);
  }
  void cleanup() {
    window_.reset();
    session_.reset();
    setPlotSaveNameForTests({});
    setPlotPrinterForTests({});
  }
  void drawsTheCurveIntoItsPicture();
  void menuCommands_data();
  void menuCommands();
  void saveWritesAnSvgOfTheThreeCurves();
  void printMakesOnePdfPage();
  void tinyAndMinimisedWindowsDrawNothing();
  void screenshot();

 private:
  void show() {
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  RecordingHelp help_;
  std::unique_ptr<Session> session_;
  std::unique_ptr<ErrorPlotWindow> window_;
};

void ErrorPlotWindowTest::drawsTheCurveIntoItsPicture() {
  QCOMPARE(window_->windowTitle(), QStringLiteral("Network Error Plot"));
  QCOMPARE(window_->accessibleName(), QStringLiteral("Network Error Plot"));
  QVERIFY(!window_->windowIcon().isNull());
  show();
  fillSamples(session_->samples, 40);
  window_->samplesChanged();
  // The window took the rescale over: the session's flag is clear and the
  // scale fits the largest error.
  QCOMPARE(session_->samples.rescaleNeeded, 0);
  QCOMPARE(window_->plot().scale().yMax, 1.05 * session_->samples.trainRms[0]);
  QTRY_VERIFY(!window_->picture().isNull());

  const CanvasRect area = window_->plot().area();
  const double yMax = window_->plot().scale().yMax;
  auto pointOf = [&](std::uint32_t i) {
    return CanvasPoint{sampleX(area, i, 250), valueY(area, session_->samples.trainRms[i], yMax)};
  };
  for (std::uint32_t i = 0; i + 1 < 40; ++i)
    QVERIFY2(blueNear(window_->picture(), pointOf(i)), qPrintable(QString::number(i)));
  QVERIFY(!blueNear(window_->picture(), pointOf(45)));

  // The next sample adds its segment.
  session_->samples.trainRms[40] = session_->samples.trainRms[39];
  session_->samples.count = 41;
  window_->samplesChanged();
  QVERIFY(blueNear(window_->picture(), pointOf(40)));
  QCOMPARE(window_->plot().nextSample(), 41u);
}

void ErrorPlotWindowTest::menuCommands_data() {
  QTest::addColumn<int>("command");
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("hides");
  QTest::addColumn<QStringList>("help");
  QTest::newRow("Exit hides") << 40013 << "E&xit" << true << QStringList{};
  QTest::newRow("Auto redraw hides") << 40017 << "&Auto redraw interval..." << true << QStringList{};
  QTest::newRow("Help opens the View Menu topic") << 40015 << "&Help..." << false << QStringList{"View Menu"};
}

void ErrorPlotWindowTest::menuCommands() {
  QFETCH(int, command);
  QFETCH(QString, text);
  QFETCH(bool, hides);
  QFETCH(QStringList, help);
  show();
  help_.keywords.clear();
  QAction* item = action(window_.get(), command);
  QVERIFY(item != nullptr);
  QCOMPARE(item->text(), text);
  item->trigger();
  QCOMPARE(window_->isVisible(), !hides);
  QCOMPARE(help_.keywords, help);
  QCOMPARE(action(window_.get(), 40010)->text(), QStringLiteral("&Save..."));
  QCOMPARE(action(window_.get(), 40011)->text(), QStringLiteral("&Print..."));
}

void ErrorPlotWindowTest::saveWritesAnSvgOfTheThreeCurves() {
  session_->config.setPlotMemorization(1);
  loadTestingSet(*session_);
  fillSamples(session_->samples, 60);
  show();
  window_->samplesChanged();
  // A value above the scale, saved before the next sample rescales.
  session_->samples.trainRms[60] = 5.0;
  session_->samples.count = 61;
  window_->samplesChanged();
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("plot.svg"));
  setPlotSaveNameForTests([&] { return path; });
  action(window_.get(), 40010)->trigger();

  QFile file(path);
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QByteArray svg = file.readAll();
  QXmlStreamReader reader(svg);
  QString viewBox;
  const ErrorPlotLayout layout = errorPlotLayout(window_->plot().metrics(), {640, 480}, {});
  const CanvasRect frame = layout.frame;
  QStringList outside;  // line points off the frame
  while (!reader.atEnd()) {
    if (reader.readNext() != QXmlStreamReader::StartElement) continue;
    if (reader.name() == QStringLiteral("svg"))
      viewBox = reader.attributes().value(QStringLiteral("viewBox")).toString();
    if (reader.name() != QStringLiteral("polyline")) continue;
    const QString points = reader.attributes().value(QStringLiteral("points")).toString();
    for (const QString& point : points.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
      const double x = point.section(QLatin1Char(','), 0, 0).toDouble();
      const double y = point.section(QLatin1Char(','), 1, 1).toDouble();
      if (x < frame.left || x > frame.right || y < frame.top || y > frame.bottom) outside << point;
    }
  }
  QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
  QCOMPARE(viewBox, QStringLiteral("0 0 640 480"));
  QVERIFY2(outside.isEmpty(), qPrintable(outside.join(QLatin1Char(' '))));
  for (const char* colour : {"#0000ff", "#ff0000", "#3cb43c"}) QVERIFY2(svg.contains(colour), colour);
}

void ErrorPlotWindowTest::printMakesOnePdfPage() {
  fillSamples(session_->samples, 60);
  show();
  window_->samplesChanged();
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("plot.pdf"));
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  setPlotPrinterForTests([&] { return &printer; });
  action(window_.get(), 40011)->trigger();

  QFile file(path);
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QByteArray pdf = file.readAll();
  QVERIFY(pdf.startsWith("%PDF"));
  static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
  QCOMPARE(QString::fromLatin1(pdf).count(page), 1);
  // Printing leaves the window's own drawing as it was.
  QCOMPARE(window_->plot().nextSample(), 60u);
}

void ErrorPlotWindowTest::tinyAndMinimisedWindowsDrawNothing() {
  show();
  QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
  window_->resize(1, 1);
  fillSamples(session_->samples, 30);
  window_->samplesChanged();
  QTest::qWait(50);
  // Room for some labels, none for the curves: no colour leaks out.
  window_->resize(60, 60);
  QTRY_VERIFY(!window_->picture().isNull());
  QVERIFY(!hasColour(window_->picture(), QColor(0, 0, 255)));
  QVERIFY(hasColour(window_->picture(), QColor(Qt::white)));
  window_->showMinimized();
  session_->samples.count = 31;
  session_->samples.rescaleNeeded = 1;
  window_->samplesChanged();
  QTest::qWait(50);
  QCOMPARE(session_->samples.rescaleNeeded, 0);

  // Shown again at a size: the rescale it could not draw is carried out.
  window_->showNormal();
  window_->resize(640, 480);
  QTRY_VERIFY(!window_->picture().isNull() && window_->plot().nextSample() == 31u);
  QCOMPARE(window_->plot().scale().yMax, 1.05 * session_->samples.trainRms[0]);
}

void ErrorPlotWindowTest::screenshot() {
  session_->config.setPlotMemorization(1);
  loadTestingSet(*session_);
  fillSamples(session_->samples, 150);
  show();
  window_->samplesChanged();
  QTRY_VERIFY(window_->plot().nextSample() == 150u);
  QVERIFY(QDir().mkpath(QStringLiteral(NODELYX_SCREENSHOT_DIR)));
  const QString suffix = screenScale() == 2 ? QStringLiteral("@2x.png") : QStringLiteral(".png");
  QVERIFY(window_->grab().save(QStringLiteral(NODELYX_SCREENSHOT_DIR "/error_plot") + suffix));
  // The saved pictures too, for a look at the files' 640 × 480 layout.
  for (const char* name : {"error_plot_saved.png", "error_plot_saved.svg"}) {
    const QString path = QStringLiteral(NODELYX_SCREENSHOT_DIR "/") + QString::fromLatin1(name);
    setPlotSaveNameForTests([path] { return path; });
    action(window_.get(), 40010)->trigger();
  }
}

}  // namespace nodelyx

// The window is laid out for a 1024 × 768 screen: the offscreen platform is
// given one (with a device pixel ratio of 2 when NODELYX_SCREEN_DPR is 2).
NODELYX_TEST_MAIN_ON_1024X768(nodelyx::ErrorPlotWindowTest)

#include "error_plot_window_test.moc"
