#include "data/error_reevaluation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// An 18-value line: E1, T1, T2, V1, V2 and M1 as given, the rest "0.00", then the
// code field unless it is null.
std::string Row18(const char* time, const char* e1, const char* t1, const char* t2, const char* v1,
                  const char* v2, const char* m1, const char* code) {
  std::vector<std::string> p = {e1, "0.00", t1, t2, "0.00", "0.00", v1, v2, "0.00", "0.00", m1};
  p.resize(18, "0.00");
  if (code) p.push_back(code);
  std::string line = time;
  for (const std::string& s : p) line += "\t" + s;
  return line;
}

// A 22-value line: V1 and V2 as given (positions 7 and 8), T1 60, T2 40.
std::string Row22(const char* time, const char* v1, const char* v2, const char* code) {
  std::vector<std::string> p(22, "0.00");
  p[2] = "60.00";
  p[3] = "40.00";
  p[6] = v1;
  p[7] = v2;
  p.push_back(code);
  std::string line = time;
  for (const std::string& s : p) line += "\t" + s;
  return line;
}

// Replaces the last TAB piece of a line (its code field).
std::string WithCode(const std::string& line, const std::string& code) {
  return line.substr(0, line.rfind('\t') + 1) + code;
}

TEST(ErrorReevaluation, KeepsTextsAndReplacesOnlyTheCode) {
  // Scheme 1: channel 1 temperatures and both flows of channel 1 are checked.
  const std::string l1 = Row18("05.03.2024\t13:00", "131072.01", "60.00", "40.00", "100.00", "50.00",
                               "9999999.99", "32787");  // 0x8013
  const std::string l2 = Row18("05.03.2024\t14:00", "131072.02", "60.00", "40.00", "101.00", "50.90",
                               "9999999.99", "17");
  const std::string l4 = Row22("05.03.2024\t15:00", "500.00", "500.00", "5");  // an older layout
  const std::string l5 = Row18("05.03.2024\t16:00", "1.00", "60.00", "40.00", "102.00", "50.90", "1.00", "0");
  const std::string l6 = "  " + Row18("05.03.2024\t17:00", "1.00", "0.00", "40.00", "103.00", "50.90", "1.00", "0") +
                         " ";
  const std::string l7 = Row18("05.03.2024\t18:00", "1.00", "60.00", "40.00", "104.00", "50.90", "1.00", nullptr);
  const std::string l9 = "05.03.2024\t19:00\t1.00\t2.00\t3.00";  // a short line
  const std::string l10 = Row18("05.03.2024\t20:30", "1.00", "60.00", "40.00", "105.00", "51.90", "1.00", "32768");
  const std::vector<std::string> in = {l1, l2, "", l4, l5, l6, l7, "no tab here", "\tlater", l9, l10};

  const std::vector<std::string> out = zv::ReevaluateErrorCodes(in, 4, 1);
  const std::vector<std::string> want = {
      WithCode(l1, "32768"),  // only the power bit survives; first line: no flow bits
      WithCode(l2, "0"),      // counted flows, readings above 131072 kept as written
      "",                     // not a data line
      l4,                     // 22 values under V 4: copied, and the flow chain restarts
      WithCode(l5, "0"),      // no previous line, so no V2 no-count bit
      "  " + Row18("05.03.2024\t17:00", "1.00", "0.00", "40.00", "103.00", "50.90", "1.00", "25") + " ",
      l7 + "\t8",             // no code field: one is appended (V2 no count)
      "no tab here",
      "\tlater",
      l9,                     // short: copied
      WithCode(l10, "32768"),  // the chain restarted again; minutes kept as written
  };
  ASSERT_EQ(out.size(), want.size());
  for (size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i], want[i]) << "line " << i;
}

TEST(ErrorReevaluation, VersionEightLayout) {
  // Scheme 10: channel 2 with V3 and V4 is checked, channel 1 not at all.
  const std::string a = Row22("01.01.2025\t00:00", "1.00", "1.00", "0");
  const std::string b = Row18("01.01.2025\t01:00", "1.00", "60.00", "40.00", "1.00", "1.00", "1.00", "7");
  const std::string c = Row22("01.01.2025\t02:00", "2.00", "2.00", "4095");
  const std::string d = Row22("01.01.2025\t03:00", "3.00", "3.00", "0");
  const std::vector<std::string> out = zv::ReevaluateErrorCodes({a, b, c, d}, 8, 10);
  // T3 and T4 read 0 everywhere: 0x0300; V3 and V4 do not move: 0x0C00 from the
  // second evaluated line on, which the 18-value line between does not count as.
  EXPECT_EQ(out, (std::vector<std::string>{WithCode(a, "768"), b, WithCode(c, "768"), WithCode(d, "3840")}));
}

TEST(ErrorReevaluation, LineByLine) {
  // Scheme 41 checks T1, T2 and T3 and V1..V3; T3 reads 0 and T2 < T3.
  zv::ErrorCodeReevaluation pass(4, 41);
  const std::string first = Row18("05.03.2024\t13:00", "1.00", "0.00", "-5.00", "1.00", "1.00", "1.00", "-1");
  // -1 has every bit set: only 0x8000 is kept. T1 = 0 is raised by both digits.
  EXPECT_EQ(pass.Line(first), WithCode(first, std::to_string(0x8000 | 0x0001 | 0x0010 | 0x0100)));
  const std::string second = Row18("05.03.2024\t14:00", "1.00", "0.00", "-5.00", "1.00", "1.00", "1.00", "0");
  // The flows did not move: no count of V1, V2 and V3.
  EXPECT_EQ(pass.Line(second),
            WithCode(second, std::to_string(0x0001 | 0x0010 | 0x0100 | 0x0004 | 0x0008 | 0x0400)));
}

}  // namespace
