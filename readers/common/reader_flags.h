#pragma once
// The two flags a reader program's dialog and its worker share, without locks.
//
// g_bIdle: true while no worker runs; a job starts only while it is set (and
// g_bStop is not), and clears it first; the worker's last step sets it again.
// g_bStop: the stop request (closing the dialog, cancelling a job). Every port
// wait and every pause of the reader links ends when it is set; the worker's
// last step clears it.

#include "links/poll_flags.h"

extern zv::StopFlag g_bIdle;  // initially true
extern zv::StopFlag g_bStop;  // initially false
