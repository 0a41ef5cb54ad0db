#pragma once
// The two flags the user-interface thread and the poll worker share. They are
// the only state the two threads share besides the node's status (an atomic in
// CNode); no lock is taken, a stale read only delays the reaction by one wait.
//
// PollIdle: true while no worker runs. The scheduler clears it when it starts a
// worker; the end of every poll sets it again.
// PollCancel: the user's stop request, set by the stop command; every wait of
// the links tests it; only the end of a poll clears it, and a poll that ends
// while it is set ends as stopped (142), its tries reset. The GSM link does
// not set it for its time limit or a dead line: it ends its own download
// (CComLink::EndDownload), and the poll ends as a failure (137) to be retried.
//
// The serial reader programs keep their own idle and stop flags of the same type
// (StopFlag) and hand the stop flag to their port (CSerialPort::SetStopFlag).

#include <atomic>

namespace zv {
using StopFlag = std::atomic<bool>;
}  // namespace zv

extern zv::StopFlag PollIdle;    // initially true
extern zv::StopFlag PollCancel;  // initially false
