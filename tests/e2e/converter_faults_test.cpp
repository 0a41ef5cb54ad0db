// The node file between the converter and its other writers, end to end: a
// viewer save while the poll's converter appends (no line lost), and the line
// a converter ended half-way left behind (the viewer's totals leave it out,
// the workstation reads its hour again at the next poll and the file ends
// whole).

#include <QTimer>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "modem/node_file_load.h"
#include "platform/qt/message_box.h"
#include "tests/links/poll_direct_fixture.h"
#include "tests/sim/node_file_generator.h"
#include "tests/support/converter_standin.h"
#include "viewer/period_source.h"
#include "viewer/view_doc.h"

namespace {

using namespace zv::test;
namespace status = zv::node_status;

DateStamp Hour(int d, int h) { return DateStamp(2024, 3, d, h, 0, 0); }

// The node's hours 11.03 00:00 up to `last` as data lines of V 4, CR LF each.
std::string Lines(const DateStamp& from, const DateStamp& last) {
  zv::sim::HourlySeries series = zv::sim::HourlySeries::Between(Hour(11, 0), last);
  std::string text;
  for (const std::string& line : zv::sim::DataLines(series, 4)) {
    if (zv::CountedLineStamp(line, DateStamp()).Compare(from, DateStamp::kHour) >= 0) text += line + "\r\n";
  }
  return text;
}

class ConverterFaultTest : public PollDirectTest {
 protected:
  void SetUp() override {
    PollDirectTest::SetUp();
    Reach(zv::kLinkTcp);
    node_.header.SetInt("V", 4);
    header_ = node_.header.Serialize();
  }

  // The node file with `data` after its header, loaded as the workstation's
  // group open loads it.
  void WriteNode(const std::string& data) {
    node_.path = folder_.Write("00042_School.zev", header_ + data);
    ASSERT_TRUE(zv::LoadNodeFile(node_.path, node_));
    Reach(zv::kLinkTcp);
  }

  // The viewer's document on the node file for 11.03 and 12.03.
  bool OpenInViewer(CZEVViewDoc& doc) {
    period_.begin = Hour(11, 0);
    period_.end = Hour(12, 0);
    return doc.OnOpenDocument(node_.path);
  }

  std::string header_;
  FixedPeriod period_;
};

// The poll's converter appends a few hours, pauses, and appends more; the
// user saves the node's settings in the viewer meanwhile, under the new name.
// The save waits for the converter (the window's events go on), and the file
// under its new name holds every line.
TEST_F(ConverterFaultTest, AViewerSaveWhileThePollsConverterAppendsLosesNoLine) {
  WriteNode(Lines(Hour(11, 0), Hour(12, 5)));
  zv::test::WritePausingConverter(folder_.path(), node_.path, Lines(Hour(12, 6), Hour(12, 10)),
                                  Lines(Hour(12, 11), Hour(12, 14)));
  zv::ScopedMessageHook messages;
  CZEVViewDoc doc(&period_);
  ASSERT_TRUE(OpenInViewer(doc));
  ASSERT_TRUE(worker_.Start(block_));
  ASSERT_TRUE(zv::test::WaitForFile(File("paused")));

  doc.header.SetString("NAME", "Gymnasium");
  QTimer::singleShot(0, [&] { zv::test::LetConverterGoOn(folder_.path()); });
  EXPECT_TRUE(doc.OnSaveDocument(node_.path));
  zv::test::LetConverterGoOn(folder_.path());
  worker_.Join();
  EXPECT_EQ(Final(), status::kOk);
  EXPECT_TRUE(messages.texts().empty());
  EXPECT_EQ(doc.GetPathName(), File("00042_Gymnasium.zev"));
  const std::string saved = Read("00042_Gymnasium.zev");
  EXPECT_EQ(saved.substr(saved.find("\n$\r\n") + 4), Lines(Hour(11, 0), Hour(12, 14)));
  EXPECT_FALSE(Exists("00042_School.zev"));
}

// A converter killed while it wrote the 13:00 line left it cut off. The viewer
// shows the totals of the lines before it; the workstation takes 12:00 as the
// last hour read, and its next poll cuts the line off before its converter
// writes 13:00 and 14:00 again: the file ends whole, and the viewer's totals
// are those of every hour.
TEST_F(ConverterFaultTest, ALineCutByAKilledConverterIsReadAgainByTheNextPoll) {
  const std::string last = Lines(Hour(12, 13), Hour(12, 13));
  const std::string cut = last.substr(0, last.size() / 2);
  // What the viewer shows without the cut line, from a file that never had it.
  WriteNode(Lines(Hour(11, 0), Hour(12, 12)));
  zv::ScopedMessageHook messages;
  CZEVViewDoc clean(&period_);
  ASSERT_TRUE(OpenInViewer(clean));
  ASSERT_FALSE(clean.summary.empty());

  WriteNode(Lines(Hour(11, 0), Hour(12, 12)) + cut);
  EXPECT_EQ(node_.last_record, Hour(12, 12));
  {
    CZEVViewDoc doc(&period_);
    ASSERT_TRUE(OpenInViewer(doc));
    EXPECT_EQ(doc.records.size(), clean.records.size());
    ASSERT_EQ(doc.summary.size(), clean.summary.size());
    for (size_t i = 0; i < doc.summary.size(); ++i) {
      EXPECT_EQ(doc.summary[i].value, clean.summary[i].value) << i;
      EXPECT_EQ(doc.summary[i].error, clean.summary[i].error) << i;
    }
  }

  // The converter appends the hours from the one after the last line read.
  folder_.Write("more", Lines(Hour(12, 13), Hour(12, 14)));
  WriteConverter(ConverterScript(0, "cat more >> 00042_School.zev\n"));
  Poll();
  EXPECT_EQ(Final(), status::kOk);
  EXPECT_EQ(Read("00042_School.zev"), header_ + Lines(Hour(11, 0), Hour(12, 14)));

  CZEVViewDoc after(&period_);
  ASSERT_TRUE(OpenInViewer(after));
  CZEVViewDoc whole(&period_);
  WriteNode(Lines(Hour(11, 0), Hour(12, 14)));
  ASSERT_TRUE(OpenInViewer(whole));
  ASSERT_EQ(after.summary.size(), whole.summary.size());
  for (size_t i = 0; i < after.summary.size(); ++i) EXPECT_EQ(after.summary[i].value, whole.summary[i].value) << i;
  EXPECT_TRUE(messages.texts().empty());
}

}  // namespace
