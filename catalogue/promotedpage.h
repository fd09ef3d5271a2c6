#pragma once
// The two tabs of promoted items, "Yeni Stoklar" (new items, `YenilerVer2`)
// and "Kampanyalı Stoklar" (campaign items, `KampanyaliVer2`): each fetches
// its list on a background task every time it is shown, writes the count
// into its tab caption, and leads into the stock dialog on a double-click.

#include "wire/datatable.h"

#include "util/gifresim.h"

#include <QPointer>
#include <QTabWidget>
#include <QWidget>

namespace tarsel {

class DataGrid;
class DSConnection;
class TSonucBilgisi;

enum class PromotedList { NewItems, Campaign };

// Title of the badge caption after a load: "Yeni Stoklar" / "Kampanyalı".
QString PromotedBadgeTitle(PromotedList list);

class PromotedItemsPage : public QWidget {
    Q_OBJECT
public:
    PromotedItemsPage(PromotedList list, DSConnection &bagc, TSonucBilgisi &sbilgi, QWidget *parent = nullptr);

    PromotedList list() const { return list_; }
    DataGrid *grid = nullptr;  // cxGrid6 (new items) or cxkampanyali (campaign)
    DataTable table;           // YENILER or kampstok
    bool tableOpen = false;

    // Where the load shows itself: the busy indicator and the tab whose
    // caption gets the count.
    void setBusyIndicator(TGifResim *indicator) { busy_ = indicator; }
    void setTab(QTabWidget *tabs, QWidget *page)
    {
        tabs_ = tabs;
        tab_ = page;
    }

    // The tab was shown: starts a load (none while one is still running).
    bool ShowTab();
    // The background part. Returns true when the connection could not be
    // opened; an error of the call itself propagates.
    bool Load(const TSonucBilgisi &session);
    // Column widths: by weight on a screen more than 1152 pixels wide,
    // else fitted to the content.
    void LayoutColumns();

Q_SIGNALS:
    void rowEntered(int sourceRow);
    void loadFinished(bool failed);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    PromotedList list_;
    DSConnection &bagc_;
    TSonucBilgisi &sbilgi_;
    QPointer<TGifResim> busy_;
    QPointer<QTabWidget> tabs_;
    QPointer<QWidget> tab_;
};

}  // namespace tarsel
