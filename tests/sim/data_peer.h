#pragma once
// The far end of a byte stream in the simulators, and how its answers travel.
//
// A DataPeer (the heat computer, later the line-side controller) is fed the bytes
// that reach it, in whatever pieces they come, and returns one Reply for every
// complete request it found in them (a silent Reply when it does not answer).
// It never touches a line itself: whoever carries its bytes plays the replies
// with PlayReply - a pty line of its own (PeerOnLine below), the data mode of
// the modem simulator, a TCP socket, or another simulator that wraps the answer
// into its own frame first (take reply.answer, wrap it, play the Reply).
//
// A Reply is the answer frame plus the way it goes out: a delay before the first
// byte, noise bytes before the answer, trailing bytes after it, and the whole
// split into pieces with a pause between them.
//
// PeerOnLine runs a DataPeer on its own pseudo-terminal, like a device cabled to
// a COM port:
//
//   zv::sim::HeatComputer heat;
//   zv::sim::PeerOnLine device(heat);
//   device.MapToComPort(2);   // the code under test opens "COM2"
//   device.Start();           // ... the test ...; Stop() or the destructor ends it
//
// When the port under test closes the line, the peer is Reset (a request cut off
// by the hang-up is forgotten).
//
// RecordingPeer sits in front of another peer and keeps every byte it is fed:
// the wire as the device sees it (wake-up bytes and padding included).

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <vector>

#include "tests/sim/pty_line.h"

namespace zv::sim {

struct Reply {
  Bytes answer;                  // the answer frame; empty: nothing answered
  milliseconds delay{0};         // before the first byte
  Bytes noise;                   // sent before the answer
  Bytes trailing;                // sent after the answer
  size_t chunk = 0;              // >0: the bytes go out in pieces of this many
  milliseconds chunk_pause{0};   // between two pieces

  bool Silent() const { return answer.empty() && noise.empty() && trailing.empty(); }
  // noise + answer + trailing.
  Bytes Wire() const;
};

class DataPeer {
 public:
  virtual ~DataPeer() = default;
  // The bytes that came; one Reply per complete request found.
  virtual std::vector<Reply> Receive(const Bytes& in) = 0;
  // The line went down: forget a partly received request.
  virtual void Reset() {}
};

// Passes everything to `inner` and keeps what came, in order.
class RecordingPeer final : public DataPeer {
 public:
  explicit RecordingPeer(DataPeer& inner) : inner_(inner) {}
  std::vector<Reply> Receive(const Bytes& in) override;
  void Reset() override { inner_.Reset(); }

  Bytes received() const;
  // Waits until at least `n` bytes have come; false when the bound passed.
  bool WaitForBytes(size_t n, milliseconds bound) const;

 private:
  DataPeer& inner_;
  mutable std::mutex mutex_;
  Bytes received_;
};

// Sends the bytes of one write; false when they could not be sent.
using ByteWriter = std::function<bool(const Bytes&)>;

// Plays a reply through `write`. Pauses are cut short when `stop` is set (the
// rest is not sent then). False when stopped or a write failed.
bool PlayReply(const Reply& reply, const ByteWriter& write, const std::atomic<bool>& stop);

// A DataPeer on its own pseudo-terminal line.
class PeerOnLine {
 public:
  explicit PeerOnLine(DataPeer& peer) : peer_(peer) {}
  ~PeerOnLine() { Stop(); }
  PeerOnLine(const PeerOnLine&) = delete;
  PeerOnLine& operator=(const PeerOnLine&) = delete;

  PtyLine& line() { return line_; }
  bool MapToComPort(int number) const { return line_.MapToComPort(number); }
  void Start();
  void Stop() { thread_.Stop(); }

 private:
  DataPeer& peer_;
  PtyLine line_;
  SimulatorThread thread_;
};

}  // namespace zv::sim
