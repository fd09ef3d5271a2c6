#pragma once
// The ordering path of the main window: the stock search and list, the new
// and campaign item tabs, the stock dialog with its four openers, and the
// basket tab, wired to the controls the main window lays out.
//
// The main window hands over its controls (OrderingPathHost); the path puts
// its pages into the tab pages, gives the search group its behaviour, binds
// the stock and basket grid menus and reacts when its tabs are shown.

#include "catalogue/dialogcontent.h"
#include "catalogue/stocksearch.h"

#include <QObject>

#include <cstddef>

class QAction;
class QMenu;
class QTabWidget;

namespace tarsel {

class BasketPage;
class DataTable;
class DSConnection;
class PromotedItemsPage;
class StockListPage;
class TGifResim;
class TSonucBilgisi;

struct OrderingPathHost {
    QWidget *window = nullptr;  // owner of the dialogs
    DSConnection *bagc = nullptr;
    TSonucBilgisi *sbilgi = nullptr;
    StockFilterControls filters;  // includes the tab control and the stock tab
    QWidget *basketTab = nullptr, *newItemsTab = nullptr, *campaignTab = nullptr;
    TGifResim *gifyeniler = nullptr, *gifkampanyali = nullptr;
    QWidget *headerPanel = nullptr;  // set to 50 pixels when the basket tab is shown
    QMenu *popstok = nullptr;
    QAction *S2 = nullptr;  // "Sepete Ekle"
    QMenu *PopupMenu1 = nullptr;
    QAction *Deitir1 = nullptr, *SatrSil1 = nullptr, *HepsiniSil1 = nullptr;
};

class OrderingPath : public QObject {
    Q_OBJECT
public:
    explicit OrderingPath(const OrderingPathHost &host, QObject *parent = nullptr);
    ~OrderingPath() override;

    StockListPage *stockPage = nullptr;
    StockSearch *search = nullptr;
    PromotedItemsPage *newItems = nullptr;
    PromotedItemsPage *campaign = nullptr;
    BasketPage *basket = nullptr;

    // Row entry of the stock list, the new items and the campaign list (a
    // double-click, or "Sepete Ekle"): an item already in the basket opens
    // its line for change, any other item the add dialog.
    void StockRowEntry();
    void NewItemsRowEntry();
    void CampaignRowEntry();

    // The four openers: each loads the server picture, fills the dialog,
    // shows it modally and, on "Sipariş ekle", adds or changes the line.
    void OpenAddFromStockList(std::size_t row);
    void OpenAddFromNewItems(std::size_t row);
    void OpenAddFromCampaign(std::size_t row);
    void OpenEditBasketLine(qint32 sirano, std::size_t row);

private:
    void rowEntry(DialogSource source, const DataTable &table, int row);
    void openDialog(DialogSource source, const DataTable &table, std::size_t row, qint32 sirano = 0);
    void tabShown(int index);

    OrderingPathHost host_;
};

}  // namespace tarsel
