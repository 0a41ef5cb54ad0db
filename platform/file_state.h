#pragma once
// Whether a file stayed the same between two stat calls: the same file (device
// and inode), size and modification time. A rewrite compares the state seen
// when its read began with the one before its commit, to notice a writer that
// does not take the converter lock.

#include <sys/stat.h>

namespace zv {

inline bool SameFileState(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

}  // namespace zv
