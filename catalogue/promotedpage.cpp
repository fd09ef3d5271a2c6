#include "catalogue/promotedpage.h"

#include "catalogue/gridlayout.h"
#include "catalogue/stockcolumns.h"
#include "grid/datagrid.h"
#include "remote/proxim.h"
#include "remote/remotecall.h"
#include "util/gifresim.h"
#include "util/money.h"

#include <QTabWidget>
#include <QVBoxLayout>

#include <memory>

namespace tarsel {

QString PromotedBadgeTitle(PromotedList list)
{
    return list == PromotedList::NewItems ? QStringLiteral("Yeni Stoklar") : QStringLiteral("Kampanyalı");
}

PromotedItemsPage::PromotedItemsPage(PromotedList list, DSConnection &bagc, TSonucBilgisi &sbilgi, QWidget *parent)
    : QWidget(parent), list_(list), bagc_(bagc), sbilgi_(sbilgi)
{
    const bool campaign = list == PromotedList::Campaign;
    setObjectName(campaign ? QStringLiteral("CampaignPage") : QStringLiteral("NewItemsPage"));
    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    grid = new DataGrid(this);
    grid->setObjectName(campaign ? QStringLiteral("cxkampanyali") : QStringLiteral("cxGrid6"));
    GridOptions o;
    o.rowHeight = 40;
    o.headerHeight = 40;
    o.fontPixelSize = campaign ? 11 : 13;
    o.wordWrap = campaign;
    o.showFooter = true;
    grid->setOptions(o);
    grid->setColumns(campaign ? CampaignColumns() : NewItemColumns());
    grid->setFooterSummaries({GridSummary::count()});
    grid->setTable(&table);
    v->addWidget(grid);
    connect(grid, &DataGrid::rowDoubleClicked, this, &PromotedItemsPage::rowEntered);
}

void PromotedItemsPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The campaign grid keeps its widths while a load runs.
    if (list_ == PromotedList::NewItems || grid->isEnabled()) ApplyColumnLayout(grid, this, [this] { LayoutColumns(); });
}

void PromotedItemsPage::LayoutColumns() { FitColumnsForScreen(grid); }

bool PromotedItemsPage::ShowTab()
{
    std::shared_ptr<const TSonucBilgisi> session(CopyOf(sbilgi_));
    TabLoad load;
    load.table = &table;
    load.busy = busy_.data();
    load.grid = grid;
    load.detach = [g = grid] { g->beginReload(); };
    load.attach = [g = grid] { g->endReload(); };
    // Set by the body when the list arrived (an error of the call leaves it
    // false: no caption, the general error report follows).
    auto loaded = std::make_shared<bool>(false);
    return RunRemoteCall(
        load,
        [this, session, loaded] {
            const bool failed = Load(*session);
            *loaded = !failed;
            return failed;
        },
        [this, loaded](bool failed) {
            if (*loaded) {
                tableOpen = true;
                if (tabs_ && tab_)
                    tabs_->setTabText(tabs_->indexOf(tab_),
                                      QString::number(table.rowCount()) + QLatin1Char('=') + PromotedBadgeTitle(list_));
                ApplyColumnLayout(grid, this, [this] { LayoutColumns(); });
            }
            Q_EMIT loadFinished(failed);
        });
}

bool PromotedItemsPage::Load(const TSonucBilgisi &session)
{
    const bool ran = UnguardedCall(
        bagc_,
        [&](TServerMethods1Client &proxy) {
            DataTable result = list_ == PromotedList::NewItems
                                   ? proxy.YenilerVer2(session.CARINO())
                                   : proxy.KampanyaliVer2(session.CARINO(), session.MusteriTipi());
            SetFloatDisplayFormats(result);
            table = std::move(result);
        },
        /*reportFailure=*/false, /*usePrivateCopy=*/true);
    return !ran;
}

}  // namespace tarsel
