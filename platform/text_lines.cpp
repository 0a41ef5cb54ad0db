#include "platform/text_lines.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <optional>

namespace zv {
namespace {

struct LineReadFault {
  std::string path;
  int good_lines = 0;
};

std::mutex g_fault_mutex;
std::optional<LineReadFault> g_fault;

// The lines a reader of `path` may give before its fault, or -1.
int LinesBeforeFault(const std::string& path) {
  std::lock_guard<std::mutex> lock(g_fault_mutex);
  return g_fault && g_fault->path == path ? g_fault->good_lines : -1;
}

}  // namespace

ScopedLineReadFault::ScopedLineReadFault(std::string path, int good_lines) {
  std::lock_guard<std::mutex> lock(g_fault_mutex);
  g_fault = LineReadFault{std::move(path), good_lines};
}

ScopedLineReadFault::~ScopedLineReadFault() {
  std::lock_guard<std::mutex> lock(g_fault_mutex);
  g_fault.reset();
}

int OpenRegularFileForReading(const std::string& path) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -1;
  struct stat st {};
  int error = 0;
  if (::fstat(fd, &st) != 0) {
    error = errno;
  } else if (!S_ISREG(st.st_mode)) {
    error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  } else {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) error = errno;
  }
  if (error != 0) {
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

TextLineReader::~TextLineReader() { Close(); }

bool TextLineReader::Open(const std::string& path) {
  Close();
  failed_ = false;
  const int fd = OpenRegularFileForReading(path);
  if (fd >= 0) {
    file_ = ::fdopen(fd, "rb");
    if (file_ == nullptr) {
      const int error = errno;
      ::close(fd);
      errno = error;
    }
  }
  lines_before_fault_ = file_ != nullptr ? LinesBeforeFault(path) : -1;
  return file_ != nullptr;
}

void TextLineReader::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

bool TextLineReader::Next(std::string& line) {
  line.clear();
  if (!file_) return false;
  if (lines_before_fault_ == 0) {
    failed_ = true;
    return false;
  }
  if (lines_before_fault_ > 0) --lines_before_fault_;
  char* buf = nullptr;
  size_t cap = 0;
  // getline gives the true length, so NUL bytes inside a damaged line are kept.
  ssize_t n = ::getline(&buf, &cap, file_);
  if (n < 0) {
    if (std::ferror(file_)) failed_ = true;
    std::free(buf);
    return false;
  }
  line.assign(buf, static_cast<size_t>(n));
  std::free(buf);
  line_ended_ = !line.empty() && line.back() == '\n';
  if (line_ended_) {
    line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
  }
  return true;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t lf = text.find('\n', start);
    size_t end = lf == std::string_view::npos ? text.size() : lf;
    std::string line(text.substr(start, end - start));
    if (lf != std::string_view::npos && !line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    if (lf == std::string_view::npos) break;
    start = lf + 1;
  }
  return lines;
}

TextLineWriter::~TextLineWriter() { Close(); }

bool TextLineWriter::Open(const std::string& path) {
  Close();
  failed_ = false;
  file_ = std::fopen(path.c_str(), "wbe");
  return file_ != nullptr;
}

void TextLineWriter::WriteRaw(std::string_view bytes) {
  if (!file_) {
    failed_ = true;
    return;
  }
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    failed_ = true;
  }
}

void TextLineWriter::WriteLine(std::string_view line) {
  WriteRaw(line);
  WriteRaw("\r\n");
}

bool TextLineWriter::Close() {
  if (!file_) return !failed_;
  if (std::fflush(file_) != 0) failed_ = true;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  return !failed_;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, int* error) {
  bytes.clear();
  if (error) *error = 0;
  const int fd = OpenRegularFileForReading(path);
  std::FILE* f = fd >= 0 ? ::fdopen(fd, "rb") : nullptr;
  if (!f) {
    const int why = errno;
    if (fd >= 0) ::close(fd);
    if (error) *error = why;
    return false;
  }
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  const bool ok = !std::ferror(f);
  const int read_error = errno;
  std::fclose(f);
  if (!ok && error) *error = read_error != 0 ? read_error : EIO;
  return ok;
}

}  // namespace zv
