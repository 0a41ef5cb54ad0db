// Scroll bars. This first form only forgets the remembered top-left cell; the scroll
// ranges, pages and shown bars come with the scrolling code.

#include "grid/grid_ctrl.h"

void CGridCtrl::UpdateScrollBars() { ForgetTopLeftCell(); }
