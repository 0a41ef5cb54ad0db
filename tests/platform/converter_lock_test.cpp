#include "platform/converter_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <thread>

#include "platform/paths.h"
#include "platform/process.h"
#include "tests/support/temp_dir.h"

namespace {

using End = zv::ProgramRun::End;
using State = zv::ConverterRewriteLock::State;
using std::chrono::milliseconds;

bool WaitForFile(const std::string& path) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (::access(path.c_str(), F_OK) != 0) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(milliseconds(5));
  }
  return true;
}

// binZEV2 that runs `first` (a line of its own, may be empty), lists what its
// descriptors lead to, creates "started" and then waits for "go" before it ends.
void WriteWaitingConverter(const zv::test::TempDir& dir, const std::string& first = "") {
  const std::string path = dir.Write(zv::kConverterName,
                                     "#!/bin/sh\n" + first +
                                     "for f in /proc/$$/fd/*; do readlink \"$f\"; done > fds.txt\n"
                                     ": > started\n"
                                     "i=0\n"
                                     "while [ ! -e go ] && [ -e fds.txt ] && [ $i -lt 6000 ]; do sleep 0.01; i=$((i+1)); done\n"
                                     ": > ended\n");
  ::chmod(path.c_str(), 0755);
}

// A stop while the converter runs ends only the wait: the lock is held to the
// converter's own end, and no rewrite gets it meanwhile. `keeps_copy`: the
// converter keeps the locked descriptor it inherited (else it closed it).
void ExpectHeldToTheEndAfterAStop(const zv::test::TempDir& dir, bool keeps_copy) {
  std::atomic<bool> stop{false};
  zv::ProgramWait wait{&stop};
  wait.poll = milliseconds(5);
  wait.leave_running_on_stop = true;
  std::thread user([&] {
    WaitForFile(dir.File("started"));
    stop.store(true);
  });
  const zv::ProgramRun run = zv::RunConverter(dir.path(), "bins/x.bin", wait);
  user.join();
  ASSERT_EQ(run.end, End::kStopped);

  // Whether the converter has a descriptor of the lock file.
  const std::string fds = zv::test::TempDir::Read(dir.File("fds.txt"));
  EXPECT_EQ(fds.find(zv::ConverterLockPath()) != std::string::npos, keeps_copy) << fds;

  int idles = 0;
  zv::ConverterLockWait short_wait;
  short_wait.bound = milliseconds(50);
  short_wait.idle = [&] { ++idles; };
  {
    zv::ConverterRewriteLock lock(short_wait);
    EXPECT_EQ(lock.state(), State::kBusy);
    EXPECT_GT(idles, 0);
  }
  // Once it has ended, a rewrite waiting for it gets the lock.
  zv::ConverterLockWait long_wait;
  long_wait.idle = [&] { ::close(::open(dir.File("go").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644)); };
  zv::ConverterRewriteLock lock(long_wait);
  EXPECT_EQ(lock.state(), State::kHeld);
  EXPECT_TRUE(zv::FileExists(dir.File("ended")));
}

TEST(ConverterLock, TheConverterHoldsItToItsEndAfterTheWaitStopped) {
  zv::test::TempDir dir;
  WriteWaitingConverter(dir);
  ExpectHeldToTheEndAfterAStop(dir, true);
}

// A converter that closes the locked descriptor it inherited holds nothing
// itself: the starter that stopped waiting keeps its own hold until it has
// reaped the converter.
TEST(ConverterLock, TheStarterHoldsItForAConverterThatClosedItsCopy) {
  zv::test::TempDir dir;
  WriteWaitingConverter(dir, "exec 3>&-\n");
  ExpectHeldToTheEndAfterAStop(dir, false);
}

// The converter's lock reaches no other program: one started while the
// converter runs, the way a detached start does (fork and exec), holds no
// descriptor of the lock file.
TEST(ConverterLock, OtherProgramsStartedMeanwhileDoNotGetIt) {
  zv::test::TempDir dir;
  WriteWaitingConverter(dir);
  std::thread converter([&] { zv::RunConverter(dir.path(), "bins/x.bin", {}); });
  ASSERT_TRUE(WaitForFile(dir.File("started")));
  const std::string command = "for f in /proc/$$/fd/*; do readlink \"$f\"; done > '" + dir.File("other.txt") + "'; exit 0";
  EXPECT_EQ(std::system(command.c_str()), 0);
  ::close(::open(dir.File("go").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
  converter.join();
  const std::string other = zv::test::TempDir::Read(dir.File("other.txt"));
  EXPECT_FALSE(other.empty());
  EXPECT_EQ(other.find(zv::kConverterLockName), std::string::npos) << other;
}

}  // namespace
