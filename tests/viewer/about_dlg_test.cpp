// The viewer's about box.
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

#include "viewer/about_dlg.h"
#include "viewer/program_icon.h"

namespace {

TEST(AboutDlg, CaptionIconVersionAndOk) {
  CAboutDlg dlg;
  EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("О программе"));
  EXPECT_EQ(dlg.versionLabel()->text(), "ZEVView 2.744");
  const QPixmap icon = dlg.iconLabel()->pixmap();
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(icon.size(), QSize(32, 32));
  // The artwork is drawn: neither empty nor one colour.
  const QImage image = icon.toImage();
  EXPECT_NE(image.pixel(16, 16), image.pixel(1, 1));
  EXPECT_EQ(ProgramIcon().availableSizes().size(), 3);
  EXPECT_EQ(dlg.okButton()->text(), "OK");
  dlg.show();
  dlg.okButton()->click();
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

}  // namespace
