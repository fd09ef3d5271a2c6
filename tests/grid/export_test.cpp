// Export of a grid read back from the written workbook.
#include "grid/datagrid.h"
#include "grid/gridmodel.h"

#include "gridtestutil.h"
#include "tests/util/xlsxreader.h"
#include "util/money.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tarsel;
using test::MakeTable;
using test::ReadXlsxSheet;
using test::XlsxSheet;

namespace {

struct ExportTest : ::testing::Test {
    QTemporaryDir dir;
    DataGrid grid;
    std::shared_ptr<DataTable> table = MakeTable(
        {{"SATICIADI", FieldType::String}, {"TARIH", FieldType::DateTime}, {"IDNO", FieldType::Int32},
         {"DURUM", FieldType::Int32}, {"TUTAR", FieldType::Float64}, {"NOT", FieldType::String}},
        {
            {QStringLiteral("Zeki"), QDateTime(QDate(2024, 2, 1), QTime(0, 0)), 11, 1, 1234.5, QStringLiteral("gizli")},
            {QStringLiteral("Ayşe"), QDateTime(QDate(2024, 2, 2), QTime(9, 30)), 12, 2, 10.25, QStringLiteral("gizli")},
            {QStringLiteral("Zeki"), QDateTime(QDate(2024, 2, 3), QTime(0, 0)), 13, 0, 0.75, QStringLiteral("gizli")},
            {QStringLiteral("Ayşe"), QDateTime(QDate(2024, 2, 4), QTime(0, 0)), 14, 5, 100.0, QStringLiteral("gizli")},
        });

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        SetFloatDisplayFormats(*table);
        grid.setColumns({
            GridColumn::text(QStringLiteral("SATICIADI"), QStringLiteral("Satıcı")),
            GridColumn::text(QStringLiteral("TARIH"), QStringLiteral("Tarih")),
            GridColumn::text(QStringLiteral("IDNO"), QStringLiteral("Sipariş No")),
            GridColumn::icon(QStringLiteral("DURUM"), QStringLiteral("Durum"), 1, IconSet::stockStates()),
            GridColumn::text(QStringLiteral("TUTAR"), QStringLiteral("Tutar")),
            GridColumn::text(QStringLiteral("NOT"), QStringLiteral("Not")).hidden(),
            GridColumn::button(QStringLiteral("INDIR"), QStringLiteral("İndir"), QStringLiteral("download")),
        });
        grid.setTable(table);
        grid.resize(900, 300);
    }
    QString path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
    static QString text(const XlsxSheet &s, int r, int c)
    {
        const auto *cell = s.cell(r, c);
        return cell ? cell->text : QString();
    }
};

TEST_F(ExportTest, FlatGridWritesVisibleColumnsRowsInViewOrderAndNativeTypes)
{
    grid.model()->sort(grid.columnIndex(QStringLiteral("TUTAR")), Qt::DescendingOrder);
    grid.model()->setColumnFilterTexts(grid.columnIndex(QStringLiteral("DURUM")),
                                       {QStringLiteral("Var"), QStringLiteral("Telefon Açınız"), QStringLiteral("Yok")});
    grid.setFooterSummaries({GridSummary::count(QStringLiteral("TARIH")), GridSummary::sum(QStringLiteral("TUTAR"))});
    const QString file = path("liste.xlsx");
    grid.exportToExcel(file);

    const XlsxSheet s = ReadXlsxSheet(file);
    // Header: the shown columns only (no hidden "Not", no button column).
    EXPECT_EQ(text(s, 0, 0), QStringLiteral("Satıcı"));
    EXPECT_EQ(text(s, 0, 4), QStringLiteral("Tutar"));
    EXPECT_EQ(s.cell(0, 5), nullptr);
    // Rows: 1234,5 / 10,25 / 0,75, then the footer.
    ASSERT_EQ(s.rowCount(), 5);
    EXPECT_EQ(text(s, 1, 0), QStringLiteral("Zeki"));
    EXPECT_EQ(text(s, 2, 0), QStringLiteral("Ayşe"));
    EXPECT_EQ(text(s, 3, 2), QStringLiteral("13"));
    const auto *money = s.cell(1, 4);
    ASSERT_NE(money, nullptr);
    EXPECT_TRUE(money->isNumber());
    EXPECT_DOUBLE_EQ(money->number(), 1234.5);
    EXPECT_EQ(money->numberFormat, QStringLiteral("#,##0.00"));
    const auto *id = s.cell(1, 2);
    ASSERT_NE(id, nullptr);
    EXPECT_TRUE(id->isNumber());
    const auto *date = s.cell(2, 1);
    ASSERT_NE(date, nullptr);
    EXPECT_TRUE(date->isNumber()) << "dates are spreadsheet dates";
    EXPECT_NEAR(date->number(), 45324.395833, 1e-5);  // 2024-02-02 09:30
    const auto *state = s.cell(2, 3);
    ASSERT_NE(state, nullptr);
    EXPECT_TRUE(state->isString());
    EXPECT_EQ(state->text, QStringLiteral("Telefon Açınız"));
    // Footer: count under Tarih, sum under Tutar.
    EXPECT_EQ(text(s, 4, 1), QStringLiteral("3"));
    EXPECT_NEAR(s.cell(4, 4)->number(), 1245.5, 1e-9);
}

TEST_F(ExportTest, GroupedGridIsWrittenWithEveryGroupExpanded)
{
    grid.setColumnVisible(QStringLiteral("SATICIADI"), false);
    grid.setGrouping(QStringLiteral("SATICIADI"), {GridSummary::sum(QStringLiteral("TUTAR"))});
    grid.collapseAllGroups();
    const QString file = path("gruplu.xlsx");
    grid.exportToExcel(file);

    const XlsxSheet s = ReadXlsxSheet(file);
    EXPECT_EQ(text(s, 0, 0), QStringLiteral("Tarih"));
    const char *firstColumn[] = {"Ayşe (2)", nullptr, nullptr, nullptr, "Zeki (2)", nullptr, nullptr, nullptr};
    ASSERT_EQ(s.rowCount(), 9);
    for (int r = 0; r < 8; ++r) {
        if (!firstColumn[r]) continue;
        EXPECT_EQ(text(s, r + 1, 0), QString::fromUtf8(firstColumn[r])) << "row " << r + 1;
    }
    EXPECT_NEAR(s.cell(2, 3)->number(), 10.25, 1e-9);   // Ayşe's first order
    EXPECT_NEAR(s.cell(4, 3)->number(), 110.25, 1e-9);  // Ayşe's group footer
    EXPECT_NEAR(s.cell(8, 3)->number(), 1235.25, 1e-9); // Zeki's group footer
}

TEST_F(ExportTest, EmptyGridWritesItsHeader)
{
    grid.model()->setColumnFilter(0, {});
    const QString file = path("bos.xlsx");
    grid.exportToExcel(file);
    const XlsxSheet s = ReadXlsxSheet(file);
    EXPECT_EQ(s.rowCount(), 1);
    EXPECT_EQ(text(s, 0, 2), QStringLiteral("Sipariş No"));
}

TEST_F(ExportTest, ReloadDuringTheExportStopsItAndWritesNothing)
{
    // The progress display lets queued work run; a load starting then ends the export.
    QTimer::singleShot(0, &grid, [this] { grid.beginReload(); });
    const QString file = path("yarim.xlsx");
    grid.show();
    EXPECT_THROW(grid.exportToExcel(file), std::runtime_error);
    EXPECT_FALSE(QFileInfo::exists(file));
    grid.endReload();
}

}  // namespace
