#include "links/link_factory.h"

#include "links/gsm_link.h"
#include "links/pstn_link.h"
#include "links/tcp_link.h"
#include "platform/numbers.h"
#include "platform/profile.h"

namespace zv {

void SplitDeviceAddress(const std::string& text, std::string& address, int& device_address) {
  const size_t star = text.find('*');
  address = text.substr(0, star);
  device_address = 0;
  if (star == std::string::npos) return;
  const int n = AtoI(std::string_view(text).substr(star + 1));
  if (n >= 1 && n <= 255) device_address = n;
}

std::optional<LinkEndpoint> ReadLinkEndpoint(const CDataHeader& header) {
  LinkEndpoint endpoint;
  endpoint.modem = header.GetInt("MODEM");
  const bool tcp = endpoint.modem == kLinkTcp;
  const std::string text = header.GetString(tcp ? "IPADDRESS" : "PHONE");
  if (text.empty()) return std::nullopt;
  SplitDeviceAddress(text, endpoint.address, endpoint.device_address);

  const Profile profile(kProgramZEVModem);
  if (tcp) {
    endpoint.port = header.GetInt("IPPORT");
  } else if (endpoint.modem == kLinkGsm) {
    endpoint.port = profile.GetInt("Settings", "PortGsmodem", 1);
    endpoint.init = profile.GetString("Settings", "GsmodemInit", "");
  } else {
    endpoint.port = profile.GetInt("Settings", "PortModem", 2);
    endpoint.init = profile.GetString("Settings", "ModemInit", "");
  }
  return endpoint;
}

std::unique_ptr<CComLink> CreateLink(int modem, const PollTiming& timing, const Clock& clock, StatusSink* sink) {
  switch (modem) {
    case kLinkPstn: return std::make_unique<CZVMLink>(timing, clock, sink);
    case kLinkGsm: return std::make_unique<CZVGSMLink>(timing, clock, sink);
    case kLinkTcp: return std::make_unique<CZVACLink>(timing, clock, sink);
    default: return nullptr;
  }
}

}  // namespace zv
