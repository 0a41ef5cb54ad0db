#include "viewer/recent_files.h"

#include <string>

#include "platform/profile.h"

namespace {

constexpr const char* kSection = "Recent File List";

std::string EntryName(int index) { return "File" + std::to_string(index + 1); }

}  // namespace

void CRecentFileList::ReadList() {
  paths_.clear();
  const zv::Profile profile(zv::kProgramZEVView);
  for (int i = 0; i < kSize; ++i) {
    const QString path = QString::fromStdString(profile.GetString(kSection, EntryName(i), ""));
    if (!path.isEmpty() && !paths_.contains(path)) paths_.append(path);
  }
}

void CRecentFileList::WriteList() const {
  const zv::Profile profile(zv::kProgramZEVView);
  for (int i = 0; i < kSize; ++i)
    profile.WriteString(kSection, EntryName(i), i < paths_.size() ? paths_[i].toStdString() : std::string());
}

void CRecentFileList::Add(const QString& path) {
  if (path.isEmpty()) return;
  paths_.removeAll(path);
  paths_.prepend(path);
  while (paths_.size() > kSize) paths_.removeLast();
  WriteList();
}

void CRecentFileList::Remove(int index) {
  if (index < 0 || index >= paths_.size()) return;
  paths_.removeAt(index);
  WriteList();
}

QString CRecentFileList::MenuText(int index) const {
  if (index < 0 || index >= paths_.size()) return QString();
  // An "&" of the path is doubled: shown as it is, not taken as a mnemonic.
  QString path = paths_[index];
  path.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return QStringLiteral("&%1 %2").arg(index + 1).arg(path);
}
