#include "platform/cp1251.h"

#include <array>

namespace zv {
namespace {

// Characters of the bytes 0x80..0xFF.
constexpr char16_t kHigh[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

void AppendUtf8(std::string& out, char32_t ch) {
  if (ch < 0x80) {
    out.push_back(static_cast<char>(ch));
  } else if (ch < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (ch >> 6)));
    out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (ch >> 12)));
    out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
  }
}

char ToByte(char32_t ch) {
  int b = UnicodeToCp1251(ch);
  return static_cast<char>(b < 0 ? '?' : b);
}

}  // namespace

char16_t Cp1251ToUnicode(unsigned char byte) {
  return byte < 0x80 ? static_cast<char16_t>(byte) : kHigh[byte - 0x80];
}

int UnicodeToCp1251(char32_t ch) {
  if (ch < 0x80) return static_cast<int>(ch);
  if (ch >= 0x0410 && ch <= 0x044F) return static_cast<int>(ch - 0x0410 + 0xC0);
  for (int i = 0; i < 0x40; ++i) {
    if (kHigh[i] == ch) return 0x80 + i;
  }
  return -1;
}

std::string Cp1251ToUtf8(std::string_view cp1251) {
  std::string out;
  out.reserve(cp1251.size() * 2);
  for (char c : cp1251) AppendUtf8(out, Cp1251ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8ToCp1251(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  const size_t n = utf8.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    int len = 0;
    char32_t ch = 0;
    char32_t min = 0;
    if ((c & 0xE0) == 0xC0) {
      len = 2, ch = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3, ch = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4, ch = c & 0x07, min = 0x10000;
    }
    bool ok = len > 0 && i + len <= n;
    for (int k = 1; ok && k < len; ++k) {
      unsigned char cc = static_cast<unsigned char>(utf8[i + k]);
      if ((cc & 0xC0) != 0x80) ok = false;
      ch = (ch << 6) | (cc & 0x3F);
    }
    if (ok && (ch < min || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF))) ok = false;
    if (!ok) {
      out.push_back('?');
      ++i;
      continue;
    }
    out.push_back(ToByte(ch));
    i += len;
  }
  return out;
}

std::u16string Cp1251ToUtf16(std::string_view cp1251) {
  std::u16string out;
  out.reserve(cp1251.size());
  for (char c : cp1251) out.push_back(Cp1251ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf16ToCp1251(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    char16_t c = utf16[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      ++i;  // a character outside the basic plane: none of them is in the code page
      out.push_back('?');
      continue;
    }
    out.push_back(ToByte(c));
  }
  return out;
}

}  // namespace zv
