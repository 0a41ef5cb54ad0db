#pragma once
// Evaluating anew the error codes of a node file's data lines, as the viewer's
// save does after the node's hydraulic scheme has changed.
//
// Lines are given one by one in file order. For each data line the stored code
// is reduced to its power bit (0x8000), the temperature rules are applied, and
// from the second evaluated line on the flow rules with the increments against
// the previous evaluated line. Only the line's error-code field is replaced: the
// reading texts stay exactly as stored (rewriting them through float would change
// the last digits of large readings).
//
// Lines that cannot be evaluated safely are copied unchanged:
//   - lines that are no data line (no TAB, or a TAB only at the start, as a blank
//     line); they do not affect the flow increments;
//   - data lines whose piece count does not fit the layout of the header's V
//     (an 18-value line after V became 8, or the reverse, or a short line); the
//     next evaluated line then has no previous line and gets no flow bits.
// A line that fits the layout but has no code field (exactly its values) gets
// TAB and the new code appended.
//
// Use:
//   zv::ErrorCodeReevaluation pass(header.GetInt("V"), header.GetInt("SCHEMA"));
//   while (in.Next(line)) out.WriteLine(pass.Line(line));

#include <string>
#include <string_view>
#include <vector>

#include "data/data_record.h"

namespace zv {

class ErrorCodeReevaluation {
 public:
  ErrorCodeReevaluation(int version, int scheme);

  // The text to store for the next line of the data section (its line end not
  // included in either).
  std::string Line(std::string_view line);

 private:
  int version_;
  int scheme_;
  CZEVDataRec previous_;
  bool has_previous_ = false;
};

// The pass over lines held in memory.
std::vector<std::string> ReevaluateErrorCodes(const std::vector<std::string>& lines, int version, int scheme);

}  // namespace zv
