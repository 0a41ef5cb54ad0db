// The viewer document: writing the node file back after its settings changed.
//
// The file is read as it stands and the new content (the header, then every data
// line as it was or with its error code evaluated anew) goes to a temporary file
// beside it, which replaces the node file only when complete. A save under a new
// name never replaces a file of that name. The converter appends to the file
// through a descriptor it keeps open, so the whole save runs under the converter
// lock: no converter runs from the read to the rename. For writers outside our
// programs the file's size, time and inode seen when reading began are compared
// before the commit, and on a change the save starts over.
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <cerrno>
#include <cstring>
#include <optional>

#include "data/error_reevaluation.h"
#include "data/node_file_name.h"
#include "grid/wait_cursor.h"
#include "platform/atomic_file.h"
#include "platform/converter_lock.h"
#include "platform/file_state.h"
#include "platform/paths.h"
#include "platform/qt/message_box.h"
#include "platform/text_lines.h"
#include "viewer/view_doc.h"

namespace {

constexpr int kSaveAttempts = 3;

QString Path(const std::string& path) { return QString::fromStdString(path); }
QString Reason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// File names compare without regard to letter case, Cyrillic included.
bool SamePathNoCase(const std::string& a, const std::string& b) {
  return Path(a).compare(Path(b), Qt::CaseInsensitive) == 0;
}

QString ChangedByAnotherProgram() {
  return QString::fromUtf8("Файл изменяется другой программой. Повторите сохранение позже.");
}

void ReportSaveFailure(const std::string& path, const QString& reason) {
  zv::ShowMessage(QString::fromUtf8("Не удается сохранить файл %1.\n%2").arg(Path(path), reason),
                  zv::MessageIcon::kWarning);
}

}  // namespace

bool CZEVViewDoc::OnSaveDocument(const std::string& path) {
  // The name N_NAME.zev in the file's folder; a name that cannot be built, or
  // that differs only in letter case, keeps the file where it is.
  std::string target = path;
  bool rename = false;
  if (path.find('/') != std::string::npos) {
    const std::optional<std::string> built =
        zv::BuildNodeFilePath(path, header.GetString("N"), header.GetString("NAME"));
    if (built && !SamePathNoCase(*built, path)) {
      if (zv::FileExists(*built)) {
        zv::ShowMessage(QString::fromUtf8("Файл %1 уже существует.\nНастройки узла сохраняются в файле %2.")
                            .arg(Path(zv::BaseName(*built)), Path(zv::BaseName(path))),
                        zv::MessageIcon::kWarning);
      } else {
        target = *built;
        rename = true;
      }
    }
  }

  CWaitCursor wait;
  // A running converter is waited for; the window is painted meanwhile, but
  // the user's input waits until the save is over.
  zv::ConverterLockWait lock_wait;
  lock_wait.bound = converter_wait_bound_;
  lock_wait.idle = [] {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  };
  zv::ConverterRewriteLock lock(lock_wait);
  if (lock.busy()) {
    wait.Restore();
    ReportSaveFailure(path, ChangedByAnotherProgram());
    return false;
  }
  QString error;
  for (int attempt = 0; attempt < kSaveAttempts; ++attempt) {
    switch (SaveOnce(path, target, rename, attempt, error)) {
      case SaveStep::kDone:
        if (rename) {
          ::unlink(path.c_str());  // the data now live under the new name
          SetPathName(target, true);
        }
        lock.Release();
        recompute = 0;
        SetTitle();
        return true;
      case SaveStep::kFailed:
        lock.Release();
        wait.Restore();
        ReportSaveFailure(path, error);
        return false;
      case SaveStep::kChanged:
        break;
    }
  }
  lock.Release();
  wait.Restore();
  ReportSaveFailure(path, ChangedByAnotherProgram());
  return false;
}

CZEVViewDoc::SaveStep CZEVViewDoc::SaveOnce(const std::string& path, const std::string& target, bool rename,
                                            int attempt, QString& error) {
  zv::TextLineReader in;
  struct stat seen {};
  if (!in.Open(path) || ::stat(path.c_str(), &seen) != 0) {
    error = Reason(errno);
    return SaveStep::kFailed;
  }
  // Exactly the lines a load takes as the header: without its "$" line every
  // data line would count as header, so nothing is saved.
  CDataHeader old_header(CDataHeader::kViewer);
  if (!old_header.Read(in)) {
    error = in.Failed() ? Reason(EIO) : QString::fromUtf8("В файле нет строки \"$\", которой кончается заголовок.");
    return SaveStep::kFailed;
  }

  zv::AtomicFile out(path);
  if (!out.Open()) {
    error = QString::fromLocal8Bit(out.error().c_str());
    return SaveStep::kFailed;
  }
  out.Write(header.Serialize());
  std::string line;
  // An unfinished last line stays as it is, without a line end: written whole
  // (or evaluated) it would become a record of the wrong figures.
  const int version = old_header.GetInt("V");
  std::optional<zv::ErrorCodeReevaluation> pass;
  if (recompute) pass.emplace(header.GetInt("V"), header.GetInt("SCHEMA"));
  while (in.Next(line)) {
    if (CZEVDataRec::IsUnfinishedLine(in, line, version)) {
      out.Write(line);
    } else {
      out.WriteLine(pass ? pass->Line(line) : line);
    }
  }
  if (in.Failed()) {
    error = Reason(EIO);
    return SaveStep::kFailed;
  }
  in.Close();

  if (before_commit_) before_commit_(attempt);
  struct stat now {};
  if (::stat(path.c_str(), &now) != 0 || !zv::SameFileState(seen, now)) return SaveStep::kChanged;
  if (!(rename ? out.CommitAsNew(target) : out.Commit())) {
    error = QString::fromLocal8Bit(out.error().c_str());
    return SaveStep::kFailed;
  }
  return SaveStep::kDone;
}
