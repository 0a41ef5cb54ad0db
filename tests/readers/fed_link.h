#pragma once
// Test support for the direct reader: the scaled link timing, the profile
// values that keep the link's waits short, and FedLink, a CDeviceLink whose
// I/O hooks take their answers from a queue instead of a line.

#include <algorithm>
#include <deque>

#include "platform/profile.h"
#include "readers/rs/device_link.h"
#include "tests/sim/heat_computer.h"
#include "tests/sim/test_clock.h"

namespace zv::test {

inline DirectLinkTiming TestLinkTiming() {
  DirectLinkTiming t = ScaledTiming(DirectLinkTiming{}, sim::kTestTimeScale);
  t.pause_slice = Ms(20);
  return t;
}

// Short time-outs, three attempts of everything, short intervals.
inline void WriteReaderProfile(int recv_timeout = 150) {
  const Profile p(kProgramZEVRS);
  p.WriteInt("Properties", "RecvTimeout", recv_timeout);
  p.WriteInt("Properties", "SendTimeout", 500);
  p.WriteInt("Properties", "InitMaxAttempts", 3);
  p.WriteInt("Properties", "InitAttemptsInterval", 7);
  p.WriteInt("Properties", "ParamsMaxAttempts", 3);
  p.WriteInt("Properties", "ParamsAttemptsInterval", 3);
  p.WriteInt("Properties", "RamMaxAttempts", 3);
  p.WriteInt("Properties", "RomMaxAttempts", 3);
}

inline sim::Bytes WithCrc(sim::Bytes data) {
  const std::uint16_t crc = sim::DeviceCrc(data.data(), data.size());
  data.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  data.push_back(static_cast<std::uint8_t>(crc >> 8));
  return data;
}

class FedLink : public CDeviceLink {
 public:
  explicit FedLink(const Clock& clock) : CDeviceLink(nullptr, TestLinkTiming(), clock) {}
  std::deque<sim::Bytes> answers;
  sim::Bytes written;

 protected:
  int LinkRead(std::uint8_t* buffer, int n) override {
    if (answers.empty()) return 0;
    const sim::Bytes a = answers.front();
    answers.pop_front();
    const int k = std::min(n, static_cast<int>(a.size()));
    std::copy(a.begin(), a.begin() + k, buffer);
    return k;
  }
  int LinkWrite(const std::uint8_t* buffer, int n) override {
    written.insert(written.end(), buffer, buffer + n);
    return n;
  }
  bool LinkSetBaudRate(int) override { return true; }
};

}  // namespace zv::test
