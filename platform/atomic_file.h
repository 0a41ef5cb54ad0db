#pragma once
// Replacing a file as a whole: the new content goes to a temporary file in the
// target's own folder (so the final rename never crosses file systems), is flushed
// to disk, and only then renamed over the target. On any failure the target is
// left as it was and the temporary file is removed.

#include <string>
#include <string_view>

namespace zv {

class AtomicFile {
 public:
  explicit AtomicFile(std::string target);
  ~AtomicFile();  // discards an uncommitted temporary file
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file; false when the folder is not writable.
  bool Open();
  void Write(std::string_view bytes);
  void WriteLine(std::string_view line);  // the line and CR LF
  // Flushes, closes and renames over the target; false (target untouched) on any
  // failure. `final_path` may differ from the target given at construction
  // (a rewrite under a new name); it must lie in the same folder.
  bool Commit();
  bool CommitAs(const std::string& final_path);
  // CommitAs that never replaces: fails (error "File exists") when a file of
  // that name is already there, which then stays as it was.
  bool CommitAsNew(const std::string& final_path);
  void Discard();

  const std::string& target() const { return target_; }
  const std::string& temp_path() const { return temp_; }
  const std::string& error() const { return error_; }

 private:
  bool Finish(const std::string& final_path, bool replace);

  std::string target_;
  std::string temp_;
  std::string error_;
  int fd_ = -1;
  bool failed_ = false;
};

// Writes `bytes` as the whole new content of `path`, atomically.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error = nullptr);

// The folder part of a path ("." for a bare file name).
std::string DirName(const std::string& path);
// The last component of a path.
std::string BaseName(const std::string& path);

}  // namespace zv
