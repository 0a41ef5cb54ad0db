#include "platform/numbers.h"

#include <climits>
#include <cstdlib>
#include <string>

#include "platform/str_format.h"

namespace zv {
namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

int AtoI(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) {
      value = static_cast<long long>(INT_MAX) + 1;
    }
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

double AtoF(std::string_view text) {
  std::string copy(text);  // strtod needs the terminating NUL
  CLocaleScope c_locale;
  return std::strtod(copy.c_str(), nullptr);
}

std::string FormatFixed(double value, int decimals) {
  if (decimals < 0) return StrFormat("%f", value);
  return StrFormat("%.*f", decimals, value);
}

}  // namespace zv
