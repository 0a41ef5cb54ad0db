#pragma once
// ASCII-only helpers for Windows-1251 texts: blanks are space, TAB, LF, VT, FF and
// CR; case folding touches only A-Z/a-z. Bytes of 0x80 and above are never changed.

#include <string>
#include <string_view>

namespace zv {

inline bool IsAsciiBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
inline char ToUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
inline char ToLowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

std::string_view TrimLeftView(std::string_view s);
std::string_view TrimRightView(std::string_view s);
std::string_view TrimView(std::string_view s);
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

std::string ToUpperAscii(std::string_view s);
std::string ToLowerAscii(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);

// The extension after the last dot of a file name ("" when there is none), as given.
std::string_view FileExtension(std::string_view path);

}  // namespace zv
