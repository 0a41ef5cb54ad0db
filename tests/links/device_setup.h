#pragma once
// The simulated metering nodes of the link and poll worker tests: the same
// heat computer reached over a dial-up line (PstnNode, pstn_setup.h), behind a
// GSM modem (GsmNode) or behind an IP converter (TcpNode, direct_setup.h).

#include <cstdint>

#include "tests/sim/heat_computer.h"

namespace zv::test {

// Family 2, device number 42; every memory byte tells its address:
// ((a * 7) ^ (a >> 8)) & mask.
inline void PatternDevice(sim::HeatComputer& heat, std::uint8_t mask = 0xFF) {
  sim::Bytes memory(sim::HeatComputer::kMemorySize);
  for (size_t a = 0; a < memory.size(); ++a) memory[a] = static_cast<std::uint8_t>(((a * 7) ^ (a >> 8)) & mask);
  heat.Poke(0, memory);
  heat.SetType(0);
  heat.SetVersion(2);
  heat.SetSerial(42);
}

}  // namespace zv::test
