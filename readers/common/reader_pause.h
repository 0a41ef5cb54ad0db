#pragma once
// The pauses of the reader links and workers: on the given clock, in slices of
// at most `slice`, ending early as soon as `stop` is set.

#include "links/clock.h"
#include "links/poll_flags.h"
#include "links/poll_timing.h"

namespace zv {

// False when the stop flag ended the pause (or was set already).
bool StoppablePause(const Clock& clock, Duration pause, Duration slice, const StopFlag& stop);

// A profile count of attempts: below 1 counts as 1.
inline int AttemptCount(int value) { return value < 1 ? 1 : value; }

}  // namespace zv
