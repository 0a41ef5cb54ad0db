#include "viewer/name_validator.h"

#include "platform/cp1251.h"

QValidator::State Cp1251NameValidator::validate(QString& input, int&) const {
  for (char32_t ch : input.toUcs4()) {
    if (zv::UnicodeToCp1251(ch) < 0) return Invalid;
  }
  return Acceptable;
}
