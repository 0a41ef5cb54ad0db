#include "data/format_helpers.h"

#include "platform/cp1251.h"
#include "platform/str_format.h"

int32_t ReadInt32(const unsigned char* b) {
  uint32_t v = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
               (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
  return static_cast<int32_t>(v);
}

std::string FormatFloatDigits(float value, int digits) {
  const double v = value;
  switch (static_cast<unsigned>(digits)) {
    case 0: return zv::StrFormat("%.0f", v);
    case 1: return zv::StrFormat("%.01f", v);
    case 2: return zv::StrFormat("%.02f", v);
    case 3: return zv::StrFormat("%.03f", v);
    case 4: return zv::StrFormat("%.04f", v);
    default: return zv::StrFormat("%f", v);
  }
}

std::string FormatIntDigits(int value, int digits) {
  switch (static_cast<unsigned>(digits)) {
    case 0: return zv::StrFormat("%0d", value);
    case 1: return zv::StrFormat("%01d", value);
    case 2: return zv::StrFormat("%02d", value);
    case 3: return zv::StrFormat("%03d", value);
    case 4: return zv::StrFormat("%04d", value);
    default: return zv::StrFormat("%d", value);
  }
}

std::string ErrorCodeText(int code) {
  std::string text;
  if (code & 0x8000) text += 'U';
  if (code & 0x0303) text += 'T';
  if (code & 0x0C0C) text += 'V';
  if (code & 0x3030) text += 'E';
  return text;
}

namespace {

struct HourLine {
  int column;
  const char* format;  // UTF-8 in the source, Windows-1251 in the result
};

// "Т" in the temperature lines is Cyrillic; "V" in the volume lines is Latin.
constexpr HourLine kChannel1[] = {
    {4, "\n\tошибка датчика Т1 - %.0f час."},
    {5, "\n\tошибка датчика Т2 - %.0f час."},
    {10, "\n\tошибка датчика V1 - %.0f час."},
    {11, "\n\tошибка датчика V2 - %.0f час."},
    {1, "\n\tошибка функциональная - %.0f час."},
    {20, "\n\tошибка питания датчиков - %.0f час."},
};
constexpr HourLine kChannel2[] = {
    {7, "\n\tошибка датчика Т3 - %.0f час."},
    {8, "\n\tошибка датчика Т4 - %.0f час."},
    {13, "\n\tошибка датчика V3 - %.0f час."},
    {14, "\n\tошибка датчика V4 - %.0f час."},
    {2, "\n\tошибка функциональная - %.0f час."},
};

template <size_t N>
std::string HoursLines(std::span<const float, 35> counters, const HourLine (&lines)[N]) {
  std::string text;
  for (const HourLine& l : lines) {
    const float count = counters[static_cast<size_t>(l.column)];
    if (count > 0) {
      text += zv::StrFormat(zv::W1251(l.format).c_str(), static_cast<double>(count));
    }
  }
  return text;
}

}  // namespace

std::string ErrorHoursText(std::span<const float, 35> counters, int channel) {
  if (channel == 1) return HoursLines(counters, kChannel1);
  if (channel == 2) return HoursLines(counters, kChannel2);
  return std::string();
}
