#pragma once
// The values ZEVRS shows: the record that carries them from the worker to the
// dialog (by copy, with its event), how they are decoded from the link's image
// and current-data block, and the 40 texts the dialog shows. No Qt.

#include <array>
#include <cstdint>
#include <string>

class CDeviceLink;

namespace zv {

inline constexpr int kJobHourly = 1;
inline constexpr int kJobCurrent = 2;

struct ReadJob {
  int job = 0;  // kJobHourly or kJobCurrent
  int DataTransfer = 0;
  int ArchiveSave = 0;
  float E[2] = {};
  float T[4] = {};
  float U[8] = {};
  float u[8] = {};
  float F[2] = {};
  float G[4] = {};
  float P[4] = {};
  int serial = 0;
  int type = 0;
  int version = 0;
  int hours = 0;
  std::int64_t device_time = 0;
  int network_address = 0;
  int scheme = 0;
  float cold_water = 0;
};

inline constexpr int kReadJobFloats = 32;
// The i-th of the 32 floats, in the record's order (E1 .. P4).
float& ReadJobFloat(ReadJob& job, int i);
float ReadJobFloat(const ReadJob& job, int i);
void ZeroReadJobFloats(ReadJob& job);

// Stores every value from the link's image and current-data block (model and
// version from ReadParameters); sums are made in double and stored as floats.
void FillReadJob(const CDeviceLink& link, ReadJob& job);

// "%.0f" .. "%.04f" for 0 to 4 decimals, "%f" for -1, "" otherwise; a negative
// value is shown as 0. Never locale-dependent.
std::string FormatFloat(double value, int decimals);
std::string FormatInt(int value);

// The 40 fields of the dialog, in order; their names are the widgets' names.
inline constexpr int kValueFieldCount = 40;
extern const std::array<const char*, kValueFieldCount> kValueFieldNames;
// The field texts of a record (ASCII: digits, signs, dots and "---", which
// stands for a value the model lacks and for a NaN or infinity).
std::array<std::string, kValueFieldCount> ReadJobTexts(const ReadJob& job);

}  // namespace zv
