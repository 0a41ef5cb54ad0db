#pragma once
// zv::ChannelReader: the running instance's side of the single-instance
// channel (see modem/shared_memory.h), on the thread that makes it, which
// must run a Qt event loop. No thread of its own: the listening socket and
// every accepted connection are watched by socket notifiers.
//
// Each connection carries blocks one after the other. A block must arrive
// whole within `block_read` of the connection's accept or of the previous
// block; it must be well formed. Then one byte goes back at once (the writer
// may go on), and the block's paths go to the callback. A connection whose
// block comes short, late or garbled is closed without that byte, and so is
// one whose writer has gone.

#include <chrono>
#include <memory>
#include <vector>

#include "modem/shared_memory.h"

class QSocketNotifier;

namespace zv {

class ChannelReader {
 public:
  // `listen_fd` stays the caller's; the reader only accepts on it.
  ChannelReader(int listen_fd, std::chrono::milliseconds block_read, HandOverCallback on_paths);
  // Closes the connections in progress.
  ~ChannelReader();
  ChannelReader(const ChannelReader&) = delete;
  ChannelReader& operator=(const ChannelReader&) = delete;

  void SetCallback(HandOverCallback on_paths) { on_paths_ = std::move(on_paths); }

 private:
  struct Connection;

  void AcceptPending();
  void ReadFrom(Connection* c);
  void Drop(Connection* c);

  int listen_fd_;
  std::chrono::milliseconds block_read_;
  HandOverCallback on_paths_;
  std::unique_ptr<QSocketNotifier> listen_notifier_;
  std::vector<std::unique_ptr<Connection>> connections_;
};

}  // namespace zv
