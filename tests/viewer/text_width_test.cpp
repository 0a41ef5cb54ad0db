// The width meter agrees with real shaping: numbers and dates through its table
// (kerned pairs such as "11" included), other texts shaped, in several fonts.

#include <QFontMetrics>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "grid/gdi_font.h"
#include "platform/cp1251.h"
#include "platform/qt/qt_text.h"
#include "platform/str_format.h"
#include "viewer/text_width.h"

namespace {

LOGFONT Arial(int height, int weight) {
  CFont font;
  font.CreateFont(height, 0, 0, 0, weight, false, false, false, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS,
                  CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
  return font.GetLogFont();
}

TEST(TextWidthMeter, AgreesWithShaping) {
  std::vector<std::string> texts = {"", "1", "11", "111.11", "-0.07", "01.03.2024 00:00", "12:00", " 1 ",
                                    "UTVE", "1,5", zv::W1251("ИТОГО:"), zv::W1251("°С"), "0.5e3"};
  for (int i = 0; i < 3000; ++i) {
    texts.push_back(zv::StrFormat("%.02f", (i % 2 ? -1 : 1) * (i * 0.37 + i * i * 0.0013)));
    texts.push_back(zv::StrFormat("%.03f", i * 1.111));
    texts.push_back(zv::StrFormat("%02d.%02d.%d %02d:00", i % 31 + 1, i % 12 + 1, 2000 + i % 38, i % 24));
  }
  for (int height : {12, 14, 20})
    for (int weight : {FW_NORMAL, FW_SEMIBOLD}) {
      const LOGFONT lf = Arial(height, weight);
      zv::TextWidthMeter meter(lf);
      EXPECT_TRUE(meter.UsesTable()) << height << " " << weight;
      CFont font;
      font.CreateFontIndirect(lf);
      for (int round = 0; round < 2; ++round)  // the second round reads what was remembered
        for (const std::string& text : texts)
          ASSERT_EQ(meter.Width(text), font.Metrics().horizontalAdvance(zv::QFromCp1251(text)))
              << "'" << text << "' " << height << " " << weight;
    }
}

}  // namespace
