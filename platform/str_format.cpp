#include "platform/str_format.h"

#include <clocale>
#include <cstdio>
#include <locale.h>

namespace zv {
namespace {

locale_t CLocale() {
  static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return loc;
}

}  // namespace

CLocaleScope::CLocaleScope() : previous_(uselocale(CLocale())) {}
CLocaleScope::~CLocaleScope() { uselocale(static_cast<locale_t>(previous_)); }

std::string StrFormatV(const char* format, va_list args) {
  CLocaleScope c_locale;
  char small[256];
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (n < 0) return std::string();
  if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::vsnprintf(out.data(), out.size(), format, args);
  out.resize(static_cast<size_t>(n));
  return out;
}

std::string StrFormat(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string out = StrFormatV(format, args);
  va_end(args);
  return out;
}

}  // namespace zv
