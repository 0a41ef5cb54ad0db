#include "platform/runtime_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace zv {

std::string RuntimeDir() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) return std::string(runtime) + "/ZV";
  const char* tmp = std::getenv("TMPDIR");
  std::string base = tmp && *tmp ? tmp : "/tmp";
  return base + "/ZV-" + std::to_string(::geteuid());
}

bool EnsurePrivateDir(const std::string& dir) {
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st;
  if (::lstat(dir.c_str(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return false;
  if ((st.st_mode & 07777) != 0700 && ::chmod(dir.c_str(), 0700) != 0) return false;
  return true;
}

}  // namespace zv
