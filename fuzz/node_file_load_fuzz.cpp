// The workstation's node file load (zv::LoadNodeFile, modem/node_file_load.h)
// over any file: the header read forward, the last counted data line found by
// reading back from the end. The file is the input, in memory (memfd).
//
// Checked against a forward read of every line of the same bytes (what the
// workstation's load always gave): the header, and the stamp that the counted
// data lines after the separator leave, starting from a new node's; a last
// line without its line end counts only when it is whole.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "data/data_header.h"
#include "data/data_record.h"
#include "fuzz/fuzz_input.h"
#include "links/node.h"
#include "modem/node_file_load.h"
#include "platform/ascii.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& a = "", const std::string& b = "") {
  std::fprintf(stderr, "%s (%s | %s)\n", what, a.c_str(), b.c_str());
  std::abort();
}

// Lines as the forward readers give them: split at LF, the CR before an LF dropped.
class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {}
  bool Next(std::string& line) {
    if (pos_ >= text_.size()) return false;
    const size_t lf = text_.find('\n', pos_);
    ended_ = lf != std::string_view::npos;
    if (!ended_) {
      line.assign(text_.substr(pos_));
      pos_ = text_.size();
      return true;
    }
    line.assign(text_.substr(pos_, lf - pos_));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    pos_ = lf + 1;
    return true;
  }

  // Whether the line last given ended with LF.
  bool ended() const { return ended_; }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  bool ended_ = false;
};

int MemoryFile(std::string_view bytes) {
  const int fd = ::memfd_create("node_file_load_fuzz", MFD_CLOEXEC);
  if (fd < 0) Fail("memfd_create failed");
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) Fail("memfd write failed");
    done += static_cast<size_t>(n);
  }
  return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const int fd = MemoryFile(bytes);
  const std::string path = "/proc/self/fd/" + std::to_string(fd);

  CNode node;  // a new node, as the group's open makes it
  int error = -1;
  const bool loaded = zv::LoadNodeFile(path, node, &error);
  ::close(fd);
  if (!loaded) Fail("a readable file did not load", std::to_string(error));

  // The forward read.
  Lines lines(bytes);
  CDataHeader header(CDataHeader::kWorkstation);
  const bool separated = header.Read([&](std::string& line) { return lines.Next(line); });
  DateStamp stamp = CNode().last_record;
  if (separated) {
    std::string line;
    while (lines.Next(line)) {
      const std::string_view t = zv::TrimView(line);
      const bool whole = lines.ended() || !CZEVDataRec::IsUnfinishedLine(t, header.GetInt("V"));
      if (zv::IsCountedDataLine(t) && whole) stamp = zv::CountedLineStamp(t, stamp);
    }
  }
  if (node.header.Serialize() != header.Serialize()) Fail("header differs from the forward read");
  if (node.last_record.Compare(stamp, DateStamp::kSecond) != 0) {
    Fail("stamp differs from the forward read", node.last_record.Format(true), stamp.Format(true));
  }
  return 0;
}
