#include "platform/profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "platform/ascii.h"
#include "platform/ini_file.h"
#include "platform/paths.h"

namespace zv {
namespace {

// Writes from two threads of one process must not lose each other's value.
std::mutex& ProfileMutex() {
  static std::mutex m;
  return m;
}

// An exclusive lock on the lock file beside the profile, held from the read of
// a write to its rename, so that writers in other processes (the workstation
// and the viewer write settings from several places) never interleave.
class ProfileFileLock {
 public:
  explicit ProfileFileLock(const std::string& ini_path)
      : fd_(::open((ini_path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
    if (fd_ < 0) error_ = errno;
    while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      error_ = errno;
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~ProfileFileLock() {
    if (fd_ >= 0) ::close(fd_);  // releases the lock
  }
  ProfileFileLock(const ProfileFileLock&) = delete;
  ProfileFileLock& operator=(const ProfileFileLock&) = delete;

  bool held() const { return fd_ >= 0; }
  int error() const { return error_; }  // errno value when not held

 private:
  int fd_;
  int error_ = 0;
};

// Whether the user may replace the profile at `path`: a missing file may be
// made. The mode bits count for the file's owner even where the system would
// let the write through (the superuser), so a profile made read-only stays as
// it is; access() adds the other users' bits, ACLs and read-only mounts.
int CheckMayReplace(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
  if (st.st_uid == ::geteuid() && (st.st_mode & S_IWUSR) == 0) return EACCES;
  if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) return errno;
  return 0;
}

bool Fail(std::string* error, int why) {
  if (error) *error = std::strerror(why != 0 ? why : EIO);
  return false;
}

}  // namespace

std::string Profile::PathFor(std::string_view program) {
  return ConfigDir() + "/" + std::string(program) + ".ini";
}

std::string Profile::Path() const { return PathFor(program_); }

bool Profile::Has(std::string_view section, std::string_view name) const {
  IniFile ini;
  ini.Load(Path());
  return ini.Get(section, name).has_value();
}

int Profile::GetInt(std::string_view section, std::string_view name, int def) const {
  IniFile ini;
  ini.Load(Path());
  auto v = ini.Get(section, name);
  if (!v) return def;
  std::string_view t = TrimView(*v);
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
  if (i >= t.size() || t[i] < '0' || t[i] > '9') return def;
  unsigned long long value = 0;
  for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
    value = value * 10 + static_cast<unsigned>(t[i] - '0');
    value &= 0xFFFFFFFFFFULL;  // keep well inside 64 bits; only 32 are used
  }
  uint32_t bits = static_cast<uint32_t>(value);
  if (negative) bits = 0u - bits;
  return static_cast<int>(bits);
}

std::string Profile::GetString(std::string_view section, std::string_view name,
                               std::string_view def) const {
  IniFile ini;
  ini.Load(Path());
  auto v = ini.Get(section, name);
  return v ? *v : std::string(def);
}

bool Profile::WriteString(std::string_view section, std::string_view name, std::string_view value,
                          std::string* error) const {
  return Update([&](IniFile& ini) { ini.Set(section, name, value); }, error);
}

bool Profile::Update(const std::function<void(IniFile&)>& change, std::string* error) const {
  std::lock_guard<std::mutex> lock(ProfileMutex());
  if (error) error->clear();
  errno = 0;
  if (!EnsureDirectories(ConfigDir())) return Fail(error, errno);
  const std::string path = Path();
  const ProfileFileLock file_lock(path);
  if (!file_lock.held()) return Fail(error, file_lock.error());
  // Only a missing file counts as empty: a file that is there but cannot be
  // read is left alone rather than replaced by one holding only this value.
  IniFile ini;
  int why = 0;
  if (!ini.LoadForUpdate(path, &why)) return Fail(error, why);
  if ((why = CheckMayReplace(path)) != 0) return Fail(error, why);
  change(ini);
  return ini.Save(path, error);
}

bool Profile::WriteInt(std::string_view section, std::string_view name, int value, std::string* error) const {
  return WriteString(section, name, std::to_string(value), error);
}

}  // namespace zv
