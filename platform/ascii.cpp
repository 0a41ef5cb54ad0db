#include "platform/ascii.h"

namespace zv {

std::string_view TrimLeftView(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && IsAsciiBlank(s[i])) ++i;
  return s.substr(i);
}

std::string_view TrimRightView(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && IsAsciiBlank(s[n - 1])) --n;
  return s.substr(0, n);
}

std::string_view TrimView(std::string_view s) { return TrimRightView(TrimLeftView(s)); }
std::string Trim(std::string_view s) { return std::string(TrimView(s)); }
std::string TrimLeft(std::string_view s) { return std::string(TrimLeftView(s)); }
std::string TrimRight(std::string_view s) { return std::string(TrimRightView(s)); }

std::string ToUpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = ToUpperAscii(c);
  return out;
}

std::string ToLowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = ToLowerAscii(c);
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
  }
  return true;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

std::string_view FileExtension(std::string_view path) {
  size_t slash = path.find_last_of('/');
  size_t dot = path.find_last_of('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return path.substr(dot + 1);
}

}  // namespace zv
