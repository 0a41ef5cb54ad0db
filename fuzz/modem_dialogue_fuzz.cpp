// The modem dialogue: CComLink::WaitModemReply over any modem output cut into
// reads by the input (fuzz/link_harness.h). The input is a series of waits:
// a byte giving the reply waited for (7: one outside the table) and the number
// of reads (1..16), then the modem's reads for it; each wait ends in 0 or -1.

#include <cstdio>
#include <cstdlib>

#include "fuzz/link_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  zv::fuzz::Input input(data, size);
  zv::fuzz::ChunkedStream stream(input);
  zv::fuzz::NoSleepClock clock;
  zv::fuzz::FuzzedLink<CComLink> link(stream, clock);
  while (!input.empty()) {
    const std::uint8_t wait = input.Byte();
    const int wanted = wait & 7;
    const int tries = 1 + (wait >> 3) % 16;
    const int result = link.WaitModemReply(wanted, tries);
    if (result != 0 && result != -1) {
      std::fprintf(stderr, "WaitModemReply(%d, %d) gave %d\n", wanted, tries, result);
      std::abort();
    }
  }
  return 0;
}
