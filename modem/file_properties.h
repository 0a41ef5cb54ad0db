#pragma once
// CFileProperties: the workstation's "Настройка" dialog. It shows and writes the
// program's settings (profile "ZEVModem", section "Settings"):
//   PortModem (1000), ModemInit (1004), ModemDialByTone (radio 1050 "Импульсный"
//   = 0, 1051 "Тоновый" = 1) for the dial-up modem; PortGsmodem (1001) and
//   GsmodemInit (1005) for the GSM modem; MaxTrys (1002); the check boxes
//   AutoStart (1003), DataTransfer (1009) and ArchiveSave (1008).
// Missing values show the defaults the programs read them with. The init
// strings are stored as the Windows-1251 bytes the modem is sent.
//
// Each control's object name is its id.

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;

class CFileProperties : public QDialog {
  Q_OBJECT

 public:
  CFileProperties();

  int DoModal();
  void OnInitDialog();
  // Checks the numbers, writes the nine values, closes with OK; a write that
  // fails is reported and keeps the dialog open.
  void OnOK();

  QWidget* Control(int id) const;

 private:
  QLineEdit* port_modem_ = nullptr;
  QLineEdit* port_gsm_ = nullptr;
  QLineEdit* max_tries_ = nullptr;
  QCheckBox* auto_start_ = nullptr;
  QCheckBox* data_transfer_ = nullptr;
  QCheckBox* archive_save_ = nullptr;
  QLineEdit* modem_init_ = nullptr;
  QLineEdit* gsm_init_ = nullptr;
  QButtonGroup* dial_ = nullptr;
  QPushButton* ok_ = nullptr;
};
