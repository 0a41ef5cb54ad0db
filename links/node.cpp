#include "links/node.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "data/node_file_name.h"
#include "platform/ascii.h"
#include "platform/atomic_file.h"
#include "platform/cp1251.h"
#include "platform/paths.h"
#include "platform/text_lines.h"

namespace {

std::atomic<zv::NodeId> g_next_node_id{1};

bool Refuse(CNode::RewriteFailure* failure, CNode::RewriteError error, std::string message) {
  if (failure) *failure = {error, std::move(message)};
  return false;
}

// "<text>: <path>" with the path shown in the programs' code page.
std::string About(std::string_view text, const std::string& path) {
  return std::string(text) + ": " + zv::LocalPathToCp1251(path);
}

}  // namespace

CNode::CNode() : id_(g_next_node_id.fetch_add(1)) {}

void CNode::PostStatus(int new_status, int percent, zv::StatusSink& sink) {
  status.store(new_status);
  sink.OnNodeStatus(id_, new_status, percent);
}

void CNode::PostStatus(int new_status, int percent, zv::StatusSink* sink) {
  if (sink != nullptr) {
    PostStatus(new_status, percent, *sink);
  } else {
    status.store(new_status);
  }
}

bool CNode::RewriteHeader(RewriteFailure* failure) {
  if (failure) *failure = {};
  std::string target = path;
  if (rename_flag) {
    const std::string n = header.GetString("N");
    const std::string name = header.GetString("NAME");
    std::optional<std::string> built = zv::BuildNodeFilePath(path, n, name);
    if (!built) {
      return Refuse(failure, RewriteError::kBadName,
                    zv::W1251("Недопустимое имя файла узла: ") + n + "_" + name);
    }
    target = *built;
  }
  const bool new_name = target != path;

  zv::TextLineReader in;
  if (!in.Open(path)) return Refuse(failure, RewriteError::kCannotOpen, About(std::strerror(errno), path));
  // Skip the old header. A file without its "$" line is refused: everything in
  // it would count as header and its data lines would be dropped.
  std::string line;
  bool separator = false;
  while (!separator && in.Next(line)) separator = zv::TrimRightView(line) == "$";
  if (in.Failed()) return Refuse(failure, RewriteError::kCannotOpen, About(std::strerror(EIO), path));
  if (!separator) {
    return Refuse(failure, RewriteError::kNoSeparator,
                  About(zv::W1251("В файле узла нет строки \"$\", заголовок не записан"), path));
  }
  // Checked here for a clear message; the final rename refuses it again.
  if (new_name && zv::FileExists(target)) {
    return Refuse(failure, RewriteError::kTargetExists, About(zv::W1251("Файл узла уже существует"), target));
  }

  // The temporary file lies in the folder of the node file (and of the target).
  zv::AtomicFile out(target);
  if (!out.Open()) return Refuse(failure, RewriteError::kCannotWrite, About(out.error(), target));
  out.Write(header.Serialize());
  while (in.Next(line)) out.WriteLine(line);
  if (in.Failed()) {
    out.Discard();
    return Refuse(failure, RewriteError::kCannotOpen, About(std::strerror(EIO), path));
  }
  in.Close();
  if (!new_name) {
    if (!out.Commit()) return Refuse(failure, RewriteError::kCannotWrite, About(out.error(), path));
    return true;
  }
  if (!out.CommitAsNew(target)) {
    const RewriteError error = zv::FileExists(target) ? RewriteError::kTargetExists : RewriteError::kCannotWrite;
    return Refuse(failure, error, About(out.error(), target));
  }
  // The data now live under the new name; the old file goes.
  ::unlink(path.c_str());
  path = target;
  return true;
}
