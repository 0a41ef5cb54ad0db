#include "platform/com_ports.h"

#include "platform/ascii.h"
#include "platform/ini_file.h"
#include "platform/numbers.h"
#include "platform/paths.h"

namespace zv {

std::string PortsFilePath() { return ConfigDir() + "/ports.ini"; }

std::string ComPortDevice(int number) {
  if (number < 1) return std::string();
  IniFile ini;
  ini.Load(PortsFilePath());
  auto v = ini.Get("Ports", "COM" + std::to_string(number));
  if (v) {
    std::string path = Trim(*v);
    if (!path.empty()) return path;
  }
  return "/dev/ttyS" + std::to_string(number - 1);
}

std::string ResolvePortName(std::string_view name) {
  std::string_view t = TrimView(name);
  if (!t.empty() && t.front() == '/') return std::string(t);
  if (!StartsWithNoCase(t, "COM") || t.size() == 3) return std::string();
  for (char c : t.substr(3)) {
    if (c < '0' || c > '9') return std::string();
  }
  return ComPortDevice(AtoI(t.substr(3)));
}

}  // namespace zv
