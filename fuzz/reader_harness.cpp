#include "fuzz/reader_harness.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace zv::fuzz {

namespace {

// The links read their attempt counts from the profile: the fuzz runs read
// none of the user's. Called before a link is made.
void NoProfile() {
  static const bool done = [] { return ::setenv("XDG_CONFIG_HOME", "/nonexistent/zv-fuzz-config", 1) == 0; }();
  (void)done;
}

}  // namespace

int ReaderStream::Read(std::uint8_t* buffer, int n) {
  if (n <= 0 || input_.empty()) return 0;
  const std::uint8_t c = input_.Byte();
  const size_t want = c == kWholeAnswer ? static_cast<size_t>(n) : std::min<size_t>(c, static_cast<size_t>(n));
  const std::span<const std::uint8_t> piece = input_.Take(want);
  std::memcpy(buffer, piece.data(), piece.size());
  return static_cast<int>(piece.size());
}

DirectLinkTiming ZeroDirectTiming() {
  NoProfile();
  DirectLinkTiming t;
  t.ForEachDuration([](Duration& d) { d = Duration(0); });
  return t;
}

CollectorLinkTiming ZeroCollectorTiming() {
  NoProfile();
  CollectorLinkTiming t;
  t.ForEachDuration([](Duration& d) { d = Duration(0); });
  return t;
}

}  // namespace zv::fuzz
