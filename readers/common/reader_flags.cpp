#include "readers/common/reader_flags.h"

zv::StopFlag g_bIdle{true};
zv::StopFlag g_bStop{false};
