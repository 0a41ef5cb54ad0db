#include "platform/cp1251.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp1251, EveryByteSurvivesUtf8AndUtf16RoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(zv::Utf8ToCp1251(zv::Cp1251ToUtf8(all)), all);
  EXPECT_EQ(zv::Utf16ToCp1251(zv::Cp1251ToUtf16(all)), all);
  // Every byte has its own character: no two bytes share one.
  std::u16string u = zv::Cp1251ToUtf16(all);
  for (int a = 0; a < 256; ++a) {
    for (int b = a + 1; b < 256; ++b) ASSERT_NE(u[a], u[b]) << a << " " << b;
  }
}

TEST(Cp1251, KnownCharacters) {
  struct Case {
    unsigned char byte;
    char16_t ch;
  } cases[] = {
      {0xC0, u'А'}, {0xDF, u'Я'}, {0xE0, u'а'}, {0xFF, u'я'}, {0xA8, u'Ё'}, {0xB8, u'ё'},
      {0xB9, u'№'}, {0x88, u'€'}, {0x96, u'–'}, {0xA0, 0x00A0}, {0x98, 0x0098}, {'A', u'A'},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(zv::Cp1251ToUnicode(c.byte), c.ch) << int(c.byte);
    EXPECT_EQ(zv::UnicodeToCp1251(c.ch), c.byte) << int(c.byte);
  }
}

TEST(Cp1251, RussianTextBothWays) {
  const std::string cp = "\xCF\xE5\xF0\xE2\xFB\xE9 \xEA\xE0\xED\xE0\xEB";  // Первый канал
  EXPECT_EQ(zv::Cp1251ToUtf8(cp), "Первый канал");
  EXPECT_EQ(zv::W1251("Первый канал"), cp);
}

TEST(Cp1251, UnmappableAndBrokenInputIsReplacedPredictably) {
  EXPECT_EQ(zv::Utf8ToCp1251("a\xE4\xB8\xAD" "b"), "a?b");   // CJK character
  EXPECT_EQ(zv::Utf8ToCp1251("a\xF0\x9F\x98\x80" "b"), "a?b");  // emoji, 4 bytes
  EXPECT_EQ(zv::Utf8ToCp1251("a\xD0" "b"), "a?b");            // cut sequence
  EXPECT_EQ(zv::Utf8ToCp1251("\xC0\x80"), "??");              // overlong NUL
  EXPECT_EQ(zv::Utf8ToCp1251("\xED\xA0\x80"), "???");         // surrogate
  EXPECT_EQ(zv::Utf16ToCp1251(u"x\U0001F600y"), "x?y");
  EXPECT_EQ(zv::Utf16ToCp1251(u"\u4E2D"), "?");
  EXPECT_EQ(zv::UnicodeToCp1251(0x0081), -1);
}

}  // namespace
