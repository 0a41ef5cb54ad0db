#pragma once
// Turning record values, error codes and raw device bytes into the texts the
// tables, reports and the journal show. All texts are Windows-1251 bytes.

#include <cstdint>
#include <span>
#include <string>

// Error code bits of an hour (see the hourly data record).
namespace zev_error {
inline constexpr int kT1 = 0x0001;
inline constexpr int kT2 = 0x0002;
inline constexpr int kV1 = 0x0004;
inline constexpr int kV2 = 0x0008;
inline constexpr int kFunc1Temp = 0x0010;
inline constexpr int kFunc1Flow = 0x0020;
inline constexpr int kT3 = 0x0100;
inline constexpr int kT4 = 0x0200;
inline constexpr int kV3 = 0x0400;
inline constexpr int kV4 = 0x0800;
inline constexpr int kFunc2Temp = 0x1000;
inline constexpr int kFunc2Flow = 0x2000;
inline constexpr int kPower = 0x8000;
}  // namespace zev_error

// Signed 32-bit little-endian integer (byte 0 lowest).
int32_t ReadInt32(const unsigned char* bytes);

// "%.0f" .. "%.04f" for 0..4 decimals; any other count "%f".
std::string FormatFloatDigits(float value, int digits);
// "%0d" .. "%04d" for 0..4; any other count "%d".
std::string FormatIntDigits(int value, int digits);
// The letters of the error groups present: U power, T temperature sensors,
// V flow sensors, E functional faults.
std::string ErrorCodeText(int code);
// The error-hour lines of one channel (1 or 2) for a printed report, from the
// counters record's values (35 values by column id).
std::string ErrorHoursText(std::span<const float, 35> counters, int channel);
