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
#include <string>
#include <string_view>
#include <vector>

#include "data/data_header.h"
#include "data/data_record.h"
#include "data/journal.h"
#include "fuzz/link_harness.h"
#include "links/gsm_link.h"
#include "links/pstn_link.h"
#include "links/tcp_link.h"
#include "platform/cp1251.h"
#include "tests/links/device_setup.h"
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
  zv::sim::NodeFileSpec spec;
  spec.header = zv::sim::NodeHeaderKeys::Converted(8, "00042", {}, 21);
  spec.header.AddWorkstationKeys(1);
  spec.data = zv::sim::HourlySeries::Ending(DateStamp(2026, 3, 14, 6, 0, 0), 6);
  spec.damage = {{1, zv::sim::LineDamage::kCutShort}, {3, zv::sim::LineDamage::kJunk}};
  const std::string converted = zv::sim::NodeFileText(spec);
  WriteSeed("node_header", "converted-viewer.zev", std::string(1, '\0') + converted);
  WriteSeed("node_header", "converted-workstation.zev", std::string(1, '\1') + converted);
  // V 8 data lines with every kind of damage.
  std::vector<std::string> lines = zv::sim::DataLines(spec.data, 8);
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
  std::printf("%d seeds written to %s\n", g_written, g_root.c_str());
  return 0;
}
