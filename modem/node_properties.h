#pragma once
// CNodeProperties: the workstation's "Параметры узла" dialog. It edits the name
// and the link settings of one node in the node's header:
//   NAME       the name (1006)
//   MODEM      the link, list index + 1 (1054: "Модем", "GSM модем",
//              "IP конвертер"; 0 when nothing is selected)
//   PHONE      the number to dial (1052), shown for both modems
//   INTRC      the call-intercept hours "%02d%02d" (1057, 1058), dial-up only
//   IPADDRESS  "%d.%d.%d.%d" (1061), IPPORT (1062), IP converter only
// Every key is written on every OK, whatever the link. A changed name (letter
// case alone is no change) sets `rename_flag`; the caller then rewrites the node
// file under its new name.
//
// Each control's object name is its id ("1006", ...). Controls of the other
// links are hidden and keep their text.
//
// Use:
//   CNodeProperties dlg;
//   dlg.header = &node.header;
//   if (dlg.DoModal() == QDialog::Accepted) node.rename_flag = dlg.rename_flag;

#include <QDialog>
#include <QString>

class CDataHeader;
class CIPAddressCtrl;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CNodeProperties : public QDialog {
  Q_OBJECT

 public:
  // The list's entries.
  enum Link { kPstnModem = 0, kGsmModem = 1, kIpConverter = 2 };

  CNodeProperties();

  // OnInitDialog, then the modal loop.
  int DoModal();
  // Fills the controls from the header (set it first).
  void OnInitDialog();
  // Checks the controls and writes the header; closes the dialog with OK, or
  // leaves it open after a message.
  void OnOK();

  // The id of a control: its widget, or null.
  QWidget* Control(int id) const;
  // Whether control `id` belongs to link `link` (ids of controls shown always
  // belong to every link).
  static bool ShownForLink(int id, int link);

  CDataHeader* header = nullptr;
  int rename_flag = 0;

 private:
  void OnSelChangeLink();
  void ShowLinkControls(int link);
  bool CheckName(const QString& name) const;

  QLineEdit* name_ = nullptr;
  QComboBox* link_ = nullptr;
  QLineEdit* phone_ = nullptr;
  QLineEdit* from_ = nullptr;
  QLineEdit* to_ = nullptr;
  CIPAddressCtrl* address_ = nullptr;
  QLineEdit* port_edit_ = nullptr;
  QPushButton* ok_ = nullptr;
  // The numbers last read from the header or taken from the edits; an edit of a
  // hidden link that holds no number leaves them as they are.
  int intercept_from_ = 0;
  int intercept_to_ = 0;
  int port_ = 23;
  // The link-dependent controls.
  QList<QWidget*> link_controls_;
};
