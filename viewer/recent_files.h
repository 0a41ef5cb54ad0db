#pragma once
// CRecentFileList: the viewer's recent files, newest first, at most four, kept in
// the profile's section "Recent File List" as "File1" to "File4" (UTF-8 paths).
// The list is written back at every change, so a second program started later
// sees it; a place that is no longer used holds an empty value.

#include <QString>
#include <QStringList>

class CRecentFileList {
 public:
  static constexpr int kSize = 4;

  // Reads the list from the program's profile.
  void ReadList();
  void WriteList() const;

  // Puts the path first (an equal path further down is taken out) and writes.
  void Add(const QString& path);
  // Takes out the entry at `index` (0 = newest) and writes.
  void Remove(int index);

  int GetSize() const { return static_cast<int>(paths_.size()); }
  const QStringList& paths() const { return paths_; }
  // The menu text of an entry: "&1 path", an "&" of the path doubled.
  QString MenuText(int index) const;

 private:
  QStringList paths_;
};
