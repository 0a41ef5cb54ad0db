#pragma once
// The wait cursor over the whole application for the lifetime of the object, for
// operations long enough to be noticed.

#include <QGuiApplication>

class CWaitCursor {
 public:
  explicit CWaitCursor(bool show = true) : shown_(show) {
    if (shown_) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  }
  ~CWaitCursor() {
    if (shown_) QGuiApplication::restoreOverrideCursor();
  }
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;

 private:
  bool shown_;
};
