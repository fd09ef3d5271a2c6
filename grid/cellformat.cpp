#include "grid/cellformat.h"

#include "util/money.h"
#include "wire/datatable.h"

#include <QDateTime>
#include <QRegularExpression>

#include <cmath>

namespace tarsel {

namespace {

const QString kMoneyPattern = QStringLiteral("#,###,##0.00");

QString GroupDigits(const QString &digits, const QString &separator)
{
    if (digits.size() <= 3 || separator.isEmpty()) return digits;
    QString out;
    out.reserve(digits.size() + digits.size() / 3 * separator.size());
    const qsizetype first = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
    out.append(QStringView(digits).left(first));
    for (qsizetype i = first; i < digits.size(); i += 3) {
        out.append(separator);
        out.append(QStringView(digits).mid(i, 3));
    }
    return out;
}

}  // namespace

QString FormatNumberPattern(double value, const QString &patternIn, const QLocale &locale)
{
    if (patternIn == kMoneyPattern) return FormatMoney(value, locale);
    if (!std::isfinite(value)) return QString::number(value);

    // Only the first section of a "positive;negative;zero" picture is used.
    const QString pattern = patternIn.section(QLatin1Char(';'), 0, 0);
    qsizetype first = -1, last = -1;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'#' || c == u'0' || c == u',' || c == u'.') {
            if (first < 0) first = i;
            last = i;
        }
    }
    if (first < 0) return pattern;  // no digit placeholders: literal text
    const QString prefix = pattern.left(first).remove(QLatin1Char('"')).remove(QLatin1Char('\''));
    const QString suffix = pattern.mid(last + 1).remove(QLatin1Char('"')).remove(QLatin1Char('\''));
    const QString body = pattern.mid(first, last - first + 1);
    const qsizetype dot = body.indexOf(QLatin1Char('.'));
    const QString intPart = dot < 0 ? body : body.left(dot);
    const QString decPart = dot < 0 ? QString() : body.mid(dot + 1);
    const bool grouping = intPart.contains(QLatin1Char(','));
    const int minInt = int(intPart.count(QLatin1Char('0')));
    const int decMin = int(decPart.count(QLatin1Char('0')));
    const int decMax = int(decPart.count(QLatin1Char('0')) + decPart.count(QLatin1Char('#')));

    QString plain = QString::number(std::fabs(value), 'f', decMax);  // "1234.50"
    QString intDigits = plain, decDigits;
    if (const qsizetype p = plain.indexOf(QLatin1Char('.')); p >= 0) {
        intDigits = plain.left(p);
        decDigits = plain.mid(p + 1);
    }
    while (decDigits.size() > decMin && decDigits.endsWith(QLatin1Char('0'))) decDigits.chop(1);
    if (intDigits == u"0" && minInt == 0) intDigits.clear();
    while (intDigits.size() < minInt) intDigits.prepend(QLatin1Char('0'));
    const bool isZero = intDigits.count(QLatin1Char('0')) == intDigits.size() &&
                        decDigits.count(QLatin1Char('0')) == decDigits.size();

    QString out = prefix;
    if (value < 0 && !isZero) out += locale.negativeSign();
    out += grouping ? GroupDigits(intDigits, locale.groupSeparator()) : intDigits;
    if (!decDigits.isEmpty()) out += locale.decimalPoint() + decDigits;
    if (out.size() == prefix.size()) out += QLatin1Char('0');  // "#.##" of 0 still shows a digit
    out += suffix;
    return out;
}

namespace {
// The locale's short date with two-digit day and month (05.03.2024 rather than
// 5.03.2024), as list columns line up better that way.
QString ShortDateFormat(const QLocale &locale)
{
    QString f = locale.dateFormat(QLocale::ShortFormat);
    static const QRegularExpression loneDay(QStringLiteral("(?<!d)d(?!d)"));
    static const QRegularExpression loneMonth(QStringLiteral("(?<!M)M(?!M)"));
    f.replace(loneDay, QStringLiteral("dd"));
    f.replace(loneMonth, QStringLiteral("MM"));
    return f;
}
}  // namespace

int PatternDecimals(const QString &patternIn)
{
    const QString pattern = patternIn.section(QLatin1Char(';'), 0, 0);
    const qsizetype dot = pattern.indexOf(QLatin1Char('.'));
    if (dot < 0) return 0;
    int n = 0;
    for (qsizetype i = dot + 1; i < pattern.size(); ++i)
        if (pattern[i] == u'0' || pattern[i] == u'#') ++n;
    return n;
}

QString FormatOleDateTime(double days, const QLocale &locale)
{
    static const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0));
    const QDateTime dt = epoch.addMSecs(qint64(std::llround(days * 86400000.0)));
    const QString date = locale.toString(dt.date(), ShortDateFormat(locale));
    if (dt.time() == QTime(0, 0)) return date;
    return date + QLatin1Char(' ') + dt.time().toString(QStringLiteral("HH:mm:ss"));
}

namespace {
// Plain numbers show no digit grouping, only the regional decimal separator.
QString PlainNumber(double value, const QLocale &locale)
{
    QLocale l = locale;
    l.setNumberOptions(l.numberOptions() | QLocale::OmitGroupSeparator);
    return l.toString(value, 'g', 15);
}
}  // namespace

QString FormatColumnNumber(const DataColumn &column, double value, const QLocale &locale)
{
    switch (column.type) {
    case FieldType::Int32:
    case FieldType::Int64:
    case FieldType::Bool: return QString::number(qint64(std::llround(value)));
    case FieldType::Float64:
    case FieldType::Currency:
        if (!column.displayFormat.isEmpty()) return FormatNumberPattern(value, column.displayFormat, locale);
        return PlainNumber(value, locale);
    default: break;
    }
    return PlainNumber(value, locale);
}

QString FormatCellText(const DataColumn &column, std::size_t row, const QLocale &locale)
{
    if (row >= column.rowCount() || column.isNull(row)) return QString();
    switch (column.type) {
    case FieldType::String: {
        const auto b = column.bytesAt(row);
        return QString::fromUtf8(b.data(), qsizetype(b.size()));
    }
    case FieldType::Int32: return QString::number(column.int32At(row));
    case FieldType::Int64: return QString::number(column.int64At(row));
    case FieldType::Bool: return column.boolAt(row) ? QStringLiteral("Evet") : QStringLiteral("Hayır");
    case FieldType::Float64:
    case FieldType::Currency: return FormatColumnNumber(column, column.doubleAt(row), locale);
    case FieldType::DateTime: return FormatOleDateTime(column.doubleAt(row), locale);
    case FieldType::Blob: return QString();
    }
    return QString();
}

}  // namespace tarsel
