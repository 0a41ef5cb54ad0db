#include "tests/sim/reader_demo.h"

#include <algorithm>
#include <cstdio>

#include "tests/sim/collector_sim.h"

namespace zv::sim {

void FillDemoHeatComputer(HeatComputer& heat) {
  Bytes memory(HeatComputer::kMemorySize);
  for (size_t a = 0; a < memory.size(); ++a) memory[a] = static_cast<std::uint8_t>(((a * 7) ^ (a >> 8)) & 0x7F);
  heat.Poke(0, memory);
  heat.SetType(0);
  heat.SetVersion(2);
  heat.SetSerial(kDemoHeatSerial);
  heat.SetClock(2026, 3, 4, 12, 30, 0);
}

std::string DemoHourlyBinsBytes(const HeatComputer& heat) {
  constexpr size_t kLead = 90;
  constexpr size_t kImage = 0xE5F4;
  // The parameter area (0 to 191) and the archive area (from 0x100) are read;
  // 192 to 255 stay zero.
  Bytes image = heat.Peek(0, kImage);
  std::fill(image.begin() + 192, image.begin() + 0x100, 0);
  std::string bytes(kLead, '\0');
  bytes.append(image.begin(), image.end());
  return bytes;
}

std::vector<DemoCollectorFile> DemoCollectorFiles() {
  struct Plan {
    int serial, year, month, day, hour;
  };
  const Plan plans[] = {{42, 2026, 3, 2, 10}, {43, 2026, 3, 3, 11}, {42, 2026, 3, 4, 12}};
  std::vector<DemoCollectorFile> files;
  int slot = 0;
  for (const Plan& p : plans) {
    DemoCollectorFile f;
    f.slot = slot;
    f.image.resize(Collector::kSlotSize);
    for (size_t i = 0; i < f.image.size(); ++i) f.image[i] = static_cast<std::uint8_t>(i * 13 + slot + (i >> 9));
    f.image[0] = 4;  // family 1
    f.image[1] = 1;
    f.image[2] = static_cast<std::uint8_t>(p.serial & 0xFF);
    f.image[3] = static_cast<std::uint8_t>(p.serial >> 8);
    f.image[80] = static_cast<std::uint8_t>(p.year - 2000);
    f.image[81] = static_cast<std::uint8_t>(p.month);
    f.image[82] = static_cast<std::uint8_t>(p.day);
    f.image[83] = static_cast<std::uint8_t>(p.hour);
    char name[64];
    std::snprintf(name, sizeof name, "bins/%05d_%d-%02d-%02d_%02d-00.bin", p.serial, p.year, p.month, p.day, p.hour);
    f.bins_name = name;
    files.push_back(std::move(f));
    ++slot;
  }
  return files;
}

void FillDemoCollector(Collector& collector) {
  const std::vector<DemoCollectorFile> files = DemoCollectorFiles();
  collector.SetPointers(static_cast<int>(files.size()), 0);
  for (const DemoCollectorFile& f : files) collector.PutFile(f.slot, 1, f.image);
}

std::string DemoCollectorBinsBytes(const DemoCollectorFile& file) {
  constexpr size_t kLead = 64;
  std::string bytes(kLead, '\0');
  bytes.append(file.image.begin(), file.image.end());
  return bytes;
}

}  // namespace zv::sim
