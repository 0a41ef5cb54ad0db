#pragma once
// COM port numbers of the programs mapped to serial devices of this machine.
//
// $XDG_CONFIG_HOME/ZV/ports.ini, section [Ports], key COM<n>: the device path, for
// example "COM3=/dev/ttyUSB0". Without an entry COM<n> is /dev/ttyS<n-1>.

#include <string>
#include <string_view>

namespace zv {

std::string PortsFilePath();
// The device path of COM<number>; an empty text for numbers below 1.
std::string ComPortDevice(int number);
// "COM3" (any letter case) through the map; a path ("/dev/...") as it is; else "".
std::string ResolvePortName(std::string_view name);

}  // namespace zv
