// Link answers of the GSM link (the request sender on its own thread, the receiver taking
// answers in any order and resynchronising): a whole download
// over any byte stream cut into reads by the input (fuzz/link_harness.h).
// Byte 0 gives the days since the node's last record (so the block list's
// size); the rest is the device's stream for the first block, the block list
// and the identity request.

#include "fuzz/link_harness.h"
#include "links/gsm_link.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  zv::fuzz::FuzzDownload<CZVGSMLink>(data, size, zv::kLinkGsm);
  return 0;
}
