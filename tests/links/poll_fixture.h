#pragma once
// The poll worker's test fixture: a node over the PSTN simulators (modem,
// line-side controller, heat computer) in a program folder of its own, with a
// stand-in converter (a script the test writes), run on the worker thread.

#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "links/bins_file.h"
#include "links/node_status.h"
#include "links/poll_flags.h"
#include "links/poll_worker.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/profile.h"
#include "tests/links/pstn_setup.h"
#include "tests/sim/status_recorder.h"
#include "tests/support/temp_dir.h"

namespace zv::test {

inline constexpr std::chrono::milliseconds kBound{20000};
inline constexpr int kCom = 4;
inline constexpr const char* kBinsName = "bins/00042_2024-03-12_14-00.bin";
inline constexpr const char* kArchivedName = "archive-bins/00042_2024-03-12_14-00.bin";
inline constexpr size_t kFamily2BinsSize = 90 + 58868;

// A stand-in converter: logs its arguments, its folder and the size of the
// file it was given, then ends with `exit`.
inline std::string ConverterScript(int exit_code, const std::string& more = "") {
  return "#!/bin/sh\n"
         "{ echo \"$#\"; echo \"$1\"; pwd -P; if [ -f \"$1\" ]; then wc -c < \"$1\"; else echo missing; fi; }"
         " > converter.log\n" +
         more + "exit " + std::to_string(exit_code) + "\n";
}

inline std::string RealPath(const std::string& path) {
  char buf[PATH_MAX];
  return ::realpath(path.c_str(), buf) ? std::string(buf) : path;
}

class PollWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pstn_.Start(kCom));
    pstn_.heat.SetNetworkAddress(3);
    const zv::Profile profile(zv::kProgramZEVModem);
    ASSERT_TRUE(profile.WriteInt("Settings", "PortModem", kCom));
    ASSERT_TRUE(profile.WriteString("Settings", "ModemInit", "ATZ"));

    zv::PollTiming timing = zv::test::GenerousTiming();
    timing.pstn.disconnect_pause = zv::Ms(300);  // the frame leaves before the port is purged
    SetTiming(timing);
    block_.node = &node_;
    block_.setup.clock = &clock_;
    block_.setup.sink = &recorder_;
    block_.setup.program_dir = folder_.path();

    node_.header.SetString("MODEM", "1");
    node_.header.SetString("PHONE", "5551234*3");
    node_.header.SetString("INTRC", "0822");
    node_.header.SetString("N", "00042");
    node_.header.SetString("NAME", "School");
    node_.last_record = DateStamp(2024, 3, 9, 10, 0, 0);  // three days ago
    WriteNodeFile("00042_School.zev");
    WriteConverter(ConverterScript(0));
  }
  void TearDown() override {
    worker_.Join();
    PollCancel.store(false);
  }

  void SetTiming(const zv::PollTiming& timing) { block_.setup.timing = timing; }
  void WriteNodeFile(const std::string& name) {
    node_.path = folder_.Write(name, node_.header.Serialize() + "09.03.2024 10:00\t1\t2\r\n");
  }
  void WriteConverter(const std::string& script) {
    const std::string path = folder_.Write(zv::kConverterName, script);
    ::chmod(path.c_str(), 0755);
  }
  void Settings(int transfer, int archive) {
    const zv::Profile profile(zv::kProgramZEVModem);
    profile.WriteInt("Settings", "DataTransfer", transfer);
    profile.WriteInt("Settings", "ArchiveSave", archive);
  }
  // One poll on the worker thread, to its end.
  void Poll() {
    ASSERT_TRUE(worker_.Start(block_));
    worker_.Join();
    EXPECT_FALSE(worker_.Running());
    EXPECT_TRUE(PollIdle.load());
    EXPECT_FALSE(PollCancel.load());
  }
  std::string File(const std::string& name) const { return folder_.File(name); }
  bool Exists(const std::string& name) const { return zv::FileExists(File(name)); }
  std::string Read(const std::string& name) const { return zv::test::TempDir::Read(File(name)); }
  // No bins file at all, in either folder (nor a temporary one).
  bool NoBinsFiles() const {
    for (const char* dir : {zv::kBinsFolder, zv::kArchiveBinsFolder}) {
      std::error_code ec;
      for (const auto& entry : std::filesystem::directory_iterator(File(dir), ec)) {
        ADD_FAILURE() << "left behind: " << entry.path();
        return false;
      }
    }
    return true;
  }
  std::vector<int> Statuses() const { return recorder_.statuses(); }
  int Final() const { return recorder_.statuses().empty() ? 0 : recorder_.statuses().back(); }

  zv::test::TempDir folder_;  // the program folder, and the node file's
  zv::test::PstnNode pstn_;
  zv::sim::RunningClock clock_{zv::sim::LocalTime(2024, 3, 12, 14, 30, 10)};
  zv::sim::StatusRecorder recorder_;
  CNode node_;
  zv::PollWorkerBlock block_;
  zv::PollWorker worker_;
};

}  // namespace zv::test
