#include "data/data_record.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

namespace {

namespace col = zev_column;

// "05.03.2024\t13:00" and TAB-joined pieces.
std::string Line(const std::vector<std::string>& pieces, const char* time = "05.03.2024\t13:00") {
  std::string line = time;
  for (const std::string& p : pieces) line += "\t" + p;
  return line;
}

// n distinct readings "1.00", "2.00", ... "n.00".
std::vector<std::string> Readings(int n) {
  std::vector<std::string> v;
  for (int i = 1; i <= n; ++i) v.push_back(std::to_string(i) + ".00");
  return v;
}

CZEVDataRec Parse(const std::string& line, int version) {
  return CZEVDataRec(CZEVDataRec::ParseLineTime(line), line, version);
}

// The values at the ids of `layout` and every other id, which must be 0.
void ExpectValues(const CZEVDataRec& r, std::span<const int> layout, const std::vector<float>& expected) {
  std::array<float, 35> want{};
  for (size_t k = 0; k < expected.size(); ++k) want[static_cast<size_t>(layout[k])] = expected[k];
  for (size_t id = 0; id < want.size(); ++id) EXPECT_EQ(r.value[id], want[id]) << "id " << id;
}

std::vector<float> Numbers(int n) {
  std::vector<float> v;
  for (int i = 1; i <= n; ++i) v.push_back(static_cast<float>(i));
  return v;
}

TEST(DataRecord, Layouts) {
  EXPECT_EQ(std::vector<int>(CZEVDataRec::Layout(1).begin(), CZEVDataRec::Layout(1).end()),
            (std::vector<int>{1, 2, 4, 5, 7, 8, 10, 11, 13, 14, 20, 21, 23, 24, 26, 27, 29, 30}));
  EXPECT_EQ(std::vector<int>(CZEVDataRec::Layout(2).begin(), CZEVDataRec::Layout(2).end()),
            (std::vector<int>{1, 2, 4, 5, 7, 8, 10, 11, 13, 14, 16, 17, 18, 19, 20, 21, 23, 24, 26, 27, 29, 30}));
  EXPECT_EQ(CZEVDataRec::KindOfVersion(8), 2);
  EXPECT_EQ(CZEVDataRec::KindOfVersion(4), 1);
  EXPECT_EQ(CZEVDataRec::KindOfVersion(0), 1);
  CZEVDataRec def;
  EXPECT_EQ(def.kind, 2);
  EXPECT_EQ(def.time, DateStamp());
  EXPECT_EQ(def.error, 0);
}

TEST(DataRecord, ParseLineTime) {
  struct Case {
    const char* text;
    DateStamp time;
  } cases[] = {
      {"05.03.2024\t13:00\t1.00", DateStamp(2024, 3, 5, 13, 0, 0)},
      {"05.03.2024\t13:45\t1.00", DateStamp(2024, 3, 5, 13, 0, 0)},  // minutes never read
      {"31.02.2024\t10:00", DateStamp(2024, 2, 31, 10, 0, 0)},       // day 1..31 only
      {"00.03.2024\t10:00", DateStamp()},
      {"01.13.2013\t05:00", DateStamp()},
      {"01.02.2013\t24:00", DateStamp()},
      {"01.02.2038\t05:00", DateStamp()},
      {"01.02.2013\t05", DateStamp(2013, 2, 1, 5, 0, 0)},
      {"01.02.20", DateStamp()},
      {"", DateStamp()},
      {"xx.yy.zzzz\tab:00", DateStamp()},
  };
  for (const auto& c : cases) EXPECT_EQ(CZEVDataRec::ParseLineTime(c.text), c.time) << c.text;
}

TEST(DataRecord, ParseLine) {
  const auto l18 = CZEVDataRec::Layout(1);
  const auto l22 = CZEVDataRec::Layout(2);
  std::vector<std::string> p18 = Readings(18), p22 = Readings(22);
  auto with = [](std::vector<std::string> v, const std::string& s) {
    v.push_back(s);
    return v;
  };
  auto first = [](const std::vector<std::string>& v, size_t n) {
    return std::vector<std::string>(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(n));
  };
  struct Case {
    const char* what;
    std::string line;
    int version;
    int kind;
    std::vector<float> values;  // in layout order
    int error;
  };
  std::vector<float> first20 = Numbers(20);
  first20.resize(22, 0);  // the 21st number became the code
  const Case cases[] = {
      {"18 values and a code", Line(with(p18, "17")), 4, 1, Numbers(18), 17},
      {"18 values, no code", Line(p18), 4, 1, Numbers(18), 0},
      {"17 values", Line(first(p18, 17)), 4, 1, [] { auto v = Numbers(16); v.resize(18, 0); return v; }(), 17},
      {"22 values read with V 4", Line(with(p22, "5")), 4, 1, Numbers(18), 19},
      {"18 values and code read with V 8", Line(with(p18, "9")), 8, 2,
       [] { auto v = Numbers(18); v.resize(22, 0); return v; }(), 9},
      {"22 values and a code", Line(with(p22, "32768")), 8, 2, Numbers(22), 32768},
      {"21 values with V 8", Line(first(p22, 21)), 8, 2, first20, 21},
      {"pieces after the code are ignored", Line(with(with(p18, "3"), "99")), 4, 1, Numbers(18), 3},
      {"the code is read with atoi", Line(with(p18, "12.75")), 4, 1, Numbers(18), 12},
      {"junk reads as 0", Line({"abc", "1,5", " 2.5", "-3.25"}), 4, 1,
       [] { std::vector<float> v = {0, 1, 2.5f, 0}; v.resize(18, 0); return v; }(), -3},
      {"doubled TABs", "05.03.2024\t13:00\t\t\t1.00\t\t2.00\t\t7", 4, 1,
       [] { std::vector<float> v = {1, 2, 0}; v.resize(18, 0); return v; }(), 7},
      {"nothing after the time", "05.03.2024\t13:00\t", 4, 1, std::vector<float>(18, 0), 0},
      {"under 17 characters", "05.03.2024\t13:0", 8, 2, std::vector<float>(22, 0), 0},
      {"one number", Line({"42.9"}), 4, 1, std::vector<float>(18, 0), 42},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CZEVDataRec r = Parse(c.line, c.version);
    EXPECT_EQ(r.kind, c.kind);
    EXPECT_EQ(r.error, c.error);
    ExpectValues(r, c.kind == 1 ? l18 : l22, c.values);
    EXPECT_EQ(r.time, CZEVDataRec::ParseLineTime(c.line));
  }

  // The value is the float of the double that atof reads.
  CZEVDataRec big = Parse(Line({"131072.01", "1e39", "-1e39"}), 4);
  EXPECT_EQ(big.value[col::kE1], 131072.015625f);
  EXPECT_EQ(big.value[col::kE2], INFINITY);
  EXPECT_EQ(big.value[col::kT1], 0.0f);  // the last number, -1e39, went to the code
  EXPECT_EQ(big.error, INT_MIN);          // truncation of a number past the int range
}

TEST(DataRecord, WriteLine) {
  std::vector<std::string> p18 = Readings(18);
  p18.push_back("17");
  const std::string line = Line(p18);
  EXPECT_EQ(Parse(line, 4).WriteLine(), line + "\r\n");

  std::vector<std::string> p22 = Readings(22);
  p22.push_back("-5");
  EXPECT_EQ(Parse(Line(p22, "01.12.2031\t07:00"), 8).WriteLine(), Line(p22, "01.12.2031\t07:00") + "\r\n");

  CZEVDataRec r;
  r.kind = 1;
  r.time = DateStamp(2024, 3, 7, 5, 9, 59);
  r.value[col::kE1] = 0.126f;
  r.value[col::kT1] = 65.5f;
  r.value[col::kV1] = 131072.01f;
  r.value[col::kP4] = -0.004f;
  r.value[col::kEC] = 99;  // never stored
  r.error = 0x8013;
  EXPECT_EQ(r.WriteLine(),
            "07.03.2024\t05:00\t0.13\t0.00\t65.50\t0.00\t0.00\t0.00\t131072.02\t0.00\t0.00\t0.00\t0.00\t0.00"
            "\t0.00\t0.00\t0.00\t0.00\t0.00\t-0.00\t32787\r\n");
}

struct TempCase {
  int scheme;
  float t1, t2, t3, t4;
  int error;
};

TEST(DataRecord, TemperatureErrorsEveryDigit) {
  const TempCase cases[] = {
      // channel 1 (units digit)
      {1, 60, 40, 0, 0, 0},
      {1, 0, 0, 0, 0, 0x0003},
      {2, 50, 60, 0, 0, 0x0010},
      {3, 0, 40, 0, 0, 0x0011},
      {5, 0, 0, 0, 0, 0x0001},
      {6, 0, 40, 0, 0, 0x0001},  // no T2 or T2 > T1 rule
      {6, 60, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0},
      {4, 0, 0, 0, 0, 0},
      {7, 0, 0, 0, 0, 0},
      {8, 0, 0, 0, 0, 0},
      {9, 0, 0, 0, 0, 0},
      // channel 2 (tens digit)
      {10, 0, 0, 0, 0, 0x0300},
      {10, 0, 0, 30, 40, 0x1000},
      {20, 0, 0, 0, 5, 0x1100},
      {30, 0, 0, 30, 0, 0x0200},
      {40, 0, 0, 0, 0, 0x0103},
      {40, 60, 40, 50, 0, 0x0010},  // T2 < T3
      {40, 60, 65, 10, 0, 0x0010},  // T2 > T1
      {40, 60, 40, 30, 0, 0},
      {50, 0, 0, 0, 0, 0x0100},
      {60, 0, 0, 0, 0, 0x0100},
      {70, 0, 0, 0, 0, 0},
      {80, 0, 0, 0, 0, 0},
      {90, 0, 0, 0, 0, 0},
      // both channels
      {12, 60, 65, 0, 5, 0x0010 | 0x0100 | 0x1000},
      {41, 0, -5, -10, 1, 0x0001},  // T1 = 0 raised by both digits, set once
      {-12, 0, 0, 0, 0, 0},         // negative digits match no rule
      {112, 0, 0, 0, 0, 0x0003},    // tens 11: no channel 2 rule
  };
  for (const TempCase& c : cases) {
    CZEVDataRec r;
    r.value[col::kT1] = c.t1;
    r.value[col::kT2] = c.t2;
    r.value[col::kT3] = c.t3;
    r.value[col::kT4] = c.t4;
    r.error = 0x8000;
    r.EvaluateTemperatureErrors(c.scheme);
    EXPECT_EQ(r.error, 0x8000 | c.error) << "scheme " << c.scheme << " T " << c.t1 << " " << c.t2 << " " << c.t3
                                         << " " << c.t4;
  }
  // "T = 0" is exact: a tiny reading is no fault.
  CZEVDataRec r;
  r.value[col::kT1] = 1e-30f;
  r.value[col::kT2] = 1e-31f;
  r.EvaluateTemperatureErrors(1);
  EXPECT_EQ(r.error, 0);
}

struct FlowCase {
  int scheme;
  float d1, d2, d3, d4;
  int error;
};

TEST(DataRecord, FlowErrorsEveryDigitAndThreshold) {
  const float k11 = 1.1f;  // the float nearest 1.1 is above 1.1 in double precision
  const FlowCase cases[] = {
      {1, 0.009f, 0.5f, 0, 0, 0x0024},
      {1, 1.0f, k11, 0, 0, 0x0020},
      {1, 1.0f, 1.0f, 0, 0, 0},
      {1, 0, 0, 0, 0, 0x000C},  // 0 > 0 is false
      {1, 0.01f, 1.0f, 0, 0, 0x0024},  // 0.01f * 100 = 0.99999997...: no count
      {1, 0.02f, 0.02f, 0, 0, 0},
      {1, -1.0f, 1.0f, 0, 0, 0x0024},  // a negative increment has no count
      {5, 0, 2, 0, 0, 0x0024},
      {2, 0, 0, 0, 0, 0x0004},
      {3, 0, 0, 0, 0, 0x0008},
      {6, 0, 0, 0, 0, 0},
      {4, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0},
      {10, 0, 0, 0, 0, 0x0C00},
      {10, 0, 0, 1.0f, k11, 0x2000},
      {50, 0, 0, 1.0f, 1.0f, 0},
      {50, 0, 0, 1.0f, 2.0f, 0x2000},
      {20, 0, 0, 0, 0, 0x0400},
      {30, 0, 0, 0, 0, 0x0800},
      {40, 0, 0, 0, 0, 0x040C},
      {40, 1.0f, 1.2f, 1.0f, 0, 0x0020},  // d2 > 1.1 d1
      {40, 1.0f, 1.0f, 1.2f, 0, 0x0020},  // d3 > 1.1 d2: also the channel 1 bit
      {40, 1.0f, 1.0f, 1.0f, 0, 0},
      {60, 0, 0, 0, 0, 0},
      {70, 0, 0, 0, 0, 0},
      {11, 0, 0, 0, 0, 0x0C0C},
      {11, NAN, 1.0f, 1.0f, 1.0f, 0x0004},  // NaN truncates to INT_MIN: no count
      {2, 3e7f, 0, 0, 0, 0x0004},           // d * 100 beyond the int range likewise
      {2, 2e7f, 0, 0, 0, 0},
  };
  for (const FlowCase& c : cases) {
    CZEVDataRec inc;
    inc.value[col::kV1] = c.d1;
    inc.value[col::kV2] = c.d2;
    inc.value[col::kV3] = c.d3;
    inc.value[col::kV4] = c.d4;
    CZEVDataRec r;
    r.EvaluateFlowErrors(c.scheme, inc);
    EXPECT_EQ(r.error, c.error) << "scheme " << c.scheme << " d " << c.d1 << " " << c.d2 << " " << c.d3 << " "
                                << c.d4;
  }
}

TEST(DataRecord, IncrementsInSinglePrecision) {
  // Readings parsed from text, increments taken between floats: near 131072 the
  // float step is 1/128, so 131072.00 - 131071.99 is 0.0078125 (no count) though
  // the decimal difference is 0.01.
  auto with_v1 = [](const std::string& v1) {
    std::vector<std::string> p(19, "0");
    p[6] = v1;
    return Parse(Line(p), 4);
  };
  struct Case {
    const char* prev;
    const char* cur;
    int error;
  } cases[] = {
      {"131071.99", "131072.00", 0x0004},
      {"131072.00", "131072.02", 0},
      {"100.00", "100.01", 0},
      {"5.00", "5.00", 0x0004},
      {"99999.99", "0.00", 0x0004},  // meter rolled over
  };
  for (const auto& c : cases) {
    CZEVDataRec prev = with_v1(c.prev), cur = with_v1(c.cur);
    CZEVDataRec inc = CZEVDataRec::FlowIncrements(cur, prev);
    EXPECT_EQ(inc.value[col::kV1], cur.value[col::kV1] - prev.value[col::kV1]);
    CZEVDataRec r;
    r.EvaluateFlowErrors(2, inc);
    EXPECT_EQ(r.error, c.error) << c.prev << " -> " << c.cur;
  }

  // Only V1..V4 are carried.
  CZEVDataRec a, b;
  for (size_t i = 0; i < a.value.size(); ++i) a.value[i] = static_cast<float>(i) * 2;
  CZEVDataRec inc = CZEVDataRec::FlowIncrements(a, b);
  for (size_t i = 0; i < inc.value.size(); ++i) {
    const bool flow = i == col::kV1 || i == col::kV2 || i == col::kV3 || i == col::kV4;
    EXPECT_EQ(inc.value[i], flow ? a.value[i] : 0.0f) << i;
  }
}

}  // namespace
