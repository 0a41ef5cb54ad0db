#pragma once
// CNode: one metering node of a group of the polling workstation.
//
// It holds the node file's path (on-disk form), its header (workstation form),
// the poll status shown in the status view, the try count of the current pass,
// the date-time of the newest data line, and the rename flag. The group document
// owns its nodes; links and the poll worker only point at the node they poll.
//
// Threads: the status is written by the worker (and the GSM sender) and by the
// user-interface thread, so it is atomic. Everything else is written by one
// thread at a time: the worker while it polls the node, the user-interface
// thread otherwise (the settings command refuses to run during a poll).
//
// Reports to the windows go through a StatusSink with the node's id; the node
// keeps that id for its whole life and ids are never reused.

#include <atomic>
#include <functional>
#include <string>

#include "data/data_header.h"
#include "data/date_stamp.h"
#include "links/status_sink.h"
#include "platform/converter_lock.h"

class CNode {
 public:
  // Why a header rewrite did not happen. The node file is untouched in every case.
  enum class RewriteError {
    kNone,
    kBadName,       // N or NAME cannot make a node file name (the rename was refused)
    kCannotOpen,    // the node file cannot be opened or read
    kNoSeparator,   // the node file has no "$" line: its data would be lost
    kTargetExists,  // another file already has the new name
    kCannotWrite,   // the new file could not be written or put in place
    kBusy,          // a converter ran on past the wait, or the file kept changing
  };
  struct RewriteFailure {
    RewriteError error = RewriteError::kNone;
    std::string message;  // Windows-1251, for a message box
  };

  // Empty path, empty header, status 0, no tries, the default stamp, no rename.
  CNode();
  CNode(const CNode&) = delete;
  CNode& operator=(const CNode&) = delete;

  zv::NodeId id() const { return id_; }

  // Writes the status into the node, then reports it (status before report, so
  // a receiver that reads the node sees at least this status).
  void PostStatus(int new_status, int percent, zv::StatusSink& sink);
  // The same; without a sink the status is only written.
  void PostStatus(int new_status, int percent, zv::StatusSink* sink);

  // Writes the header back into the node file, keeping every data line after
  // the "$" line (their line ends become CR LF).
  //
  // With the rename flag set the file gets the name "<N>_<NAME>.zev" (an empty
  // NAME gives "data") in its own folder, and the node adopts the new path; when
  // that is its present name, or the flag is clear, the file is rewritten in
  // place. The new content is written to a temporary file in the node file's
  // folder and renamed into place, so the old file stays whole on any failure.
  // A new name never replaces an existing file.
  //
  // The rewrite holds the converter lock (platform/converter_lock.h) from its
  // read to its rename: while a converter runs it waits, up to the options'
  // bound (its idle hook runs between the tries), and then fails with kBusy.
  // A file that changes while it is read all the same (a writer outside our
  // programs) is read again; when it keeps changing the rewrite fails with
  // kBusy. An unfinished last line (data/data_record.h) is kept as it is,
  // without a line end.
  //
  // True when the file was rewritten; false with the reason in `failure`.
  struct RewriteOptions {
    zv::ConverterLockWait lock_wait;
    // For tests: called before the commit with the attempt's number (0, 1, 2).
    std::function<void(int attempt)> before_commit;
  };
  bool RewriteHeader(RewriteFailure* failure = nullptr, const RewriteOptions& options = {});

  // Ends the node file's data cleanly before the converter appends to it, under
  // the converter lock (waiting as a rewrite does): a last data line without
  // its line end that lacks values of the file's layout (a converter ended
  // half-way through it, data/data_record.h) is cut off, and a complete one gets its line end (LF
  // alone when it ends with CR). A file without data lines, or whose last line
  // is ended, stays as it is. False when the file could not be read or changed,
  // or the lock was not had in time.
  bool EndFileCleanly(const zv::ConverterLockWait& wait = {});

  std::string path;  // the node file (on-disk form)
  CDataHeader header{CDataHeader::kWorkstation};
  std::atomic<int> status{0};  // node status id (links/node_status.h), 0 before any
  int tries = 0;
  DateStamp last_record;
  bool rename_flag = false;  // the next RewriteHeader gives the file its "<N>_<NAME>" name

 private:
  const zv::NodeId id_;
};
