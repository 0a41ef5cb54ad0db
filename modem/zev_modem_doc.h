#pragma once
// CZEVModemDoc: the document of the polling workstation, an ordered group of
// metering nodes, each a CNode standing for one node file (.zev).
//
// The group is saved as a group file (.gr, modem/group_file.h) listing the node
// files by path. Opening a node file appends its node; opening a group file
// replaces the group. The document also creates the file of a new node.
//
// Ownership: the group holds its nodes by shared_ptr. The status view and the
// poll worker's block hold a node's shared_ptr while they work on it, so
// emptying or replacing the group never frees a node in use; such a poll runs
// on, and FindNode (null for a node no longer in the group) lets its reports be
// ignored.
//
// Paths: beside each node the document keeps the node file's path as the user
// interface thread last read it (the worker may move the file while it polls).
// Save and the view's open commands use that copy; RefreshNodePath takes the
// node's path again after a settings rewrite and when the view handles the
// node's "name changed" (145) report.
//
// The document has no widgets of its own: it reaches its view through
// zv::DocumentViews, shows messages through zv::ShowMessage, and asks for a
// Save As name through a replaceable prompt (a QFileDialog by default). All of
// it runs on the user-interface thread.
//
// Paths given to and kept by the document are on-disk paths (UTF-8), the form
// CNode::path has.

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "links/node.h"
#include "links/status_sink.h"
#include "modem/document_views.h"

class QWidget;

class CZEVModemDoc : public QObject {
  Q_OBJECT

 public:
  // Command ids of the document's commands.
  static constexpr int kIdFileNew = 57600;
  static constexpr int kIdFileOpen = 57601;
  static constexpr int kIdFileSave = 57603;     // "&Сохранить группу..."
  static constexpr int kIdFileSaveAs = 57604;   // "Сохранить группу к&ак...", Ctrl+S
  static constexpr int kIdNodeAdd = 32817;      // "Узел" > "Добавить новый"

  explicit CZEVModemDoc(QObject* parent = nullptr);
  ~CZEVModemDoc() override;
  CZEVModemDoc(const CZEVModemDoc&) = delete;
  CZEVModemDoc& operator=(const CZEVModemDoc&) = delete;

  // ---- views and dialogs ------------------------------------------------------
  // The view the document reports to (none: nothing is reported).
  void SetViews(zv::DocumentViews* views) { views_ = views; }
  zv::DocumentViews* views() const { return views_; }
  // Update all views: the rows of appended nodes appear.
  void UpdateAllViews();
  // The parent window of the document's messages and dialogs.
  void SetDialogParent(QWidget* parent);

  // Asks for the file name of Save As; `proposed` is the group's path or, when
  // untitled, its title. An empty answer is Cancel. Only the name is asked for:
  // the document appends ".gr" where needed and asks itself before replacing a
  // file.
  using SaveNamePrompt = std::function<std::string(const std::string& proposed)>;
  void SetSaveNamePrompt(SaveNamePrompt prompt) { save_prompt_ = std::move(prompt); }
  // The folder new nodes are made in: the program folder (zv::ProgramDir())
  // unless one is given.
  void SetNewNodeFolder(std::string folder) { new_node_folder_ = std::move(folder); }
  std::string NewNodeFolder() const;

  // ---- the group --------------------------------------------------------------
  const std::vector<std::shared_ptr<CNode>>& nodes() const { return nodes_; }
  size_t NodeCount() const { return nodes_.size(); }
  // The node with this id while it is in the group, else null.
  std::shared_ptr<CNode> FindNode(zv::NodeId id) const;
  // Its place in the group, or -1.
  int IndexOf(zv::NodeId id) const;
  // The node file's path as the user-interface thread last read it; "" for a
  // node that is not in the group.
  std::string NodePath(zv::NodeId id) const;
  std::string NodePathAt(size_t index) const;
  // Takes the node's path again (after a settings rewrite, on its 145 report).
  void RefreshNodePath(zv::NodeId id);
  // Takes a node out of the group (the view's remove command) and sets the
  // modified flag; returns the node (null when it was not in the group).
  std::shared_ptr<CNode> RemoveNode(zv::NodeId id);
  // Empties the group (the nodes live on where someone else holds them).
  void DeleteContents();

  // ---- framework behaviour ----------------------------------------------------
  // Command 57600: empties the group; untitled ("Untitled Group"); the view is
  // rebuilt. Nothing asks to save.
  bool New();
  // The framework's open (the open command, a recent file, a drop, the command
  // line): OnOpenDocument; a group file that opened becomes the document's
  // path and title. A damaged group file leaves an empty, untitled group.
  bool Open(const std::string& path);
  // The document's open step, by the file's extension (letter case ignored):
  // "zev" appends the node file's node, "gr" replaces the group by the group
  // file's nodes, any other file reads nothing and still succeeds. Then
  // autostart ("Settings"/"Autostart", default 0) starts polling. False, with
  // the message shown, when the file cannot be opened or the group file is
  // damaged (the group is then already empty). Used directly for node files
  // handed over by a later start.
  bool OnOpenDocument(const std::string& path);
  // The first step of New: empties the group and updates all views.
  bool OnNewDocument();
  // The user is never asked whether to save the group.
  bool SaveModified() const { return true; }
  // Command 57603: writes to the group's path; untitled: as Save As.
  bool Save();
  // Command 57604: asks for a name (a name not ending in ".gr" gets ".gr"), asks
  // before replacing a file, writes, and the group takes the new path and title.
  bool SaveAs();
  // Writes the group file through zv::AtomicFile (the old file stays whole on
  // any failure, shown as "Не удается сохранить файл <path>." and the reason);
  // on success clears the modified flag.
  bool OnSaveDocument(const std::string& path);
  // The Save As name rule: a name that does not end in ".gr" (any letter case)
  // gets ".gr" appended.
  static std::string GroupFileName(const std::string& chosen);
  // The bytes the group file would get now (the paths as last read on the
  // user-interface thread).
  std::string GroupBytes() const;

  // ---- nodes ------------------------------------------------------------------
  // Appends the node of one node file. A file that does not open still makes a
  // node: its header has only "N" (the path in Windows-1251), status 143 "Файл
  // не найден", no message; its entry is saved back unchanged. Returns the node.
  std::shared_ptr<CNode> AddNodeFile(const std::string& path);
  // Reads one node file and appends its node (status 129): the header up to the
  // "$" line, and the stamp of the last counted data line, found by reading
  // back from the file's end. Null (nothing appended) when the file does not
  // open.
  std::shared_ptr<CNode> LoadNode(const std::string& path);
  // Reads a node file into a new node without appending it; null when the file
  // does not open (errno in `error`).
  static std::shared_ptr<CNode> ReadNodeFile(const std::string& path, int* error = nullptr);
  // Command 32817: a new node file "00000_Новый узел.zev" in the new-node
  // folder with the default header, made exclusively (an existing file is never
  // emptied: the next free name "Новый узел 2", 3, ... is taken); its node is
  // appended and the views updated. On failure the reason in a plain box and
  // no node. Returns the node.
  std::shared_ptr<CNode> OnNodeAdd();

  // ---- state ------------------------------------------------------------------
  bool IsModified() const { return modified_; }
  void SetModifiedFlag(bool modified = true) { modified_ = modified; }
  // The group file's path ("" while untitled) and the title.
  const std::string& path() const { return path_; }
  const QString& title() const { return title_; }
  void SetPathName(const std::string& path);
  void SetDefaultTitle();
  static QString DefaultTitle() { return QStringLiteral("Untitled Group"); }

 signals:
  // The group now has this path (a group file opened or saved): for the recent
  // files.
  void PathChanged(const QString& path);
  void TitleChanged(const QString& title);

 private:
  void Append(std::shared_ptr<CNode> node);
  bool LoadGroup(const std::string& path, const std::string& bytes);
  void ApplyAutostart();
  std::string AskSaveName();

  std::vector<std::shared_ptr<CNode>> nodes_;
  std::vector<std::string> paths_;  // beside nodes_: each node's path on the UI thread
  zv::DocumentViews* views_ = nullptr;
  QPointer<QWidget> dialog_parent_;
  SaveNamePrompt save_prompt_;
  std::string new_node_folder_;
  std::string path_;
  QString title_ = DefaultTitle();
  bool modified_ = false;
};
