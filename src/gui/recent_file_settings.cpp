#include "gui/recent_file_settings.h"

#include <QFile>
#include <QSettings>
#include <QString>

namespace nodelyx {
namespace {

const QString kGroup = QStringLiteral("Recent File List");

QString entryKey(std::size_t index) { return QStringLiteral("File%1").arg(index + 1); }

// The settings of the program whatever the application's own names are, so
// tests and other front ends share the one list.
QSettings programSettings() { return QSettings(QStringLiteral("Brevik"), QStringLiteral("Nodelyx")); }

}  // namespace

RecentFileList RecentFileSettings::load() {
  QSettings settings = programSettings();
  settings.beginGroup(kGroup);
  RecentFileList entries;
  for (std::size_t k = 0; k < kRecentFileCount; ++k) {
    const QString key = entryKey(k);
    if (!settings.contains(key)) settings.setValue(key, QString());
    entries[k] = QFile::encodeName(settings.value(key).toString()).toStdString();
  }
  return entries;
}

void RecentFileSettings::save(const RecentFileList& entries) {
  QSettings settings = programSettings();
  settings.beginGroup(kGroup);
  for (std::size_t k = 0; k < kRecentFileCount; ++k)
    settings.setValue(entryKey(k), QFile::decodeName(QByteArray::fromStdString(entries[k])));
}

}  // namespace nodelyx
