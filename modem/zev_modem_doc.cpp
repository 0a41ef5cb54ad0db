#include "modem/zev_modem_doc.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileDialog>
#include <QGuiApplication>
#include <QWidget>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "links/node_status.h"
#include "modem/group_file.h"
#include "modem/node_file_load.h"
#include "platform/ascii.h"
#include "platform/atomic_file.h"
#include "platform/cp1251.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/qt/message_box.h"
#include "platform/text_lines.h"

namespace {

QString Path(const std::string& path) { return QString::fromStdString(path); }

QString Reason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

void ReportCannotOpen(const std::string& path, QWidget* parent) {
  zv::ShowMessage(QString::fromUtf8("Не удается открыть файл %1.").arg(Path(path)),
                  zv::MessageIcon::kWarning, zv::MessageButtons::kOk, parent);
}

// The kind of a file: the text after the last "." of its name, when that "."
// does not start the name.
std::string Kind(const std::string& path) {
  const std::string name = zv::BaseName(path);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return {};
  return zv::ToLowerAscii(std::string_view(name).substr(dot + 1));
}

// The busy cursor while a new node's file is written.
class WaitCursor {
 public:
  WaitCursor() : shown_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    if (shown_) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  }
  ~WaitCursor() {
    if (shown_) QGuiApplication::restoreOverrideCursor();
  }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  bool shown_;
};

// Writes all of `bytes` to a file made exclusively; false with errno set.
bool WriteAll(int fd, const std::string& bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

CZEVModemDoc::CZEVModemDoc(QObject* parent) : QObject(parent) {}

CZEVModemDoc::~CZEVModemDoc() = default;

void CZEVModemDoc::UpdateAllViews() {
  if (views_) views_->OnUpdate();
}

void CZEVModemDoc::SetDialogParent(QWidget* parent) { dialog_parent_ = parent; }

std::string CZEVModemDoc::NewNodeFolder() const {
  return new_node_folder_.empty() ? zv::ProgramDir() : new_node_folder_;
}

// ---- the group ----------------------------------------------------------------

std::shared_ptr<CNode> CZEVModemDoc::FindNode(zv::NodeId id) const {
  const int i = IndexOf(id);
  return i < 0 ? nullptr : nodes_[static_cast<size_t>(i)];
}

int CZEVModemDoc::IndexOf(zv::NodeId id) const {
  for (size_t i = 0; i < nodes_.size(); ++i)
    if (nodes_[i]->id() == id) return static_cast<int>(i);
  return -1;
}

std::string CZEVModemDoc::NodePath(zv::NodeId id) const {
  const int i = IndexOf(id);
  return i < 0 ? std::string() : paths_[static_cast<size_t>(i)];
}

std::string CZEVModemDoc::NodePathAt(size_t index) const {
  return index < paths_.size() ? paths_[index] : std::string();
}

void CZEVModemDoc::RefreshNodePath(zv::NodeId id) {
  const int i = IndexOf(id);
  if (i >= 0) paths_[static_cast<size_t>(i)] = nodes_[static_cast<size_t>(i)]->path;
}

std::shared_ptr<CNode> CZEVModemDoc::RemoveNode(zv::NodeId id) {
  const int i = IndexOf(id);
  if (i < 0) return nullptr;
  std::shared_ptr<CNode> node = std::move(nodes_[static_cast<size_t>(i)]);
  nodes_.erase(nodes_.begin() + i);
  paths_.erase(paths_.begin() + i);
  SetModifiedFlag();
  return node;
}

void CZEVModemDoc::DeleteContents() {
  nodes_.clear();
  paths_.clear();
}

void CZEVModemDoc::Append(std::shared_ptr<CNode> node) {
  paths_.push_back(node->path);
  nodes_.push_back(std::move(node));
}

// ---- framework behaviour ------------------------------------------------------

bool CZEVModemDoc::OnNewDocument() {
  DeleteContents();
  UpdateAllViews();
  return true;
}

bool CZEVModemDoc::New() {
  OnNewDocument();
  path_.clear();
  SetDefaultTitle();
  SetModifiedFlag(false);
  if (views_) views_->OnInitialUpdate();
  return true;
}

bool CZEVModemDoc::Open(const std::string& path) {
  if (!OnOpenDocument(path)) return false;
  // A group file has replaced the group and rebuilt the view already; the
  // node of a node file is appended and gets its row.
  if (Kind(path) != "gr") UpdateAllViews();
  return true;
}

bool CZEVModemDoc::OnOpenDocument(const std::string& path) {
  // The file must open, as any document's; an empty one reads as nothing.
  // Only a regular file counts, and the open never waits (a FIFO).
  struct stat st {};
  const int fd = zv::OpenRegularFileForReading(path);
  const bool opened = fd >= 0 && ::fstat(fd, &st) == 0;
  if (fd >= 0) ::close(fd);
  if (!opened) {
    ReportCannotOpen(path, dialog_parent_);
    return false;
  }
  const std::string kind = Kind(path);
  if (st.st_size == 0) {
    if (kind == "gr") SetPathName(path);
  } else if (kind == "zev") {
    if (!LoadNode(path)) {
      ReportCannotOpen(path, dialog_parent_);
      return false;
    }
  } else if (kind == "gr") {
    // A file far larger than any group is not read into memory: its bytes stay
    // empty, which reads as damaged.
    std::string bytes;
    const bool too_large = static_cast<uint64_t>(st.st_size) > zv::kMaxGroupFileBytes;
    if (!too_large && !zv::ReadWholeFile(path, bytes)) {
      ReportCannotOpen(path, dialog_parent_);
      return false;
    }
    if (!LoadGroup(path, bytes)) return false;
  }
  // Any other kind of file: nothing is read from it.
  ApplyAutostart();
  return true;
}

bool CZEVModemDoc::LoadGroup(const std::string& path, const std::string& bytes) {
  std::vector<std::string> paths;
  const bool whole = zv::ReadGroupFile(bytes, paths);
  // The group is emptied before anything is read from the file.
  DeleteContents();
  if (!whole) {
    // Nothing of a damaged file is kept, and the group no longer is the one of
    // the path it had: an empty, untitled group.
    path_.clear();
    SetDefaultTitle();
    SetModifiedFlag(false);
    if (views_) views_->OnInitialUpdate();
    zv::ShowMessage(QString::fromUtf8("Неверный формат файла %1.").arg(Path(path)),
                    zv::MessageIcon::kWarning, zv::MessageButtons::kOk, dialog_parent_);
    return false;
  }
  for (const auto& p : paths) AddNodeFile(p);
  SetPathName(path);
  SetModifiedFlag(false);
  if (views_) views_->OnInitialUpdate();
  return true;
}

void CZEVModemDoc::ApplyAutostart() {
  if (zv::Profile("ZEVModem").GetInt("Settings", "Autostart", 0) == 1 && views_) views_->OnPollStart();
}

bool CZEVModemDoc::Save() {
  if (path_.empty()) return SaveAs();
  if (!OnSaveDocument(path_)) return false;
  // The group saved under its path comes first in the recent files again.
  SetPathName(std::string(path_));
  return true;
}

std::string CZEVModemDoc::GroupFileName(const std::string& chosen) {
  constexpr std::string_view kExt = ".gr";
  if (chosen.size() >= kExt.size() && zv::EqualsNoCase(std::string_view(chosen).substr(chosen.size() - kExt.size()), kExt))
    return chosen;
  return chosen + std::string(kExt);
}

std::string CZEVModemDoc::AskSaveName() {
  const std::string proposed = path_.empty() ? title_.toStdString() : path_;
  if (save_prompt_) return save_prompt_(proposed);
  QFileDialog dialog(dialog_parent_, QString::fromUtf8("Сохранить как"), Path(proposed),
                     QStringLiteral("ZEVModem Files (*.gr)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The name may still get ".gr": the question about replacing a file is asked
  // for the name that is then written.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  // Qt's own dialog, as the open command's: the desktop's would speak the
  // system's language and lay out its own filter.
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front().toStdString();
}

bool CZEVModemDoc::SaveAs() {
  std::string name = AskSaveName();
  if (name.empty()) return false;
  name = GroupFileName(name);
  if (zv::FileExists(name) &&
      zv::ShowMessage(QString::fromUtf8("Файл %1 уже существует.\nЗаменить его?").arg(Path(name)),
                      zv::MessageIcon::kWarning, zv::MessageButtons::kYesNo,
                      dialog_parent_) != zv::MessageResult::kYes)
    return false;
  if (!OnSaveDocument(name)) return false;
  SetPathName(name);
  return true;
}

bool CZEVModemDoc::OnSaveDocument(const std::string& path) {
  std::string error;
  if (!zv::WriteFileAtomically(path, GroupBytes(), &error)) {
    zv::ShowMessage(QString::fromUtf8("Не удается сохранить файл %1.\n%2")
                        .arg(Path(path), QString::fromLocal8Bit(error.c_str())),
                    zv::MessageIcon::kWarning, zv::MessageButtons::kOk, dialog_parent_);
    return false;
  }
  SetModifiedFlag(false);
  return true;
}

std::string CZEVModemDoc::GroupBytes() const { return zv::GroupFileBytes(paths_); }

void CZEVModemDoc::SetPathName(const std::string& path) {
  path_ = path;
  title_ = Path(zv::BaseName(path));
  emit PathChanged(Path(path));
  emit TitleChanged(title_);
}

void CZEVModemDoc::SetDefaultTitle() {
  title_ = DefaultTitle();
  emit TitleChanged(title_);
}

// ---- nodes --------------------------------------------------------------------

std::shared_ptr<CNode> CZEVModemDoc::ReadNodeFile(const std::string& path, int* error) {
  auto node = std::make_shared<CNode>();
  if (!zv::LoadNodeFile(path, *node, error)) return nullptr;
  return node;
}

std::shared_ptr<CNode> CZEVModemDoc::LoadNode(const std::string& path) {
  auto node = ReadNodeFile(path);
  if (node) Append(node);
  return node;
}

std::shared_ptr<CNode> CZEVModemDoc::AddNodeFile(const std::string& path) {
  if (auto node = LoadNode(path)) return node;
  // A missing node file stays in the group under its path, shown as its number.
  auto node = std::make_shared<CNode>();
  node->path = path;
  // Its number is the line "N" TAB path taken as a header line: blanks around
  // the path are dropped there, never from the path itself.
  node->header.ParseLine("N\t" + zv::LocalPathToCp1251(path));
  node->status = zv::node_status::kFileNotFound;
  Append(node);
  return node;
}

std::shared_ptr<CNode> CZEVModemDoc::OnNodeAdd() {
  const std::string folder = NewNodeFolder();
  const std::string base = "Новый узел";  // UTF-8: the file name; W1251 for the header
  auto node = std::make_shared<CNode>();
  node->header.SetString("N", "00000");
  // DATASHOW: the shown columns, a TAB before each key.
  node->header.SetColumnList(0, "\tDATE\tE1\tT1\tT2\tV1\tV2\tM1\tM2\tEC\tGW\tEW");
  node->header.SetString("UCONTROL", "0");
  node->status = zv::node_status::kQueued;

  int error = 0;
  {
    WaitCursor wait;
    // A file of the name is never emptied: the next free name is taken.
    for (int n = 1; n < 10000; ++n) {
      const std::string name = n == 1 ? base : base + " " + std::to_string(n);
      node->header.SetString("NAME", zv::W1251(name));
      const std::string path = folder + "/00000_" + name + ".zev";
      const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd < 0) {
        error = errno;
        if (error == EEXIST) continue;
        node->path = path;
        break;
      }
      node->path = path;
      const bool written = WriteAll(fd, node->header.Serialize());
      error = written ? 0 : errno;
      if (::close(fd) != 0 && written) error = errno;
      // Only the file made here is removed again.
      if (error != 0) ::unlink(path.c_str());
      break;
    }
  }
  if (error != 0) {
    zv::ShowMessage(QString::fromUtf8("Не удается создать файл %1.\n%2")
                        .arg(Path(node->path.empty() ? folder : node->path), Reason(error)),
                    zv::MessageIcon::kNone, zv::MessageButtons::kOk, dialog_parent_);
    return nullptr;
  }
  Append(node);
  UpdateAllViews();
  return node;
}
