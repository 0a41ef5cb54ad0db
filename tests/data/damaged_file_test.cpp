// Damaged node files: cut short, binary junk, no separator, huge lines. Each gives
// the reader's ordinary result (never a crash or a hang); the tests also run under
// the sanitizers.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "data/data_header.h"
#include "data/data_record.h"
#include "data/error_reevaluation.h"
#include "data/journal.h"
#include "platform/text_lines.h"
#include "tests/support/code_field_check.h"
#include "tests/support/temp_dir.h"

namespace {

struct NodeFile {
  explicit NodeFile(CDataHeader::Form form) : header(form) {}
  CDataHeader header;
  bool separator = false;
  std::vector<std::string> data;  // the lines after "$"
};

NodeFile ReadNodeFile(const std::string& path, CDataHeader::Form form) {
  NodeFile f(form);
  zv::TextLineReader in(path);
  EXPECT_TRUE(in.IsOpen());
  f.separator = f.header.Read(in);
  std::string line;
  while (in.Next(line)) f.data.push_back(line);
  return f;
}

// The re-evaluation may only replace (or append) the code field; blanks around
// the line stay where they were.
void ExpectOnlyCodeChanged(const std::string& in, const std::string& out) {
  EXPECT_EQ(zv::test::CodeFieldChangeFault(in, out), "") << in << " -> " << out;
}

void ExpectDataLinesSurvive(const NodeFile& f, int version, int scheme) {
  for (const std::string& line : f.data) {
    CZEVDataRec rec(CZEVDataRec::ParseLineTime(line), line, version);
    EXPECT_TRUE(rec.time.IsValid(DateStamp::kHour));
  }
  const std::vector<std::string> out = zv::ReevaluateErrorCodes(f.data, version, scheme);
  ASSERT_EQ(out.size(), f.data.size());
  for (size_t i = 0; i < out.size(); ++i) ExpectOnlyCodeChanged(f.data[i], out[i]);
}

const char kGoodFile[] =
    "V\t4\r\n"
    "N\t00012\r\n"
    "NAME\tA\r\n"
    "SCHEMA\t21\r\n"
    "DATAPRINT1\tDATE\tE1\tV1\r\n"
    "$\r\n"
    "05.03.2024\t13:00\t1.00\t2.00\t60.00\t40.00\t30.00\t20.00\t100.00\t99.00\t10.00\t11.00\t101.00\t98.00"
    "\t12.00\t13.00\t5.00\t4.00\t3.00\t2.00\t32787\r\n"
    "05.03.2024\t14:00\t1.50\t2.50\t61.00\t41.00\t31.00\t21.00\t101.00\t100.00\t11.00\t12.00\t102.00\t99.00"
    "\t13.00\t14.00\t5.00\t4.00\t3.00\t2.00\t0\r\n";

TEST(DamagedFile, TruncatedAtEveryByte) {
  zv::test::TempDir dir;
  const std::string full = kGoodFile;
  const size_t dollar = full.find("\r\n$\r\n") + 2;
  const NodeFile whole = ReadNodeFile(dir.Write("full.zev", full), CDataHeader::kViewer);
  ASSERT_TRUE(whole.separator);
  for (size_t cut = 0; cut < full.size(); ++cut) {
    SCOPED_TRACE(cut);
    const NodeFile f = ReadNodeFile(dir.Write("cut.zev", full.substr(0, cut)), CDataHeader::kViewer);
    EXPECT_EQ(f.separator, cut > dollar);
    if (f.separator) {
      EXPECT_EQ(f.header.Entries(), whole.header.Entries());
      EXPECT_EQ(f.header.ColumnList(0), whole.header.ColumnList(0));
    }
    ExpectDataLinesSurvive(f, 4, 21);
  }
}

TEST(DamagedFile, BinaryJunk) {
  zv::test::TempDir dir;
  std::mt19937 rng(20240305);
  // Bytes of every value, with line ends, TABs and "$" often enough to make lines.
  const char common[] = {'\n', '\r', '\t', '$', '\0', '1', '.', '#'};
  for (int round = 0; round < 20; ++round) {
    std::string junk;
    for (int i = 0; i < 8192; ++i) {
      const unsigned r = rng();
      junk += (r & 3) == 0 ? common[(r >> 2) % sizeof common] : static_cast<char>(r >> 8);
    }
    const std::string path = dir.Write("junk.zev", junk);
    for (CDataHeader::Form form : {CDataHeader::kViewer, CDataHeader::kWorkstation}) {
      NodeFile f = ReadNodeFile(path, form);
      // Whatever was read is written so that it reads back the same.
      const std::string written = f.header.Serialize();
      const NodeFile again = ReadNodeFile(dir.Write("again.zev", written), form);
      EXPECT_TRUE(again.separator);
      EXPECT_TRUE(again.data.empty());
      EXPECT_EQ(again.header.Entries(), f.header.Entries());
      EXPECT_EQ(again.header.Serialize(), written);
      ExpectDataLinesSurvive(f, round % 2 ? 8 : 4, static_cast<int>(rng() % 70));
    }

    zv::JournalImage image{};
    dir.Write("00012.zvj", junk.substr(0, zv::kJournalFileSize));
    CDataHeader header(CDataHeader::kViewer);
    header.SetString("N", "00012");
    const zv::JournalLoad j = zv::LoadJournal(dir.File("00012_A.zev"), header, image);
    EXPECT_EQ(j.source, zv::JournalLoad::kFile);
    EXPECT_LE(j.entries.size(), 256u);
    for (const CLastChangesRec& e : j.entries) EXPECT_TRUE(e.time.IsValid(DateStamp::kHour));
  }
}

TEST(DamagedFile, NoSeparatorMakesItAllHeader) {
  zv::test::TempDir dir;
  std::string file = kGoodFile;
  file.erase(file.find("$\r\n"), 3);
  const std::string path = dir.Write("nosep.zev", file);
  for (CDataHeader::Form form : {CDataHeader::kViewer, CDataHeader::kWorkstation}) {
    const NodeFile f = ReadNodeFile(path, form);
    EXPECT_FALSE(f.separator);
    EXPECT_TRUE(f.data.empty());
    EXPECT_EQ(f.header.GetString("N"), "00012");
    // The data lines became keys: the date, with the rest of the later line.
    EXPECT_EQ(f.header.GetString("05.03.2024").substr(0, 10), "14:00\t1.50");
  }
}

TEST(DamagedFile, TenMegabyteLines) {
  zv::test::TempDir dir;
  const size_t big = 10 * 1024 * 1024;
  std::string many_values = "05.03.2024\t13:00";
  while (many_values.size() < big) many_values += "\t1.00";
  const std::string one_number = "05.03.2024\t14:00\t" + std::string(big, '7');
  const std::string no_tab(big, 'z');
  const std::string file = "N\t00012\r\nNOTES\t" + std::string(big, 'n') + "\r\n$\r\n" + many_values + "\r\n" +
                           one_number + "\r\n" + no_tab;
  const NodeFile f = ReadNodeFile(dir.Write("big.zev", file), CDataHeader::kViewer);
  ASSERT_TRUE(f.separator);
  EXPECT_EQ(f.header.GetString("NOTES").size(), big);
  EXPECT_EQ(f.header.Serialize().size(), CDataHeader(CDataHeader::kViewer).Serialize().size() + 5 + big);
  ASSERT_EQ(f.data.size(), 3u);

  CZEVDataRec rec(CZEVDataRec::ParseLineTime(f.data[0]), f.data[0], 4);
  EXPECT_EQ(rec.value[zev_column::kP4], 1.0f);
  EXPECT_EQ(rec.error, 1);
  CZEVDataRec huge(CZEVDataRec::ParseLineTime(f.data[1]), f.data[1], 4);
  EXPECT_EQ(huge.value[zev_column::kE1], 0.0f);  // the only number went to the code
  EXPECT_EQ(huge.error, INT_MIN);

  // None of them fits the layout: all three are copied as they are.
  EXPECT_EQ(zv::ReevaluateErrorCodes(f.data, 4, 11), f.data);
}

}  // namespace
