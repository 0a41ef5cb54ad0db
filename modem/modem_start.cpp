#include "modem/modem_start.h"

#include <climits>
#include <cstring>
#include <unistd.h>

#include "modem/shared_memory.h"

namespace zv {
namespace {

// The Qt options whose value is the next argument.
bool TakesValue(const char* option) {
  const char* name = option + 1;
  if (*name == '-') ++name;  // "--style" as well as "-style"
  static const char* const kValued[] = {
      "platform", "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
      "qwindowicon", "qwindowtitle",    "session",       "style",   "stylesheet",
      "display",  "geometry",           "title",         "name",    "qmljsdebugger",
  };
  for (const char* v : kValued) {
    if (std::strcmp(name, v) == 0) return true;
  }
  return false;
}

}  // namespace

std::string CurrentDirectory() {
  char buf[PATH_MAX];
  return ::getcwd(buf, sizeof buf) != nullptr ? std::string(buf) : std::string();
}

std::string AbsolutePath(const std::string& path, const std::string& base) {
  std::string whole = !path.empty() && path[0] == '/' ? path : base + "/" + path;
  std::vector<std::string> parts;
  std::size_t pos = 0;
  while (pos <= whole.size()) {
    std::size_t next = whole.find('/', pos);
    if (next == std::string::npos) next = whole.size();
    std::string part = whole.substr(pos, next - pos);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(std::move(part));
    }
    pos = next + 1;
  }
  std::string out;
  for (const std::string& p : parts) out += "/" + p;
  return out.empty() ? "/" : out;
}

std::vector<std::string> CommandLinePaths(int argc, const char* const* argv,
                                          const std::string& base) {
  std::vector<std::string> paths;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (a == nullptr || *a == '\0') continue;
    if (options && a[0] == '-') {
      if (std::strcmp(a, "--") == 0) {
        options = false;
      } else if (TakesValue(a) && i + 1 < argc) {
        ++i;
      }
      continue;
    }
    paths.push_back(AbsolutePath(a, base));
  }
  return paths;
}

InstanceStart StartInstance(CSharedMemory& channel, const std::vector<std::string>& paths) {
  if (channel.OpenExistingMutex()) {
    // Another instance runs. Whether it answers or not, this start ends
    // quietly: the user sees the running window come to the front.
    if (channel.OpenEvents()) channel.HandOverPaths(paths);
    return InstanceStart::kHandedOver;
  }
  return channel.Create(kHandOverBlockSize, false) ? InstanceStart::kFirst
                                                   : InstanceStart::kFailed;
}

bool EnterProgramFolder(const std::string& program_path) {
  const auto slash = program_path.rfind('/');
  if (slash == std::string::npos || slash == 0) return false;
  return ::chdir(program_path.substr(0, slash).c_str()) == 0;
}

}  // namespace zv
