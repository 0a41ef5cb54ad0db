#include "data/node_file_name.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/cp1251.h"

namespace {

using zv::NodeFileNameCheck;

TEST(NodeFileName, CheckAndBuild) {
  struct Case {
    std::string n;
    std::string name;
    NodeFileNameCheck check;
    const char* file;  // on disk (UTF-8) when the check passes
  } cases[] = {
      {"00012", "A", NodeFileNameCheck::kOk, "00012_A.zev"},
      {"00012", "", NodeFileNameCheck::kOk, "00012_data.zev"},
      {"00012", zv::W1251("Школа 3"), NodeFileNameCheck::kOk, "00012_Школа 3.zev"},
      {"00012", "..", NodeFileNameCheck::kOk, "00012_...zev"},  // stays a plain name in the folder
      {"00012", "<a:b>|\"", NodeFileNameCheck::kOk, "00012_<a:b>|\".zev"},  // the dialogs' concern, not the disk's
      {"0", "A", NodeFileNameCheck::kOk, "0_A.zev"},
      {"", "A", NodeFileNameCheck::kBadNumber, nullptr},
      {"12a", "A", NodeFileNameCheck::kBadNumber, nullptr},
      {"-1", "A", NodeFileNameCheck::kBadNumber, nullptr},
      {"../1", "A", NodeFileNameCheck::kBadNumber, nullptr},
      {" 12", "A", NodeFileNameCheck::kBadNumber, nullptr},
      {"/tmp/x.zev", "A", NodeFileNameCheck::kBadNumber, nullptr},  // a missing node keeps its path as N
      {"00012", "../x", NodeFileNameCheck::kBadName, nullptr},
      {"00012", "a/b", NodeFileNameCheck::kBadName, nullptr},
      {"00012", "a\\b", NodeFileNameCheck::kBadName, nullptr},
      {"00012", std::string("a\0b", 3), NodeFileNameCheck::kBadName, nullptr},
      {"00012", "a\tb", NodeFileNameCheck::kBadName, nullptr},
      {"00012", "a\r\n", NodeFileNameCheck::kBadName, nullptr},
      {"00012", "a\x7F", NodeFileNameCheck::kBadName, nullptr},
      {"00012", std::string(245, 'x'), NodeFileNameCheck::kOk, nullptr},  // exactly 255 bytes
      {"00012", std::string(246, 'x'), NodeFileNameCheck::kTooLong, nullptr},
      {std::string(300, '1'), "A", NodeFileNameCheck::kBadNumber, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.n + " / " + zv::Cp1251ToUtf8(c.name));
    EXPECT_EQ(zv::CheckNodeFileName(c.n, c.name), c.check);
    std::optional<std::string> file = zv::BuildNodeFileName(c.n, c.name);
    EXPECT_EQ(file.has_value(), c.check == NodeFileNameCheck::kOk);
    if (file) {
      EXPECT_LE(file->size(), 255u);
      if (c.file) {
        EXPECT_EQ(*file, c.file);
      }
    }
  }
  // Cyrillic takes two bytes a letter on disk.
  EXPECT_EQ(zv::CheckNodeFileName("00012", std::string(122, '\xC0')), NodeFileNameCheck::kOk);
  EXPECT_EQ(zv::CheckNodeFileName("00012", std::string(123, '\xC0')), NodeFileNameCheck::kTooLong);
}

TEST(NodeFileName, PathsInTheNodesFolder) {
  EXPECT_EQ(zv::NodeFolderPrefix("/data/nodes/00000_new.zev"), "/data/nodes/");
  EXPECT_EQ(zv::NodeFolderPrefix("00000_new.zev"), "");
  EXPECT_EQ(zv::NodeFolderPrefix("/x.zev"), "/");

  EXPECT_EQ(zv::BuildNodeFilePath("/data/nodes/00000_new.zev", "00042", "School 3"),
            "/data/nodes/00042_School 3.zev");
  EXPECT_EQ(zv::BuildNodeFilePath("00000_new.zev", "00042", ""), "00042_data.zev");
  EXPECT_FALSE(zv::BuildNodeFilePath("/data/nodes/00000_new.zev", "00042", "../../etc/x").has_value());

  EXPECT_EQ(zv::JournalFilePath("/data/nodes/00012_A.zev", "00012"), "/data/nodes/00012.zvj");
  EXPECT_EQ(zv::JournalFilePath("00012_A.zev", "00012"), "00012.zvj");
  EXPECT_FALSE(zv::JournalFilePath("/data/nodes/00012_A.zev", "").has_value());
  EXPECT_FALSE(zv::JournalFilePath("/data/nodes/00012_A.zev", "../../etc/passwd").has_value());
  EXPECT_TRUE(zv::IsValidNodeNumber("00012"));
  EXPECT_FALSE(zv::IsValidNodeNumber("0001 2"));
}

}  // namespace
