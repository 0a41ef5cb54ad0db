#include "readers/common/reader_pause.h"

#include <algorithm>

namespace zv {

bool StoppablePause(const Clock& clock, Duration pause, Duration slice, const StopFlag& stop) {
  if (slice <= Duration::zero()) slice = pause;
  while (pause > Duration::zero()) {
    if (stop.load()) return false;
    const Duration step = std::min(pause, slice);
    clock.Sleep(step);
    pause -= step;
  }
  return !stop.load();
}

}  // namespace zv
