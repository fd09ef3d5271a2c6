#include "catalogue/numberbox.h"

#include "util/money.h"

#include <QLocale>

namespace tarsel {

TNumberBox::TNumberBox(QWidget *parent) : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setValue(0);
    connect(this, &QLineEdit::textEdited, this, [this](const QString &text) {
        double v = 0;
        value_ = ParseNumber(text, &v) ? v : 0.0;
    });
}

void TNumberBox::setValue(double v)
{
    value_ = v;
    setText(FormatMoney(v));
}

bool TNumberBox::ParseNumber(const QString &text, double *out)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) return false;
    bool ok = false;
    double v = QLocale().toDouble(t, &ok);
    if (!ok) v = QLocale::c().toDouble(t, &ok);
    if (!ok) {
        // The user's decimal separator without grouping ("1234,5").
        QString plain = t;
        plain.remove(QLocale().groupSeparator());
        plain.replace(QLocale().decimalPoint(), QLatin1String("."));
        v = QLocale::c().toDouble(plain, &ok);
    }
    if (ok && out) *out = v;
    return ok;
}

}  // namespace tarsel
