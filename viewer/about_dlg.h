#pragma once
// CAboutDlg: the viewer's about box ("О программе"): the program's icon, the
// line "ZEVView 2.744" and an OK button.

#include <QDialog>

class QLabel;
class QPushButton;

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);

  QLabel* iconLabel() const { return icon_; }
  QLabel* versionLabel() const { return version_; }
  QPushButton* okButton() const { return ok_; }

 private:
  QLabel* icon_ = nullptr;
  QLabel* version_ = nullptr;
  QPushButton* ok_ = nullptr;
};
