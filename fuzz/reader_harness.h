#pragma once
// What the reader fuzz targets share: the direct link (ZEVRS) and the
// collector link (ZEVC) reading the device's answers from the fuzz input
// through their I/O hooks, with pauses of 0 on a clock that never sleeps.
//
// The readers ask for a whole answer at once and the port waits for it, so
// their stream (ReaderStream) differs from the polling links' one: every read
// takes one byte c; c = 0xFF brings the whole answer asked for (or what is
// left of the input), any other c brings min(c, asked) bytes; the end of the
// input is a read that brings nothing (a silent device). What the link writes
// is counted and dropped. fuzz/make_seeds records real exchanges with the
// reader simulators in this form.

#include <atomic>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "fuzz/link_harness.h"
#include "readers/collector/collector_link.h"
#include "readers/common/reader_timing.h"
#include "readers/rs/device_link.h"

namespace zv::fuzz {

inline constexpr std::uint8_t kWholeAnswer = 0xFF;

class ReaderStream {
 public:
  explicit ReaderStream(Input& input) : input_(input) {}
  int Read(std::uint8_t* buffer, int n);

 private:
  Input& input_;
};

// Every pause 0 (the attempt counts and intervals come from the profile,
// which the fuzz runs never have: the defaults).
DirectLinkTiming ZeroDirectTiming();
CollectorLinkTiming ZeroCollectorTiming();

class FuzzedDeviceLink final : public CDeviceLink {
 public:
  FuzzedDeviceLink(ReaderStream& stream, const Clock& clock)
      : CDeviceLink(nullptr, ZeroDirectTiming(), clock), stream_(stream) {}
  long long written() const { return written_; }

 protected:
  int LinkRead(std::uint8_t* buffer, int n) override { return stream_.Read(buffer, n); }
  int LinkWrite(const std::uint8_t*, int n) override {
    written_ += n;
    return n;
  }
  bool LinkSetBaudRate(int) override { return true; }

 private:
  ReaderStream& stream_;
  long long written_ = 0;
};

class FuzzedCollectorLink final : public CCollectorLink {
 public:
  FuzzedCollectorLink(ReaderStream& stream, const Clock& clock)
      : CCollectorLink(nullptr, ZeroCollectorTiming(), clock), stream_(stream) {}
  long long written() const { return written_; }

 protected:
  int LinkRead(std::uint8_t* buffer, int n) override { return stream_.Read(buffer, n); }
  int LinkWrite(const std::uint8_t*, int n) override {
    written_ += n;
    return n;
  }

 private:
  ReaderStream& stream_;
  long long written_ = 0;
};

}  // namespace zv::fuzz
