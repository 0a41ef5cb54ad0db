// Writes the seed inputs of the fuzz targets into <folder>/<target>/ (the
// committed ones: fuzz/corpus/). Every seed comes from the project's own
// writers (the node header and data line writers, the node and journal file
// generator of tests/sim) or from a download recorded against the device
// simulators of tests/sim, in each target's input form:
//
//   node_header    form byte, then a node file: header, "$", data lines
//   data_line      V selector, scheme, data lines
//   journal        a journal image of the documented layout
//   *_link         days since the last record, then the device's stream as
//                  the link read it (fuzz/link_harness.h): each read as its
//                  length byte and its bytes
//   modem_dialogue per wait a selector byte and the modem's reads
//   hand_over_block  a block as the workstation's writer makes it, and damaged ones
//   group_file     a group file as the workstation writes it, and damaged ones
//   node_file_load a node file as the converter and the workstation leave it
//   device_link    the job byte, then the heat computer's answers as the direct
//                  link read them (fuzz/reader_harness.h)
//   collector_link the plan and slot bytes, then the collector's answers
//   collector_list the collector's answers to the file list's walk
//
//   make_seeds fuzz/corpus

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/data_header.h"
#include "data/data_record.h"
#include "data/journal.h"
#include "fuzz/link_harness.h"
#include "fuzz/reader_harness.h"
#include "links/gsm_link.h"
#include "links/pstn_link.h"
#include "links/tcp_link.h"
#include "modem/group_file.h"
#include "modem/hand_over_block.h"
#include "platform/cp1251.h"
#include "tests/links/device_setup.h"
#include "readers/collector/file_list.h"
#include "tests/sim/collector_sim.h"
#include "tests/sim/heat_computer.h"
#include "tests/sim/line_controller.h"
#include "tests/sim/node_file_generator.h"

namespace {

namespace fs = std::filesystem;
using zv::sim::Bytes;

fs::path g_root;
int g_written = 0;

void WriteSeed(const std::string& target, const std::string& name, std::string_view bytes) {
  const fs::path dir = g_root / target;
  fs::create_directories(dir);
  std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", (dir / name).c_str());
    std::exit(1);
  }
  ++g_written;
}

void WriteSeed(const std::string& target, const std::string& name, const Bytes& bytes) {
  WriteSeed(target, name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// --- Node files and data lines.

// Hourly records from 14.03.2026 00:00 on, readings growing by the hour.
std::vector<std::string> DataLines(int version, int hours) {
  std::vector<std::string> lines;
  DateStamp t(2026, 3, 14, 0, 0, 0);
  CZEVDataRec rec;
  rec.kind = CZEVDataRec::KindOfVersion(version);
  for (int h = 0; h < hours; ++h) {
    rec.time = t;
    int k = 0;
    for (int id : CZEVDataRec::Layout(rec.kind)) {
      rec.value[static_cast<size_t>(id)] = static_cast<float>(1000.25 * (k + 1) + h * (k % 3) + 0.5 * h);
      ++k;
    }
    rec.error = h == 3 ? 0x8000 : h == 5 ? 0x11 : 0;
    std::string line = rec.WriteLine();
    line.resize(line.size() - 2);  // without CR LF
    lines.push_back(line);
    t.Increment(DateStamp::kHour);
  }
  return lines;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  return text;
}

void NodeHeaderSeeds() {
  CDataHeader viewer(CDataHeader::kViewer);
  viewer.SetString("NAME", zv::W1251("Котельная №3"));
  viewer.SetString("N", "00042");
  viewer.SetInt("V", 8);
  viewer.SetInt("SCHEMA", 21);
  viewer.SetString("LAST_CHANGES1", zv::W1251("12.03.2026 10:15     наработка 120 час.; "));
  viewer.SetString("NOTES", zv::W1251("Узел учёта\tзаметка"));
  viewer.SetColumnIds(0, {1, 2, 4, 5, 8});
  viewer.SetColumnIds(2, {3, 6});
  viewer.SetColumnList(3, "E1\tT1\tLC12");
  WriteSeed("node_header", "viewer.zev", std::string(1, '\0') + viewer.Serialize() + Join(DataLines(8, 3)));

  CDataHeader ws(CDataHeader::kWorkstation);
  ws.SetString("NAME", zv::W1251("Школа"));
  ws.SetInt("N", 0);
  ws.SetInt("MODEM", 3);
  ws.SetString("IPADDRESS", "127.0.0.1");
  ws.SetInt("IPPORT", 4001);
  ws.SetString("INTRC", "0206");
  ws.SetColumnIds(0, {1, 2, 3});
  WriteSeed("node_header", "workstation.zev", std::string(1, '\1') + ws.Serialize() + Join(DataLines(4, 2)));
  // A converted file with the workstation's keys and damaged data lines.
  zv::sim::NodeFilePlan plan;
  plan.header = zv::sim::NodeHeaderKeys::Converted(8, "00042", {}, 21);
  plan.header.AddWorkstationKeys(1);
  plan.data = zv::sim::HourlySeries::Ending(DateStamp(2026, 3, 14, 6, 0, 0), 6);
  plan.damage = {{1, zv::sim::LineDamage::kCutShort}, {3, zv::sim::LineDamage::kJunk}};
  const std::string converted = zv::sim::NodeFileText(plan);
  WriteSeed("node_header", "converted-viewer.zev", std::string(1, '\0') + converted);
  WriteSeed("node_header", "converted-workstation.zev", std::string(1, '\1') + converted);
  // V 8 data lines with every kind of damage.
  std::vector<std::string> lines = zv::sim::DataLines(plan.data, 8);
  const zv::sim::LineDamage kinds[] = {zv::sim::LineDamage::kCutShort, zv::sim::LineDamage::kNoTab,
                                       zv::sim::LineDamage::kTabFirst, zv::sim::LineDamage::kBlank,
                                       zv::sim::LineDamage::kJunk, zv::sim::LineDamage::kBadTime};
  for (size_t i = 0; i < lines.size() && i < std::size(kinds); ++i) lines[i] = zv::sim::DamageLine(lines[i], kinds[i]);
  WriteSeed("data_line", "damaged.txt", std::string("\x01\x15", 2) + Join(lines));
  // LF line ends, blanks around the lines, a line without TAB, no "$".
  WriteSeed("node_header", "loose.zev",
            std::string("\0", 1) + "  NAME\tx  \n#comment\tc\nDATASHOW\tE1\t\tT1\nnotab\n\tvalue\nV\t4");
}

void DataLineSeeds() {
  WriteSeed("data_line", "v8.txt", std::string("\x01\x15", 2) + Join(DataLines(8, 6)));
  WriteSeed("data_line", "v4.txt", std::string("\x00\x0B", 2) + Join(DataLines(4, 6)));
  // A V 4 line after V 8, a blank line, a short line, a line without its code.
  std::vector<std::string> mixed = DataLines(8, 2);
  mixed.push_back(DataLines(4, 1).front());
  mixed.push_back("");
  mixed.push_back("14.03.2026\t07:00\t1.5");
  std::string no_code = DataLines(8, 1).front();
  no_code.resize(no_code.rfind('\t'));
  mixed.push_back(no_code);
  WriteSeed("data_line", "mixed.txt", std::string("\x01\x16", 2) + Join(mixed));
}

// --- The journal, from the node file generator's writer.

void JournalSeeds() {
  const std::vector<zv::sim::JournalEntry> entries = zv::sim::SampleJournal(DateStamp(2026, 3, 12, 10, 0, 0), 5);
  WriteSeed("journal", "five.zvj", zv::sim::JournalFileBytes(entries));
  // Wrapping past the last slot, whose flags byte lies past the end.
  WriteSeed("journal", "wrapped.zvj", zv::sim::JournalFileBytes(entries, 254));
  WriteSeed("journal", "short.zvj", zv::sim::JournalFileBytes(entries).substr(0, 100));
}

// --- Downloads recorded against the simulators.

// A link whose device is a simulator, in-process: what the link writes goes
// to the peer, the replies' bytes wait to be read, and every read is recorded
// in the stream form of fuzz/link_harness.h.
template <class Link>
class RecordingLink final : public Link {
 public:
  RecordingLink(zv::sim::DataPeer& peer, const zv::PollTiming& timing, Bytes& record)
      : Link(timing, zv::SystemClock(), nullptr), peer_(peer), record_(record) {}

 protected:
  int LinkRead(std::uint8_t* buffer, int n) override {
    std::unique_lock<std::mutex> lock(mutex_);
    // The GSM request sender writes on its own thread: give it time.
    cv_.wait_for(lock, std::chrono::milliseconds(100), [this] { return !pending_.empty(); });
    const int k = std::min({n, 255, static_cast<int>(pending_.size())});
    record_.push_back(static_cast<std::uint8_t>(k));
    record_.insert(record_.end(), pending_.begin(), pending_.begin() + k);
    std::copy(pending_.begin(), pending_.begin() + k, buffer);
    pending_.erase(pending_.begin(), pending_.begin() + k);
    return k;
  }
  int LinkWrite(const std::uint8_t* buffer, int n) override {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const zv::sim::Reply& r : peer_.Receive(Bytes(buffer, buffer + n))) {
      const Bytes wire = r.Wire();
      pending_.insert(pending_.end(), wire.begin(), wire.end());
    }
    cv_.notify_all();
    return n;
  }
  void DiscardInput() override {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_.clear();
  }

 private:
  zv::sim::DataPeer& peer_;
  Bytes& record_;
  std::mutex mutex_;
  std::condition_variable cv_;
  Bytes pending_;
};

// Family 2 model 2 (the test pattern device), or family 1 model 3.
void SetUpDevice(zv::sim::HeatComputer& heat, int family) {
  zv::test::PatternDevice(heat, 0x7F);
  if (family == 1) heat.SetVersion(3);
  heat.SetClock(2026, 3, 15, 10, 0, 0);
}

// Faults on a few answers: a bad CRC, noise before one, bytes after another.
void SetFaults(zv::sim::HeatComputer& heat) {
  zv::sim::AnswerFault bad;
  bad.bad_crc = true;
  heat.SetFault(2, bad);
  zv::sim::AnswerFault noise;
  noise.noise = {0x5A, 0x00, 0xA5, 0x13};
  heat.SetFault(3, noise);
  zv::sim::AnswerFault trailing;
  trailing.trailing = {0x01, 0x02, 0x03};
  heat.SetFault(5, trailing);
}

template <class Link>
Bytes Record(zv::sim::DataPeer& peer, int link_type, int days_back, zv::sim::LineController* controller) {
  Bytes record{static_cast<std::uint8_t>(days_back)};
  zv::PollTiming timing = zv::ScaledTiming(zv::PollTiming{}, 100);
  RecordingLink<Link> link(peer, timing, record);
  if (controller != nullptr) {
    // The session the connect frame opens (the link's Open does it on a real line).
    const std::optional<zv::LinkFrame> connect = link.RequestTemplate(CZVMLink::kRequestConnect);
    controller->Receive(Bytes(connect->begin(), connect->end()));
  }
  const zv::fuzz::DownloadResult r = zv::fuzz::RunDownload(link, link_type, days_back);
  // The seed must take the fuzzed link (no pauses, no clock) through the same
  // whole download.
  zv::fuzz::Input input(record.data(), record.size());
  input.Byte();
  zv::fuzz::ChunkedStream stream(input);
  zv::fuzz::NoSleepClock clock;
  zv::fuzz::FuzzedLink<Link> replay(stream, clock);
  const zv::fuzz::DownloadResult again = zv::fuzz::RunDownload(replay, link_type, days_back);
  std::printf("  link %d: %d blocks, %zu bytes\n", link_type, r.blocks, record.size());
  if (!r.whole || !r.identity || !again.whole || !again.identity || again.blocks != r.blocks) {
    std::fprintf(stderr, "link %d: the recorded download is not whole, or does not replay whole\n", link_type);
    std::exit(1);
  }
  return record;
}

template <class Link>
void LinkSeeds(const std::string& target, int link_type) {
  for (int family = 1; family <= 2; ++family) {
    for (bool faults : {false, true}) {
      zv::sim::HeatComputer heat;
      SetUpDevice(heat, family);
      if (faults) SetFaults(heat);
      Bytes seed;
      if (link_type == zv::kLinkPstn) {
        zv::sim::LineController controller(heat);
        seed = Record<Link>(controller, link_type, 1, &controller);
      } else {
        seed = Record<Link>(heat, link_type, 1, nullptr);
      }
      WriteSeed(target, "family" + std::to_string(family) + (faults ? "-faults" : "") + ".bin", seed);
    }
  }
}

// --- The modem's replies: a wait (reply wanted, reads allowed) and its reads.

std::string Wait(int wanted, int tries) { return std::string(1, static_cast<char>(((tries - 1) << 3) | wanted)); }
std::string Reads(const std::vector<std::string>& reads) {
  std::string s;
  for (const std::string& r : reads) s += static_cast<char>(r.size()) + r;
  return s;
}

void ModemSeeds() {
  // The dialogue of a call: init, ATH0, dial.
  WriteSeed("modem_dialogue", "call.txt",
            Wait(0, 3) + Reads({"ATZ\r\r\nOK\r\n"}) + Wait(0, 3) + Reads({"ATH0\r\r\nOK\r\n"}) + Wait(2, 15) +
                Reads({"ATDT5551234\r", "", "", "\r\nCONNECT 9600\r\n"}));
  WriteSeed("modem_dialogue", "busy.txt", Wait(2, 15) + Reads({"", "\r\nBUSY\r\n"}));
  WriteSeed("modem_dialogue", "refusals.txt",
            Wait(2, 4) + Reads({"\r\nNO CARRIER\r\n"}) + Wait(2, 4) + Reads({"\r\nNO DIALTONE\r\n"}) + Wait(0, 2) +
                Reads({"\r\nERROR\r\n"}) + Wait(2, 2) + Reads({"\r\nNO ANSWER\r\n"}) + Wait(7, 2) + Reads({"OK"}));
}

// --- The hand-over block.

void HandOverSeeds() {
  const std::vector<std::string> paths = {"/home/op/Узлы/00042_Котельная.zev", "/home/op/Узлы/00043_Школа.zev",
                                          "relative.zev"};
  const std::optional<std::vector<zv::HandOverBlock>> blocks = zv::PackHandOverBlocks(paths);
  const zv::HandOverBlock& block = blocks->front();
  const std::string_view bytes(reinterpret_cast<const char*>(block.data()), block.size());
  WriteSeed("hand_over_block", "three.bin", bytes);
  // L past the block, the reserved bytes set, the last path without its NUL.
  std::string damaged(bytes);
  damaged[0] = '\xFF';
  damaged[1] = '\x7F';
  damaged[5] = 1;
  std::fill(damaged.begin() + 40, damaged.end(), 'x');
  WriteSeed("hand_over_block", "damaged.bin", damaged);
  // An empty list; a short block that ends inside a path.
  WriteSeed("hand_over_block", "empty.bin", std::string(zv::kHandOverBlockSize, '\0'));
  WriteSeed("hand_over_block", "short.bin", bytes.substr(0, 30));
}

// --- The group file and the node files a group opens.

void GroupFileSeeds() {
  const std::vector<std::string> paths = {"/home/op/Узлы/00042_Котельная.zev", "/home/op/Узлы/00043_Школа.zev",
                                          "00044_relative.zev"};
  const std::string bytes = zv::GroupFileBytes(paths);
  WriteSeed("group_file", "three.zvg", bytes);
  WriteSeed("group_file", "empty.zvg", zv::GroupFileBytes({}));
  // A NUL inside a path's length, a count larger than the file holds, a cut entry.
  std::string nul = bytes;
  nul[8 + 5] = '\0';
  WriteSeed("group_file", "nul-in-path.zvg", nul);
  std::string count = bytes;
  count[3] = '\x40';
  WriteSeed("group_file", "bad-count.zvg", count);
  WriteSeed("group_file", "cut.zvg", bytes.substr(0, bytes.size() - 7));
}

void NodeFileLoadSeeds() {
  zv::sim::NodeFilePlan plan;
  plan.header = zv::sim::NodeHeaderKeys::Converted(8, "00042", {}, 21);
  plan.header.AddWorkstationKeys(1);
  plan.data = zv::sim::HourlySeries::Ending(DateStamp(2026, 3, 14, 6, 0, 0), 30);
  const std::string whole = zv::sim::NodeFileText(plan);
  WriteSeed("node_file_load", "converted.zev", whole);
  // Damaged lines at the end, the last one without its line end.
  plan.damage = {{27, zv::sim::LineDamage::kBadTime}, {28, zv::sim::LineDamage::kJunk},
                 {29, zv::sim::LineDamage::kTabFirst}};
  std::string damaged = zv::sim::NodeFileText(plan);
  damaged.resize(damaged.size() - 2);
  WriteSeed("node_file_load", "damaged-end.zev", damaged);
  // LF ends and blanks around the lines; no separator; nothing after the separator.
  std::string lf;
  for (char c : whole) {
    if (c != '\r') lf += c;
  }
  WriteSeed("node_file_load", "lf.zev", "  " + lf + "\n \t \n");
  WriteSeed("node_file_load", "no-separator.zev", "NAME\tx\r\nV\t8\r\n01.02.2026 10:00\t1\t2\r\n");
  WriteSeed("node_file_load", "separator-only.zev", "NAME\tx\r\n$\r\n");
}

// --- Reader exchanges: a reader link whose device is a simulator in-process,
// every read recorded in the stream form of fuzz/reader_harness.h.

class ReaderRecord {
 public:
  explicit ReaderRecord(Bytes& record) : record_(record) {}
  void Put(const Bytes& wire) { pending_.insert(pending_.end(), wire.begin(), wire.end()); }
  void Drop() { pending_.clear(); }
  int Read(std::uint8_t* buffer, int n) {
    const int k = std::min(n, static_cast<int>(pending_.size()));
    if (k == n) {
      record_.push_back(zv::fuzz::kWholeAnswer);
    } else if (k < zv::fuzz::kWholeAnswer) {
      record_.push_back(static_cast<std::uint8_t>(k));
    } else {
      std::fprintf(stderr, "a short answer of %d bytes has no stream form\n", k);
      std::exit(1);
    }
    record_.insert(record_.end(), pending_.begin(), pending_.begin() + k);
    std::copy(pending_.begin(), pending_.begin() + k, buffer);
    pending_.erase(pending_.begin(), pending_.begin() + k);
    return k;
  }

 private:
  Bytes& record_;
  Bytes pending_;
};

class RecordingDeviceLink final : public CDeviceLink {
 public:
  RecordingDeviceLink(zv::sim::HeatComputer& heat, Bytes& record, const zv::Clock& clock)
      : CDeviceLink(nullptr, zv::fuzz::ZeroDirectTiming(), clock), heat_(heat), record_(record) {}

 protected:
  int LinkRead(std::uint8_t* buffer, int n) override { return record_.Read(buffer, n); }
  int LinkWrite(const std::uint8_t* buffer, int n) override {
    record_.Drop();  // the port purges after every answer read
    for (const zv::sim::Reply& r : heat_.ReceiveAt(Bytes(buffer, buffer + n), baud_)) record_.Put(r.Wire());
    return n;
  }
  bool LinkSetBaudRate(int baud) override {
    baud_ = baud;
    return true;
  }

 private:
  zv::sim::HeatComputer& heat_;
  ReaderRecord record_;
  int baud_ = 9600;
};

class RecordingCollectorLink final : public CCollectorLink {
 public:
  RecordingCollectorLink(zv::sim::Collector& collector, Bytes& record, const zv::Clock& clock)
      : CCollectorLink(nullptr, zv::fuzz::ZeroCollectorTiming(), clock), collector_(collector), record_(record) {}

 protected:
  int LinkRead(std::uint8_t* buffer, int n) override { return record_.Read(buffer, n); }
  int LinkWrite(const std::uint8_t* buffer, int n) override {
    for (const Bytes& answer : collector_.Receive(Bytes(buffer, buffer + n), zv::sim::Collector::kLineBaud)) {
      record_.Put(answer);
    }
    return n;
  }

 private:
  zv::sim::Collector& collector_;
  ReaderRecord record_;
};

// The device link's steps as the device_link target takes them; true when
// every one succeeded.
bool DirectJob(CDeviceLink& link, std::uint8_t mode) {
  static constexpr int kBauds[4] = {2400, 4800, 9600, 19200};
  bool ok = link.InitLink(kBauds[mode & 3]);
  if (mode & 4) link.SendPreamble();
  ok = link.ReadParameters() && ok;
  if (mode & 4) {
    if (link.version() != 4) ok = link.ReadCurrentData() && ok;
  } else {
    ok = link.ReadArchive() && ok;
  }
  return ok;
}

void DeviceLinkSeeds() {
  struct Case {
    const char* name;
    std::uint8_t type, version, mode;
    bool faults;
  };
  // 9600 baud (mode 2) hourly, 19200 current, model 1 and 2, version 3 and 4.
  const Case cases[] = {{"model1-hourly.bin", 4, 1, 2, false},   {"model2-current.bin", 2, 1, 7, false},
                        {"model1v4-current.bin", 2, 4, 6, false}, {"model1v3-hourly-faults.bin", 2, 3, 2, true},
                        {"model2-current-faults.bin", 2, 1, 4, true}};
  for (const Case& c : cases) {
    zv::sim::HeatComputer heat;
    Bytes memory(zv::sim::HeatComputer::kMemorySize);
    for (size_t a = 0; a < memory.size(); ++a) memory[a] = static_cast<std::uint8_t>(a * 7 + (a >> 8));
    heat.Poke(0, memory);
    heat.SetType(c.type);
    heat.SetVersion(c.version);
    heat.SetSerial(1234);
    heat.SetClock(2026, 3, 15, 10, 20, 30);
    heat.SetSpeed(2400);
    if (c.faults) SetFaults(heat);
    Bytes record{c.mode};
    {
      RecordingDeviceLink link(heat, record, zv::SystemClock());
      if (!DirectJob(link, c.mode)) {
        std::fprintf(stderr, "device link %s: the recorded job failed\n", c.name);
        std::exit(1);
      }
    }
    zv::fuzz::Input input(record.data(), record.size());
    input.Byte();
    zv::fuzz::ReaderStream stream(input);
    zv::fuzz::NoSleepClock clock;
    zv::fuzz::FuzzedDeviceLink replay(stream, clock);
    if (!DirectJob(replay, c.mode)) {
      std::fprintf(stderr, "device link %s: the recorded job does not replay\n", c.name);
      std::exit(1);
    }
    std::printf("  device link %s: %zu bytes\n", c.name, record.size());
    WriteSeed("device_link", c.name, record);
  }
}

// A heat computer's image as the collector keeps it.
Bytes CollectedImage(size_t size, std::uint8_t type, std::uint8_t version, int serial) {
  Bytes image(size);
  for (size_t i = 0; i < size; ++i) image[i] = static_cast<std::uint8_t>(i * 13 + (i >> 9));
  image[0] = type;
  image[1] = version;
  image[2] = static_cast<std::uint8_t>(serial & 0xFF);
  image[3] = static_cast<std::uint8_t>(serial >> 8);
  const size_t at = type == 4 || version == 3 || version == 4 ? 80 : 64;
  const std::uint8_t clock[4] = {26, 3, 15, 10};
  std::copy(clock, clock + 4, image.begin() + static_cast<std::ptrdiff_t>(at));
  return image;
}

// The collector link's steps as the collector_link target takes them; true
// when every one succeeded.
bool CollectorJob(CCollectorLink& link, const Bytes& params) {
  link.SendPreamble();
  bool ok = link.ReadPointers();
  link.SendPreamble();
  const int slots = link.kind_info().slots;
  for (int i = 0; i < (params[0] & 3); ++i) ok = link.ReadFileHeader(params[1 + i] % slots).serial != 0 && ok;
  for (int i = 0; i < ((params[0] >> 2) & 3); ++i) {
    const int slot = params[4 + i] % slots;
    ok = link.ReadFile(zv::CollectorFileEntry(slot, link.status_block()[slot])) && ok;
  }
  if (params[0] & 0x10) ok = link.SendClear(0, 0) && ok;
  return ok;
}

void CollectorLinkSeeds() {
  for (int kind = 1; kind <= 3; ++kind) {
    zv::sim::Collector collector(kind);
    // Kind 3 counts its size codes from 2: a 32 KB file in slot 1, a 64 KB
    // one in slot 3.
    const int small = kind == 3 ? 3 : 1;
    const int large = kind == 3 ? 4 : 2;
    collector.PutFile(1, static_cast<std::uint8_t>(small), CollectedImage(32768, 4, 1, 111));
    collector.PutFile(3, static_cast<std::uint8_t>(large), CollectedImage(65536, 2, 1, 333));
    collector.SetPointers(2, 1);
    if (kind == 2) {
      zv::sim::CollectorFault bad;
      bad.bad_crc2 = true;
      collector.SetFault(3, bad);  // the first header
    }
    // Two headers, the small file, the clear (a seed stays under 64 KiB).
    const Bytes params = {0x16, 1, 3, 0, 1, 0, 0};
    Bytes record = params;
    {
      RecordingCollectorLink link(collector, record, zv::SystemClock());
      if (!CollectorJob(link, params) && kind != 2) {
        std::fprintf(stderr, "collector link kind %d: the recorded job failed\n", kind);
        std::exit(1);
      }
    }
    zv::fuzz::Input input(record.data(), record.size());
    for (size_t i = 0; i < params.size(); ++i) input.Byte();
    zv::fuzz::ReaderStream stream(input);
    zv::fuzz::NoSleepClock clock;
    zv::fuzz::FuzzedCollectorLink replay(stream, clock);
    CollectorJob(replay, params);
    if (replay.kind() != kind) {
      std::fprintf(stderr, "collector link kind %d: the recorded job replays as kind %d\n", kind, replay.kind());
      std::exit(1);
    }
    std::printf("  collector link kind %d: %zu bytes\n", kind, record.size());
    WriteSeed("collector_link", "kind" + std::to_string(kind) + ".bin", record);
  }
}

void CollectorListSeeds() {
  for (int kind = 1; kind <= 3; ++kind) {
    zv::sim::Collector collector(kind);
    const int small = kind == 3 ? 3 : 1;
    collector.PutFile(1, static_cast<std::uint8_t>(small), CollectedImage(32768, 4, 1, 111));
    collector.PutFile(4, static_cast<std::uint8_t>(small), CollectedImage(32768, 2, 3, 444));
    collector.PutFile(6, static_cast<std::uint8_t>(small), CollectedImage(32768, 2, 1, 666));
    collector.SetPointers(3, 1);
    if (kind == 3) {
      zv::sim::CollectorFault bad;
      bad.bad_crc1 = true;
      collector.SetFault(5, bad);  // the header of slot 3
    }
    Bytes record;
    zv::CollectorFileList list;
    {
      RecordingCollectorLink link(collector, record, zv::SystemClock());
      list = zv::ListCollectorFiles(link, nullptr);
    }
    zv::fuzz::Input input(record.data(), record.size());
    zv::fuzz::ReaderStream stream(input);
    zv::fuzz::NoSleepClock clock;
    zv::fuzz::FuzzedCollectorLink replay(stream, clock);
    const zv::CollectorFileList again = zv::ListCollectorFiles(replay, nullptr);
    if (list.result != zv::CollectorListResult::kListed || list.rows.size() != 3 || again.rows != list.rows) {
      std::fprintf(stderr, "collector list kind %d: %zu rows, or it does not replay\n", kind, list.rows.size());
      std::exit(1);
    }
    std::printf("  collector list kind %d: %zu bytes\n", kind, record.size());
    WriteSeed("collector_list", "kind" + std::to_string(kind) + ".bin", record);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds <corpus folder>\n");
    return 2;
  }
  g_root = argv[1];
  NodeHeaderSeeds();
  DataLineSeeds();
  JournalSeeds();
  LinkSeeds<CZVMLink>("pstn_link", zv::kLinkPstn);
  LinkSeeds<CZVGSMLink>("gsm_link", zv::kLinkGsm);
  LinkSeeds<CZVACLink>("tcp_link", zv::kLinkTcp);
  ModemSeeds();
  HandOverSeeds();
  GroupFileSeeds();
  NodeFileLoadSeeds();
  DeviceLinkSeeds();
  CollectorLinkSeeds();
  CollectorListSeeds();
  std::printf("%d seeds written to %s\n", g_written, g_root.c_str());
  return 0;
}
