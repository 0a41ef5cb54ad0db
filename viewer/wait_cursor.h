#pragma once
// CWaitCursor: the busy cursor over every window while it lives (a program
// without a GUI application is left alone). Restore ends it early, before a
// message box that must show the ordinary cursor.

class CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor() { Restore(); }
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;

  void Restore();

 private:
  bool active_ = false;
};
