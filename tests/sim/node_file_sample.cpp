// Writes sample node files into a folder, for trying the programs by hand.
//
//   node_file_sample FOLDER
//       two nodes up to the current hour: 00012 (V 4, a year, with its journal
//       file, a gap of two days and some error codes) and 00345 (V 8, 90 days,
//       flow-meter power control, the journal in its header)
//   node_file_sample FOLDER --nodes K [--days D] [--version 8] [--workstation] [--journal]
//       K nodes 00101, 00102, ... of D days each (30 by default); --workstation
//       adds the workstation's keys (PHONE, MODEM, ..., DATASHOW), --journal a
//       journal file of twelve entries beside each node file
//
// Prints the paths written, one a line. --help or an unknown option prints the
// usage and exits with 2, writing nothing.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/cp1251.h"
#include "platform/paths.h"
#include "platform/str_format.h"
#include "tests/sim/node_file_generator.h"

namespace {

using zv::sim::NodeFilePlan;

int Usage() {
  std::fprintf(stderr,
               "usage: node_file_sample FOLDER [--nodes K [--days D] [--version 4|8] [--workstation] [--journal]]\n");
  return 2;
}

bool Report(const std::string& path) {
  if (path.empty()) {
    std::fprintf(stderr, "node_file_sample: cannot write into the folder\n");
    return false;
  }
  std::printf("%s\n", path.c_str());
  return true;
}

DateStamp DaysBefore(DateStamp t, int days) {
  for (int i = 0; i < days; ++i) t.Decrement(DateStamp::kDay);
  return t;
}

int WriteDemo(const std::string& folder) {
  const DateStamp now = zv::sim::CurrentHour();

  NodeFilePlan a;
  a.header = zv::sim::NodeHeaderKeys::Converted(4, "00012", zv::W1251("Котельная №1"), 1);
  a.data = zv::sim::HourlySeries::Ending(now, 24 * 365);
  DateStamp gap = DaysBefore(now, 60);
  gap.hour = 0;
  DateStamp gap_end = gap;
  gap_end.Increment(DateStamp::kDay);
  gap_end.hour = 23;
  a.data.gaps.push_back({gap, gap_end});
  a.data.error_code = [](const DateStamp&, int index) {
    if (index % 500 == 499) return 0x0004;  // V1 no count
    if (index % 1333 == 1332) return 0x0001 | 0x0010;
    return 0;
  };
  if (!Report(zv::sim::WriteNodeFile(folder, a))) return 1;
  if (!Report(zv::sim::WriteJournalFile(folder, "00012",
                                        zv::sim::JournalFileBytes(zv::sim::SampleJournal(DaysBefore(now, 3), 12)))))
    return 1;

  NodeFilePlan b;
  b.header = zv::sim::NodeHeaderKeys::Converted(8, "00345", zv::W1251("ЦТП-2"), 12);
  b.header.Set("UCONTROL", "1");
  b.data = zv::sim::HourlySeries::Ending(now, 24 * 90);
  b.data.seed = 7;
  b.data.error_code = zv::sim::ErrorEvery(97, 0x8000);
  return Report(zv::sim::WriteNodeFile(folder, b)) ? 0 : 1;
}

int WriteNodes(const std::string& folder, int nodes, int days, int version, bool workstation, bool journal) {
  const DateStamp now = zv::sim::CurrentHour();
  for (int k = 1; k <= nodes; ++k) {
    NodeFilePlan plan;
    plan.header = zv::sim::NodeHeaderKeys::Converted(version, zv::StrFormat("%05d", 100 + k),
                                                     zv::W1251("Узел ") + zv::StrFormat("%d", k), 1);
    if (workstation) plan.header.AddWorkstationKeys(1 + (k - 1) % 3);
    plan.data = zv::sim::HourlySeries::Ending(now, 24 * days);
    plan.data.seed = static_cast<uint64_t>(k);
    if (!Report(zv::sim::WriteNodeFile(folder, plan))) return 1;
    if (journal &&
        !Report(zv::sim::WriteJournalFile(folder, plan.header.Get("N"),
                                          zv::sim::JournalFileBytes(zv::sim::SampleJournal(DaysBefore(now, 3), 12)))))
      return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // An option where the folder goes (--help among them) is no folder name.
  if (argc < 2 || argv[1][0] == '-') return Usage();
  const std::string folder = argv[1];
  int nodes = 0, days = 30, version = 4;
  bool workstation = false, journal = false;
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto number = [&](int& out) {
      if (i + 1 >= argc) return false;
      out = std::atoi(argv[++i]);
      return true;
    };
    if (arg == "--nodes") {
      if (!number(nodes) || nodes < 1) return Usage();
    } else if (arg == "--days") {
      if (!number(days) || days < 1) return Usage();
    } else if (arg == "--version") {
      if (!number(version)) return Usage();
    } else if (arg == "--workstation") {
      workstation = true;
    } else if (arg == "--journal") {
      journal = true;
    } else {
      return Usage();
    }
  }
  if (!zv::EnsureDirectories(folder)) {
    std::fprintf(stderr, "node_file_sample: cannot make the folder %s\n", folder.c_str());
    return 1;
  }
  return nodes > 0 ? WriteNodes(folder, nodes, days, version, workstation, journal) : WriteDemo(folder);
}
