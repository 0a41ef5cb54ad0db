#include "data/journal.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <unistd.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "data/data_header.h"
#include "platform/cp1251.h"
#include "tests/support/temp_dir.h"

namespace {

using zv::JournalImage;
using zv::JournalLoad;

// An image with every slot erased (0xFF) and the newest slot in byte 2.
JournalImage ErasedImage(int newest) {
  JournalImage image;
  image.fill(0xFF);
  image[0] = image[1] = 0;
  image[2] = static_cast<unsigned char>(newest);
  return image;
}

// Writes a record into slot i: 2024-03-05 (day and month given), hours, flags.
// Bytes past the image are dropped, as the last slot has only 7 of its 10.
void PutRecord(JournalImage& image, int slot, int hour, int day, int month, int32_t hours, int flags,
               int year = 2024) {
  const unsigned char rec[10] = {static_cast<unsigned char>(hour),
                                 static_cast<unsigned char>(day),
                                 static_cast<unsigned char>(((year - 2016) << 4) | month),
                                 static_cast<unsigned char>(hours & 0xFF),
                                 static_cast<unsigned char>((hours >> 8) & 0xFF),
                                 static_cast<unsigned char>((hours >> 16) & 0xFF),
                                 static_cast<unsigned char>((hours >> 24) & 0xFF),
                                 static_cast<unsigned char>(flags),
                                 0,
                                 0};
  for (size_t k = 0; k < 10; ++k) {
    const size_t at = 3 + 10 * static_cast<size_t>(slot) + k;
    if (at < image.size()) image[at] = rec[k];
  }
}

std::string Text(const std::string& utf8) { return zv::W1251(utf8); }

std::string ImageBytes(const JournalImage& image) { return std::string(image.begin(), image.end()); }

TEST(Journal, DecodesARecord) {
  const unsigned char rec[10] = {0x0D, 0x85, 0x83, 0x10, 0x27, 0x00, 0x00, 0x05, 0xAA, 0xBB};
  CLastChangesRec r = CLastChangesRec::FromRecord(rec);
  EXPECT_EQ(r.time, DateStamp(2024, 3, 5, 13, 0, 0));  // bit 7 of the day ignored
  EXPECT_EQ(r.text, Text("наработка 10000 час.; Время; Тхол; "));
  EXPECT_TRUE(r.IsListed());

  struct Flags {
    unsigned char flags;
    const char* words;
  } flags[] = {
      {0x00, ""},
      {0x80, ""},
      {0x7F,
       "Время; Формула; Тхол; Тип термодатчиков; Вес импульсов; Сброс показаний; "
       "Калибровка Т/Р; "},
      {0x28, "Тип термодатчиков; Сброс показаний; "},
  };
  for (const auto& f : flags) {
    const unsigned char bytes[10] = {0, 1, 0x81, 0xFF, 0xFF, 0xFF, 0xFF, f.flags, 0, 0};
    EXPECT_EQ(CLastChangesRec::FormatChangeText(bytes), Text(std::string("наработка -1 час.; ") + f.words));
  }
}

TEST(Journal, ListedRecordsOnly) {
  struct Case {
    int hour, day, month;
    bool listed;
  } cases[] = {
      {0, 1, 1, true},  {23, 31, 12, true}, {24, 5, 3, false}, {5, 0, 3, false},
      {5, 32, 3, false}, {5, 5, 0, false},  {5, 5, 13, false}, {5, 5, 15, false},
  };
  for (const auto& c : cases) {
    JournalImage image = ErasedImage(0);
    PutRecord(image, 0, c.hour, c.day, c.month, 1, 0);
    EXPECT_EQ(zv::DecodeJournal(image).size(), c.listed ? 1u : 0u) << c.hour << " " << c.day << " " << c.month;
  }
  EXPECT_TRUE(zv::DecodeJournal(ErasedImage(7)).empty());  // erased slots: hour 255
}

TEST(Journal, NewestToOldestWithWrap) {
  JournalImage image = ErasedImage(1);
  PutRecord(image, 1, 10, 4, 3, 104, 0x01);
  PutRecord(image, 0, 10, 3, 3, 103, 0x02);
  PutRecord(image, 255, 10, 2, 3, 102, 0x04);  // its flags byte lies past the image: read as 0
  PutRecord(image, 254, 10, 1, 3, 101, 0x08);
  PutRecord(image, 2, 10, 1, 2, 100, 0x10);    // the oldest
  std::vector<CLastChangesRec> list = zv::DecodeJournal(image);
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list[0].text, Text("наработка 104 час.; Время; "));
  EXPECT_EQ(list[1].text, Text("наработка 103 час.; Формула; "));
  EXPECT_EQ(list[2].text, Text("наработка 102 час.; "));
  EXPECT_EQ(list[3].text, Text("наработка 101 час.; Тип термодатчиков; "));
  EXPECT_EQ(list[4].text, Text("наработка 100 час.; Вес импульсов; "));
  EXPECT_EQ(list[2].time, DateStamp(2024, 3, 2, 10, 0, 0));

  // Byte 2 = 0: slots 0, 255, 254, ..., 1; every slot read exactly once.
  JournalImage full = ErasedImage(0);
  for (int slot = 0; slot < 256; ++slot) PutRecord(full, slot, 1, 1, 1, slot, 0);
  list = zv::DecodeJournal(full);
  ASSERT_EQ(list.size(), 256u);
  for (size_t k = 0; k < list.size(); ++k) {
    const int slot = k == 0 ? 0 : 256 - static_cast<int>(k);
    EXPECT_EQ(list[k].text, Text("наработка " + std::to_string(slot) + " час.; ")) << k;
  }
  EXPECT_EQ(zv::JournalSlot(full, 255)[7], 0);
  EXPECT_EQ(zv::JournalSlot(full, 255)[3], 255);
}

TEST(Journal, HeaderEntry) {
  CLastChangesRec r =
      CLastChangesRec::FromHeaderText(Text("05.03.2024 13:45 ?????наработка 5 час.; Время; "));
  EXPECT_EQ(r.time, DateStamp(2024, 3, 5, 13, 45, 0));
  EXPECT_EQ(r.text, Text("наработка 5 час.; Время; "));
  CLastChangesRec s = CLastChangesRec::FromHeaderText("31.13.1999");  // not validated
  EXPECT_EQ(s.time, DateStamp(1999, 13, 31, 0, 0, 0));
  EXPECT_EQ(s.text, "");
}

class JournalLoadTest : public testing::Test {
 protected:
  JournalLoadTest() : header(CDataHeader::kViewer) {
    header.SetString("N", "00012");
    header.SetString("LAST_CHANGES2", "02.01.2024 05:00 xxxxxsecond");
    header.SetString("LAST_CHANGES1", "01.01.2024 04:00 xxxxxfirst");
    header.SetString("LAST_CHANGES3", "");
    header.SetString("LAST_CHANGES10", "10.01.2024 03:00 xxxxxtenth");
    node = dir.File("00012_A.zev");
  }
  std::vector<std::string> Texts(const JournalLoad& j) {
    std::vector<std::string> t;
    for (const auto& e : j.entries) t.push_back(e.text);
    return t;
  }

  zv::test::TempDir dir;
  CDataHeader header;
  std::string node;
  JournalImage image{};
};

TEST_F(JournalLoadTest, FromTheFile) {
  JournalImage stored = ErasedImage(3);
  PutRecord(stored, 3, 13, 5, 3, 10000, 0x05);
  dir.Write("00012.zvj", ImageBytes(stored));
  JournalLoad j = zv::LoadJournal(node, header, image);
  EXPECT_EQ(j.source, JournalLoad::kFile);
  EXPECT_EQ(Texts(j), (std::vector<std::string>{Text("наработка 10000 час.; Время; Тхол; ")}));
  EXPECT_EQ(image, stored);

  // A longer file: its first 2560 bytes.
  dir.Write("00012.zvj", ImageBytes(stored) + std::string(500, '\x01'));
  EXPECT_EQ(zv::LoadJournal(node, header, image).entries.size(), 1u);
}

TEST_F(JournalLoadTest, ShortFileGivesAnEmptyJournal) {
  dir.Write("00012.zvj", std::string(100, '\x05'));
  image.fill(0x77);
  JournalLoad j = zv::LoadJournal(node, header, image);
  EXPECT_EQ(j.source, JournalLoad::kShortFile);
  EXPECT_TRUE(j.entries.empty());  // no fall-back to the header
  EXPECT_EQ(image[99], 0x05);
  EXPECT_EQ(image[100], 0);

  dir.Write("00012.zvj", "");
  EXPECT_EQ(zv::LoadJournal(node, header, image).source, JournalLoad::kShortFile);
}

TEST_F(JournalLoadTest, NoFileFallsBackToTheHeader) {
  JournalLoad j = zv::LoadJournal(node, header, image);
  EXPECT_EQ(j.source, JournalLoad::kHeader);
  EXPECT_EQ(Texts(j), (std::vector<std::string>{"first", "second", "tenth"}));  // by number, empty ones skipped
  EXPECT_EQ(j.entries[0].time, DateStamp(2024, 1, 1, 4, 0, 0));

  // A folder of that name cannot be read as the file.
  ASSERT_EQ(::mkdir(dir.File("00012.zvj").c_str(), 0700), 0);
  EXPECT_EQ(zv::LoadJournal(node, header, image).source, JournalLoad::kHeader);
}

// A file that opens but cannot be read is not taken for a short one: the
// failure is told as such, and the header stands in for the file.
TEST_F(JournalLoadTest, AReadErrorFallsBackToTheHeader) {
  ASSERT_EQ(::symlink("/proc/self/mem", dir.File("00012.zvj").c_str()), 0);  // reads fail with EIO
  image.fill(0x77);
  JournalLoad j = zv::LoadJournal(node, header, image);
  EXPECT_EQ(j.source, JournalLoad::kReadError);
  EXPECT_EQ(j.error, EIO);
  EXPECT_EQ(Texts(j), (std::vector<std::string>{"first", "second", "tenth"}));
  EXPECT_EQ(image, JournalImage{});
}

TEST_F(JournalLoadTest, NumberThatLeavesTheFolderOpensNothing) {
  // "../j" would name <dir>/j.zvj from a node in <dir>/sub.
  JournalImage stored = ErasedImage(0);
  PutRecord(stored, 0, 1, 1, 1, 1, 0);
  dir.Write("j.zvj", ImageBytes(stored));
  ASSERT_EQ(::mkdir(dir.File("sub").c_str(), 0700), 0);
  header.SetString("N", "../j");
  JournalLoad j = zv::LoadJournal(dir.File("sub/00012_A.zev"), header, image);
  EXPECT_EQ(j.source, JournalLoad::kBadNumber);
  EXPECT_EQ(Texts(j), (std::vector<std::string>{"first", "second", "tenth"}));
  EXPECT_EQ(image, JournalImage{});
}

}  // namespace
