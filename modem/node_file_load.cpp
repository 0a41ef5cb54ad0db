#include "modem/node_file_load.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <vector>

#include "data/data_record.h"
#include "links/node.h"
#include "links/node_status.h"
#include "platform/ascii.h"
#include "platform/numbers.h"
#include "platform/text_lines.h"

namespace zv {

namespace {

constexpr std::size_t kChunk = 4096;

// Reads `size` bytes at `offset`; false on a read error or an early end.
bool ReadAt(int fd, char* buffer, std::size_t size, off_t offset) {
  while (size > 0) {
    const ssize_t n = ::pread(fd, buffer, size, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    buffer += n;
    size -= static_cast<std::size_t>(n);
    offset += n;
  }
  return true;
}

// Forward line reading from the file's start that knows how far it has read:
// a line ends at LF, a CR just before the LF is dropped (as zv::TextLineReader).
class ForwardLines {
 public:
  explicit ForwardLines(int fd) : fd_(fd) {}

  bool Next(std::string& line) {
    line.clear();
    bool any = false;
    for (;;) {
      if (pos_ == buffer_.size()) {
        // A last line without LF is returned as it is (a CR at its end stays).
        if (!Fill()) return any;
      }
      any = true;
      const char* begin = buffer_.data() + pos_;
      const char* end = buffer_.data() + buffer_.size();
      const char* lf = std::find(begin, end, '\n');
      line.append(begin, lf);
      const std::size_t taken = static_cast<std::size_t>(lf - begin);
      pos_ += taken;
      consumed_ += taken;
      if (lf != end) {
        ++pos_;
        ++consumed_;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
      }
    }
  }

  // Bytes of the file taken by the lines returned so far.
  uint64_t consumed() const { return consumed_; }
  // A read failed (the lines so far end there).
  bool failed() const { return failed_; }

 private:
  bool Fill() {
    buffer_.resize(kChunk);
    ssize_t n;
    do {
      n = ::read(fd_, buffer_.data(), buffer_.size());
    } while (n < 0 && errno == EINTR);
    buffer_.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    pos_ = 0;
    if (n < 0) failed_ = true;
    return n > 0;
  }

  int fd_;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;
  uint64_t consumed_ = 0;
  bool failed_ = false;
};

enum class Found { kLine, kNone, kReadError };

// Reads the data part [begin, end) back from its end and returns, in `line`,
// the trimmed last counted line. The lines hold values of the layout of
// `version`.
Found FindLastCountedLine(int fd, uint64_t begin, uint64_t end, int version, std::string& line) {
  // The line being gathered, in reverse byte order: each byte is added once, so
  // even a very long line costs no more than its length.
  std::string reversed;
  std::vector<char> chunk(kChunk);
  bool last = true;  // gathering the bytes after the last LF
  auto check = [&]() {
    std::reverse(reversed.begin(), reversed.end());
    const std::string_view trimmed = TrimView(reversed);
    const bool unfinished = last && CZEVDataRec::IsUnfinishedLine(trimmed, version);
    last = false;
    if (IsCountedDataLine(trimmed) && !unfinished) {
      line.assign(trimmed);
      return true;
    }
    reversed.clear();
    return false;
  };
  uint64_t at = end;
  while (at > begin) {
    const std::size_t size = static_cast<std::size_t>(std::min<uint64_t>(kChunk, at - begin));
    at -= size;
    if (!ReadAt(fd, chunk.data(), size, static_cast<off_t>(at))) return Found::kReadError;
    for (std::size_t i = size; i-- > 0;) {
      if (chunk[i] == '\n') {
        if (check()) return Found::kLine;
      } else {
        reversed.push_back(chunk[i]);
      }
    }
  }
  return check() ? Found::kLine : Found::kNone;  // the first data line
}

}  // namespace

bool IsCountedDataLine(std::string_view trimmed_line) {
  const std::size_t tab = trimmed_line.find('\t');
  return tab != std::string_view::npos && tab > 0;
}

DateStamp CountedLineStamp(std::string_view line, const DateStamp& current) {
  auto field = [&](std::size_t at, std::size_t n) {
    return at < line.size() ? AtoI(line.substr(at, n)) : 0;
  };
  // Only the first 16 characters are the time.
  line = line.substr(0, std::min<std::size_t>(line.size(), 16));
  DateStamp stamp = current;
  stamp.SetDay(field(0, 2));
  stamp.SetMonth(field(3, 2));
  stamp.SetYear(field(6, 4));
  stamp.SetHour(field(11, 2));
  if (!stamp.IsValid(DateStamp::kHour)) return DateStamp();
  return stamp;
}

bool LoadNodeFile(const std::string& path, CNode& node, int* error) {
  // Only a regular file, and the open never waits (a FIFO).
  const int fd = OpenRegularFileForReading(path);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    const int e = errno;
    if (fd >= 0) ::close(fd);
    if (error) *error = e;
    return false;
  }

  CDataHeader header(CDataHeader::kWorkstation);
  ForwardLines lines(fd);
  const bool separated = header.Read([&](std::string& line) { return lines.Next(line); });
  DateStamp stamp = node.last_record;
  bool read_error = lines.failed();
  if (separated && !read_error) {
    std::string last;
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    if (lines.consumed() < size) {
      const Found found = FindLastCountedLine(fd, lines.consumed(), size, header.GetInt("V"), last);
      if (found == Found::kLine) stamp = CountedLineStamp(last, stamp);
      read_error = found == Found::kReadError;
    }
  }
  ::close(fd);
  // A file that opens but cannot be read is no better than a missing one.
  if (read_error) {
    if (error) *error = EIO;
    return false;
  }

  node.path = path;
  node.header = std::move(header);
  node.status = node_status::kQueued;
  node.last_record = stamp;
  if (error) *error = 0;
  return true;
}

}  // namespace zv
