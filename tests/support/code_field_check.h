#pragma once
// What evaluating a data line's error code anew may change: only the code
// field, replaced, or appended behind the values with a TAB; blanks that end
// the line stay at its end. Header-only: the data tests and the data line fuzz
// target share it.

#include <string>
#include <string_view>

#include "platform/ascii.h"

namespace zv::test {

inline bool IsIntegerText(std::string_view s) {
  if (!s.empty() && s[0] == '-') s.remove_prefix(1);
  if (s.empty()) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// "" when `out` is `in`, or `in` with only its code field changed as above;
// otherwise what is wrong with it.
inline std::string CodeFieldChangeFault(std::string_view in, std::string_view out) {
  if (out == in) return "";
  const std::string_view core_in = TrimRightView(in);
  const std::string_view trailing = in.substr(core_in.size());
  if (out.size() < trailing.size() || out.substr(out.size() - trailing.size()) != trailing) {
    return "the blanks at the end of the line were lost";
  }
  const std::string_view core_out = out.substr(0, out.size() - trailing.size());
  const size_t tab = core_out.rfind('\t');
  if (tab == std::string_view::npos || !IsIntegerText(core_out.substr(tab + 1))) {
    return "the changed line does not end in a code field";
  }
  const std::string_view kept = core_out.substr(0, tab);
  const size_t in_tab = core_in.rfind('\t');
  const bool appended = kept == core_in;
  const bool replaced = in_tab != std::string_view::npos && kept == core_in.substr(0, in_tab);
  return appended || replaced ? "" : "more than the code field changed";
}

}  // namespace zv::test
