#include "catalogue/stocksearch.h"

#include "catalogue/searchtext.h"
#include "catalogue/stocklistpage.h"
#include "catalogue/useraction.h"
#include "grid/datagrid.h"
#include "remote/proxim.h"
#include "remote/remotecall.h"
#include "util/gifresim.h"
#include "util/messagebox.h"
#include "util/money.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

#include <memory>

namespace tarsel {

StockSearch::StockSearch(const StockFilterControls &controls, StockListPage *page, DSConnection &bagc,
                         TSonucBilgisi &sbilgi, QObject *parent)
    : QObject(parent), c_(controls), page_(page), bagc_(bagc), sbilgi_(sbilgi)
{
    if (c_.araedit) connect(c_.araedit, &QLineEdit::returnPressed, this, [this] { AraBul(); });
    if (c_.SpeedButton2) connect(c_.SpeedButton2, &QAbstractButton::clicked, this, [this] { AraBul(); });
    if (c_.SpeedButton1) connect(c_.SpeedButton1, &QAbstractButton::clicked, this, [this] { SpeedButton1Click(); });
    // Only a choice of the user reloads the sub categories; selections made
    // by the program (filling, "Temizle") do not.
    if (c_.comanagrup)
        connect(c_.comanagrup, &QComboBox::activated, this, [this] { ReportingErrors([this] { AltGrupDoldur(); }); });
}

bool StockSearch::SearchCriteriaValid() const
{
    return tarsel::SearchCriteriaValid(c_.araedit->text(), c_.comdepartman->currentIndex(),
                                       c_.comanagrup->currentIndex());
}

StockSearchCriteria StockSearch::CurrentCriteria() const
{
    StockSearchCriteria k;
    k.kod = NormalizeSearchText(c_.araedit->text());
    k.departman = c_.comdepartman->currentText();
    k.anagrup = c_.comanagrup->currentText();
    k.altgrup = c_.comaltgrup->currentText();
    k.kampanya = c_.chkampanya->isChecked();
    k.yeni = c_.chyeniurun->isChecked();
    k.var = c_.chstoktaolanlar->isChecked();
    k.resim = c_.chresmiolanlar->isChecked();
    return k;
}

void StockSearch::setTabCaption(const QString &caption)
{
    if (c_.tabs && c_.stockTab) c_.tabs->setTabText(c_.tabs->indexOf(c_.stockTab), caption);
}

bool StockSearch::AraBul()
{
    if (c_.tabs && c_.stockTab && c_.tabs->currentWidget() != c_.stockTab) c_.tabs->setCurrentWidget(c_.stockTab);
    if (!SearchCriteriaValid()) {
        ShowMessageBox(kTooFewLettersMessage, MsgKind::Warning, MsgButton::Ok, 0, MsgButton::Ok);
        return false;
    }
    if (searching_ || !page_) return false;

    const StockSearchCriteria criteria = CurrentCriteria();
    // The session as it is when the search starts; the call gets its own copy.
    std::shared_ptr<const TSonucBilgisi> session(CopyOf(sbilgi_));
    DataGrid *grid = page_->cxGrid1;
    DataTable *stok = &page_->stok;

    TabLoad load;
    load.table = &page_->stok;
    load.busy = c_.gifstokara;
    load.grid = c_.group;
    load.detach = [grid] {
        grid->clearFilters();
        grid->beginReload();
    };
    load.attach = [grid] { grid->endReload(); };
    searching_ = true;
    const bool started = RunRemoteCall(
        load, [this, criteria, session, stok] { return RunStockSearch(criteria, *session, *stok); },
        [this, stok](bool failed) {
            searching_ = false;
            if (clearWhenDone_) {
                // The account changed while the search ran: its rows were
                // priced for the previous account and are not shown.
                clearWhenDone_ = false;
                if (page_) page_->EmptyTable();
                Q_EMIT searchFinished(failed, 0);
                return;
            }
            const int rows = int(stok->rowCount());
            if (page_ && !failed) page_->stokOpen = true;
            setTabCaption(failed ? kStockTabTitle : QString::number(rows) + QLatin1Char('=') + kStockTabTitle);
            c_.araedit->selectAll();
            c_.araedit->setFocus();
            Q_EMIT searchFinished(failed, failed ? 0 : rows);
        });
    if (!started) searching_ = false;
    return started;
}

bool StockSearch::RunStockSearch(const StockSearchCriteria &k, const TSonucBilgisi &session, DataTable &stok)
{
    const bool failed = GuardedCall(
        bagc_,
        [&](TServerMethods1Client &proxy) {
            DataTable result = proxy.StokAraGetirEFS(k.kod, k.departman, k.anagrup, k.altgrup, k.kampanya, k.yeni,
                                                     k.var, k.resim, CopyOf(session));
            SetFloatDisplayFormats(result);
            stok = std::move(result);
        },
        /*reportFailure=*/false, /*usePrivateCopy=*/true);
    if (failed) stok.clearRows();
    return failed;
}

void StockSearch::SpeedButton1Click()
{
    if (page_ && page_->stokOpen) {
        page_->EmptyTable();
        setTabCaption(kStockTabTitle);
    }
    if (c_.tabs && c_.stockTab) c_.tabs->setCurrentWidget(c_.stockTab);
    if (page_) page_->cxGrid1->clearFilters();
    c_.araedit->clear();
    c_.araedit->selectAll();
    c_.araedit->setFocus();
    c_.comanagrup->setCurrentIndex(c_.comanagrup->count() > 0 ? 0 : -1);
    c_.comdepartman->setCurrentIndex(c_.comdepartman->count() > 0 ? 0 : -1);
    c_.comaltgrup->setCurrentIndex(c_.comaltgrup->count() > 0 ? 0 : -1);
    for (QCheckBox *b : {c_.chyeniurun, c_.chkampanya, c_.chstoktaolanlar, c_.chresmiolanlar}) b->setChecked(false);
}

void StockSearch::fillList(QComboBox *combo, const QStringList &entries)
{
    combo->clear();
    combo->addItems(entries);
    if (combo->count() > 0) combo->setCurrentIndex(0);
}

void StockSearch::resetSubCategories()
{
    c_.comaltgrup->clear();
    c_.comaltgrup->addItem(kAllEntry);
    c_.comaltgrup->setCurrentIndex(0);
}

void StockSearch::DepartmanDoldur()
{
    QString text;
    if (!UnguardedCall(
            bagc_, [&](TServerMethods1Client &proxy) { text = proxy.DepartmanlariVer(); }, /*reportFailure=*/true,
            /*usePrivateCopy=*/true))
        return;
    const QStringList entries = SplitFilterList(text);
    RunOnUserInterfaceThread([&] { fillList(c_.comdepartman, entries); });
}

void StockSearch::AnaGrupDoldur()
{
    QString text;
    if (!UnguardedCall(
            bagc_, [&](TServerMethods1Client &proxy) { text = proxy.AnaGrupVer(); }, /*reportFailure=*/true,
            /*usePrivateCopy=*/true))
        return;
    const QStringList entries = SplitFilterList(text);
    RunOnUserInterfaceThread([&] {
        fillList(c_.comanagrup, entries);
        resetSubCategories();
    });
}

void StockSearch::AltGrupDoldur()
{
    const QString mainCategory = c_.comanagrup->currentText();
    if (mainCategory == kAllEntry) {
        resetSubCategories();
        return;
    }
    QString text;
    if (!UnguardedCall(
            bagc_, [&](TServerMethods1Client &proxy) { text = proxy.AltGrupVer(mainCategory); },
            /*reportFailure=*/true, /*usePrivateCopy=*/true))
        return;
    fillList(c_.comaltgrup, SplitFilterList(text));
}

void StockSearch::ClearList()
{
    // While a search runs its background task owns the table: the rows are
    // dropped when it ends instead.
    if (searching_) {
        clearWhenDone_ = true;
        return;
    }
    if (page_) page_->EmptyTable();
}

}  // namespace tarsel
