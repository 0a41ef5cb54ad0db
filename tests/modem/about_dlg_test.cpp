// The about box: its texts and the program icon from the program's resources.

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

#include "modem/about_dlg.h"
#include "tests/modem/modem_resources.h"

namespace {

TEST(AboutDlg, IconVersionAndOk) {
  zv::test::InitModemResources();
  CAboutDlg dlg;
  EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("О программе"));
  auto* icon = dlg.findChild<QLabel*>("icon");
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->pixmap().size(), QSize(32, 32));
  EXPECT_EQ(dlg.findChild<QLabel*>("version")->text(), "ZEVModem v 2.763");
  EXPECT_EQ(dlg.findChild<QLabel*>("second")->text(), "");
  const auto buttons = dlg.findChildren<QPushButton*>();
  ASSERT_EQ(buttons.size(), 1);
  EXPECT_EQ(buttons[0]->text(), "OK");
  dlg.show();
  buttons[0]->click();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_FALSE(dlg.isVisible());
}

}  // namespace
