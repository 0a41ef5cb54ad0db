#pragma once
// CSharedMemory: the workstation's single-instance channel.
//
// One instance runs per user. The first start takes the instance lock, the
// file "SharedMemoryMutex" in ChannelDir(), with flock: the kernel drops it
// with the process, however the process ends. It then listens on the Unix
// socket "SharedMemory" beside it. A later start finds the lock taken,
// connects and sends its own command-line paths in hand-over blocks
// (modem/hand_over_block.h), one 16384-byte block at a time, and waits after
// each for the one byte by which the running instance confirms that it has
// read the block. All of that is plain POSIX and runs in main before any Qt
// object exists:
//
//   CSharedMemory channel;
//   if (channel.OpenExistingMutex()) {          // another instance runs
//     if (channel.OpenEvents()) channel.HandOverPaths(absolute_paths);
//     return 0;
//   }
//   if (!channel.Create(zv::kHandOverBlockSize, false)) return 1;
//
// The running instance accepts on its user-interface thread, from the moment
// StartAccepting is called (the status view does so when it creates its
// grid); a later start that comes earlier waits in the socket's queue. Each
// block read whole within ChannelTiming::block_read is confirmed at once and
// its paths go to the callback, an empty list included (the frame comes to
// the front then too). A block that comes short, late or garbled is dropped
// with its connection, unconfirmed.
//
// Inside the running program the same layout carries a node file path from
// the open-file operation to the main frame through GetView: WritePathToView
// fills the block, the frame's handler takes the paths with TakePathsFromView,
// which empties the block again so that a later read cannot open the same
// file a second time.
//
// An object belongs to one thread; the writer's calls block for at most the
// times in ChannelTiming.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "modem/hand_over_block.h"
#include "platform/runtime_dir.h"

namespace zv {

class ChannelReader;

// Receives the paths of one block, in the block's order.
using HandOverCallback = std::function<void(std::vector<std::string> paths)>;

struct ChannelTiming {
  // A later start: how long it keeps trying to connect (the first instance
  // may hold the lock and not listen yet), and how long it waits for each
  // block to go out and be confirmed.
  std::chrono::milliseconds connect_retry{2000};
  std::chrono::milliseconds continue_wait{5000};
  // The running instance: how long one block may take to arrive whole.
  std::chrono::milliseconds block_read{2000};
};

// The programs' runtime folder (platform/runtime_dir.h).
inline std::string ChannelDir() { return RuntimeDir(); }

}  // namespace zv

class CSharedMemory {
 public:
  CSharedMemory();
  ~CSharedMemory();
  CSharedMemory(const CSharedMemory&) = delete;
  CSharedMemory& operator=(const CSharedMemory&) = delete;

  // True when another process (or another object) holds the instance lock.
  // False otherwise, and then this object holds it: testing and taking are
  // one step. False as well when the lock cannot be reached at all (the
  // channel folder cannot be made or is not safely ours); Create fails then.
  bool OpenExistingMutex();
  bool HoldsMutex() const { return lock_fd_ >= 0; }

  // A later start: connects to the running instance, trying for
  // ChannelTiming::connect_retry. False when nobody listens in that time.
  bool OpenEvents();
  // Sends one block over the connection (false when not all of it went).
  bool SignalDataReady(const zv::HandOverBlock& block);
  // Waits for the running instance's byte for the block just sent.
  bool WaitForContinue();
  // The whole hand-over of a later start: the paths in as many blocks as they
  // need, each sent and confirmed in turn (no paths: one empty block, which
  // brings the running instance to the front). Closes the connection. False
  // when a path cannot be carried (nothing is sent then), when not connected,
  // or when a block fails.
  bool HandOverPaths(const std::vector<std::string>& paths);

  // The first start, holding the lock: removes a socket left by an instance
  // that has gone (the lock proves nobody owns it), listens on a new one
  // (0600) and makes the in-process block of `size` bytes. With `open_only`
  // only the block is made. False when the lock is not held, when listening
  // fails, or once accepting has been stopped (an ending program listens no
  // more).
  bool Create(std::size_t size, bool open_only);

  // Starts accepting later starts on the calling (user-interface) thread;
  // needs the Qt application object. False before Create, once accepting has
  // been stopped, or without the application object. A second call while
  // accepting only replaces the callback.
  bool StartAccepting(zv::HandOverCallback on_paths);
  bool IsAccepting() const { return reader_ != nullptr; }
  // The program is ending: nothing more is accepted, connections in progress
  // are dropped. Must run while the Qt application object exists; may run
  // from inside the callback.
  void StopAccepting();

  // The in-process block (null before Create) and its size.
  std::uint8_t* GetView() { return view_.empty() ? nullptr : view_.data(); }
  std::size_t GetSize() const { return view_.size(); }
  // Zeroes the block and writes the one path. False, with the block
  // untouched, when there is no block or the path cannot be carried.
  bool WritePathToView(const std::string& path);
  // The paths the block holds; leaves the block empty (L = 0).
  std::vector<std::string> TakePathsFromView();

  // Stops accepting, closes every socket, removes the socket and the lock
  // file where this object made them, and frees the block.
  void Close();

  void SetTiming(const zv::ChannelTiming& timing) { timing_ = timing; }
  // For tests of a start that races a closing instance: runs in
  // OpenExistingMutex after each open of the lock file, before its flock.
  void SetBeforeLockHook(std::function<void()> hook) { before_lock_ = std::move(hook); }
  const std::string& LockPath() const { return lock_path_; }
  const std::string& SocketPath() const { return socket_path_; }

 private:
  void CloseConnection();

  const std::string base_name_ = "SharedMemory";
  std::string lock_path_;
  std::string socket_path_;
  zv::ChannelTiming timing_;
  int lock_fd_ = -1;
  int listen_fd_ = -1;      // the first instance's socket
  int connection_fd_ = -1;  // a later start's connection
  bool stopped_ = false;
  std::vector<std::uint8_t> view_;
  std::unique_ptr<zv::ChannelReader> reader_;
  std::function<void()> before_lock_;
};
