#pragma once
// A temporary folder for one test, removed with everything in it at the end.

#include <string>
#include <string_view>

namespace zv::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }
  // Writes bytes to a file in the folder and returns its path.
  std::string Write(std::string_view name, std::string_view bytes) const;
  // The whole content of a file ("" when missing).
  static std::string Read(const std::string& path);

 private:
  std::string path_;
};

void RemoveTree(const std::string& path);

// The source tree (for test data), from ZV_SOURCE_DIR.
std::string SourceDir();

}  // namespace zv::test
