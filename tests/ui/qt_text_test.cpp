// Proves the widget test main: a real QApplication on the offscreen platform, with
// Windows-1251 texts crossing into a widget and back.

#include <QLineEdit>
#include <QApplication>
#include <gtest/gtest.h>

#include "platform/qt/qt_text.h"

namespace {

TEST(QtEdge, Cp1251TextThroughALineEdit) {
  ASSERT_NE(qApp, nullptr);
  EXPECT_EQ(QGuiApplication::platformName(), "offscreen");
  QLineEdit edit;
  const std::string name = "\xD3\xE7\xE5\xEB \xB9" "5";  // Узел №5
  edit.setText(zv::QFromCp1251(name));
  edit.show();
  EXPECT_EQ(edit.text(), QString::fromUtf8("Узел №5"));
  edit.selectAll();
  edit.insert(edit.text() + QString::fromUtf8(" ё"));
  EXPECT_EQ(zv::QToCp1251(edit.text()), name + " \xB8");
  EXPECT_EQ(zv::QToCp1251(QString::fromUtf8("中")), "?");
}

TEST(QtEdge, EachTestHasItsOwnConfigFolder) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  ASSERT_NE(config, nullptr);
  EXPECT_NE(std::string(config).find("/zvxdg."), std::string::npos);
}

}  // namespace
