#pragma once
// The metering nodes whose heat computer the workstation talks to directly,
// for the GSM and TCP link and poll worker tests: behind a GSM modem on
// COM<com>, or behind an IP converter on 127.0.0.1. A RecordingPeer in front
// of the heat computer keeps every byte that reached it.
//
// The device's memory bytes stay below 0x80 here, and the tests' blocks lie
// at 0x8000 and above, so no two data bytes ever read as a block address
// (the GSM link looks for block addresses when it resynchronises).

#include <cstdint>

#include "links/poll_timing.h"
#include "tests/links/device_setup.h"
#include "tests/sim/data_peer.h"
#include "tests/sim/heat_computer.h"
#include "tests/sim/ip_converter.h"
#include "tests/sim/modem_sim.h"

namespace zv::test {

struct GsmNode {
  GsmNode() {
    PatternDevice(heat, 0x7F);
    modem.SetPeer(&wire);
  }
  // Maps the modem to COM<com> and starts it; false when the map cannot be written.
  bool Start(int com) {
    if (!modem.MapToComPort(com)) return false;
    modem.Start();
    return true;
  }

  sim::HeatComputer heat;
  sim::RecordingPeer wire{heat};
  sim::ModemSimulator modem;  // stopped first
};

struct TcpNode {
  TcpNode() { PatternDevice(heat, 0x7F); }
  bool Start() { return converter.Start(); }

  sim::HeatComputer heat;
  sim::RecordingPeer wire{heat};
  sim::IpConverter converter{wire};  // stopped first
};

// The answer faults the GSM and TCP tests use most.
inline sim::AnswerFault DropFault() {
  sim::AnswerFault f;
  f.drop = true;
  return f;
}
inline sim::AnswerFault BadCrcFault() {
  sim::AnswerFault f;
  f.bad_crc = true;
  return f;
}
// The answer carries `block` instead of the one asked for.
inline sim::AnswerFault OtherBlockFault(std::uint16_t block) {
  sim::AnswerFault f;
  f.block = block;
  return f;
}
// `n` noise bytes before the answer.
inline sim::AnswerFault NoiseFault(size_t n) {
  sim::AnswerFault f;
  f.noise = sim::Bytes(n, 0x11);
  return f;
}

// The timing with every pause of the GSM and TCP links made a little
// different from the others (by a few microseconds), so a test can count each
// one by its length.
inline PollTiming DistinctDirectPauses(PollTiming t) {
  int k = 1;
  t.gsm.ForEachDuration([&k](Duration& d) { d += Duration(k++); });
  t.tcp.ForEachDuration([&k](Duration& d) { d += Duration(k++); });
  return t;
}

}  // namespace zv::test
