#include "basket/basketpage.h"

#include "basket/onaysip.h"
#include "basket/radiogroup.h"
#include "catalogue/gridlayout.h"
#include "catalogue/orderingicons.h"
#include "catalogue/stockcolumns.h"
#include "catalogue/useraction.h"
#include "grid/datagrid.h"
#include "grid/gridmodel.h"
#include "remote/proxim.h"
#include "remote/remotecall.h"
#include "util/messagebox.h"
#include "util/money.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <mutex>
#include <thread>

namespace tarsel {

namespace {

using C = GridColumn;

GridColumn Hidden(const char *field, const char *caption = "", int weight = 1)
{
    return C::text(QLatin1String(field), QString::fromUtf8(caption), weight).hidden();
}

std::vector<GridColumn> BasketColumns()
{
    return {
        C::checkBox("SEC", kSelectColumnCaption, 1).withWidth(74).notInChooser(),
        // Date and time on two lines: the narrow column shows both whole.
        C::text("VERILISTARIHI", "Sipariş Tarihi", 1).wrap(true),
        C::text("BARKOD", "Barkod", 2),
        C::text("OEMNO", "OEMNumarası", 2),
        C::text("STOKADI", "Stok Açıklama", 3),
        C::text("MIKTAR", "Miktar", 1),
        C::text("BIRIMFIYAT", "Birim Fiyat", 1),
        C::text("TUTAR", "Tutar", 1),
        C::text("INDIRIMYAZI", "İndirim Oran", 2).centred(),
        C::text("NETBIRIMFIYAT", "Net Fiyat", 1),
        C::text("NETTUTAR", "Net Tutar", 1),
        C::text("VEREN", "Veren", 1),
        C::icon("DURUM", "Durum", 1, IconSet::stockStates()),
        Hidden("SIRANO", "", 0).notInChooser(),
        Hidden("SIPARISNO", "Sipariş No", 0),
        Hidden("CARINO", "", 0).notInChooser(),
        Hidden("TARIH", "Tarih"),
        Hidden("AKTAR", "", 0).notInChooser(),
        Hidden("STOKNO", "", 0).notInChooser(),
        Hidden("FINISHKOD", "FinishKod", 2),
        Hidden("INDIRIMORANI1", "İndirim Oranı %").notInChooser(),
        Hidden("INDIRIMORANI2").notInChooser(),
        Hidden("INDIRIMORANI3").notInChooser(),
        Hidden("INDIRIMTUTAR", "İndirim Tutar").notInChooser(),
        Hidden("KDV"),
        Hidden("VERGITUTARI", "Vergi Tutarı"),
        Hidden("KUR", "Kur"),
        Hidden("KURTL"),
        Hidden("VERENIDNO").notInChooser(),
        Hidden("SAAT", "Saat"),
        Hidden("TESLIMID"),
        Hidden("KARGOID").notInChooser(),
        Hidden("ACIKLAMA", "Açıklama"),
        Hidden("IDNO"),
        Hidden("VERENSIRANO").notInChooser(),
        Hidden("CARIKOD", "Cari Kod"),
        Hidden("CARIADI", "Cari Adı").notInChooser(),
        Hidden("OEM1"),
        Hidden("OEM2"),
        Hidden("OEM3"),
        Hidden("OEM4"),
        Hidden("STOK_STOKNO").notInChooser(),
        Hidden("URETICIKODU").notInChooser(),
        Hidden("DIGERADI"),
        Hidden("DPKOD"),
        Hidden("MARKA", "Marka"),
        Hidden("MODEL", "Model"),
        Hidden("ANAGRUP", "Ana Grup"),
        Hidden("OZELKOD", "Özel Kod"),
        Hidden("PKOD"),
        Hidden("KALAN", "Kalan").notInChooser(),
        Hidden("INDIRIMORANI4", "", 0),
    };
}

QLabel *TotalsLabel(const QString &text, QWidget *parent, bool bold, const char *name = nullptr)
{
    auto *l = new QLabel(text, parent);
    if (name) l->setObjectName(QLatin1String(name));
    QFont f = l->font();
    f.setPixelSize(13);
    f.setBold(bold);
    l->setFont(f);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

}  // namespace

struct BasketPage::WarningGuard {
    std::mutex m;
    BasketPage *page = nullptr;
};

BasketPage::BasketPage(DSConnection &bagc, TSonucBilgisi &sbilgi, QWidget *parent)
    : QWidget(parent), bagc_(bagc), sbilgi_(sbilgi), warningGuard_(std::make_shared<WarningGuard>())
{
    warningGuard_->page = this;
    setObjectName(QStringLiteral("BasketPage"));
    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    buildGrid();
    buildSelectionStrip();
    buildOrderPanel();
    v->addWidget(cxGrid2, 1);
    v->addWidget(panelsec);
    v->addWidget(Panel4);
}

BasketPage::~BasketPage()
{
    std::lock_guard<std::mutex> lock(warningGuard_->m);
    warningGuard_->page = nullptr;
}

void BasketPage::buildGrid()
{
    cxGrid2 = new DataGrid(this);
    cxGrid2->setObjectName(QStringLiteral("cxGrid2"));
    GridOptions o;
    o.rowHeight = 40;
    o.headerHeight = 40;
    o.focusRect = false;
    o.showFooter = true;
    cxGrid2->setOptions(o);
    GridTheme theme;
    theme.gridLineColor = Qt::white;
    cxGrid2->setTheme(theme);
    cxGrid2->setColumns(BasketColumns());
    cxGrid2->setFooterSummaries({GridSummary::count(), GridSummary::count(QStringLiteral("VERILISTARIHI")),
                                 GridSummary::sum(QStringLiteral("MIKTAR")),
                                 GridSummary::sum(QStringLiteral("NETTUTAR"))});
    cxGrid2->setTable(&sepet);
    connect(cxGrid2, &DataGrid::rowDoubleClicked, this,
            [this](int row) { ReportingErrors([&] { onGridDoubleClicked(row); }); });
    connect(cxGrid2, &DataGrid::checkBoxClicked, this,
            [this](int row, const QString &column) { ReportingErrors([&] { onCheckBoxClicked(row, column); }); });
}

void BasketPage::buildSelectionStrip()
{
    panelsec = new QWidget(this);
    panelsec->setObjectName(QStringLiteral("panelsec"));
    panelsec->setFixedHeight(41);
    auto *h = new QHBoxLayout(panelsec);
    h->setContentsMargins(4, 3, 4, 3);
    Button4 = new QPushButton(OrderingIcon(QStringLiteral("check-all")), QStringLiteral("Hepsini Seç"), panelsec);
    Button4->setObjectName(QStringLiteral("Button4"));
    Button5 = new QPushButton(OrderingIcon(QStringLiteral("uncheck-all")), QStringLiteral("Seçimleri Kaldır"), panelsec);
    Button5->setObjectName(QStringLiteral("Button5"));
    for (QPushButton *b : {Button4, Button5}) {
        b->setFixedWidth(150);
        b->setIconSize(QSize(18, 18));
        b->setAutoDefault(false);
        h->addWidget(b);
    }
    lbluyarbakiye = new QLabel(panelsec);
    lbluyarbakiye->setObjectName(QStringLiteral("lbluyarbakiye"));
    QFont f = lbluyarbakiye->font();
    f.setPixelSize(16);
    f.setBold(true);
    lbluyarbakiye->setFont(f);
    QPalette p = lbluyarbakiye->palette();
    p.setColor(QPalette::WindowText, QColor(0xd0, 0x10, 0x10));
    lbluyarbakiye->setPalette(p);
    lbluyarbakiye->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    h->addWidget(lbluyarbakiye, 1);
    connect(Button4, &QPushButton::clicked, this, [this] { ReportingErrors([this] { SelectAll(true); }); });
    connect(Button5, &QPushButton::clicked, this, [this] { ReportingErrors([this] { SelectAll(false); }); });
}

void BasketPage::buildOrderPanel()
{
    Panel4 = new QWidget(this);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFixedHeight(131);
    auto *h = new QHBoxLayout(Panel4);
    h->setContentsMargins(4, 2, 4, 4);
    h->setSpacing(6);

    teslimbox = new TRadioGroup(QStringLiteral("Teslim Durumu"), Panel4);
    teslimbox->setObjectName(QStringLiteral("teslimbox"));
    teslimbox->hide();
    h->addWidget(teslimbox);

    boxkargo = new TRadioGroup(QStringLiteral("Kargo Türleri"), Panel4, 4);
    boxkargo->setObjectName(QStringLiteral("boxkargo"));
    boxkargo->setMinimumWidth(200);
    h->addWidget(boxkargo);

    GroupBox1 = new QGroupBox(QStringLiteral("Kargo"), Panel4);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto *kv = new QVBoxLayout(GroupBox1);
    kv->setContentsMargins(6, 4, 6, 4);
    kv->setSpacing(2);
    kargocombo = new QComboBox(GroupBox1);
    kargocombo->setObjectName(QStringLiteral("kargocombo"));
    kargocombo->setMinimumWidth(210);
    uyarikargo = new QLabel(GroupBox1);
    uyarikargo->setObjectName(QStringLiteral("uyarikargo"));
    uyarikargo->setFixedSize(210, 59);
    uyarikargo->setWordWrap(true);
    uyarikargo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette wp = uyarikargo->palette();
    wp.setColor(QPalette::WindowText, QColor(0xb0, 0x30, 0x20));
    uyarikargo->setPalette(wp);
    kv->addWidget(kargocombo);
    kv->addWidget(uyarikargo);
    h->addWidget(GroupBox1);

    GroupBox2 = new QGroupBox(QStringLiteral("Mesaj"), Panel4);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto *mh = new QHBoxLayout(GroupBox2);
    mh->setContentsMargins(6, 2, 6, 2);
    aciklamagir = new QPlainTextEdit(GroupBox2);
    aciklamagir->setObjectName(QStringLiteral("aciklamagir"));
    QFont nf = aciklamagir->font();
    nf.setBold(true);
    aciklamagir->setFont(nf);
    QPalette np = aciklamagir->palette();
    np.setColor(QPalette::Base, QColor(246, 249, 251));
    aciklamagir->setPalette(np);
    mh->addWidget(aciklamagir, 1);

    auto *totals = new QWidget(GroupBox2);
    auto *tg = new QGridLayout(totals);
    tg->setContentsMargins(0, 0, 0, 0);
    tg->setVerticalSpacing(0);
    tg->setHorizontalSpacing(8);
    QLabel *totalCaption = TotalsLabel(QStringLiteral("Toplam:"), totals, false);
    indirimCaption = TotalsLabel(QStringLiteral("İndirim Toplam:"), totals, false);
    QLabel *netCaption = TotalsLabel(QStringLiteral("Ara Toplam:"), totals, false);
    vergiCaption = TotalsLabel(QStringLiteral("Vergi:"), totals, false);
    QLabel *grandCaption = TotalsLabel(QStringLiteral("Genel Toplam:"), totals, true);
    aratoplaml = TotalsLabel(QStringLiteral("Aratoplam:"), totals, false, "aratoplaml");
    indiriml = TotalsLabel(QStringLiteral("İndirim Toplam:"), totals, false, "indiriml");
    nettutarl = TotalsLabel(QStringLiteral("İndirim Toplam:"), totals, false, "nettutarl");
    vergil = TotalsLabel(QStringLiteral("Vergi:"), totals, false, "vergil");
    geneltoplaml = TotalsLabel(QStringLiteral("Genel Toplam:"), totals, true, "geneltoplaml");
    const std::pair<QLabel *, QLabel *> rows[] = {{totalCaption, aratoplaml},
                                                  {indirimCaption, indiriml},
                                                  {netCaption, nettutarl},
                                                  {vergiCaption, vergil},
                                                  {grandCaption, geneltoplaml}};
    for (int r = 0; r < 5; ++r) {
        tg->addWidget(rows[r].first, r, 0);
        rows[r].second->setMinimumWidth(110);
        tg->addWidget(rows[r].second, r, 1);
    }
    mh->addWidget(totals);
    h->addWidget(GroupBox2, 1);

    auto *buttons = new QWidget(Panel4);
    buttons->setObjectName(QStringLiteral("GridPanel2"));
    auto *bv = new QVBoxLayout(buttons);
    bv->setContentsMargins(0, 6, 0, 0);
    Button1 = new QPushButton(OrderingIcon(QStringLiteral("gonder")), QStringLiteral("Gönder"), buttons);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(OrderingIcon(QStringLiteral("excel")), QStringLiteral("Excel Kaydet"), buttons);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);
    for (QPushButton *b : {Button1, Button2}) {
        b->setIconSize(QSize(24, 24));
        b->setMinimumSize(150, 52);
        bv->addWidget(b);
    }
    h->addWidget(buttons);

    connect(boxkargo, &TRadioGroup::itemClicked, this, [this] { ReportingErrors([this] { boxkargoClick(); }); });
    connect(kargocombo, &QComboBox::activated, this, [this] { kargocomboChange(); });
    connect(Button1, &QPushButton::clicked, this, [this] { ReportingErrors([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void BasketPage::setTab(QTabWidget *tabs, QWidget *page)
{
    tabs_ = tabs;
    tab_ = page;
}

void BasketPage::setLineMenu(QMenu *menu, QAction *change, QAction *remove, QAction *removeAll)
{
    cxGrid2->setContextMenu(menu);
    if (change) {
        change->setEnabled(true);
        connect(change, &QAction::triggered, this, [this] { ReportingErrors([this] { Deitir1Click(); }); });
    }
    if (remove) {
        remove->setEnabled(true);
        connect(remove, &QAction::triggered, this, [this] { ReportingErrors([this] { SatrSil1Click(); }); });
    }
    if (removeAll) {
        removeAll->setEnabled(true);
        connect(removeAll, &QAction::triggered, this, [this] { ReportingErrors([this] { HepsiniSil1Click(); }); });
    }
}

// ------------------------------------------------------------ basket

void BasketPage::ssepetShow()
{
    if (headerPanel_) headerPanel_->setFixedHeight(50);
    CariBakiyeUyariBak();
    LoadBasket();
    LoadDeliveryAndCarrierTypes();
}

bool BasketPage::callOnMainConnection(const std::function<void(TServerMethods1Client &)> &call)
{
    return UnguardedCall(bagc_, call, /*reportFailure=*/true, /*usePrivateCopy=*/false);
}

bool BasketPage::LoadBasket()
{
    DataTable result;
    const qint32 carino = sbilgi_.CARINO();
    if (!UnguardedCall(
            bagc_, [&](TServerMethods1Client &proxy) { result = proxy.SepetVer2(carino); }, /*reportFailure=*/true,
            /*usePrivateCopy=*/true))
        return false;
    SetFloatDisplayFormats(result);
    if (DataColumn *miktar = result.column(QStringLiteral("MIKTAR"))) miktar->displayFormat.clear();
    cxGrid2->beginReload();
    sepet = std::move(result);
    sepetOpen = true;
    cxGrid2->endReload();
    if (tabs_ && tab_)
        tabs_->setTabText(tabs_->indexOf(tab_), QString::number(sepet.rowCount()) + QLatin1Char('=') + kBasketTabTitle);
    ComputeBasketTotals();
    return true;
}

BasketTotals BasketPage::ComputeBasketTotals()
{
    const BasketTotals t = tarsel::ComputeBasketTotals(sepet);
    writeTotals(t);
    return t;
}

void BasketPage::writeTotals(const BasketTotals &t)
{
    aratoplaml->setText(FormatMoney(t.total));
    indiriml->setText(FormatMoney(t.discount));
    indirimCaption->setVisible(t.discountShown());
    indiriml->setVisible(t.discountShown());
    vergiCaption->setVisible(t.taxShown());
    vergil->setVisible(t.taxShown());
    vergil->setText(FormatMoney(t.tax));
    nettutarl->setText(FormatMoney(t.net));
    geneltoplaml->setText(FormatMoney(t.grand));
}

bool BasketPage::SendLineSelection(qint32 sirano, qint32 secim)
{
    return !GuardedCall(
        bagc_, [&](TServerMethods1Client &proxy) { proxy.SepetSecimGuncelle(sirano, secim); }, /*reportFailure=*/true,
        /*usePrivateCopy=*/true);
}

void BasketPage::ToggleLineSelection(std::size_t row)
{
    DataColumn *sec = sepet.column(QStringLiteral("SEC"));
    if (!sec || row >= sec->rowCount()) return;
    const qint32 value = sec->numberAt(row) == 0 ? 1 : 0;
    sec->setVariant(row, value);
    cxGrid2->notifyRowChanged(int(row));
    SendLineSelection(sepet.int32(row, QStringLiteral("SIRANO")), value);
    ComputeBasketTotals();
}

void BasketPage::SelectAll(bool selected)
{
    if (!sepetOpen) return;
    DataColumn *sec = sepet.column(QStringLiteral("SEC"));
    const qint32 value = selected ? 1 : 0;
    for (std::size_t row = 0; sec && row < sec->rowCount(); ++row) {
        sec->setVariant(row, value);
        cxGrid2->notifyRowChanged(int(row));
        SendLineSelection(sepet.int32(row, QStringLiteral("SIRANO")), value);
    }
    ComputeBasketTotals();
    if (searchBox_) {
        searchBox_->selectAll();
        searchBox_->setFocus();
    }
}

void BasketPage::CariBakiyeUyariBak()
{
    std::shared_ptr<DSConnection> connection(bagc_.CloneDescription());
    const qint32 carino = sbilgi_.CARINO();
    std::thread([guard = warningGuard_, connection, carino] {
        QString text;
        if (!OpenConnectionWithRetry(*connection, /*reportFailure=*/false)) return;
        try {
            TServerMethods1Client proxy(*connection);
            text = proxy.CariVadeGunGecmismiBul(carino);
        } catch (...) {
            text.clear();
        }
        connection->Close();
        std::lock_guard<std::mutex> lock(guard->m);
        if (!guard->page) return;
        BasketPage *page = guard->page;
        QMetaObject::invokeMethod(
            page,
            [page, text] { page->lbluyarbakiye->setText(text); },
            Qt::QueuedConnection);
    }).detach();
}

void BasketPage::Button2Click()
{
    try {
        cxGrid2->exportToExcelWithDialog();
    } catch (const std::exception &e) {
        ShowMessageBox(QString::fromUtf8(e.what()), MsgKind::Error, MsgButton::Ok, 0, MsgButton::Ok);
    }
}

void BasketPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (cxGrid2->isEnabled()) ApplyColumnLayout(cxGrid2, this, [this] { LayoutBasketColumns(); });
}

void BasketPage::LayoutBasketColumns() { FitColumnsForScreen(cxGrid2); }

void BasketPage::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && Button1->isVisible() && Button1->isEnabled()) {
        event->accept();
        Button1->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

// ------------------------------------------------------------ line operations

void BasketPage::AddBasketLine(const DataTable &source, std::size_t row, double quantity, double price,
                               const DiscountRates &rates)
{
    const BasketLineArgs a = AddLineArgs(source, row, sbilgi_, quantity, price, rates);
    qint32 result = 0;
    if (!callOnMainConnection([&](TServerMethods1Client &proxy) {
            result = proxy.SepetEkle2(CopyOf(sbilgi_), a.carino, a.stokno, a.barkod, a.stokadi, a.miktar, a.kdv,
                                      a.fiyat, a.rates[0], a.verenid, a.k, a.rates[1], a.rates[2], a.rates[3]);
        }))
        return;
    if (result == 1) LoadBasket();
}

void BasketPage::UpdateBasketLine(qint32 sirano, std::size_t row, double quantity, double price)
{
    const std::optional<std::size_t> line = FindBasketLine(sepet, sirano);
    const BasketLineArgs a = UpdateLineArgs(sepet, line ? *line : row, sbilgi_, quantity, price);
    qint32 result = 0;
    if (!callOnMainConnection([&](TServerMethods1Client &proxy) {
            result = proxy.SepetGuncelle2(CopyOf(sbilgi_), a.carino, a.stokno, a.barkod, a.stokadi, a.miktar, a.kdv,
                                          a.fiyat, a.rates[0], a.verenid, a.sepetsirano, a.rates[1], a.rates[2],
                                          a.rates[3]);
        }))
        return;
    if (result == 1) LoadBasket();
}

void BasketPage::onGridDoubleClicked(int) { Deitir1Click(); }

void BasketPage::onCheckBoxClicked(int sourceRow, const QString &column)
{
    if (column.compare(QLatin1String("SEC"), Qt::CaseInsensitive) != 0 || sourceRow < 0) return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (sourceRow == lastToggleRow_ && now - lastToggleMs_ <= QApplication::doubleClickInterval()) {
        lastToggleRow_ = -1;  // second click of a double click: one toggle only
        return;
    }
    lastToggleRow_ = sourceRow;
    lastToggleMs_ = now;
    ToggleLineSelection(std::size_t(sourceRow));
}

void BasketPage::Deitir1Click()
{
    const int row = cxGrid2->focusedSourceRow();
    if (row < 0) return;
    const qint32 sirano = sepet.int32(std::size_t(row), QStringLiteral("SIRANO"));
    const QModelIndex current = cxGrid2->view()->currentIndex();
    const QString caption = current.isValid() ? cxGrid2->model()->column(current.column()).headerText() : QString();
    if (caption == kSelectColumnCaption) {
        ToggleLineSelection(std::size_t(row));
        return;
    }
    if (openEditLine) openEditLine(sirano, std::size_t(row));
}

void BasketPage::SatrSil1Click()
{
    const int row = cxGrid2->focusedSourceRow();
    if (row < 0) return;
    const qint32 satirno = sepet.int32(std::size_t(row), QStringLiteral("SIRANO"));
    const QString description = BasketLineDescription(sepet.text(std::size_t(row), QStringLiteral("BARKOD")),
                                                      sepet.text(std::size_t(row), QStringLiteral("STOKADI")));
    if (ShowMessageBox(kDeleteLineQuestion, MsgKind::Confirmation, MsgButton::Yes | MsgButton::No, 0, MsgButton::No) !=
        kResultYes)
        return;
    if (!callOnMainConnection([&](TServerMethods1Client &proxy) {
            proxy.SepetSatirSil(CopyOf(sbilgi_), satirno, description);
        }))
        return;
    LoadBasket();
    ShowMessageBox(kLineDeletedMessage, MsgKind::Information, MsgButton::Ok, 0, MsgButton::Ok);
}

void BasketPage::HepsiniSil1Click()
{
    if (!sepetOpen || sepet.rowCount() == 0) return;
    if (ShowMessageBox(kEmptyBasketQuestion, MsgKind::Confirmation, MsgButton::Yes | MsgButton::No, 0,
                       MsgButton::No) != kResultYes)
        return;
    if (!callOnMainConnection([&](TServerMethods1Client &proxy) { proxy.SepetHepsiniSil(CopyOf(sbilgi_)); })) return;
    ShowMessageBox(kBasketEmptiedMessage, MsgKind::Information, MsgButton::Ok, 0, MsgButton::Ok);
    LoadBasket();
}

// ------------------------------------------------------------ delivery, carrier, order

void BasketPage::LoadDeliveryAndCarrierTypes()
{
    UnguardedCall(
        bagc_,
        [&](TServerMethods1Client &proxy) {
            const std::vector<KeyedEntry> deliveries = KeyedEntries(proxy.TeslimVer());
            teslimbox->clear();
            for (const KeyedEntry &e : deliveries) teslimbox->addItem(e.text, e.key);
            teslimbox->setItemIndex(PreselectedDeliveryIndex(teslimbox->count()));
            const std::vector<KeyedEntry> carrierTypes = KeyedEntries(proxy.KargoVer());
            boxkargo->clear();
            for (const KeyedEntry &e : carrierTypes) boxkargo->addItem(e.text, e.key);
            boxkargo->setItemIndex(-1);
        },
        /*reportFailure=*/true, /*usePrivateCopy=*/true);
}

void BasketPage::boxkargoClick()
{
    uyarikargo->clear();
    const int index = boxkargo->itemIndex();
    if (index >= 0) LoadCarriers(boxkargo->key(index));
}

void BasketPage::LoadCarriers(qint32 carrierType)
{
    DataTable result;
    if (!callOnMainConnection([&](TServerMethods1Client &proxy) { result = proxy.KargolarVer(carrierType); })) return;
    kargo = std::move(result);
    kargocombo->clear();
    kargocombo->addItem(QStringLiteral(" "));
    const DataColumn *adi = kargo.column(QStringLiteral("ADI"));
    for (std::size_t r = 0; adi && r < adi->rowCount(); ++r) kargocombo->addItem(adi->stringAt(r));
    kargocombo->setCurrentIndex(-1);
}

void BasketPage::kargocomboChange()
{
    try {
        const std::optional<std::size_t> row = FindCarrier(kargo, kargocombo->currentText());
        uyarikargo->setText(row ? kargo.text(*row, QStringLiteral("UYARI")) : QString());
    } catch (...) {
        uyarikargo->clear();
    }
}

void BasketPage::Button1Click()
{
    const SendBlock block = FirstSendBlock(HasSelectedLines(sepet, sepetOpen), teslimbox->itemIndex(),
                                           boxkargo->itemIndex(), kargocombo->currentIndex());
    if (block != SendBlock::None) {
        ShowMessageBox(SendBlockMessage(block), MsgKind::Warning, MsgButton::Ok, 0, MsgButton::Ok);
        if (block == SendBlock::NoCarrier) kargocombo->setFocus();
        return;
    }
    const std::optional<std::size_t> carrier = FindCarrier(kargo, kargocombo->currentText());
    const qint32 kargoyeni = carrier ? kargo.int32(*carrier, QStringLiteral("SIRANO")) : 0;
    const int delivery = teslimbox->itemIndex();
    const int carrierType = boxkargo->itemIndex();

    OrderSummary s;
    s.user = sbilgi_.ADI();
    s.account = sbilgi_.CariAdi();
    s.delivery = teslimbox->text(delivery);
    s.carrierType = boxkargo->text(carrierType);
    s.amount = geneltoplaml->text();
    s.carrier = kargocombo->currentText();
    s.note = aciklamagir->toPlainText();

    TONAYSIP confirm(window());
    confirm.Label2->setText(OrderSummaryText(s));
    if (confirm.exec() != QDialog::Accepted) return;

    if (SaveOrder(kargoyeni, boxkargo->key(carrierType), teslimbox->key(delivery))) {
        ShowMessageBox(kOrderSentMessage, MsgKind::Information, MsgButton::Ok, 0, MsgButton::Ok);
        LoadBasket();
        aciklamagir->clear();
    } else {
        ShowMessageBox(kOrderFailedMessage, MsgKind::Error, MsgButton::Ok, 0, MsgButton::Ok);
    }
}

bool BasketPage::SaveOrder(qint32 kargoyeni, qint32 kargoTuru, qint32 teslim)
{
    bool saved = false;
    const QString note = aciklamagir->toPlainText();
    if (!callOnMainConnection([&](TServerMethods1Client &proxy) {
            saved = proxy.SiparisKaydet(CopyOf(sbilgi_), sbilgi_.CARINO(), teslim, kargoTuru, note, sbilgi_.Sirano(),
                                        kargoyeni);
        }))
        return false;
    return saved;
}

}  // namespace tarsel
