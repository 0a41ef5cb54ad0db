// The workstation program itself, started twice as a user would (offscreen,
// with folders of the test's own): the second start hands its file to the
// first and ends, the first opens it, and a termination signal ends the first
// in order.

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "modem/shared_memory.h"
#include "platform/profile.h"
#include "tests/support/temp_dir.h"

#ifndef ZV_ZEVMODEM_PATH
#error "the test needs the path of the zevmodem program"
#endif

namespace {

using namespace std::chrono_literals;

constexpr auto kBound = 30s;  // the machine may be loaded; only a hang fails

// A started zevmodem, killed at the end should the test stop early.
class Program {
 public:
  Program(const std::string& folder, const std::vector<std::string>& args) {
    pid_ = ::fork();
    if (pid_ == 0) {
      if (::chdir(folder.c_str()) != 0) ::_exit(127);
      // Nothing of the test's terminal: the program reads no input.
      int null = ::open("/dev/null", O_RDONLY);
      if (null >= 0) ::dup2(null, 0);
      ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
      std::vector<char*> argv;
      std::string program = ZV_ZEVMODEM_PATH;
      argv.push_back(program.data());
      std::vector<std::string> copy = args;
      for (std::string& a : copy) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
  }
  ~Program() {
    if (pid_ > 0 && !ended_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  pid_t pid() const { return pid_; }
  // The exit status once it has ended by itself within `bound`; -1 for a
  // program still running (or ended by a signal: -2).
  int WaitExit(std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    for (;;) {
      int status = 0;
      pid_t r = ::waitpid(pid_, &status, WNOHANG);
      if (r == pid_) {
        ended_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
      }
      if (std::chrono::steady_clock::now() >= deadline) return -1;
      std::this_thread::sleep_for(20ms);
    }
  }

 private:
  pid_t pid_ = -1;
  bool ended_ = false;
};

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

template <typename F>
bool WaitUntil(F done, std::chrono::milliseconds bound = kBound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

TEST(ZevModemProgram, SecondStartHandsItsFileToTheFirstAndEnds) {
  zv::test::TempDir tmp;
  const std::string start = tmp.File("start");
  const std::string other = tmp.File("other");
  ASSERT_EQ(::mkdir(start.c_str(), 0700), 0);
  ASSERT_EQ(::mkdir(other.c_str(), 0700), 0);
  const std::string group = other + "/net.gr";
  tmp.Write("other/net.gr", std::string(4, '\0'));  // an empty group

  Program first(start, {});
  ASSERT_GT(first.pid(), 0);
  // Ready once it takes blocks: an empty one (it only brings the window to the
  // front) is answered. The probe only connects: it must never take the lock
  // itself, or the program would take itself for a later start.
  ASSERT_TRUE(WaitUntil([&] {
    CSharedMemory probe;
    zv::ChannelTiming t;
    t.connect_retry = 100ms;
    t.continue_wait = 5s;
    probe.SetTiming(t);
    return probe.OpenEvents() && probe.HandOverPaths({});
  })) << "the first start never took a block";
  EXPECT_EQ(first.WaitExit(0ms), -1);  // still running
  const zv::Profile profile(zv::kProgramZEVModem);
  EXPECT_EQ(profile.GetString("Settings", "Path", ""), ZV_ZEVMODEM_PATH);

  Program second(other, {"net.gr"});
  ASSERT_GT(second.pid(), 0);
  EXPECT_EQ(second.WaitExit(kBound), 0);

  EXPECT_TRUE(WaitUntil(
      [&] { return profile.GetString("Recent File List", "File1", "") == group; }))
      << profile.GetString("Recent File List", "File1", "");

  ASSERT_EQ(::kill(first.pid(), SIGTERM), 0);
  EXPECT_EQ(first.WaitExit(kBound), 0);
  CSharedMemory after;
  EXPECT_FALSE(Exists(after.LockPath()));
  EXPECT_FALSE(Exists(after.SocketPath()));
  EXPECT_FALSE(after.OpenExistingMutex());  // the next start is a first one
}

}  // namespace
