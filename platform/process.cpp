#include "platform/process.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/converter_lock.h"
#include "platform/unique_fd.h"

extern char** environ;

namespace zv {

namespace {

using Steady = std::chrono::steady_clock;

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

bool StopSet(const ProgramWait& wait) {
  return wait.stop != nullptr && wait.stop->load(std::memory_order_relaxed);
}

void Pause(std::chrono::microseconds pause) {
  std::this_thread::sleep_for(pause.count() > 0 ? pause : std::chrono::microseconds(1000));
}

ProgramRun Ended(int status) {
  ProgramRun run;
  if (WIFEXITED(status)) {
    run.end = ProgramRun::End::kExited;
    run.exit_code = WEXITSTATUS(status);
  } else {
    run.end = ProgramRun::End::kKilled;
    run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }
  return run;
}

// Reaps the child; false when it has not ended yet (or cannot be waited for).
bool Reap(pid_t pid, int options, int& status) {
  while (true) {
    const pid_t r = ::waitpid(pid, &status, options);
    if (r == pid) return true;
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) status = 0;  // not our child any more: take it as ended
    return r < 0;
  }
}

// Whether the child has ended, without reaping it: its zombie keeps the group
// id taken, so a signal to the group cannot reach a stranger's group.
bool HasEnded(pid_t pid) {
  siginfo_t info{};
  while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
    if (errno != EINTR) return true;
  }
  return info.si_pid != 0;
}

// Ends the child's whole group: SIGTERM, SIGKILL after the grace time (to what
// is left of the group in any case), then reaps the child.
void EndGroup(pid_t pid, const ProgramWait& wait) {
  ::kill(-pid, SIGTERM);
  const auto deadline = Steady::now() + wait.grace;
  while (!HasEnded(pid) && Steady::now() < deadline) Pause(std::min(wait.poll, wait.grace));
  ::kill(-pid, SIGKILL);
  int status = 0;
  Reap(pid, 0, status);
}

class SpawnSetup {
 public:
  SpawnSetup() {
    ok_ = ::posix_spawn_file_actions_init(&actions_) == 0;
    ok_ = ::posix_spawnattr_init(&attr_) == 0 && ok_;
  }
  ~SpawnSetup() {
    ::posix_spawn_file_actions_destroy(&actions_);
    ::posix_spawnattr_destroy(&attr_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  // `keep_fd` (when not -1) becomes the child's descriptor 3; every other
  // descriptor above the standard three is closed.
  bool Prepare(const std::string& folder, int keep_fd) {
    if (!ok_) return false;
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM, SIGCHLD, SIGXFSZ, SIGUSR1, SIGUSR2}) {
      sigaddset(&defaults, sig);
    }
    constexpr int kKept = STDERR_FILENO + 1;
    return ::posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0) == 0 &&
           (keep_fd < 0 || ::posix_spawn_file_actions_adddup2(&actions_, keep_fd, kKept) == 0) &&
           ::posix_spawn_file_actions_addclosefrom_np(&actions_, keep_fd < 0 ? kKept : kKept + 1) == 0 &&
           ::posix_spawn_file_actions_addchdir_np(&actions_, folder.c_str()) == 0 &&
           ::posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                                  POSIX_SPAWN_SETSIGDEF) == 0 &&
           ::posix_spawnattr_setpgroup(&attr_, 0) == 0 && ::posix_spawnattr_setsigmask(&attr_, &none) == 0 &&
           ::posix_spawnattr_setsigdefault(&attr_, &defaults) == 0;
  }

  const posix_spawn_file_actions_t* actions() const { return &actions_; }
  const posix_spawnattr_t* attr() const { return &attr_; }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attr_;
  bool ok_ = false;
};

// RunProgram; `keep_fd` (when not -1) is the child's descriptor 3.
ProgramRun Run(const std::string& program, const std::vector<std::string>& args, const std::string& folder,
               const ProgramWait& wait, int keep_fd) {
  ProgramRun run;
  if (StopSet(wait)) {
    run.end = ProgramRun::End::kStopped;
    return run;
  }
  // The descriptor to keep is first copied above 3, so that the copy into 3
  // is always a real one (it clears close-on-exec) and the closing of every
  // descriptor from 4 on takes the copy.
  UniqueFd high(keep_fd >= 0 ? ::fcntl(keep_fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 2) : -1);
  if (keep_fd >= 0 && high.get() < 0) {
    run.error = std::strerror(errno);
    return run;
  }
  SpawnSetup setup;
  if (!setup.Prepare(folder, high.get())) {
    run.error = std::strerror(errno);
    return run;
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  pid_t pid = -1;
  const int failed = ::posix_spawn(&pid, program.c_str(), setup.actions(), setup.attr(), argv.data(), environ);
  if (failed != 0) {
    run.error = program + ": " + std::strerror(failed);
    return run;
  }
  int status = 0;
  while (!Reap(pid, WNOHANG, status)) {
    if (StopSet(wait) && wait.leave_running_on_stop) {
      // The reaper takes our copy of the kept descriptor along and closes it
      // only once the program has ended: the program may have closed or
      // reused its own, and then ours is what holds the converter lock.
      std::thread([pid, held = std::move(high)]() mutable {
        int ended = 0;
        Reap(pid, 0, ended);
        if (const int fd = held.release(); fd >= 0) ::close(fd);
      }).detach();
      run.end = ProgramRun::End::kStopped;
      return run;
    }
    if (StopSet(wait)) {
      EndGroup(pid, wait);
      run.end = ProgramRun::End::kStopped;
      return run;
    }
    Pause(wait.poll);
  }
  return Ended(status);
}

}  // namespace

std::string FindProgram(const std::string& name, const std::string& folder) {
  if (name.empty()) return std::string();
  if (!folder.empty()) {
    const std::string own = folder + "/" + name;
    if (IsExecutableFile(own)) return own;
  }
  const char* path = std::getenv("PATH");
  if (path == nullptr) return std::string();
  std::string dirs = path;
  size_t at = 0;
  while (at <= dirs.size()) {
    size_t end = dirs.find(':', at);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = dirs.substr(at, end - at);
    if (!dir.empty()) {
      const std::string candidate = dir + "/" + name;
      if (IsExecutableFile(candidate)) return candidate;
    }
    at = end + 1;
  }
  return std::string();
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& folder, const ProgramWait& wait) {
  return Run(program, args, folder, wait, -1);
}

ProgramRun RunConverterProgram(const std::string& program, const std::vector<std::string>& args,
                               const std::string& folder, const ProgramWait& wait) {
  if (StopSet(wait)) return Run(program, args, folder, wait, -1);
  UniqueFd lock(OpenConverterLock());
  const bool locked = lock.get() >= 0 && LockConverterShared(lock.get());
  return Run(program, args, folder, wait, locked ? lock.get() : -1);
}

ProgramRun RunConverter(const std::string& folder, const std::string& bins_path, const ProgramWait& wait) {
  const std::string program = FindProgram(kConverterName, folder);
  if (program.empty()) {
    ProgramRun run;
    run.error = std::string(kConverterName) + ": not found";
    return run;
  }
  return RunConverterProgram(program, {bins_path}, folder, wait);
}

}  // namespace zv
