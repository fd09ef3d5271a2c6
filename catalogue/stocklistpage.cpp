#include "catalogue/stocklistpage.h"

#include "catalogue/gridlayout.h"
#include "catalogue/stockcolumns.h"
#include "grid/datagrid.h"

#include <QVBoxLayout>

namespace tarsel {

StockListPage::StockListPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("StockListPage"));
    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    cxGrid1 = new DataGrid(this);
    cxGrid1->setObjectName(QStringLiteral("cxGrid1"));
    GridOptions o;
    o.rowHeight = kStockRowHeight;
    o.headerHeight = 40;
    o.wordWrap = true;
    o.showFooter = true;
    cxGrid1->setOptions(o);
    cxGrid1->setColumns(StockListColumns());
    cxGrid1->setFooterSummaries({GridSummary::count()});
    cxGrid1->setTable(&stok);
    v->addWidget(cxGrid1);

    connect(cxGrid1, &DataGrid::rowDoubleClicked, this, &StockListPage::rowEntered);
    connect(cxGrid1, &DataGrid::resized, this,
            [this] { ApplyColumnLayout(cxGrid1, this, [this] { LayoutStockColumns(mainWindowWidth()); }); });
}

int StockListPage::mainWindowWidth() const { return window()->width(); }

void StockListPage::LayoutStockColumns(int windowWidth)
{
    const bool wide = IsWideWindow(windowWidth);
    if (wide) {
        cxGrid1->setColumnVisible(QStringLiteral("NETFIYAT"), true);
        cxGrid1->setColumnVisible(kPriceInfoColumn, false);
    } else {
        for (const char *f : {"KDVDAHIL", "NETFIYAT", "KAMPFIYAT", "LISTEFIYAT1"})
            cxGrid1->setColumnVisible(QLatin1String(f), false);
        cxGrid1->setColumnVisible(kPriceInfoColumn, true);
    }
    cxGrid1->fitColumnsByWeight();
    if (!wide) {
        for (const char *f : {"OEM1", "OEM2", "OEM3"}) cxGrid1->setColumnWidth(QLatin1String(f), kNarrowOemWidth);
        cxGrid1->setColumnWidth(kPriceInfoColumn, kPriceInfoWidth);
    }
}

void StockListPage::EmptyTable()
{
    cxGrid1->beginReload();
    stok.clearRows();
    cxGrid1->endReload();
}

}  // namespace tarsel
