#pragma once
// What the link fuzz targets share: a link whose device is the fuzz input, a
// clock that never sleeps, a timing record without pauses, and the steps of a
// download as the poll worker takes them.
//
// The device's bytes come from the input, cut into reads by the input itself
// (ChunkedStream): every read the link makes takes one length byte c, then
// min(c, bytes asked for, bytes left) bytes; c = 0, or the end of the input, is
// a read that brings nothing. What the link writes is counted and dropped, and
// dropping the input (after a bad answer) drops nothing: the stream holds only
// what the link reads. fuzz/make_seeds records real exchanges with the
// simulators in this form.
//
// Use (in a target):
//   zv::fuzz::FuzzDownload<CZVMLink>(data, size, zv::kLinkPstn);

#include <atomic>
#include <chrono>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "links/clock.h"
#include "links/com_link.h"
#include "links/poll_timing.h"

namespace zv::fuzz {

class ChunkedStream {
 public:
  explicit ChunkedStream(Input& input) : input_(input) {}
  // Fills up to `n` bytes of `buffer` as described above; the number given.
  int Read(std::uint8_t* buffer, int n);

 private:
  Input& input_;
};

// Starts at a fixed local date; each pause moves its time on by the pause at
// once (and yields the thread, so the GSM request sender, pausing 0, does not
// crowd out the receiver). Thread-safe.
class NoSleepClock final : public Clock {
 public:
  NoSleepClock();
  TimePoint Now() const override;
  void Sleep(std::chrono::microseconds pause) const override;

 private:
  TimePoint start_;
  mutable std::atomic<long long> slept_us_{0};
};

// Every pause and time-out 0. The GSM time limit's minute keeps its length: a
// limit of 0 would end every GSM download at its first request, and the clock
// above only moves by the pauses taken (all 0), so it is never reached.
PollTiming ZeroTiming();

// The poll's target time of the fuzzed downloads (the clock's date plus two
// hours, as the worker has it).
DateStamp DownloadTarget();

// A link of type Link (CZVMLink, CZVGSMLink, CZVACLink, or CComLink for the
// modem dialogue) reading from the stream.
template <class Link>
class FuzzedLink final : public Link {
 public:
  FuzzedLink(ChunkedStream& stream, const Clock& clock) : Link(ZeroTiming(), clock, nullptr), stream_(stream) {}

  long long written() const { return written_.load(); }

 protected:
  int LinkRead(std::uint8_t* buffer, int n) override { return stream_.Read(buffer, n); }
  int LinkWrite(const std::uint8_t*, int n) override {
    written_ += n;  // the GSM request sender writes on its own thread
    return n;
  }
  void DiscardInput() override {}

 private:
  ChunkedStream& stream_;
  std::atomic<long long> written_{0};
};

// The download of one poll once the line is up, as the poll worker goes
// through it: the first block; family and model from the image; the block list
// of `link_type` from a last record `days_back` days before the target; the
// blocks. Then the identity request, which the poll itself does not make.
// Aborts when ReadBlocks reports a download as whole that left an item unread.
// The link's node is set for the time of the call (its status reports go
// nowhere).
struct DownloadResult {
  bool first_block = false;
  int blocks = 0;  // in the block list
  bool whole = false;  // ReadBlocks done
  bool identity = false;
};
DownloadResult RunDownload(CComLink& link, int link_type, int days_back);

// The body of the download targets: byte 0 of the input the days since the
// last record, the rest the device's stream, through a FuzzedLink<Link>.
template <class Link>
void FuzzDownload(const std::uint8_t* data, size_t size, int link_type) {
  Input input(data, size);
  const int days_back = input.Byte();
  ChunkedStream stream(input);
  NoSleepClock clock;
  FuzzedLink<Link> link(stream, clock);
  RunDownload(link, link_type, days_back);
}

}  // namespace zv::fuzz
