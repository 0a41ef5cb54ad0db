#pragma once
// Windows-1251 text at the edges of the programs.
//
// Node, group and journal texts are kept as Windows-1251 bytes in std::string (one
// byte a character). They are converted only where they meet the user interface,
// the clipboard or a file name on disk (UTF-8).
//
// Byte 0x98 has no character in Windows-1251; it maps to U+0098 and back, so every
// byte survives a round trip. A character that Windows-1251 cannot hold becomes '?';
// a broken UTF-8 sequence becomes one '?' per byte that cannot start a character.

#include <string>
#include <string_view>

namespace zv {

// The Unicode character of one Windows-1251 byte (never fails).
char16_t Cp1251ToUnicode(unsigned char byte);
// The Windows-1251 byte of a character, or -1 when the code page has none.
int UnicodeToCp1251(char32_t ch);

std::string Cp1251ToUtf8(std::string_view cp1251);
std::string Utf8ToCp1251(std::string_view utf8);
std::u16string Cp1251ToUtf16(std::string_view cp1251);
std::string Utf16ToCp1251(std::u16string_view utf16);

// Shorthand for the programs' own Russian texts written as UTF-8 literals in the
// source: W1251("Первый канал") gives the Windows-1251 bytes.
inline std::string W1251(std::string_view utf8) { return Utf8ToCp1251(utf8); }

// File names on disk are UTF-8; the programs hold paths in Windows-1251.
inline std::string Cp1251PathToLocal(std::string_view cp1251_path) { return Cp1251ToUtf8(cp1251_path); }
inline std::string LocalPathToCp1251(std::string_view local_path) { return Utf8ToCp1251(local_path); }

}  // namespace zv
