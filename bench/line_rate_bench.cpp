// How close the links come to the line's own speed. Each case runs one real
// exchange against the device simulators of tests/sim, in-process, over a
// paced line: every byte takes 10 bits at the line's speed in each direction,
// the device takes a request only once its last byte has arrived, and its
// answer's bytes arrive one by one at that speed. The links run with their
// real timing records; their clock sleeps for real and records every pause.
//
//   PSTN   a poll's download of the whole archive (the block list's whole-area
//          case) through the line-side controller, at 9600
//   ZEVRS  the hourly job's link steps (handshake, parameters, archive) at 9600
//   ZEVC   one 64 KB file of a kind-2 collector at 38400
//
// Figures per case: the elapsed time, the line's wire time (the time it carried
// bytes either way), the pauses the link took, and elapsed / (wire + the part
// of the pauses when the line carried nothing), aimed at within 5 % of 1: a
// pause between a request and the read of its answer passes while the answer
// is on its way, and costs nothing. Then the pauses taken against those the
// exchange calls for (ZEVRS, ZEVC). At the end every figure is printed as a
// "figure:" line for scripts/bench's table.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "links/archive_map.h"
#include "links/block_list.h"
#include "links/clock.h"
#include "links/node.h"
#include "links/pstn_link.h"
#include "platform/str_format.h"
#include "readers/collector/collector_link.h"
#include "readers/common/reader_flags.h"
#include "readers/rs/device_link.h"
#include "tests/sim/archive_layout.h"
#include "tests/sim/collector_sim.h"
#include "tests/sim/heat_computer.h"
#include "tests/sim/line_controller.h"

namespace {

using Steady = std::chrono::steady_clock;
using zv::sim::Bytes;
using Seconds = std::chrono::duration<double>;

using Span = std::pair<Steady::time_point, Steady::time_point>;

// The real clock; every pause is slept and recorded: its length asked for and
// when it was slept.
class RecordingClock final : public zv::Clock {
 public:
  struct Pause {
    long long us;
    Span span;
  };
  TimePoint Now() const override { return std::chrono::system_clock::now(); }
  void Sleep(std::chrono::microseconds pause) const override {
    const Steady::time_point start = Steady::now();
    if (pause.count() > 0) std::this_thread::sleep_for(pause);
    std::lock_guard<std::mutex> lock(mutex_);
    pauses_.push_back({pause.count(), {start, Steady::now()}});
  }
  // The pauses that began at `from` or later.
  std::vector<Pause> PausesFrom(Steady::time_point from) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Pause> out;
    for (const Pause& p : pauses_) {
      if (p.span.first >= from) out.push_back(p);
    }
    return out;
  }

 private:
  mutable std::mutex mutex_;
  mutable std::vector<Pause> pauses_;
};


// The spans merged where they overlap, in order.
std::vector<Span> Merged(std::vector<Span> spans) {
  std::sort(spans.begin(), spans.end());
  std::vector<Span> out;
  for (const Span& s : spans) {
    if (!out.empty() && s.first <= out.back().second) {
      out.back().second = std::max(out.back().second, s.second);
    } else {
      out.push_back(s);
    }
  }
  return out;
}

double Length(const std::vector<Span>& merged) {
  Steady::duration d{};
  for (const Span& s : merged) d += s.second - s.first;
  return std::chrono::duration_cast<Seconds>(d).count();
}

// How much of the pauses fell where the line carried nothing.
double IdlePauses(const std::vector<Span>& pauses, const std::vector<Span>& busy) {
  const std::vector<Span> p = Merged(pauses);
  Steady::duration idle{};
  for (const Span& s : p) {
    Steady::duration covered{};
    for (const Span& b : busy) {
      const Steady::time_point from = std::max(s.first, b.first);
      const Steady::time_point to = std::min(s.second, b.second);
      if (from < to) covered += to - from;
    }
    idle += (s.second - s.first) - covered;
  }
  return std::chrono::duration_cast<Seconds>(idle).count();
}

// A full-duplex line at a settable speed with a device at its far end. What is
// written goes out at once and reaches the device after its wire time; the
// device's answers come back byte by byte at the line's speed. Reads follow the
// serial port: until n bytes came, the total bound (per byte and constant)
// passed, or the interval between two bytes ran out.
class PacedLine {
 public:
  // The device: the answers to the bytes that reached it at `baud`.
  using Device = std::function<std::vector<Bytes>(const Bytes& in, int baud)>;

  PacedLine(int baud, Device device) : baud_(baud), device_(std::move(device)) {}

  void SetBaud(int baud) {
    Deliver(Steady::now());
    baud_ = baud;
  }
  int Write(const std::uint8_t* data, int n) {
    const Steady::time_point now = Steady::now();
    Deliver(now);
    const Steady::time_point from = std::max(tx_free_, now);
    tx_free_ = from + ByteTime() * n;
    wire_ += ByteTime() * n;
    busy_.emplace_back(from, tx_free_);
    requests_.push_back({tx_free_, baud_, Bytes(data, data + n)});
    return n;
  }
  int Read(std::uint8_t* out, int n, const zv::SerialPortTiming& t) {
    const Steady::time_point start = Steady::now();
    const Steady::time_point total = start + t.read_total_per_byte * n + t.read_total_constant;
    Steady::time_point deadline = total;
    int got = 0;
    while (got < n) {
      const Steady::time_point now = Steady::now();
      Deliver(now);
      while (got < n && !incoming_.empty() && incoming_.front().first <= now) {
        out[got++] = incoming_.front().second;
        incoming_.pop_front();
        deadline = std::min(total, now + t.read_interval);
      }
      if (got == n || now >= deadline) break;
      // Sleep to the next byte (or the next answer's first byte), or the deadline.
      Steady::time_point next = deadline;
      if (!incoming_.empty()) next = std::min(next, incoming_.front().first);
      if (!requests_.empty()) next = std::min(next, requests_.front().arrives);
      std::this_thread::sleep_until(next);
    }
    return got;
  }
  // The wire time of every byte either way so far.
  double WireSeconds() const { return std::chrono::duration_cast<Seconds>(wire_).count(); }
  // When the line carried bytes (either way), merged.
  std::vector<Span> BusyFrom(Steady::time_point from) const {
    std::vector<Span> spans;
    for (const Span& b : busy_) {
      if (b.first >= from) spans.push_back(b);
    }
    return Merged(spans);
  }
  size_t requests() const { return requests_taken_; }

 private:
  struct Request {
    Steady::time_point arrives;
    int baud;
    Bytes bytes;
  };
  Steady::duration ByteTime() const {
    return std::chrono::duration_cast<Steady::duration>(Seconds(10.0 / baud_));
  }
  // Hands the device every request that has reached it by `now` and queues
  // its answers' bytes, each at its own time.
  void Deliver(Steady::time_point now) {
    while (!requests_.empty() && requests_.front().arrives <= now) {
      const Request r = requests_.front();
      requests_.pop_front();
      ++requests_taken_;
      for (const Bytes& answer : device_(r.bytes, r.baud)) {
        const Steady::duration byte = std::chrono::duration_cast<Steady::duration>(Seconds(10.0 / r.baud));
        rx_free_ = std::max(rx_free_, r.arrives);
        const Steady::time_point from = rx_free_;
        for (std::uint8_t b : answer) {
          rx_free_ += byte;
          incoming_.emplace_back(rx_free_, b);
        }
        wire_ += byte * static_cast<long>(answer.size());
        busy_.emplace_back(from, rx_free_);
      }
    }
  }

  int baud_;
  Device device_;
  std::deque<Request> requests_;
  std::deque<std::pair<Steady::time_point, std::uint8_t>> incoming_;
  Steady::time_point tx_free_{};
  Steady::time_point rx_free_{};
  Steady::duration wire_{};
  std::vector<Span> busy_;
  size_t requests_taken_ = 0;
};

std::vector<Bytes> Wires(const std::vector<zv::sim::Reply>& replies) {
  std::vector<Bytes> out;
  for (const zv::sim::Reply& r : replies) {
    if (!r.Silent()) out.push_back(r.Wire());
  }
  return out;
}

class PacedPstnLink final : public CZVMLink {
 public:
  PacedPstnLink(PacedLine& line, const zv::Clock& clock) : CZVMLink(zv::PollTiming{}, clock, nullptr), line_(line) {}

 protected:
  int LinkRead(std::uint8_t* buffer, int n) override { return line_.Read(buffer, n, timing()); }
  int LinkWrite(const std::uint8_t* buffer, int n) override { return line_.Write(buffer, n); }
  void DiscardInput() override {}

 private:
  PacedLine& line_;
};

class PacedDeviceLink final : public CDeviceLink {
 public:
  PacedDeviceLink(PacedLine& line, const zv::Clock& clock)
      : CDeviceLink(nullptr, zv::DirectLinkTiming{}, clock), line_(line), clock_(clock) {}

 protected:
  int LinkRead(std::uint8_t* buffer, int n) override { return line_.Read(buffer, n, timing()); }
  int LinkWrite(const std::uint8_t* buffer, int n) override { return line_.Write(buffer, n); }
  // As the port does: a pause on either side of the change.
  bool LinkSetBaudRate(int baud) override {
    clock_.Sleep(timing().baud_change_pause);
    line_.SetBaud(baud);
    clock_.Sleep(timing().baud_change_pause);
    return true;
  }

 private:
  PacedLine& line_;
  const zv::Clock& clock_;
};

class PacedCollectorLink final : public CCollectorLink {
 public:
  PacedCollectorLink(PacedLine& line, const zv::Clock& clock)
      : CCollectorLink(nullptr, zv::CollectorLinkTiming{}, clock), line_(line) {}

 protected:
  int LinkRead(std::uint8_t* buffer, int n) override { return line_.Read(buffer, n, timing()); }
  int LinkWrite(const std::uint8_t* buffer, int n) override { return line_.Write(buffer, n); }

 private:
  PacedLine& line_;
};

struct Figures {
  double elapsed = 0;
  double wire = 0;         // the bytes' wire time, either way
  double busy = 0;         // the time the line carried bytes
  double paused = 0;       // every pause taken
  double idle_paused = 0;  // the part of the pauses when the line carried nothing
  size_t requests = 0;
  std::map<long long, int> pauses;    // length asked for (us) -> how many
  std::map<long long, int> expected;  // empty: not stated for the case
  bool ok = false;                    // the exchange itself succeeded
};

// The figures of what the line and the clock saw from `start` on, to now.
void Measure(Figures& f, const PacedLine& line, const RecordingClock& clock, Steady::time_point start,
             double wire_before, size_t requests_before) {
  f.elapsed = std::chrono::duration_cast<Seconds>(Steady::now() - start).count();
  f.wire = line.WireSeconds() - wire_before;
  f.requests = line.requests() - requests_before;
  const std::vector<Span> busy = line.BusyFrom(start);
  f.busy = Length(busy);
  std::vector<Span> spans;
  for (const RecordingClock::Pause& p : clock.PausesFrom(start)) {
    ++f.pauses[p.us];
    f.paused += static_cast<double>(p.us) / 1e6;
    spans.push_back(p.span);
  }
  f.idle_paused = IdlePauses(spans, busy);
}

// A pause as StoppablePause sleeps it: in slices.
void AddSliced(std::map<long long, int>& pauses, zv::Duration pause, zv::Duration slice) {
  while (pause > zv::Duration::zero()) {
    const zv::Duration step = std::min(pause, slice);
    ++pauses[static_cast<long long>(step.count())];
    pause -= step;
  }
}
std::map<std::string, Figures>& Results() {
  static std::map<std::string, Figures> results;
  return results;
}

double Ratio(const Figures& f) { return f.busy + f.idle_paused > 0 ? f.elapsed / (f.busy + f.idle_paused) : 0; }

void Report(benchmark::State& state, const std::string& name, Figures f) {
  state.counters["elapsed_s"] = f.elapsed;
  state.counters["busy_s"] = f.busy;
  state.counters["pauses_s"] = f.paused;
  state.counters["requests"] = static_cast<double>(f.requests);
  state.counters["ratio"] = Ratio(f);
  if (!f.ok) state.SkipWithError("the exchange failed");
  Results()[name] = std::move(f);
}

// The device of the direct reader and of the PSTN node: family 2, model 2
// (type 2, version 1), every archive byte set.
void FillDevice(zv::sim::HeatComputer& heat) {
  Bytes memory(zv::sim::HeatComputer::kMemorySize);
  for (size_t a = 0; a < memory.size(); ++a) memory[a] = static_cast<std::uint8_t>(a * 7 + (a >> 8));
  heat.Poke(0, memory);
  heat.SetType(2);
  heat.SetVersion(1);
  heat.SetSerial(1234);
  heat.SetClock(2024, 3, 12, 14, 30, 0);
}

void BM_PstnWholeArchive9600(benchmark::State& state) {
  for (auto _ : state) {
    zv::sim::HeatComputer heat;
    FillDevice(heat);
    heat.SetNetworkAddress(3);
    zv::sim::LineController controller(heat);
    PacedLine line(9600, [&](const Bytes& in, int) { return Wires(controller.Receive(in)); });
    RecordingClock clock;
    PacedPstnLink link(line, clock);
    // The session the connect frame opens (the link's Open does it on a line).
    const std::optional<zv::LinkFrame> connect = link.RequestTemplate(CZVMLink::kRequestConnect);
    controller.Receive(Bytes(connect->begin(), connect->end()));

    CNode node;
    link.node = &node;
    Figures f;
    const Steady::time_point start = Steady::now();
    if (link.ReadFirstBlock()) {
      link.family = link.ImageFamily();
      link.model = link.ImageModel();
      const DateStamp target(2024, 3, 12, 16, 30, 0);
      const DateStamp last(2023, 1, 1, 0, 0, 0);  // long before the archive's reach: the whole area
      auto list = std::make_unique<zv::BlockList>();
      if (zv::BuildBlockList(zv::kLinkPstn, link.family, link.model, last, target, *list)) {
        f.ok = link.ReadBlocks(list->data(), list->size());
      }
    }
    Measure(f, line, clock, start, 0, 0);
    link.node = nullptr;
    Report(state, "pstn", std::move(f));
  }
}

void BM_ZevrsHourly9600(benchmark::State& state) {
  for (auto _ : state) {
    g_bStop = false;
    zv::sim::HeatComputer heat;
    FillDevice(heat);
    heat.SetSpeed(2400);  // found at the first speed tried
    PacedLine line(9600, [&](const Bytes& in, int baud) { return Wires(heat.ReceiveAt(in, baud)); });
    RecordingClock clock;
    PacedDeviceLink link(line, clock);
    Figures f;
    const Steady::time_point start = Steady::now();
    f.ok = link.InitLink(9600) && link.ReadParameters() && link.ReadArchive();
    Measure(f, line, clock, start, 0, 0);
    // Three speed changes with a pause either side; the answer pause before the
    // read of the parameters and of every archive block; after the parameters
    // the accepted pause and the interval ("ParamsAttemptsInterval", 500 ms by
    // default), both in the pause's slices.
    const zv::DirectLinkTiming t;
    const int archive_requests = (zv::DirectArchiveEnd(2, 1) - CDeviceLink::kArchiveStart + 255) / 256;
    f.expected[static_cast<long long>(link.timing().baud_change_pause.count())] = 6;
    for (int i = 0; i < 1 + archive_requests; ++i) AddSliced(f.expected, t.answer_pause, t.pause_slice);
    AddSliced(f.expected, t.accepted_pause, t.pause_slice);
    AddSliced(f.expected, zv::Ms(500), t.pause_slice);
    Report(state, "zevrs", std::move(f));
  }
}

void BM_ZevcFile64K38400(benchmark::State& state) {
  for (auto _ : state) {
    g_bStop = false;
    zv::sim::Collector collector(2);
    Bytes image(65536);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 13 + (i >> 9));
    image[0] = 2;
    image[1] = 1;
    image[2] = 0x39;
    image[3] = 0x30;
    collector.PutFile(3, 2, image);  // size code 2: 128 blocks of 512
    PacedLine line(38400, [&](const Bytes& in, int baud) { return collector.Receive(in, baud); });
    RecordingClock clock;
    PacedCollectorLink link(line, clock);
    // The connection (pointers and status) comes before the figures.
    link.SendPreamble();
    const bool connected = link.ReadPointers();
    link.SendPreamble();
    Figures f;
    const double wire_before = line.WireSeconds();
    const size_t requests_before = line.requests();
    const Steady::time_point start = Steady::now();
    f.ok = connected && link.kind() == 2 && link.ReadFile(zv::CollectorFileEntry(3, link.status_block()[3]));
    Measure(f, line, clock, start, wire_before, requests_before);
    f.ok = f.ok && std::equal(image.begin(), image.end(), link.image());
    // The answer pause before every block's read.
    const zv::CollectorLinkTiming t;
    for (int i = 0; i < zv::CollectorFileBlocks(2, 2); ++i) AddSliced(f.expected, t.answer_pause, t.pause_slice);
    Report(state, "zevc", std::move(f));
  }
}

BENCHMARK(BM_PstnWholeArchive9600)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ZevrsHourly9600)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ZevcFile64K38400)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

std::string PauseList(const std::map<long long, int>& pauses) {
  std::string s;
  for (const auto& [us, n] : pauses) {
    if (!s.empty()) s += " ";
    s += zv::StrFormat("%dx%gms", n, static_cast<double>(us) / 1000.0);
  }
  return s.empty() ? "none" : s;
}

void PrintFigures() {
  for (const auto& [name, f] : Results()) {
    const double ratio = Ratio(f);
    std::printf(
        "%s: %zu requests, elapsed %.3f s, wire %.3f s (line busy %.3f s), pauses %.3f s (%.3f s of them on an "
        "idle line); pauses taken: %s\n",
        name.c_str(), f.requests, f.elapsed, f.wire, f.busy, f.paused, f.idle_paused, PauseList(f.pauses).c_str());
    std::printf("figure: line_rate %s elapsed / (wire + pauses on an idle line)|%.3f|1 +- 0.05|%s\n", name.c_str(),
                ratio, f.ok && ratio >= 0.95 && ratio <= 1.05 ? "met" : "missed");
    if (!f.expected.empty()) {
      std::printf("figure: line_rate %s pauses taken|%s|%s|%s\n", name.c_str(), PauseList(f.pauses).c_str(),
                  PauseList(f.expected).c_str(), f.pauses == f.expected ? "met" : "missed");
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  // No profile of the user's: the readers' default attempt counts and intervals.
  ::setenv("XDG_CONFIG_HOME", "/nonexistent/zv-line-rate", 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  PrintFigures();
  benchmark::Shutdown();
  return 0;
}
