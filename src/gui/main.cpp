// The desktop program: the main window with the file named on the command
// line, or the splash screen when there is none.
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QScreen>
#include <QSessionManager>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <thread>

#include "gui/main_window.h"
#include "gui/splash.h"

namespace {

// A new_handler is not told the size that failed, so the message leaves the
// number out.
constexpr char kOutOfMemoryText[] =
    "Not enough memory to allocate\n           Nodelyx will now exit.\n"
    "Try a smaller network or close other applications.\n";

std::thread::id guiThread;
nodelyx::MainWindow* mainWindow = nullptr;
std::atomic<bool> outOfMemoryShown{false};

// Ends the program with status -1. The message box is shown on the GUI thread
// only: another thread, or a second failure while the box is up, prints the
// message and ends at once. Nothing is destroyed on the way out, since other
// threads may still be using what destruction would free.
[[noreturn]] void outOfMemory() {
  const bool onGuiThread = std::this_thread::get_id() == guiThread;
  if (!outOfMemoryShown.exchange(true) && onGuiThread) {
    QMessageBox::critical(mainWindow, QStringLiteral("ERROR"), QString::fromUtf8(kOutOfMemoryText));
  } else {
    std::fputs("ERROR: ", stderr);
    std::fputs(kOutOfMemoryText, stderr);
  }
  std::_Exit(-1);
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  guiThread = std::this_thread::get_id();
  std::set_new_handler(outOfMemory);
  QApplication::setApplicationName(QStringLiteral("Nodelyx"));
  QApplication::setOrganizationName(QStringLiteral("Brevik"));

  const std::filesystem::path programDirectory =
      QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
  nodelyx::MainWindow window(programDirectory);
  mainWindow = &window;
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [&window](QSessionManager& manager) {
    if (manager.allowsInteraction() && !window.queryEndSession()) manager.cancel();
  });

  window.resize(window.startSize());
  if (const QScreen* screen = window.screen()) {
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
  }
  window.show();
  window.initialize();
  // QApplication has taken its own options out of argv; the first argument
  // left is the file to open, as given.
  if (argc > 1) {
    const std::string argument = argv[1];
    QTimer::singleShot(0, &window, [&window, argument] { window.openCommandLineFile(argument); });
  } else {
    nodelyx::showSplash(&window, 2000);
  }
  const int status = QApplication::exec();
  mainWindow = nullptr;
  return status;
}
