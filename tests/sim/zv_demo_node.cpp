// A metering node to try the workstation with: a simulated heat computer
// (family 2, device number 42) behind a simulated IP converter on 127.0.0.1.
//
//   zv_demo_node FOLDER
//
// Writes FOLDER/00042_Демо.zev (MODEM 3, IPADDRESS 127.0.0.1, IPPORT the
// converter's port, the last data line three days old) and FOLDER/demo.gr (a
// group of that one node), prints "ready <port>" and serves connections until
// SIGTERM, SIGINT or SIGHUP; --help or an option prints the usage and exits
// with 2, writing nothing. A development aid (scripts/demo), not part of the
// programs.
#include <csignal>
#include <cstdio>
#include <ctime>
#include <string>
#include <unistd.h>

#include "data/date_stamp.h"
#include "modem/group_file.h"
#include "platform/cp1251.h"
#include "tests/sim/heat_computer.h"
#include "tests/sim/ip_converter.h"
#include "tests/sim/node_file_generator.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;
extern "C" void OnSignal(int) { g_stop = 1; }

// Memory bytes that tell their address, kept below 0x80, with the identity of
// a family 2 device numbered 42.
void FillDevice(zv::sim::HeatComputer& heat) {
  zv::sim::Bytes memory(zv::sim::HeatComputer::kMemorySize);
  for (size_t a = 0; a < memory.size(); ++a) memory[a] = static_cast<std::uint8_t>(((a * 7) ^ (a >> 8)) & 0x7F);
  heat.Poke(0, memory);
  heat.SetType(0);
  heat.SetVersion(2);
  heat.SetSerial(42);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '-') {  // --help or another option
    std::fprintf(stderr, "usage: zv_demo_node FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  zv::sim::HeatComputer heat;
  FillDevice(heat);
  zv::sim::IpConverter converter(heat);
  if (!converter.Start()) {
    std::fprintf(stderr, "zv_demo_node: cannot listen on 127.0.0.1\n");
    return 1;
  }

  zv::sim::NodeFilePlan plan;
  plan.header = zv::sim::NodeHeaderKeys::Converted(8, "00042", zv::W1251("Демо"));
  plan.header.AddWorkstationKeys(3);
  plan.header.Set("MODEM", "3");
  plan.header.Set("IPADDRESS", "127.0.0.1");
  plan.header.Set("IPPORT", std::to_string(converter.port()));
  DateStamp last;
  last.FromTime(std::time(nullptr) - 3 * 24 * 60 * 60);
  last = DateStamp(last.year, last.month, last.day, last.hour, 0, 0);
  plan.data = zv::sim::HourlySeries::Ending(last, 24 * 7);
  const std::string node_file = zv::sim::WriteNodeFile(folder, plan);
  std::string error;
  if (node_file.empty() || !zv::WriteGroupFile(folder + "/demo.gr", {node_file}, &error)) {
    std::fprintf(stderr, "zv_demo_node: cannot write into %s %s\n", folder.c_str(), error.c_str());
    return 1;
  }

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
  std::printf("ready %d\n", converter.port());
  std::fflush(stdout);
  while (g_stop == 0) ::usleep(100 * 1000);
  converter.Stop();
  return 0;
}
