// Link answers: the GSM link's answers: the request sender on its own thread, the receiver taking answers in any order and resynchronising, over any byte stream cut into reads by the input
// (fuzz/link_harness.h). Byte 0 gives the days since the node's last record
// (so the block list's size); the rest is the device's stream for the first
// block, the block list and the identity request.

#include "fuzz/link_harness.h"
#include "links/gsm_link.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  zv::fuzz::Input input(data, size);
  const int days_back = input.Byte();
  zv::fuzz::ChunkedStream stream(input);
  zv::fuzz::NoSleepClock clock;
  zv::fuzz::FuzzedLink<CZVGSMLink> link(stream, clock);
  zv::fuzz::RunDownload(link, zv::kLinkGsm, days_back);
  return 0;
}
