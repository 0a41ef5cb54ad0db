#pragma once
// Cp1251NameValidator: lets into a line edit only characters that Windows-1251
// can hold, since node texts are stored in that code page and any other
// character would silently become "?".

#include <QValidator>

class Cp1251NameValidator : public QValidator {
  Q_OBJECT

 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override;
};
