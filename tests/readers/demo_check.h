#pragma once
// What the readers' demo checks (zevrs_demo_check, zevc_demo_check) share:
// the run's folders, waiting with the event loop running, and the checks of
// the files the program and the stand-in converter left.
//
// The checks run in the demo's work folder (the folder the program is
// started in, with its bins and archive-bins) and are given the demo folder,
// where the stand-in converter logs each run as "<its folder>|<argument
// count>|<argument>" into converter.log and copies the file it was given into
// converted/.

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace zv::demo {

inline int Usage(const char* program) {
  std::fprintf(stderr, "usage: %s DEMO_FOLDER   (run in the demo's work folder)\n", program);
  return 2;
}

// Whether the arguments are the one demo folder; --help and options are not.
inline bool DemoFolderArgument(int argc, char** argv) { return argc == 2 && argv[1][0] != '-'; }

// Lets events run until `done` holds; false when the bound passed.
inline bool ProcessUntil(const std::function<bool()>& done, std::chrono::seconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (std::chrono::steady_clock::now() < deadline) {
    QCoreApplication::processEvents();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

// Lets events run for `span` (what a worker posted at its end).
inline void ProcessFor(std::chrono::milliseconds span) {
  const auto deadline = std::chrono::steady_clock::now() + span;
  while (std::chrono::steady_clock::now() < deadline) {
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The names of the regular files in `folder` (none when it is missing).
inline std::set<std::string> FileNames(const std::string& folder) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.is_regular_file()) names.insert(entry.path().filename().string());
  }
  return names;
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Collects what went wrong; Report prints it and gives the exit code.
class Findings {
 public:
  explicit Findings(std::string program) : program_(std::move(program)) {}
  void Fail(const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", program_.c_str(), what.c_str());
    failed_ = true;
  }
  void Expect(bool ok, const std::string& what) {
    if (!ok) Fail(what);
  }
  bool failed() const { return failed_; }

  // The file "bins/<name>" must be in archive-bins with `bytes`, bins must be
  // empty, and the converter must have had it: run in `work`, the relative
  // name unquoted as its only argument, and those bytes in its copy.
  void ExpectArchivedAndConverted(const std::string& work, const std::string& demo, const std::string& bins_name,
                                  const std::string& bytes) {
    const std::string name = std::filesystem::path(bins_name).filename().string();
    const std::string archived = work + "/archive-" + bins_name;
    Expect(std::filesystem::exists(archived), "no " + name + " in archive-bins");
    Expect(ReadBytes(archived) == bytes, "archive-bins/" + name + " does not hold the device's bytes");
    const std::string log = ReadBytes(demo + "/converter.log");
    bool ran = false;
    for (const std::string& line : Lines(log)) ran = ran || line == work + "|1|" + bins_name;
    Expect(ran, "the converter was not run in " + work + " on " + bins_name + " (its log: " + log + ")");
    Expect(ReadBytes(demo + "/converted/" + name) == bytes, "the converter did not get the bytes of " + name);
  }

 private:
  std::string program_;
  bool failed_ = false;
};

}  // namespace zv::demo
