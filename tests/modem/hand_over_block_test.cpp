// The hand-over block: its byte layout, reading blocks whose length and paths
// cannot be trusted (always from a buffer of exactly the block's size, so that
// the address sanitizer sees every byte read outside it), and the writer's
// refusals.

#include <algorithm>
#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "modem/hand_over_block.h"

namespace {

using zv::kHandOverBlockSize;
using Paths = std::vector<std::string>;

constexpr std::size_t kCapacity = kHandOverBlockSize - 9;

void PutLength(std::uint8_t* block, std::int32_t length) {
  auto v = static_cast<std::uint32_t>(length);
  for (int i = 0; i < 4; ++i) block[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

TEST(HandOverBlock, TwoPathsInTheLayout) {
  zv::HandOverBlock block(kHandOverBlockSize, 0xEE);
  ASSERT_TRUE(zv::WriteHandOverBlock(block.data(), block.size(), {"a.zev", "b.zev"}));
  const std::uint8_t head[] = {11, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(block.data(), head, sizeof head), 0);
  EXPECT_EQ(std::memcmp(block.data() + 8, "a.zev\0b.zev\0", 12), 0);
  for (std::size_t i = 20; i < block.size(); ++i) ASSERT_EQ(block[i], 0) << i;
  EXPECT_EQ(zv::ReadHandOverBlock(block.data(), block.size()), (Paths{"a.zev", "b.zev"}));
  EXPECT_TRUE(zv::IsWellFormedHandOverBlock(block.data(), block.size()));

  // No paths: L = 0 and nothing to read.
  ASSERT_TRUE(zv::WriteHandOverBlock(block.data(), block.size(), {}));
  EXPECT_TRUE(std::all_of(block.begin(), block.end(), [](std::uint8_t b) { return b == 0; }));
  EXPECT_TRUE(zv::ReadHandOverBlock(block.data(), block.size()).empty());
}

TEST(HandOverBlock, UntrustedLengthAndPathsStayInsideTheBlock) {
  const std::string full(kHandOverBlockSize - 8, 'x');  // no NUL up to the end
  struct Case {
    const char* name;
    std::int32_t length;
    std::string content;  // from offset 8
    Paths expected;
  } cases[] = {
      {"zero length", 0, std::string("a.zev\0", 6), {}},
      {"negative length", -1, std::string("a.zev\0", 6), {}},
      {"most negative length", INT_MIN, std::string("a.zev\0", 6), {}},
      {"length past the block, zeros behind", 20000, std::string("a.zev\0b.zev\0", 12),
       {"a.zev", "b.zev"}},
      {"largest length, path to the end", INT_MAX, full, {full}},
      {"length at capacity, path to the end", static_cast<std::int32_t>(kCapacity), full, {full}},
      {"short length, path to the end", 3, full, {full}},
      {"length shorter than the paths", 3, std::string("a.zev\0b.zev\0", 12), {"a.zev"}},
      {"length ends at the first NUL", 6, std::string("a.zev\0b.zev\0", 12), {"a.zev"}},
      {"length reaches the second path", 7, std::string("a.zev\0b.zev\0", 12), {"a.zev", "b.zev"}},
      {"empty strings skipped", 13, std::string("a.zev\0\0b.zev\0", 13), {"a.zev", "b.zev"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto block = std::make_unique<std::uint8_t[]>(kHandOverBlockSize);
    std::memset(block.get(), 0, kHandOverBlockSize);
    PutLength(block.get(), c.length);
    std::memcpy(block.get() + 8, c.content.data(), c.content.size());
    EXPECT_EQ(zv::ReadHandOverBlock(block.get(), kHandOverBlockSize), c.expected);
  }
}

TEST(HandOverBlock, TinyBlocks) {
  // Read from buffers of exactly the given size; L claims 100 bytes.
  for (std::size_t size : {0u, 4u, 8u, 9u, 10u}) {
    SCOPED_TRACE(size);
    std::vector<std::uint8_t> block(size, 'y');
    if (size >= 4) PutLength(block.data(), 100);
    Paths got = zv::ReadHandOverBlock(block.data(), size);
    if (size == 10) {
      EXPECT_EQ(got, Paths{"yy"});  // room for one byte; the path runs to the end
    } else {
      EXPECT_TRUE(got.empty());
    }
    EXPECT_EQ(zv::WriteHandOverBlock(block.data(), size, {"a"}), size == 10);
  }
}

TEST(HandOverBlock, WriterRefusesWhatDoesNotFitAndNeverCuts) {
  zv::HandOverBlock block(kHandOverBlockSize);
  ASSERT_TRUE(zv::WriteHandOverBlock(block.data(), block.size(), {"keep.zev"}));
  const zv::HandOverBlock before = block;
  const std::string longest(kCapacity, 'p');
  Paths refused[] = {
      {longest + "p"},
      {longest.substr(0, kCapacity / 2), longest.substr(0, kCapacity / 2 + 1)},
      {std::string("a\0b.zev", 7)},
      {""},
      {"ok.zev", ""},
  };
  for (const Paths& paths : refused) {
    EXPECT_FALSE(zv::WriteHandOverBlock(block.data(), block.size(), paths));
    EXPECT_EQ(block, before);
  }
  ASSERT_TRUE(zv::WriteHandOverBlock(block.data(), block.size(), {longest}));
  EXPECT_EQ(zv::ReadHandOverBlock(block.data(), block.size()), Paths{longest});
  EXPECT_EQ(block.back(), 0);
  EXPECT_TRUE(zv::IsWellFormedHandOverBlock(block.data(), block.size()));
}

TEST(HandOverBlock, PathsBeyondOneBlockGoInFurtherBlocks) {
  Paths paths;
  for (int i = 0; i < 40; ++i) paths.push_back("/n/" + std::string(1000, 'a' + i % 26) + ".zev");
  auto blocks = zv::PackHandOverBlocks(paths);
  ASSERT_TRUE(blocks.has_value());
  EXPECT_EQ(blocks->size(), 3u);  // paths of 1007 bytes: 16 to a block
  Paths read;
  for (const zv::HandOverBlock& b : *blocks) {
    ASSERT_EQ(b.size(), kHandOverBlockSize);
    EXPECT_TRUE(zv::IsWellFormedHandOverBlock(b.data(), b.size()));
    for (std::string& p : zv::ReadHandOverBlock(b.data(), b.size())) read.push_back(std::move(p));
  }
  EXPECT_EQ(read, paths);

  // Exactly full: a path that makes L the capacity stays in the block.
  Paths exact = {std::string(kCapacity - 6, 'q'), "a.zev"};
  blocks = zv::PackHandOverBlocks(exact);
  ASSERT_TRUE(blocks.has_value());
  ASSERT_EQ(blocks->size(), 1u);
  exact.back() += "x";
  ASSERT_EQ(zv::PackHandOverBlocks(exact)->size(), 2u);

  // No paths: one empty block.
  blocks = zv::PackHandOverBlocks({});
  ASSERT_TRUE(blocks.has_value());
  ASSERT_EQ(blocks->size(), 1u);
  EXPECT_TRUE(zv::ReadHandOverBlock(blocks->front().data(), kHandOverBlockSize).empty());

  // One path that no block can carry refuses the whole hand-over.
  EXPECT_FALSE(zv::PackHandOverBlocks({"a.zev", std::string(kCapacity + 1, 'z')}).has_value());
  EXPECT_FALSE(zv::PackHandOverBlocks({"a.zev", ""}).has_value());
}

TEST(HandOverBlock, WellFormedOnlyAsAWriterMakesIt) {
  struct Case {
    std::int32_t length;
    std::uint8_t reserved;
    bool expected;
  } cases[] = {
      {0, 0, true},
      {11, 0, true},
      {static_cast<std::int32_t>(kCapacity), 0, true},
      {static_cast<std::int32_t>(kCapacity) + 1, 0, false},
      {-1, 0, false},
      {11, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    zv::HandOverBlock block(kHandOverBlockSize);
    PutLength(block.data(), c.length);
    block[6] = c.reserved;
    EXPECT_EQ(zv::IsWellFormedHandOverBlock(block.data(), block.size()), c.expected);
  }
}

}  // namespace
