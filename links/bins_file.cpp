#include "links/bins_file.h"

#include <string_view>

#include "links/com_link.h"
#include "links/request_frame.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "platform/str_format.h"

namespace zv {

int BinsImageSize(int family, int model) {
  if (family != 1) return 58868;
  switch (model) {
    case 1: return 32768;
    case 3: return 58060;
    case 4: return 61560;
    default: return 0;
  }
}

std::string BinsFileName(int device_number, const DateStamp& at) {
  return StrFormat("%s/%05d_%d-%02d-%02d_%02d-00.bin", kBinsFolder, device_number, at.year, at.month, at.day,
                   at.hour);
}

std::string DirectBinsFileName(int device_number, const DateStamp& at) {
  return StrFormat("%s/%05d_%d-%02d-%02d_%02d-%02d.bin", kBinsFolder, device_number, at.year, at.month, at.day,
                   at.hour, at.minute);
}

std::string ArchiveBinsFileName(const std::string& bins_name) { return "archive-" + bins_name; }

bool EnsureDirectory(const std::string& base, const std::string& name) {
  return EnsureDirectories(base + "/" + name);
}

}  // namespace zv

std::string CComLink::WriteBinsFile(const std::string& base) {
  const int image_size = zv::BinsImageSize(family, model);
  if (image_size <= 0) return std::string();
  if (!zv::EnsureDirectory(base, zv::kBinsFolder)) return std::string();
  const std::string name = zv::BinsFileName(DeviceNumber(), clock().NowStamp());

  std::string bytes(reinterpret_cast<const char*>(identity.data()),
                    static_cast<size_t>(zv::IdentityDataLength(family)));
  bytes.append(reinterpret_cast<const char*>(image.data()), static_cast<size_t>(image_size));
  // Through a temporary file: a file that cannot be written whole never
  // appears under the name, and an older one of the same name stays.
  if (!zv::WriteFileAtomically(base + "/" + name, bytes)) return std::string();
  return name;
}
