// The node-file generator of the tests: what it writes must read back through
// the data module as the converter's files do, hour for hour.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/data_header.h"
#include "data/data_record.h"
#include "data/error_reevaluation.h"
#include "data/journal.h"
#include "platform/ascii.h"
#include "platform/cp1251.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/text_lines.h"
#include "tests/sim/node_file_generator.h"
#include "tests/support/temp_dir.h"

namespace {

using zv::sim::HourlySeries;
using zv::sim::NodeFilePlan;

struct ReadBack {
  explicit ReadBack(CDataHeader::Form form = CDataHeader::kViewer) : header(form) {}
  CDataHeader header;
  bool separator = false;
  std::vector<std::string> lines;
};

ReadBack ReadFile(const std::string& path, CDataHeader::Form form = CDataHeader::kViewer) {
  ReadBack r(form);
  zv::TextLineReader in(path);
  EXPECT_TRUE(in.IsOpen()) << path;
  r.separator = r.header.Read(in);
  std::string line;
  while (in.Next(line)) r.lines.push_back(line);
  return r;
}

TEST(NodeFileGenerator, WritesAHeaderAndHourlyLinesTheReaderTakes) {
  zv::test::TempDir dir;
  for (int version : {4, 8}) {
    NodeFilePlan plan;
    plan.header = zv::sim::NodeHeaderKeys::Converted(version, "00012", zv::W1251("Котельная №1"), 12);
    plan.data = HourlySeries::From(DateStamp(2024, 2, 28, 20, 0, 0), 60);
    plan.data.error_code = zv::sim::ErrorEvery(7, 0x8000);
    const std::string path = zv::sim::WriteNodeFile(dir.path(), plan);
    ASSERT_EQ(path, dir.path() + "/00012_Котельная №1.zev");

    ReadBack r = ReadFile(path);
    EXPECT_TRUE(r.separator);
    EXPECT_EQ(r.header.GetInt("V"), version);
    EXPECT_EQ(r.header.GetString("N"), "00012");
    EXPECT_EQ(r.header.GetString("NAME"), zv::W1251("Котельная №1"));
    EXPECT_EQ(r.header.GetInt("SCHEMA"), 12);
    EXPECT_EQ(r.header.Has("CN_L8"), version == 8);
    EXPECT_EQ(r.header.ColumnList(0).front(), zev_column::kDate);
    EXPECT_FALSE(r.header.ColumnList(3).empty());
    EXPECT_FALSE(r.header.GetString("LAST_CHANGES1").empty());

    const std::vector<zv::sim::HourValues> expected = zv::sim::DataValues(plan.data, version);
    ASSERT_EQ(r.lines.size(), 60u);
    ASSERT_EQ(expected.size(), 60u);
    DateStamp t(2024, 2, 28, 20, 0, 0);
    std::vector<CZEVDataRec> recs;
    for (size_t i = 0; i < r.lines.size(); ++i, t.Increment(DateStamp::kHour)) {
      const std::string& line = r.lines[i];
      ASSERT_EQ(CZEVDataRec::ParseLineTime(line), t) << line;
      recs.emplace_back(t, line, version);
      const CZEVDataRec& rec = recs.back();
      EXPECT_EQ(rec.error, i % 7 == 6 ? 0x8000 : 0) << line;
      for (int id : CZEVDataRec::Layout(CZEVDataRec::KindOfVersion(version))) {
        EXPECT_EQ(rec.value[static_cast<size_t>(id)], expected[i].value[id]) << line << " id " << id;
      }
      EXPECT_GT(rec.value[zev_column::kT1], rec.value[zev_column::kT2]);
      EXPECT_GT(rec.value[zev_column::kT3], rec.value[zev_column::kT4]);
      EXPECT_GT(rec.value[zev_column::kP1], 0.0f);
      if (i > 0) {
        for (int id : {zev_column::kE1, zev_column::kE2, zev_column::kV1, zev_column::kV4, zev_column::kM1}) {
          EXPECT_GT(rec.value[static_cast<size_t>(id)], recs[i - 1].value[static_cast<size_t>(id)]) << id;
        }
      }
    }
    // The data line text is the one FormatDataLine gives for the values read.
    EXPECT_EQ(r.lines[5], zv::sim::FormatDataLine(expected[5], version));
  }
}

TEST(NodeFileGenerator, ReadingsEvaluateWithoutFaultsUnderTheUsualSchemes) {
  const HourlySeries series = HourlySeries::From(DateStamp(2024, 3, 1, 0, 0, 0), 24 * 7);
  for (int scheme : {1, 2, 3, 5, 12, 22, 33, 51}) {
    for (const std::string& line : zv::ReevaluateErrorCodes(zv::sim::DataLines(series, 4), 4, scheme)) {
      ASSERT_EQ(line.substr(line.rfind('\t')), "\t0") << "scheme " << scheme << ": " << line;
    }
  }
}

TEST(NodeFileGenerator, LineEndsSeparatorAndTrailingLinesAsAsked) {
  NodeFilePlan plan;
  plan.data.hours = 2;
  const std::string crlf = zv::sim::NodeFileText(plan);
  EXPECT_NE(crlf.find("\r\n$\r\n01.03.2024\t00:00\t"), std::string::npos);
  EXPECT_EQ(crlf.substr(crlf.size() - 2), "\r\n");

  plan.lf_ends = true;
  plan.separator = " $";
  plan.trailing_lines = {"", "junk"};
  const std::string lf = zv::sim::NodeFileText(plan);
  EXPECT_EQ(lf.find('\r'), std::string::npos);
  EXPECT_NE(lf.find("\n $\n01.03.2024\t00:00\t"), std::string::npos);
  EXPECT_EQ(lf.substr(lf.size() - 7), "\n\njunk\n");

  plan.separator.clear();
  const std::vector<std::string> lines = zv::SplitLines(zv::sim::NodeFileText(plan));
  for (const std::string& l : lines) EXPECT_NE(zv::TrimView(l), "$");
}

TEST(NodeFileGenerator, GapsLeaveOutTheirHoursAndChangeNoOtherLine) {
  HourlySeries full = HourlySeries::From(DateStamp(2024, 3, 1, 0, 0, 0), 72);
  HourlySeries gapped = full;
  gapped.gaps.push_back({DateStamp(2024, 3, 1, 10, 0, 0), DateStamp(2024, 3, 1, 11, 0, 0)});
  gapped.gaps.push_back({DateStamp(2024, 3, 2, 0, 0, 0), DateStamp(2024, 3, 2, 23, 0, 0)});
  const std::vector<std::string> a = zv::sim::DataLines(full, 4);
  const std::vector<std::string> b = zv::sim::DataLines(gapped, 4);
  ASSERT_EQ(b.size(), a.size() - 26);
  std::vector<std::string> kept;
  for (const std::string& line : a) {
    const DateStamp t = CZEVDataRec::ParseLineTime(line);
    const bool gap = (t.day == 1 && (t.hour == 10 || t.hour == 11)) || t.day == 2;
    if (!gap) kept.push_back(line);
  }
  EXPECT_EQ(b, kept);
  // Another seed gives other readings.
  HourlySeries other = full;
  other.seed = 2;
  EXPECT_NE(zv::sim::DataLines(other, 4)[3], a[3]);
}

TEST(NodeFileGenerator, DamagedLinesAsTheReadersMeetThem) {
  NodeFilePlan plan;
  plan.data.hours = 8;
  plan.damage = {{1, zv::sim::LineDamage::kCutShort}, {2, zv::sim::LineDamage::kNoTab},
                 {3, zv::sim::LineDamage::kTabFirst}, {4, zv::sim::LineDamage::kBlank},
                 {5, zv::sim::LineDamage::kJunk},     {6, zv::sim::LineDamage::kBadTime}};
  const std::vector<std::string> clean = zv::sim::DataLines(plan.data, 4);
  std::vector<std::string> lines = zv::SplitLines(zv::sim::NodeFileText(plan));
  lines.erase(lines.begin(), lines.begin() + static_cast<long>(plan.header.entries().size()) + 1);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], clean[0]);
  EXPECT_EQ(lines[7], clean[7]);
  EXPECT_EQ(lines[1], clean[1].substr(0, 40));
  EXPECT_EQ(lines[2].find('\t'), std::string::npos);
  EXPECT_EQ(lines[3], "\t" + clean[3]);
  EXPECT_TRUE(lines[4].empty());
  EXPECT_EQ(lines[5].find('\t'), std::string::npos);
  EXPECT_NE(lines[5].find('\0'), std::string::npos);
  EXPECT_EQ(CZEVDataRec::ParseLineTime(lines[6]), DateStamp());
  EXPECT_EQ(lines[6].substr(2), clean[6].substr(2));
}

TEST(NodeFileGenerator, SeriesEndsAndHourCounts) {
  struct Case {
    DateStamp a, b;
    int hours;
  } cases[] = {
      {DateStamp(2024, 2, 28, 23, 0, 0), DateStamp(2024, 3, 1, 0, 0, 0), 25},  // leap day
      {DateStamp(2023, 2, 28, 23, 0, 0), DateStamp(2023, 3, 1, 0, 0, 0), 1},
      {DateStamp(2023, 12, 31, 22, 0, 0), DateStamp(2024, 1, 1, 1, 0, 0), 3},
      {DateStamp(2024, 3, 1, 5, 0, 0), DateStamp(2024, 3, 1, 5, 0, 0), 0},
      {DateStamp(2024, 3, 1, 5, 0, 0), DateStamp(2024, 3, 1, 4, 0, 0), 0},
      {DateStamp(2015, 1, 1, 0, 0, 0), DateStamp(2025, 1, 1, 0, 0, 0), 87672},  // three leap years
  };
  for (const Case& c : cases) EXPECT_EQ(zv::sim::HoursBetween(c.a, c.b), c.hours) << c.a.Format(true);

  const DateStamp last(2024, 3, 15, 12, 0, 0);
  const HourlySeries ten_years = HourlySeries::Ending(last, 87600);
  EXPECT_EQ(ten_years.Last(), last);
  EXPECT_EQ(zv::sim::HoursBetween(ten_years.first, last), 87599);
  const HourlySeries between = HourlySeries::Between(DateStamp(2024, 2, 29, 0, 0, 0), last);
  EXPECT_EQ(between.hours, 15 * 24 + 13);
  EXPECT_EQ(HourlySeries::Between(last, DateStamp(2024, 3, 1, 0, 0, 0)).hours, 0);
  const DateStamp now = zv::sim::CurrentHour();
  EXPECT_EQ(now.minute, 0);
  EXPECT_TRUE(now.IsValid(DateStamp::kSecond));
}

TEST(NodeFileGenerator, WorkstationKeysReadByTheWorkstationHeader) {
  zv::test::TempDir dir;
  NodeFilePlan plan;
  plan.header.AddWorkstationKeys(3).Set("NAME", "").Remove("LAST_CHANGES3");
  const std::string path = zv::sim::WriteNodeFile(dir.path(), plan);
  EXPECT_EQ(path, dir.path() + "/00012_data.zev");
  ReadBack r = ReadFile(path, CDataHeader::kWorkstation);
  EXPECT_EQ(r.header.GetInt("MODEM"), 3);
  EXPECT_EQ(r.header.GetString("IPADDRESS"), "127.0.0.1");
  EXPECT_EQ(r.header.GetInt("IPPORT"), 4001);
  EXPECT_FALSE(r.header.GetString("PHONE").empty());
  EXPECT_EQ(r.header.GetString("INTRC"), "0006");
  EXPECT_EQ(r.header.ColumnList(0).size(), 7u);
  EXPECT_FALSE(r.header.Has("LAST_CHANGES3"));
  EXPECT_EQ(r.lines.size(), 24u);
}

TEST(NodeFileGenerator, JournalFileDecodesNewestFirst) {
  const std::vector<zv::sim::JournalEntry> entries = zv::sim::SampleJournal(DateStamp(2024, 3, 5, 13, 0, 0), 5);
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries.back().time, DateStamp(2024, 3, 5, 13, 0, 0));
  EXPECT_EQ(entries.front().time, DateStamp(2024, 2, 6, 13, 0, 0));

  for (int first_slot : {0, 253}) {  // 253: the entries wrap from slot 255 to 0
    const std::string bytes = zv::sim::JournalFileBytes(entries, first_slot);
    ASSERT_EQ(bytes.size(), zv::kJournalFileSize);
    EXPECT_EQ(static_cast<unsigned char>(bytes[2]), (first_slot + 4) % 256);
    zv::JournalImage image{};
    std::copy(bytes.begin(), bytes.end(), image.begin());
    const std::vector<CLastChangesRec> decoded = zv::DecodeJournal(image);
    ASSERT_EQ(decoded.size(), 5u) << first_slot;
    for (size_t i = 0; i < 5; ++i) {
      const zv::sim::JournalEntry& e = entries[4 - i];
      EXPECT_EQ(decoded[i].time, DateStamp(e.time.year, e.time.month, e.time.day, e.time.hour, 0, 0));
      const std::string slot_bytes = bytes.substr(3 + 10 * static_cast<size_t>((first_slot + 4 - i) % 256), 10);
      std::array<unsigned char, 10> record{};
      std::copy(slot_bytes.begin(), slot_bytes.end(), record.begin());
      EXPECT_EQ(decoded[i].text, CLastChangesRec::FormatChangeText(record));
    }
    EXPECT_NE(decoded[0].text.find("40000"), std::string::npos);
  }

  zv::test::TempDir dir;
  const std::string path = zv::sim::WriteJournalFile(dir.path(), "00012", zv::sim::JournalFileBytes(entries));
  EXPECT_EQ(path, dir.path() + "/00012.zvj");
  CDataHeader header(CDataHeader::kViewer);
  header.SetString("N", "00012");
  zv::JournalImage image{};
  const zv::JournalLoad load = zv::LoadJournal(dir.File("00012_A.zev"), header, image);
  EXPECT_EQ(load.source, zv::JournalLoad::kFile);
  EXPECT_EQ(load.entries.size(), 5u);
  // An empty journal: every slot erased.
  const std::string empty = zv::sim::JournalFileBytes({});
  std::copy(empty.begin(), empty.end(), image.begin());
  EXPECT_TRUE(zv::DecodeJournal(image).empty());
}

TEST(NodeFileGenerator, SampleProgramWritesReadableNodes) {
  zv::test::TempDir dir;
  const std::string program = zv::ProgramDir() + "/node_file_sample";
  ASSERT_TRUE(zv::FileExists(program));
  const DateStamp before = zv::sim::CurrentHour();
  zv::ProgramRun demo = zv::RunProgram(program, {dir.File("demo")}, dir.path(), {});
  ASSERT_EQ(demo.exit_code, 0);
  ReadBack a = ReadFile(dir.File("demo/00012_Котельная №1.zev"));
  EXPECT_GT(a.lines.size(), 24u * 360);
  EXPECT_EQ(zv::test::TempDir::Read(dir.File("demo/00012.zvj")).size(), zv::kJournalFileSize);
  ReadBack b = ReadFile(dir.File("demo/00345_ЦТП-2.zev"));
  EXPECT_EQ(b.header.GetInt("V"), 8);
  EXPECT_EQ(b.lines.size(), 24u * 90);
  const DateStamp last = CZEVDataRec::ParseLineTime(b.lines.back());
  EXPECT_TRUE(last == before || last == zv::sim::CurrentHour()) << last.Format(true);  // up to the current hour

  zv::ProgramRun group = zv::RunProgram(program, {dir.File("group"), "--nodes", "3", "--days", "2", "--workstation"},
                                        dir.path(), {});
  ASSERT_EQ(group.exit_code, 0);
  ReadBack n = ReadFile(dir.File("group/00103_Узел 3.zev"), CDataHeader::kWorkstation);
  EXPECT_EQ(n.header.GetInt("MODEM"), 3);
  EXPECT_EQ(n.lines.size(), 48u);
  EXPECT_NE(zv::RunProgram(program, {dir.File("x"), "--nodes"}, dir.path(), {}).exit_code, 0);
}

}  // namespace
