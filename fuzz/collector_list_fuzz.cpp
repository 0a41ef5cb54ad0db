// The collector's file list (zv::ListCollectorFiles, readers/collector/file_list.h)
// over any collector answers: pointers, status block and headers, fed through
// the link's hooks (fuzz/reader_harness.h). The whole input is the stream.
//
// Checked: at most 64 rows and no more than the ring's slots; every row's slot
// in the ring, once, with a status byte of 0..4; rows numbered " 1", " 2", ...;
// no row for a header that fails its checks (serial 1..65534, a date of the
// years 2000..2099, month 1..12, day 1..31, hour 0..23); the progress as many
// steps as slots walked.

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "fuzz/reader_harness.h"
#include "platform/numbers.h"
#include "platform/str_format.h"
#include "readers/collector/file_list.h"
#include "readers/common/reader_flags.h"

namespace {

[[noreturn]] void Fail(const char* what, long long a = 0, long long b = 0) {
  std::fprintf(stderr, "%s (%lld, %lld)\n", what, a, b);
  std::abort();
}

class CountingProgress final : public zv::CollectorListProgress {
 public:
  void OnRange(int count) override {
    ++ranges;
    range = count;
  }
  void OnHeader(int number, int count) override {
    if (number != headers + 1 || count != range) Fail("header report out of turn", number, count);
    ++headers;
  }
  void OnStep() override { ++steps; }
  int ranges = 0;
  int range = 0;
  int headers = 0;
  int steps = 0;
};

int Field(const std::string& s, size_t at, size_t n) { return zv::AtoI(std::string_view(s).substr(at, n)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  g_bStop = false;
  zv::fuzz::Input input(data, size);
  zv::fuzz::ReaderStream stream(input);
  zv::fuzz::NoSleepClock clock;
  zv::fuzz::FuzzedCollectorLink link(stream, clock);
  CountingProgress progress;
  const zv::CollectorFileList list = zv::ListCollectorFiles(link, &progress);

  const int slots = link.kind_info().slots;
  if (list.kind != link.kind()) Fail("list of another kind", list.kind, link.kind());
  if (list.result != zv::CollectorListResult::kListed) {
    if (!list.rows.empty() || progress.ranges != 0) Fail("rows or progress without a listing");
    return 0;
  }
  if (progress.ranges != 1 || progress.range != list.count || progress.headers != list.count ||
      progress.steps != list.count) {
    Fail("progress does not match the slots walked", progress.steps, list.count);
  }
  if (list.count > slots) Fail("more slots walked than the ring has", list.count, slots);
  if (list.rows.size() > 64 || static_cast<int>(list.rows.size()) > list.count) {
    Fail("too many rows", static_cast<long long>(list.rows.size()), list.count);
  }
  std::set<int> seen;
  for (size_t i = 0; i < list.rows.size(); ++i) {
    const zv::CollectorFileRow& r = list.rows[i];
    const int slot = static_cast<int>(r.entry & 0xFFFF);
    const int status = static_cast<int>(r.entry >> 16);
    if (slot >= slots || !seen.insert(slot).second) Fail("row slot out of the ring or twice", slot, slots);
    if (status > 4 || status != link.status_block()[slot]) Fail("row of a slot without a file", slot, status);
    if (r.number != zv::StrFormat(" %zu", i + 1)) Fail("row numbered out of turn", static_cast<long long>(i));
    const int serial = zv::AtoI(r.serial);
    if (r.serial.size() != 5 || serial < 1 || serial > 0xFFFE) Fail("row of a bad serial", serial);
    // "dd.mm.yyyy hh:00"
    if (r.date.size() != 16 || r.date.substr(13) != ":00") Fail("row date malformed", static_cast<long long>(i));
    const int day = Field(r.date, 0, 2), month = Field(r.date, 3, 2), year = Field(r.date, 6, 4),
              hour = Field(r.date, 11, 2);
    if (day < 1 || day > 31 || month < 1 || month > 12 || year < 2000 || year > 2099 || hour > 23) {
      Fail("row of a header that fails its checks", year * 10000LL + month * 100 + day, hour);
    }
  }
  return 0;
}
