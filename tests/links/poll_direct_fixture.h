#pragma once
// The poll worker's fixture with the node reached over GSM or TCP as well:
// the heat computer of PollWorkerTest also sits behind a GSM modem on
// COM<kGsmCom> and behind an IP converter on 127.0.0.1 (Reach picks the link).

#include <thread>

#include "links/gsm_link.h"
#include "links/poll_flags.h"
#include "platform/profile.h"
#include "tests/links/poll_fixture.h"
#include "tests/sim/ip_converter.h"
#include "tests/sim/modem_sim.h"

namespace zv::test {

inline constexpr int kGsmCom = kCom + 2;

// The node of the fixture, reached over GSM or TCP as well: the same heat
// computer behind a GSM modem and behind an IP converter.
class PollDirectTest : public PollWorkerTest {
 protected:
  void SetUp() override {
    PollWorkerTest::SetUp();
    gsm_modem_.SetPeer(&pstn_.heat);
    ASSERT_TRUE(gsm_modem_.MapToComPort(kGsmCom));
    gsm_modem_.Start();
    ASSERT_TRUE(converter_.Start());
    const zv::Profile profile(zv::kProgramZEVModem);
    ASSERT_TRUE(profile.WriteInt("Settings", "PortGsmodem", kGsmCom));
    ASSERT_TRUE(profile.WriteString("Settings", "GsmodemInit", "AT+CBST=71"));
    zv::PollTiming timing = block_.setup.timing;
    timing.tcp.io_timeout = zv::Ms(10000);  // only a missing answer makes an empty receive
    SetTiming(timing);
  }
  void TearDown() override {
    PollWorkerTest::TearDown();
    EXPECT_EQ(CZVGSMLink::RunningSenders(), 0);
  }

  void Reach(int modem) {
    node_.header.SetInt("MODEM", modem);
    node_.header.SetString("PHONE", modem == zv::kLinkGsm ? "5557777*3" : "5551234*3");
    node_.header.SetString("IPADDRESS", "127.0.0.1*3");
    node_.header.SetInt("IPPORT", converter_.port());
  }
  // The timing for polls that wait through silent reads.
  void QuickSilence() {
    zv::PollTiming timing = QuickSilenceTiming();
    timing.pstn.disconnect_pause = zv::Ms(300);
    timing.tcp.io_timeout = zv::Ms(200);
    SetTiming(timing);
  }
  // Polls and sets PollCancel once the device has been asked `requests` times.
  void PollAndStopAt(size_t requests) {
    std::thread stopper([&] {
      pstn_.heat.WaitForRequests(requests, kBound);
      PollCancel.store(true);
    });
    Poll();
    stopper.join();
  }

  zv::sim::ModemSimulator gsm_modem_;
  zv::sim::IpConverter converter_{pstn_.heat};
};

}  // namespace zv::test
