#include "grid/cellformat.h"

#include "gridtestutil.h"
#include "util/money.h"

#include <gtest/gtest.h>

using namespace tarsel;

namespace {

const QLocale kTr(QLocale::Turkish, QLocale::Turkey);
const QLocale kUs(QLocale::English, QLocale::UnitedStates);

TEST(FormatNumberPattern, PicturesWithRegionalSeparators)
{
    struct Case {
        double value;
        const char *pattern;
        const QLocale *locale;
        const char *expected;
    };
    const Case cases[] = {
        {1234.5, "#,###,##0.00", &kTr, "1.234,50"},
        {1234.5, "#,###,##0.00", &kUs, "1,234.50"},
        {0, "#,###,##0.00", &kTr, "0,00"},
        {-1234567.891, "#,###,##0.00", &kTr, "-1.234.567,89"},
        {5, "#,###,##00.00", &kTr, "05,00"},
        {1234.5, "0.00", &kTr, "1234,50"},
        {1234.567, "#,##0", &kTr, "1.235"},
        {2.5, "0.0#", &kTr, "2,5"},
        {2.567, "0.0#", &kTr, "2,57"},
        {-0.001, "0.00", &kTr, "0,00"},  // no minus on a value that shows as zero
        {12, "0.00 TL", &kTr, "12,00 TL"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatNumberPattern(c.value, QString::fromUtf8(c.pattern), *c.locale), QString::fromUtf8(c.expected))
            << c.value << " with " << c.pattern;
}

TEST(FormatNumberPattern, MoneyPictureIsTheSharedMoneyFormat)
{
    for (double v : {0.0, 1.005, 2.675, -3.5, 1234567.125})
        EXPECT_EQ(FormatNumberPattern(v, QString::fromUtf8(kMoneyDisplayFormat), kTr), FormatMoney(v, kTr)) << v;
}

TEST(PatternDecimals, CountsDigitPlaces)
{
    EXPECT_EQ(PatternDecimals(QStringLiteral("#,###,##0.00")), 2);
    EXPECT_EQ(PatternDecimals(QStringLiteral("#,##0")), 0);
    EXPECT_EQ(PatternDecimals(QStringLiteral("0.0##")), 3);
}

TEST(FormatCellText, OnlyFormattedFloatColumnsShowMoney)
{
    // An integer column, a text column and two floating-point columns: only
    // the floating-point ones show 1.234,50-style values after the format.
    auto t = test::MakeTable({{"ADET", FieldType::Int32}, {"ADI", FieldType::String}, {"FIYAT", FieldType::Float64},
                              {"TUTAR", FieldType::Float64}, {"KUR", FieldType::Currency}},
                             {{1234, QStringLiteral("Fren"), 1234.5, 99999.999, 1234.5}});
    SetFloatDisplayFormats(*t);
    EXPECT_EQ(FormatCellText(t->columns[0], 0, kTr), QStringLiteral("1234"));
    EXPECT_EQ(FormatCellText(t->columns[1], 0, kTr), QStringLiteral("Fren"));
    EXPECT_EQ(FormatCellText(t->columns[2], 0, kTr), QStringLiteral("1.234,50"));
    EXPECT_EQ(FormatCellText(t->columns[3], 0, kTr), QStringLiteral("100.000,00"));
    EXPECT_EQ(FormatCellText(t->columns[4], 0, kTr), QStringLiteral("1234,5"));  // currency keeps no format
}

TEST(FormatCellText, NullsDatesAndBooleans)
{
    auto t = test::MakeTable({{"T", FieldType::DateTime}, {"B", FieldType::Bool}, {"F", FieldType::Float64}},
                             {{QDateTime(QDate(2024, 3, 5), QTime(0, 0)), true, test::Null()},
                              {QDateTime(QDate(2024, 3, 5), QTime(14, 30, 15)), false, 1.5}});
    EXPECT_EQ(FormatCellText(t->columns[0], 0, kTr), QStringLiteral("05.03.2024"));
    EXPECT_EQ(FormatCellText(t->columns[0], 1, kTr), QStringLiteral("05.03.2024 14:30:15"));
    EXPECT_EQ(FormatCellText(t->columns[1], 0, kTr), QStringLiteral("Evet"));
    EXPECT_EQ(FormatCellText(t->columns[1], 1, kTr), QStringLiteral("Hayır"));
    EXPECT_EQ(FormatCellText(t->columns[2], 0, kTr), QString());
    EXPECT_EQ(FormatCellText(t->columns[2], 1, kTr), QStringLiteral("1,5"));
    EXPECT_EQ(FormatCellText(t->columns[2], 9, kTr), QString());  // past the end
}

}  // namespace
