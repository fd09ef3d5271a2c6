#pragma once
// Line edits that show and return their text in capitals (letters turn into
// capitals while they are typed or pasted).

#include <QValidator>

class QLineEdit;

namespace tarsel {

class UpperCaseValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;
};

// Installs an UpperCaseValidator on the edit (owned by it).
void MakeUpperCase(QLineEdit *edit);

}  // namespace tarsel
