// The desktop program: for now an empty main window; the main window
// replaces it.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Nodelyx - (untitled)"));
  window.resize(1024, 768);
  window.show();
  return application.exec();
}
