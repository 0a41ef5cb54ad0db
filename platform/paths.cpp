#include "platform/paths.h"

#include <cerrno>
#include <cstdlib>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/atomic_file.h"

namespace zv {

std::string ConfigDir() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg) return std::string(xdg) + "/ZV";
  const char* home = std::getenv("HOME");
  std::string h;
  if (home && *home) {
    h = home;
  } else if (const passwd* pw = ::getpwuid(::getuid())) {
    h = pw->pw_dir;
  } else {
    h = "/tmp";
  }
  return h + "/.config/ZV";
}

std::string ProgramPath() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return std::string();
  return std::string(buf, static_cast<size_t>(n));
}

std::string ProgramDir() {
  std::string p = ProgramPath();
  return p.empty() ? std::string(".") : DirName(p);
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool EnsureDirectories(const std::string& path) {
  if (path.empty()) return false;
  if (DirectoryExists(path)) return true;
  std::string parent = DirName(path);
  if (parent != path && !DirectoryExists(parent)) EnsureDirectories(parent);
  if (::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) return DirectoryExists(path);
  return false;
}

}  // namespace zv
