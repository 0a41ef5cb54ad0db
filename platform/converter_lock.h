#pragma once
// The converter lock: an advisory lock (flock) on the file "ConverterLock" in
// the programs' runtime folder, one per user for all four programs.
//
// The converter binZEV2 appends lines to a node file through a descriptor it
// keeps open for its whole run. A rewrite of a node file (a temporary file
// renamed into place) while it runs would leave its later lines in the old,
// unlinked file. So every start of the converter takes the lock shared and
// the converter itself inherits that locked descriptor as its descriptor 3
// (RunConverterProgram in platform/process.h). While the converter runs the
// lock is held by:
//   - a starter that waits for its end (the poll worker, a reader not
//     stopped): the starter's own descriptor, closed once the converter has
//     ended, besides the converter's;
//   - a starter that stopped waiting (a reader the user stopped): the
//     starter's own descriptor all the same, kept by the thread that reaps the
//     converter and closed only after the reap, so the lock lasts to the
//     converter's end whatever the converter does with its descriptor 3;
//   - a starter gone (the program ended first): only the converter's
//     descriptor 3, for as long as the converter keeps it open.
// Every rewrite of a node file holds the lock exclusively from its read to its
// rename:
//
//   zv::ConverterRewriteLock lock(wait);          // waits up to wait.bound
//   if (lock.busy()) return fail("file is being changed");
//   ... read, write the temporary file, rename ...
//
// When the lock file cannot be opened at all (no runtime folder) neither side
// holds anything: the converter still runs, and a rewrite relies on its own
// check that the file did not change while it was read.

#include <chrono>
#include <functional>
#include <string>

namespace zv {

inline constexpr const char* kConverterLockName = "ConverterLock";

// RuntimeDir()/ConverterLock.
std::string ConverterLockPath();

// A new open of the lock file (made when missing, the folder too), close on
// exec; -1 with errno set when it cannot be had.
int OpenConverterLock();

// Takes the lock shared on a descriptor of OpenConverterLock, waiting while a
// rewrite holds it; false (errno set) on failure.
bool LockConverterShared(int fd);

// How a rewrite waits for running converters.
struct ConverterLockWait {
  // A rewrite that has not got the lock by then fails, the file left as it is.
  std::chrono::milliseconds bound{30000};
  // The pause between two tries.
  std::chrono::milliseconds step{20};
  // Called between the tries (the viewer processes events here); may be empty.
  std::function<void()> idle;
};

// The exclusive hold of a rewrite, from construction to destruction.
class ConverterRewriteLock {
 public:
  enum class State {
    kHeld,         // no converter runs and none can start until released
    kBusy,         // a converter ran on past the bound
    kUnavailable,  // the lock file cannot be opened: nothing is held
  };
  explicit ConverterRewriteLock(const ConverterLockWait& wait = {});
  ~ConverterRewriteLock();
  ConverterRewriteLock(const ConverterRewriteLock&) = delete;
  ConverterRewriteLock& operator=(const ConverterRewriteLock&) = delete;

  State state() const { return state_; }
  bool busy() const { return state_ == State::kBusy; }
  // Releases the lock before the destructor would.
  void Release();

 private:
  int fd_ = -1;
  State state_ = State::kUnavailable;
};

}  // namespace zv
