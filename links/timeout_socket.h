#pragma once
// CTimeoutSocket: a TCP stream socket whose blocking calls are bounded.
//
// Every call that waits takes its limit: the connect (the TCP link gives
// 3000 ms) and each send and receive (1000 ms). The socket itself is
// non-blocking; each wait is a poll() of at most one slice, between slices the
// stop flag is looked at, and a set flag ends the call as a failure. Sends
// never raise SIGPIPE (MSG_NOSIGNAL): a peer that has gone makes Send fail.
//
// The host is a name or a numeric address (IPv4 or IPv6); Connect tries each
// address the name resolves to until one connects, all within the one limit.
// Name resolution itself is the system's and is not bounded.
//
// A socket belongs to one thread.

#include <chrono>
#include <string>

#include "links/poll_flags.h"
#include "links/poll_timing.h"

class CTimeoutSocket {
 public:
  CTimeoutSocket() = default;
  ~CTimeoutSocket() { Close(); }
  CTimeoutSocket(const CTimeoutSocket&) = delete;
  CTimeoutSocket& operator=(const CTimeoutSocket&) = delete;

  // A flag that ends every wait while it is set (null: none), and the longest
  // single wait between two looks at it.
  void SetStopFlag(const zv::StopFlag* stop, zv::Duration slice);

  // Connects to `host`:`port` (0..65535) within `limit`. False when the name
  // does not resolve, every address refuses or fails, or the limit passes (the
  // socket is closed then). An open socket is closed first.
  bool Connect(const std::string& host, int port, zv::Duration limit);
  bool IsOpen() const { return fd_ >= 0; }

  // Sends all n bytes within `limit`: n, or -1 when the socket is not open,
  // on an error (the peer gone included) or when the limit passes first.
  int Send(const void* buffer, int n, zv::Duration limit);
  // Waits up to `limit` for bytes and takes up to n of them: the count (> 0),
  // 0 when the peer has closed the connection, -1 when the socket is not
  // open, on an error or when nothing came within the limit.
  int Receive(void* buffer, int n, zv::Duration limit);
  // Drops whatever has come in and not been received, without waiting.
  void Discard();

  // Ends both directions: the peer sees the end of the stream. The socket
  // stays open until Close.
  void ShutDown();
  void Close();

 private:
  using Deadline = std::chrono::steady_clock::time_point;
  // Waits for `events` until `deadline`: 1 ready, 0 the limit passed or
  // stopped, -1 an error or a hang-up without the event.
  int Wait(short events, Deadline deadline) const;
  bool Stopped() const { return stop_ != nullptr && stop_->load(std::memory_order_relaxed); }

  int fd_ = -1;
  const zv::StopFlag* stop_ = nullptr;
  zv::Duration slice_ = zv::Ms(50);
};
