// What the window tests share: the bundled examples, a help viewer that
// records what was asked of it, and the screenshots
// they leave in the build folder for review (NODELYX_EXAMPLES_DIR and
// NODELYX_SCREENSHOT_DIR come from tests/gui/CMakeLists.txt). A shot taken
// at a device pixel ratio of 2 (NODELYX_SCREEN_DPR=2) is saved as
// "<name>@2x.png".
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <QtGlobal>
#include <string>

#include "app/help_topics.h"

namespace nodelyx::test {

inline QString examplePath(const char* name) {
  return QStringLiteral(NODELYX_EXAMPLES_DIR "/") + QString::fromUtf8(name);
}

// Keeps every help keyword asked for ("" for the contents).
class RecordingHelp final : public HelpViewer {
 public:
  void showHelp(const std::string& keyword) override { keywords << QString::fromStdString(keyword); }
  QStringList keywords;
};

inline int screenScale() { return qEnvironmentVariableIntValue("NODELYX_SCREEN_DPR") == 2 ? 2 : 1; }

inline bool saveScreenshot(QWidget* widget, const QString& name) {
  QDir().mkpath(QStringLiteral(NODELYX_SCREENSHOT_DIR));
  const QString suffix = screenScale() == 2 ? QStringLiteral("@2x.png") : QStringLiteral(".png");
  return widget->grab().save(QStringLiteral(NODELYX_SCREENSHOT_DIR "/") + name + suffix);
}

}  // namespace nodelyx::test

// The main() of a window test laid out for a 1024 × 768 screen: the
// offscreen platform is given one (at a device pixel ratio of 2 when
// NODELYX_SCREEN_DPR is 2) unless the caller chose a platform
// configuration. The test's folder of screen files is
// NODELYX_GUI_TEST_DATA_DIR.
#define NODELYX_TEST_MAIN_ON_1024X768(TestClass)                                                          \
  int main(int argc, char* argv[]) {                                                                      \
    if (qEnvironmentVariable("QT_QPA_PLATFORM") == QStringLiteral("offscreen")) {                         \
      const QByteArray config =                                                                           \
          nodelyx::test::screenScale() == 2 ? "offscreen_1024x768_dpr2.json" : "offscreen_1024x768.json"; \
      qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" NODELYX_GUI_TEST_DATA_DIR "/" + config);         \
    }                                                                                                     \
    QApplication app(argc, argv);                                                                         \
    TestClass test;                                                                                       \
    return QTest::qExec(&test, argc, argv);                                                               \
  }
