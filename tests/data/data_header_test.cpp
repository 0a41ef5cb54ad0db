#include "data/data_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/cp1251.h"
#include "platform/text_lines.h"
#include "tests/support/temp_dir.h"

namespace {

using zv::W1251;

std::vector<std::string> Keys(const CDataHeader& h) {
  std::vector<std::string> keys;
  for (const auto& e : h.Entries()) keys.push_back(e.first);
  return keys;
}

// Reads a header from text held in memory; returns whether "$" was seen and
// leaves the rest of the lines in `rest`.
bool ReadText(CDataHeader& h, const std::string& text, std::vector<std::string>* rest = nullptr) {
  std::vector<std::string> lines = zv::SplitLines(text);
  size_t pos = 0;
  bool found = h.Read([&](std::string& line) {
    if (pos >= lines.size()) return false;
    line = lines[pos++];
    return true;
  });
  if (rest) rest->assign(lines.begin() + static_cast<std::ptrdiff_t>(pos), lines.end());
  return found;
}

TEST(DataHeader, PresetsOfEachFormInOrder) {
  CDataHeader viewer(CDataHeader::kViewer);
  EXPECT_EQ(Keys(viewer), (std::vector<std::string>{"V", "N", "NAME", "SCHEMA", "WTIME", "TCW", "PHONE", "MODEM",
                                                     "UCONTROL", "NOTES", "DATAPRINT1", "DATAPRINT2",
                                                     "DATAPRINT3", "DATAPRINT4"}));
  EXPECT_EQ(viewer.GetString("V"), "4");
  EXPECT_EQ(viewer.ListCount(), 4);
  EXPECT_EQ(viewer.Columns().size(), 35u);

  CDataHeader ws(CDataHeader::kWorkstation);
  EXPECT_EQ(Keys(ws), (std::vector<std::string>{"V",          "N",          "NAME",       "SCHEMA",     "WTIME",
                                                 "TCW",        "PHONE",      "MODEM",      "IPADDRESS",  "UCONTROL",
                                                 "DATASHOW",   "DATAPRINT1", "DATAPRINT2", "DATAPRINT3", "DATAPRINT4",
                                                 "INTRC",      "CN_NF",      "CN_RS9600",  "CN_PT",      "CN_L1",
                                                 "CN_L2",      "CN_L3",      "CN_L4",      "CN_L5",      "CN_L6",
                                                 "CN_L7",      "CN_L8"}));
  for (const auto& e : ws.Entries()) EXPECT_EQ(e.second, "") << e.first;
  EXPECT_EQ(ws.ListCount(), 1);
  EXPECT_EQ(ws.Columns().size(), 34u);
}

TEST(DataHeader, GettersAndSetters) {
  CDataHeader h(CDataHeader::kViewer);
  h.ParseLine("WTIME\t12abc");
  h.ParseLine("TCW\t5.5");
  h.ParseLine("PHONE\tx");
  EXPECT_EQ(h.GetInt("WTIME"), 12);
  EXPECT_EQ(h.GetInt("PHONE"), 0);
  EXPECT_EQ(h.GetInt("ABSENT"), 0);
  EXPECT_DOUBLE_EQ(h.GetFloat("TCW"), 5.5);
  EXPECT_DOUBLE_EQ(h.GetFloat("ABSENT"), 0.0);
  EXPECT_EQ(h.GetString("ABSENT"), "");
  EXPECT_FALSE(h.Has("ABSENT"));
  EXPECT_TRUE(h.Has("NOTES"));
  EXPECT_FALSE(h.Has("name"));  // keys are case-sensitive

  // Replacing keeps the key's place; a new key goes to the end.
  h.SetInt("V", -8);
  h.SetString("ZZZ", "1");
  h.SetInt("AAA", 7);
  EXPECT_EQ(h.GetString("V"), "-8");
  std::vector<std::string> keys = Keys(h);
  EXPECT_EQ(keys.front(), "V");
  EXPECT_EQ(keys[keys.size() - 2], "ZZZ");
  EXPECT_EQ(keys.back(), "AAA");
}

struct LineCase {
  const char* line;
  const char* key;
  const char* value;  // nullptr: the key is absent
};

TEST(DataHeader, ViewerParseLine) {
  const LineCase cases[] = {
      {"  NAME \t  School 3  ", "NAME", "School 3"},  // spaces around key and value dropped
      {"#NAME\tX", "NAME", ""},                      // a comment: preset kept
      {"#NAME\tX", "#NAME", nullptr},
      {"NAME X", "NAME", ""},                        // no TAB
      {"NAME X", "NAME X", nullptr},
      {"\tNAME\tX", "NAME", ""},                     // TAB first
      {"SCHEMA\t\t\t21", "SCHEMA", "21"},
      {"MY KEY\tv\tw", "MY KEY", "v\tw"},            // the value keeps inner TABs
      {"DATAPRINT5\tE1", "DATAPRINT5", nullptr},      // never enters the map
      {"DATAPRINT2\tE1", "DATAPRINT2", ""},          // the preset stays empty
      {"datashow\tE1", "datashow", "E1"},            // DATASHOW is matched case-sensitively
      {"V\t", "V", ""},  // untrimmed: stored empty (the reader trims first, see ReaderLoop)
  };
  for (const LineCase& c : cases) {
    CDataHeader h(CDataHeader::kViewer);
    h.ParseLine(c.line);
    if (c.value) {
      EXPECT_EQ(h.GetString(c.key), c.value) << c.line;
    } else {
      EXPECT_FALSE(h.Has(c.key)) << c.line;
    }
  }
}

TEST(DataHeader, ViewerColumnLists) {
  CDataHeader h(CDataHeader::kViewer);
  h.ParseLine("DATAPRINT2\te1\t\tt1\tnokey");
  EXPECT_EQ(h.ColumnList(1), (std::vector<int>{1, 4}));

  h.ParseLine("DATAPRINT4\tp34\tEW\tDate");
  EXPECT_EQ(h.ColumnList(3), (std::vector<int>{31, 34, 0}));

  const size_t before = h.Entries().size();
  h.ParseLine("DATAPRINT5\tE1");
  h.ParseLine("DATAPRINT\tE1");
  h.ParseLine("DATAPRINT0\tE1");
  EXPECT_EQ(h.Entries().size(), before);
  EXPECT_TRUE(h.ColumnList(0).empty());

  // "LC" pieces: upper case only, last two characters as the row count.
  h.ParseLine("DATAPRINT3\tLC12\tE1");
  EXPECT_EQ(h.ColumnList(2), (std::vector<int>{1}));
  EXPECT_EQ(h.GetString("LC_SET_2"), "1");
  EXPECT_EQ(h.GetString("LC_ROWS_2"), "12");
  h.ParseLine("DATAPRINT1\tLC5\tlc7");
  EXPECT_EQ(h.GetString("LC_ROWS_0"), "0");  // "C5" reads as 0
  EXPECT_TRUE(h.ColumnList(0).empty());

  // A DATASHOW key fills list 0 too; whichever comes later decides.
  CDataHeader a(CDataHeader::kViewer);
  a.ParseLine("DATASHOW\tDATE\tE1");
  a.ParseLine("DATAPRINT1\tDATE\tV1");
  EXPECT_EQ(a.ColumnList(0), (std::vector<int>{0, 10}));
  CDataHeader b(CDataHeader::kViewer);
  b.ParseLine("DATAPRINT1\tDATE\tV1");
  b.ParseLine("XDATASHOW\tDATE\tE1");  // a substring is enough
  EXPECT_EQ(b.ColumnList(0), (std::vector<int>{0, 1}));
  EXPECT_FALSE(b.Has("XDATASHOW"));
  EXPECT_FALSE(b.Has("DATASHOW"));

  EXPECT_TRUE(h.ColumnList(4).empty());
  EXPECT_TRUE(h.ColumnList(-1).empty());
}

TEST(DataHeader, WorkstationParseLine) {
  CDataHeader h(CDataHeader::kWorkstation);
  h.ParseLine("#NAME\tX");
  h.ParseLine("DATAPRINT2\te1\tt1");
  h.ParseLine("datashow\tdate\te1\tP34\tLC12\tec");
  h.ParseLine("DATAPRINT5\tE1");
  EXPECT_EQ(h.GetString("#NAME"), "X");
  EXPECT_EQ(h.GetString("NAME"), "");
  EXPECT_EQ(h.GetString("DATAPRINT2"), "e1\tt1");
  EXPECT_EQ(h.GetString("DATAPRINT5"), "E1");
  EXPECT_FALSE(h.Has("datashow"));
  EXPECT_EQ(h.GetString("DATASHOW"), "");
  // The workstation's own ids; P34 is not in its table; no LC handling.
  EXPECT_EQ(h.ColumnList(0), (std::vector<int>{0, 1, 31}));
  EXPECT_FALSE(h.Has("LC_SET_0"));
  EXPECT_FALSE(h.Has("LC_ROWS_0"));
  h.SetColumnList(1, "E1");
  EXPECT_TRUE(h.ColumnList(1).empty());
}

TEST(DataHeader, ReaderLoop) {
  CDataHeader h(CDataHeader::kViewer);
  std::vector<std::string> rest;
  ASSERT_TRUE(ReadText(h,
                       "V\t\r\n"            // trimmed to "V": ignored, the preset stays
                       "  N\t00012 \r\n"
                       "\r\n"
                       "NAME\tA\n"          // LF alone
                       " $ \r\n"            // trimmed, then "$" ends the header
                       "05.03.2024\t13:00\t1.00\r\n"
                       "NAME\tB\r\n",
                       &rest));
  EXPECT_EQ(h.GetString("V"), "4");
  EXPECT_EQ(h.GetString("N"), "00012");
  EXPECT_EQ(h.GetString("NAME"), "A");
  EXPECT_EQ(rest, (std::vector<std::string>{"05.03.2024\t13:00\t1.00", "NAME\tB"}));

  CDataHeader d(CDataHeader::kWorkstation);
  EXPECT_TRUE(ReadText(d, "N\t1\r\n$junk\r\nN\t2\r\n", &rest));  // any line starting with "$"
  EXPECT_EQ(d.GetString("N"), "1");

  CDataHeader e(CDataHeader::kViewer);
  EXPECT_FALSE(ReadText(e, "N\t1\r\nNAME\tX\r\n"));
  EXPECT_EQ(e.GetString("NAME"), "X");
}

TEST(DataHeader, ViewerWriterGoldenBytes) {
  EXPECT_EQ(CDataHeader(CDataHeader::kViewer).Serialize(),
            "V\t4\r\nN\t\r\nNAME\t\r\nSCHEMA\t\r\nWTIME\t\r\nTCW\t\r\nPHONE\t\r\nMODEM\t\r\nUCONTROL\t\r\n"
            "NOTES\t\r\nDATAPRINT1\r\nDATAPRINT2\r\nDATAPRINT3\r\nDATAPRINT4\r\n$\r\n");

  CDataHeader h(CDataHeader::kViewer);
  ASSERT_TRUE(ReadText(h,
                       "N\t00012\r\n"
                       "FOO\tbar\r\n"
                       "NOTES\tfree text\tkept\r\n"
                       "DATASHOW\tDATE\tE1\r\n"
                       "DATAPRINT1\tDATE\tV1\r\n"
                       "DATAPRINT2\tE1\tjunk\tT1\r\n"
                       "DATAPRINT4\tLC12\tEC\r\n"
                       "#comment\tx\r\n"
                       "$\r\n"));
  // NOTES is written back; DATASHOW is not, list 0 stands under DATAPRINT1; the
  // LC piece leaves LC_ROWS_3 as a plain key and no LC_SET_3.
  EXPECT_EQ(h.Serialize(),
            "V\t4\r\nN\t00012\r\nNAME\t\r\nSCHEMA\t\r\nWTIME\t\r\nTCW\t\r\nPHONE\t\r\nMODEM\t\r\nUCONTROL\t\r\n"
            "NOTES\tfree text\tkept\r\n"
            "DATAPRINT1\tDATE\tV1\r\n"
            "DATAPRINT2\tE1\tT1\r\n"
            "DATAPRINT3\r\n"
            "DATAPRINT4\tEC\r\n"
            "FOO\tbar\r\n"
            "LC_ROWS_3\t12\r\n"
            "$\r\n");

  // A DATASHOW key set by hand is still dropped.
  h.SetString("DATASHOW", "\tE1");
  EXPECT_EQ(h.Serialize().find("DATASHOW"), std::string::npos);
}

TEST(DataHeader, WorkstationWriterGoldenBytes) {
  CDataHeader h(CDataHeader::kWorkstation);
  ASSERT_TRUE(ReadText(h,
                       "N\t00042\r\n"
                       "DATASHOW\tDATE\tE1\tP34\tEC\tGW\r\n"
                       "NOTES\tn\r\n"
                       "#KEY\tc\r\n"
                       "DATAPRINT2\tE1\r\n"
                       "LC_ROWS_2\t12\r\n"
                       "$\r\n"));
  EXPECT_EQ(h.Serialize(),
            "V\t\r\nN\t00042\r\nNAME\t\r\nSCHEMA\t\r\nWTIME\t\r\nTCW\t\r\nPHONE\t\r\nMODEM\t\r\nIPADDRESS\t\r\n"
            "UCONTROL\t\r\n"
            "DATASHOW\tDATE\tE1\tEC\tGW\r\n"
            "DATAPRINT1\t\r\nDATAPRINT2\tE1\r\nDATAPRINT3\t\r\nDATAPRINT4\t\r\n"
            "INTRC\t\r\nCN_NF\t\r\nCN_RS9600\t\r\nCN_PT\t\r\nCN_L1\t\r\nCN_L2\t\r\nCN_L3\t\r\nCN_L4\t\r\n"
            "CN_L5\t\r\nCN_L6\t\r\nCN_L7\t\r\nCN_L8\t\r\n"
            "NOTES\tn\r\n#KEY\tc\r\nLC_ROWS_2\t12\r\n"
            "$\r\n");

  // A new node: the shown columns given as the DATASHOW value, with an empty list.
  CDataHeader fresh(CDataHeader::kWorkstation);
  fresh.SetString("DATASHOW", "\tDATE\tE1\tT1");
  EXPECT_NE(fresh.Serialize().find("\r\nDATASHOW\tDATE\tE1\tT1\r\n"), std::string::npos);
  CDataHeader reread(CDataHeader::kWorkstation);
  ReadText(reread, fresh.Serialize());
  EXPECT_EQ(reread.ColumnList(0), (std::vector<int>{0, 1, 3}));
}

TEST(DataHeader, CyrillicRoundTripThroughFiles) {
  zv::test::TempDir dir;
  const std::string name = W1251("Котельная №3 «Юг»");
  ASSERT_EQ(name.size(), 17u);  // one byte a character
  const std::string file = std::string("V\t8\r\nN\t00012\r\nNAME\t") + name + "\r\nSCHEMA\t21\r\n" +
                           "DATAPRINT1\tDATE\tE1\tV1\r\n$\r\n05.03.2024\t13:00\t1.00\t17\r\n";
  for (CDataHeader::Form form : {CDataHeader::kViewer, CDataHeader::kWorkstation}) {
    CDataHeader first(form);
    zv::TextLineReader in(dir.Write("a.zev", file));
    ASSERT_TRUE(first.Read(in));
    std::string data;
    ASSERT_TRUE(in.Next(data));
    EXPECT_EQ(data, "05.03.2024\t13:00\t1.00\t17");
    EXPECT_EQ(first.GetString("NAME"), name);

    const std::string written = first.Serialize();
    EXPECT_NE(written.find(std::string("NAME\t") + name + "\r\n"), std::string::npos);
    CDataHeader second(form);
    zv::TextLineReader again(dir.Write("b.zev", written));
    ASSERT_TRUE(second.Read(again));
    EXPECT_EQ(second.Entries(), first.Entries());
    EXPECT_EQ(second.ColumnList(0), first.ColumnList(0));
    EXPECT_EQ(second.Serialize(), written);
  }
}

TEST(DataHeader, ColumnTables) {
  const auto& v = zv::ViewerColumnTable();
  const auto& w = zv::WorkstationColumnTable();
  for (size_t i = 0; i < v.size(); ++i) EXPECT_EQ(v[i].id, static_cast<int>(i));
  for (size_t i = 0; i < w.size(); ++i) EXPECT_EQ(w[i].id, static_cast<int>(i));
  EXPECT_EQ(v[32].key, "EC");
  EXPECT_EQ(zv::Cp1251ToUtf8(v[32].title), "ОШ");
  EXPECT_EQ(v[4].unit, "\xB0" "C");  // degree sign and a Latin C
  EXPECT_EQ(zv::Cp1251ToUtf8(v[0].unit), "Дата");
  EXPECT_EQ(v[0].title, "");
  EXPECT_EQ(zv::Cp1251ToUtf8(v[31].unit), "кгс/см2");
  EXPECT_EQ(w[30].key, "P12");
  EXPECT_EQ(zv::Cp1251ToUtf8(w[30].unit), "атм");
  EXPECT_EQ(zv::Cp1251ToUtf8(w[33].title), "ВОС");
  EXPECT_EQ(zv::FindColumnByKey(v, "p34"), 31);
  EXPECT_EQ(zv::FindColumnByKey(w, "P34"), -1);
  EXPECT_EQ(zv::FindColumnByKey(w, "t34"), 25);
}

}  // namespace
