#pragma once
// CIPAddressCtrl: an IPv4 address edit of four fields 0..255 separated by dots.
// An empty field counts as 0.

#include <QWidget>
#include <array>
#include <cstdint>

class QLineEdit;

class CIPAddressCtrl : public QWidget {
  Q_OBJECT

 public:
  explicit CIPAddressCtrl(QWidget* parent = nullptr);

  void SetAddress(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3);
  std::array<uint8_t, 4> GetAddress() const;
  // Field 0..3 (the first is the address's first byte).
  QLineEdit* Field(int i) const { return fields_[i]; }

 private:
  std::array<QLineEdit*, 4> fields_{};
};
