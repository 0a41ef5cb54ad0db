#include "links/node.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "links/node_status.h"
#include "platform/cp1251.h"
#include "platform/text_lines.h"
#include "tests/sim/status_recorder.h"
#include "tests/support/temp_dir.h"

namespace {

using zv::test::TempDir;
using RewriteError = CNode::RewriteError;

std::vector<std::string> FolderNames(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(Node, StartsEmptyWithItsOwnId) {
  CNode a;
  CNode b;
  EXPECT_TRUE(a.path.empty());
  EXPECT_EQ(a.header.form(), CDataHeader::kWorkstation);
  EXPECT_EQ(a.header.GetString("N"), "");
  EXPECT_EQ(a.status.load(), 0);
  EXPECT_EQ(a.tries, 0);
  EXPECT_EQ(a.last_record, DateStamp());
  EXPECT_FALSE(a.rename_flag);
  EXPECT_NE(a.id(), zv::kNoNode);
  EXPECT_NE(a.id(), b.id());
}

TEST(NodeStatus, EveryNodeStatusHasItsOwnText) {
  std::vector<std::string> texts;
  for (int id = 129; id <= 145; ++id) {
    const std::string text = zv::node_status::Text(id);
    if (id == 140) {
      EXPECT_EQ(text, "") << "140 is the status pane, not a node status";
      continue;
    }
    EXPECT_FALSE(text.empty()) << id;
    EXPECT_EQ(std::count(texts.begin(), texts.end(), text), 0) << id;
    texts.push_back(text);
  }
  EXPECT_EQ(zv::node_status::Text(zv::node_status::kFailure), "\xD1\xE1\xEE\xE9");  // "Сбой"
  EXPECT_EQ(zv::node_status::Text(zv::node_status::kOk), "OK");
  EXPECT_EQ(zv::node_status::Text(0), "");
}

// A receiver that reads the node when the report comes must find the new status.
class CheckingSink : public zv::StatusSink {
 public:
  explicit CheckingSink(const CNode& node) : node_(node) {}
  void OnNodeStatus(zv::NodeId id, int status, int percent) override {
    seen.push_back({id, node_.status.load(), percent});
    reported.push_back(status);
  }
  std::vector<zv::sim::StatusEvent> seen;
  std::vector<int> reported;

 private:
  const CNode& node_;
};

TEST(Node, PostStatusWritesTheNodeBeforeReporting) {
  CNode node;
  CheckingSink sink(node);
  node.PostStatus(zv::node_status::kReading, 0, sink);
  node.PostStatus(zv::node_status::kReading, 42, sink);
  node.PostStatus(zv::node_status::kOk, 0, sink);
  const std::vector<zv::sim::StatusEvent> expected = {
      {node.id(), 130, 0}, {node.id(), 130, 42}, {node.id(), 134, 0}};
  EXPECT_EQ(sink.seen, expected);
  EXPECT_EQ(sink.reported, (std::vector<int>{130, 130, 134}));
  EXPECT_EQ(node.status.load(), 134);
}

// A node file in a test folder, its node loaded with the header as the
// workstation reads it.
class RewriteTest : public ::testing::Test {
 protected:
  static constexpr const char* kOldHeader = "N\t00000\r\nNAME\tnew\r\nPHONE\t555\r\nOLDKEY\tx\r\n$\r\n";
  static constexpr const char* kData = "01.03.2024 00:00\t1\t2\r\n01.03.2024 01:00\t3\t4\r\n";

  CNode& Load(const std::string& name, const std::string& content) {
    node_.path = dir_.Write(name, content);
    node_.header = CDataHeader(CDataHeader::kWorkstation);
    zv::TextLineReader in(node_.path);
    node_.header.Read(in);
    return node_;
  }
  std::string Expected(const CNode& node, const std::string& data) const { return node.header.Serialize() + data; }

  TempDir dir_;
  CNode node_;
};

TEST_F(RewriteTest, RenameGivesTheFileItsNumberAndName) {
  CNode& node = Load("00000_new.zev", std::string(kOldHeader) + kData);
  node.header.SetString("N", "00042");
  node.header.SetString("NAME", zv::W1251("Школа 3"));
  node.rename_flag = true;
  CNode::RewriteFailure failure;
  ASSERT_TRUE(node.RewriteHeader(&failure)) << failure.message;
  const std::string target = dir_.File("00042_Школа 3.zev");  // on disk: UTF-8
  EXPECT_EQ(node.path, target);
  EXPECT_EQ(FolderNames(dir_), std::vector<std::string>{"00042_Школа 3.zev"});
  EXPECT_EQ(TempDir::Read(target), Expected(node, kData));
}

TEST_F(RewriteTest, EmptyNameUsesData) {
  CNode& node = Load("00000_new.zev", std::string(kOldHeader) + kData);
  node.header.SetString("N", "00042");
  node.header.SetString("NAME", "");
  node.rename_flag = true;
  ASSERT_TRUE(node.RewriteHeader());
  EXPECT_EQ(node.path, dir_.File("00042_data.zev"));
  EXPECT_EQ(TempDir::Read(node.path), Expected(node, kData));
  EXPECT_EQ(FolderNames(dir_).size(), 1u);
}

TEST_F(RewriteTest, PathWithoutFolderStaysWithoutFolder) {
  Load("00000_new.zev", std::string(kOldHeader) + kData);
  const std::filesystem::path cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir_.path());
  node_.path = "00000_new.zev";
  node_.header.SetString("N", "00042");
  node_.header.SetString("NAME", "x");
  node_.rename_flag = true;
  const bool ok = node_.RewriteHeader();
  std::filesystem::current_path(cwd);
  ASSERT_TRUE(ok);
  EXPECT_EQ(node_.path, "00042_x.zev");
  EXPECT_EQ(FolderNames(dir_), std::vector<std::string>{"00042_x.zev"});
}

TEST_F(RewriteTest, InPlaceWhenTheNameStaysOrNoRenameIsAsked) {
  for (bool rename : {true, false}) {
    CNode& node = Load("00042_School.zev", std::string(kOldHeader) + kData);
    node.header.SetString("N", rename ? "00042" : "00077");  // without the flag N does not matter
    node.header.SetString("NAME", "School");
    node.header.SetString("PHONE", "777");
    node.rename_flag = rename;
    const std::string before = node.path;
    ASSERT_TRUE(node.RewriteHeader()) << rename;
    EXPECT_EQ(node.path, before);
    EXPECT_EQ(FolderNames(dir_), std::vector<std::string>{"00042_School.zev"}) << "temporary file left";
    const std::string now = TempDir::Read(before);
    EXPECT_EQ(now, Expected(node, kData));
    EXPECT_NE(now.find("PHONE\t777\r\n"), std::string::npos);
  }
}

TEST_F(RewriteTest, DataLinesAreKeptWithCrLfAndTheOldHeaderIsReplaced) {
  // LF and CR LF lines, a CR inside a line, bytes of Windows-1251, a separator
  // with trailing blanks, and a last line without its end.
  const std::string file = "N\t00042\nNAME\tA\nOLDKEY\tgone\n$ \t\r\nline 1\nline 2\r\nmid\rcr\n\xC4\xE0\xED\xED\xFB\n$\nlast";
  CNode& node = Load("00042_A.zev", file);
  node.header = CDataHeader(CDataHeader::kWorkstation);
  node.header.SetString("N", "00042");
  node.header.SetString("NAME", "A");
  ASSERT_TRUE(node.RewriteHeader());
  const std::string now = TempDir::Read(node.path);
  EXPECT_EQ(now, node.header.Serialize() + "line 1\r\nline 2\r\nmid\rcr\r\n\xC4\xE0\xED\xED\xFB\r\n$\r\nlast\r\n");
  EXPECT_EQ(now.find("OLDKEY"), std::string::npos);
}

TEST_F(RewriteTest, ExistingOtherNodeFileIsNeverTouched) {
  const std::string other = dir_.Write("00042_School.zev", "N\t00042\r\nNAME\tSchool\r\n$\r\nprecious data\r\n");
  const std::string content = std::string(kOldHeader) + kData;
  CNode& node = Load("00000_new.zev", content);
  node.header.SetString("N", "00042");
  node.header.SetString("NAME", "School");
  node.rename_flag = true;
  CNode::RewriteFailure failure;
  EXPECT_FALSE(node.RewriteHeader(&failure));
  EXPECT_EQ(failure.error, RewriteError::kTargetExists);
  EXPECT_NE(failure.message.find("00042_School.zev"), std::string::npos);
  EXPECT_EQ(TempDir::Read(other), "N\t00042\r\nNAME\tSchool\r\n$\r\nprecious data\r\n");
  EXPECT_EQ(TempDir::Read(node.path), content);
  EXPECT_EQ(node.path, dir_.File("00000_new.zev"));
  EXPECT_EQ(FolderNames(dir_).size(), 2u);
}

constexpr const char* kNoSeparatorText = "В файле узла нет строки \"$\"";
constexpr const char* kBadNameText = "Недопустимое имя файла узла";

struct RefusalCase {
  const char* what;
  const char* file;  // content of 00000_new.zev
  const char* n;
  const char* name;
  bool rename;
  RewriteError error;
  const char* named;   // how the message names the file ("": the node file's path)
  const char* reason;  // UTF-8
};

TEST_F(RewriteTest, RefusalsLeaveTheFileByteIdentical) {
  const RefusalCase cases[] = {
      {"no separator", "N\t00000\r\nNAME\tnew\r\ndata 1\r\ndata 2\r\n", "00000", "new", false, RewriteError::kNoSeparator,
       "", kNoSeparatorText},
      {"no separator, rename", "N\t00000\r\ndata\r\n", "00042", "x", true, RewriteError::kNoSeparator, "",
       kNoSeparatorText},
      {"separator only with a leading blank", "N\t1\r\n $\r\ndata\r\n", "1", "x", false, RewriteError::kNoSeparator, "",
       kNoSeparatorText},
      {"name leaves the folder", "N\t0\r\n$\r\nd\r\n", "00042", "../evil", true, RewriteError::kBadName, "00042_../evil",
       kBadNameText},
      {"number not digits", "N\t0\r\n$\r\nd\r\n", "42/..", "x", true, RewriteError::kBadName, "42/.._x", kBadNameText},
      {"empty number", "N\t0\r\n$\r\nd\r\n", "", "x", true, RewriteError::kBadName, "_x", kBadNameText},
  };
  for (const RefusalCase& c : cases) {
    CNode node;
    node.path = dir_.Write("00000_new.zev", c.file);
    node.header.SetString("N", c.n);
    node.header.SetString("NAME", c.name);
    node.rename_flag = c.rename;
    CNode::RewriteFailure failure;
    EXPECT_FALSE(node.RewriteHeader(&failure)) << c.what;
    EXPECT_EQ(failure.error, c.error) << c.what;
    const std::string named = *c.named != '\0' ? std::string(c.named) : node.path;
    EXPECT_NE(failure.message.find(named), std::string::npos) << c.what << ": " << failure.message;
    EXPECT_NE(failure.message.find(zv::W1251(c.reason)), std::string::npos) << c.what;
    EXPECT_EQ(TempDir::Read(node.path), c.file) << c.what;
    EXPECT_EQ(node.path, dir_.File("00000_new.zev")) << c.what;
    EXPECT_EQ(FolderNames(dir_), std::vector<std::string>{"00000_new.zev"}) << c.what;
  }
}

// A node file whose reading breaks off, in its header or among its data
// lines, is left byte for byte as it was, under either kind of rewrite, and
// the message tells which file and why.
TEST_F(RewriteTest, AReadFailureLeavesTheOldFileIntact) {
  const std::string content = std::string(kOldHeader) + kData;
  for (int good_lines : {2, 6}) {
    for (bool rename : {false, true}) {
      SCOPED_TRACE(std::to_string(good_lines) + (rename ? " rename" : " in place"));
      CNode& node = Load("00000_new.zev", content);
      node.header.SetString("N", "00042");
      node.rename_flag = rename;
      CNode::RewriteFailure failure;
      {
        const zv::ScopedLineReadFault fault(node.path, good_lines);
        EXPECT_FALSE(node.RewriteHeader(&failure));
      }
      EXPECT_EQ(failure.error, RewriteError::kCannotOpen);
      EXPECT_NE(failure.message.find(dir_.File("00000_new.zev")), std::string::npos) << failure.message;
      EXPECT_NE(failure.message.find(std::strerror(EIO)), std::string::npos) << failure.message;
      EXPECT_EQ(TempDir::Read(dir_.File("00000_new.zev")), content);
      EXPECT_EQ(node.path, dir_.File("00000_new.zev"));
      EXPECT_EQ(FolderNames(dir_), std::vector<std::string>{"00000_new.zev"});
    }
  }
}

TEST_F(RewriteTest, MissingFileIsReported) {
  CNode node;
  node.path = dir_.File("00042_gone.zev");
  CNode::RewriteFailure failure;
  EXPECT_FALSE(node.RewriteHeader(&failure));
  EXPECT_EQ(failure.error, RewriteError::kCannotOpen);
  EXPECT_TRUE(FolderNames(dir_).empty());
}

// A write that fails half-way (here: the file size limit) leaves the old file
// whole and no temporary file behind, under either kind of rewrite.
TEST_F(RewriteTest, FailedWriteLeavesTheOldFileIntact) {
  std::string big_data;
  for (int i = 0; i < 2000; ++i) big_data += "01.03.2024 00:00\t1\t2\t3\t4\t5\t6\r\n";
  const std::string content = std::string(kOldHeader) + big_data;
  for (bool rename : {false, true}) {
    CNode& node = Load("00000_new.zev", content);
    node.header.SetString("N", "00042");
    node.rename_flag = rename;
    rlimit old_limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old_limit;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    CNode::RewriteFailure failure;
    const bool ok = node.RewriteHeader(&failure);
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_FALSE(ok) << rename;
    EXPECT_EQ(failure.error, RewriteError::kCannotWrite) << rename;
    EXPECT_EQ(TempDir::Read(dir_.File("00000_new.zev")), content) << rename;
    EXPECT_EQ(node.path, dir_.File("00000_new.zev")) << rename;
    EXPECT_EQ(FolderNames(dir_), std::vector<std::string>{"00000_new.zev"}) << rename;
  }
}

}  // namespace
