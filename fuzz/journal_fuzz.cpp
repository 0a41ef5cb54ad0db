// Journal image: zv::DecodeJournal over any 2560 bytes (shorter inputs padded
// with zeros, longer ones cut): at most one entry per slot, each one listable.
// The rest of a longer input also goes through the header's form of an entry
// (CLastChangesRec::FromHeaderText).

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "data/journal.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  zv::fuzz::Input input(data, size);
  zv::JournalImage image{};
  const std::span<const std::uint8_t> bytes = input.Take(zv::kJournalFileSize);
  std::copy(bytes.begin(), bytes.end(), image.begin());

  const std::vector<CLastChangesRec> entries = zv::DecodeJournal(image);
  if (entries.size() > static_cast<size_t>(zv::kJournalSlots)) {
    std::fprintf(stderr, "%zu entries from %d slots\n", entries.size(), zv::kJournalSlots);
    std::abort();
  }
  for (const CLastChangesRec& e : entries) {
    if (!e.IsListed()) {
      std::fprintf(stderr, "an entry listed with the date %s\n", e.time.Format(true).c_str());
      std::abort();
    }
  }

  const CLastChangesRec from_header = CLastChangesRec::FromHeaderText(input.RestText());
  (void)from_header;
  return 0;
}
