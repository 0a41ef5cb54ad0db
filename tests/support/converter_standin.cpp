#include "tests/support/converter_standin.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>

#include "platform/process.h"

namespace zv::test {
namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace

void WritePausingConverter(const std::string& folder, const std::string& node_file, const std::string& first,
                           const std::string& second, InheritedLock lock) {
  WriteFile(folder + "/part1", first);
  WriteFile(folder + "/part2", second);
  const std::string script = folder + "/" + kConverterName;
  const std::string fd = lock == InheritedLock::kReused ? "3" : "4";
  WriteFile(script,
            std::string("#!/bin/sh\n") + (lock == InheritedLock::kClosed ? "exec 3>&-\n" : "") +
            "exec " + fd + ">>'" + node_file + "'\n"
            "cat part1 >&" + fd + "\n"
            ": > paused\n"
            "i=0\n"
            "while [ ! -e go ] && [ -e part1 ] && [ $i -lt 6000 ]; do sleep 0.01; i=$((i+1)); done\n"
            "cat part2 >&" + fd + "\n"
            "exec " + fd + ">&-\n"
            ": > finished\n");
  ::chmod(script.c_str(), 0755);
}

bool WaitForFile(const std::string& path) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (::access(path.c_str(), F_OK) != 0) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void LetConverterGoOn(const std::string& folder) { WriteFile(folder + "/go", ""); }

ConverterStarter::ConverterStarter(Mode mode, const std::string& folder, const std::string& bins)
    : folder_(folder) {
  const std::string how = mode == Mode::kPoll ? "poll" : "reader";
  thread_ = std::thread([this, how, folder, bins] {
    ProgramWait wait;
    wait.stop = &stop_;
    wait.poll = std::chrono::milliseconds(5);
    wait.grace = std::chrono::milliseconds(100);
    RunProgram(ZV_CONVERTER_START, {how, folder, bins}, folder, wait);
  });
}

ConverterStarter::~ConverterStarter() {
  LetConverterGoOn(folder_);
  stop_.store(true);
  thread_.join();
}

}  // namespace zv::test
