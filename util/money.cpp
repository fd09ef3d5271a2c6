#include "util/money.h"

#include "wire/datatable.h"

#include <charconv>
#include <cmath>
#include <string>

namespace tarsel {

namespace {

// Keeps the first `keep` digits of the decimal digit string, rounding halves
// away from zero on the digit that follows. Returns true when the carry ran
// out of the front ("999" -> "100"; the caller's exponent grows by one).
bool roundDigitsAwayFromZero(std::string &digits, size_t keep)
{
    if (digits.size() <= keep) return false;
    const bool up = digits[keep] >= '5';
    digits.resize(keep);
    if (!up) return false;
    for (size_t i = keep; i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
    digits.resize(keep);
    return true;
}

// `digits` is a decimal digit string whose first `intDigits` digits are the
// integer part (intDigits <= 0: that many zeros follow the point before the
// digits). Returns the value rounded to two decimals, halves away from zero,
// as plain text "iii.ff".
std::string roundToCents(const std::string &digits, int intDigits)
{
    std::string intPart, frac;
    if (intDigits <= 0) {
        intPart = "0";
        frac = std::string(size_t(-intDigits), '0') + digits;
    } else if (size_t(intDigits) >= digits.size()) {
        intPart = digits + std::string(size_t(intDigits) - digits.size(), '0');
    } else {
        intPart = digits.substr(0, size_t(intDigits));
        frac = digits.substr(size_t(intDigits));
    }
    while (frac.size() < 3) frac.push_back('0');

    // Whole value in cents as one digit string; round on the third decimal.
    std::string cents = intPart + frac.substr(0, 3);
    // A carry out of the front (all nines) leaves "1000..." one digit short.
    if (roundDigitsAwayFromZero(cents, cents.size() - 1)) cents.push_back('0');
    return cents.substr(0, cents.size() - 2) + '.' + cents.substr(cents.size() - 2);
}

}  // namespace

double RoundTo2Decimals(double value)
{
    if (!std::isfinite(value)) return value;
    if (value == 0.0) return 0.0;

    const bool negative = std::signbit(value);
    const double mag = std::fabs(value);
    // From 2^53 on every double is a whole number: nothing to round.
    if (mag >= 9007199254740992.0) return value;

    // Decimal form of the value with 30 significant digits (correctly rounded
    // from the binary value), as digit string D and exponent E: D[0] * 10^E.
    char buf[128];
    auto res = std::to_chars(buf, buf + sizeof buf, mag, std::chars_format::scientific, 29);
    const std::string sci(buf, res.ptr);
    const size_t ePos = sci.find('e');
    std::string digits = sci.substr(0, 1) + sci.substr(2, ePos - 2);
    int exponent = std::stoi(sci.substr(ePos + 1));

    std::string text;
    if (exponent <= 12) {
        // The 15-significant-digit form, rounded halves away from zero ...
        if (roundDigitsAwayFromZero(digits, 15)) ++exponent;
        // ... reaches the cents (or goes beyond them): round that text.
        text = roundToCents(digits, exponent + 1);
    } else {
        // 15 digits stop above the cents; use the shortest decimal form that
        // reads back as the same value and round that.
        res = std::to_chars(buf, buf + sizeof buf, mag, std::chars_format::fixed);
        if (res.ec != std::errc()) return value;
        const std::string fixed(buf, res.ptr);
        const size_t dot = fixed.find('.');
        if (dot == std::string::npos) return value;  // no fraction at all
        text = roundToCents(fixed.substr(0, dot) + fixed.substr(dot + 1), int(dot));
    }

    double out = 0.0;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), out);
    if (parsed.ec != std::errc()) return value;
    if (out == 0.0) return 0.0;
    return negative ? -out : out;
}

QString FormatMoney(double value, const QLocale &locale)
{
    QLocale loc = locale;
    loc.setNumberOptions(loc.numberOptions() & ~QLocale::OmitGroupSeparator);
    const double rounded = RoundTo2Decimals(value);
    return loc.toString(rounded, 'f', 2);
}

void SetFloatDisplayFormats(DataTable &table)
{
    for (DataColumn &c : table.columns)
        if (c.type == FieldType::Float64) c.displayFormat = QString::fromLatin1(kMoneyDisplayFormat);
}

}  // namespace tarsel
