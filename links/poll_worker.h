#pragma once
// The poll worker: one poll of one node on a thread of its own, from the node
// header to the node's final status.
//
// PollNodeThread reads how to reach the node (link_factory.h), ends at once
// with "OK" when the node's last record is not earlier, to the hour, than the
// computer's clock plus two hours, and otherwise creates the link by MODEM,
// opens it, reads the first block, stores family and model (and the header's
// V: 4 for family 1, 8 for family 2), gives a new node (N missing or 0) its
// device number and the file name made of it (status 145), builds the block
// list of what is new, downloads it, closes the link, writes the bins file
// (bins_file.h), runs the converter binZEV2 on it and waits for it, then moves
// the file to "archive-bins" or deletes it by the settings Settings/"ArchiveSave"
// and Settings/"DataTransfer" (both 1 by default). Every path ends in
// FinishNodePoll.
//
// Statuses while it runs: 131, 141, 132 (modem dialogue), 130 with the
// progress (blocks), 145 after a rename and again before the end, then the
// final one: 134 OK, 137 failure, or 142 when PollCancel was set.
//
// Failures end with 137: no address, no link for the MODEM value, the link's
// Open, first block or download (a GSM download's time limit and a dead line
// included: those are failures, not stops), a device without an archive map, a bins file
// that cannot be written whole (nothing is left of it), and a converter that
// cannot be started (the bins file is then kept: moved to "archive-bins" when
// that is the setting, never deleted). The converter's exit code does not
// change the outcome. The converter is never ended half-way (it appends lines
// to the node file): the wait for it has no time-out, and a stop request while
// it runs lets it finish, after which the bins file is handled as after any
// other run and the poll ends with 142. A converter ended by a signal keeps the
// bins file (archived when that is the setting, else left in "bins"); that, and
// an archive step that fails (the file then stays where it is, the outcome is
// kept), are reported through StatusSink::OnNodeMessage with the file and the
// reason.
//
// Threads: the worker writes the node's status (atomic) and reports it through
// the sink, and it writes the node's header and path only before it reports
// 145, which is when the user interface reads them. Nothing else of the node
// is touched by the user interface thread while a poll runs (the settings
// command refuses to run). The worker owns its link.
//
// The workstation:
//   zv::PollWorkerBlock block;          // kept by the view for the worker's life
//   block.node = node;  block.setup.sink = &sink;
//   worker.Start(block);                // PollIdle := false, then the thread
//   ... worker.Running() / PollIdle tell when it is over ...

#include <atomic>
#include <string>
#include <thread>

#include "links/clock.h"
#include "links/node.h"
#include "links/poll_timing.h"
#include "links/status_sink.h"

namespace zv {

// What a poll works with besides its node.
struct PollSetup {
  PollTiming timing;
  const Clock* clock = &SystemClock();  // must outlive the poll
  StatusSink* sink = nullptr;           // none: the statuses are only stored
  // The program's folder: the folders "bins" and "archive-bins" lie in it, the
  // converter is looked for in it first (then on PATH) and runs in it.
  // Empty: zv::ProgramDir().
  std::string program_dir;
};

// The worker's parameter, owned by the caller for the whole run.
struct PollWorkerBlock {
  CNode* node = nullptr;
  PollSetup setup;
};

// Runs the thread that PollNodeThread is the body of; one at a time.
class PollWorker {
 public:
  PollWorker() = default;
  // A poll still running is stopped (PollCancel) and waited for (a running
  // converter to its end); the pauses of its end are cut short. PollCancel is
  // clear afterwards whenever this worker set it.
  ~PollWorker();
  PollWorker(const PollWorker&) = delete;
  PollWorker& operator=(const PollWorker&) = delete;

  // Clears PollIdle and starts PollNodeThread(&block) on a new thread; false
  // (nothing started) while the previous poll still runs, that is, until it
  // has set PollIdle.
  bool Start(PollWorkerBlock& block);
  // True from Start until the thread's last step is done.
  bool Running() const { return running_.load(); }
  // Waits for the thread (nothing when none was started).
  void Join();

 private:
  std::thread thread_;
  std::atomic<bool> running_{false};
  std::atomic<bool> going_{false};  // the destructor runs: the end's pauses end early
};

}  // namespace zv

// The body of the worker thread; returns 0.
int PollNodeThread(zv::PollWorkerBlock* block);

// The end of every poll: a set PollCancel turns `status` into 142; a status
// other than 0 is written into the node and reported after the
// final_status_pause; after the idle_pause PollCancel is cleared and PollIdle
// set, so the scheduler may start the next node. (In a poll that a PollWorker
// runs, both pauses end early once the worker is being destroyed.)
void FinishNodePoll(zv::PollWorkerBlock* block, int status);
