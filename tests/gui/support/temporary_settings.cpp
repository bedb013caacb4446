// Linked into every window test: the program's desktop settings (the
// recent-file list) go to a fresh temporary folder, so tests neither read
// nor change the settings of the user who runs them, and each test program
// starts from a clean profile.
#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>

namespace {

void useTemporarySettings() {
  static QTemporaryDir folder;
  for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
    QSettings::setPath(format, QSettings::UserScope, folder.path());
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(useTemporarySettings)
