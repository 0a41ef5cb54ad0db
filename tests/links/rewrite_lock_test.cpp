// Node file rewrites and the converter: the converter lock, the check that the
// file did not change, and the clean end of the file before a converter runs.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "links/node.h"
#include "platform/str_format.h"
#include "platform/text_lines.h"
#include "tests/support/converter_standin.h"
#include "tests/support/temp_dir.h"

namespace {

using zv::test::ConverterStarter;
using zv::test::TempDir;

constexpr const char* kHeader = "V\t4\r\nN\t00000\r\nNAME\tnew\r\n$\r\n";

// Hourly lines of 18 values and a code, from hour `from` on, CR LF each.
std::string Lines(int from, int count) {
  std::string text;
  for (int h = from; h < from + count; ++h) {
    text += zv::StrFormat("%02d.03.2024\t%02d:00", 1 + h / 24, h % 24);
    for (int v = 0; v < 18; ++v) text += zv::StrFormat("\t%d.%02d", h, v);
    text += "\t0\r\n";
  }
  return text;
}

CNode& Load(CNode& node, const std::string& path) {
  node.path = path;
  node.header = CDataHeader(CDataHeader::kWorkstation);
  zv::TextLineReader in(path);
  node.header.Read(in);
  return node;
}

// A converter started by another process appends 24 lines, pauses, and appends
// 24 more through the same descriptor. A header rewrite in the pause waits for
// it (and fails with the file untouched when it gives up), so no line is lost:
// in place or under a new name, and also when the starter is a reader that its
// user stopped while the converter ran on.
void ExpectNoLineLostBesideAConverter(zv::test::InheritedLock lock) {
  for (const zv::test::ConverterStartCase& c : zv::test::kConverterStartCases) {
    SCOPED_TRACE(testing::Message() << (c.reader() ? "reader stopped" : "poll") << (c.rename ? ", renamed" : ""));
    TempDir dir;
    const std::string file = dir.Write("00000_new.zev", std::string(kHeader) + Lines(0, 24));
    zv::test::WritePausingConverter(dir.path(), file, Lines(24, 24), Lines(48, 24), lock);
    ConverterStarter starter(c.mode, dir.path(), "bins/x.bin");
    ASSERT_TRUE(zv::test::WaitForFile(dir.File(c.ready_file())));

    CNode node;
    Load(node, file);
    node.header.SetString("N", "00042");
    node.rename_flag = c.rename;
    // Given up on: the file is as the converter left it so far.
    CNode::RewriteOptions impatient;
    impatient.lock_wait.bound = std::chrono::milliseconds(30);
    CNode::RewriteFailure failure;
    EXPECT_FALSE(node.RewriteHeader(&failure, impatient));
    EXPECT_EQ(failure.error, CNode::RewriteError::kBusy);
    EXPECT_EQ(TempDir::Read(file), kHeader + Lines(0, 48));

    CNode::RewriteOptions options;
    options.lock_wait.idle = [&] { zv::test::LetConverterGoOn(dir.path()); };
    ASSERT_TRUE(node.RewriteHeader(&failure, options)) << failure.message;
    zv::test::LetConverterGoOn(dir.path());
    ASSERT_TRUE(zv::test::WaitForFile(dir.File("finished")));
    EXPECT_EQ(node.path, dir.File(c.rename ? "00042_new.zev" : "00000_new.zev"));
    EXPECT_EQ(TempDir::Read(node.path), node.header.Serialize() + Lines(0, 72));
  }
}

TEST(RewriteUnderConverterLock, ALineAppendedDuringTheRewriteIsNeverLost) {
  ExpectNoLineLostBesideAConverter(zv::test::InheritedLock::kKept);
}

// A converter that loses the locked descriptor it inherited (a wrapper that
// opens its output on descriptor 3, a runner that closes every inherited
// descriptor) is still waited for: a stopped reader keeps its own hold until
// the converter has ended.
TEST(RewriteUnderConverterLock, AConverterThatDropsItsInheritedLockIsWaitedForAllTheSame) {
  for (const zv::test::InheritedLock lock : zv::test::kLostInheritedLocks) {
    SCOPED_TRACE(zv::test::InheritedLockName(lock));
    ExpectNoLineLostBesideAConverter(lock);
  }
}

// A writer outside our programs takes no lock: a change between the read and
// the commit makes the rewrite read the file again, and a file that keeps
// changing is left alone.
TEST(RewriteUnderConverterLock, AFileChangedMeanwhileIsReadAgainOrLeftAlone) {
  TempDir dir;
  const std::string file = dir.Write("00000_new.zev", std::string(kHeader) + Lines(0, 2));
  CNode node;
  Load(node, file);
  node.header.SetString("NAME", "school");
  const auto append = [&](int hour) {
    std::FILE* f = std::fopen(file.c_str(), "ab");
    std::fputs(Lines(hour, 1).c_str(), f);
    std::fclose(f);
  };
  CNode::RewriteOptions once;
  once.before_commit = [&](int attempt) {
    if (attempt == 0) append(2);
  };
  ASSERT_TRUE(node.RewriteHeader(nullptr, once));
  EXPECT_EQ(TempDir::Read(file), node.header.Serialize() + Lines(0, 3));

  const std::string before = TempDir::Read(file);
  int attempts = 0;
  CNode::RewriteOptions always;
  always.before_commit = [&](int) { append(3 + attempts++); };
  CNode::RewriteFailure failure;
  EXPECT_FALSE(node.RewriteHeader(&failure, always));
  EXPECT_EQ(failure.error, CNode::RewriteError::kBusy);
  EXPECT_EQ(attempts, 3);
  EXPECT_EQ(TempDir::Read(file), before + Lines(3, 3));  // only the writer's lines came
}

// A line a converter was cut off in stays unended through a rewrite: with a
// line end it would count as a record of the wrong figures.
TEST(RewriteUnderConverterLock, AnUnfinishedLastLineStaysUnended) {
  const std::string line = Lines(2, 1);
  for (const std::string& tail : {line.substr(0, line.size() / 2), line.substr(0, line.size() - 2)}) {
    TempDir dir;
    CNode node;
    Load(node, dir.Write("00000_new.zev", kHeader + Lines(0, 2) + tail));
    node.header.SetString("NAME", "school");
    ASSERT_TRUE(node.RewriteHeader());
    const bool whole = tail.size() == line.size() - 2;
    EXPECT_EQ(TempDir::Read(node.path), node.header.Serialize() + Lines(0, 2) + (whole ? line : tail));
  }
}

// Before the converter appends, the file's last line is ended cleanly.
TEST(EndFileCleanly, CutsAnUnfinishedLineAndEndsAWholeOne) {
  const std::string whole = Lines(0, 1).substr(0, Lines(0, 1).size() - 2);  // without CR LF
  const std::string no_code = whole.substr(0, whole.rfind('\t'));
  const std::string cut = whole.substr(0, whole.find("\t0.11"));  // 11 of 18 values
  struct Case {
    const char* what;
    std::string data;
    std::string after;
  };
  const Case cases[] = {
      {"cut line", Lines(1, 2) + cut, Lines(1, 2)},
      {"cut in the time", Lines(1, 2) + whole.substr(0, 13), Lines(1, 2)},
      {"whole line", Lines(1, 2) + whole, Lines(1, 2) + whole + "\r\n"},
      {"whole without code", Lines(1, 2) + no_code, Lines(1, 2) + no_code + "\r\n"},
      {"whole, CR", Lines(1, 2) + whole + "\r", Lines(1, 2) + whole + "\r\n"},
      {"ended", Lines(1, 2), Lines(1, 2)},
      {"only a cut line", cut, ""},
      {"no data", "", ""},
      {"other text", Lines(1, 1) + "note", Lines(1, 1) + "note\r\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    CNode node;
    node.path = dir.Write("00042_a.zev", kHeader + c.data);
    EXPECT_TRUE(node.EndFileCleanly()) << c.what;
    EXPECT_EQ(TempDir::Read(node.path), kHeader + c.after) << c.what;
  }
  // The separator without its line end is no data line and stays.
  TempDir dir;
  CNode node;
  node.path = dir.Write("00042_a.zev", "V\t4\r\n$");
  EXPECT_TRUE(node.EndFileCleanly());
  EXPECT_EQ(TempDir::Read(node.path), "V\t4\r\n$");
}

}  // namespace
