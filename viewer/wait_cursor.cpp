#include "viewer/wait_cursor.h"

#include <QCursor>
#include <QGuiApplication>

CWaitCursor::CWaitCursor() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return;
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  active_ = true;
}

void CWaitCursor::Restore() {
  if (!active_) return;
  QGuiApplication::restoreOverrideCursor();
  active_ = false;
}
