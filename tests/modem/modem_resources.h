#pragma once
// The workstation's resource file lives in a static library: the tests
// register it, as the program's main does.

#include <QtGlobal>

inline void InitModemResourcesGlobal() { Q_INIT_RESOURCE(modem); }

namespace zv::test {
inline void InitModemResources() { InitModemResourcesGlobal(); }
}  // namespace zv::test
