#include "basket/orderingpath.h"

#include "basket/basketlogic.h"
#include "basket/basketpage.h"
#include "catalogue/numberbox.h"
#include "catalogue/picturebox.h"
#include "catalogue/promotedpage.h"
#include "catalogue/serverpicture.h"
#include "catalogue/stocklistpage.h"
#include "catalogue/stokayarinti.h"
#include "catalogue/useraction.h"
#include "grid/datagrid.h"
#include "remote/baglantiu.h"
#include "remote/remotecall.h"

#include <QAction>
#include <QLayout>
#include <QMenu>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tarsel {

namespace {

void PlaceInto(QWidget *tabPage, QWidget *content)
{
    if (!tabPage) return;
    QLayout *layout = tabPage->layout();
    if (!layout) {
        layout = new QVBoxLayout(tabPage);
    }
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
}

}  // namespace

OrderingPath::OrderingPath(const OrderingPathHost &host, QObject *parent) : QObject(parent), host_(host)
{
    DSConnection &bagc = *host_.bagc;
    TSonucBilgisi &sbilgi = *host_.sbilgi;
    QTabWidget *tabs = host_.filters.tabs;

    stockPage = new StockListPage(host_.filters.stockTab);
    PlaceInto(host_.filters.stockTab, stockPage);
    search = new StockSearch(host_.filters, stockPage, bagc, sbilgi, this);
    connect(stockPage, &StockListPage::rowEntered, this, [this] { ReportingErrors([this] { StockRowEntry(); }); });
    if (host_.popstok) stockPage->cxGrid1->setContextMenu(host_.popstok);
    if (host_.S2) {
        host_.S2->setEnabled(true);
        connect(host_.S2, &QAction::triggered, this, [this] { ReportingErrors([this] { StockRowEntry(); }); });
    }

    newItems = new PromotedItemsPage(PromotedList::NewItems, bagc, sbilgi, host_.newItemsTab);
    PlaceInto(host_.newItemsTab, newItems);
    newItems->setBusyIndicator(host_.gifyeniler);
    newItems->setTab(tabs, host_.newItemsTab);
    connect(newItems, &PromotedItemsPage::rowEntered, this, [this] { ReportingErrors([this] { NewItemsRowEntry(); }); });

    campaign = new PromotedItemsPage(PromotedList::Campaign, bagc, sbilgi, host_.campaignTab);
    PlaceInto(host_.campaignTab, campaign);
    campaign->setBusyIndicator(host_.gifkampanyali);
    campaign->setTab(tabs, host_.campaignTab);
    connect(campaign, &PromotedItemsPage::rowEntered, this, [this] { ReportingErrors([this] { CampaignRowEntry(); }); });

    basket = new BasketPage(bagc, sbilgi, host_.basketTab);
    PlaceInto(host_.basketTab, basket);
    basket->setTab(tabs, host_.basketTab);
    basket->setHeaderPanel(host_.headerPanel);
    basket->setSearchBox(host_.filters.araedit);
    basket->setLineMenu(host_.PopupMenu1, host_.Deitir1, host_.SatrSil1, host_.HepsiniSil1);
    basket->openEditLine = [this](qint32 sirano, std::size_t row) { OpenEditBasketLine(sirano, row); };

    if (tabs) connect(tabs, &QTabWidget::currentChanged, this, &OrderingPath::tabShown);
}

OrderingPath::~OrderingPath() = default;

void OrderingPath::tabShown(int index)
{
    QTabWidget *tabs = host_.filters.tabs;
    QWidget *page = tabs ? tabs->widget(index) : nullptr;
    if (!page) return;
    ReportingErrors([&] {
        if (page == host_.basketTab) basket->ssepetShow();
        else if (page == host_.newItemsTab) newItems->ShowTab();
        else if (page == host_.campaignTab) campaign->ShowTab();
    });
}

void OrderingPath::StockRowEntry()
{
    rowEntry(DialogSource::StockList, stockPage->stok, stockPage->cxGrid1->focusedSourceRow());
}

void OrderingPath::NewItemsRowEntry()
{
    rowEntry(DialogSource::NewItems, newItems->table, newItems->grid->focusedSourceRow());
}

void OrderingPath::CampaignRowEntry()
{
    rowEntry(DialogSource::Campaign, campaign->table, campaign->grid->focusedSourceRow());
}

void OrderingPath::rowEntry(DialogSource source, const DataTable &table, int row)
{
    if (row < 0 || std::size_t(row) >= table.rowCount()) return;
    const qint32 stokno = table.int32(std::size_t(row), QStringLiteral("STOK_STOKNO"));
    if (!basket->sepetOpen) basket->LoadBasket();
    if (const std::optional<std::size_t> line = FindBasketLineOfItem(basket->sepet, stokno)) {
        OpenEditBasketLine(basket->sepet.int32(*line, QStringLiteral("SIRANO")), *line);
        return;
    }
    openDialog(source, table, std::size_t(row));
}

void OrderingPath::OpenAddFromStockList(std::size_t row) { openDialog(DialogSource::StockList, stockPage->stok, row); }
void OrderingPath::OpenAddFromNewItems(std::size_t row) { openDialog(DialogSource::NewItems, newItems->table, row); }
void OrderingPath::OpenAddFromCampaign(std::size_t row) { openDialog(DialogSource::Campaign, campaign->table, row); }

void OrderingPath::OpenEditBasketLine(qint32 sirano, std::size_t row)
{
    openDialog(DialogSource::BasketLine, basket->sepet, row, sirano);
}

void OrderingPath::openDialog(DialogSource source, const DataTable &table, std::size_t row, qint32 sirano)
{
    if (row >= table.rowCount()) return;
    const DialogContent content = DialogContentFor(source, table, row, host_.sbilgi->MusteriTipi());
    // Every opener gives the dialog the item number, so the web picture is
    // that of the item whichever list the dialog was opened from.
    Tstokayarinti dialog(host_.window, content.stokno);
    LoadServerPicture(*host_.bagc, content.stokno, dialog.Image1);
    dialog.Fill(content);
    const int result = dialog.exec();
    if (result != QDialog::Accepted) return;
    const double quantity = dialog.quantityForOrder();
    const double price = dialog.birimfiyat->value();
    if (source == DialogSource::BasketLine) {
        basket->UpdateBasketLine(sirano, row, quantity, price);
        basket->LoadBasket();
    } else {
        basket->AddBasketLine(table, row, quantity, price, dialog.rates());
    }
}

}  // namespace tarsel
