// The workstation's group file (modem/group_file.h) over any bytes.
//
// Checked: a file read whole gives paths without a NUL; written back it reads
// the same paths, and written again gives the same bytes; a damaged file gives
// no paths and names a place inside the file.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "modem/group_file.h"

namespace {

[[noreturn]] void Fail(const char* what, long long a = 0, long long b = 0) {
  std::fprintf(stderr, "%s (%lld, %lld)\n", what, a, b);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> paths = {"left over"};
  zv::GroupFileReadResult result;
  const bool ok = zv::ReadGroupFile(bytes, paths, &result);
  if (ok != result.ok()) Fail("result and its damage disagree", ok, static_cast<int>(result.damage));
  if (!ok) {
    if (!paths.empty()) Fail("damaged file gave paths", static_cast<long long>(paths.size()));
    if (result.offset > size) Fail("damage past the end", static_cast<long long>(result.offset), size);
    return 0;
  }
  for (size_t i = 0; i < paths.size(); ++i) {
    if (paths[i].find('\0') != std::string::npos) Fail("path holding a NUL", static_cast<long long>(i));
  }
  const std::string written = zv::GroupFileBytes(paths);
  std::vector<std::string> again;
  if (!zv::ReadGroupFile(written, again) || again != paths) Fail("written back, it reads otherwise");
  if (zv::GroupFileBytes(again) != written) Fail("written again, it differs");
  return 0;
}
