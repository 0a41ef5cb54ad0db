// A device to try the readers with, on a pseudo-terminal of its own:
//
//   zv_demo_reader cable        the heat computer on a cable (for ZEVRS)
//   zv_demo_reader collector    the ZEVC collector with three files (for ZEVC)
//
// Prints "ready <device path>" (the pseudo-terminal's slave, for the COM port
// map) and answers until SIGTERM, SIGINT or SIGHUP. What the devices hold is in
// reader_demo.h. A development aid (scripts/demo zevrs, scripts/demo zevc),
// not part of the programs; it writes no file.
#include <csignal>
#include <cstdio>
#include <memory>
#include <string_view>
#include <unistd.h>

#include "tests/sim/collector_sim.h"
#include "tests/sim/direct_cable.h"
#include "tests/sim/heat_computer.h"
#include "tests/sim/reader_demo.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;
extern "C" void OnSignal(int) { g_stop = 1; }

int Usage() {
  std::fprintf(stderr, "usage: zv_demo_reader cable|collector\n");
  return 2;
}

int NoLine() {
  std::fprintf(stderr, "zv_demo_reader: cannot open a pseudo-terminal\n");
  return 1;
}

int Serve(const zv::sim::PtyLine& line) {
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
  std::printf("ready %s\n", line.slave_path().c_str());
  std::fflush(stdout);
  while (g_stop == 0) ::usleep(100 * 1000);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return Usage();
  const std::string_view what = argv[1];
  if (what == "cable") {
    zv::sim::HeatComputer heat;
    zv::sim::FillDemoHeatComputer(heat);
    zv::sim::DirectCable cable(heat);
    if (!cable.line().ok()) return NoLine();
    cable.Start();
    return Serve(cable.line());
  }
  if (what == "collector") {
    zv::sim::Collector collector(zv::sim::kDemoCollectorKind);
    zv::sim::FillDemoCollector(collector);
    if (!collector.line().ok()) return NoLine();
    collector.Start();
    return Serve(collector.line());
  }
  return Usage();
}
