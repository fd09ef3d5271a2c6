#pragma once
// Display text of table cells.
//
// Floating-point columns with a display format (set by SetFloatDisplayFormats
// after each load: "#,###,##0.00") show grouped, fixed decimals with the user's
// regional separators; other columns show their plain value.

#include <QLocale>
#include <QString>

#include <cstddef>

namespace tarsel {

class DataColumn;

// Formats a number with a picture such as "#,###,##0.00", "0.00" or "#,##0":
// ',' in the integer part asks for digit grouping, each '0' is a digit always
// written, each '#' after the decimal point an optional digit. Text around the
// picture is kept. Separators come from the locale.
QString FormatNumberPattern(double value, const QString &pattern, const QLocale &locale = QLocale());

// Most decimals a picture writes ("#,###,##0.00" -> 2, "#,##0" -> 0).
int PatternDecimals(const QString &pattern);

// The text a grid shows for one cell of a column; empty for null.
QString FormatCellText(const DataColumn &column, std::size_t row, const QLocale &locale = QLocale());

// A number in the way the column shows its values (used for footer sums).
QString FormatColumnNumber(const DataColumn &column, double value, const QLocale &locale = QLocale());

// An OLE automation day number (day 0 = 1899-12-30) as date, or date and time
// when the value has a time of day.
QString FormatOleDateTime(double days, const QLocale &locale = QLocale());

}  // namespace tarsel
