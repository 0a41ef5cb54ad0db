#pragma once
// An IP converter for tests: the far end of the TCP link, in front of a heat
// computer.
//
// It listens on 127.0.0.1 at a port the system chooses (port(), for the
// node's IPPORT) and pipes each connection to a DataPeer, normally a
// HeatComputer (with a RecordingPeer in front to see every byte sent): the
// bytes that come go to the peer, and its replies go back on the connection
// with their delays, noise, trailing bytes and pieces (data_peer.h). Each
// piece is a send of its own with Nagle's delay off, so pieces of one answer
// reach the workstation as separate segments when they are paused apart.
// One connection at a time; a new one replaces the old.
//
//   zv::sim::HeatComputer heat;
//   zv::sim::IpConverter converter(heat);
//   ASSERT_TRUE(converter.Start());
//   node.header.SetInt("IPPORT", converter.port());
//
// Faults: SetCloseAfter(n) closes a connection once it has carried n answers.
// The peer is Reset whenever a connection ends.
//
// FullListener is a listener that never accepts and whose queue is full, so a
// connect to it gets no answer at all and runs into its time limit.
// UnusedPort() is a port on 127.0.0.1 where nothing listens (connections are
// refused).
//
// Thread-safe: the converter's thread serves the connection while the test
// sets faults and reads the counts.

#include <atomic>
#include <mutex>
#include <vector>

#include "tests/sim/data_peer.h"
#include "tests/sim/pty_line.h"

namespace zv::sim {

class IpConverter {
 public:
  explicit IpConverter(DataPeer& device) : device_(device) {}
  ~IpConverter();
  IpConverter(const IpConverter&) = delete;
  IpConverter& operator=(const IpConverter&) = delete;

  // Listens and starts serving; false when no listening socket could be made.
  bool Start();
  void Stop();
  int port() const { return port_; }

  // 0: never.
  void SetCloseAfter(size_t answers);

  // Connections accepted, and connections the workstation ended (the end of
  // its stream seen), so far.
  size_t connections() const { return connections_.load(); }
  size_t closed_by_workstation() const { return closed_by_workstation_.load(); }
  bool WaitForConnections(size_t n, milliseconds bound) const;
  bool WaitForClosedByWorkstation(size_t n, milliseconds bound) const;

 private:
  void Run(const std::atomic<bool>& stop);
  // Serves the bytes that came on the connection; false when it was closed.
  bool Serve(int fd, const Bytes& in, size_t& answers, const std::atomic<bool>& stop);

  DataPeer& device_;
  int listen_fd_ = -1;
  int port_ = 0;
  SimulatorThread thread_;
  mutable std::mutex mutex_;
  size_t close_after_ = 0;
  std::atomic<size_t> connections_{0};
  std::atomic<size_t> closed_by_workstation_{0};
};

class FullListener {
 public:
  FullListener() = default;
  ~FullListener();
  FullListener(const FullListener&) = delete;
  FullListener& operator=(const FullListener&) = delete;

  // Listens and fills the queue; false when that did not work.
  bool Start();
  int port() const { return port_; }

 private:
  int listen_fd_ = -1;
  int port_ = 0;
  std::vector<int> fillers_;
};

// A port of 127.0.0.1 that nothing listens on (taken and given back at once); 0 on failure.
int UnusedPort();

}  // namespace zv::sim
