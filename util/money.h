#pragma once
// Money: rounding to cents, the money display format and its use on tables.

#include <QLocale>
#include <QString>

namespace tarsel {

class DataTable;

// Display format of floating-point money columns: thousands grouping and
// exactly two decimals, with the user's regional separators.
inline constexpr const char *kMoneyDisplayFormat = "#,###,##0.00";

// Rounds a money value to cents the way decimal text formatting does: the
// value is taken in its decimal form with 15 significant digits and that text
// is rounded to two decimals, halves away from zero (so 2.675 gives 2.68 and
// 1.005 gives 1.01, although neither is exactly representable). Values too
// large to have cents in 15 digits are rounded from their shortest exact
// decimal form instead, which leaves them as they are. NaN and infinities are
// returned unchanged; a result of zero is always +0.
double RoundTo2Decimals(double value);

// The value rounded with RoundTo2Decimals and written in the money display
// format with the separators of `locale` (1234.5 -> "1.234,50" in Turkish).
QString FormatMoney(double value, const QLocale &locale = QLocale());

// Gives every column of plain floating-point type (FieldType::Float64 only;
// not Currency or any other type) the money display format.
void SetFloatDisplayFormats(DataTable &table);

}  // namespace tarsel
