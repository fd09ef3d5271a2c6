// Money rounding, money format and the float display formats of a table.

#include "util/money.h"

#include "wire/datatable.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <iomanip>
#include <limits>

using namespace tarsel;

namespace {

TEST(RoundTo2Decimals, Table)
{
    const struct {
        double in;
        double out;
    } cases[] = {
        {2.675, 2.68},  // 2.67499999999999982236431605997495353221893310546875 in binary
        {1.005, 1.01},  // 1.00499999999999989341858963598497211933135986328125
        {-1.005, -1.01},
        {0.125, 0.13},
        {-0.125, -0.13},
        {2.5, 2.5},
        {1.015, 1.02},
        {8.345, 8.35},
        {0.285, 0.29},
        {1.455, 1.46},
        {-2.675, -2.68},
        {0.004, 0.0},
        {0.005, 0.01},
        {-0.005, -0.01},
        {0.994999, 0.99},
        {0.995, 1.0},
        {9.995, 10.0},
        {99.999, 100.0},
        {1234567.885, 1234567.89},
        {999999999999.995, 1000000000000.0},
        {0.1 + 0.2, 0.3},
        {1.10 * 3, 3.3},
        {19.99 * 0.18, 3.6},       // 3.5982
        {100.0 / 3.0, 33.33},
        {-100.0 / 3.0, -33.33},
        {200.0 / 3.0, 66.67},
        {1e-300, 0.0},
        {5e-3 - 1e-18, 0.01},      // equals 0.005 in 15 significant digits
        {0.00499999999999, 0.0},   // 14 nines: below the half in 15 digits
    };
    for (const auto &c : cases) EXPECT_EQ(RoundTo2Decimals(c.in), c.out) << std::setprecision(17) << c.in;
}

TEST(RoundTo2Decimals, NotTheNaiveScaling)
{
    // round(x * 100) / 100 gets these wrong; the decimal-text rounding does not.
    EXPECT_EQ(std::round(1.005 * 100) / 100, 1.0);
    EXPECT_EQ(RoundTo2Decimals(1.005), 1.01);
}

TEST(RoundTo2Decimals, WholeCentsStayExactlyTheSame)
{
    for (long long c = -300000; c <= 300000; c += 7) {
        const double v = double(c) / 100.0;
        ASSERT_EQ(RoundTo2Decimals(v), v) << c;
    }
    for (long long c = 123456789000LL; c < 123456789000LL + 2000; ++c) {
        const double v = double(c) / 100.0;
        ASSERT_EQ(RoundTo2Decimals(v), v) << c;
    }
}

TEST(RoundTo2Decimals, HalfCentsGoAwayFromZero)
{
    for (long long k = 0; k < 200000; k += 3) {
        const double half = (double(k) * 10 + 5) / 1000.0;  // k.5 cents
        const double up = double(k + 1) / 100.0;
        ASSERT_EQ(RoundTo2Decimals(half), up) << k;
        ASSERT_EQ(RoundTo2Decimals(-half), -up) << k;
    }
}

TEST(RoundTo2Decimals, IsIdempotent)
{
    for (double x = -5000.0; x < 5000.0; x += 0.37913) {
        const double once = RoundTo2Decimals(x);
        ASSERT_EQ(RoundTo2Decimals(once), once) << x;
        ASSERT_LE(std::fabs(once - x), 0.005 + 1e-9) << x;
    }
}

TEST(RoundTo2Decimals, HugeValuesStayAsTheyAre)
{
    const double cases[] = {1e15, 1e15 + 0.125, -1e15 - 0.25, 123456789012345.67, 9007199254740993.0,
                            1e300, -1e300, std::numeric_limits<double>::max(), 5e13 + 0.0078125};
    for (double v : cases) EXPECT_EQ(RoundTo2Decimals(v), v) << std::setprecision(17) << v;
}

TEST(RoundTo2Decimals, SpecialValues)
{
    EXPECT_TRUE(std::isnan(RoundTo2Decimals(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_EQ(RoundTo2Decimals(std::numeric_limits<double>::infinity()), std::numeric_limits<double>::infinity());
    EXPECT_EQ(RoundTo2Decimals(-std::numeric_limits<double>::infinity()), -std::numeric_limits<double>::infinity());
    // Zero results are +0 so that they never show as "-0,00".
    for (double v : {0.0, -0.0, -0.004, -1e-12}) {
        EXPECT_EQ(RoundTo2Decimals(v), 0.0);
        EXPECT_FALSE(std::signbit(RoundTo2Decimals(v))) << v;
    }
}

TEST(RoundTo2Decimals, IndependentOfTheCLocale)
{
    // A process running under a comma-decimal locale must round the same.
    const char *old = std::setlocale(LC_ALL, nullptr);
    const std::string saved = old ? old : "C";
    if (std::setlocale(LC_ALL, "tr_TR.UTF-8") || std::setlocale(LC_ALL, "de_DE.UTF-8")) {
        EXPECT_EQ(RoundTo2Decimals(2.675), 2.68);
        EXPECT_EQ(RoundTo2Decimals(1234.565), 1234.57);
    }
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(FormatMoney, Table)
{
    const QLocale tr(QLocale::Turkish, QLocale::Turkey);
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const struct {
        double value;
        QLocale locale;
        const char *expected;
    } cases[] = {
        {1234.5, tr, "1.234,50"},
        {0, tr, "0,00"},
        {-1234.5, tr, "-1.234,50"},
        {1234567.891, tr, "1.234.567,89"},
        {2.675, tr, "2,68"},
        {0.5, tr, "0,50"},
        {999.999, tr, "1.000,00"},
        {-0.001, tr, "0,00"},
        {1234.5, us, "1,234.50"},
        {1234.5, QLocale::c(), "1,234.50"},  // grouping even where the locale omits it by default
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatMoney(c.value, c.locale), QString::fromUtf8(c.expected)) << c.value;
}

TEST(SetFloatDisplayFormats, OnlyPlainFloatColumns)
{
    DataTable t;
    t.addColumn(QStringLiteral("ADET"), FieldType::Int32);
    t.addColumn(QStringLiteral("ADI"), FieldType::String, 40);
    t.addColumn(QStringLiteral("FIYAT"), FieldType::Float64);
    t.addColumn(QStringLiteral("TUTAR"), FieldType::Float64);
    t.addColumn(QStringLiteral("KUR"), FieldType::Currency);
    t.addColumn(QStringLiteral("TARIH"), FieldType::DateTime);
    t.addColumn(QStringLiteral("SEC"), FieldType::Bool);
    t.addColumn(QStringLiteral("SIRANO"), FieldType::Int64).displayFormat = QStringLiteral("0000");
    t.appendRow({3, QStringLiteral("Fren balatası"), 1234.5, 3703.5, 1.5, QVariant(), true, 7});

    SetFloatDisplayFormats(t);

    EXPECT_EQ(QString::fromLatin1(kMoneyDisplayFormat), QStringLiteral("#,###,##0.00"));
    for (const DataColumn &c : t.columns) {
        const bool isFloat = c.name == QLatin1String("FIYAT") || c.name == QLatin1String("TUTAR");
        if (isFloat)
            EXPECT_EQ(c.displayFormat, QString::fromLatin1(kMoneyDisplayFormat)) << c.name.toStdString();
        else if (c.name == QLatin1String("SIRANO"))
            EXPECT_EQ(c.displayFormat, QStringLiteral("0000"));
        else
            EXPECT_TRUE(c.displayFormat.isEmpty()) << c.name.toStdString();
    }
    // The float columns then show 1.234,50-style values.
    const QLocale tr(QLocale::Turkish, QLocale::Turkey);
    EXPECT_EQ(FormatMoney(t.column(QStringLiteral("FIYAT"))->doubleAt(0), tr), QStringLiteral("1.234,50"));
    EXPECT_EQ(FormatMoney(t.column(QStringLiteral("TUTAR"))->doubleAt(0), tr), QStringLiteral("3.703,50"));
}

}  // namespace
