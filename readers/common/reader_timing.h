#pragma once
// The fixed pauses of the reader links, in one record per link, with the real
// values as defaults. Attempt counts and the intervals between attempts are
// not here: the links read them from the program's profile each time, as the
// programs always did. Tests hand in ScaledTiming(...) of these records.

#include "links/poll_timing.h"

namespace zv {

// The direct link to a heat computer (ZEVRS).
struct DirectLinkTiming {
  // The reader's port: 2 ms per byte; the two constants come from the profile
  // ("RecvTimeout", "SendTimeout") when the link is made.
  SerialPortTiming port{.read_total_per_byte = Ms(2)};
  // Between a request and the read of its answer.
  Duration answer_pause = Ms(10);
  // After an accepted parameter or current-data answer.
  Duration accepted_pause = Ms(300);
  // The longest single sleep of a pause: the stop flag is looked at in between.
  Duration pause_slice = Ms(50);

  template <class F>
  void ForEachDuration(F&& f) {
    port.ForEachDuration(f);
    f(answer_pause);
    f(accepted_pause);
    f(pause_slice);
  }
};

// The link to the data collector (ZEVC): the port's fixed time-outs.
struct CollectorLinkTiming {
  SerialPortTiming port;
  // Between a request and the read of its answer.
  Duration answer_pause = Ms(10);
  Duration pause_slice = Ms(50);

  template <class F>
  void ForEachDuration(F&& f) {
    port.ForEachDuration(f);
    f(answer_pause);
    f(pause_slice);
  }
};

}  // namespace zv
