// The viewer document and the converter: a save while a converter appends, and
// the last line a converter ended half-way left behind.
#include <QTimer>

#include <string>
#include <vector>

#include "platform/ascii.h"
#include "tests/support/converter_standin.h"
#include "tests/viewer/view_doc_fixture.h"

namespace {

using zv::test::ConverterStarter;
using zv::test::Hour;
using zv::test::TempDir;
using zv::test::ViewDocTest;

// The lines of `series`, each with CR LF.
std::string Text(const zv::sim::HourlySeries& series) {
  std::string text;
  for (const std::string& line : zv::sim::DataLines(series, 4)) text += line + "\r\n";
  return text;
}

// The bytes after the "$" line.
std::string DataSection(const std::string& text) {
  const size_t at = text.find("\n$\r\n");
  return at == std::string::npos ? std::string() : text.substr(at + 4);
}

class ViewDocConverterTest : public ViewDocTest {
 protected:
  static zv::sim::HourlySeries Day(int day) {
    return zv::sim::HourlySeries::Between(Hour(2024, 3, day, 0), Hour(2024, 3, day, 23));
  }
  void ExpectASaveLosesNoLine(zv::test::InheritedLock lock);
};

// A converter started by another process appends a day, pauses, and appends
// the next day through the same descriptor. A save in the pause waits for it,
// with the window's events processed, and gives up with the file untouched
// past its bound; no line is lost, in place or under the new name, and also
// when the starter is a reader stopped while the converter ran on.
void ViewDocConverterTest::ExpectASaveLosesNoLine(zv::test::InheritedLock lock) {
  for (const zv::test::ConverterStartCase& c : zv::test::kConverterStartCases) {
    SCOPED_TRACE(testing::Message() << (c.reader() ? "reader stopped" : "poll") << (c.rename ? ", renamed" : ""));
    TempDir folder;
    zv::sim::NodeFilePlan plan;
    plan.data = Day(1);
    const std::string path = zv::sim::WriteNodeFile(folder.path(), plan);
    ASSERT_TRUE(Open(path, Hour(2024, 3, 1), Hour(2024, 3, 1)));
    zv::test::WritePausingConverter(folder.path(), path, Text(Day(2)), Text(Day(3)), lock);
    ConverterStarter starter(c.mode, folder.path(), "bins/x.bin");
    ASSERT_TRUE(zv::test::WaitForFile(folder.File(c.ready_file())));
    doc.header.SetString("NAME", c.rename ? "B" : doc.header.GetString("NAME"));
    doc.header.SetInt("UCONTROL", 1);

    doc.SetConverterWaitBound(std::chrono::milliseconds(30));
    EXPECT_FALSE(doc.OnSaveDocument(path));
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_TRUE(messages.texts()[0].contains(QString::fromUtf8("Файл изменяется другой программой")));
    EXPECT_EQ(DataSection(TempDir::Read(path)), Text(Day(1)) + Text(Day(2)));
    messages.Clear();

    // The converter goes on from an event that the waiting save lets through.
    bool went_on_while_waiting = false;
    QTimer::singleShot(0, [&] {
      went_on_while_waiting = true;
      zv::test::LetConverterGoOn(folder.path());
    });
    doc.SetConverterWaitBound(std::chrono::seconds(60));
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_TRUE(went_on_while_waiting);
    zv::test::LetConverterGoOn(folder.path());
    ASSERT_TRUE(zv::test::WaitForFile(folder.File("finished")));
    const std::string saved = TempDir::Read(doc.GetPathName());
    EXPECT_EQ(DataSection(saved), Text(Day(1)) + Text(Day(2)) + Text(Day(3)));
    EXPECT_NE(saved.find("UCONTROL\t1\r\n"), std::string::npos);
    EXPECT_EQ(doc.GetPathName() != path, c.rename);
    EXPECT_TRUE(messages.texts().empty());
  }
}

TEST_F(ViewDocConverterTest, ASaveWhileTheConverterAppendsLosesNoLine) {
  ExpectASaveLosesNoLine(zv::test::InheritedLock::kKept);
}

// The same with a converter that loses the locked descriptor it inherited
// (reuses or closes descriptor 3): a stopped reader's own hold lasts until the
// converter has ended, so the save still waits for it.
TEST_F(ViewDocConverterTest, ASaveBesideAConverterThatDroppedItsInheritedLockLosesNoLine) {
  for (const zv::test::InheritedLock lock : zv::test::kLostInheritedLocks) {
    SCOPED_TRACE(zv::test::InheritedLockName(lock));
    ExpectASaveLosesNoLine(lock);
  }
}

// A last line without its line end that lacks values is a write cut off: it
// is not loaded (the totals are those of the lines before it) and a save keeps
// it as it was, so that the next poll writes its hour again. A whole last line
// without its end still loads, and so does a line cut inside its last value.
TEST_F(ViewDocConverterTest, AnUnfinishedLastLineIsNoRecord) {
  const zv::sim::HourlySeries before = zv::sim::HourlySeries::Between(Hour(2024, 3, 1, 0), Hour(2024, 3, 2, 22));
  const zv::sim::HourlySeries with = zv::sim::HourlySeries::Between(Hour(2024, 3, 1, 0), Hour(2024, 3, 2, 23));
  zv::sim::NodeFilePlan plan;
  plan.data = before;
  ASSERT_TRUE(Open(Write(plan), Hour(2024, 3, 1), Hour(2024, 3, 2)));
  const std::vector<CZEVDataRec> expected = doc.summary;
  ASSERT_FALSE(expected.empty());
  const size_t whole_count = doc.records.size() + 1;

  const std::string last = zv::sim::DataLines(with, 4).back();
  // The line up to and with its first `n` values.
  const auto values = [&](int n) {
    size_t at = CZEVDataRec::kTimeChars;
    for (int i = 0; i < n; ++i) at = last.find('\t', at + 1);
    return last.substr(0, at);
  };
  struct Case {
    const char* what;
    std::string tail;
    bool loads;
  };
  const Case cases[] = {
      {"cut in the time", last.substr(0, 12), false},
      {"cut after the first value", values(1), false},
      {"cut after V1", values(7), false},
      {"cut after 17 values", values(17) + "\t", false},
      {"cut inside the last value", values(18).substr(0, values(18).size() - 1), true},
      {"cut before its code", values(18) + "\t", true},
      {"whole", last, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir folder;
    const std::string path = zv::sim::WriteNodeFile(folder.path(), plan);
    {
      std::FILE* f = std::fopen(path.c_str(), "ab");
      std::fputs(c.tail.c_str(), f);
      std::fclose(f);
    }
    ASSERT_TRUE(Open(path, Hour(2024, 3, 1), Hour(2024, 3, 2)));
    if (c.loads) {
      EXPECT_EQ(doc.records.size(), whole_count);
      continue;
    }
    EXPECT_EQ(doc.records.size(), whole_count - 1);
    ASSERT_EQ(doc.summary.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(doc.summary[i].value, expected[i].value) << i;
    // Saved with and without newly evaluated codes: the cut line stays as it was.
    for (const int recompute : {0, 1}) {
      doc.recompute = recompute;
      doc.header.SetInt("UCONTROL", recompute);
      ASSERT_TRUE(doc.OnSaveDocument(path));
      const std::string saved = TempDir::Read(path);
      ASSERT_GE(saved.size(), c.tail.size());
      EXPECT_EQ(saved.substr(saved.size() - c.tail.size() - 2), "\r\n" + c.tail) << recompute;
    }
  }
  EXPECT_TRUE(messages.texts().empty());
}

}  // namespace
