#include "readers/rs/read_job.h"

#include <cmath>
#include <ctime>

#include "data/format_helpers.h"
#include "platform/str_format.h"
#include "readers/common/decoders.h"
#include "readers/rs/device_link.h"

namespace zv {

namespace {

// Where one float comes from, for one model.
struct Source {
  enum Kind { kZero, kCurrent, kSum, kPulses } kind;
  int img;    // flt32 image address (kSum, kPulses)
  int cur;    // current-data offset: flt24 (kCurrent, kSum) or word (kPulses)
  int coeff;  // kPulses: 1..5, the coefficient k1..k5
};

constexpr Source Zero() { return {Source::kZero, 0, 0, 0}; }
constexpr Source Cur(int c) { return {Source::kCurrent, 0, c, 0}; }
constexpr Source Sum(int i, int c) { return {Source::kSum, i, c, 0}; }
constexpr Source Pulses(int i, int c, int k) { return {Source::kPulses, i, c, k}; }

struct FloatValue {
  Source model1;
  Source model2;
};

// E1 E2, T1-T4, U1-U8, u1-u8, F1 F2, G1-G4, P1-P4.
constexpr FloatValue kFloats[kReadJobFloats] = {
    {Sum(104, 44), Sum(104, 70)},
    {Sum(108, 47), Sum(108, 73)},
    {Cur(0), Cur(0)},
    {Cur(3), Cur(3)},
    {Cur(6), Cur(6)},
    {Cur(9), Cur(9)},
    {Pulses(88, 36, 1), Pulses(72, 54, 1)},
    {Pulses(92, 38, 2), Pulses(76, 56, 2)},
    {Pulses(96, 40, 3), Pulses(80, 58, 3)},
    {Pulses(100, 42, 4), Pulses(84, 60, 4)},
    {Zero(), Pulses(88, 62, 5)},
    {Zero(), Pulses(92, 64, 5)},
    {Zero(), Pulses(96, 66, 5)},
    {Zero(), Pulses(100, 68, 5)},
    {Cur(12), Cur(12)},
    {Cur(15), Cur(15)},
    {Cur(18), Cur(18)},
    {Cur(21), Cur(21)},
    {Zero(), Cur(24)},
    {Zero(), Cur(27)},
    {Zero(), Cur(30)},
    {Zero(), Cur(33)},
    {Cur(30), Cur(48)},
    {Cur(33), Cur(51)},
    {Sum(112, 50), Sum(112, 76)},
    {Sum(116, 53), Sum(116, 79)},
    {Sum(120, 56), Sum(120, 82)},
    {Sum(124, 59), Sum(124, 85)},
    {Cur(24), Cur(36)},
    {Cur(27), Cur(39)},
    {Zero(), Cur(42)},
    {Zero(), Cur(45)},
};

// The image places of the other values, by model.
struct Places {
  int coefficients[5];  // flt24 k1..k5 (k5: -1 for none)
  int hours;            // long
  int network_address;
  int scheme;
  int cold_water;       // flt24
};
constexpr Places kPlaces1 = {{68, 71, 74, 77, -1}, 84, 63, 64, 65};
constexpr Places kPlaces2 = {{40, 43, 46, 49, 52}, 68, 35, 36, 37};

// A NaN or an infinity from the device is no reading: it is shown as "---",
// like a value the model lacks.
constexpr const char* kNoValue = "---";

}  // namespace

float& ReadJobFloat(ReadJob& job, int i) {
  if (i < 2) return job.E[i];
  if (i < 6) return job.T[i - 2];
  if (i < 14) return job.U[i - 6];
  if (i < 22) return job.u[i - 14];
  if (i < 24) return job.F[i - 22];
  if (i < 28) return job.G[i - 24];
  return job.P[i - 28];
}

float ReadJobFloat(const ReadJob& job, int i) { return ReadJobFloat(const_cast<ReadJob&>(job), i); }

void ZeroReadJobFloats(ReadJob& job) {
  for (int i = 0; i < kReadJobFloats; ++i) ReadJobFloat(job, i) = 0.0f;
}

void FillReadJob(const CDeviceLink& link, ReadJob& job) {
  const std::uint8_t* img = link.image();
  const std::uint8_t* cur = link.current_data();
  const bool model1 = link.model() == 1;
  const Places& places = model1 ? kPlaces1 : kPlaces2;
  double k[6] = {};
  for (int i = 0; i < 5; ++i) {
    if (places.coefficients[i] >= 0) k[i + 1] = ReadFloat24(img + places.coefficients[i]);
  }
  for (int i = 0; i < kReadJobFloats; ++i) {
    const Source& s = model1 ? kFloats[i].model1 : kFloats[i].model2;
    double v = 0.0;
    switch (s.kind) {
      case Source::kZero: break;
      case Source::kCurrent: v = ReadFloat24(cur + s.cur); break;
      case Source::kSum: v = static_cast<double>(ReadFloat32(img + s.img)) + ReadFloat24(cur + s.cur); break;
      case Source::kPulses:
        v = static_cast<double>(ReadFloat32(img + s.img)) + k[s.coeff] * ReadUInt16(cur + s.cur) / 1000.0;
        break;
    }
    ReadJobFloat(job, i) = static_cast<float>(v);
  }
  job.serial = ReadUInt16(img + 2);
  job.type = img[0];
  job.version = link.version();
  job.hours = ReadInt32(img + places.hours);
  job.device_time = link.GetDeviceTime();
  job.network_address = img[places.network_address];
  job.scheme = img[places.scheme];
  job.cold_water = ReadFloat24(img + places.cold_water);
}

std::string FormatFloat(double value, int decimals) {
  static constexpr const char* kFormats[5] = {"%.0f", "%.01f", "%.02f", "%.03f", "%.04f"};
  if (value < 0) value = 0;
  if (decimals == -1) return StrFormat("%f", value);
  if (decimals < 0 || decimals > 4) return std::string();
  return StrFormat(kFormats[decimals], value);
}

std::string FormatInt(int value) { return StrFormat("%d", value); }

const std::array<const char*, kValueFieldCount> kValueFieldNames = {
    "E1", "E2", "T1", "T2", "T3", "T4", "U1", "U2", "U3", "U4", "U5", "U6", "U7", "U8",
    "u1", "u2", "u3", "u4", "u5", "u6", "u7", "u8", "F1", "F2", "G1", "G2", "G3", "G4",
    "P1", "P2", "P3", "P4", "Hours", "Date", "Time", "Serial", "Version", "NetworkAddress",
    "Scheme", "ColdWater"};

std::array<std::string, kValueFieldCount> ReadJobTexts(const ReadJob& job) {
  std::array<std::string, kValueFieldCount> t;
  for (int i = 0; i < kReadJobFloats; ++i) {
    const float v = ReadJobFloat(job, i);
    t[static_cast<size_t>(i)] = std::isfinite(v) ? FormatFloat(v, 2) : kNoValue;
  }
  if (job.type == 4) {
    for (int i = 10; i < 14; ++i) t[static_cast<size_t>(i)] = kNoValue;  // U5-U8
    for (int i = 18; i < 22; ++i) t[static_cast<size_t>(i)] = kNoValue;  // u5-u8
    if (job.version != 4) t[30] = t[31] = kNoValue;                      // P3, P4
  }
  t[32] = FormatInt(job.hours);
  const std::time_t when = static_cast<std::time_t>(job.device_time);
  std::tm local{};
  localtime_r(&when, &local);
  t[33] = StrFormat("%02d.%02d.%d", local.tm_mday, local.tm_mon + 1, local.tm_year + 1900);
  t[34] = StrFormat("%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
  t[35] = StrFormat("%06d", job.serial);
  if (job.version == 3 || job.version == 4) {
    t[36] = StrFormat("W4 V%d", job.version);
  } else {
    t[36] = StrFormat("W%d", job.type);
  }
  t[37] = StrFormat("%03d", job.network_address);
  t[38] = StrFormat("%02d", job.scheme);
  t[39] = std::isfinite(job.cold_water) ? StrFormat("%.01f", static_cast<double>(job.cold_water)) : kNoValue;
  return t;
}

}  // namespace zv
