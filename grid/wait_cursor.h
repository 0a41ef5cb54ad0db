#pragma once
// CWaitCursor: the busy cursor over every window while it lives, for operations
// long enough to be noticed. `show` false leaves the cursor alone (callers that
// decide by the size of the work), and so does a program without a GUI
// application. Restore ends it early, before a message box that must show the
// ordinary cursor; the destructor then does nothing more.

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

class CWaitCursor {
 public:
  explicit CWaitCursor(bool show = true) {
    if (!show || qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return;
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    active_ = true;
  }
  ~CWaitCursor() { Restore(); }
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;

  void Restore() {
    if (!active_) return;
    QGuiApplication::restoreOverrideCursor();
    active_ = false;
  }

 private:
  bool active_ = false;
};
