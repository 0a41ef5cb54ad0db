#include "modem/poll_timer.h"

QtPollTimer::QtPollTimer() {
  QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
}
