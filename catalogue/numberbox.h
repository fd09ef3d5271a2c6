#pragma once
// A number box: a line edit holding a floating-point value, shown in the
// money format "#,###,##0.00" with the user's separators. When it is
// editable, what the user types is read back as the value (the user's
// separators, or a plain "1234.5"); text that is no number reads as 0.

#include <QLineEdit>

namespace tarsel {

class TNumberBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TNumberBox(QWidget *parent = nullptr);

    double value() const { return value_; }
    // Stores the value and shows it formatted.
    void setValue(double v);

    // The value a typed text stands for; nullopt-like false when it is no number.
    static bool ParseNumber(const QString &text, double *out);

private:
    double value_ = 0;
};

}  // namespace tarsel
