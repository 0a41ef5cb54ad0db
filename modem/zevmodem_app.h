#pragma once
// CZEVModemApp: the workstation program around its one document and frame.
//
// main has already taken the instance lock and listens (zv::StartInstance,
// before Qt); the application gets that channel and the command line's file
// names, made absolute. InitInstance then:
//   - installs Qt's Russian texts;
//   - writes "Settings"/"Path" where it differs from the program's path and
//     makes the program's folder the current folder ("bins", "archive-bins"
//     and new node files lie beside the program);
//   - reads the recent group files;
//   - makes the document, the frame and its view; the view's grid starts the
//     channel's accepting, and later starts' blocks wait in a queue until no
//     modal dialog, box or menu is open;
//   - opens every command-line file in order through OpenDocumentFile: a group
//     file as the document, a node file into the empty untitled group; any
//     failure ends the start (InitInstance false, no window);
//   - shows the frame, which takes dropped files.
//
// Every open (the open command, a recent file, a drop, the command line, a
// later start) goes through OpenDocumentFile, by extension: a group file
// replaces the group (recent list, title), a node file is handed over to the
// frame through the channel's in-process block, anything else opens nothing.
// The frame's handler opens the block's paths in the document, updates the
// view and brings the frame to the front.
//
// Once the exit has begun (the frame is being closed) nothing more is
// accepted; the destructor closes the channel (socket and lock removed).

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "modem/hand_over_queue.h"
#include "modem/modem_setup.h"
#include "modem/open_document.h"
#include "modem/recent_files.h"

class CMainFrame;
class CSharedMemory;
class CZEVModemDoc;
class QAction;

struct ModemAppOptions {
  zv::ModemSetup setup;
  // The program's own path, for "Path" and the current folder. Empty:
  // zv::ProgramPath().
  std::string program_path;
};

class CZEVModemApp : public QObject, public zv::DocumentOpenTarget {
  Q_OBJECT

 public:
  // First id of the recent files' menu entries ("&1 ...", "&2 ...").
  static constexpr int kIdFileMruFirst = 57616;

  // `channel` is the first instance's, made by zv::StartInstance; it must
  // outlive the application.
  CZEVModemApp(CSharedMemory& channel, std::vector<std::string> paths,
               ModemAppOptions options = {});
  ~CZEVModemApp() override;
  CZEVModemApp(const CZEVModemApp&) = delete;
  CZEVModemApp& operator=(const CZEVModemApp&) = delete;

  // True to run the event loop, false to end the program (status 1).
  bool InitInstance();

  // The routing by extension (see zv::OpenDocumentFile).
  zv::OpenOutcome OpenDocumentFile(const std::string& path);

  // The open command: the dialog, then each chosen file in order.
  void OnFileOpen();
  // A recent file's menu entry: an entry that does not open is dropped after
  // the document's message.
  void OnOpenRecentFile(int index);
  // Files dropped on the frame, in order.
  void OnDropFiles(const std::vector<std::string>& paths);
  // A later start's block: queued, worked when nothing modal is open.
  void OnHandOver(std::vector<std::string> paths);
  // The program is ending: nothing more is accepted or worked.
  void BeginExit();

  CMainFrame* frame() const { return frame_.get(); }
  CZEVModemDoc* document() const { return document_.get(); }
  const CRecentFileList& recent_files() const { return recent_; }
  const zv::HandOverQueue& queue() const { return queue_; }
  // The recent files' menu entries, in order.
  const std::vector<QAction*>& recent_actions() const { return recent_actions_; }

  // zv::DocumentOpenTarget
  bool OpenGroupFile(const std::string& path) override;
  bool HandOverNodeFile(const std::string& path) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void WorkBlock(const std::vector<std::string>& paths);
  void UpdateRecentMenu();

  CSharedMemory& channel_;
  std::vector<std::string> paths_;
  ModemAppOptions options_;
  CRecentFileList recent_;
  zv::HandOverQueue queue_;
  std::unique_ptr<CZEVModemDoc> document_;
  std::unique_ptr<CMainFrame> frame_;
  std::vector<QAction*> recent_actions_;
  bool exiting_ = false;
};
