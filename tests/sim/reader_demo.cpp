#include "tests/sim/reader_demo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "tests/sim/collector_sim.h"

namespace zv::sim {

namespace {

// The device's numbers: IEEE singles, lowest byte first; the 24-bit form is
// the single without its lowest byte.
void PutFloat32(Bytes& at, size_t i, float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  for (size_t k = 0; k < 4; ++k) at[i + k] = static_cast<std::uint8_t>(bits >> (8 * k));
}
void PutFloat24(Bytes& at, size_t i, float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  for (size_t k = 0; k < 3; ++k) at[i + k] = static_cast<std::uint8_t>(bits >> (8 * (k + 1)));
}
void PutInt32(Bytes& at, size_t i, std::uint32_t value) {
  for (size_t k = 0; k < 4; ++k) at[i + k] = static_cast<std::uint8_t>(value >> (8 * k));
}

// A family-2 heat computer's parameter area: network address, scheme,
// cold-water temperature, the volume coefficients, the hours, the totals.
void PutParameters(Bytes& memory) {
  memory[35] = 1;
  memory[36] = 2;
  PutFloat24(memory, 37, 5.0F);
  for (size_t i = 0; i < 5; ++i) PutFloat24(memory, 40 + 3 * i, 1.0F);
  PutInt32(memory, 68, 43210);
  const float volumes[] = {56789.5F, 55123.25F, 1020.75F, 980.5F, 0.0F, 0.0F, 0.0F, 0.0F};
  for (size_t i = 0; i < 8; ++i) PutFloat32(memory, 72 + 4 * i, volumes[i]);
  PutFloat32(memory, 104, 1234.5F);
  PutFloat32(memory, 108, 12.25F);
  const float masses[] = {55432.0F, 54010.5F, 1015.0F, 975.25F};
  for (size_t i = 0; i < 4; ++i) PutFloat32(memory, 112 + 4 * i, masses[i]);
}

// Its current-data answer: temperatures, flows, pressures, power, the volume
// pulses, the energy and mass of the hour begun, the clock's minute and second.
Bytes CurrentData() {
  Bytes data(90, 0);
  const float temperatures[] = {95.5F, 62.25F, 8.5F, 4.25F};
  for (size_t i = 0; i < 4; ++i) PutFloat24(data, 3 * i, temperatures[i]);
  const float flows[] = {12.5F, 12.25F, 3.25F, 3.0F};
  for (size_t i = 0; i < 4; ++i) PutFloat24(data, 12 + 3 * i, flows[i]);
  PutFloat24(data, 36, 6.25F);
  PutFloat24(data, 39, 3.5F);
  PutFloat24(data, 48, 0.375F);
  for (size_t i = 0; i < 8; ++i) {
    data[54 + 2 * i] = static_cast<std::uint8_t>(250 + i);
  }
  PutFloat24(data, 70, 0.25F);
  PutFloat24(data, 76, 11.5F);
  PutFloat24(data, 79, 11.25F);
  data[88] = 30;
  data[89] = 15;
  return data;
}

}  // namespace

void FillDemoHeatComputer(HeatComputer& heat) {
  Bytes memory(HeatComputer::kMemorySize);
  for (size_t a = 0; a < memory.size(); ++a) memory[a] = static_cast<std::uint8_t>(((a * 7) ^ (a >> 8)) & 0x7F);
  PutParameters(memory);
  heat.Poke(0, memory);
  heat.SetType(0);
  heat.SetVersion(2);
  heat.SetSerial(kDemoHeatSerial);
  heat.SetClock(2026, 3, 4, 12, 30, 15);
  heat.SetIdentityBlock(CurrentData());
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
