#include "basket/installorderingpath.h"

#include "app/mainwindow.h"
#include "app/pagecontrol.h"
#include "app/usertype.h"
#include "basket/basketpage.h"
#include "basket/orderingpath.h"
#include "catalogue/promotedpage.h"
#include "catalogue/stocklistpage.h"
#include "catalogue/useraction.h"

#include <QGroupBox>
#include <QPushButton>

namespace tarsel {

OrderingPath *InstallOrderingPath(TForm1 &f)
{
    OrderingPathHost h;
    h.window = &f;
    h.bagc = &f.bagc;
    h.sbilgi = &f.sbilgi;
    h.filters.group = f.GroupBox3;
    h.filters.comdepartman = f.comdepartman;
    h.filters.comanagrup = f.comanagrup;
    h.filters.comaltgrup = f.comaltgrup;
    h.filters.chkampanya = f.chkampanya;
    h.filters.chyeniurun = f.chyeniurun;
    h.filters.chstoktaolanlar = f.chstoktaolanlar;
    h.filters.chresmiolanlar = f.chresmiolanlar;
    h.filters.araedit = f.araedit;
    h.filters.SpeedButton2 = f.SpeedButton2;
    h.filters.SpeedButton1 = f.SpeedButton1;
    h.filters.gifstokara = f.gifstokara;
    h.filters.tabs = f.sPageControl1;
    h.filters.stockTab = f.sstoklistesi;
    h.basketTab = f.ssepet;
    h.newItemsTab = f.syeniler;
    h.campaignTab = f.skampanyali;
    h.gifyeniler = f.gifyeniler;
    h.gifkampanyali = f.gifkampanyali;
    h.headerPanel = f.Panel1;
    h.popstok = f.popstok;
    h.S2 = f.S2;
    h.PopupMenu1 = f.PopupMenu1;
    h.Deitir1 = f.Deitir1;
    h.SatrSil1 = f.SatrSil1;
    h.HepsiniSil1 = f.HepsiniSil1;

    auto *path = new OrderingPath(h, &f);
    f.hooks.DepartmanDoldur = [path] { path->search->DepartmanDoldur(); };
    f.hooks.AnaGrupDoldur = [path] { path->search->AnaGrupDoldur(); };
    // The filter list steps let their errors end the start-up batch; the
    // basket reload after a customer switch reports its own.
    f.hooks.LoadBasket = [path] { ReportingErrors([path] { path->basket->LoadBasket(); }); };
    f.hooks.ClearStockList = [path] { path->search->ClearList(); };

    f.RegisterGridView(kStockView, path->stockPage->cxGrid1);
    f.RegisterGridView(kNewItemsView, path->newItems->grid);
    f.RegisterGridView(kCampaignView, path->campaign->grid);
    f.RegisterGridView(kBasketView, path->basket->cxGrid2);
    return path;
}

}  // namespace tarsel
