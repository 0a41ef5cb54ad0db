#pragma once
// printf-style formatting into std::string, always in the "C" locale: "%.2f" gives
// "1.50" whatever LC_NUMERIC is. Used for the exact formats of our files and texts.

#include <cstdarg>
#include <string>

namespace zv {

std::string StrFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string StrFormatV(const char* format, va_list args);

// The "C" locale object, for the few places that call the C library directly
// (strtod_l and the like).
struct CLocaleScope {
  CLocaleScope();
  ~CLocaleScope();
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  void* previous_;
};

}  // namespace zv
