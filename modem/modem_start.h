#pragma once
// The first steps of a workstation start, in plain POSIX before any Qt object
// exists (see modem/shared_memory.h):
//
//   1. the command line's file names, made absolute against the folder the
//      program was started in (the program changes to its own folder later);
//   2. the instance lock: a later start hands its file names to the running
//      instance and ends with status 0, without a window or a message, also
//      when the running instance does not answer in time; a first start that
//      cannot listen ends with status 1.

#include <string>
#include <vector>

class CSharedMemory;

namespace zv {

// The current folder ("" when it cannot be told).
std::string CurrentDirectory();

// `path` made absolute against `base` ("." and ".." steps resolved by name,
// links left alone); an absolute path only loses its "." and ".." steps.
std::string AbsolutePath(const std::string& path, const std::string& base);

// The file names among the arguments (argv[1..]), in order, each made absolute
// against `base`. Options (a leading "-") are not file names, nor the values
// of the Qt options that take one ("-platform offscreen", "-style fusion",
// ...); "--" ends the options, so "-- -odd.gr" names a file.
std::vector<std::string> CommandLinePaths(int argc, const char* const* argv,
                                          const std::string& base);

enum class InstanceStart {
  kFirst,      // this process runs: it holds the lock and listens
  kHandedOver, // another instance runs and has been given the paths: end, status 0
  kFailed,     // the channel cannot be made: end, status 1
};

InstanceStart StartInstance(CSharedMemory& channel, const std::vector<std::string>& paths);

// The program's folder as the current folder, so that "bins", "archive-bins"
// and new node files lie beside the program. False when it cannot be entered
// (the current folder is left as it is).
bool EnterProgramFolder(const std::string& program_path);

}  // namespace zv
