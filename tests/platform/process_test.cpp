#include "platform/process.h"

#include <atomic>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/paths.h"
#include "tests/support/temp_dir.h"

namespace {

using End = zv::ProgramRun::End;
using std::chrono::milliseconds;

std::string WriteScript(const zv::test::TempDir& dir, const std::string& name, const std::string& body,
                        mode_t mode = 0755) {
  const std::string path = dir.Write(name, "#!/bin/sh\n" + body);
  ::chmod(path.c_str(), mode);
  return path;
}

std::string RealPath(const std::string& path) {
  char buf[PATH_MAX];
  return ::realpath(path.c_str(), buf) ? std::string(buf) : path;
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// Waits until the file has content; its content then.
std::string WaitForFile(const std::string& path, milliseconds bound = milliseconds(20000)) {
  const auto end = std::chrono::steady_clock::now() + bound;
  while (std::chrono::steady_clock::now() < end) {
    const std::string text = zv::test::TempDir::Read(path);
    if (!text.empty() && text.back() == '\n') return text;
    std::this_thread::sleep_for(milliseconds(5));
  }
  return std::string();
}

// A process that is gone or only waits to be reaped by someone else.
bool Ended(pid_t pid) {
  if (::kill(pid, 0) != 0) return true;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string pid_text, name, state;
  stat >> pid_text >> name >> state;
  return state == "Z" || state == "X";
}

bool WaitEnded(pid_t pid, milliseconds bound = milliseconds(20000)) {
  const auto end = std::chrono::steady_clock::now() + bound;
  while (!Ended(pid)) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(milliseconds(5));
  }
  return true;
}

// Sets PATH for one test.
class PathScope {
 public:
  explicit PathScope(const std::string& path) {
    const char* old = std::getenv("PATH");
    had_ = old != nullptr;
    if (had_) old_ = old;
    ::setenv("PATH", path.c_str(), 1);
  }
  ~PathScope() {
    if (had_) {
      ::setenv("PATH", old_.c_str(), 1);
    } else {
      ::unsetenv("PATH");
    }
  }

 private:
  bool had_ = false;
  std::string old_;
};

TEST(FindProgram, OwnFolderFirstThenPath) {
  zv::test::TempDir own;
  zv::test::TempDir on_path;
  zv::test::TempDir other;
  const std::string in_path = WriteScript(on_path, "binZEV2", "exit 0\n");
  PathScope path(other.path() + "::" + on_path.path());
  EXPECT_EQ(zv::FindProgram("binZEV2", own.path()), in_path);  // none in the own folder
  // A file that cannot be run does not count.
  WriteScript(own, "binZEV2", "exit 0\n", 0644);
  EXPECT_EQ(zv::FindProgram("binZEV2", own.path()), in_path);
  const std::string mine = WriteScript(own, "binZEV2", "exit 0\n");
  EXPECT_EQ(zv::FindProgram("binZEV2", own.path()), mine);
  EXPECT_EQ(zv::FindProgram("binZEV3", own.path()), "");
  // A folder of that name is no program.
  ::mkdir(other.File("tool").c_str(), 0755);
  EXPECT_EQ(zv::FindProgram("tool", ""), "");
}

TEST(RunProgram, ArgumentsAsGivenInTheWorkingFolder) {
  zv::test::TempDir dir;
  const std::string program =
      WriteScript(dir, "show", "printf '%s\\n' \"$#\" \"$1\" \"$(pwd -P)\" > seen.txt\nread line && echo input >> seen.txt\nexit 7\n");
  const std::string argument = "bins/00042 \"quoted\" 2024.bin";
  const zv::ProgramRun run = zv::RunProgram(program, {argument}, dir.path(), {});
  EXPECT_EQ(run.end, End::kExited);
  EXPECT_EQ(run.exit_code, 7);
  EXPECT_TRUE(run.Finished());
  EXPECT_TRUE(run.Exited());
  // One argument, spaces and quote characters kept; run in its folder; no input.
  EXPECT_EQ(zv::test::TempDir::Read(dir.File("seen.txt")),
            "1\n" + argument + "\n" + RealPath(dir.path()) + "\n");
}

TEST(RunProgram, OurDescriptorsStayOurs) {
  zv::test::TempDir dir;
  const int fd = ::open(dir.File("held").c_str(), O_CREAT | O_WRONLY, 0644);  // inheritable
  ASSERT_GE(fd, 0);
  const int high = ::fcntl(fd, F_DUPFD, 50);
  ASSERT_GE(high, 50);
  const std::string program = WriteScript(
      dir, "fds", "if [ -e /proc/$$/fd/" + std::to_string(high) + " ]; then echo held; else echo free; fi > fds.txt\n");
  EXPECT_EQ(zv::RunProgram(program, {}, dir.path(), {}).end, End::kExited);
  EXPECT_EQ(zv::test::TempDir::Read(dir.File("fds.txt")), "free\n");
  ::close(high);
  ::close(fd);
}

TEST(RunProgram, ProgramsThatCannotStart) {
  zv::test::TempDir dir;
  struct Case {
    const char* what;
    std::string program;
  };
  const Case cases[] = {
      {"missing", dir.File("none")},
      {"bad interpreter", dir.Write("broken", "#!/nonexistent/interpreter\nexit 0\n")},
  };
  ::chmod(dir.File("broken").c_str(), 0755);
  for (const Case& c : cases) {
    const zv::ProgramRun run = zv::RunProgram(c.program, {"x"}, dir.path(), {});
    EXPECT_EQ(run.end, End::kNotStarted) << c.what;
    EXPECT_FALSE(run.error.empty()) << c.what;
    EXPECT_FALSE(run.Finished());
  }
  // A working folder that does not exist stops the start as well.
  const std::string program = WriteScript(dir, "fine", "exit 0\n");
  EXPECT_EQ(zv::RunProgram(program, {}, dir.File("no-such-folder"), {}).end, End::kNotStarted);
}

TEST(RunProgram, EndedByASignal) {
  zv::test::TempDir dir;
  const std::string program = WriteScript(dir, "crash", "kill -9 $$\n");
  const zv::ProgramRun run = zv::RunProgram(program, {}, dir.path(), {});
  EXPECT_EQ(run.end, End::kKilled);
  EXPECT_EQ(run.signal, SIGKILL);
  EXPECT_TRUE(run.Finished());
  EXPECT_FALSE(run.Exited());  // it may have stopped half-way through its work
}

TEST(RunProgram, StopEndsTheProgramAndWhatItStarted) {
  zv::test::TempDir dir;
  // The shell ignores SIGTERM, so only the kill after the grace time ends it;
  // its child is a member of the same group.
  const std::string program = WriteScript(
      dir, "slow", "trap '' TERM\nsleep 60 &\necho $$ $! > pids.txt\nwait\nwait\nsleep 60\n");
  std::atomic<bool> stop{false};
  zv::ProgramWait wait;
  wait.stop = &stop;
  wait.poll = milliseconds(5);
  wait.grace = milliseconds(100);
  std::atomic<std::chrono::steady_clock::rep> stopped_at{0};
  std::thread stopper([&] {
    WaitForFile(dir.File("pids.txt"));
    stopped_at.store(std::chrono::steady_clock::now().time_since_epoch().count());
    stop.store(true);
  });
  const zv::ProgramRun run = zv::RunProgram(program, {}, dir.path(), wait);
  const auto returned = std::chrono::steady_clock::now();
  stopper.join();
  // Ended by the kill after the grace time, not by the script's own end a
  // minute later.
  const std::chrono::steady_clock::time_point stopped{std::chrono::steady_clock::duration(stopped_at.load())};
  EXPECT_LT(returned - stopped, wait.grace + std::chrono::seconds(10));
  EXPECT_EQ(run.end, End::kStopped);
  EXPECT_FALSE(run.Finished());
  pid_t shell = 0, child = 0;
  std::istringstream(zv::test::TempDir::Read(dir.File("pids.txt"))) >> shell >> child;
  ASSERT_GT(shell, 0);
  ASSERT_GT(child, 0);
  EXPECT_TRUE(Ended(shell));  // reaped by RunProgram
  EXPECT_TRUE(WaitEnded(child));
}

TEST(RunProgram, StopBeforeTheStartStartsNothing) {
  zv::test::TempDir dir;
  const std::string program = WriteScript(dir, "mark", "echo ran > ran.txt\n");
  std::atomic<bool> stop{true};
  zv::ProgramWait wait;
  wait.stop = &stop;
  EXPECT_EQ(zv::RunProgram(program, {}, dir.path(), wait).end, End::kStopped);
  EXPECT_FALSE(zv::FileExists(dir.File("ran.txt")));
}

TEST(RunConverter, FindsBinZev2AndPassesTheBinsPath) {
  zv::test::TempDir dir;
  PathScope path(dir.File("empty-path"));
  EXPECT_EQ(zv::RunConverter(dir.path(), "bins/x.bin", {}).end, End::kNotStarted);
  WriteScript(dir, "binZEV2", "echo \"$1\" > arg.txt\n");
  const zv::ProgramRun run = zv::RunConverter(dir.path(), "bins/x.bin", {});
  EXPECT_EQ(run.end, End::kExited);
  EXPECT_EQ(Trimmed(zv::test::TempDir::Read(dir.File("arg.txt"))), "bins/x.bin");
}

}  // namespace
