#include "data/format_helpers.h"

#include <array>
#include <gtest/gtest.h>

#include "platform/cp1251.h"

namespace {

TEST(FormatHelpers, ReadInt32) {
  const unsigned char a[] = {0x10, 0x27, 0x00, 0x00};
  const unsigned char b[] = {0xFF, 0xFF, 0xFF, 0xFF};
  const unsigned char c[] = {0x00, 0x00, 0x00, 0x80};
  const unsigned char d[] = {0x78, 0x56, 0x34, 0x12};
  EXPECT_EQ(ReadInt32(a), 10000);
  EXPECT_EQ(ReadInt32(b), -1);
  EXPECT_EQ(ReadInt32(c), INT32_MIN);
  EXPECT_EQ(ReadInt32(d), 0x12345678);
}

TEST(FormatHelpers, FormatFloatDigits) {
  struct Case {
    float v;
    int digits;
    const char* text;
  } cases[] = {
      {12.3456f, 2, "12.35"}, {12.3456f, 0, "12"},       {1.5f, 7, "1.500000"},
      {1.5f, -1, "1.500000"}, {2.25f, 1, "2.2"},          {0.1f, 4, "0.1000"},
      {-3.5f, 3, "-3.500"},   {131072.01f, 2, "131072.02"},  // the float's own value
  };
  for (const auto& c : cases) EXPECT_EQ(FormatFloatDigits(c.v, c.digits), c.text) << c.v << " " << c.digits;
}

TEST(FormatHelpers, FormatIntDigits) {
  EXPECT_EQ(FormatIntDigits(7, 3), "007");
  EXPECT_EQ(FormatIntDigits(123, 2), "123");
  EXPECT_EQ(FormatIntDigits(5, -1), "5");
  EXPECT_EQ(FormatIntDigits(5, 0), "5");
  EXPECT_EQ(FormatIntDigits(-5, 3), "-05");
  EXPECT_EQ(FormatIntDigits(42, 9), "42");
}

TEST(FormatHelpers, ErrorCodeText) {
  EXPECT_EQ(ErrorCodeText(0x8000 | 0x0001 | 0x0004 | 0x0020), "UTVE");
  EXPECT_EQ(ErrorCodeText(0x0040), "");
  EXPECT_EQ(ErrorCodeText(0x0200), "T");
  EXPECT_EQ(ErrorCodeText(0x0800), "V");
  EXPECT_EQ(ErrorCodeText(0x1000), "E");
  EXPECT_EQ(ErrorCodeText(0x2000 | 0x8000), "UE");
  EXPECT_EQ(ErrorCodeText(0), "");
}

TEST(FormatHelpers, ErrorHoursText) {
  std::array<float, 35> counters{};
  EXPECT_EQ(ErrorHoursText(counters, 1), "");
  EXPECT_EQ(ErrorHoursText(counters, 2), "");
  counters[4] = 3;
  counters[20] = 1;
  EXPECT_EQ(zv::Cp1251ToUtf8(ErrorHoursText(counters, 1)),
            "\n\tошибка датчика Т1 - 3 час.\n\tошибка питания датчиков - 1 час.");
  // "Т" is Cyrillic (0xD2), "V" Latin.
  counters[10] = 2.6f;
  std::string text = ErrorHoursText(counters, 1);
  EXPECT_NE(text.find("\xE4\xE0\xF2\xF7\xE8\xEA\xE0 \xD2" "1"), std::string::npos);
  EXPECT_NE(text.find("\xE4\xE0\xF2\xF7\xE8\xEA\xE0 V1 - 3 \xF7\xE0\xF1."), std::string::npos);

  std::array<float, 35> all{};
  for (int id : {1, 2, 4, 5, 7, 8, 10, 11, 13, 14, 20}) all[static_cast<size_t>(id)] = static_cast<float>(id);
  EXPECT_EQ(zv::Cp1251ToUtf8(ErrorHoursText(all, 1)),
            "\n\tошибка датчика Т1 - 4 час.\n\tошибка датчика Т2 - 5 час."
            "\n\tошибка датчика V1 - 10 час.\n\tошибка датчика V2 - 11 час."
            "\n\tошибка функциональная - 1 час.\n\tошибка питания датчиков - 20 час.");
  EXPECT_EQ(zv::Cp1251ToUtf8(ErrorHoursText(all, 2)),
            "\n\tошибка датчика Т3 - 7 час.\n\tошибка датчика Т4 - 8 час."
            "\n\tошибка датчика V3 - 13 час.\n\tошибка датчика V4 - 14 час."
            "\n\tошибка функциональная - 2 час.");
  EXPECT_EQ(ErrorHoursText(all, 3), "");
  EXPECT_EQ(ErrorHoursText(all, 0), "");
}

}  // namespace
