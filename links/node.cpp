#include "links/node.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>


#include "data/data_record.h"
#include "data/node_file_name.h"
#include "platform/ascii.h"
#include "platform/atomic_file.h"
#include "platform/file_state.h"
#include "platform/cp1251.h"
#include "platform/paths.h"
#include "platform/text_lines.h"

namespace {

std::atomic<zv::NodeId> g_next_node_id{1};

// A file that changes under a rewrite is read again this often at most.
constexpr int kRewriteAttempts = 3;

// What a rewrite needs of the header it replaces: whether it ends with its "$"
// line (the trimmed line "$"), and the layout (V) of the data lines after it.
struct OldHeader {
  bool separator = false;
  int version = 0;
};

OldHeader SkipOldHeader(const std::function<bool(std::string&)>& next_line) {
  OldHeader old;
  CDataHeader header(CDataHeader::kWorkstation);
  // The header's reading stops at every line that starts with "$"; only the
  // line "$" itself ends the header here.
  std::string last;
  const auto next = [&](std::string& line) {
    if (!next_line(line)) return false;
    last = line;
    return true;
  };
  while (!old.separator && header.Read(next)) old.separator = zv::TrimRightView(last) == "$";
  old.version = header.GetInt("V");
  return old;
}

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

bool CNode::RewriteHeader(RewriteFailure* failure, const RewriteOptions& options) {
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
  const std::string busy = zv::W1251("Файл узла изменяется другой программой, заголовок не записан");

  // No converter appends to the file from here to the rename.
  zv::ConverterRewriteLock lock(options.lock_wait);
  if (lock.busy()) return Refuse(failure, RewriteError::kBusy, About(busy, path));

  for (int attempt = 0; attempt < kRewriteAttempts; ++attempt) {
    zv::TextLineReader in;
    struct stat seen {};
    if (!in.Open(path) || ::stat(path.c_str(), &seen) != 0) {
      return Refuse(failure, RewriteError::kCannotOpen, About(std::strerror(errno), path));
    }
    // Skip the old header. A file without its "$" line is refused: everything in
    // it would count as header and its data lines would be dropped.
    const OldHeader old = SkipOldHeader([&in](std::string& l) { return in.Next(l); });
    if (in.Failed()) return Refuse(failure, RewriteError::kCannotOpen, About(std::strerror(EIO), path));
    if (!old.separator) {
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
    const int version = old.version;
    std::string line;
    while (in.Next(line)) {
      // An unfinished last line stays so: written whole it would become a record.
      if (CZEVDataRec::IsUnfinishedLine(in, line, version)) {
        out.Write(line);
      } else {
        out.WriteLine(line);
      }
    }
    if (in.Failed()) {
      out.Discard();
      return Refuse(failure, RewriteError::kCannotOpen, About(std::strerror(EIO), path));
    }
    in.Close();
    if (options.before_commit) options.before_commit(attempt);
    struct stat now {};
    if (::stat(path.c_str(), &now) != 0 || !zv::SameFileState(seen, now)) {
      out.Discard();
      continue;
    }
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
  return Refuse(failure, RewriteError::kBusy, About(busy, path));
}

bool CNode::EndFileCleanly(const zv::ConverterLockWait& wait) {
  zv::ConverterRewriteLock lock(wait);
  if (lock.busy()) return false;
  std::FILE* file = std::fopen(path.c_str(), "r+be");
  if (file == nullptr) return false;
  const int fd = ::fileno(file);
  struct stat st {};
  bool done = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  // Where the data lines begin.
  uint64_t data_begin = 0;
  char* buf = nullptr;
  std::size_t cap = 0;
  const OldHeader old = SkipOldHeader([&](std::string& line) {
    const ssize_t n = done ? ::getline(&buf, &cap, file) : -1;
    if (n < 0) return false;
    data_begin += static_cast<uint64_t>(n);
    line.assign(buf, static_cast<std::size_t>(n));
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
  });
  std::free(buf);
  done = done && !std::ferror(file);
  const uint64_t size = static_cast<uint64_t>(st.st_size);
  if (done && old.separator && size > data_begin) {
    // The last line: the bytes after the last LF of the data part.
    std::string tail;
    uint64_t at = size;
    char chunk[4096];
    bool found = false;
    while (done && !found && at > data_begin) {
      const std::size_t n = static_cast<std::size_t>(std::min<uint64_t>(sizeof chunk, at - data_begin));
      at -= n;
      done = ::pread(fd, chunk, n, static_cast<off_t>(at)) == static_cast<ssize_t>(n);
      for (std::size_t i = n; done && i-- > 0;) {
        if (chunk[i] == '\n') {
          found = true;
          at += i + 1;
          tail.insert(0, chunk + i + 1, n - i - 1);
          break;
        }
      }
      if (!found && done) tail.insert(0, chunk, n);
    }
    if (done && !tail.empty()) {
      if (CZEVDataRec::IsUnfinishedLine(tail, old.version)) {
        done = ::ftruncate(fd, static_cast<off_t>(at)) == 0;  // its hour is read again
      } else {
        const std::string_view end = tail.back() == '\r' ? "\n" : "\r\n";
        done = ::pwrite(fd, end.data(), end.size(), static_cast<off_t>(size)) == static_cast<ssize_t>(end.size());
      }
    }
  }
  return std::fclose(file) == 0 && done;
}
