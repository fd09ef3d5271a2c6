#pragma once
// The stock list tab: the grid `cxGrid1` over the in-memory table `stok`
// that holds the last search result, and its width rule.

#include "wire/datatable.h"

#include <QWidget>

class QMenu;

namespace tarsel {

class DataGrid;

class StockListPage : public QWidget {
    Q_OBJECT
public:
    explicit StockListPage(QWidget *parent = nullptr);

    DataGrid *cxGrid1 = nullptr;
    // The last search result; closed until the first search.
    DataTable stok;
    bool stokOpen = false;

    // Stock columns by the main window's width: a wide window (more than
    // 1152 pixels) shows the net price column; a narrow one hides the four
    // price columns and shows the price information cell instead. Then the
    // weights share the grid's width; on a narrow window Oem1-Oem3 are 80
    // and the price information cell 150 pixels wide.
    void LayoutStockColumns(int mainWindowWidth);

    // Empties the table (it stays open when it was).
    void EmptyTable();

    // The main window's width the layout goes by (the top-level window).
    int mainWindowWidth() const;

Q_SIGNALS:
    // Double-click on a row (table row index).
    void rowEntered(int sourceRow);
};

}  // namespace tarsel
