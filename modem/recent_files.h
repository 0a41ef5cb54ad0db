#pragma once
// CRecentFileList: the workstation's recent group files, newest first, at most
// eight, kept in section "Recent File List" of the profile as "File1" ..
// "File8". Every change is written at once (one write of the whole list), so
// a program that ends in any way keeps the list as the user last saw it.
//
// Paths are file names as bytes on disk. A path that is already in the list
// moves to the top; names are compared byte for byte (file names tell letter
// case apart here).

#include <QString>
#include <string>
#include <vector>

#include "platform/profile.h"

class CRecentFileList {
 public:
  static constexpr int kDefaultSize = 8;
  static constexpr const char* kSection = "Recent File List";

  explicit CRecentFileList(zv::Profile profile, int size = kDefaultSize);

  // Reads the list from the profile (empty and missing entries are skipped).
  void ReadList();
  // Writes the list: "File1".. for the entries, the remaining names removed.
  bool WriteList() const;

  // The path to the top of the list, the oldest falling off the end; written.
  void Add(const std::string& path);
  // Drops the entry at `index` (an entry that failed to open); written.
  void Remove(int index);

  int GetSize() const { return size_; }
  int Count() const { return static_cast<int>(names_.size()); }
  const std::string& operator[](int index) const { return names_[static_cast<size_t>(index)]; }
  const std::vector<std::string>& Names() const { return names_; }

  // The entry's text for the "&Файл" menu: "&1 " and its name, shortened to
  // at most 30 characters where possible ("/home/.../dir/net.gr", else the
  // file name alone), only the file name for a file in `current_dir`, and
  // every "&" doubled.
  QString MenuText(int index, const std::string& current_dir) const;

 private:
  zv::Profile profile_;
  int size_;
  std::vector<std::string> names_;
};

namespace zv {
// The path shortened for display to at most `max_length` characters (see
// CRecentFileList::MenuText); never less than the file name.
QString AbbreviatePath(const QString& path, int max_length);
}  // namespace zv
