// Loading a node file into a node: the header up to "$" and the stamp of the
// last counted data line, which is found by reading back from the file's end;
// every case must give what a plain forward read of all lines gives.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "data/data_header.h"
#include "links/node.h"
#include "links/node_status.h"
#include "modem/node_file_load.h"
#include "platform/ascii.h"
#include "platform/cp1251.h"
#include "platform/text_lines.h"
#include "tests/sim/node_file_generator.h"
#include "tests/support/fifo_watchdog.h"
#include "tests/support/temp_dir.h"

namespace {

// The values of a trimmed data line: the non-empty TAB-separated pieces after
// its first 17 characters.
int ValueCount(const std::string& line) {
  int n = 0;
  bool in_piece = false;
  for (size_t i = 17; i < line.size(); ++i) {
    if (line[i] != '\t' && !in_piece) ++n;
    in_piece = line[i] != '\t';
  }
  return n;
}

// The stamp as a forward read of the whole file gives it, written apart from
// the loader: every line after "$", trimmed; one with a TAB after its first
// character counts, but a last line without its end only with every value of
// the layout (else a converter was ended while writing it); the last counted
// one gives day, month, year and hour.
DateStamp ForwardStamp(const std::string& path) {
  zv::TextLineReader in(path);
  CDataHeader header(CDataHeader::kWorkstation);
  DateStamp stamp;
  if (!header.Read(in)) return stamp;
  std::string line;
  while (in.Next(line)) {
    const std::string t = zv::Trim(line);
    const size_t tab = t.find('\t');
    if (tab == std::string::npos || tab == 0) continue;
    if (!in.LineEnded() && ValueCount(t) < (header.GetInt("V") == 8 ? 22 : 18)) continue;  // cut off
    auto num = [&](size_t at, size_t n) {
      return at < 16 && at < t.size() ? std::atoi(t.substr(at, std::min(n, 16 - at)).c_str()) : 0;
    };
    DateStamp s(num(6, 4), num(3, 2), num(0, 2), num(11, 2), 0, 0);
    stamp = s.IsValid(DateStamp::kHour) ? s : DateStamp();
  }
  return stamp;
}

std::string Text(const std::vector<std::string>& lines, const char* end = "\r\n") {
  std::string s;
  for (const auto& l : lines) s += l + end;
  return s;
}

// `n` values, each after a TAB; the last one `last` when given.
std::string Values(int n, const std::string& last = "") {
  std::string s;
  for (int i = 0; i < n; ++i) s += i + 1 == n && !last.empty() ? "\t" + last : "\t12.34";
  return s;
}

const std::string kHead = Text({"V\t4", "N\t00012", "NAME\t" + zv::W1251("Котельная"), "$"});

TEST(NodeFileLoad, LastCountedLineGivesTheStampAsAForwardReadWould) {
  const std::string junk("\x01\x02\xFF\x00\x7F", 5);
  const std::string long_line = "03.04.2015 06:00\t" + std::string(9000, '7') + "\t0";
  struct Case {
    const char* what;
    std::string bytes;
    DateStamp expected;
  };
  const std::vector<Case> cases = {
      {"one line", kHead + Text({"01.02.2013 05:00\t1.00\t0"}), {2013, 2, 1, 5, 0, 0}},
      {"last of several", kHead + Text({"01.02.2013 05:00\t1", "01.02.2013 06:00\t2"}), {2013, 2, 1, 6, 0, 0}},
      {"LF ends", kHead + Text({"01.02.2013 05:00\t1", "02.02.2013 07:00\t2"}, "\n"), {2013, 2, 2, 7, 0, 0}},
      {"no line end at the end", kHead + "01.02.2013 05:00\t1\r\n09.10.2014 23:00" + Values(18) + "\t0",
       {2014, 10, 9, 23, 0, 0}},
      {"a last line cut off", kHead + "01.02.2013 05:00\t1\r\n09.10.2014 23:00" + Values(17), {2013, 2, 1, 5, 0, 0}},
      {"a last line cut off in its time", kHead + "01.02.2013 05:00\t1\r\n09.10.2014\t23", {2013, 2, 1, 5, 0, 0}},
      {"a last line cut inside its last value", kHead + "01.02.2013 05:00\t1\r\n09.10.2014 23:00" + Values(18, "7"),
       {2014, 10, 9, 23, 0, 0}},
      {"a last line cut off, V 8", Text({"V\t8", "$", "01.02.2013 05:00\t1"}) + "09.10.2014 23:00" + Values(18),
       {2013, 2, 1, 5, 0, 0}},
      {"only a cut line", kHead + "09.10.2014 23:00" + Values(3), DateStamp()},
      {"a short line ended by CR alone is cut off", kHead + "01.02.2013 05:00\t1\r\n09.10.2014 23:00\t2\r",
       {2013, 2, 1, 5, 0, 0}},
      {"month 13 last: the default, valid or not", kHead + Text({"01.02.2013 05:00\t1", "01.13.2013 05:00\t1"}),
       DateStamp()},
      {"hour 24 last", kHead + Text({"01.02.2013 05:00\t1", "01.02.2013 24:00\t1"}), DateStamp()},
      {"lines without TAB after the last counted one",
       kHead + Text({"01.02.2013 05:00\t1", "02.02.2013 06:00 1.00 2.00", "end"}), {2013, 2, 1, 5, 0, 0}},
      {"blank and junk lines after it", kHead + Text({"05.06.2020 10:00\t1", "", "   ", junk, "\t"}),
       {2020, 6, 5, 10, 0, 0}},
      {"TAB first or last is trimmed away",
       kHead + Text({"05.06.2020 10:00\t1", "\t06.06.2020 11:00", "07.06.2020 12:00\t  "}), {2020, 6, 5, 10, 0, 0}},
      {"blanks before the date", kHead + Text({"   05.06.2020 10:00\t1  "}), {2020, 6, 5, 10, 0, 0}},
      {"a short counted line reads as the default", kHead + Text({"05.06.2020 10:00\t1", "1.2\tx"}), DateStamp()},
      {"a CR inside a line stays in it", kHead + Text({"05.06.2020 10:00\t1", "06.06.2020 11:00\r\t2"}),
       {2020, 6, 6, 11, 0, 0}},
      {"a line longer than the read-back blocks", kHead + Text({"01.02.2013 05:00\t1", long_line, "x"}),
       {2015, 4, 3, 6, 0, 0}},
      {"no data lines", kHead, DateStamp()},
      {"nothing but lines that do not count", kHead + Text({"a", "", "b c"}), DateStamp()},
      {"no $: all of it is header", Text({"V\t4", "N\t00012", "01.02.2013 05:00\t1"}), DateStamp()},
      {"a separator with more after the $", Text({"N\t1", "$ end of header", "01.02.2013 05:00\t1"}),
       {2013, 2, 1, 5, 0, 0}},
      {"the second $ line is data", Text({"N\t1", "$", "$\tx", "01.02.2013 05:00\t1", "$"}), {2013, 2, 1, 5, 0, 0}},
  };
  zv::test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.Write("n.zev", c.bytes);
    CNode node;
    int error = -1;
    ASSERT_TRUE(zv::LoadNodeFile(path, node, &error));
    EXPECT_EQ(error, 0);
    EXPECT_EQ(node.last_record, c.expected) << node.last_record.Format(true);
    EXPECT_EQ(node.last_record, ForwardStamp(path));
    EXPECT_EQ(node.path, path);
    EXPECT_EQ(node.status, zv::node_status::kQueued);
  }
}

TEST(NodeFileLoad, HeaderIsTheWorkstationFormUpToTheSeparator) {
  zv::test::TempDir dir;
  zv::sim::NodeFilePlan plan;
  plan.header.Set("NAME", zv::W1251("ЦТП-2"));
  plan.header.AddWorkstationKeys(2);
  plan.data = zv::sim::HourlySeries::From(DateStamp(2024, 3, 1, 0, 0, 0), 24 * 40);
  plan.damage.push_back({24 * 40 - 1, zv::sim::LineDamage::kNoTab});  // the very last line
  const std::string path = zv::sim::WriteNodeFile(dir.path(), plan);
  CNode node;
  ASSERT_TRUE(zv::LoadNodeFile(path, node));
  EXPECT_EQ(node.header.GetString("NAME"), zv::W1251("ЦТП-2"));
  EXPECT_EQ(node.header.GetInt("MODEM"), 2);
  EXPECT_EQ(node.header.GetString("N"), "00012");
  EXPECT_FALSE(node.header.ColumnList(0).empty());
  EXPECT_FALSE(node.header.Has("01.03.2024 00:00"));
  // The last line lost its TABs: the one before it wins.
  EXPECT_EQ(node.last_record, DateStamp(2024, 4, 9, 22, 0, 0));
  EXPECT_EQ(node.last_record, ForwardStamp(path));
}

TEST(NodeFileLoad, FilesThatDoNotOpenLeaveTheNodeAlone) {
  zv::test::TempDir dir;
  struct Case {
    std::string path;
    int error;
  };
  // A file that opens but whose every read fails (EIO).
  const std::string unreadable = dir.File("unreadable.zev");
  ASSERT_EQ(::symlink("/proc/self/mem", unreadable.c_str()), 0);
  // A FIFO is refused without waiting for a writer.
  const zv::test::FifoWatchdog fifo(dir.File("fifo.zev"));
  ASSERT_TRUE(fifo.made());
  for (const Case& c : {Case{dir.File("missing.zev"), ENOENT}, Case{dir.path(), EISDIR},
                        Case{dir.File("missing/x.zev"), ENOENT}, Case{unreadable, EIO}, Case{fifo.path(), EINVAL}}) {
    SCOPED_TRACE(c.path);
    CNode node;
    node.path = "before";
    int error = 0;
    EXPECT_FALSE(zv::LoadNodeFile(c.path, node, &error));
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(node.path, "before");
    EXPECT_EQ(node.status, 0);
  }
  EXPECT_FALSE(fifo.ReaderWasStuck());
}

}  // namespace
