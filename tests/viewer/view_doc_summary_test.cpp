// The period summary (totals, means, error-hour counters) and the print widths.
#include "platform/str_format.h"
#include "tests/viewer/view_doc_fixture.h"

namespace {

namespace col = zev_column;
using zv::test::Hour;
using zv::test::ViewDocTest;

// 29.02 23:00 (the base record) to 02.03 23:00: the period 01.03 - 02.03 holds
// records 1..48.
zv::sim::NodeFilePlan TwoDays() {
  zv::sim::NodeFilePlan plan;
  plan.data = zv::sim::HourlySeries::Between(Hour(2024, 2, 29, 23), Hour(2024, 3, 2, 23));
  return plan;
}

TEST_F(ViewDocTest, TotalsAreLastMinusSecondAndMeansSkipTheBaseRecord) {
  const zv::sim::NodeFilePlan plan = TwoDays();
  ASSERT_TRUE(Open(Write(plan), Hour(2024, 3, 1), Hour(2024, 3, 2)));
  const std::vector<zv::sim::HourValues> v = zv::sim::DataValues(plan.data, 4);
  ASSERT_EQ(doc.records.size(), 49u);
  ASSERT_EQ(doc.startEnd.size(), 2u);
  EXPECT_EQ(doc.startEnd[0].time, Hour(2024, 3, 2, 23));
  EXPECT_EQ(doc.startEnd[1].time, Hour(2024, 3, 1, 0));
  EXPECT_EQ(doc.startEnd[0].value[col::kE1], v[48].value[col::kE1]);
  ASSERT_EQ(doc.summary.size(), 2u);
  const CZEVDataRec& s = doc.summary[0];
  EXPECT_EQ(s.time, Hour(2024, 3, 2, 23));
  for (int id : {col::kE1, col::kE2, col::kV1, col::kV2, col::kV3, col::kV4, col::kM1, col::kM2, col::kM3,
                 col::kM4}) {
    EXPECT_EQ(s.value[id], v[48].value[id] - v[1].value[id]) << id;
  }
  for (int id : {col::kT1, col::kT2, col::kT3, col::kT4, col::kP1, col::kP2, col::kP3, col::kP4}) {
    double sum = 0;
    for (size_t i = 1; i < v.size(); ++i) sum += v[i].value[id];
    EXPECT_NEAR(s.value[id], sum / 48, 1e-4) << id;
  }
}

TEST_F(ViewDocTest, CountersCountEachErrorBitOverThePeriodsHours) {
  // Record k (1..12) carries code k; the base record's faults are not counted.
  const int codes[] = {0xFFFF, 0x0010, 0x0020, 0x0030, 0x1000, 0x2000, 0x0001, 0x0002,
                       0x0100, 0x0200, 0x0004 | 0x0008, 0x0400 | 0x0800, 0x8000};
  zv::sim::NodeFilePlan plan = TwoDays();
  plan.data.error_code = [&codes](const DateStamp&, int i) { return i < 13 ? codes[i] : 0; };
  struct Case {
    const char* ucontrol;
    float power;
  } cases[] = {{"0", 0}, {"", 0}, {"1", 1}, {"2", 1}};
  for (const Case& c : cases) {
    plan.header.Set("UCONTROL", c.ucontrol);
    ASSERT_TRUE(Open(Write(plan), Hour(2024, 3, 1), Hour(2024, 3, 2)));
    ASSERT_EQ(doc.summary.size(), 2u);
    std::array<float, 35> expected{};
    expected[1] = 3;  // channel 1 functional: 0x10, 0x20, 0x30
    expected[2] = 2;  // channel 2 functional
    for (int slot : {4, 5, 7, 8, 10, 11, 13, 14}) expected[static_cast<size_t>(slot)] = 1;
    expected[20] = c.power;
    for (int slot = 0; slot < 35; ++slot) {
      EXPECT_EQ(doc.summary[1].value[static_cast<size_t>(slot)], expected[static_cast<size_t>(slot)])
          << "UCONTROL '" << c.ucontrol << "' slot " << slot;
    }
  }
}

TEST_F(ViewDocTest, PrintWidthsFromThePeriodRecord) {
  // Three hand-made lines: the base, the second and the last record.
  auto line = [](int day, float e1, float e2, float v1, float v2, float m1) {
    zv::sim::HourValues h;
    h.time = Hour(2024, 3, day);
    h.value[col::kE1] = e1;
    h.value[col::kE2] = e2;
    h.value[col::kT1] = 70.25f;
    h.value[col::kV1] = v1;
    h.value[col::kV2] = v2;
    h.value[col::kM1] = m1;
    h.value[col::kP1] = -1.5f;
    return zv::sim::FormatDataLine(h, 4);
  };
  zv::sim::NodeFilePlan plan;
  plan.data.hours = 0;
  plan.trailing_lines = {line(1, 0, 0, 0, 0, 0), line(2, 1000.0f, 10.0f, 100.0f, 100.0f, 0),
                         line(3, 13345.5f, 10.5f, 107.5f, 107.25f, 1234567.0f)};
  const std::string path = Write(plan);
  ASSERT_TRUE(Open(path, Hour(2024, 3, 2), Hour(2024, 3, 3)));
  ASSERT_EQ(doc.summary.size(), 2u);
  std::array<int, 35> expected;
  expected.fill(4);  // "0.00"
  expected[col::kDate] = 10;
  expected[col::kE1] = 9;   // 12345.500
  expected[col::kE2] = 5;   // 0.500
  expected[col::kE12] = 9;  // 12345.000
  expected[col::kT1] = 5;   // 70.25
  expected[col::kV12] = 5;  // 0.25, at least 5
  expected[col::kV34] = 5;
  expected[col::kM1] = 10;  // 1234567.00
  expected[col::kM12] = 10;
  expected[col::kM34] = 5;
  expected[col::kP1] = 5;  // -1.50
  EXPECT_EQ(doc.width, expected);

  // Without a summary every column is 6 wide, the date 10.
  zv::ScopedMessageHook no_questions;
  no_questions.QueueAnswer(zv::MessageResult::kNo);
  ASSERT_TRUE(Open(path, Hour(2024, 1, 1), Hour(2024, 1, 2)));  // before all data: one record
  ASSERT_EQ(doc.records.size(), 1u);
  expected.fill(6);
  expected[col::kDate] = 10;
  EXPECT_EQ(doc.width, expected);
}

}  // namespace
