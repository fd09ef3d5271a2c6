#include "app/badgecaption.h"

#include <QRegularExpression>

#include <cmath>

namespace tarsel {

QString BadgeCaption::badgeText() const
{
    if (!hasBadge()) return {};
    return QLatin1Char('(') + countText + QLatin1Char(')');
}

BadgeCaption ParseBadgeCaption(const QString &caption)
{
    BadgeCaption c;
    const qsizetype eq = caption.indexOf(QLatin1Char('='));
    if (eq < 0) {
        c.title = caption;
        return c;
    }
    c.title = caption.mid(eq + 1, kBadgeTitleMaxLength);
    c.countText = caption.left(eq).trimmed();

    // A whole number: optional sign, digits only.
    static const QRegularExpression whole(QStringLiteral("^[+-]?[0-9]+$"));
    // A number with a fraction, with either decimal separator.
    static const QRegularExpression fraction(QStringLiteral("^[+-]?[0-9]*[.,][0-9]+$|^[+-]?[0-9]+[.,]$"));

    if (whole.match(c.countText).hasMatch()) {
        bool ok = false;
        const qlonglong n = c.countText.toLongLong(&ok);
        // Beyond 64 bits the digits still stand for a (large) number.
        c.count = ok ? double(n) : (c.countText.startsWith(QLatin1Char('-')) ? -1.0 : 1.0);
        c.wholeNumber = true;
        if (ok && n > 0) c.countText = QString::number(n);  // "012" shows as (12)
        return c;
    }
    if (fraction.match(c.countText).hasMatch()) {
        QString t = c.countText;
        t.replace(QLatin1Char(','), QLatin1Char('.'));
        bool ok = false;
        const double v = t.toDouble(&ok);
        c.count = (ok && std::isfinite(v)) ? v : 0.0;
        c.wholeNumber = false;
        return c;
    }
    c.count = 0;  // not a number: no badge
    c.wholeNumber = c.countText.isEmpty();
    return c;
}

QString MakeBadgeCaption(qint64 count, const QString &title)
{
    return QString::number(count) + QLatin1Char('=') + title;
}

}  // namespace tarsel
