#pragma once
// Line-by-line reading and writing of our text files (node files, group files).
//
// Files are read in binary: a line ends at LF, and a CR just before the LF is
// dropped, so both CR LF and LF files read the same; a CR elsewhere stays in the
// line. Bytes of 0x80 and above are kept exactly (Windows-1251). The writer ends
// every line with CR LF.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

class TextLineReader {
 public:
  TextLineReader() = default;
  explicit TextLineReader(const std::string& path) { Open(path); }
  ~TextLineReader();
  TextLineReader(const TextLineReader&) = delete;
  TextLineReader& operator=(const TextLineReader&) = delete;

  bool Open(const std::string& path);
  bool IsOpen() const { return file_ != nullptr; }
  // Next line without its end; false at the end of the file (or on a read error,
  // see Failed). A last line without LF is still returned.
  bool Next(std::string& line);
  bool Failed() const { return failed_; }
  // Whether the line last given by Next ended with LF (false for a last line
  // without its line end).
  bool LineEnded() const { return line_ended_; }
  void Close();

 private:
  std::FILE* file_ = nullptr;
  bool failed_ = false;
  bool line_ended_ = false;
  int lines_before_fault_ = -1;  // ScopedLineReadFault; -1: none
};

// Splits a text held in memory by the same rules.
std::vector<std::string> SplitLines(std::string_view text);

class TextLineWriter {
 public:
  TextLineWriter() = default;
  ~TextLineWriter();
  TextLineWriter(const TextLineWriter&) = delete;
  TextLineWriter& operator=(const TextLineWriter&) = delete;

  // Creates or truncates the file.
  bool Open(const std::string& path);
  bool IsOpen() const { return file_ != nullptr; }
  // Writes the line and CR LF.
  void WriteLine(std::string_view line);
  // Writes bytes as they are.
  void WriteRaw(std::string_view bytes);
  // Flushes and closes; false when any write or the close failed.
  bool Close();
  bool Failed() const { return failed_; }

 private:
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

// Opens a file the user named for reading, only when it is a regular file:
// the open itself never waits (a FIFO or a device named as a node file would
// hold it for ever), and what fstat does not call a regular file is refused
// (errno EISDIR for a folder, EINVAL for anything else). The descriptor
// (O_CLOEXEC) reads blocking as usual; -1 with errno set on failure. The
// readers below open through it.
int OpenRegularFileForReading(const std::string& path);

// Reads a whole file; false when it cannot be opened or read, with the reason
// (an errno value) in `error` when one is given (0 after a good read).
bool ReadWholeFile(const std::string& path, std::string& bytes, int* error = nullptr);

// For tests of what callers do when a file breaks half-way: while it lives,
// a TextLineReader opened on `path` gives its first `good_lines` lines and then
// fails as on a read error (Next false, Failed true). One at a time.
class ScopedLineReadFault {
 public:
  ScopedLineReadFault(std::string path, int good_lines);
  ~ScopedLineReadFault();
  ScopedLineReadFault(const ScopedLineReadFault&) = delete;
  ScopedLineReadFault& operator=(const ScopedLineReadFault&) = delete;
};

}  // namespace zv
