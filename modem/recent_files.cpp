#include "modem/recent_files.h"

#include <QFile>
#include <algorithm>

#include "platform/ini_file.h"
#include "platform/str_format.h"

namespace {

std::string EntryName(int i) { return zv::StrFormat("File%d", i + 1); }

}  // namespace

CRecentFileList::CRecentFileList(zv::Profile profile, int size)
    : profile_(std::move(profile)), size_(std::max(size, 1)) {}

void CRecentFileList::ReadList() {
  names_.clear();
  for (int i = 0; i < size_; ++i) {
    std::string name = profile_.GetString(kSection, EntryName(i), "");
    if (!name.empty() && std::find(names_.begin(), names_.end(), name) == names_.end()) {
      names_.push_back(std::move(name));
    }
  }
}

bool CRecentFileList::WriteList() const {
  return profile_.Update([this](zv::IniFile& ini) {
    for (int i = 0; i < size_; ++i) {
      if (i < Count()) {
        ini.Set(kSection, EntryName(i), names_[static_cast<size_t>(i)]);
      } else {
        ini.Remove(kSection, EntryName(i));
      }
    }
  });
}

void CRecentFileList::Add(const std::string& path) {
  if (path.empty()) return;
  auto it = std::find(names_.begin(), names_.end(), path);
  if (it != names_.end()) names_.erase(it);
  names_.insert(names_.begin(), path);
  if (Count() > size_) names_.resize(static_cast<size_t>(size_));
  WriteList();
}

void CRecentFileList::Remove(int index) {
  if (index < 0 || index >= Count()) return;
  names_.erase(names_.begin() + index);
  WriteList();
}

QString CRecentFileList::MenuText(int index, const std::string& current_dir) const {
  if (index < 0 || index >= Count()) return QString();
  const std::string& path = names_[static_cast<size_t>(index)];
  QString name = QFile::decodeName(QByteArray::fromStdString(path));
  const auto slash = path.rfind('/');
  std::string dir = current_dir;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  if (slash != std::string::npos && !dir.empty() && path.compare(0, slash, dir) == 0 &&
      slash == dir.size()) {
    name = QFile::decodeName(QByteArray::fromStdString(path.substr(slash + 1)));
  } else {
    name = zv::AbbreviatePath(name, 30);
  }
  name.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return QStringLiteral("&%1 %2").arg(index + 1).arg(name);
}

namespace zv {

QString AbbreviatePath(const QString& path, int max_length) {
  if (path.size() <= max_length) return path;
  const int last = static_cast<int>(path.lastIndexOf(QLatin1Char('/')));
  const QString file = last >= 0 ? path.mid(last + 1) : path;
  if (last < 0 || file.size() + 1 >= max_length) return file;
  // Keep the first folder ("/home"), then as many of the last folders as fit
  // after "/...".
  const int first_end = static_cast<int>(path.indexOf(QLatin1Char('/'), 1));
  if (first_end > 0 && first_end < last) {
    const QString head = path.left(first_end) + QStringLiteral("/...");
    for (int cut = static_cast<int>(path.indexOf(QLatin1Char('/'), first_end + 1)); cut >= 0 && cut <= last;
         cut = static_cast<int>(path.indexOf(QLatin1Char('/'), cut + 1))) {
      const QString candidate = head + path.mid(cut);
      if (candidate.size() <= max_length) return candidate;
    }
  }
  return file;
}

}  // namespace zv
