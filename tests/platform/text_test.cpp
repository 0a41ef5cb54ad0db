#include <gtest/gtest.h>

#include "platform/ascii.h"
#include "platform/atomic_file.h"
#include "platform/text_lines.h"
#include "tests/support/fifo_watchdog.h"
#include "tests/support/temp_dir.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

namespace {

TEST(Ascii, TrimAndCaseLeaveHighBytesAlone) {
  EXPECT_EQ(zv::Trim(" \t\r\nab c\v\f "), "ab c");
  EXPECT_EQ(zv::Trim("\xA0x\xA0"), "\xA0x\xA0");  // no-break space is not a blank here
  EXPECT_EQ(zv::TrimLeft("  a "), "a ");
  EXPECT_EQ(zv::TrimRight("  a "), "  a");
  EXPECT_EQ(zv::ToUpperAscii("abc\xE0\xFFz"), "ABC\xE0\xFFZ");
  EXPECT_EQ(zv::ToLowerAscii("ABC\xC0\xDFZ"), "abc\xC0\xDFz");
  EXPECT_TRUE(zv::EqualsNoCase("DataShow", "DATASHOW"));
  EXPECT_FALSE(zv::EqualsNoCase("\xC0", "\xE0"));  // А and а are not folded
  EXPECT_TRUE(zv::StartsWithNoCase("com3", "COM"));
}

TEST(Ascii, FileExtension) {
  EXPECT_EQ(zv::FileExtension("a/b.c/node.ZEV"), "ZEV");
  EXPECT_EQ(zv::FileExtension("a/b.c/node"), "");
  EXPECT_EQ(zv::FileExtension("x.tar.gr"), "gr");
}

TEST(TextLines, ReadsLfAndCrLfAndKeepsBytes) {
  zv::test::TempDir dir;
  static const char kText[] = "a\r\nb\n\xCF\xF0\x00z\r\n\r\nlast\rx";
  const std::string text(kText, sizeof kText - 1);
  std::string p = dir.Write("t.txt", text);
  zv::TextLineReader r(p);
  ASSERT_TRUE(r.IsOpen());
  std::vector<std::string> got;
  std::string line;
  while (r.Next(line)) got.push_back(line);
  ASSERT_EQ(got.size(), 5u);
  EXPECT_EQ(got[0], "a");
  EXPECT_EQ(got[1], "b");
  EXPECT_EQ(got[2], std::string("\xCF\xF0\x00z", 4));
  EXPECT_EQ(got[3], "");
  EXPECT_EQ(got[4], "last\rx");
  EXPECT_FALSE(r.Failed());
  EXPECT_EQ(zv::SplitLines(text), got);
}

TEST(TextLines, LongLineAndMissingFile) {
  zv::test::TempDir dir;
  std::string big(3 * 1024 * 1024, 'q');
  std::string p = dir.Write("big.txt", big + "\r\nend");
  zv::TextLineReader r(p);
  std::string line;
  ASSERT_TRUE(r.Next(line));
  EXPECT_EQ(line.size(), big.size());
  ASSERT_TRUE(r.Next(line));
  EXPECT_EQ(line, "end");
  EXPECT_FALSE(r.Next(line));
  zv::TextLineReader missing(dir.File("none"));
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_FALSE(missing.Next(line));
}

// A FIFO or a folder named as a file is refused at once, never waited on;
// a regular file reads as ever.
TEST(TextLines, OnlyRegularFilesAreOpenedForReading) {
  zv::test::TempDir dir;
  zv::test::FifoWatchdog fifo(dir.File("fifo.zev"));
  ASSERT_TRUE(fifo.made());
  for (const auto& [path, why] : {std::pair{fifo.path(), EINVAL}, std::pair{dir.path(), EISDIR}}) {
    SCOPED_TRACE(path);
    errno = 0;
    zv::TextLineReader r(path);
    EXPECT_FALSE(r.IsOpen());
    EXPECT_EQ(errno, why);
    std::string bytes = "old";
    int error = 0;
    EXPECT_FALSE(zv::ReadWholeFile(path, bytes, &error));
    EXPECT_EQ(error, why);
    EXPECT_TRUE(bytes.empty());
    errno = 0;
    EXPECT_EQ(zv::OpenRegularFileForReading(path), -1);
    EXPECT_EQ(errno, why);
  }
  EXPECT_FALSE(fifo.ReaderWasStuck());

  const std::string file = dir.Write("a.zev", "N\t1\r\n");
  const int fd = zv::OpenRegularFileForReading(file);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
  EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
  ::close(fd);
  std::string bytes;
  EXPECT_TRUE(zv::ReadWholeFile(file, bytes));
  EXPECT_EQ(bytes, "N\t1\r\n");
}

TEST(TextLines, WriterEndsLinesWithCrLf) {
  zv::test::TempDir dir;
  zv::TextLineWriter w;
  ASSERT_TRUE(w.Open(dir.File("o.txt")));
  w.WriteLine("N=00042");
  w.WriteLine("");
  w.WriteLine("\xCD\xE8\xE6\xED\xE8\xE9");
  ASSERT_TRUE(w.Close());
  EXPECT_EQ(zv::test::TempDir::Read(dir.File("o.txt")), "N=00042\r\n\r\n\xCD\xE8\xE6\xED\xE8\xE9\r\n");
}

TEST(AtomicFile, ReplacesWholeOrNothing) {
  zv::test::TempDir dir;
  std::string target = dir.Write("f.txt", "old");
  {
    zv::AtomicFile f(target);
    ASSERT_TRUE(f.Open());
    f.Write("new");
    EXPECT_EQ(zv::test::TempDir::Read(target), "old");  // not yet
    // dropped without commit: the old file stays, no temporary file is left
  }
  EXPECT_EQ(zv::test::TempDir::Read(target), "old");
  ASSERT_TRUE(zv::WriteFileAtomically(target, "new"));
  EXPECT_EQ(zv::test::TempDir::Read(target), "new");
  // Only the target is in the folder.
  int count = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) (void)e, ++count;
  EXPECT_EQ(count, 1);
  // A folder that does not exist: failure, reported.
  std::string err;
  EXPECT_FALSE(zv::WriteFileAtomically(dir.File("no/such/f.txt"), "x", &err));
  EXPECT_FALSE(err.empty());
}

TEST(AtomicFile, FailedRenameLeavesTargetAndReports) {
  zv::test::TempDir dir;
  std::string target = dir.Write("f.txt", "old");
  zv::AtomicFile f(target);
  ASSERT_TRUE(f.Open());
  f.Write("new");
  // The final name is an existing folder that is not empty: rename must fail.
  ::mkdir(dir.File("sub").c_str(), 0755);
  dir.Write("sub/x", "x");
  EXPECT_FALSE(f.CommitAs(dir.File("sub")));
  EXPECT_EQ(zv::test::TempDir::Read(target), "old");
  EXPECT_FALSE(f.error().empty());
}

TEST(AtomicFile, CommitAsNewNeverReplaces) {
  zv::test::TempDir dir;
  std::string target = dir.Write("a.txt", "old a");
  std::string other = dir.Write("b.txt", "old b");
  zv::AtomicFile f(target);
  ASSERT_TRUE(f.Open());
  f.Write("new");
  EXPECT_FALSE(f.CommitAsNew(other));
  EXPECT_EQ(zv::test::TempDir::Read(other), "old b");
  EXPECT_EQ(zv::test::TempDir::Read(target), "old a");
  EXPECT_FALSE(f.error().empty());
  ASSERT_TRUE(f.Open());
  f.Write("new");
  EXPECT_TRUE(f.CommitAsNew(dir.File("c.txt"))) << f.error();
  EXPECT_EQ(zv::test::TempDir::Read(dir.File("c.txt")), "new");
  int count = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) (void)e, ++count;
  EXPECT_EQ(count, 3);  // a, b, c: no temporary file left behind
}

TEST(Paths, DirAndBaseName) {
  EXPECT_EQ(zv::DirName("a/b/c.zev"), "a/b");
  EXPECT_EQ(zv::DirName("c.zev"), ".");
  EXPECT_EQ(zv::DirName("/c.zev"), "/");
  EXPECT_EQ(zv::BaseName("a/b/c.zev"), "c.zev");
}

}  // namespace
