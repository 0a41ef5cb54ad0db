#pragma once
// A Hayes-compatible modem on a pseudo-terminal, for the modem dialogue and the
// links behind it.
//
// Command mode (at start and after a call ends):
// - Lines end with CR (LF is ignored). Lines that do not start with "AT" (any
//   letter case) are ignored, everything else is logged (commands()).
// - Replies are verbose: "\r\nTEXT\r\n". With SetEcho(true) every command line
//   is echoed as it came, before the reply.
// - Any AT command gets "OK", unless SetCommandAnswer gave that exact command
//   line (without CR) another answer: "ERROR" or silence (e.g. for the init
//   string).
// - "ATD[T|P]<number>" is logged in dials() with its mode ('T', 'P' or 0) and
//   number; after SetConnectDelay's pause the modem answers by SetDialAnswer:
//   "CONNECT 9600" (the default; the call is up, data mode follows), "BUSY",
//   "NO DIALTONE", "NO ANSWER", "NO CARRIER", "OK", or silence.
//
// Data mode (while a call is up):
// - Every byte from the port goes to the DataPeer given with SetPeer (the heat
//   computer for GSM, the line-side controller for PSTN) and its replies come
//   back on the line (data_peer.h); without a peer the bytes are dropped.
// - SetCarrierLossAfter(n): once the peer's n-th request of the call has been
//   answered the carrier drops: "\r\nNO CARRIER\r\n", back to command mode,
//   further bytes are commands again.
// - When the port under test closes the line the call ends as well (the real
//   port drops DTR); hangups() counts the calls that ended either way.
//
//   zv::sim::ModemSimulator modem;
//   modem.MapToComPort(2);
//   modem.SetPeer(&heat);
//   modem.Start();            // ... the test ...; Stop() or the destructor ends it
//
// Settings may change while it runs; the logs are read from any thread.

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "tests/sim/data_peer.h"
#include "tests/sim/pty_line.h"

namespace zv::sim {

class ModemSimulator {
 public:
  enum class CommandAnswer { kOk, kError, kSilence };
  enum class DialAnswer { kConnect, kBusy, kNoDialtone, kNoAnswer, kNoCarrier, kOk, kSilence };
  struct Dial {
    char mode = 0;  // 'T', 'P' or 0 (none given)
    std::string number;
    bool operator==(const Dial&) const = default;
  };

  ModemSimulator() = default;
  ~ModemSimulator() { Stop(); }
  ModemSimulator(const ModemSimulator&) = delete;
  ModemSimulator& operator=(const ModemSimulator&) = delete;

  PtyLine& line() { return line_; }
  bool MapToComPort(int number) const { return line_.MapToComPort(number); }

  void SetEcho(bool on);
  void SetCommandAnswer(const std::string& command, CommandAnswer answer);
  void SetDialAnswer(DialAnswer answer);
  void SetConnectDelay(milliseconds delay);
  void SetPeer(DataPeer* peer);
  // 0: the carrier never drops.
  void SetCarrierLossAfter(size_t requests);

  void Start();
  void Stop() { thread_.Stop(); }

  std::vector<std::string> commands() const;
  std::vector<Dial> dials() const;
  bool in_call() const { return in_call_.load(); }
  int hangups() const { return hangups_.load(); }
  // Wait until `n` commands have been logged, or `n` calls have ended; false
  // when the bound passed.
  bool WaitForCommands(size_t n, milliseconds bound) const;
  bool WaitForHangups(int n, milliseconds bound) const;

 private:
  void Run(const std::atomic<bool>& stop);
  void Command(const std::string& text, const std::atomic<bool>& stop);
  void Data(const Bytes& in, const std::atomic<bool>& stop);
  void EndCall();
  void Say(const char* text);

  PtyLine line_;
  SimulatorThread thread_;

  mutable std::mutex mutex_;
  bool echo_ = false;
  std::map<std::string, CommandAnswer> command_answers_;
  DialAnswer dial_answer_ = DialAnswer::kConnect;
  milliseconds connect_delay_{0};
  DataPeer* peer_ = nullptr;
  size_t carrier_loss_after_ = 0;
  std::vector<std::string> commands_;
  std::vector<Dial> dials_;

  // The simulator thread's own.
  std::atomic<bool> in_call_{false};
  std::atomic<int> hangups_{0};
  size_t call_requests_ = 0;
};

}  // namespace zv::sim
