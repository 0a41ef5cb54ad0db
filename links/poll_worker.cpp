#include "links/poll_worker.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "links/archive_map.h"
#include "links/bins_file.h"
#include "links/block_list.h"
#include "links/link_factory.h"
#include "links/node_status.h"
#include "links/poll_flags.h"
#include "platform/cp1251.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/profile.h"
#include "platform/str_format.h"

namespace {

namespace status = zv::node_status;

// The poll target lies this far ahead of the computer's clock.
constexpr std::time_t kTargetAhead = 2 * 60 * 60;

class NodePoll {
 public:
  explicit NodePoll(zv::PollWorkerBlock& block)
      : node_(*block.node),
        setup_(block.setup),
        clock_(*block.setup.clock),
        folder_(block.setup.program_dir.empty() ? zv::ProgramDir() : block.setup.program_dir) {}

  // The final status of the poll.
  int Run();

 private:
  int Download(CComLink& link, const zv::LinkEndpoint& endpoint, const DateStamp& target);
  bool GiveNumber(const CComLink& link);
  int HandOver(const std::string& bins);
  void Post(int id) { node_.PostStatus(id, 0, setup_.sink); }
  void Message(const std::string& text, const std::string& file, int error = 0);

  CNode& node_;
  const zv::PollSetup& setup_;
  const zv::Clock& clock_;
  const std::string folder_;
};

int NodePoll::Run() {
  const std::optional<zv::LinkEndpoint> endpoint = zv::ReadLinkEndpoint(node_.header);
  if (!endpoint) return status::kFailure;

  DateStamp target;
  target.FromTime(clock_.NowTime() + kTargetAhead);
  if (node_.last_record.Compare(target, DateStamp::kHour) >= 0) return status::kOk;  // nothing new

  std::unique_ptr<CComLink> link = zv::CreateLink(endpoint->modem, setup_.timing, clock_, setup_.sink);
  if (!link) return status::kFailure;
  link->device_address = endpoint->device_address;
  link->node = &node_;
  return Download(*link, *endpoint, target);
  // The link goes here, and with it the port: the call ends.
}

int NodePoll::Download(CComLink& link, const zv::LinkEndpoint& endpoint, const DateStamp& target) {
  if (!link.Open(endpoint.port, endpoint.modem, endpoint.init, endpoint.address) || !link.ReadFirstBlock()) {
    link.Close();
    return status::kFailure;
  }
  link.family = link.ImageFamily();
  link.model = link.ImageModel();
  node_.header.SetInt("V", link.family == 1 ? 4 : 8);
  const bool numbered = GiveNumber(link);

  auto list = std::make_unique<zv::BlockList>();
  if (!zv::BuildBlockList(endpoint.modem, link.family, link.model, node_.last_record, target, *list) ||
      !link.ReadBlocks(list->data(), list->size())) {
    link.Close();
    return status::kFailure;
  }
  link.Close();  // the call itself stays up until the link goes

  const std::string bins = link.WriteBinsFile(folder_);
  if (bins.empty()) return status::kFailure;
  const int result = HandOver(bins);
  if (numbered) Post(status::kRenamed);
  clock_.Sleep(setup_.timing.worker.end_pause);
  return result;
}

// A node without a number gets the device's, and its file the name made of it.
// When the file cannot be renamed the node stays as it was (and is numbered at
// its next poll), and the reason goes to the window.
bool NodePoll::GiveNumber(const CComLink& link) {
  if (node_.header.GetInt("N") != 0) return false;
  const std::string old_number = node_.header.GetString("N");
  const bool old_flag = node_.rename_flag;
  node_.header.SetString("N", zv::StrFormat("%05d", link.DeviceNumber()));
  node_.rename_flag = true;
  CNode::RewriteFailure failure;
  if (!node_.RewriteHeader(&failure)) {
    node_.header.SetString("N", old_number);
    node_.rename_flag = old_flag;
    if (setup_.sink != nullptr) setup_.sink->OnNodeMessage(node_.id(), failure.message);
    return false;
  }
  Post(status::kRenamed);
  clock_.Sleep(setup_.timing.worker.renamed_pause);
  return true;
}

// The converter and the archive copy. 137 when the converter cannot be started.
//
// The converter appends lines to the node file (under the converter lock,
// which it keeps to its end), so it is never ended half-way: the wait for it has no time-out and does not look at PollCancel (a
// stop during the converter ends the poll with 142 once it is done). The bins
// file is deleted only after a converter that ended by itself; one ended by a
// signal may not have taken the data in, so the file is kept (archived when
// that is the setting, else left in "bins") and the user is told. A failed
// archive step keeps the file and the outcome, and is reported as well.
int NodePoll::HandOver(const std::string& bins) {
  const zv::Profile profile(zv::kProgramZEVModem);
  const bool transfer = profile.GetInt("Settings", "DataTransfer", 1) == 1;
  const bool archive = profile.GetInt("Settings", "ArchiveSave", 1) == 1;
  const std::string path = folder_ + "/" + bins;
  int result = status::kOk;
  bool converted = true;
  if (transfer) {
    // The converter appends after the file's last line: a line that a converter
    // ended half-way left is cut off first (this poll read its hour again).
    node_.EndFileCleanly();
    zv::ProgramWait wait;  // no stop flag: waited for to its end
    wait.poll = setup_.timing.worker.converter_poll;
    const zv::ProgramRun run = zv::RunConverter(folder_, bins, wait);
    if (run.end == zv::ProgramRun::End::kNotStarted) result = status::kFailure;
    converted = run.Exited();
    if (run.end == zv::ProgramRun::End::kKilled) {
      Message(zv::StrFormat(zv::W1251("Конвертер %s прерван сигналом %d, файл данных сохранён").c_str(),
                            zv::kConverterName, run.signal),
              path);
    }
  }
  if (archive) {
    const std::string archived = folder_ + "/" + zv::ArchiveBinsFileName(bins);
    if (!zv::EnsureDirectory(folder_, zv::kArchiveBinsFolder)) {
      const int error = errno;
      Message(zv::W1251("Не создана папка \"") + zv::kArchiveBinsFolder + zv::W1251("\", файл данных остался на месте"),
              path, error);
    } else if (std::rename(path.c_str(), archived.c_str()) != 0) {
      const int error = errno;
      Message(zv::W1251("Файл данных не перемещён в \"") + zv::kArchiveBinsFolder + "\"", path, error);
    }
  } else if (transfer && converted && std::remove(path.c_str()) != 0) {
    const int error = errno;
    Message(zv::W1251("Файл данных не удалён"), path, error);
  }
  return result;
}

// "<text>: <file>" and the reason, when there is one, to the window.
void NodePoll::Message(const std::string& text, const std::string& file, int error) {
  if (setup_.sink == nullptr) return;
  std::string message = text + ": " + zv::LocalPathToCp1251(file);
  if (error != 0) message += std::string(" (") + std::strerror(error) + ")";
  setup_.sink->OnNodeMessage(node_.id(), message);
}

// The pauses of the end of a poll. While the worker's owner is going (`going`
// set) they end early, so they are slept in pieces that look at it.
void EndPause(const zv::PollWorkerBlock& block, zv::Duration pause, const std::atomic<bool>* going) {
  const zv::Clock& clock = *block.setup.clock;
  if (going == nullptr) {
    clock.Sleep(pause);
    return;
  }
  const zv::Duration piece = std::max(block.setup.timing.worker.owner_check, zv::Duration(1));
  while (pause.count() > 0 && !going->load()) {
    const zv::Duration now = std::min(pause, piece);
    clock.Sleep(now);
    pause -= now;
  }
}

void FinishPoll(zv::PollWorkerBlock* block, int final_status, const std::atomic<bool>* going) {
  if (block == nullptr) return;
  if (PollCancel.load()) final_status = status::kCancelled;
  if (final_status != 0 && block->node != nullptr) {
    EndPause(*block, block->setup.timing.worker.final_status_pause, going);
    block->node->PostStatus(final_status, 0, block->setup.sink);
  }
  EndPause(*block, block->setup.timing.worker.idle_pause, going);
  PollCancel.store(false);
  PollIdle.store(true);
}

int RunPoll(zv::PollWorkerBlock* block, const std::atomic<bool>* going) {
  if (block == nullptr) return 0;
  const int result = block->node != nullptr ? NodePoll(*block).Run() : status::kFailure;
  FinishPoll(block, result, going);
  return 0;
}

}  // namespace

namespace zv {

PollWorker::~PollWorker() {
  // A stop of our own for a poll that still runs. The thread may already be
  // past FinishNodePoll, which clears PollCancel, while Running() is still
  // true: the flag we set is then cleared again after the join, so that it
  // never outlives this worker and stops the next poll at once.
  bool stopped_here = false;
  if (Running()) {
    going_.store(true);
    stopped_here = !PollCancel.exchange(true);
  }
  Join();
  if (stopped_here) PollCancel.store(false);
}

bool PollWorker::Start(PollWorkerBlock& block) {
  // Once PollIdle is back the previous thread has only its last store left:
  // wait for it rather than refuse, so the scheduler's "idle" is enough.
  if (Running() && !PollIdle.load()) return false;
  Join();
  PollIdle.store(false);
  running_.store(true);
  thread_ = std::thread([this, &block] {
    RunPoll(&block, &going_);
    running_.store(false);
  });
  return true;
}

void PollWorker::Join() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace zv

int PollNodeThread(zv::PollWorkerBlock* block) { return RunPoll(block, nullptr); }

void FinishNodePoll(zv::PollWorkerBlock* block, int final_status) { FinishPoll(block, final_status, nullptr); }
