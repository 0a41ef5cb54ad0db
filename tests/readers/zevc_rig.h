#pragma once
// A simulated collector at COM4, a folder for bins and archive-bins, and a
// folder for the stand-in converter: what the ZEVC list, job and dialog tests
// run against.

#include <sys/stat.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "platform/profile.h"
#include "readers/collector/collector_jobs.h"
#include "readers/collector/collector_link.h"
#include "tests/readers/reader_recorder.h"
#include "tests/sim/collector_sim.h"
#include "tests/sim/test_clock.h"
#include "tests/support/temp_dir.h"

namespace zv::test {

inline constexpr int kCollectorCom = 4;

// A heat computer's memory image as the collector stores it: type, version,
// serial, the clock (year byte, month, day, hour) at 80 (type 4 or version 3,
// 4) or 64, and a pattern of the seed elsewhere.
inline sim::Bytes CollectorImage(size_t size, std::uint8_t type, std::uint8_t version, int serial, int year_byte,
                                 int month, int day, int hour, std::uint8_t seed) {
  sim::Bytes image(size);
  for (size_t i = 0; i < size; ++i) image[i] = static_cast<std::uint8_t>(i * 13 + seed + (i >> 9));
  image[0] = type;
  image[1] = version;
  image[2] = static_cast<std::uint8_t>(serial & 0xFF);
  image[3] = static_cast<std::uint8_t>(serial >> 8);
  const size_t at = type == 4 || version == 3 || version == 4 ? 80 : 64;
  image[at] = static_cast<std::uint8_t>(year_byte);
  image[at + 1] = static_cast<std::uint8_t>(month);
  image[at + 2] = static_cast<std::uint8_t>(day);
  image[at + 3] = static_cast<std::uint8_t>(hour);
  return image;
}

// The bins file ZEVC writes for an image: the zero lead and the image bytes.
inline std::string CollectorBinsBytes(const sim::Bytes& image) {
  const CollectorBinsLayout layout = CollectorBinsFileLayout(image[0], image[1]);
  std::string bytes(static_cast<size_t>(layout.lead), '\0');
  sim::Bytes full = image;
  full.resize(CCollectorLink::kImageSize, 0);
  bytes.append(reinterpret_cast<const char*>(full.data()), static_cast<size_t>(layout.image));
  return bytes;
}

// The reports of a ZEVC job; the outcome as code -4, the end as -1.
class CollectorRecorder : public CollectorSink {
 public:
  static constexpr int kOutcome = -4;
  static constexpr int kFinished = -1;
  void OnLinkEvent(int code, std::int64_t value) override { log.OnLinkEvent(code, value); }
  void OnLinkText(std::u16string text) override { log.OnLinkText(std::move(text)); }
  void OnJobOutcome(bool complete) override { log.OnLinkEvent(kOutcome, complete ? 1 : 0); }
  void OnJobFinished() override { log.OnLinkEvent(kFinished, 0); }
  // The values reported with `code`, in order.
  std::vector<std::int64_t> Values(int code) const {
    std::vector<std::int64_t> out;
    for (const ReaderReport& r : log.reports()) {
      if (r.code == code) out.push_back(r.value);
    }
    return out;
  }
  ReaderRecorder log;
};

struct ZevcRig {
  ZevcRig() {
    EnsureDirectories(base);
    EnsureDirectories(program_dir);
    setup.base = base;
    setup.converter_dir = program_dir;
    setup.timing = ScaledTiming(CollectorLinkTiming{}, sim::kTestTimeScale);
    setup.timing.pause_slice = Ms(20);
    // A read ends as soon as its answer is in, so the reads the collector
    // answers wait long: on a loaded machine a late answer would stay in the
    // input (nothing is purged before a request) and put every later read one
    // answer behind. Tests that leave answers out call SilentReads().
    setup.timing.port.read_total_constant = kAnsweredRead;
    setup.timing.port.read_interval = Ms(300);
    setup.clock = &clock;
    setup.converter_poll = Ms(5);
    setup.port_pause = Ms(5);
    setup.clear_wait = Ms(30);
    Profile(kProgramZEVC).WriteString("Properties", "Port", std::to_string(kCollectorCom));
  }
  static constexpr Duration kAnsweredRead = Ms(5000);
  static constexpr Duration kSilentRead = Ms(400);
  // For the tests whose answers do not come: a kind-1 collector never answers
  // the status (three tries on every connect), a silent line, lost status or
  // set-pointers answers. Each such read costs the whole limit, so it stays
  // short, and the answered reads of these tests share it. Set it before the
  // dialog is made: the dialog keeps a copy of the setup.
  void SilentReads(bool on = true) { setup.timing.port.read_total_constant = on ? kSilentRead : kAnsweredRead; }
  // A collector of `kind` at COM4, prepared by `prepare` before it answers.
  bool Start(int kind, const std::function<void(sim::Collector&)>& prepare = {}) {
    collector.reset();
    collector = std::make_unique<sim::Collector>(kind);
    if (prepare) prepare(*collector);
    if (!collector->MapToComPort(kCollectorCom)) return false;
    collector->Start();
    return true;
  }
  // A link opened at the collector's speed (not yet connected).
  std::unique_ptr<CCollectorLink> OpenLink(ReaderSink* sink = nullptr) const {
    auto link = std::make_unique<CCollectorLink>(sink, setup.timing, clock);
    if (!link->Open("COM" + std::to_string(kCollectorCom)) || !link->SetBaudRate(38400)) return nullptr;
    return link;
  }
  // The slots whose first block was asked for, in order (header and file reads).
  std::vector<int> BlockSlots(bool first_blocks_only = true) const {
    std::vector<int> out;
    const int unit = collector->kind() == 2 ? 64 : 128;
    for (const sim::CollectorRequest& r : collector->requests()) {
      if (r.command != 0x01 && r.command != 0x05) continue;
      const int block = r.p1 | (r.p2 << 8);
      if (!first_blocks_only || block % unit == 0) out.push_back(block / unit);
    }
    return out;
  }
  size_t Requests(std::uint8_t command) const {
    size_t n = 0;
    for (const sim::CollectorRequest& r : collector->requests()) n += r.command == command ? 1 : 0;
    return n;
  }
  // A converter that logs its folder and arguments into converter.log (in its
  // working folder) and then runs `tail` (shell commands).
  void WriteConverter(const std::string& tail) const {
    const std::string path = program_dir + "/binZEV2";
    dir.Write("prog/binZEV2", "#!/bin/sh\necho \"$PWD|$#|$1\" >> converter.log\n" + tail + "\n");
    ::chmod(path.c_str(), 0755);
  }
  std::string ConverterLog() const { return TempDir::Read(base + "/converter.log"); }

  TempDir dir;
  std::string base = dir.File("work");
  std::string program_dir = dir.File("prog");
  sim::RunningClock clock{sim::LocalTime(2026, 3, 4, 5, 6, 7)};
  CollectorJobSetup setup;
  std::unique_ptr<sim::Collector> collector;
};

}  // namespace zv::test
