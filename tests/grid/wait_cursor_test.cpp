#include "grid/wait_cursor.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <optional>

namespace {

bool BusyCursorShown() {
  const QCursor* c = QGuiApplication::overrideCursor();
  return c != nullptr && c->shape() == Qt::WaitCursor;
}

TEST(WaitCursor, ShownForItsLifetimeAndOnlyWhenAsked) {
  ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
  {
    CWaitCursor wait;
    EXPECT_TRUE(BusyCursorShown());
  }
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  {
    CWaitCursor wait(false);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  }
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// Restore before a message box, then the destructor: one restore only, so a
// cursor set by someone else around it survives.
TEST(WaitCursor, RestoreEndsItOnceAndLeavesOuterCursors) {
  QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
  {
    CWaitCursor wait;
    EXPECT_TRUE(BusyCursorShown());
    wait.Restore();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    wait.Restore();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
  }
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
  QGuiApplication::restoreOverrideCursor();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

  // Ended for a question and started again, as the document's load does.
  std::optional<CWaitCursor> wait(std::in_place);
  wait->Restore();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  wait.emplace();
  EXPECT_TRUE(BusyCursorShown());
  wait.reset();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
