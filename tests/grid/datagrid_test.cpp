#include "grid/datagrid.h"
#include "grid/griddelegate.h"
#include "grid/gridgrouping.h"
#include "grid/gridheader.h"
#include "grid/gridmodel.h"

#include "gridtestutil.h"
#include "util/money.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using namespace tarsel;
using test::MakeTable;

namespace {

std::shared_ptr<DataTable> StockTable()
{
    auto t = MakeTable({{"SEC", FieldType::Int32},
                        {"BARKOD", FieldType::String},
                        {"ADI", FieldType::String},
                        {"MARKA", FieldType::String},
                        {"DURUM", FieldType::Int32},
                        {"LISTEFIYAT1", FieldType::Float64},
                        {"KAMPFIYAT", FieldType::Float64},
                        {"NETFIYAT", FieldType::Float64},
                        {"MIKTAR", FieldType::Float64}},
                       {
                           {1, QStringLiteral("FB-1"), QStringLiteral("Fren Balatası"), QStringLiteral("BOSCH"), 1, 1250.0, 0.0, 1000.0, 2.0},
                           {0, QStringLiteral("YF-2"), QStringLiteral("Yağ Filtresi"), QStringLiteral("MANN"), 2, 100.0, 90.0, 80.0, 5.0},
                           {0, QStringLiteral("HF-3"), QStringLiteral("Hava Filtresi"), QStringLiteral("MANN"), 0, 50.0, 0.0, 40.0, 1.5},
                           {1, QStringLiteral("İK-4"), QStringLiteral("İç Kapı Kolu"), QStringLiteral("VALEO"), 3, 10.0, 0.0, 8.0, 10.0},
                       });
    SetFloatDisplayFormats(*t);
    t->column(QStringLiteral("MIKTAR"))->displayFormat.clear();
    return t;
}

struct Recorded {
    int calls = 0;
    std::vector<double> listPrices;
    std::vector<int> viewRows;
    std::vector<bool> selected;
};

std::vector<GridColumn> StockColumns(Recorded *rec = nullptr)
{
    auto paint = [rec](QPainter *p, const QRect &r, const GridRow &row, const GridCellState &st) {
        const GridTheme &t = *st.theme;
        p->fillRect(r, st.selected ? t.selectionColor : (st.viewRow % 2 == 0 ? t.contentEvenColor : t.contentOddColor));
        if (!rec) return;
        ++rec->calls;
        rec->listPrices.push_back(row.number(QStringLiteral("LISTEFIYAT1")));
        rec->viewRows.push_back(st.viewRow);
        rec->selected.push_back(st.selected);
    };
    return {
        GridColumn::checkBox(QStringLiteral("SEC"), QStringLiteral("Seç"), 1).notInChooser(),
        GridColumn::text(QStringLiteral("BARKOD"), QStringLiteral("Kod"), 2),
        GridColumn::text(QStringLiteral("ADI"), QStringLiteral("Açıklama"), 4),
        GridColumn::text(QStringLiteral("MARKA"), QStringLiteral("Üretici"), 2),
        GridColumn::icon(QStringLiteral("DURUM"), QStringLiteral("Durum"), 1, IconSet::stockStates()),
        GridColumn::text(QStringLiteral("LISTEFIYAT1"), QStringLiteral("Liste Fiyatı"), 2).hidden(),
        GridColumn::text(QStringLiteral("KAMPFIYAT"), QStringLiteral("Kampanyalı Fiyat"), 2).hidden().notInChooser(),
        GridColumn::text(QStringLiteral("NETFIYAT"), QStringLiteral("Net Fiyatı"), 2),
        GridColumn::text(QStringLiteral("MIKTAR"), QStringLiteral("Miktar"), 1),
        GridColumn::custom(QStringLiteral("FIYATBILGISI"), QStringLiteral("Fiyat Bilgisi"), 2, paint),
        GridColumn::button(QStringLiteral("INDIR"), QStringLiteral("İndir"), QStringLiteral("download"), QStringLiteral("İndir")),
    };
}

// Types text the way a keyboard does, Turkish letters included.
void Type(QWidget *w, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

struct DataGridTest : ::testing::Test {
    std::unique_ptr<DataGrid> grid;
    std::shared_ptr<DataTable> table = StockTable();
    Recorded rec;

    void SetUp() override
    {
        grid = std::make_unique<DataGrid>();
        GridOptions o;
        o.rowHeight = 40;
        grid->setOptions(o);
        grid->setColumns(StockColumns(&rec));
        grid->setFooterSummaries({GridSummary::count(QStringLiteral("BARKOD")), GridSummary::sum(QStringLiteral("MIKTAR")),
                                  GridSummary::sum(QStringLiteral("NETFIYAT"))});
        grid->setTable(table);
        grid->resize(1200, 400);
        grid->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
    }
    QTableView *view() const { return grid->view(); }
    QModelIndex index(int row, const char *key) const
    {
        return grid->viewModel()->index(row, grid->columnIndex(QString::fromUtf8(key)));
    }
    QPoint centre(int row, const char *key) const { return view()->visualRect(index(row, key)).center(); }
};

TEST(DataGridWidths, WeightsShareTheGridWidth)
{
    // Visible weights 2,4,2,2,1,1,2,1 in a grid 1380 pixels wide: unit 90.
    DataGrid grid;
    std::vector<GridColumn> cols;
    const int weights[] = {2, 4, 3, 2, 2, 1, 1, 2, 5, 1};
    const bool shown[] = {true, true, false, true, true, true, true, true, false, true};
    for (int i = 0; i < 10; ++i)
        cols.push_back(GridColumn::text(QStringLiteral("C%1").arg(i), QStringLiteral("C%1").arg(i), weights[i]).shown(shown[i]));
    grid.setColumns(cols);
    grid.setColumnWidth(QStringLiteral("C2"), 77);
    grid.fitColumnsByWeight(1380);
    const int expected[] = {180, 360, -1, 180, 180, 90, 90, 180, -1, 90};
    for (int i = 0; i < 10; ++i) {
        if (expected[i] < 0) continue;
        EXPECT_EQ(grid.view()->columnWidth(i), expected[i]) << "column " << i;
    }
    EXPECT_EQ(grid.columnWidth(QStringLiteral("C2")), 77) << "hidden columns keep their width";
    // A column shown later takes its weighted share at once.
    grid.setColumnVisible(QStringLiteral("C2"), true);
    EXPECT_EQ(grid.view()->columnWidth(0), 2 * ((1380 - 30) / 18));
    EXPECT_EQ(grid.view()->columnWidth(2), 3 * ((1380 - 30) / 18));
}

TEST_F(DataGridTest, ColumnChooserListsOfferedColumnsAndTogglesThem)
{
    QSignalSpy toggled(grid.get(), &DataGrid::columnVisibilityChanged);
    grid->showColumnChooser();
    GridColumnChooser *chooser = grid->columnChooser();
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(chooser->windowTitle(), QStringLiteral("Sütun Seçici"));
    EXPECT_EQ(chooser->captions(), (QStringList{"Kod", "Açıklama", "Üretici", "Durum", "Liste Fiyatı", "Net Fiyatı", "Miktar",
                                                "Fiyat Bilgisi", "İndir"}));
    QListWidgetItem *liste = chooser->list()->item(4);
    EXPECT_EQ(liste->checkState(), Qt::Unchecked);
    liste->setCheckState(Qt::Checked);
    EXPECT_TRUE(grid->isColumnVisible(QStringLiteral("LISTEFIYAT1")));
    EXPECT_FALSE(view()->isColumnHidden(grid->columnIndex(QStringLiteral("LISTEFIYAT1"))));
    ASSERT_EQ(toggled.count(), 1);
    EXPECT_EQ(toggled[0][0].toString(), QStringLiteral("LISTEFIYAT1"));
    chooser->list()->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_TRUE(view()->isColumnHidden(grid->columnIndex(QStringLiteral("BARKOD"))));
    // A screen withdraws a column from the chooser (by user type).
    grid->setColumnInChooser(QStringLiteral("DURUM"), false);
    EXPECT_FALSE(chooser->captions().contains(QStringLiteral("Durum")));
}

TEST_F(DataGridTest, HeaderFilterPopupFiltersTheRows)
{
    GridFilterPopup *popup = grid->openFilterPopup(QStringLiteral("MARKA"));
    ASSERT_NE(popup, nullptr);
    FilterListModel *list = popup->listModel();
    ASSERT_EQ(list->rowCount(), 4);
    EXPECT_EQ(list->index(0).data().toString(), QStringLiteral("(Tümü)"));
    EXPECT_EQ(list->index(0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    EXPECT_EQ(list->index(2).data().toString(), QStringLiteral("MANN"));
    list->toggleRow(2);  // untick MANN
    EXPECT_EQ(list->index(0).data(Qt::CheckStateRole).toInt(), int(Qt::PartiallyChecked));
    QTest::mouseClick(popup->okButton(), Qt::LeftButton);
    EXPECT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(grid->footerText(QStringLiteral("BARKOD")), QStringLiteral("2"));
    EXPECT_EQ(grid->footerText(QStringLiteral("MIKTAR")), QStringLiteral("12"));
    EXPECT_EQ(grid->footerText(QStringLiteral("NETFIYAT")), QStringLiteral("1.008,00"));
    const auto labels = grid->findChildren<QLabel *>();
    const bool barShown = std::any_of(labels.begin(), labels.end(), [](QLabel *l) {
        return l->isVisible() && l->text() == QStringLiteral("Filtre: Üretici");
    });
    EXPECT_TRUE(barShown);

    // The narrowing box: typing "bo" lists BOSCH only; OK filters to it.
    popup = grid->openFilterPopup(QStringLiteral("MARKA"));
    ASSERT_NE(popup, nullptr);
    QTest::keyClicks(popup->narrowEdit(), QStringLiteral("bo"));
    EXPECT_EQ(popup->listModel()->rowCount(), 2);
    popup->accept();
    EXPECT_EQ(grid->model()->rowCount(), 1);

    // "(Tümü)" ticked again clears the filter.
    popup = grid->openFilterPopup(QStringLiteral("MARKA"));
    popup->listModel()->toggleRow(0);
    popup->accept();
    EXPECT_FALSE(grid->model()->hasFilters());
    EXPECT_EQ(grid->model()->rowCount(), 4);
}

TEST_F(DataGridTest, FilterButtonInTheHeaderOpensThePopupWithoutSorting)
{
    auto *header = static_cast<GridHeaderView *>(view()->horizontalHeader());
    const int marka = grid->columnIndex(QStringLiteral("MARKA"));
    const QRect button = header->filterButtonRect(marka);
    ASSERT_FALSE(button.isEmpty());
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, button.center());
    ASSERT_NE(grid->filterPopup(), nullptr);
    EXPECT_EQ(grid->model()->sortColumn(), -1);
    grid->filterPopup()->reject();
    // A click on the caption sorts, a second one turns the order round.
    const QPoint caption(header->sectionViewportPosition(marka) + 10, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, caption);
    EXPECT_EQ(grid->model()->sortColumn(), marka);
    EXPECT_EQ(grid->model()->sortOrder(), Qt::AscendingOrder);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, caption);
    EXPECT_EQ(grid->model()->sortOrder(), Qt::DescendingOrder);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::ControlModifier, caption);
    EXPECT_EQ(grid->model()->sortColumn(), -1);
}

TEST_F(DataGridTest, GridWithoutSortingIgnoresHeaderClicks)
{
    GridOptions o = grid->options();
    o.sorting = false;
    grid->setOptions(o);
    auto *header = view()->horizontalHeader();
    const int adi = grid->columnIndex(QStringLiteral("ADI"));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(adi) + 10, 10));
    EXPECT_EQ(grid->model()->sortColumn(), -1);
}

TEST_F(DataGridTest, TypingJumpsToTheFirstMatchingRowOfTheFocusedColumn)
{
    view()->setFocus();
    view()->setCurrentIndex(index(0, "ADI"));
    QTest::keyClicks(view(), QStringLiteral("ha"));
    EXPECT_EQ(grid->searchText(), QStringLiteral("ha"));
    EXPECT_EQ(grid->focusedSourceRow(), 2);
    QTest::keyClicks(view(), QStringLiteral("x"));  // no row starts with "hax": nothing moves
    EXPECT_EQ(grid->searchText(), QStringLiteral("ha"));
    EXPECT_EQ(grid->focusedSourceRow(), 2);
    QTest::keyClick(view(), Qt::Key_Backspace);
    EXPECT_EQ(grid->searchText(), QStringLiteral("h"));
    QTest::keyClick(view(), Qt::Key_Escape);
    EXPECT_EQ(grid->searchText(), QString());
    // Turkish capitals match lower-case typing.
    Type(view(), QStringLiteral("iç"));
    EXPECT_EQ(grid->focusedSourceRow(), 3);
    // Moving with the arrow keys ends the search.
    QTest::keyClick(view(), Qt::Key_Up);
    EXPECT_EQ(grid->searchText(), QString());
    EXPECT_EQ(grid->focusedSourceRow(), 2);
}

TEST_F(DataGridTest, FocusFollowsReloadsAndIsReported)
{
    QSignalSpy focus(grid.get(), &DataGrid::focusedRowChanged);
    EXPECT_EQ(grid->focusedSourceRow(), 0) << "the first row is focused after the data arrives";
    grid->setFocusedSourceRow(2);
    ASSERT_EQ(focus.count(), 1);
    EXPECT_EQ(focus.last()[0].toInt(), 2);
    // A sort keeps the focused row.
    grid->model()->sort(grid->columnIndex(QStringLiteral("NETFIYAT")), Qt::AscendingOrder);
    EXPECT_EQ(grid->focusedSourceRow(), 2);
    grid->beginReload();
    EXPECT_EQ(grid->focusedSourceRow(), -1);
    EXPECT_EQ(focus.last()[0].toInt(), -1);
    table->appendRow({0, QStringLiteral("Z-9"), QStringLiteral("Zincir"), QStringLiteral("IWIS"), 1, 5.0, 0.0, 4.0, 1.0});
    grid->endReload();
    EXPECT_EQ(grid->model()->rowCount(), 5);
    EXPECT_EQ(grid->focusedSourceRow(), 4) << "after a load the first row (by the sort) is focused";
    EXPECT_EQ(focus.last()[0].toInt(), 4);
}

TEST_F(DataGridTest, DoubleClickContextMenuCheckBoxAndButtonSignals)
{
    QSignalSpy dbl(grid.get(), &DataGrid::rowDoubleClicked);
    QSignalSpy ctx(grid.get(), &DataGrid::contextMenuRequested);
    QSignalSpy check(grid.get(), &DataGrid::checkBoxClicked);
    QSignalSpy button(grid.get(), &DataGrid::buttonClicked);

    QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, centre(1, "ADI"));
    ASSERT_EQ(dbl.count(), 1);
    EXPECT_EQ(dbl[0][0].toInt(), 1);

    Q_EMIT view()->customContextMenuRequested(centre(2, "ADI"));
    ASSERT_EQ(ctx.count(), 1);
    EXPECT_EQ(ctx[0][0].toInt(), 2);
    EXPECT_EQ(grid->focusedSourceRow(), 2) << "a right click focuses the row";

    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, centre(3, "SEC"));
    ASSERT_EQ(check.count(), 1);
    EXPECT_EQ(check[0][0].toInt(), 3);
    EXPECT_EQ(check[0][1].toString(), QStringLiteral("SEC"));

    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, centre(0, "INDIR"));
    ASSERT_EQ(button.count(), 1);
    EXPECT_EQ(button[0][0].toInt(), 0);
    EXPECT_EQ(button[0][1].toString(), QStringLiteral("INDIR"));

    // Double clicks on a button or a check box are not row double clicks.
    QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, centre(0, "INDIR"));
    QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, centre(0, "SEC"));
    EXPECT_EQ(dbl.count(), 1);
}

TEST_F(DataGridTest, CustomCellGetsItsRowAndStateAndThemeColours)
{
    grid->setFocusedSourceRow(2);
    rec = Recorded();
    QImage img(view()->viewport()->size(), QImage::Format_ARGB32);
    img.fill(Qt::black);
    view()->viewport()->render(&img);
    ASSERT_GE(rec.calls, 4);
    for (std::size_t i = 0; i < rec.viewRows.size(); ++i) {
        const int r = rec.viewRows[i];
        EXPECT_DOUBLE_EQ(rec.listPrices[i], table->number(std::size_t(r), QStringLiteral("LISTEFIYAT1")))
            << "the hidden list price of row " << r;
        EXPECT_EQ(rec.selected[i], r == 2);
    }
    const GridTheme &t = grid->theme();
    for (int r = 0; r < 4; ++r) {
        const QRect cell = view()->visualRect(index(r, "FIYATBILGISI"));
        const QColor got = img.pixelColor(cell.center());
        const QColor want = r == 2 ? t.selectionColor : (r % 2 == 0 ? t.contentEvenColor : t.contentOddColor);
        EXPECT_EQ(got.rgb(), want.rgb()) << "row " << r;
    }
}

TEST_F(DataGridTest, GroupedGridSpansCaptionsAndTogglesGroups)
{
    grid->setColumnVisible(QStringLiteral("SEC"), false);  // the caption starts at the first shown column
    grid->setGrouping(QStringLiteral("MARKA"), {GridSummary::sum(QStringLiteral("NETFIYAT"))});
    ASSERT_TRUE(grid->isGrouped());
    GridModelBase *vm = grid->viewModel();
    ASSERT_EQ(vm->rowCount(), 3 * 2 + 4);
    const int first = grid->columnIndex(QStringLiteral("BARKOD"));
    EXPECT_EQ(view()->columnSpan(0, first), grid->model()->columnCount() - first);
    EXPECT_EQ(vm->index(0, first).data().toString(), QStringLiteral("BOSCH (1)"));
    const int manFooter = 6;
    EXPECT_EQ(vm->index(manFooter, grid->columnIndex(QStringLiteral("NETFIYAT"))).data().toString(), QStringLiteral("120,00"));
    EXPECT_EQ(grid->focusedSourceRow(), 0) << "the first data row is focused, not a caption";

    // Double-click on a caption closes its group; the footer line stays.
    QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, view()->visualRect(vm->index(3, first)).center());
    EXPECT_EQ(vm->rowCount(), 8);
    grid->collapseAllGroups();
    EXPECT_EQ(vm->rowCount(), 6);
    grid->expandAllGroups();
    EXPECT_EQ(vm->rowCount(), 10);
    grid->clearGrouping();
    EXPECT_EQ(grid->viewModel(), grid->model());
    EXPECT_EQ(view()->columnSpan(0, first), 1);
}

TEST_F(DataGridTest, BusyVeilDisablesTheRows)
{
    grid->setBusy(true);
    EXPECT_TRUE(grid->isBusy());
    EXPECT_FALSE(view()->isEnabled());
    grid->setBusy(false);
    EXPECT_FALSE(grid->isBusy());
    EXPECT_TRUE(view()->isEnabled());
}

TEST(DataGridContentWidths, MeasuresOnlyTheFirstThousandRows)
{
    auto build = [](int longRow) {
        auto t = std::make_shared<DataTable>();
        t->addColumn(QStringLiteral("ADI"), FieldType::String);
        for (int i = 0; i < 1500; ++i)
            t->columns[0].appendString(i == longRow ? QString(120, QLatin1Char('W')) : QStringLiteral("kısa"));
        return t;
    };
    DataGrid grid;
    grid.setColumns({GridColumn::text(QStringLiteral("ADI"), QStringLiteral("Açıklama"))});
    grid.setTable(build(10));
    grid.fitColumnsToContent();
    const int wide = grid.view()->columnWidth(0);
    grid.setTable(build(1200));
    grid.fitColumnsToContent();
    const int narrow = grid.view()->columnWidth(0);
    EXPECT_GT(wide, 400);
    EXPECT_LT(narrow, 150);
}

TEST(DataGridEmpty, WorksWithoutTableAndWithAnEmptyOne)
{
    DataGrid grid;
    grid.setColumns({GridColumn::text(QStringLiteral("A"), QStringLiteral("A"))});
    grid.setFooterSummaries({GridSummary::count()});
    EXPECT_EQ(grid.focusedSourceRow(), -1);
    EXPECT_FALSE(grid.searchFor(QStringLiteral("x")));
    EXPECT_EQ(grid.footerBar()->textUnder(0), QStringLiteral("0"));
    grid.setTable(std::make_shared<DataTable>());
    grid.fitColumnsToContent();
    grid.fitColumnsByWeight(500);
    EXPECT_EQ(grid.model()->rowCount(), 0);
}

}  // namespace
