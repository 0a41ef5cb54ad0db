#pragma once
// How the poll worker reaches a node: the address from the node header, the
// port and init string from the workstation's settings, and the link object,
// all chosen by the header's MODEM value (link_type.h).
//
//   MODEM 1 (PSTN): PHONE, COM port Settings/"PortModem" (2), init "ModemInit" ("")
//   MODEM 2 (GSM):  PHONE, COM port Settings/"PortGsmodem" (1), init "GsmodemInit" ("")
//   MODEM 3 (TCP):  IPADDRESS, TCP port IPPORT (0 when missing), no init string
//
// A "*" in the address selects one device on a shared line: "555*3" dials 555
// and asks for device 3; a number after the "*" outside 1..255 means any device
// (0). The same holds for an IP address.
//
// Adding a link: one case in CreateLink.

#include <memory>
#include <optional>
#include <string>

#include "data/data_header.h"
#include "links/com_link.h"

namespace zv {

struct LinkEndpoint {
  int modem = 0;           // the header's MODEM value
  std::string address;     // the phone number or host, without the "*" part
  int device_address = 0;  // 0 = any device
  int port = 0;            // COM port number, or the TCP port
  std::string init;        // the modem's init string ("" for none)
};

// Splits "<address>*<device>" as described above.
void SplitDeviceAddress(const std::string& text, std::string& address, int& device_address);

// The endpoint of a node; nothing when its PHONE (IPADDRESS for MODEM 3) is empty.
std::optional<LinkEndpoint> ReadLinkEndpoint(const CDataHeader& header);

// A new link for the MODEM value; null for a value without a link.
std::unique_ptr<CComLink> CreateLink(int modem, const PollTiming& timing, const Clock& clock, StatusSink* sink);

}  // namespace zv
