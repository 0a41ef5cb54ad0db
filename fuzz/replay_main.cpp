// The replay main of the fuzz targets in the ordinary builds: every file given,
// and every file inside a folder given (hidden files skipped, in name order),
// is passed to the target once. A target that finds a fault aborts, so the
// CTest test fails with the input named just before.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "tests/support/sanitizer_options.h"

namespace {

namespace fs = std::filesystem;

bool Replay(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", file.c_str());
    return false;
  }
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::fprintf(stderr, "replay %s (%zu bytes)\n", file.c_str(), bytes.size());
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int replayed = 0;
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    const fs::path arg(argv[i]);
    std::error_code ec;
    if (fs::is_directory(arg, ec)) {
      std::vector<fs::path> files;
      for (const fs::directory_entry& e : fs::directory_iterator(arg, ec)) {
        if (e.is_regular_file() && e.path().filename().string().front() != '.') files.push_back(e.path());
      }
      std::sort(files.begin(), files.end());
      for (const fs::path& f : files) {
        ok = Replay(f) && ok;
        ++replayed;
      }
    } else if (fs::exists(arg, ec)) {
      ok = Replay(arg) && ok;
      ++replayed;
    } else {
      std::fprintf(stderr, "no such input: %s\n", argv[i]);
      ok = false;
    }
  }
  std::fprintf(stderr, "%d inputs replayed\n", replayed);
  if (replayed == 0) ok = false;  // a target without inputs tests nothing
  return ok ? 0 : 1;
}
