#pragma once
// The data columns of a node file: key (what files store), title and unit (what
// tables and reports head their columns with).
//
// The viewer and the workstation number the columns differently: the viewer's
// ids (35 rows) index the value array of a data record; the workstation's ids
// (34 rows, no P34, pressures in "атм") index its status view's shown columns.
// Only the keys cross between the programs.

#include <string>
#include <string_view>
#include <vector>

struct CDataColumn {
  int id;
  std::string key;    // Latin letters and digits, up to 4 characters
  std::string title;  // Windows-1251
  std::string unit;   // Windows-1251
};

namespace zv {

// The viewer's table; row i has id i.
const std::vector<CDataColumn>& ViewerColumnTable();
// The workstation's table; row i has id i.
const std::vector<CDataColumn>& WorkstationColumnTable();

// The id of the first row whose key equals `key` without regard to letter case,
// or -1.
int FindColumnByKey(const std::vector<CDataColumn>& table, std::string_view key);

}  // namespace zv

// Column ids of the viewer's table (the value index of a data record).
namespace zev_column {
inline constexpr int kDate = 0;
inline constexpr int kE1 = 1;
inline constexpr int kE2 = 2;
inline constexpr int kE12 = 3;
inline constexpr int kT1 = 4;
inline constexpr int kT2 = 5;
inline constexpr int kT12 = 6;
inline constexpr int kT3 = 7;
inline constexpr int kT4 = 8;
inline constexpr int kT34 = 9;
inline constexpr int kV1 = 10;
inline constexpr int kV2 = 11;
inline constexpr int kV12 = 12;
inline constexpr int kV3 = 13;
inline constexpr int kV4 = 14;
inline constexpr int kV34 = 15;
inline constexpr int kV5 = 16;
inline constexpr int kV6 = 17;
inline constexpr int kV7 = 18;
inline constexpr int kV8 = 19;
inline constexpr int kM1 = 20;
inline constexpr int kM2 = 21;
inline constexpr int kM12 = 22;
inline constexpr int kM3 = 23;
inline constexpr int kM4 = 24;
inline constexpr int kM34 = 25;
inline constexpr int kP1 = 26;
inline constexpr int kP2 = 27;
inline constexpr int kP12 = 28;
inline constexpr int kP3 = 29;
inline constexpr int kP4 = 30;
inline constexpr int kP34 = 31;
inline constexpr int kEC = 32;
inline constexpr int kGW = 33;
inline constexpr int kEW = 34;
inline constexpr int kCount = 35;
}  // namespace zev_column
