#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace zv {

std::string DirName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {}

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::Open() {
  Discard();
  failed_ = false;
  error_.clear();
  std::string pattern = DirName(target_) + "/." + BaseName(target_) + ".XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  fd_ = ::mkostemp(buf.data(), O_CLOEXEC);
  if (fd_ < 0) {
    error_ = std::strerror(errno);
    failed_ = true;
    return false;
  }
  temp_ = buf.data();
  // Keep the permissions of the file being replaced, else the usual ones.
  struct stat st;
  mode_t mode = 0644;
  if (::stat(target_.c_str(), &st) == 0) mode = st.st_mode & 07777;
  ::fchmod(fd_, mode);
  return true;
}

void AtomicFile::Write(std::string_view bytes) {
  if (fd_ < 0) {
    failed_ = true;
    return;
  }
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0 && !failed_) {
    ssize_t n = ::write(fd_, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      error_ = std::strerror(errno);
      failed_ = true;
      break;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
}

void AtomicFile::WriteLine(std::string_view line) {
  Write(line);
  Write("\r\n");
}

bool AtomicFile::Commit() { return CommitAs(target_); }

bool AtomicFile::CommitAs(const std::string& final_path) { return Finish(final_path, true); }

bool AtomicFile::CommitAsNew(const std::string& final_path) { return Finish(final_path, false); }

// Moves the temporary file to its final name without ever replacing a file there.
static int RenameNoReplace(const char* from, const char* to) {
  if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  // A file system without the flag: a hard link fails just as well on an existing name.
  if (::link(from, to) != 0) return -1;
  ::unlink(from);
  return 0;
}

bool AtomicFile::Finish(const std::string& final_path, bool replace) {
  if (fd_ < 0) {
    if (error_.empty()) error_ = "not open";
    return false;
  }
  if (!failed_ && ::fsync(fd_) != 0) {
    error_ = std::strerror(errno);
    failed_ = true;
  }
  if (::close(fd_) != 0 && !failed_) {
    error_ = std::strerror(errno);
    failed_ = true;
  }
  fd_ = -1;
  if (!failed_ && (replace ? ::rename(temp_.c_str(), final_path.c_str())
                           : RenameNoReplace(temp_.c_str(), final_path.c_str())) != 0) {
    error_ = std::strerror(errno);
    failed_ = true;
  }
  if (failed_) {
    ::unlink(temp_.c_str());
    temp_.clear();
    return false;
  }
  temp_.clear();
  return true;
}

void AtomicFile::Discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
  AtomicFile file(path);
  bool ok = file.Open();
  if (ok) {
    file.Write(bytes);
    ok = file.Commit();
  }
  if (!ok && error) *error = file.error();
  return ok;
}

}  // namespace zv
