// The poll worker over the GSM and TCP links: the same heat computer behind a
// GSM modem and behind an IP converter gives the same bins file as over the
// dial-up line, and the faults of those links end a poll with the failure
// status, a stop by the user with the stop status.

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "links/gsm_link.h"
#include "links/node_status.h"
#include "links/poll_flags.h"
#include "platform/profile.h"
#include "tests/links/direct_setup.h"
#include "tests/links/poll_direct_fixture.h"
#include "tests/links/poll_fixture.h"
#include "tests/sim/archive_layout.h"
#include "tests/sim/ip_converter.h"
#include "tests/sim/modem_sim.h"

namespace {

using zv::sim::Bytes;
using namespace zv::test;
namespace status = zv::node_status;


TEST_F(PollDirectTest, GsmAndTcpGiveTheSameBinsFileAsTheDialUpLine) {
  // The device holds nothing but its identity bytes and the archive records,
  // so every link's image holds the same bytes whatever its block size.
  pstn_.heat.Poke(0, Bytes(zv::sim::HeatComputer::kMemorySize, 0));
  pstn_.heat.SetType(0);
  pstn_.heat.SetVersion(2);
  pstn_.heat.SetSerial(42);
  const zv::sim::ArchiveLayout layout = *zv::sim::ArchiveLayout::For(2, 2);
  const DateStamp now(2024, 3, 12, 14, 0, 0);
  zv::sim::WriteArchive(pstn_.heat, layout, DateStamp(2024, 3, 9, 0, 0, 0), now);
  Settings(0, 1);  // no converter; the file goes to archive-bins

  std::vector<std::string> files;
  for (int modem : {zv::kLinkPstn, zv::kLinkGsm, zv::kLinkTcp}) {
    SCOPED_TRACE(modem);
    Reach(modem);
    Poll();
    EXPECT_EQ(Final(), status::kOk);
    files.push_back(Read(kArchivedName));
    std::filesystem::remove(File(kArchivedName));
  }
  ASSERT_EQ(files[0].size(), kFamily2BinsSize);
  const zv::sim::RecordPlace last = layout.Hourly(now);
  const Bytes record = zv::sim::RecordBytes(false, now, last.size);
  EXPECT_EQ(files[0].substr(90 + static_cast<size_t>(last.address), record.size()),
            std::string(record.begin(), record.end()));
  EXPECT_TRUE(files[1] == files[0]) << "GSM";
  EXPECT_TRUE(files[2] == files[0]) << "TCP";

  // Each went its own way.
  EXPECT_EQ(gsm_modem_.dials(), (std::vector<zv::sim::ModemSimulator::Dial>{{0, "5557777"}}));
  EXPECT_EQ(gsm_modem_.commands().front(), "AT+CBST=71");
  EXPECT_TRUE(gsm_modem_.WaitForHangups(1, kBound));
  EXPECT_EQ(converter_.connections(), 1u);
  EXPECT_TRUE(converter_.WaitForClosedByWorkstation(1, kBound));
  for (const zv::sim::LoggedRequest& r : pstn_.heat.requests()) {
    EXPECT_TRUE(r.device == 3 || (r.device == 0 && r.address == 0)) << r.address;
  }
}

TEST_F(PollDirectTest, AGsmDownloadConvertsAndArchivesLikeAnyOther) {
  Reach(zv::kLinkGsm);
  Poll();
  EXPECT_EQ(Final(), status::kOk);
  const std::vector<int> s = Statuses();
  EXPECT_EQ(std::vector<int>(s.begin(), s.begin() + 3),
            (std::vector<int>{status::kOpeningPort, status::kInitialising, status::kDialling}));
  EXPECT_EQ(Read("converter.log").substr(0, 2 + std::string(kBinsName).size()), "1\n" + std::string(kBinsName));
  EXPECT_EQ(Read(kArchivedName).size(), kFamily2BinsSize);
}

// Faults of the GSM and TCP links end the poll with the failure status; none
// of them is a stop by the user.
class PollLinkFaultTest;
struct LinkFault {
  const char* name;
  int modem;
  std::function<void(PollLinkFaultTest&)> fault;
};

void PrintTo(const LinkFault& f, std::ostream* os) { *os << f.name; }

class PollLinkFaultTest : public PollDirectTest, public ::testing::WithParamInterface<LinkFault> {
 public:
  zv::sim::HeatComputer& heat() { return pstn_.heat; }
  zv::sim::IpConverter& converter() { return converter_; }
  zv::PollTiming& timing() { return block_.setup.timing; }
};

TEST_P(PollLinkFaultTest, EndsWithTheFailureStatus) {
  const LinkFault& c = GetParam();
  QuickSilence();
  Settings(1, 0);
  Reach(c.modem);
  c.fault(*this);
  Poll();
  EXPECT_EQ(Final(), status::kFailure);
  EXPECT_EQ(node_.status.load(), status::kFailure);
  EXPECT_FALSE(Exists("converter.log"));
  EXPECT_TRUE(NoBinsFiles());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, PollLinkFaultTest,
    ::testing::Values(
        LinkFault{"GsmDeadLine", zv::kLinkGsm, [](PollLinkFaultTest& t) { t.heat().SetSilentFrom(3); }},
        LinkFault{"GsmTimeLimit", zv::kLinkGsm,
                  [](PollLinkFaultTest& t) {
                    zv::Profile(zv::kProgramZEVModem).WriteInt("Settings", "GSMTimeout", 1);
                    t.timing().gsm.timeout_minute = zv::Duration(1);  // over after the first request
                  }},
        LinkFault{"GsmSilentDevice", zv::kLinkGsm, [](PollLinkFaultTest& t) { t.heat().SetSilentFrom(0); }},
        LinkFault{"TcpConverterHangsUp", zv::kLinkTcp, [](PollLinkFaultTest& t) { t.converter().SetCloseAfter(3); }},
        LinkFault{"TcpSilentDevice", zv::kLinkTcp, [](PollLinkFaultTest& t) { t.heat().SetSilentFrom(2); }}),
    [](const ::testing::TestParamInfo<LinkFault>& info) { return std::string(info.param.name); });

// A stop by the user during the download ends with the stop status. The
// device keeps answering badly, so nothing but the stop ends the download.
TEST_F(PollDirectTest, AStopDuringAGsmDownloadEndsWithCancelled) {
  QuickSilence();
  Reach(zv::kLinkGsm);
  for (size_t n = 1; n < 1000; ++n) pstn_.heat.SetFault(n, BadCrcFault());  // all but the first block
  PollAndStopAt(5);
  EXPECT_EQ(Final(), status::kCancelled);
  EXPECT_TRUE(NoBinsFiles());
  EXPECT_TRUE(gsm_modem_.WaitForHangups(1, kBound));
}

TEST_F(PollDirectTest, AStopDuringATcpDownloadEndsWithCancelled) {
  Reach(zv::kLinkTcp);
  pstn_.heat.SetSilentFrom(3);  // silent before the stop: the download cannot end first
  PollAndStopAt(3);
  EXPECT_EQ(Final(), status::kCancelled);
  EXPECT_TRUE(NoBinsFiles());
  EXPECT_TRUE(converter_.WaitForClosedByWorkstation(1, kBound));
}

}  // namespace
