// ZEVRS's values: the decoders, the values of both models, and the texts the
// dialog shows.

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>

#include "readers/common/decoders.h"
#include "readers/rs/read_job.h"
#include "tests/readers/fed_link.h"

namespace zv::test {
namespace {

using sim::Bytes;

TEST(DecoderTest, Float24AndFriends) {
  struct Case {
    Bytes bytes;
    float value;
  };
  for (const Case& c : {Case{{0x00, 0x80, 0x3F}, 1.0f}, Case{{0x00, 0x48, 0x42}, 50.0f},
                        Case{{0x00, 0x00, 0xC0}, -2.0f}, Case{{0x00, 0x00, 0x00}, 0.0f}}) {
    EXPECT_EQ(ReadFloat24(c.bytes.data()), c.value);
  }
  const Bytes f32 = {0x00, 0x00, 0xC8, 0x42};  // 100.0
  EXPECT_EQ(ReadFloat32(f32.data()), 100.0f);
  const Bytes word = {0xDC, 0x05};
  EXPECT_EQ(ReadUInt16(word.data()), 1500);
}

// Parameters and current data fed to a link, then FillReadJob.
ReadJob Fill(const Bytes& params, const Bytes& current) {
  WriteReaderProfile();
  sim::RunningClock clock(sim::LocalTime(2024, 1, 1, 0, 0));
  FedLink link(clock);
  link.answers = {WithCrc(params), WithCrc(current)};
  EXPECT_TRUE(link.ReadParameters());
  EXPECT_TRUE(link.ReadCurrentData());
  ReadJob job;
  FillReadJob(link, job);
  return job;
}

void PutFloat24(Bytes& b, size_t at, float v) {
  std::uint8_t f[4];
  std::memcpy(f, &v, 4);
  b[at] = f[1];
  b[at + 1] = f[2];
  b[at + 2] = f[3];
}
void PutFloat32(Bytes& b, size_t at, float v) { std::memcpy(b.data() + at, &v, 4); }
void PutWord(Bytes& b, size_t at, int v) {
  b[at] = static_cast<std::uint8_t>(v & 0xFF);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

TEST(ReadJobTest, ModelTwoValuesComeFromTheirPlaces) {
  Bytes params(192);
  params[0] = 2;
  params[1] = 1;
  PutWord(params, 2, 4321);
  PutFloat24(params, 40, 10.0f);  // k1
  PutFloat24(params, 52, 2.0f);   // k5
  PutFloat32(params, 72, 100.0f);
  PutFloat32(params, 88, 5.0f);   // U5's archived part
  PutFloat32(params, 104, 1000.5f);
  PutFloat32(params, 124, 7.0f);
  std::int32_t hours = 70000;
  std::memcpy(params.data() + 68, &hours, 4);
  params[35] = 7;
  params[36] = 3;
  PutFloat24(params, 37, -1.5f);
  Bytes current(90);
  PutWord(current, 54, 1500);     // U1 pulses
  PutWord(current, 62, 500);      // U5 pulses
  PutFloat24(current, 70, 0.25f); // E1 increment
  PutFloat24(current, 85, 0.5f);  // G4 increment
  PutFloat24(current, 0, 55.0f);  // T1
  PutFloat24(current, 48, 0.125f);  // F1
  PutFloat24(current, 45, 6.0f);  // P4
  PutFloat24(current, 33, 3.0f);  // u8
  const ReadJob job = Fill(params, current);
  EXPECT_FLOAT_EQ(job.U[0], 115.0f);
  EXPECT_FLOAT_EQ(job.U[4], 6.0f);
  EXPECT_FLOAT_EQ(job.E[0], 1000.75f);
  EXPECT_FLOAT_EQ(job.G[3], 7.5f);
  EXPECT_FLOAT_EQ(job.T[0], 55.0f);
  EXPECT_FLOAT_EQ(job.F[0], 0.125f);
  EXPECT_FLOAT_EQ(job.P[3], 6.0f);
  EXPECT_FLOAT_EQ(job.u[7], 3.0f);
  EXPECT_EQ(job.serial, 4321);
  EXPECT_EQ(job.type, 2);
  EXPECT_EQ(job.version, 1);
  EXPECT_EQ(job.hours, 70000);
  EXPECT_EQ(job.network_address, 7);
  EXPECT_EQ(job.scheme, 3);
  EXPECT_FLOAT_EQ(job.cold_water, -1.5f);
  EXPECT_EQ(ReadJobTexts(job)[6], "115.00");
}

TEST(ReadJobTest, ModelOneHasNoSecondChannelValues) {
  Bytes params(192, 0);
  params[0] = 4;
  params[1] = 1;
  PutFloat24(params, 68, 1.0f);   // k1
  PutFloat32(params, 88, 20.0f);  // U1's archived part
  PutFloat32(params, 104, 3.0f);
  params[63] = 12;
  params[64] = 5;
  PutFloat24(params, 65, 8.0f);
  Bytes current(64, 0x40);  // every flt24 of the block is non-zero
  PutWord(current, 36, 2000);
  const ReadJob job = Fill(params, current);
  EXPECT_FLOAT_EQ(job.U[0], 22.0f);
  for (int i = 4; i < 8; ++i) EXPECT_EQ(job.U[i], 0.0f) << i;
  for (int i = 4; i < 8; ++i) EXPECT_EQ(job.u[i], 0.0f) << i;
  EXPECT_EQ(job.P[2], 0.0f);
  EXPECT_EQ(job.P[3], 0.0f);
  EXPECT_NE(job.F[0], 0.0f);
  EXPECT_EQ(job.network_address, 12);
  EXPECT_EQ(job.scheme, 5);
  EXPECT_FLOAT_EQ(job.cold_water, 8.0f);
}

TEST(ReadJobTest, FormatFloatDecimals) {
  EXPECT_EQ(FormatFloat(1.23456, 0), "1");
  EXPECT_EQ(FormatFloat(1.23456, 1), "1.2");
  EXPECT_EQ(FormatFloat(1.23456, 2), "1.23");
  EXPECT_EQ(FormatFloat(1.23456, 3), "1.235");
  EXPECT_EQ(FormatFloat(1.23456, 4), "1.2346");
  EXPECT_EQ(FormatFloat(1.5, -1), "1.500000");
  EXPECT_EQ(FormatFloat(1.5, 5), "");
  EXPECT_EQ(FormatFloat(-3.0, 2), "0.00");
  EXPECT_EQ(FormatInt(-42), "-42");
}

class LocaleGuard {
 public:
  LocaleGuard() : saved_(std::setlocale(LC_ALL, nullptr)) { std::setlocale(LC_ALL, "ru_RU.UTF-8"); }
  ~LocaleGuard() { std::setlocale(LC_ALL, saved_.c_str()); }

 private:
  std::string saved_;
};

TEST(ReadJobTest, TextsFollowTypeAndVersion) {
  LocaleGuard russian;  // a comma locale must change nothing
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  ReadJob base;
  for (int i = 0; i < kReadJobFloats; ++i) ReadJobFloat(base, i) = 1.25f;
  base.T[0] = -4.0f;
  base.cold_water = -1.5f;
  base.serial = 42;
  base.network_address = 7;
  base.scheme = 3;
  base.hours = 1234;
  base.device_time = 0;  // an invalid clock

  struct Case {
    int type, version;
    const char* u5_u8;  // U5-U8 and u5-u8
    const char* p3_p4;
    const char* version_text;
  };
  for (const Case& c : {Case{4, 3, "---", "---", "W4 V3"}, Case{4, 4, "---", "1.25", "W4 V4"},
                        Case{4, 1, "---", "---", "W4"}, Case{2, 1, "1.25", "1.25", "W2"},
                        Case{2, 3, "1.25", "1.25", "W4 V3"}}) {
    SCOPED_TRACE(testing::Message() << c.type << "/" << c.version);
    ReadJob job = base;
    job.type = c.type;
    job.version = c.version;
    const auto t = ReadJobTexts(job);
    EXPECT_EQ(t[0], "1.25");
    EXPECT_EQ(t[2], "0.00");  // a negative temperature
    for (int i : {10, 11, 12, 13, 18, 19, 20, 21}) EXPECT_EQ(t[static_cast<size_t>(i)], c.u5_u8) << i;
    EXPECT_EQ(t[30], c.p3_p4);
    EXPECT_EQ(t[31], c.p3_p4);
    EXPECT_EQ(t[32], "1234");
    EXPECT_EQ(t[33], "01.01.1970");
    EXPECT_EQ(t[34], "00:00:00");
    EXPECT_EQ(t[35], "000042");
    EXPECT_EQ(t[36], c.version_text);
    EXPECT_EQ(t[37], "007");
    EXPECT_EQ(t[38], "03");
    EXPECT_EQ(t[39], "-1.5");
  }
  ::unsetenv("TZ");
  ::tzset();
}

// A NaN or an infinity in the device's bytes is shown as "---", alone, in a
// sum, as a coefficient and as the cold-water temperature; ordinary values as
// before.
TEST(ReadJobTest, NonFiniteDeviceValuesShowAsDashes) {
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  constexpr float kInf = std::numeric_limits<float>::infinity();
  struct Case {
    float value;
    const char* plain;  // T1 = flt24 and E1 = flt32 + 0
    const char* u1;     // 100 + value * 1500 / 1000
    const char* cold;
  };
  for (const Case& c : {Case{kNaN, "---", "---", "---"}, Case{-kNaN, "---", "---", "---"},
                        Case{kInf, "---", "---", "---"}, Case{-kInf, "---", "---", "---"},
                        Case{50.0f, "50.00", "175.00", "50.0"}, Case{-2.0f, "0.00", "97.00", "-2.0"}}) {
    SCOPED_TRACE(c.value);
    Bytes params(192);
    params[0] = 2;
    params[1] = 1;
    PutFloat32(params, 104, c.value);  // E1's archived part
    PutFloat24(params, 40, c.value);   // k1
    PutFloat32(params, 72, 100.0f);    // U1's archived part
    PutFloat24(params, 37, c.value);   // cold water
    Bytes current(90);
    PutFloat24(current, 0, c.value);   // T1
    PutWord(current, 54, 1500);        // U1 pulses
    const auto t = ReadJobTexts(Fill(params, current));
    EXPECT_EQ(t[0], c.plain);
    EXPECT_EQ(t[2], c.plain);
    EXPECT_EQ(t[6], c.u1);
    EXPECT_EQ(t[39], c.cold);
    EXPECT_EQ(t[3], "0.00");
  }
}

}  // namespace
}  // namespace zv::test
