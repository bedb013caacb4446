// The help window on the book the build puts beside the program: a keyword
// opens its page scrolled to its section, one window serves every request,
// Back and Forward walk the topics read, and a missing book is a warning
// instead of an empty window.
#include "gui/help_window.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>

#include "support/modal.h"
#include "support/screens.h"

namespace nodelyx {
namespace {

// The program's folder of the build tree, where the build copies the book.
const std::filesystem::path kProgramDirectory = NODELYX_PROGRAM_DIR;

using test::screenScale;

QTextBrowser* browserOf(const HelpWindowViewer& viewer) {
  return viewer.window() ? viewer.window()->findChild<QTextBrowser*>(kHelpBrowserObjectName) : nullptr;
}

QString shown(const HelpWindowViewer& viewer) {
  const QUrl source = browserOf(viewer)->source();
  return source.fileName() + (source.hasFragment() ? QLatin1Char('#') + source.fragment() : QString());
}

void click(const HelpWindowViewer& viewer, const char* objectName) {
  viewer.window()->findChild<QPushButton*>(QString::fromLatin1(objectName))->click();
}

// The top of the block that carries the anchor; -1 when there is none.
qreal anchorTop(const QTextBrowser* browser, const QString& anchor) {
  const QTextDocument* document = browser->document();
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      if (it.fragment().charFormat().anchorNames().contains(anchor))
        return document->documentLayout()->blockBoundingRect(block).top();
    }
  }
  return -1;
}

}  // namespace

class HelpWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    owner_ = std::make_unique<QWidget>();
    owner_->setGeometry(0, 0, 1024, 740);
    owner_->show();
  }
  void cleanup() { owner_.reset(); }
  void keywordOpensItsSectionInView_data();
  void keywordOpensItsSectionInView();
  void oneWindowKeepsTheTopicsRead();
  void missingBookIsAWarning();
  void screenshotAtTrainingProperties();

 private:
  std::unique_ptr<QWidget> owner_;
};

void HelpWindowTest::keywordOpensItsSectionInView_data() {
  QTest::addColumn<QString>("keyword");
  QTest::addColumn<QString>("location");
  QTest::newRow("first section of a page") << "Training Properties"
                                           << "settings.html#training-properties";
  QTest::newRow("section far down a page") << "Saturation"
                                           << "settings.html#saturation";
  QTest::newRow("last section of the book") << "Three Dimensional Plot"
                                            << "plots.html#three-dimensional-plot";
  QTest::newRow("contents") << ""
                            << "index.html";
  QTest::newRow("unknown keyword") << "No such topic"
                                   << "index.html";
}

void HelpWindowTest::keywordOpensItsSectionInView() {
  QFETCH(QString, keyword);
  QFETCH(QString, location);
  HelpWindowViewer viewer(kProgramDirectory, owner_.get());
  viewer.showHelp(keyword.toStdString());
  QVERIFY(viewer.window() != nullptr && QTest::qWaitForWindowExposed(viewer.window()));
  QCOMPARE(viewer.window()->windowTitle(), QStringLiteral("Nodelyx Help"));
  QCOMPARE(shown(viewer), location);
  const QTextBrowser* browser = browserOf(viewer);
  QVERIFY(!browser->document()->isEmpty());
  const QString anchor = location.section(QLatin1Char('#'), 1);
  if (anchor.isEmpty()) return;
  // The section's heading is at the top of the view, or the view is as far
  // down as the page goes.
  const qreal heading = anchorTop(browser, anchor);
  const QScrollBar* bar = browser->verticalScrollBar();
  QVERIFY2(heading >= 0, qPrintable(anchor));
  QVERIFY2(qAbs(heading - bar->value()) <= 1 || (bar->value() == bar->maximum() && heading > bar->value()),
           qPrintable(QStringLiteral("heading at %1, view from %2").arg(heading).arg(bar->value())));
}

void HelpWindowTest::oneWindowKeepsTheTopicsRead() {
  HelpWindowViewer viewer(kProgramDirectory, owner_.get());
  QVERIFY(viewer.window() == nullptr);
  viewer.showHelp("Layers");
  QWidget* window = viewer.window();
  QVERIFY(window->isWindow() && window->isVisible());
  for (const char* label : {"Back", "Forward", "Contents"}) {
    const QString name = QStringLiteral("help") + QString::fromLatin1(label);
    QCOMPARE(window->findChild<QPushButton*>(name)->accessibleName(), QString::fromLatin1(label));
  }
  QVERIFY(!browserOf(viewer)->accessibleName().isEmpty());

  // Closed and asked again: the same window, shown at the new topic.
  window->close();
  viewer.showHelp("QuickProp");
  QCOMPARE(viewer.window(), window);
  QVERIFY(window->isVisible());
  click(viewer, "helpBack");
  QCOMPARE(shown(viewer), QStringLiteral("settings.html#layers"));
  click(viewer, "helpForward");
  QCOMPARE(shown(viewer), QStringLiteral("advanced.html#quickprop"));
  click(viewer, "helpContents");
  QCOMPARE(shown(viewer), QStringLiteral("index.html"));
  viewer.showHelp("");
  QCOMPARE(shown(viewer), QStringLiteral("index.html"));
}

void HelpWindowTest::missingBookIsAWarning() {
  QTemporaryDir programDirectory;
  HelpWindowViewer viewer(QFile::encodeName(programDirectory.path()).toStdString(), owner_.get());
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  test::answerNextModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    box->button(QMessageBox::Ok)->click();
  });
  viewer.showHelp("Layers");
  QCOMPARE(title, QStringLiteral("Help"));
  QCOMPARE(icon, QMessageBox::Warning);
  QVERIFY2(text.contains(QDir(programDirectory.path()).canonicalPath() + QStringLiteral("/help")),
           qPrintable(text));
  QVERIFY2(text.contains(QStringLiteral("share/nodelyx/help")), qPrintable(text));
  QVERIFY(viewer.window() == nullptr);
}

void HelpWindowTest::screenshotAtTrainingProperties() {
  HelpWindowViewer viewer(kProgramDirectory, owner_.get());
  viewer.showHelp("Training Properties");
  QVERIFY(QTest::qWaitForWindowExposed(viewer.window()));
  QVERIFY(QDir().mkpath(QStringLiteral(NODELYX_SCREENSHOT_DIR)));
  const QString name =
      screenScale() == 2 ? QStringLiteral("help-window@2x.png") : QStringLiteral("help-window.png");
  QVERIFY(viewer.window()->grab().save(QStringLiteral(NODELYX_SCREENSHOT_DIR "/") + name));
}

}  // namespace nodelyx

// A 1024 × 768 screen (with a device pixel ratio of 2 when NODELYX_SCREEN_DPR
// is 2), as the main window's tests have, unless the caller chose a platform
// configuration.
NODELYX_TEST_MAIN_ON_1024X768(nodelyx::HelpWindowTest)

#include "help_window_test.moc"
