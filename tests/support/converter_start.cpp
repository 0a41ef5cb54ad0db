// Starts the converter of a folder as our programs do, in a process of its own
// (tests/support/converter_standin.h):
//
//   converter_start poll FOLDER BINS     as the poll worker; exits with the converter's code
//   converter_start reader FOLDER BINS   as a reader stopped once FOLDER/paused is there;
//                                        then creates FOLDER/starter-stopped and waits to be ended

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/process.h"
#include "readers/common/bins_handover.h"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const std::string mode = argv[1];
  const std::string folder = argv[2];
  const std::string bins = argv[3];
  if (mode == "poll") {
    const zv::ProgramRun run = zv::RunConverter(folder, bins, {});
    return run.Exited() ? run.exit_code : 99;
  }
  if (mode != "reader") return 2;
  std::atomic<bool> stop{false};
  std::thread user([&] {
    const std::string paused = folder + "/paused";
    for (int i = 0; i < 60000 && ::access(paused.c_str(), F_OK) != 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    stop.store(true);
  });
  zv::ProgramWait wait{&stop};
  wait.poll = std::chrono::milliseconds(5);
  const zv::BinsHandOver handed = zv::HandOverReaderBins(folder, bins, true, false, folder, wait, nullptr);
  user.join();
  if (!handed.stopped) return 3;
  if (std::FILE* f = std::fopen((folder + "/starter-stopped").c_str(), "w")) std::fclose(f);
  for (int i = 0; i < 1200; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return 0;
}
