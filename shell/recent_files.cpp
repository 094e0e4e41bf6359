#include "recent_files.h"

#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtCore/QSettings>
#include <QtCore/QStandardPaths>

namespace mirte {

QString RecentFiles::ProfilePath() {
  QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return config + QString::fromUtf8(
                      "/アプリケーション ウィザードで生成されたローカル アプリケーション"
                      "/ミルテ/profile.ini");
}

void RecentFiles::Load() {
  QSettings profile(ProfilePath(), QSettings::IniFormat);
  profile.beginGroup("Recent File List");
  entries_.clear();
  for (int i = 1; i <= kMaxEntries; ++i) {
    QString entry = profile.value(QString("File%1").arg(i)).toString();
    if (!entry.isEmpty()) entries_.append(entry);
  }
}

void RecentFiles::Save() const {
  QDir().mkpath(QFileInfo(ProfilePath()).path());
  QSettings profile(ProfilePath(), QSettings::IniFormat);
  profile.beginGroup("Recent File List");
  profile.remove("");
  for (int i = 0; i < entries_.size(); ++i) {
    profile.setValue(QString("File%1").arg(i + 1), entries_[i]);
  }
}

void RecentFiles::Add(const QString& path) {
  entries_.removeAll(path);
  entries_.prepend(path);
  while (entries_.size() > kMaxEntries) entries_.removeLast();
}

}  // namespace mirte
