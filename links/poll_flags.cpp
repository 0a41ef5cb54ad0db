#include "links/poll_flags.h"

zv::StopFlag PollIdle{true};
zv::StopFlag PollCancel{false};
