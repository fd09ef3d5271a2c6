#include "grid/gridfilter.h"
#include "grid/gridmodel.h"

#include "gridtestutil.h"
#include "util/money.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace tarsel;
using test::MakeTable;
using test::Null;

namespace {

const QLocale kTr(QLocale::Turkish, QLocale::Turkey);

struct FilterTest : ::testing::Test {
    GridModel model;
    std::shared_ptr<DataTable> table = MakeTable(
        {{"MARKA", FieldType::String}, {"DURUM", FieldType::Int32}, {"FIYAT", FieldType::Float64}, {"TARIH", FieldType::DateTime}},
        {
            {QStringLiteral("BOSCH"), 1, 1.234, QDateTime(QDate(2024, 1, 2), QTime(10, 0, 0))},
            {QStringLiteral("MANN"), 0, 1.2341, QDateTime(QDate(2024, 1, 2), QTime(10, 0, 0, 400))},
            {QStringLiteral("BOSCH"), 2, 5.0, QDateTime(QDate(2024, 1, 3), QTime(0, 0))},
            {QString(), 1, Null(), Null()},
            {Null(), 1, 5.0, QDateTime(QDate(2024, 1, 3), QTime(0, 0))},
            {QStringLiteral("ÇELİK"), 5, 7.5, QDateTime(QDate(2024, 1, 1), QTime(0, 0))},
            {QStringLiteral("BOSCH"), 1, 7.5, QDateTime(QDate(2024, 1, 1), QTime(0, 0))},
        });
    void SetUp() override
    {
        SetFloatDisplayFormats(*table);
        model.setLocale(kTr);
        model.setColumns({GridColumn::text(QStringLiteral("MARKA"), QStringLiteral("Üretici")),
                          GridColumn::icon(QStringLiteral("DURUM"), QStringLiteral("Durum"), 1, IconSet::stockStates()),
                          GridColumn::text(QStringLiteral("FIYAT"), QStringLiteral("Fiyat")),
                          GridColumn::text(QStringLiteral("TARIH"), QStringLiteral("Tarih"))});
        model.setTable(table);
    }
    static QStringList Texts(const std::vector<FilterValue> &v)
    {
        QStringList out;
        for (const auto &x : v) out << x.text + QLatin1Char('=') + QString::number(x.count) + (x.accepted ? QString() : QStringLiteral("-"));
        return out;
    }
};

TEST_F(FilterTest, DistinctValuesAsShownInSortOrderWithCounts)
{
    // Null and empty text are one "(Boş)" entry, first; then B, Ç, M as the Turkish alphabet has them.
    EXPECT_EQ(Texts(model.filterValues(0)), (QStringList{"(Boş)=2", "BOSCH=3", "ÇELİK=1", "MANN=1"}));
    // Icon columns list their descriptions in value order.
    EXPECT_EQ(Texts(model.filterValues(1)), (QStringList{"Yok=1", "Var=4", "Telefon Açınız=1", "Tedarik Sürecinde=1"}));
    // Money values that show the same are one entry.
    EXPECT_EQ(Texts(model.filterValues(2)), (QStringList{"(Boş)=1", "1,23=2", "5,00=2", "7,50=2"}));
    // Times count to the second, as shown.
    EXPECT_EQ(Texts(model.filterValues(3)), (QStringList{"(Boş)=1", "01.01.2024=2", "02.01.2024 10:00:00=2", "03.01.2024=2"}));
}

TEST_F(FilterTest, FiltersCombineAndEachListRespectsTheOthers)
{
    QSignalSpy changed(&model, &GridModel::filtersChanged);
    model.setColumnFilterTexts(0, {QStringLiteral("BOSCH")});
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_TRUE(model.hasFilter(0));
    model.setColumnFilterTexts(1, {QStringLiteral("Var")});
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.visibleRows(), (std::vector<int>{0, 6}));
    EXPECT_EQ(changed.count(), 2);
    // The brand list shows what the state filter lets through, with the
    // brand filter's ticks; the state list likewise.
    EXPECT_EQ(Texts(model.filterValues(0)), (QStringList{"(Boş)=2-", "BOSCH=2"}));
    const auto states = model.filterValues(1);
    EXPECT_EQ(Texts(states), (QStringList{"Var=2", "Telefon Açınız=1-"}));
    EXPECT_EQ(model.filteredColumns(), (std::vector<int>{0, 1}));
    model.clearColumnFilter(0);
    EXPECT_EQ(model.rowCount(), 4);
    model.clearFilters();
    EXPECT_EQ(model.rowCount(), 7);
    EXPECT_FALSE(model.hasFilters());
}

TEST_F(FilterTest, BlankEntryMatchesNullAndEmptyText)
{
    model.setColumnFilterTexts(0, {QStringLiteral("(Boş)")});
    EXPECT_EQ(model.visibleRows(), (std::vector<int>{3, 4}));
    model.clearColumnFilter(0);
    model.setColumnFilterTexts(2, {QStringLiteral("1,23"), QStringLiteral("(Boş)")});  // 1,234 and 1,2341 are one value
    EXPECT_EQ(model.visibleRows(), (std::vector<int>{0, 1, 3}));
    model.setColumnFilterTexts(0, {QStringLiteral("(Boş)")});
    EXPECT_EQ(model.visibleRows(), (std::vector<int>{3}));
}

TEST_F(FilterTest, FilterStaysThroughAReloadAndAppliesToTheNewRows)
{
    model.setColumnFilterTexts(0, {QStringLiteral("MANN")});
    model.beginReload();
    table->clearRows();
    for (int i = 0; i < 4; ++i)
        table->appendRow({i % 2 ? QStringLiteral("MANN") : QStringLiteral("TRW"), 1, 1.0, QDateTime(QDate(2024, 5, 1), QTime(0, 0))});
    model.endReload();
    EXPECT_EQ(model.visibleRows(), (std::vector<int>{1, 3}));
}

TEST_F(FilterTest, SortAndFilterTogether)
{
    model.sort(2, Qt::DescendingOrder);
    model.setColumnFilterTexts(0, {QStringLiteral("BOSCH"), QStringLiteral("ÇELİK")});
    EXPECT_EQ(model.visibleRows(), (std::vector<int>{5, 6, 2, 0}));
}

TEST(FilterChoice, AllEntryNarrowingAndResult)
{
    std::vector<FilterValue> values;
    for (const char *t : {"BOSCH", "BREMBO", "MANN", "VALEO"}) {
        FilterValue v;
        v.key = FilterKey::text(QString::fromUtf8(t));
        v.text = QString::fromUtf8(t);
        values.push_back(v);
    }
    values[3].accepted = false;  // the current filter leaves VALEO out
    FilterChoice c(values);
    EXPECT_EQ(c.allState(), Qt::PartiallyChecked);
    ASSERT_TRUE(c.result().has_value());
    EXPECT_EQ(c.result()->size(), 3u);

    c.setAllShown(true);  // "(Tümü)"
    EXPECT_EQ(c.allState(), Qt::Checked);
    EXPECT_FALSE(c.result().has_value()) << "every value ticked: no filter";

    c.setNarrowText(QStringLiteral("b"));  // narrows to BOSCH, BREMBO
    EXPECT_EQ(c.shown(), (std::vector<int>{0, 1}));
    EXPECT_EQ(c.allState(), Qt::Checked);
    ASSERT_TRUE(c.result().has_value()) << "a narrowed list filters to what it shows";
    EXPECT_EQ(*c.result(), (FilterKeySet{FilterKey::text(QStringLiteral("BOSCH")), FilterKey::text(QStringLiteral("BREMBO"))}));

    c.setAllShown(false);
    EXPECT_EQ(c.allState(), Qt::Unchecked);
    EXPECT_FALSE(c.canAccept());
    EXPECT_TRUE(c.isChecked(2)) << "values outside the narrowed list keep their ticks";
    c.toggle(1);
    EXPECT_TRUE(c.canAccept());
    EXPECT_EQ(*c.result(), (FilterKeySet{FilterKey::text(QStringLiteral("BREMBO"))}));

    c.setNarrowText(QStringLiteral("  "));
    EXPECT_EQ(c.shown().size(), 4u);
}

TEST(FilterKeys, TransparentLookupMatchesOwnedKeys)
{
    FilterKeySet set{FilterKey::text(QStringLiteral("ÇELİK")), FilterKey::integer(5), FilterKey::real(-0.0), FilterKey::null()};
    const QByteArray u = QStringLiteral("ÇELİK").toUtf8();
    EXPECT_TRUE(set.contains(FilterKeyRef{FilterKey::Text, 0, 0, std::string_view(u.constData(), std::size_t(u.size()))}));
    EXPECT_TRUE(set.contains(FilterKeyRef{FilterKey::Int, 5, 0, {}}));
    EXPECT_TRUE(set.contains(FilterKey::real(0.0)));
    EXPECT_TRUE(set.contains(FilterKeyRef{}));
    EXPECT_FALSE(set.contains(FilterKeyRef{FilterKey::Real, 0, 5.0, {}}));
}

}  // namespace
