// The single-instance channel: the lock and its files, a later start handing
// its paths to the running instance (both as objects of this one process, the
// later start on a thread of its own since its calls block), blocks the
// running instance drops, the bounds of a later start's waits, the end of
// accepting, the in-process block, and an instance killed without a chance to
// clean up.

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "modem/shared_memory.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using Paths = std::vector<std::string>;

constexpr auto kBound = 20s;  // generous: the machine is loaded

// Runs the event loop until `done` holds or the bound passes.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds bound = kBound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::sendPostedEvents();
  }
  return true;
}

// Runs the event loop for a while, for what must not happen.
void RunEventsFor(std::chrono::milliseconds span) {
  WaitUntil([] { return false; }, span);
}

zv::ChannelTiming ShortTiming() {
  zv::ChannelTiming t;
  t.connect_retry = 300ms;
  t.continue_wait = 300ms;
  t.block_read = 300ms;
  return t;
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

mode_t Mode(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// The running instance of a test, with what its callback received.
struct FirstInstance {
  explicit FirstInstance(bool accept = true) {
    EXPECT_FALSE(channel.OpenExistingMutex());
    EXPECT_TRUE(channel.Create(zv::kHandOverBlockSize, false));
    if (accept) Accept();
  }
  void Accept() {
    EXPECT_TRUE(channel.StartAccepting([this](Paths p) { received.push_back(std::move(p)); }));
  }
  CSharedMemory channel;
  std::vector<Paths> received;
};

// A later start on its own thread: sees the lock, connects, hands over.
std::future<bool> LaterStart(Paths paths, zv::ChannelTiming timing = {}) {
  return std::async(std::launch::async, [paths = std::move(paths), timing] {
    CSharedMemory later;
    later.SetTiming(timing);
    return later.OpenExistingMutex() && later.OpenEvents() && later.HandOverPaths(paths);
  });
}

bool Ready(const std::future<bool>& f) { return f.wait_for(0s) == std::future_status::ready; }

// A raw client of the running instance's socket, for blocks no writer of ours
// would send.
class RawClient {
 public:
  explicit RawClient(const std::string& socket_path) {
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socket_path.c_str(), sizeof addr.sun_path - 1);
    connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
  }
  ~RawClient() { ::close(fd_); }
  bool connected() const { return connected_; }
  bool Send(const void* data, std::size_t n) {
    return ::send(fd_, data, n, MSG_NOSIGNAL) == static_cast<ssize_t>(n);
  }
  bool Send(const zv::HandOverBlock& b) { return Send(b.data(), b.size()); }
  // Runs the event loop until the instance answers: 1 its byte, 0 the end of
  // the connection, -1 nothing within the bound.
  int Answer(std::chrono::milliseconds bound = kBound) {
    int answer = -1;
    WaitUntil(
        [&] {
          pollfd p{fd_, POLLIN, 0};
          if (::poll(&p, 1, 0) <= 0) return false;
          std::uint8_t byte;
          ssize_t n = ::recv(fd_, &byte, 1, MSG_DONTWAIT);
          answer = n == 1 ? 1 : 0;  // a reset counts as the end
          return true;
        },
        bound);
    return answer;
  }

 private:
  int fd_ = -1;
  bool connected_ = false;
};

zv::HandOverBlock Block(std::int32_t length, const std::string& content, std::uint8_t reserved = 0) {
  zv::HandOverBlock b(zv::kHandOverBlockSize);
  auto v = static_cast<std::uint32_t>(length);
  for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(v >> (8 * i));
  b[5] = reserved;
  std::memcpy(b.data() + 8, content.data(), content.size());
  return b;
}

TEST(SharedMemory, FolderLockAndSocket) {
  const std::string dir = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/ZV";
  EXPECT_EQ(zv::ChannelDir(), dir);
  {
    CSharedMemory first;
    EXPECT_EQ(first.LockPath(), dir + "/SharedMemoryMutex");
    EXPECT_EQ(first.SocketPath(), dir + "/SharedMemory");
    EXPECT_FALSE(first.OpenExistingMutex());
    EXPECT_TRUE(first.HoldsMutex());
    EXPECT_EQ(Mode(dir), 0700u);
    EXPECT_TRUE(Exists(first.LockPath()));
    EXPECT_FALSE(Exists(first.SocketPath()));
    ASSERT_TRUE(first.Create(zv::kHandOverBlockSize, false));
    struct stat st;
    ASSERT_EQ(::lstat(first.SocketPath().c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0600u);
  }
  // Gone with the object.
  EXPECT_FALSE(Exists(dir + "/SharedMemoryMutex"));
  EXPECT_FALSE(Exists(dir + "/SharedMemory"));
}

TEST(SharedMemory, FolderWithoutRuntimeDirIsOurOwnInTheTemporaryFolder) {
  zv::test::TempDir tmp;
  const char* old_tmp = std::getenv("TMPDIR");
  std::string saved_tmp = old_tmp ? old_tmp : "";
  ::setenv("TMPDIR", tmp.path().c_str(), 1);
  ::unsetenv("XDG_RUNTIME_DIR");
  const std::string dir = tmp.path() + "/ZV-" + std::to_string(::geteuid());
  EXPECT_EQ(zv::ChannelDir(), dir);

  // A folder that is there but open to others is narrowed to 0700.
  ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
  {
    CSharedMemory first;
    EXPECT_FALSE(first.OpenExistingMutex());
    EXPECT_TRUE(first.Create(zv::kHandOverBlockSize, false));
    EXPECT_EQ(Mode(dir), 0700u);
    EXPECT_TRUE(Exists(dir + "/SharedMemory"));
  }
  // A link in place of the folder (someone else's folder, say) is not used.
  ASSERT_EQ(::rmdir(dir.c_str()), 0);
  const std::string elsewhere = tmp.File("elsewhere");
  ASSERT_EQ(::mkdir(elsewhere.c_str(), 0700), 0);
  ASSERT_EQ(::symlink(elsewhere.c_str(), dir.c_str()), 0);
  {
    CSharedMemory first;
    EXPECT_FALSE(first.OpenExistingMutex());
    EXPECT_FALSE(first.HoldsMutex());
    EXPECT_FALSE(first.Create(zv::kHandOverBlockSize, false));
    EXPECT_FALSE(Exists(elsewhere + "/SharedMemoryMutex"));
    EXPECT_FALSE(Exists(elsewhere + "/SharedMemory"));
  }
  if (old_tmp) {
    ::setenv("TMPDIR", saved_tmp.c_str(), 1);
  } else {
    ::unsetenv("TMPDIR");
  }
}

TEST(SharedMemory, SecondObjectSeesTheLockUntilTheFirstCloses) {
  CSharedMemory first;
  ASSERT_FALSE(first.OpenExistingMutex());
  CSharedMemory second;
  EXPECT_TRUE(second.OpenExistingMutex());
  EXPECT_FALSE(second.HoldsMutex());
  EXPECT_FALSE(second.Create(zv::kHandOverBlockSize, false));
  EXPECT_FALSE(first.OpenExistingMutex());  // already ours
  first.Close();
  EXPECT_FALSE(Exists(first.LockPath()));
  CSharedMemory third;
  EXPECT_FALSE(third.OpenExistingMutex());
  EXPECT_TRUE(third.HoldsMutex());
}

// A start that opened the lock file just before the running instance removed
// it and ended may then lock that file, which no longer has the name: that
// lock does not count, the start takes the file under the name, and a start
// after it finds the instance running (one workstation per modem port).
TEST(SharedMemory, LockOfAFileThatLostItsNameDoesNotCount) {
  CSharedMemory closing;
  ASSERT_FALSE(closing.OpenExistingMutex());
  CSharedMemory start;
  int opens = 0;
  start.SetBeforeLockHook([&] {
    if (++opens == 1) closing.Close();  // removes the file, then unlocks it
  });
  EXPECT_FALSE(start.OpenExistingMutex());
  EXPECT_TRUE(start.HoldsMutex());
  EXPECT_EQ(opens, 2);
  EXPECT_TRUE(Exists(start.LockPath()));
  CSharedMemory next;
  EXPECT_TRUE(next.OpenExistingMutex());
  EXPECT_FALSE(next.HoldsMutex());
}

TEST(SharedMemory, LaterStartsHandTheirPathsOverInOrder) {
  FirstInstance first;
  std::future<bool> later = LaterStart({"/g/one.zev", "/g/two.zev"});
  ASSERT_TRUE(WaitUntil([&] { return Ready(later); }));
  EXPECT_TRUE(later.get());
  ASSERT_EQ(first.received.size(), 1u);
  EXPECT_EQ(first.received[0], (Paths{"/g/one.zev", "/g/two.zev"}));

  // One without paths still reaches the running instance (it comes to the front).
  later = LaterStart({});
  ASSERT_TRUE(WaitUntil([&] { return Ready(later); }));
  EXPECT_TRUE(later.get());
  ASSERT_EQ(first.received.size(), 2u);
  EXPECT_TRUE(first.received[1].empty());

  // Two five-byte paths, L = 11, as a block made by hand.
  RawClient raw(first.channel.SocketPath());
  ASSERT_TRUE(raw.connected());
  ASSERT_TRUE(raw.Send(Block(11, std::string("a.zev\0b.zev\0", 12))));
  EXPECT_EQ(raw.Answer(), 1);
  ASSERT_TRUE(WaitUntil([&] { return first.received.size() == 3; }));
  EXPECT_EQ(first.received[2], (Paths{"a.zev", "b.zev"}));
}

TEST(SharedMemory, PathsBeyondOneBlockArriveInSeveralBlocks) {
  FirstInstance first;
  Paths paths;
  for (int i = 0; i < 40; ++i) paths.push_back("/n/" + std::to_string(i) + std::string(1000, 'k') + ".zev");
  std::future<bool> later = LaterStart(paths);
  ASSERT_TRUE(WaitUntil([&] { return Ready(later); }));
  EXPECT_TRUE(later.get());
  EXPECT_EQ(first.received.size(), 3u);
  Paths all;
  for (const Paths& p : first.received) all.insert(all.end(), p.begin(), p.end());
  EXPECT_EQ(all, paths);
}

TEST(SharedMemory, StartsBeforeAcceptingWaitAndAreServedThen) {
  FirstInstance first(/*accept=*/false);
  RawClient a(first.channel.SocketPath());
  RawClient b(first.channel.SocketPath());
  ASSERT_TRUE(a.connected() && b.connected());
  ASSERT_TRUE(a.Send(Block(5, "a.zev")));
  ASSERT_TRUE(b.Send(Block(5, "b.zev")));
  RunEventsFor(200ms);
  EXPECT_TRUE(first.received.empty());
  first.Accept();
  EXPECT_EQ(a.Answer(), 1);
  EXPECT_EQ(b.Answer(), 1);
  ASSERT_TRUE(WaitUntil([&] { return first.received.size() == 2; }));
  Paths got = {first.received[0].at(0), first.received[1].at(0)};
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, (Paths{"a.zev", "b.zev"}));
}

TEST(SharedMemory, ShortLateOrGarbledBlocksAreDroppedUnanswered) {
  FirstInstance first(/*accept=*/false);
  first.channel.SetTiming(ShortTiming());
  first.Accept();
  const std::string two("a.zev\0b.zev\0", 12);
  struct Case {
    const char* name;
    zv::HandOverBlock bytes;
  } cases[] = {
      {"short block, writer waits", zv::HandOverBlock(100, 'x')},
      {"nothing sent", {}},
      {"negative length", Block(-1, two)},
      {"length past the block", Block(static_cast<std::int32_t>(zv::kHandOverBlockSize), two)},
      {"reserved bytes set", Block(11, two, 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RawClient raw(first.channel.SocketPath());
    ASSERT_TRUE(raw.connected());
    if (!c.bytes.empty()) {
      ASSERT_TRUE(raw.Send(c.bytes));
    }
    EXPECT_EQ(raw.Answer(), 0);
  }
  {
    // Gone in the middle of a block.
    RawClient raw(first.channel.SocketPath());
    ASSERT_TRUE(raw.Send(zv::HandOverBlock(100, 'x')));
  }
  // A good block after the drops and after a garbled second block on one
  // connection: the first is taken, the second drops the connection.
  RawClient raw(first.channel.SocketPath());
  ASSERT_TRUE(raw.Send(Block(5, "g.zev")));
  EXPECT_EQ(raw.Answer(), 1);
  ASSERT_TRUE(raw.Send(Block(11, two, 7)));
  EXPECT_EQ(raw.Answer(), 0);
  ASSERT_EQ(first.received.size(), 1u);
  EXPECT_EQ(first.received[0], Paths{"g.zev"});
}

TEST(SharedMemory, LaterStartGivesUpWithinItsBounds) {
  CSharedMemory first;
  ASSERT_FALSE(first.OpenExistingMutex());
  CSharedMemory later;
  later.SetTiming(ShortTiming());
  ASSERT_TRUE(later.OpenExistingMutex());
  // The lock is held but nobody listens yet: the connect is retried, then given up.
  EXPECT_FALSE(later.OpenEvents());
  EXPECT_FALSE(later.HandOverPaths({"/g/a.zev"}));

  // Listening but not accepting yet: the block goes into the queue, the
  // wait for the answer ends.
  ASSERT_TRUE(first.Create(zv::kHandOverBlockSize, false));
  ASSERT_TRUE(later.OpenEvents());
  EXPECT_FALSE(later.HandOverPaths({"/g/a.zev"}));
  // The block was whole, so the running instance still takes it once it accepts.
  std::vector<Paths> received;
  ASSERT_TRUE(first.StartAccepting([&](Paths p) { received.push_back(std::move(p)); }));
  ASSERT_TRUE(WaitUntil([&] { return received.size() == 1; }));
  EXPECT_EQ(received[0], Paths{"/g/a.zev"});

  // A path no block can carry: nothing is sent.
  ASSERT_TRUE(later.OpenEvents());
  EXPECT_FALSE(later.HandOverPaths({"/g/b.zev", std::string(zv::kHandOverBlockSize, 'p')}));
  RunEventsFor(200ms);
  EXPECT_EQ(received.size(), 1u);
}

TEST(SharedMemory, NothingIsAcceptedOnceStopped) {
  FirstInstance first;
  first.channel.StopAccepting();
  EXPECT_FALSE(first.channel.IsAccepting());
  EXPECT_FALSE(first.channel.StartAccepting([](Paths) {}));
  RawClient raw(first.channel.SocketPath());
  ASSERT_TRUE(raw.connected());  // the queue still takes it
  ASSERT_TRUE(raw.Send(Block(5, "a.zev")));
  RunEventsFor(200ms);
  EXPECT_TRUE(first.received.empty());
  first.channel.Close();
  EXPECT_EQ(raw.Answer(), 0);
  EXPECT_TRUE(first.received.empty());
  EXPECT_FALSE(Exists(first.channel.SocketPath()));
  EXPECT_FALSE(Exists(first.channel.LockPath()));

  CSharedMemory later;
  later.SetTiming(ShortTiming());
  EXPECT_FALSE(later.OpenExistingMutex());  // nobody runs any more
  CSharedMemory other;
  other.SetTiming(ShortTiming());
  EXPECT_FALSE(other.OpenEvents());
}

TEST(SharedMemory, CallbackMayCloseTheChannel) {
  CSharedMemory first;
  ASSERT_FALSE(first.OpenExistingMutex());
  ASSERT_TRUE(first.Create(zv::kHandOverBlockSize, false));
  std::vector<Paths> received;
  ASSERT_TRUE(first.StartAccepting([&](Paths p) {
    received.push_back(std::move(p));
    first.Close();
  }));
  std::future<bool> later = LaterStart({"/g/a.zev"});
  ASSERT_TRUE(WaitUntil([&] { return Ready(later); }));
  EXPECT_TRUE(later.get());  // answered before the callback ran
  ASSERT_EQ(received.size(), 1u);
  EXPECT_FALSE(first.IsAccepting());
  EXPECT_FALSE(Exists(first.SocketPath()));
}

TEST(SharedMemory, InProcessBlock) {
  CSharedMemory channel;
  EXPECT_EQ(channel.GetView(), nullptr);
  EXPECT_FALSE(channel.WritePathToView("/d/n.zev"));
  EXPECT_TRUE(channel.TakePathsFromView().empty());
  EXPECT_FALSE(channel.Create(8, true));

  // Only the block: no lock needed, no socket made.
  ASSERT_TRUE(channel.Create(zv::kHandOverBlockSize, true));
  EXPECT_FALSE(Exists(channel.SocketPath()));
  ASSERT_NE(channel.GetView(), nullptr);
  ASSERT_EQ(channel.GetSize(), zv::kHandOverBlockSize);
  EXPECT_TRUE(channel.TakePathsFromView().empty());  // as after start

  ASSERT_TRUE(channel.WritePathToView("/d/n.zev"));
  const std::uint8_t* view = channel.GetView();
  EXPECT_EQ(view[0], 8);
  EXPECT_EQ(std::memcmp(view + 8, "/d/n.zev", 9), 0);
  EXPECT_EQ(channel.TakePathsFromView(), Paths{"/d/n.zev"});
  // Read once: a later read (an empty hand-over) opens nothing again.
  EXPECT_EQ(std::memcmp(view, "\0\0\0\0", 4), 0);
  EXPECT_TRUE(channel.TakePathsFromView().empty());

  // A path too long is refused, not cut, and the block stays as it was.
  ASSERT_TRUE(channel.WritePathToView("/d/m.zev"));
  EXPECT_FALSE(channel.WritePathToView("/" + std::string(zv::kHandOverBlockSize - 9, 'd')));
  EXPECT_EQ(channel.TakePathsFromView(), Paths{"/d/m.zev"});
}

// A first instance in a child process that is killed without any chance to
// close: its lock goes with it, its socket file stays behind.
TEST(SharedMemory, KilledInstanceDoesNotStopTheNextFirstStart) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  // Should the test stop early, the child does not stay behind.
  struct Reaper {
    pid_t pid;
    ~Reaper() {
      if (pid > 0 && ::kill(pid, SIGKILL) == 0) ::waitpid(pid, nullptr, 0);
    }
  } reaper{child};
  if (child == 0) {
    ::close(ready[0]);
    CSharedMemory channel;
    bool ok = !channel.OpenExistingMutex() && channel.Create(zv::kHandOverBlockSize, false);
    char c = ok ? '1' : '0';
    if (::write(ready[1], &c, 1) != 1) ::_exit(2);
    for (;;) ::pause();
  }
  ::close(ready[1]);
  pollfd p{ready[0], POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, static_cast<int>(std::chrono::milliseconds(kBound).count())), 1);
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ::close(ready[0]);
  EXPECT_EQ(c, '1');

  CSharedMemory while_running;
  EXPECT_TRUE(while_running.OpenExistingMutex());
  ASSERT_EQ(::kill(child, SIGKILL), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  reaper.pid = 0;
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_TRUE(Exists(while_running.SocketPath()));
  EXPECT_TRUE(Exists(while_running.LockPath()));

  FirstInstance next;
  EXPECT_TRUE(next.channel.HoldsMutex());
  std::future<bool> later = LaterStart({"/g/after.zev"});
  ASSERT_TRUE(WaitUntil([&] { return Ready(later); }));
  EXPECT_TRUE(later.get());
  ASSERT_EQ(next.received.size(), 1u);
  EXPECT_EQ(next.received[0], Paths{"/g/after.zev"});
}

}  // namespace
