#include "data/error_reevaluation.h"

#include "data/format_helpers.h"
#include "data/tab_pieces.h"
#include "platform/ascii.h"
#include "platform/str_format.h"

namespace zv {

ErrorCodeReevaluation::ErrorCodeReevaluation(int version, int scheme) : version_(version), scheme_(scheme) {}

std::string ErrorCodeReevaluation::Line(std::string_view line) {
  const std::string_view t = TrimView(line);
  const size_t tab = t.find('\t');
  if (tab == std::string_view::npos || tab == 0) return std::string(line);

  // Count the pieces after the time (stopping as soon as the count cannot fit)
  // and find the code field, the piece after the values.
  const size_t values = CZEVDataRec::Layout(CZEVDataRec::KindOfVersion(version_)).size();
  const std::string_view rest =
      t.size() > CZEVDataRec::kTimeChars ? t.substr(CZEVDataRec::kTimeChars) : std::string_view();
  TabPieces pieces(rest);
  std::string_view piece, code_field;
  size_t count = 0;
  while (count <= values + 1 && pieces.Next(piece)) {
    if (count == values) code_field = piece;
    ++count;
  }
  if (count != values && count != values + 1) {
    has_previous_ = false;
    return std::string(line);
  }

  CZEVDataRec rec(CZEVDataRec::ParseLineTime(t), t, version_);
  rec.error &= zev_error::kPower;
  rec.EvaluateTemperatureErrors(scheme_);
  if (has_previous_) rec.EvaluateFlowErrors(scheme_, CZEVDataRec::FlowIncrements(rec, previous_));
  previous_ = rec;
  has_previous_ = true;

  const std::string code = StrFormat("%d", rec.error);
  std::string out(line);
  if (count == values + 1) {
    out.replace(static_cast<size_t>(code_field.data() - line.data()), code_field.size(), code);
  } else {
    out.insert(static_cast<size_t>(t.data() + t.size() - line.data()), "\t" + code);
  }
  return out;
}

std::vector<std::string> ReevaluateErrorCodes(const std::vector<std::string>& lines, int version, int scheme) {
  ErrorCodeReevaluation pass(version, scheme);
  std::vector<std::string> out;
  out.reserve(lines.size());
  for (const std::string& line : lines) out.push_back(pass.Line(line));
  return out;
}

}  // namespace zv
