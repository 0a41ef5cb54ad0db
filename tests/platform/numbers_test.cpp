#include "platform/numbers.h"

#include <clocale>
#include <cstdio>
#include <gtest/gtest.h>
#include <thread>

#include "platform/str_format.h"

namespace {

TEST(AtoI, Table) {
  struct Case {
    const char* text;
    int value;
  } cases[] = {
      {"", 0},          {"abc", 0},           {"12", 12},      {"  \t-7x", -7},
      {"+5", 5},        {"0012", 12},         {"3.9", 3},      {"- 3", 0},
      {"2147483647", 2147483647}, {"99999999999", 2147483647}, {"-99999999999", -2147483647 - 1},
      {"\r\n42", 42},
  };
  for (const Case& c : cases) EXPECT_EQ(zv::AtoI(c.text), c.value) << c.text;
}

TEST(AtoF, Table) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {
      {"", 0}, {"x", 0}, {"1.5", 1.5}, {"  -2.25kg", -2.25}, {".5", 0.5}, {"1e3", 1000},
      {"1,5", 1.0},  // a comma is never a decimal separator in our files
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(zv::AtoF(c.text), c.value) << c.text;
}

TEST(FormatFixed, Table) {
  EXPECT_EQ(zv::FormatFixed(12.3456, 2), "12.35");
  EXPECT_EQ(zv::FormatFixed(12.3456, 0), "12");
  EXPECT_EQ(zv::FormatFixed(-0.5, 1), "-0.5");
  EXPECT_EQ(zv::FormatFixed(1.5, -1), "1.500000");
}

TEST(StrFormat, LongOutputIsComplete) {
  std::string big(1000, 'x');
  EXPECT_EQ(zv::StrFormat("[%s]%d", big.c_str(), 7), "[" + big + "]7");
}

// The user's locale (as Qt sets it at start-up) must not reach our numbers.
class RussianLocale : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "ru_RU.UTF-8"), nullptr)
        << "the ru_RU.UTF-8 locale is missing: the set-up command generates it";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5") << "the locale does not use a decimal comma";
  }
  void TearDown() override { std::setlocale(LC_ALL, saved_.c_str()); }
  std::string saved_;
};

TEST_F(RussianLocale, FormattingKeepsTheDecimalPoint) {
  EXPECT_EQ(zv::StrFormat("%.02f", 1234.5), "1234.50");
  EXPECT_EQ(zv::StrFormat("%f|%g", 0.25, 1e-7), "0.250000|1e-07");
  EXPECT_EQ(zv::FormatFixed(3.14159, 3), "3.142");
  // and on another thread, which starts in the global locale
  std::string other;
  std::thread([&] { other = zv::StrFormat("%.1f", 2.5); }).join();
  EXPECT_EQ(other, "2.5");
}

TEST_F(RussianLocale, ParsingReadsTheDecimalPoint) {
  EXPECT_DOUBLE_EQ(zv::AtoF("12.75"), 12.75);
  EXPECT_DOUBLE_EQ(zv::AtoF("12,75"), 12.0);
  EXPECT_EQ(zv::AtoI(" 42"), 42);
  // the thread's locale is back as it was
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 1.5);
  EXPECT_STREQ(probe, "1,5");
}

}  // namespace
