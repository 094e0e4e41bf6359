// The recent-file list kept in the per-user profile: at most four entries,
// section "Recent File List", entries "File1" to "File4", in an INI file
// under the user's configuration directory, in folders named after the
// profile key and the application.
#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>

namespace mirte {

class RecentFiles {
 public:
  static constexpr int kMaxEntries = 4;

  // The profile file: $XDG_CONFIG_HOME (or ~/.config), then the profile key,
  // then the application's name.
  static QString ProfilePath();

  void Load();
  void Save() const;
  // Puts `path` first, dropping an older entry of it and the fifth entry.
  void Add(const QString& path);
  const QStringList& entries() const { return entries_; }

 private:
  QStringList entries_;
};

}  // namespace mirte
