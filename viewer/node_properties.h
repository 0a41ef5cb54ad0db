#pragma once
// CNodeProperties: the viewer's node settings dialog ("Настройка узла учета").
//
// The user renames the node, sets the hydraulic scheme of its two channels and
// the flow-meter power control, sees the heat computer's settings, and chooses
// the columns of the four report pages. The dialog edits the document's
// CDataHeader only when OK passes its name check; Escape and the close box
// change nothing.
//
// A scheme list the user leaves alone keeps the digit SCHEMA holds, also one
// that no item shows (channel 1: 0, 4, 7..9; channel 2: 7 and above), so a
// rename never changes the scheme and never sets schemeChanged. The name field
// takes only characters Windows-1251 can hold; a changed name with one of
// < > : " / \ | or a control character is refused with a message and the dialog
// stays open.
//
// Use:
//   CNodeProperties dlg(parent);
//   dlg.header = &doc.header;
//   if (dlg.DoModal() == QDialog::Accepted) doc.recompute |= dlg.schemeChanged;

#include <QDialog>
#include <QString>
#include <array>

class CColumnsShow;
class CDataHeader;
class CZEVViewDoc;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

class CNodeProperties : public QDialog {
  Q_OBJECT

 public:
  explicit CNodeProperties(QWidget* parent = nullptr);
  ~CNodeProperties() override;

  // OnInitDialog, then the modal run; QDialog::Accepted after OK.
  int DoModal();
  // Fills the fields and controls from `header`.
  void OnInitDialog();
  // The name check, then the header written from the fields; closes the dialog
  // unless the name was refused.
  void OnOK();
  // true: controls -> fields; false: fields -> controls.
  void UpdateData(bool save);

  // Enter reaches OnOK as the OK button does.
  void accept() override { OnOK(); }

  CDataHeader* header = nullptr;  // set by the caller before the dialog runs
  int schemeChanged = 0;
  int nameChanged = 0;
  QString serialText;
  QString nameText;
  int channel1Index = -1;
  int channel2Index = -1;
  int powerControl = 0;
  QString deviceSchemeText, coldWaterText, modemText, sensorText;
  std::array<QString, 8> pulseWeightText;
  QTabWidget* tabs = nullptr;
  std::array<CColumnsShow*, 4> pages{};

  // The controls, for the program's tests.
  QLineEdit* serialEdit() const { return serial_; }
  QLineEdit* nameEdit() const { return name_; }
  QComboBox* channel1List() const { return channel1_; }
  QComboBox* channel2List() const { return channel2_; }
  QCheckBox* powerCheck() const { return power_; }
  QLineEdit* deviceSchemeEdit() const { return device_scheme_; }
  QLineEdit* coldWaterEdit() const { return cold_water_; }
  QLineEdit* modemEdit() const { return modem_; }
  QLineEdit* sensorEdit() const { return sensor_; }
  QLineEdit* pulseWeightEdit(int k) const { return pulse_weights_[static_cast<size_t>(k)]; }
  QPushButton* okButton() const { return ok_; }

 private:
  void OnChannelSelected(bool first);

  QLineEdit* serial_ = nullptr;
  QLineEdit* name_ = nullptr;
  QComboBox* channel1_ = nullptr;
  QComboBox* channel2_ = nullptr;
  QCheckBox* power_ = nullptr;
  QLineEdit* device_scheme_ = nullptr;
  QLineEdit* cold_water_ = nullptr;
  QLineEdit* modem_ = nullptr;
  QLineEdit* sensor_ = nullptr;
  std::array<QLineEdit*, 8> pulse_weights_{};
  QPushButton* ok_ = nullptr;
  // The stored digits, and whether the user chose an item of each list.
  int stored_c1_ = 0;
  int stored_c2_ = 0;
  bool channel1_chosen_ = false;
  bool channel2_chosen_ = false;
};

// The node settings command on a document: the dialog on its header; after OK
// recompute takes in the scheme change, the file is saved under its path and,
// when saved, loaded again for the period shown. True after OK (the views are
// then to be built anew), false when cancelled.
bool EditNodeSettings(CZEVViewDoc& doc, QWidget* parent);
