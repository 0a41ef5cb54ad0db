#pragma once
// The devices of the readers' demos (scripts/demo zevrs, scripts/demo zevc),
// shared by the launcher that serves them (zv_demo_reader) and the checks
// that drive the programs against them: what each device holds, and the bins
// files the programs must write from it.
//
// - The heat computer on a cable: family 2 (type 0, version 2), device number
//   42, its clock at 4 March 2026 12:30:15, plausible values (temperatures,
//   flows, totals) where ZEVRS reads them and elsewhere a pattern that tells
//   the address. ZEVRS's hourly job writes 90
//   zero bytes (the current-data block, which that job does not read) and the
//   memory from 0 to 0xE5F4 as read: the parameter area 0 to 191, zeros up to
//   0x100, the archive area from there.
// - The collector: kind 2, pointers count 3 from slot 0, three family-1 images
//   (type 4, version 1) of 32 KiB in slots 0 to 2 with their own device
//   numbers and clocks. ZEVC writes 64 zero bytes and the whole image, named
//   after the device number and the image's clock.

#include <string>
#include <vector>

#include "tests/sim/heat_computer.h"
#include "tests/sim/pty_line.h"

namespace zv::sim {

// Not included here: its `slots()` clashes with Qt's keyword in ZEVRS code.
class Collector;

inline constexpr int kDemoHeatSerial = 42;
inline constexpr int kDemoCollectorKind = 2;

void FillDemoHeatComputer(HeatComputer& heat);
// The bytes of ZEVRS's bins file after an hourly job from `heat`.
std::string DemoHourlyBinsBytes(const HeatComputer& heat);

struct DemoCollectorFile {
  int slot = 0;
  Bytes image;
  std::string bins_name;  // "bins/<serial>_<clock>.bin", as ZEVC names it
};
std::vector<DemoCollectorFile> DemoCollectorFiles();
void FillDemoCollector(Collector& collector);
// The bytes of ZEVC's bins file for one of the demo's images.
std::string DemoCollectorBinsBytes(const DemoCollectorFile& file);

}  // namespace zv::sim
