// Data lines: CZEVDataRec::ParseLineTime and ParseLine for header V 4 and 8
// over any line; a record written and parsed back writes the same line again.
// Then zv::ReevaluateErrorCodes over all the lines with any scheme: as many
// lines come out as went in, and each is either the line as it was, or the
// line with its error-code field replaced (or appended) by a number, every
// other byte kept (blanks at the end of the line stay at its end).

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "data/data_record.h"
#include "data/error_reevaluation.h"
#include "fuzz/fuzz_input.h"
#include "platform/text_lines.h"
#include "tests/support/code_field_check.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& line, const std::string& got) {
  std::fprintf(stderr, "%s\n  line: [%s]\n  got:  [%s]\n", what, line.c_str(), got.c_str());
  std::abort();
}

std::string WithoutLineEnd(std::string s) {
  if (s.size() >= 2 && s.compare(s.size() - 2, 2, "\r\n") == 0) s.resize(s.size() - 2);
  return s;
}

void CheckRecordRoundTrip(const std::string& line, int version) {
  const CZEVDataRec rec(CZEVDataRec::ParseLineTime(line), line, version);
  const std::string written = WithoutLineEnd(rec.WriteLine());
  const CZEVDataRec back(CZEVDataRec::ParseLineTime(written), written, version);
  const std::string again = WithoutLineEnd(back.WriteLine());
  if (again != written) Fail("a written record reads back as another line", written, again);
}

void CheckReevaluated(const std::string& in, const std::string& out) {
  const std::string fault = zv::test::CodeFieldChangeFault(in, out);
  if (!fault.empty()) Fail(fault.c_str(), in, out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  zv::fuzz::Input input(data, size);
  const std::uint8_t v = input.Byte();
  const int version = v % 3 == 0 ? 4 : v % 3 == 1 ? 8 : v;  // any other V reads as 4
  const int scheme = input.Byte() % 100;
  const std::vector<std::string> lines = zv::SplitLines(input.RestText());

  for (const std::string& line : lines) CheckRecordRoundTrip(line, version);

  const std::vector<std::string> out = zv::ReevaluateErrorCodes(lines, version, scheme);
  if (out.size() != lines.size()) {
    std::fprintf(stderr, "%zu lines in, %zu out\n", lines.size(), out.size());
    std::abort();
  }
  for (size_t i = 0; i < lines.size(); ++i) CheckReevaluated(lines[i], out[i]);
  return 0;
}
