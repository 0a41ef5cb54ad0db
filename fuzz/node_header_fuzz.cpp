// Node file header: CDataHeader::Read in either form over any text, then the
// header written, read back into a fresh header of the same form and written
// again must give the same bytes (a save never changes what the next save
// writes). The lines after the "$" line are data and are left alone.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "data/data_header.h"
#include "fuzz/fuzz_input.h"
#include "platform/text_lines.h"

namespace {

// Reads `lines` into `header`; the number of lines the header took.
size_t ReadHeader(CDataHeader& header, const std::vector<std::string>& lines) {
  size_t next = 0;
  header.Read([&](std::string& line) {
    if (next >= lines.size()) return false;
    line = lines[next++];
    return true;
  });
  return next;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  zv::fuzz::Input input(data, size);
  const CDataHeader::Form form = (input.Byte() & 1) != 0 ? CDataHeader::kWorkstation : CDataHeader::kViewer;
  const std::vector<std::string> lines = zv::SplitLines(input.RestText());

  CDataHeader first(form);
  ReadHeader(first, lines);
  const std::string written = first.Serialize();

  CDataHeader second(form);
  const std::vector<std::string> written_lines = zv::SplitLines(written);
  if (ReadHeader(second, written_lines) != written_lines.size()) {
    std::fprintf(stderr, "the written header does not end at its \"$\" line\n");
    std::abort();
  }
  const std::string again = second.Serialize();
  if (again != written) {
    std::fprintf(stderr, "header written after reading back differs:\n--- first\n%s--- again\n%s",
                 written.c_str(), again.c_str());
    std::abort();
  }
  return 0;
}
