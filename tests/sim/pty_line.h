#pragma once
// A serial line for tests: a pseudo-terminal whose master end the test or a
// device simulator holds, while the code under test opens the slave end as its
// COM port.
//
// How the device simulators use it:
// - Make a PtyLine and call MapToComPort(n): COM<n> of the port map (the test's
//   own $XDG_CONFIG_HOME/ZV/ports.ini) then names the slave, so the code under
//   test opens it exactly as it opens a real port ("COM<n>").
// - Run the device on a SimulatorThread: its loop reads requests from the master
//   (ReadExactly for fixed-size frames, ReadUntil for modem commands ending in
//   CR), answers with Write, and returns when the stop flag is set. Stop() (or
//   the destructor) sets the flag, interrupts any read of the line and joins.
// - Every read takes an upper bound; choose it generously (seconds) and let
//   the expected bytes end it: the harness never depends on tight timing.
//
// The line is never put into any mode: a fresh pseudo-terminal is cooked (echo,
// line editing, CR/LF translation, XON/XOFF, signal characters), so the frames
// come through intact only because the port under test makes the line raw.
//
// While no slave is open (before the port opens it, after it closed it) reads
// on the master fail with EIO; the harness takes that as "port closed": the
// read waits on (in short sleeps, no spinning) until the port opens, bytes come,
// or the bound passes. PeerOpen() tells which state the line is in now.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace zv::sim {

using Bytes = std::vector<std::uint8_t>;
using std::chrono::milliseconds;

inline Bytes ToBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }
inline std::string ToText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

class PtyLine {
 public:
  // Opens the pair and closes the harness's own slave descriptor at once, so
  // the code under test is the slave's only user. ok() tells whether it worked.
  PtyLine();
  ~PtyLine();
  PtyLine(const PtyLine&) = delete;
  PtyLine& operator=(const PtyLine&) = delete;

  bool ok() const { return master_ >= 0; }
  const std::string& slave_path() const { return slave_path_; }
  int master_fd() const { return master_; }

  // Writes COM<number>=<slave> into the port map (other entries are kept).
  bool MapToComPort(int number) const;

  // Writes all bytes to the line; false when they could not all be written.
  bool Write(const Bytes& bytes);
  bool Write(std::string_view text);

  // Up to `max` bytes: returns with the first bytes that come (or the bound).
  Bytes ReadSome(size_t max, milliseconds bound);
  // Exactly n bytes unless the bound passes first (then what came).
  Bytes ReadExactly(size_t n, milliseconds bound);
  // Bytes up to and including the first `end` byte, or what came within the bound.
  Bytes ReadUntil(std::uint8_t end, milliseconds bound);
  // Reads and drops whatever comes until the line has been quiet for `quiet`.
  void Drain(milliseconds quiet);

  // Whether a slave descriptor is open now, and waiting for either state.
  bool PeerOpen() const;
  bool WaitPeerOpen(milliseconds bound) const;
  bool WaitPeerClosed(milliseconds bound) const;

  // Hangs the line up from the device side: the master is closed for good.
  void CloseMaster();

  // Makes every read in progress (and every later one) return at once, from any
  // thread; SimulatorThread::Stop uses it. ClearInterrupt undoes it.
  void Interrupt() { interrupted_.store(true); }
  void ClearInterrupt() { interrupted_.store(false); }

 private:
  // Reads once into `out` (up to `max` more bytes), waiting at most `wait`;
  // false when nothing came (silence, closed slave, interrupt).
  bool ReadOnce(Bytes& out, size_t max, milliseconds wait);

  int master_ = -1;
  std::string slave_path_;
  std::atomic<bool> interrupted_{false};
};

// Waits until `done` holds, looking every few milliseconds; false when the
// bound passed first. For the simulators' logs, which have no signal of their own.
bool WaitUntil(const std::function<bool()>& done, milliseconds bound);

// A device simulator's thread. The loop gets the stop flag and must return soon
// after it is set; Stop sets it, interrupts the line given to Start, and joins.
class SimulatorThread {
 public:
  using Loop = std::function<void(const std::atomic<bool>& stop)>;

  SimulatorThread() = default;
  ~SimulatorThread() { Stop(); }
  SimulatorThread(const SimulatorThread&) = delete;
  SimulatorThread& operator=(const SimulatorThread&) = delete;

  void Start(Loop loop, PtyLine* line = nullptr);
  void Stop();
  bool running() const { return thread_.joinable(); }

 private:
  std::thread thread_;
  std::atomic<bool> stop_{false};
  PtyLine* line_ = nullptr;
};

}  // namespace zv::sim
