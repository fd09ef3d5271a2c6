#include "app/uppercaseedit.h"

#include <QLineEdit>

namespace tarsel {

QValidator::State UpperCaseValidator::validate(QString &input, int &pos) const
{
    const QString upper = input.toUpper();
    if (upper != input) {
        // A letter whose capital is longer ("ß" -> "SS") moves the cursor on.
        pos += int(upper.size() - input.size());
        pos = qBound(0, pos, int(upper.size()));
        input = upper;
    }
    return Acceptable;
}

void UpperCaseValidator::fixup(QString &input) const { input = input.toUpper(); }

void MakeUpperCase(QLineEdit *edit) { edit->setValidator(new UpperCaseValidator(edit)); }

}  // namespace tarsel
