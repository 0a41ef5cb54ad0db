#include "platform/profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
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
    while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
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

 private:
  int fd_;
};

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

bool Profile::WriteString(std::string_view section, std::string_view name,
                          std::string_view value) const {
  return Update([&](IniFile& ini) { ini.Set(section, name, value); });
}

bool Profile::Update(const std::function<void(IniFile&)>& change) const {
  std::lock_guard<std::mutex> lock(ProfileMutex());
  if (!EnsureDirectories(ConfigDir())) return false;
  const std::string path = Path();
  const ProfileFileLock file_lock(path);
  if (!file_lock.held()) return false;
  // Only a missing file counts as empty: a file that is there but cannot be
  // read is left alone rather than replaced by one holding only this value.
  IniFile ini;
  if (!ini.LoadForUpdate(path)) return false;
  change(ini);
  return ini.Save(path);
}

bool Profile::WriteInt(std::string_view section, std::string_view name, int value) const {
  return WriteString(section, name, std::to_string(value));
}

}  // namespace zv
