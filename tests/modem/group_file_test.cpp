// The group file over bytes: the layout written, what reads back, and damaged
// files that must neither crash nor allocate from an unchecked count.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "modem/group_file.h"

namespace {

std::string Le32(int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  std::string s;
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
  return s;
}

TEST(GroupFile, EmptyGroupIsAZeroCountAndReadsBackEmpty) {
  const std::string bytes = zv::GroupFileBytes({});
  EXPECT_EQ(bytes, std::string("\0\0\0\0", 4));
  std::vector<std::string> paths{"left over"};
  zv::GroupFileReadResult result;
  result.damage = zv::GroupFileDamage::kBadCount;
  EXPECT_TRUE(zv::ReadGroupFile(bytes, paths, &result));
  EXPECT_TRUE(result.ok());
  EXPECT_TRUE(paths.empty());
}

TEST(GroupFile, PathsAreWrittenAsTheirBytesAndReadBackUnchanged) {
  // UTF-8 Cyrillic, a blank at the end, a byte that is no UTF-8: none is changed.
  const std::vector<std::string> paths{"/a/00012_x.zev", "/групп/00001_Котельная №1.zev ",
                                       std::string("/b/\xFF\x80.zev")};
  const std::string bytes = zv::GroupFileBytes(paths);
  std::string expected = Le32(3);
  for (const auto& p : paths) expected += Le32(static_cast<int32_t>(p.size())) + p;
  EXPECT_EQ(bytes, expected);

  std::vector<std::string> back;
  ASSERT_TRUE(zv::ReadGroupFile(bytes, back));
  EXPECT_EQ(back, paths);
  // Bytes after the last entry belong to no entry and are ignored.
  ASSERT_TRUE(zv::ReadGroupFile(bytes + "tail", back));
  EXPECT_EQ(back, paths);
}

TEST(GroupFile, ANulEndsThatPathOnly) {
  const std::string bytes = Le32(2) + Le32(7) + std::string("/a\0b.zv", 7) + Le32(3) + "/cd";
  std::vector<std::string> paths;
  ASSERT_TRUE(zv::ReadGroupFile(bytes, paths));
  EXPECT_EQ(paths, (std::vector<std::string>{"/a", "/cd"}));
}

TEST(GroupFile, DamagedFilesReadAsNothingWithoutLargeAllocations) {
  struct Case {
    const char* what;
    std::string bytes;
    zv::GroupFileDamage damage;
    size_t offset;
  };
  const std::vector<Case> cases = {
      {"no bytes", "", zv::GroupFileDamage::kShortCount, 0},
      {"short count", std::string("\x01\x00", 2), zv::GroupFileDamage::kShortCount, 0},
      {"huge count, 8 bytes in all", Le32(0x7FFFFFFF) + Le32(0), zv::GroupFileDamage::kBadCount, 0},
      {"negative count", Le32(-1) + Le32(0), zv::GroupFileDamage::kBadCount, 0},
      {"count beyond the entries' room", Le32(3) + Le32(0) + Le32(0), zv::GroupFileDamage::kBadCount, 0},
      {"short path", Le32(1) + Le32(10) + "abc", zv::GroupFileDamage::kBadLength, 4},
      {"negative length", Le32(1) + Le32(-5) + "abcdef", zv::GroupFileDamage::kBadLength, 4},
      {"huge length", Le32(1) + Le32(0x7FFFFFFF) + "abcd", zv::GroupFileDamage::kBadLength, 4},
      {"second length cut", Le32(2) + Le32(1) + "a" + std::string("\x02\x00", 2) + "bcdefg",
       zv::GroupFileDamage::kBadLength, 9},
      {"length running into junk", Le32(2) + Le32(0) + std::string("\x01\x00\x00", 3) + "x",
       zv::GroupFileDamage::kBadLength, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> paths{"left over"};
    zv::GroupFileReadResult result;
    EXPECT_FALSE(zv::ReadGroupFile(c.bytes, paths, &result));
    EXPECT_EQ(result.damage, c.damage);
    EXPECT_EQ(result.offset, c.offset);
    EXPECT_TRUE(paths.empty());
    // Whatever was reserved, the file's bytes could have held it.
    EXPECT_LE(paths.capacity(), std::max<size_t>(1, c.bytes.size() / 4));
  }
}

TEST(GroupFile, ShortLengthIsToldApartFromABadOne) {
  // Two entries announced, room for both lengths by the count, but the second
  // length lies past the end once the first path is taken.
  const std::string bytes = Le32(2) + Le32(4) + "abcd" + "xy";
  std::vector<std::string> paths;
  zv::GroupFileReadResult result;
  EXPECT_FALSE(zv::ReadGroupFile(bytes, paths, &result));
  EXPECT_EQ(result.damage, zv::GroupFileDamage::kShortLength);
  EXPECT_EQ(result.offset, 12u);
}

}  // namespace
