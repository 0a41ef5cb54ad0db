// Link answers: the PSTN link's answers through the line-side controller (outer and inner frames), over any byte stream cut into reads by the input
// (fuzz/link_harness.h). Byte 0 gives the days since the node's last record
// (so the block list's size); the rest is the device's stream for the first
// block, the block list and the identity request.

#include "fuzz/link_harness.h"
#include "links/pstn_link.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  zv::fuzz::Input input(data, size);
  const int days_back = input.Byte();
  zv::fuzz::ChunkedStream stream(input);
  zv::fuzz::NoSleepClock clock;
  zv::fuzz::FuzzedLink<CZVMLink> link(stream, clock);
  zv::fuzz::RunDownload(link, zv::kLinkPstn, days_back);
  return 0;
}
