#include "tests/sim/node_file_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "platform/cp1251.h"
#include "platform/numbers.h"
#include "platform/str_format.h"

namespace zv::sim {
namespace {

// Column ids of the values of a line: 18 for V other than 8, 22 for V 8. Kept
// here on their own so that the generator does not lean on the reader it tests.
constexpr int kLayout18[] = {1, 2, 4, 5, 7, 8, 10, 11, 13, 14, 20, 21, 23, 24, 26, 27, 29, 30};
constexpr int kLayout22[] = {1, 2, 4, 5, 7, 8, 10, 11, 13, 14, 16, 17, 18, 19, 20, 21, 23, 24, 26, 27, 29, 30};

std::vector<int> Layout(int version) {
  if (version == 8) return {std::begin(kLayout22), std::end(kLayout22)};
  return {std::begin(kLayout18), std::end(kLayout18)};
}

// splitmix64: a repeatable pseudo-random number per (seed, hour, channel).
uint64_t Mix(uint64_t x) {
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

// Uniform in [0, 1).
double Unit(uint64_t seed, int hour, int channel) {
  const uint64_t h = Mix(seed * 0x100000001B3ULL ^ (static_cast<uint64_t>(hour) << 8) ^
                         static_cast<uint64_t>(channel));
  return static_cast<double>(h >> 11) / 9007199254740992.0;
}

bool InGap(const HourlySeries& s, const DateStamp& t) {
  for (const HourGap& g : s.gaps) {
    if (t.Compare(g.from, DateStamp::kHour) >= 0 && t.Compare(g.to, DateStamp::kHour) <= 0) return true;
  }
  return false;
}

// The running counters of a series and the hour's other readings.
class Readings {
 public:
  explicit Readings(uint64_t seed) : seed_(seed) {
    // Counter readings at the series' start, different per seed.
    const double u = Unit(seed_, -1, 0);
    e1_ = 1000.0 + 500.0 * u;
    e2_ = 100.0 + 50.0 * u;
    for (int k = 0; k < 8; ++k) v_[k] = 20000.0 + 1000.0 * k + 3000.0 * u;
    for (int k = 0; k < 4; ++k) m_[k] = 19000.0 + 1000.0 * k + 2500.0 * u;
  }

  // Advances to hour `i` and fills the column values (by id) of that hour.
  void Step(int i, double* out) {
    auto u = [&](int channel) { return Unit(seed_, i, channel); };
    const double de1 = 0.05 + 0.1 * u(1);
    e1_ += de1;
    e2_ += 0.02 + 0.03 * u(2);
    const double dv1 = 3.0 + 2.0 * u(3);
    const double dv3 = 1.0 + 1.0 * u(4);
    const double dv[8] = {dv1,        dv1 * (0.95 + 0.04 * u(5)), dv3, dv3 * (0.95 + 0.04 * u(6)),
                          0.2 * u(7), 0.2 * u(8),                  0.1, 0.1 + 0.1 * u(9)};
    for (int k = 0; k < 8; ++k) v_[k] += dv[k];
    for (int k = 0; k < 4; ++k) m_[k] += dv[k] * 0.98;
    // Temperatures follow the time of day a little.
    const double daily = std::sin(static_cast<double>(i % 24) * 0.2618);
    const double t1 = 75.0 + 5.0 * daily + 2.0 * u(10);
    const double t3 = 58.0 + 2.0 * u(12);
    out[1] = e1_;
    out[2] = e2_;
    out[4] = t1;
    out[5] = t1 - 20.0 - 5.0 * u(11);
    out[7] = t3;
    out[8] = t3 - 12.0 - 3.0 * u(13);
    out[10] = v_[0];
    out[11] = v_[1];
    out[13] = v_[2];
    out[14] = v_[3];
    out[16] = v_[4];
    out[17] = v_[5];
    out[18] = v_[6];
    out[19] = v_[7];
    out[20] = m_[0];
    out[21] = m_[1];
    out[23] = m_[2];
    out[24] = m_[3];
    out[26] = 6.0 + 0.3 * u(14);
    out[27] = 4.0 + 0.3 * u(15);
    out[29] = 5.0 + 0.2 * u(16);
    out[30] = 3.0 + 0.2 * u(17);
  }

 private:
  uint64_t seed_;
  double e1_, e2_;
  double v_[8];
  double m_[4];
};

// Walks the written hours of a series: `hour` gets the line's values.
void ForEachHour(const HourlySeries& series,
                 const std::function<void(const DateStamp& t, int index, const double* values)>& hour) {
  Readings readings(series.seed);
  double values[35] = {};
  DateStamp t = series.first;
  for (int i = 0; i < series.hours; ++i, t.Increment(DateStamp::kHour)) {
    readings.Step(i, values);
    if (!InGap(series, t)) hour(t, i, values);
  }
}

std::string TimePrefix(const DateStamp& t) {
  return StrFormat("%02d.%02d.%04d\t%02d:00\t", t.day, t.month, t.year, t.hour);
}

std::string FormatValues(const DateStamp& t, const double* values, const std::vector<int>& layout, int code) {
  std::string line = TimePrefix(t);
  for (size_t k = 0; k < layout.size(); ++k) {
    if (k > 0) line += '\t';
    line += StrFormat("%.02f", values[layout[k]]);
  }
  line += StrFormat("\t%d", code);
  return line;
}

int CodeOf(const HourlySeries& series, const DateStamp& t, int index) {
  return series.error_code ? series.error_code(t, index) : 0;
}

template <typename Sink>
void EmitFile(const NodeFilePlan& plan, Sink&& sink) {
  const std::string end = plan.lf_ends ? "\n" : "\r\n";
  for (const auto& [key, value] : plan.header.entries()) sink(key + "\t" + value + end);
  if (!plan.separator.empty()) sink(plan.separator + end);
  const int version = AtoI(plan.header.Get("V"));
  std::vector<DamagedLine> damage = plan.damage;
  std::sort(damage.begin(), damage.end(), [](const DamagedLine& a, const DamagedLine& b) { return a.line < b.line; });
  size_t next_damage = 0;
  int n = 0;
  ForEachDataLine(plan.data, version, [&](const std::string& line) {
    std::string text = line;
    while (next_damage < damage.size() && damage[next_damage].line < n) ++next_damage;
    if (next_damage < damage.size() && damage[next_damage].line == n) text = DamageLine(text, damage[next_damage].kind);
    ++n;
    sink(text + end);
  });
  for (const std::string& line : plan.trailing_lines) sink(line + end);
}

void PutRecord(std::string& image, int slot, const JournalEntry& e) {
  unsigned char r[10] = {};
  r[0] = static_cast<unsigned char>(e.time.hour);
  r[1] = static_cast<unsigned char>(e.time.day & 0x7F);
  r[2] = static_cast<unsigned char>(((e.time.year - 2016) & 0x0F) << 4 | (e.time.month & 0x0F));
  const uint32_t h = static_cast<uint32_t>(e.working_hours);
  for (int k = 0; k < 4; ++k) r[3 + k] = static_cast<unsigned char>(h >> (8 * k));
  r[7] = e.flags;
  const size_t at = 3 + 10 * static_cast<size_t>(slot);
  for (size_t k = 0; k < 10 && at + k < image.size(); ++k) image[at + k] = static_cast<char>(r[k]);
}

}  // namespace

NodeHeaderKeys NodeHeaderKeys::Converted(int version, std::string_view number, std::string_view name,
                                         int scheme) {
  NodeHeaderKeys h;
  h.Set("V", StrFormat("%d", version));
  h.Set("N", number);
  h.Set("NAME", name.empty() ? W1251("Котельная №1") : std::string(name));
  h.Set("SCHEMA", StrFormat("%d", scheme));
  h.Set("UCONTROL", "0");
  h.Set("WTIME", "43210");
  h.Set("TCW", "5");
  h.Set("CN_NF", StrFormat("%d", scheme));
  h.Set("CN_RS9600", "0");
  h.Set("CN_PT", "0");
  const int weights = version == 8 ? 8 : 4;
  for (int k = 1; k <= weights; ++k) h.Set(StrFormat("CN_L%d", k), k <= 2 ? "10.000" : "1.000");
  h.Set("DATAPRINT1", "DATE\tE1\tE2\tT1\tT2\tV1\tV2\tM1\tM2\tEC\tGW\tEW");
  h.Set("DATAPRINT2", "DATE\tE1\tT1\tT2\tT12\tV1\tV2\tV12\tP1\tP2");
  h.Set("DATAPRINT3", "DATE\tE1\tE2\tE12\tT1\tT2\tT3\tT4\tV1\tV2\tV3\tV4\tEC");
  h.Set("DATAPRINT4", "DATE\tM1\tM2\tM12\tM3\tM4\tM34\tP1\tP2\tP3\tP4\tGW\tEW");
  h.Set("LAST_CHANGES1", W1251("10.01.2024 09:00      Время; "));
  h.Set("LAST_CHANGES2", W1251("15.01.2024 14:00      Формула; Тхол; "));
  h.Set("LAST_CHANGES3", W1251("01.02.2024 08:00      Вес импульсов; "));
  return h;
}

NodeHeaderKeys& NodeHeaderKeys::AddWorkstationKeys(int modem) {
  Set("PHONE", "84951234567");
  Set("MODEM", StrFormat("%d", modem));
  Set("IPADDRESS", modem == 3 ? "127.0.0.1" : "");
  if (modem == 3) Set("IPPORT", "4001");
  Set("INTRC", "0006");
  Set("DATASHOW", "DATE\tE1\tT1\tT2\tV1\tV2\tEC");
  return *this;
}

NodeHeaderKeys& NodeHeaderKeys::Set(std::string_view key, std::string_view value) {
  for (Entry& e : entries_) {
    if (e.first == key) {
      e.second.assign(value);
      return *this;
    }
  }
  entries_.emplace_back(std::string(key), std::string(value));
  return *this;
}

NodeHeaderKeys& NodeHeaderKeys::Remove(std::string_view key) {
  std::erase_if(entries_, [key](const Entry& e) { return e.first == key; });
  return *this;
}

std::string NodeHeaderKeys::Get(std::string_view key) const {
  for (const Entry& e : entries_) {
    if (e.first == key) return e.second;
  }
  return {};
}

bool NodeHeaderKeys::Has(std::string_view key) const {
  return std::any_of(entries_.begin(), entries_.end(), [key](const Entry& e) { return e.first == key; });
}

HourlySeries HourlySeries::From(const DateStamp& first, int hours) {
  HourlySeries s;
  s.first = first;
  s.hours = hours;
  return s;
}

HourlySeries HourlySeries::Between(const DateStamp& first, const DateStamp& last) {
  const int hours = last.Compare(first, DateStamp::kHour) < 0 ? 0 : HoursBetween(first, last) + 1;
  return From(first, hours);
}

HourlySeries HourlySeries::Ending(const DateStamp& last, int hours) {
  DateStamp first = last;
  for (int i = 1; i < hours; ++i) first.Decrement(DateStamp::kHour);
  return From(first, hours);
}

DateStamp HourlySeries::Last() const {
  DateStamp t = first;
  for (int i = 1; i < hours; ++i) t.Increment(DateStamp::kHour);
  return t;
}

std::function<int(const DateStamp&, int)> ErrorEvery(int n, int code) {
  return [n, code](const DateStamp&, int index) { return n > 0 && index % n == n - 1 ? code : 0; };
}

DateStamp CurrentHour() {
  DateStamp t;
  t.FromTime(std::time(nullptr));
  t.minute = 0;
  t.second = 0;
  return t;
}

int HoursBetween(const DateStamp& a, const DateStamp& b) {
  // Whole days first, then the hours: years of data take a few thousand steps.
  DateStamp t = a;
  int hours = 0;
  for (;;) {
    DateStamp next = t;
    next.Increment(DateStamp::kDay);
    if (next.Compare(b, DateStamp::kHour) > 0) break;
    t = next;
    hours += 24;
  }
  while (t.Compare(b, DateStamp::kHour) < 0) {
    t.Increment(DateStamp::kHour);
    ++hours;
  }
  return hours;
}

void ForEachDataLine(const HourlySeries& series, int version,
                     const std::function<void(const std::string& line)>& line) {
  const std::vector<int> layout = Layout(version);
  ForEachHour(series, [&](const DateStamp& t, int index, const double* values) {
    line(FormatValues(t, values, layout, CodeOf(series, t, index)));
  });
}

std::vector<std::string> DataLines(const HourlySeries& series, int version) {
  std::vector<std::string> lines;
  ForEachDataLine(series, version, [&lines](const std::string& l) { lines.push_back(l); });
  return lines;
}

std::vector<HourValues> DataValues(const HourlySeries& series, int version) {
  const std::vector<int> layout = Layout(version);
  std::vector<HourValues> out;
  ForEachHour(series, [&](const DateStamp& t, int index, const double* values) {
    HourValues h;
    h.time = t;
    for (int id : layout) h.value[id] = static_cast<float>(AtoF(StrFormat("%.02f", values[id])));
    h.error = CodeOf(series, t, index);
    out.push_back(h);
  });
  return out;
}

std::string FormatDataLine(const HourValues& values, int version) {
  double v[35];
  for (int k = 0; k < 35; ++k) v[k] = values.value[k];
  return FormatValues(values.time, v, Layout(version), values.error);
}

std::string DamageLine(const std::string& line, LineDamage kind) {
  switch (kind) {
    case LineDamage::kCutShort:
      return line.substr(0, std::min(line.size(), static_cast<size_t>(40)));
    case LineDamage::kNoTab: {
      std::string s = line;
      std::replace(s.begin(), s.end(), '\t', ' ');
      return s;
    }
    case LineDamage::kTabFirst:
      return "\t" + line;
    case LineDamage::kBlank:
      return {};
    case LineDamage::kJunk:
      return std::string("\x01\xFF\x7F", 3) + std::string(1, '\0') + "\x1B\x80";
    case LineDamage::kBadTime:
      return line.size() >= 2 ? "00" + line.substr(2) : line;
  }
  return line;
}

std::string NodeFileText(const NodeFilePlan& plan) {
  std::string text;
  EmitFile(plan, [&text](const std::string& s) { text += s; });
  return text;
}

std::string NodeFileName(const NodeHeaderKeys& header) {
  const std::string name = header.Get("NAME");
  return Cp1251PathToLocal(header.Get("N") + "_" + (name.empty() ? std::string("data") : name) + ".zev");
}

bool WriteNodeFileAs(const std::string& path, const NodeFilePlan& plan) {
  std::FILE* f = std::fopen(path.c_str(), "wbe");
  if (!f) return false;
  bool ok = true;
  EmitFile(plan, [&](const std::string& s) { ok = ok && std::fwrite(s.data(), 1, s.size(), f) == s.size(); });
  return std::fclose(f) == 0 && ok;
}

std::string WriteNodeFile(const std::string& folder, const NodeFilePlan& plan) {
  const std::string path = folder + "/" + NodeFileName(plan.header);
  return WriteNodeFileAs(path, plan) ? path : std::string();
}

std::string JournalFileBytes(const std::vector<JournalEntry>& oldest_first, int first_slot) {
  std::string image(kJournalBytes, '\xFF');
  image[0] = 0;
  image[1] = 0;
  int slot = ((first_slot % 256) + 256) % 256;
  int newest = slot;
  for (const JournalEntry& e : oldest_first) {
    PutRecord(image, slot, e);
    newest = slot;
    slot = (slot + 1) % 256;
  }
  image[2] = static_cast<char>(oldest_first.empty() ? 0 : newest);
  return image;
}

std::vector<JournalEntry> SampleJournal(const DateStamp& last, int count) {
  static constexpr uint8_t kFlags[] = {0x01, 0x02 | 0x04, 0x08, 0x10, 0x20, 0x40, 0x01 | 0x10, 0x00};
  std::vector<JournalEntry> list(static_cast<size_t>(std::max(count, 0)));
  DateStamp t = last;
  int hours = 40000;
  for (int i = count - 1; i >= 0; --i) {
    JournalEntry& e = list[static_cast<size_t>(i)];
    e.time = t;
    e.working_hours = hours;
    e.flags = kFlags[i % 8];
    for (int d = 0; d < 7; ++d) t.Decrement(DateStamp::kDay);
    hours -= 7 * 24;
  }
  return list;
}

std::string WriteJournalFile(const std::string& folder, std::string_view number, std::string_view bytes) {
  const std::string path = folder + "/" + std::string(number) + ".zvj";
  std::FILE* f = std::fopen(path.c_str(), "wbe");
  if (!f) return {};
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok ? path : std::string();
}

}  // namespace zv::sim
