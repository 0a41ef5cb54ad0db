#pragma once
// CAboutDlg: the workstation's "О программе" box: the program icon, the
// program's name and version, and OK.

#include <QDialog>

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  // The program icon's resource (in the program's resource file).
  static constexpr const char* kIconResource = ":/toolbar/icon.png";

  CAboutDlg();
  int DoModal() { return exec(); }
};
