#pragma once
// A heat computer on a cable at COM3, a folder for bins and archive-bins, and
// a folder for the stand-in converter: what the ZEVRS job and dialog tests run
// against.

#include <sys/stat.h>

#include <mutex>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "platform/profile.h"
#include "readers/rs/read_thread.h"
#include "tests/readers/fed_link.h"
#include "tests/readers/reader_recorder.h"
#include "tests/sim/direct_cable.h"
#include "tests/sim/heat_computer.h"
#include "tests/sim/test_clock.h"
#include "tests/support/temp_dir.h"

namespace zv::test {

// Memory with every byte value, type, version and serial in front.
inline void FillDevice(sim::HeatComputer& heat, std::uint8_t type, std::uint8_t version, std::uint8_t seed = 0) {
  sim::Bytes memory(sim::HeatComputer::kMemorySize);
  for (size_t a = 0; a < memory.size(); ++a) memory[a] = static_cast<std::uint8_t>(a * 7 + (a >> 8) + seed);
  heat.Poke(0, memory);
  heat.SetType(type);
  heat.SetVersion(version);
  heat.SetSerial(1234);
}

// The reports of a ZEVRS job.
class DirectRecorder : public DirectReaderSink {
 public:
  void OnLinkEvent(int code, std::int64_t value) override { log.OnLinkEvent(code, value); }
  void OnLinkText(std::u16string text) override { log.OnLinkText(std::move(text)); }
  void OnJobFinished() override { log.OnLinkEvent(-1, 0); }
  void OnValuesReady(const ReadJob& job) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      values_.push_back(job);
    }
    log.OnLinkEvent(-2, 0);
  }
  void OnCurrentDataRead() override { log.OnLinkEvent(-3, 0); }
  void Clear() {
    log.Clear();
    std::lock_guard<std::mutex> lock(mutex_);
    values_.clear();
  }
  std::vector<ReadJob> values() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return values_;
  }

  ReaderRecorder log;

 private:
  mutable std::mutex mutex_;
  std::vector<ReadJob> values_;
};

struct ZevrsRig {
  ZevrsRig() {
    WriteReaderProfile();
    Profile(kProgramZEVRS).WriteString("Properties", "Port", "3");
    EnsureDirectories(base);
    EnsureDirectories(program_dir);
    setup.base = base;
    setup.converter_dir = program_dir;
    setup.timing = TestLinkTiming();
    setup.clock = &clock;
    setup.converter_poll = Ms(5);
  }
  bool Start() {
    if (!cable.MapToComPort(3)) return false;
    cable.Start();
    return true;
  }
  // A converter that logs its folder and arguments into converter.log (in its
  // working folder) and then runs `tail` (shell commands).
  void WriteConverter(const std::string& tail) const {
    const std::string path = program_dir + "/binZEV2";
    dir.Write("prog/binZEV2", "#!/bin/sh\necho \"$PWD|$#|$1\" >> converter.log\n" + tail + "\n");
    ::chmod(path.c_str(), 0755);
  }
  std::string ConverterLog() const { return TempDir::Read(base + "/converter.log"); }
  std::string BinsName(int minute = 8) const {
    return "bins/01234_2024-05-06_07-" + std::string(minute < 10 ? "0" : "") + std::to_string(minute) + ".bin";
  }

  TempDir dir;
  std::string base = dir.File("work");
  std::string program_dir = dir.File("prog");
  sim::HeatComputer heat;
  sim::DirectCable cable{heat};
  sim::SteppedClock clock{sim::LocalTime(2024, 5, 6, 7, 8, 9)};
  DirectJobSetup setup;
};

}  // namespace zv::test
