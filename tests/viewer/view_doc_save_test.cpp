// Writing the node file back: the header anew, the data lines kept or with
// newly evaluated codes, the rename after N and NAME, and the failures that
// must leave the file exactly as it was.
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "data/error_reevaluation.h"
#include "platform/ascii.h"
#include "platform/cp1251.h"
#include "platform/paths.h"
#include "platform/text_lines.h"
#include "tests/viewer/view_doc_fixture.h"

namespace {

using zv::test::Hour;
using zv::test::TempDir;
using zv::test::ViewDocTest;

// The bytes after the first line that trims to "$".
std::string DataSection(const std::string& text) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t lf = text.find('\n', pos);
    if (lf == std::string::npos) lf = text.size();
    if (zv::TrimView(std::string_view(text).substr(pos, lf - pos)) == "$") return text.substr(lf + 1);
    pos = lf + 1;
  }
  return {};
}

CDataHeader HeaderOf(const std::string& path) {
  CDataHeader h(CDataHeader::kViewer);
  zv::TextLineReader in(path);
  h.Read(in);
  return h;
}

std::vector<std::string> FolderFiles(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class ViewDocSaveTest : public ViewDocTest {
 protected:
  // A node 00012 "A" with three days of data, opened for two of them.
  std::string OpenNode(zv::sim::NodeFilePlan plan = Series()) {
    plan.header.Set("NAME", name_);
    const std::string path = Write(plan);
    original_ = TempDir::Read(path);
    EXPECT_TRUE(Open(path, Hour(2024, 3, 1), Hour(2024, 3, 2)));
    return path;
  }
  static zv::sim::NodeFilePlan Series() {
    zv::sim::NodeFilePlan plan;
    plan.data = zv::sim::HourlySeries::Between(Hour(2024, 2, 29, 20), Hour(2024, 3, 3, 4));
    plan.data.error_code = zv::sim::ErrorEvery(5, 0x8000 | 0x0004);
    return plan;
  }

  std::string name_ = "A";
  std::string original_;
};

TEST_F(ViewDocSaveTest, WithoutSchemeChangeTheDataLinesStayByteForByte) {
  for (bool lf : {false, true}) {
    zv::sim::NodeFilePlan plan = Series();
    plan.lf_ends = lf;
    plan.trailing_lines = {"", "  junk without a tab  ", "\t"};  // copied too
    const std::string path = OpenNode(plan);
    doc.header.SetInt("UCONTROL", 1);
    doc.header.SetColumnIds(1, {0, 1, 4});
    ASSERT_TRUE(doc.OnSaveDocument(path));
    const std::string saved = TempDir::Read(path);
    std::string expected = DataSection(original_);
    if (lf) {
      std::string crlf;
      for (const std::string& l : zv::SplitLines(expected)) crlf += l + "\r\n";
      expected = crlf;
    }
    EXPECT_EQ(DataSection(saved), expected) << "LF " << lf;
    EXPECT_EQ(saved.substr(0, saved.size() - DataSection(saved).size()), doc.header.Serialize());
    EXPECT_EQ(HeaderOf(path).GetInt("UCONTROL"), 1);
    EXPECT_EQ(HeaderOf(path).ColumnList(1), (std::vector<int>{0, 1, 4}));
    EXPECT_EQ(doc.GetPathName(), path);
  }
  EXPECT_TRUE(messages.texts().empty());
}

TEST_F(ViewDocSaveTest, SchemeChangeEvaluatesEveryErrorCodeAnew) {
  const std::string path = OpenNode();
  doc.header.SetInt("SCHEMA", 12);
  doc.recompute = 1;
  ASSERT_TRUE(doc.OnSaveDocument(path));
  EXPECT_EQ(doc.recompute, 0);
  const std::vector<std::string> before = zv::SplitLines(DataSection(original_));
  const std::vector<std::string> after = zv::SplitLines(DataSection(TempDir::Read(path)));
  EXPECT_EQ(after, zv::ReevaluateErrorCodes(before, 4, 12));
  EXPECT_NE(after, before);  // the 0x0004 bits are gone, 0x8000 stays
  EXPECT_EQ(after[4].substr(after[4].rfind('\t')), "\t32768");
}

TEST_F(ViewDocSaveTest, NewNameRenamesTheFileAndThePathFollows) {
  const std::string path = OpenNode();
  ASSERT_EQ(path, dir.File("00012_A.zev"));
  doc.header.SetString("NAME", "B");
  ASSERT_TRUE(doc.OnSaveDocument(path));
  const std::string renamed = dir.File("00012_B.zev");
  EXPECT_EQ(doc.GetPathName(), renamed);
  ASSERT_EQ(path_changes.size(), 1u);
  EXPECT_EQ(path_changes[0].first, QString::fromStdString(renamed));
  EXPECT_TRUE(path_changes[0].second);  // into the recent files
  EXPECT_EQ(FolderFiles(dir.path()), std::vector<std::string>{"00012_B.zev"});
  EXPECT_EQ(DataSection(TempDir::Read(renamed)), DataSection(original_));
  EXPECT_EQ(doc.GetTitle(), "00012 B");
  // An empty NAME gives "data".
  doc.header.SetString("NAME", "");
  ASSERT_TRUE(doc.OnSaveDocument(renamed));
  EXPECT_EQ(doc.GetPathName(), dir.File("00012_data.zev"));
  EXPECT_TRUE(messages.texts().empty());
}

TEST_F(ViewDocSaveTest, ChangeOfLetterCaseOnlyKeepsTheFileName) {
  name_ = zv::W1251("котельная a");
  const std::string path = OpenNode();
  doc.header.SetString("NAME", zv::W1251("КОТЕЛЬНАЯ A"));
  ASSERT_TRUE(doc.OnSaveDocument(path));
  EXPECT_EQ(doc.GetPathName(), path);
  EXPECT_TRUE(path_changes.empty());
  EXPECT_EQ(FolderFiles(dir.path()), std::vector<std::string>{"00012_котельная a.zev"});
  EXPECT_EQ(HeaderOf(path).GetString("NAME"), zv::W1251("КОТЕЛЬНАЯ A"));
}

TEST_F(ViewDocSaveTest, ExistingTargetOrBadNumberKeepsTheOldPath) {
  const std::string path = OpenNode();
  const std::string other = dir.Write("00012_B.zev", "V\t4\r\nN\t00012\r\nNAME\tB\r\n$\r\nother node\r\n");
  doc.header.SetString("NAME", "B");
  doc.header.SetInt("UCONTROL", 1);
  ASSERT_TRUE(doc.OnSaveDocument(path));
  EXPECT_EQ(TempDir::Read(other), "V\t4\r\nN\t00012\r\nNAME\tB\r\n$\r\nother node\r\n");
  EXPECT_EQ(doc.GetPathName(), path);
  EXPECT_EQ(HeaderOf(path).GetString("NAME"), "B");  // saved under the old name
  EXPECT_EQ(DataSection(TempDir::Read(path)), DataSection(original_));
  ASSERT_EQ(messages.texts().size(), 1u);
  EXPECT_TRUE(messages.texts()[0].contains("00012_B.zev")) << messages.texts()[0].toStdString();

  for (const char* n : {"", "12a", "../12"}) {
    doc.header.SetString("N", n);
    doc.header.SetString("NAME", "C");
    ASSERT_TRUE(doc.OnSaveDocument(path)) << n;
    EXPECT_EQ(doc.GetPathName(), path);
    EXPECT_EQ(HeaderOf(path).GetString("N"), n);
  }
  EXPECT_EQ(FolderFiles(dir.path()), (std::vector<std::string>{"00012_A.zev", "00012_B.zev"}));
}

TEST_F(ViewDocSaveTest, WithoutSeparatorNothingIsSaved) {
  zv::sim::NodeFilePlan plan = Series();
  plan.separator.clear();
  const std::string path = OpenNode(plan);
  messages.Clear();  // the load found no data lines and asked
  doc.header.SetInt("SCHEMA", 12);
  doc.recompute = 1;
  EXPECT_FALSE(doc.OnSaveDocument(path));
  EXPECT_EQ(TempDir::Read(path), original_);
  EXPECT_EQ(doc.recompute, 1);
  ASSERT_EQ(messages.texts().size(), 1u);
  EXPECT_TRUE(messages.texts()[0].startsWith(QString::fromUtf8("Не удается сохранить файл ") +
                                             QString::fromStdString(path) + ".\n"));
  EXPECT_EQ(FolderFiles(dir.path()), std::vector<std::string>{"00012_A.zev"});
}

TEST_F(ViewDocSaveTest, SeparatorWithBlanksKeepsTheDataLines) {
  zv::sim::NodeFilePlan plan = Series();
  plan.separator = " $ ";
  const std::string path = OpenNode(plan);
  EXPECT_EQ(doc.records.size(), 2u * 24 + 2);  // the load took it as the separator too
  doc.header.SetInt("UCONTROL", 1);
  ASSERT_TRUE(doc.OnSaveDocument(path));
  const std::string data = original_.substr(original_.find(" $ \r\n") + 5);
  EXPECT_EQ(DataSection(TempDir::Read(path)), data);
}

TEST_F(ViewDocSaveTest, WriteCutOffLeavesTheFileAsItWas) {
  const std::string path = OpenNode();
  doc.header.SetInt("SCHEMA", 12);
  doc.recompute = 1;
  struct rlimit old_limit {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  void (*old_handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit = old_limit;
  limit.rlim_cur = original_.size() / 2;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  const bool saved = doc.OnSaveDocument(path);
  ::setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_FALSE(saved);
  EXPECT_EQ(TempDir::Read(path), original_);
  EXPECT_EQ(doc.recompute, 1);
  EXPECT_EQ(FolderFiles(dir.path()), std::vector<std::string>{"00012_A.zev"});  // no temporary left
  ASSERT_EQ(messages.texts().size(), 1u);
  EXPECT_TRUE(messages.texts()[0].startsWith(QString::fromUtf8("Не удается сохранить файл ")));
}

TEST_F(ViewDocSaveTest, LinesAppendedWhileSavingSurvive) {
  const std::string path = OpenNode();
  const std::string appended = "03.03.2024\t05:00\t1.00\t2.00\t0\r\n";
  int calls = 0;
  doc.SetBeforeCommitHook([&](int attempt) {
    ++calls;
    if (attempt == 0) std::ofstream(path, std::ios::app | std::ios::binary) << appended;
  });
  doc.header.SetString("NAME", "B");
  ASSERT_TRUE(doc.OnSaveDocument(path));
  EXPECT_EQ(calls, 2);
  const std::string renamed = dir.File("00012_B.zev");
  EXPECT_EQ(DataSection(TempDir::Read(renamed)), DataSection(original_) + appended);
  EXPECT_TRUE(messages.texts().empty());

  // A file that keeps changing: three tries, then a message; nothing is lost.
  doc.SetBeforeCommitHook([&](int) { std::ofstream(renamed, std::ios::app | std::ios::binary) << appended; });
  doc.header.SetInt("UCONTROL", 1);
  EXPECT_FALSE(doc.OnSaveDocument(renamed));
  EXPECT_EQ(DataSection(TempDir::Read(renamed)), DataSection(original_) + appended + appended + appended + appended);
  EXPECT_EQ(HeaderOf(renamed).GetInt("UCONTROL"), 0);
  ASSERT_EQ(messages.texts().size(), 1u);
  EXPECT_EQ(FolderFiles(dir.path()), std::vector<std::string>{"00012_B.zev"});
}

// A file of the new name that turns up after the save looked for one is never
// replaced: the save fails with its message and both files stay as they were.
TEST_F(ViewDocSaveTest, FileOfTheNewNameMadeDuringTheSaveIsKept) {
  const std::string path = OpenNode();
  const std::string renamed = dir.File("00012_B.zev");
  const std::string other = "N\t00012\r\nNAME\tB\r\n$\r\n";
  doc.SetBeforeCommitHook([&](int) {
    if (!zv::FileExists(renamed)) dir.Write("00012_B.zev", other);
  });
  doc.header.SetString("NAME", "B");
  EXPECT_FALSE(doc.OnSaveDocument(path));
  EXPECT_EQ(TempDir::Read(renamed), other);
  EXPECT_EQ(TempDir::Read(path), original_);
  EXPECT_EQ(doc.GetPathName(), path);
  EXPECT_EQ(FolderFiles(dir.path()), (std::vector<std::string>{"00012_A.zev", "00012_B.zev"}));
  ASSERT_EQ(messages.texts().size(), 1u);
  EXPECT_TRUE(messages.texts()[0].startsWith(QString::fromUtf8("Не удается сохранить файл ")));
}

}  // namespace
