#include "grid/gridmodel.h"

#include "grid/gridsummary.h"
#include "gridtestutil.h"
#include "util/money.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace tarsel;
using test::MakeTable;
using test::Null;

namespace {

const QLocale kTr(QLocale::Turkish, QLocale::Turkey);

// A stock-like table: code, name, brand, state, price, quantity.
std::shared_ptr<DataTable> StockTable()
{
    auto t = MakeTable({{"BARKOD", FieldType::String}, {"ADI", FieldType::String}, {"MARKA", FieldType::String},
                        {"DURUM", FieldType::Int32}, {"FIYAT", FieldType::Float64}, {"MIKTAR", FieldType::Int32}},
                       {
                           {QStringLiteral("A-1"), QStringLiteral("Fren Balatası"), QStringLiteral("BOSCH"), 1, 1234.5, 3},
                           {QStringLiteral("A-2"), QStringLiteral("Yağ Filtresi"), QStringLiteral("MANN"), 0, 99.9, 10},
                           {QStringLiteral("A-3"), QStringLiteral("İç Lastik"), QStringLiteral("BOSCH"), 2, 15.25, 1},
                           {QStringLiteral("A-4"), QStringLiteral("Çamurluk"), Null(), 1, Null(), 7},
                           {QStringLiteral("A-5"), QStringLiteral("ışık Anahtarı"), QStringLiteral("VALEO"), 3, 1234.5, 2},
                       });
    SetFloatDisplayFormats(*t);
    return t;
}

std::vector<GridColumn> StockColumns()
{
    return {
        GridColumn::text(QStringLiteral("BARKOD"), QStringLiteral("Kod"), 2),
        GridColumn::text(QStringLiteral("ADI"), QStringLiteral("Açıklama"), 4),
        GridColumn::text(QStringLiteral("MARKA"), QStringLiteral("Üretici"), 2),
        GridColumn::icon(QStringLiteral("DURUM"), QStringLiteral("Durum"), 1, IconSet::stockStates()),
        GridColumn::text(QStringLiteral("FIYAT"), QStringLiteral("Fiyat"), 2),
        GridColumn::text(QStringLiteral("MIKTAR"), QStringLiteral("Miktar"), 1),
    };
}

struct Fixture : ::testing::Test {
    GridModel model;
    std::shared_ptr<DataTable> table = StockTable();
    void SetUp() override
    {
        model.setLocale(kTr);
        model.setColumns(StockColumns());
        model.setTable(table);
    }
    int col(const char *key) const { return model.columnIndex(QString::fromUtf8(key)); }
    QString cell(int row, const char *key) const { return model.index(row, col(key)).data().toString(); }
    std::vector<QString> codes() const
    {
        std::vector<QString> out;
        for (int r = 0; r < model.rowCount(); ++r) out.push_back(cell(r, "BARKOD"));
        return out;
    }
};

using GridModelTest = Fixture;

TEST_F(GridModelTest, PassesTheItemModelTesterThroughEveryOperation)
{
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.sort(col("FIYAT"), Qt::DescendingOrder);
    model.setColumnFilterTexts(col("MARKA"), {QStringLiteral("BOSCH")});
    model.sort(col("ADI"), Qt::AscendingOrder);
    model.clearFilters();
    model.beginReload();
    table->clearRows();
    table->appendRow({QStringLiteral("B-1"), QStringLiteral("Disk"), QStringLiteral("TRW"), 5, 10.0, 1});
    model.endReload();
    model.notifyRowChanged(0);
    model.clearSort();
    model.setColumns(StockColumns());
    model.setTable(std::shared_ptr<const DataTable>());
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(GridModelTest, FloatColumnsShowMoneyWithRegionalSeparators)
{
    EXPECT_EQ(cell(0, "FIYAT"), QStringLiteral("1.234,50"));
    EXPECT_EQ(cell(1, "FIYAT"), QStringLiteral("99,90"));
    EXPECT_EQ(cell(3, "FIYAT"), QString());  // null stays empty
    EXPECT_EQ(cell(0, "MIKTAR"), QStringLiteral("3"));
    // Numbers keep their type for exports and sums.
    EXPECT_EQ(model.index(0, col("FIYAT")).data(Qt::EditRole).typeId(), QMetaType::Double);
    EXPECT_DOUBLE_EQ(model.index(0, col("FIYAT")).data(Qt::EditRole).toDouble(), 1234.5);
    // Numbers right, text left, everything vertically centred.
    EXPECT_EQ(model.index(0, col("FIYAT")).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
    EXPECT_EQ(model.index(0, col("ADI")).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignLeft | Qt::AlignVCenter));
}

TEST_F(GridModelTest, ClearedDisplayFormatShowsPlainNumbers)
{
    // The basket clears the format of its quantity column after the money format.
    table->column(QStringLiteral("FIYAT"))->displayFormat.clear();
    model.refresh();
    EXPECT_EQ(cell(0, "FIYAT"), QStringLiteral("1234,5"));
}

TEST_F(GridModelTest, ColumnMissingFromTheResultStaysEmpty)
{
    std::vector<GridColumn> cols = StockColumns();
    cols.push_back(GridColumn::text(QStringLiteral("OEM4"), QStringLiteral("Oem4"), 2));
    model.setColumns(cols);
    const int oem = col("OEM4");
    ASSERT_GE(oem, 0);
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.boundColumn(oem), nullptr);
    for (int r = 0; r < model.rowCount(); ++r) {
        EXPECT_EQ(cell(r, "OEM4"), QString());
        EXPECT_FALSE(model.index(r, oem).data(Qt::EditRole).isValid());
    }
    const auto values = model.filterValues(oem);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].text, QStringLiteral("(Boş)"));
    EXPECT_EQ(values[0].count, 5);
    model.sort(oem, Qt::AscendingOrder);
    EXPECT_EQ(codes(), (std::vector<QString>{"A-1", "A-2", "A-3", "A-4", "A-5"}));
    const auto sums = ComputeSummaries(model, {GridSummary::sum(QStringLiteral("OEM4"))});
    ASSERT_EQ(sums.size(), 1u);
    EXPECT_EQ(sums[0].text, QString());
    EXPECT_EQ(GridRow(&model, 0, 0).number(QStringLiteral("OEM4")), 0.0);
}

TEST_F(GridModelTest, SortsTypedColumnsStablyWithNullsFirst)
{
    model.sort(col("FIYAT"), Qt::AscendingOrder);
    EXPECT_EQ(codes(), (std::vector<QString>{"A-4", "A-3", "A-2", "A-1", "A-5"}));  // the two 1234,5 keep table order
    model.sort(col("FIYAT"), Qt::DescendingOrder);
    EXPECT_EQ(codes(), (std::vector<QString>{"A-1", "A-5", "A-2", "A-3", "A-4"}));
    model.sort(col("ADI"), Qt::AscendingOrder);  // Ç, F, ı (as I), İ, Y
    EXPECT_EQ(codes(), (std::vector<QString>{"A-4", "A-1", "A-5", "A-3", "A-2"}));
    model.sort(col("MARKA"), Qt::AscendingOrder);
    EXPECT_EQ(codes(), (std::vector<QString>{"A-4", "A-1", "A-3", "A-2", "A-5"}));
    model.clearSort();
    EXPECT_EQ(codes(), (std::vector<QString>{"A-1", "A-2", "A-3", "A-4", "A-5"}));
}

TEST_F(GridModelTest, SortKeepsTheFocusedRowThroughPersistentIndexes)
{
    const QPersistentModelIndex p = model.index(1, 0);
    model.sort(col("FIYAT"), Qt::DescendingOrder);
    ASSERT_TRUE(p.isValid());
    EXPECT_EQ(p.data().toString(), QStringLiteral("A-2"));
    EXPECT_EQ(p.row(), 2);
}

TEST_F(GridModelTest, SortingTurnedOffKeepsTheServerOrder)
{
    model.setSortingAllowed(false);
    model.sort(col("FIYAT"), Qt::AscendingOrder);
    EXPECT_EQ(model.sortColumn(), -1);
    EXPECT_EQ(codes(), (std::vector<QString>{"A-1", "A-2", "A-3", "A-4", "A-5"}));
    // Turning it off also undoes a sort already made.
    model.setSortingAllowed(true);
    model.sort(col("FIYAT"), Qt::AscendingOrder);
    model.setSortingAllowed(false);
    EXPECT_EQ(codes(), (std::vector<QString>{"A-1", "A-2", "A-3", "A-4", "A-5"}));
}

TEST_F(GridModelTest, ReloadDetachesThenShowsTheNewContentWithFiltersAndSort)
{
    model.setColumnFilterTexts(col("MARKA"), {QStringLiteral("BOSCH")});
    model.sort(col("FIYAT"), Qt::AscendingOrder);
    ASSERT_EQ(model.rowCount(), 2);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    const quint64 before = model.generation();

    model.beginReload();
    EXPECT_TRUE(model.isDetached());
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.table(), nullptr);
    EXPECT_EQ(model.index(0, 0).data(), QVariant());
    EXPECT_NE(model.generation(), before);

    // A background load rewrites the table meanwhile.
    table->clearRows();
    table->appendRow({QStringLiteral("N-1"), QStringLiteral("Disk"), QStringLiteral("BOSCH"), 1, 50.0, 1});
    table->appendRow({QStringLiteral("N-2"), QStringLiteral("Kampana"), QStringLiteral("TRW"), 1, 10.0, 1});
    table->appendRow({QStringLiteral("N-3"), QStringLiteral("Balata"), QStringLiteral("BOSCH"), 1, 20.0, 1});
    model.endReload();

    EXPECT_FALSE(model.isDetached());
    EXPECT_EQ(resets.count(), 2);
    EXPECT_EQ(codes(), (std::vector<QString>{"N-3", "N-1"}));
}

TEST_F(GridModelTest, NotifyRowChangedRepaintsThatRow)
{
    model.sort(col("FIYAT"), Qt::DescendingOrder);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy content(&model, &GridModel::contentChanged);
    model.notifyRowChanged(1);  // A-2 shows at row 2
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 2);
    EXPECT_EQ(changed[0][1].toModelIndex().column(), model.columnCount() - 1);
    EXPECT_EQ(content.count(), 1);
}

TEST_F(GridModelTest, IconColumnsGiveTheIconAndKeepTheDescriptionOutOfTheCell)
{
    const int d = col("DURUM");
    EXPECT_EQ(model.index(0, d).data(Qt::DisplayRole).toString(), QString());
    EXPECT_EQ(model.index(0, d).data(GridModelBase::IconNameRole).toString(), QStringLiteral("stock-available"));
    EXPECT_EQ(model.index(0, d).data(Qt::ToolTipRole).toString(), QStringLiteral("Var"));
    EXPECT_EQ(model.index(2, d).data(GridModelBase::DescriptionRole).toString(), QStringLiteral("Telefon Açınız"));
    EXPECT_EQ(model.displayText(1, d), QStringLiteral("Yok"));
}

TEST(IconSets, ValuesDescriptionsAndFallbacks)
{
    struct Case {
        IconSet set;
        qint64 value;
        const char *description;  // nullptr: nothing shown
        const char *icon;
    };
    const Case cases[] = {
        {IconSet::stockStates(), 0, "Yok", "stock-none"},
        {IconSet::stockStates(), 1, "Var", "stock-available"},
        {IconSet::stockStates(), 2, "Telefon Açınız", "stock-call"},
        {IconSet::stockStates(), 3, "Yolda", "stock-on-the-way"},
        {IconSet::stockStates(), 4, "Özel Sipariş", "stock-special-order"},
        {IconSet::stockStates(), 5, "Tedarik Sürecinde", "stock-procuring"},
        {IconSet::stockStates(), 9, nullptr, nullptr},
        {IconSet::yesNo(), 0, "Hayır", "no"},
        {IconSet::yesNo(), 1, "Evet", "yes"},
        {IconSet::yesNo(false), 0, "Hayır", ""},
        {IconSet::pictureFlag(), 1, "Var", "picture-available"},
        {IconSet::pictureFlag(), 0, "Yok", ""},
        {IconSet::documentTypes(), 4, "PDF", "doc-pdf"},
        {IconSet::documentTypes(), 6, "Excel", "doc-spreadsheet"},
        {IconSet::documentTypes(), 7, "Dosya", "doc-generic"},   // outside 0..6 shows icon 0
        {IconSet::documentTypes(), -1, "Dosya", "doc-generic"},
    };
    for (const Case &c : cases) {
        const IconValue *v = c.set.find(c.value);
        if (!c.description) {
            EXPECT_EQ(v, nullptr) << c.value;
            continue;
        }
        ASSERT_NE(v, nullptr) << c.value;
        EXPECT_EQ(v->description, QString::fromUtf8(c.description));
        EXPECT_EQ(v->icon, QString::fromUtf8(c.icon));
    }
}

TEST(GridModelKinds, CheckBoxProgressAndComputedColumns)
{
    auto t = MakeTable({{"SEC", FieldType::Int32}, {"ILERI", FieldType::Int32}, {"A", FieldType::Float64},
                        {"B", FieldType::Float64}},
                       {{1, 140, 2.0, 3.0}, {0, -5, 1.0, 1.0}, {1, 50, 4.0, 0.5}});
    GridModel m;
    m.setColumns({GridColumn::checkBox(QStringLiteral("SEC"), QStringLiteral("Seç")),
                  GridColumn::progress(QStringLiteral("ILERI"), QStringLiteral("İleri")),
                  GridColumn::custom(QStringLiteral("CARPIM"), QStringLiteral("Çarpım"), 1, {},
                                     [](const GridRow &r) { return QVariant(r.number(QStringLiteral("A")) * r.number(QStringLiteral("B"))); })});
    m.setTable(t);
    EXPECT_EQ(m.index(0, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    EXPECT_EQ(m.index(1, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    EXPECT_EQ(m.index(0, 1).data(GridModelBase::ProgressRole).toInt(), 100);  // clamped
    EXPECT_EQ(m.index(1, 1).data(GridModelBase::ProgressRole).toInt(), 0);
    EXPECT_DOUBLE_EQ(m.index(0, 2).data(Qt::EditRole).toDouble(), 6.0);
    m.sort(2, Qt::AscendingOrder);  // 1, 2, 6
    EXPECT_EQ(m.sourceRowAt(0), 1);
    EXPECT_EQ(m.sourceRowAt(1), 2);
    EXPECT_EQ(m.sourceRowAt(2), 0);
}

TEST_F(GridModelTest, IncrementalSearchMatchesThePrefixIgnoringCase)
{
    const int adi = col("ADI");
    struct Case {
        const char *typed;
        int row;
    };
    const Case cases[] = {
        {"fren", 0}, {"YAĞ", 1}, {"iç", 2}, {"İÇ", 2}, {"ÇAM", 3}, {"Işık", 4}, {"ISIK", -1}, {"lastik", -1},
    };
    for (const Case &c : cases) EXPECT_EQ(model.findRowStartingWith(adi, QString::fromUtf8(c.typed)), c.row) << c.typed;
    // Icon columns match their description.
    EXPECT_EQ(model.findRowStartingWith(col("DURUM"), QStringLiteral("tel")), 2);
    EXPECT_EQ(model.findRowStartingWith(adi, QStringLiteral("fren"), 1), -1);  // searching from row 1 on
}

TEST(GridModelShape, RaggedTableShowsTheRowsEveryColumnHas)
{
    auto t = std::make_shared<DataTable>();
    t->addColumn(QStringLiteral("A"), FieldType::Int32);
    t->addColumn(QStringLiteral("B"), FieldType::Int32);
    t->columns[0].appendInt32(1);
    t->columns[0].appendInt32(2);
    t->columns[1].appendInt32(10);
    GridModel m;
    m.setColumns({GridColumn::text(QStringLiteral("A"), QStringLiteral("A")), GridColumn::text(QStringLiteral("B"), QStringLiteral("B"))});
    m.setTable(t);
    EXPECT_EQ(m.rowCount(), 1);
    EXPECT_EQ(m.index(0, 1).data().toString(), QStringLiteral("10"));
}

TEST_F(GridModelTest, GridRowReadsHiddenAndUnlistedColumns)
{
    const GridRow r(&model, 0, 0);
    EXPECT_TRUE(r.isValid());
    EXPECT_DOUBLE_EQ(r.number(QStringLiteral("fiyat")), 1234.5);
    EXPECT_EQ(r.displayText(QStringLiteral("FIYAT")), QStringLiteral("1.234,50"));
    EXPECT_EQ(r.text(QStringLiteral("MARKA")), QStringLiteral("BOSCH"));
    EXPECT_TRUE(GridRow(&model, 3, 3).isNull(QStringLiteral("MARKA")));
    EXPECT_TRUE(r.isNull(QStringLiteral("NOPE")));
    EXPECT_FALSE(r.value(QStringLiteral("NOPE")).isValid());
}

}  // namespace
