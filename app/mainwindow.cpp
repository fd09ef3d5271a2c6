#include "app/mainwindow.h"

#include "app/appicons.h"
#include "app/badgecaption.h"
#include "app/pagecontrol.h"
#include "app/processexit.h"
#include "grid/datagrid.h"
#include "grid/gridicons.h"
#include "history/seccari.h"
#include "remote/remotecall.h"
#include "signin/girisform.h"
#include "signin/outsideaddress.h"
#include "util/deployment.h"
#include "util/gifresim.h"
#include "util/machineid.h"
#include "util/messagebox.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace tarsel {

namespace {

QFont tahoma(int pixels, bool bold)
{
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

// White bold text on a red box: the labels of the filter group.
QLabel *redBoxLabel(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignCenter);
    l->setAutoFillBackground(true);
    QPalette p = l->palette();
    p.setColor(QPalette::Window, QColor(0xc0, 0x39, 0x2b));
    p.setColor(QPalette::WindowText, Qt::white);
    l->setPalette(p);
    l->setFont(tahoma(13, true));
    return l;
}

QWidget *strip(QWidget *parent, const char *name, int height)
{
    auto *w = new QWidget(parent);
    w->setObjectName(QLatin1String(name));
    if (height > 0) w->setFixedHeight(height);
    return w;
}

}  // namespace

QString SalespersonLine(const TSonucBilgisi &s)
{
    return s.SaticiAdi() + QStringLiteral(" Telefonu: ") + s.SaticiTelefon() + QStringLiteral(" email: ") +
           s.SaticiMail();
}

QString TabIconName(int index)
{
    switch (index) {
    case 0: return QStringLiteral("stok-listesi");
    case 1: return QStringLiteral("cari-ekstre");
    case 3: return QStringLiteral("onceki-siparisler");
    case 5: return QStringLiteral("duyurular");
    case 6: return QStringLiteral("kampanyali");
    case 7: return QStringLiteral("bakiyeler");
    case 8: return QStringLiteral("sepet");
    case 10: return QStringLiteral("yeni-stoklar");
    case 15: return QStringLiteral("dosyalar");
    case 16: return QStringLiteral("iletisim");
    default: return {};
    }
}

TForm1::TForm1(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setFont(tahoma(13, true));
    runSignIn = [](TForm1 &f) {
        Tgirisform giris(&f, f.bagc, f.sbilgi);
        return giris.exec();
    };

    auto *central = new QWidget(this);
    auto *v = new QVBoxLayout(central);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    buildMenus();
    buildHeader(central);
    buildFilterStrip(central);
    buildTabs(central);
    buildLegend(central);
    buildTicker(central);
    v->addWidget(Panel1);
    v->addWidget(Panel2);
    v->addWidget(sPageControl1, 1);
    v->addWidget(Panel3);
    v->addWidget(Panel5);
    setCentralWidget(central);

    resize(1350, 710);
    if (QScreen *s = QGuiApplication::primaryScreen()) move(s->availableGeometry().center() - rect().center());
}

TForm1::~TForm1() = default;

// ---------------------------------------------------------------- layout

void TForm1::buildMenus()
{
    Genelmenu = new QMenu(this);
    Genelmenu->setObjectName(QStringLiteral("Genelmenu"));
    M1 = Genelmenu->addAction(QStringLiteral("Mail Gönder"));
    Genelmenu->addSeparator();
    N4 = Genelmenu->addAction(QStringLiteral("Şifre Değiştirme İsteği"));
    Genelmenu->addSeparator();
    WebSiteItem = Genelmenu->addAction(QString());
    Genelmenu->addSeparator();
    G1 = Genelmenu->addAction(QStringLiteral("Çıkış"));
    Genelmenu->addSeparator();
    R1 = Genelmenu->addAction(QStringLiteral("Raporlar"));
    // The mail form, the password-change request, the web site and the
    // reports come with their own screens; until then they are disabled.
    for (QAction *a : {M1, N4, WebSiteItem, R1}) a->setEnabled(false);
    R1->setVisible(false);
    connect(G1, &QAction::triggered, this, [this] { G1Click(); });

    auto menu = [this](const char *name, std::initializer_list<std::pair<QAction **, const char *>> items) {
        auto *m = new QMenu(this);
        m->setObjectName(QLatin1String(name));
        bool first = true;
        for (const auto &[slot, caption] : items) {
            if (!first) m->addSeparator();
            first = false;
            *slot = m->addAction(QString::fromUtf8(caption));
            (*slot)->setEnabled(false);  // bound by the screen that owns the grid
        }
        return m;
    };
    popstok = menu("popstok", {{&S2, "Sepete Ekle"}, {&B1, "Sipariş Bakiyeleriniz"}, {&S3, "Siparişleri Göster"}});
    PopupMenu1 = menu("PopupMenu1", {{&Deitir1, "Satır Değiştir"}, {&SatrSil1, "Satır Sil"}, {&HepsiniSil1, "Hepsini Sil"}});
    poponceki = menu("poponceki", {{&S1, "Siparişi İncele"},
                                   {&SipariBakiyeleriniz1, "Sipariş Bakiyeleriniz"},
                                   {&T1, "Tüm Siparişler"}});
    popekstre = menu("popekstre", {{&H1, "Hareket İncele"}});
}

void TForm1::buildHeader(QWidget *parent)
{
    Panel1 = strip(parent, "Panel1", 100);
    Panel1->setAutoFillBackground(true);
    QPalette hp = Panel1->palette();
    hp.setColor(QPalette::Window, Qt::white);
    Panel1->setPalette(hp);
    auto *h = new QHBoxLayout(Panel1);
    h->setContentsMargins(0, 0, 6, 0);
    h->setSpacing(8);

    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(421, 100);
    Image1->setPixmap(AppPixmap(QStringLiteral("tarsel-logo"), QSize(421, 100), devicePixelRatioF()));
    h->addWidget(Image1);
    Panel1->installEventFilter(this);

    GridPanel1 = new QWidget(Panel1);
    GridPanel1->setObjectName(QStringLiteral("GridPanel1"));
    auto *g = new QGridLayout(GridPanel1);
    g->setContentsMargins(0, 4, 0, 4);
    g->setHorizontalSpacing(0);
    g->setVerticalSpacing(0);
    const char *captions[] = {"Kullanıcı: ", "Firma: ", "Temsilci: "};
    QLabel **values[] = {&kullanicilbl, &cariadilbl, &saticilbl};
    const char *names[] = {"kullanicilbl", "cariadilbl", "saticilbl"};
    for (int r = 0; r < 3; ++r) {
        auto *c = new QLabel(QString::fromUtf8(captions[r]), GridPanel1);
        c->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto *val = new QLabel(GridPanel1);
        val->setObjectName(QLatin1String(names[r]));
        val->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        val->setMinimumWidth(10);
        *values[r] = val;
        g->addWidget(c, r, 0);
        g->addWidget(val, r, 1);
        g->setRowStretch(r, 1);
    }
    g->setColumnStretch(0, 18);
    g->setColumnStretch(1, 82);
    h->addWidget(GridPanel1, 1);

    GifResim1 = new TGifResim(Panel1);
    GifResim1->setObjectName(QStringLiteral("GifResim1"));
    // Empty until a banner arrives; it gives way to the labels when the window is narrow.
    GifResim1->setMinimumSize(0, 96);
    GifResim1->setMaximumSize(300, 96);
    GifResim1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    GifResim1->setAlignment(Qt::AlignCenter);
    h->addWidget(GifResim1);

    Button3 = new QToolButton(Panel1);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setIcon(AppIcon(QStringLiteral("menu")));
    Button3->setIconSize(QSize(48, 48));
    Button3->setPopupMode(QToolButton::MenuButtonPopup);
    Button3->setMenu(Genelmenu);
    Button3->setFixedSize(72, 64);
    connect(Button3, &QToolButton::clicked, Button3, &QToolButton::showMenu);
    h->addWidget(Button3);
}

void TForm1::buildFilterStrip(QWidget *parent)
{
    Panel2 = strip(parent, "Panel2", 175);
    GroupBox3 = new QGroupBox(QStringLiteral("Ürün Arama"), Panel2);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    GroupBox3->setGeometry(6, 2, 690, 171);

    lblUretici = redBoxLabel(QStringLiteral("ÜRETİCİ"), GroupBox3);
    lblUretici->setGeometry(12, 22, 210, 22);
    comdepartman = new QComboBox(GroupBox3);
    comdepartman->setObjectName(QStringLiteral("comdepartman"));
    comdepartman->setGeometry(12, 46, 210, 26);
    lblAnaKategori = redBoxLabel(QStringLiteral("ANA KATEGORİ"), GroupBox3);
    lblAnaKategori->setGeometry(232, 22, 210, 22);
    comanagrup = new QComboBox(GroupBox3);
    comanagrup->setObjectName(QStringLiteral("comanagrup"));
    comanagrup->setGeometry(232, 46, 210, 26);
    lblAltKategori = redBoxLabel(QStringLiteral("ALT KATEGORİ"), GroupBox3);
    lblAltKategori->setGeometry(452, 22, 226, 22);
    comaltgrup = new QComboBox(GroupBox3);
    comaltgrup->setObjectName(QStringLiteral("comaltgrup"));
    comaltgrup->setGeometry(452, 46, 226, 26);

    struct Check {
        QCheckBox **slot;
        const char *name;
        const char *text;
        int x, w;
    };
    const Check checks[] = {{&chkampanya, "chkampanya", "Kampanya", 12, 150},
                            {&chyeniurun, "chyeniurun", "Yeni Ürün", 172, 150},
                            {&chstoktaolanlar, "chstoktaolanlar", "Stokta Olanlar", 332, 170},
                            {&chresmiolanlar, "chresmiolanlar", "Resim Olanlar", 512, 166}};
    for (const Check &c : checks) {
        auto *cb = new QCheckBox(QString::fromUtf8(c.text), GroupBox3);
        cb->setObjectName(QLatin1String(c.name));
        cb->setGeometry(c.x, 80, c.w, 24);
        *c.slot = cb;
    }

    lblGenelArama = redBoxLabel(QStringLiteral("Genel Arama"), GroupBox3);
    lblGenelArama->setGeometry(12, 110, 110, 24);
    araedit = new QLineEdit(GroupBox3);
    araedit->setObjectName(QStringLiteral("araedit"));
    araedit->setPlaceholderText(QStringLiteral("Ara.."));
    araedit->setToolTip(QStringLiteral("Ara.."));
    araedit->setGeometry(128, 110, 550, 24);
    lblIslemler = redBoxLabel(QStringLiteral("İşlemler"), GroupBox3);
    lblIslemler->setGeometry(12, 137, 110, 28);
    SpeedButton2 = new QPushButton(AppIcon(QStringLiteral("ara")), QStringLiteral("Ara"), GroupBox3);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setGeometry(128, 137, 130, 28);
    SpeedButton1 = new QPushButton(QStringLiteral("Temizle"), GroupBox3);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setGeometry(264, 137, 130, 28);

    // Busy indicators of the tab loads, hidden until a load runs.
    TGifResim **indicators[] = {&gifstokara, &gifyeniler, &gifkampanyali, &gifduyuru,
                                &gifekstre,  &gifoncekiler, &gifdosyalar};
    const char *indicatorNames[] = {"gifstokara", "gifyeniler", "gifkampanyali", "gifduyuru",
                                    "gifekstre",  "gifoncekiler", "gifdosyalar"};
    for (int i = 0; i < 7; ++i) {
        TGifResim *gif = TGifResim::busyIndicator(Panel2);
        gif->setObjectName(QLatin1String(indicatorNames[i]));
        gif->setGeometry(708 + (i % 4) * 40, 60 + (i / 4) * 40, 32, 32);
        gif->hide();
        *indicators[i] = gif;
    }

    musteritus = new QPushButton(AppIcon(QStringLiteral("cari-liste")), QStringLiteral("Başka Cari Seç"), Panel2);
    musteritus->setObjectName(QStringLiteral("musteritus"));
    musteritus->setIconSize(QSize(32, 32));
    musteritus->setGeometry(880, 60, 200, 52);
    musteritus->hide();
    connect(musteritus, &QPushButton::clicked, this, [this] { SwitchCustomer(); });
}

void TForm1::buildTabs(QWidget *parent)
{
    sPageControl1 = new TPageControl(parent);
    sPageControl1->setObjectName(QStringLiteral("sPageControl1"));
    struct Tab {
        QWidget **slot;
        const char *name;
        const char *caption;
        int icon;
    };
    const Tab tabs[] = {{&sstoklistesi, "sstoklistesi", "Stok Listesi", 0},
                        {&ssepet, "ssepet", "Sepet", 8},
                        {&sonceki, "sonceki", "Önceki Siparişler", 3},
                        {&sccariekstre, "sccariekstre", "Cari Ekstre", 1},
                        {&syeniler, "syeniler", "Yeni Stoklar", 10},
                        {&skampanyali, "skampanyali", "Kampanyalı Stoklar", 6},
                        {&sTabSheetduyuru, "sTabSheetduyuru", "Duyurular", 5},
                        {&sTabbakiyeler, "sTabbakiyeler", "Bakiyeler", 7},
                        {&tabdosyalar, "tabdosyalar", "Dosyalar", 15},
                        {&iletisim, "iletisim", "iletisim", 16}};
    for (const Tab &t : tabs) {
        auto *page = new QWidget;
        page->setObjectName(QLatin1String(t.name));
        new QVBoxLayout(page);  // the screen that fills the page adds its widgets here
        *t.slot = page;
        sPageControl1->addTab(page, AppIcon(TabIconName(t.icon)), QString::fromUtf8(t.caption));
    }
    sPageControl1->setCurrentWidget(sstoklistesi);
}

void TForm1::buildLegend(QWidget *parent)
{
    Panel3 = strip(parent, "Panel3", 27);
    auto *h = new QHBoxLayout(Panel3);
    h->setContentsMargins(8, 0, 8, 0);
    h->setSpacing(2);
    h->addWidget(new QLabel(QStringLiteral("Durum Açıklaması:    "), Panel3));
    for (const StockLegendEntry &e : StockStateLegend()) {
        auto *icon = new QLabel(Panel3);
        icon->setPixmap(GridIcons::pixmap(e.icon, QSize(20, 20), devicePixelRatioF()));
        icon->setObjectName(QStringLiteral("legendIcon%1").arg(e.value));
        auto *text = new QLabel(e.text, Panel3);
        text->setObjectName(QStringLiteral("legendText%1").arg(e.value));
        h->addWidget(icon);
        h->addWidget(text);
    }
    h->addStretch(1);
}

void TForm1::buildTicker(QWidget *parent)
{
    Panel5 = strip(parent, "Panel5", 40);
    auto *h = new QHBoxLayout(Panel5);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(0);
    kayanyazi = new QWidget(Panel5);
    kayanyazi->setObjectName(QStringLiteral("kayanyazi"));
    kayanyazi->setFont([] {
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(24);
        return f;
    }());
    new QHBoxLayout(kayanyazi);
    kayanyazi->layout()->setContentsMargins(0, 0, 0, 0);
    RealTimeMarquee1 = new QWidget(Panel5);
    RealTimeMarquee1->setObjectName(QStringLiteral("RealTimeMarquee1"));
    new QHBoxLayout(RealTimeMarquee1);
    RealTimeMarquee1->layout()->setContentsMargins(0, 0, 0, 0);
    Image3 = new QLabel(Panel5);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->hide();
    h->addWidget(kayanyazi, 3);
    h->addWidget(RealTimeMarquee1, 1);
}

void TForm1::LayoutFilterPanel()
{
    const bool tall = height() >= 700;
    for (QWidget *w : std::initializer_list<QWidget *>{lblUretici, lblAnaKategori, lblAltKategori, comdepartman,
                                                       comanagrup, comaltgrup, chkampanya, chyeniurun,
                                                       chstoktaolanlar, chresmiolanlar})
        w->setVisible(tall);
    Panel2->setFixedHeight(tall ? 175 : 80);
    GroupBox3->setFixedHeight(tall ? 171 : 76);
    const int searchTop = tall ? 110 : 20;
    const int actionsTop = tall ? 137 : 47;
    lblGenelArama->move(lblGenelArama->x(), searchTop);
    araedit->move(araedit->x(), searchTop);
    lblIslemler->move(lblIslemler->x(), actionsTop);
    SpeedButton2->move(SpeedButton2->x(), actionsTop);
    SpeedButton1->move(SpeedButton1->x(), actionsTop);
    if (!tall) Panel1->setFixedHeight(50);
    FitLogo();
}

void TForm1::FitLogo()
{
    // The logo keeps its proportions at the header's height, whoever changed it.
    const int logoHeight = Panel1->maximumHeight() < QWIDGETSIZE_MAX ? Panel1->maximumHeight() : Panel1->height();
    const QSize size(421 * logoHeight / 100, logoHeight);
    if (Image1->size() == size && !Image1->pixmap().isNull()) return;
    Image1->setFixedSize(size);
    Image1->setPixmap(AppPixmap(QStringLiteral("tarsel-logo"), size, devicePixelRatioF()));
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Panel1 && event->type() == QEvent::Resize) FitLogo();
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    LayoutFilterPanel();
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    araedit->setFocus();
}

// ---------------------------------------------------------------- start-up

bool TForm1::FormCreate()
{
    _acilisadet = 0;
    qApp->setApplicationDisplayName(kMainCaption);
    setWindowTitle(kMainCaption);
    QFont messageFont = QApplication::font("QMessageBox");
    messageFont.setPointSize(15);
    QApplication::setFont(messageFont, "QMessageBox");
    qApp->setApplicationDisplayName(kApplicationTitle);
    setWindowTitle(kMainCaption);

    sbilgi = TSonucBilgisi();
    sbilgi.setBilgiSayarAdi(GetMachineName());
    sbilgi.setBilgisayarKullanici(GetOsUserName());
    sbilgi.setIcip(GetLocalIPv4());
    sbilgi.setBILGISAYARID(GetComputerId());

    const DeploymentSettings &d = Deployment();
    bagc.HostName = d.serverHost;
    bagc.Port = QString::number(d.serverPort);
    bagc.ConnectTimeoutMs = d.connectTimeoutMs;

    WebSiteItem->setText(d.webSiteBase);
    SetFilterCombosEnabled(false);

    if (!signIn()) return false;

    startStartupBatch();
    if (hooks.RegisterPushCallback) hooks.RegisterPushCallback();
    return true;
}

bool TForm1::signIn()
{
    const int result = runSignIn(*this);
    if (result != QDialog::Accepted) {
        EndProcess(0);
        return false;
    }
    if (TrimBlank(sbilgi.Disip()).isEmpty()) {
        EndProcess(0);
        return false;
    }
    AdaptToUserType(sbilgi.MusteriTipi());
    return true;
}

void TForm1::AdaptToUserType(int userType)
{
    plan_ = PlanForUserType(userType);
    adapted_ = true;
    musteritus->setVisible(plan_.showCustomerButton);
    R1->setVisible(plan_.showReports);
    const int campaign = sPageControl1->indexOf(skampanyali);
    sPageControl1->setTabVisible(campaign, !plan_.hideCampaignTab);
    for (auto it = gridViews_.cbegin(); it != gridViews_.cend(); ++it)
        if (it.value()) applyColumnPlan(it.key(), it.value());
}

void TForm1::RegisterGridView(const QString &viewName, DataGrid *grid)
{
    gridViews_.insert(viewName, grid);
    if (adapted_) applyColumnPlan(viewName, grid);
}

void TForm1::applyColumnPlan(const QString &view, DataGrid *grid)
{
    for (const ColumnChange &c : plan_.forView(view)) {
        grid->setColumnVisible(c.field, c.visible);
        grid->setColumnInChooser(c.field, c.inChooser);
    }
}

void TForm1::startStartupBatch()
{
    std::vector<std::function<void()>> steps;
    steps.push_back([this] { AnaBilgiAl(); });
    for (const std::function<void()> *hook :
         {&hooks.LoadTickerText, &hooks.BannerREsimAl, &hooks.BannerREsimAlUst, &hooks.BannerREsimAlAlt,
          &hooks.AcilisReklamAdetAl, &hooks.BalonYaz, &hooks.DepartmanDoldur, &hooks.AnaGrupDoldur})
        if (*hook) steps.push_back(*hook);
    batchRunning_ = true;
    batchDone_ = false;
    RunInBackground(
        [steps = std::move(steps)] {
            for (const auto &step : steps) step();
        },
        [this] { startupContinuation(); }, this);
}

void TForm1::startupContinuation()
{
    batchRunning_ = false;
    batchDone_ = true;
    if (isMinimized()) {
        showMaximized();
        activateWindow();
    }
    if (hooks.ShowOpeningAdverts) hooks.ShowOpeningAdverts();
    SetFilterCombosEnabled(true);
}

void TForm1::AnaBilgiAl()
{
    RunOnUserInterfaceThread([this] {
        kullanicilbl->setText(sbilgi.ADI());
        cariadilbl->setText(sbilgi.CariAdi());
        saticilbl->setText(SalespersonLine(sbilgi));
    });
}

void TForm1::SetFilterCombosEnabled(bool enabled)
{
    comdepartman->setEnabled(enabled);
    comanagrup->setEnabled(enabled);
    comaltgrup->setEnabled(enabled);
}

// ---------------------------------------------------------------- running

void TForm1::SwitchCustomer()
{
    {
        Tseccari console(this, bagc, sbilgi);
        try {
            console.SepetSayisiYaz();
        } catch (const std::exception &e) {
            ReportUnhandledError(QString::fromUtf8(e.what()));
        }
        try {
            console.TusSonuclari();
        } catch (const std::exception &e) {
            ReportUnhandledError(QString::fromUtf8(e.what()));
        }
        console.exec();
        if (EndProcessRequested()) return;  // "Vazgeç" (only seen when the end is intercepted)
    }
    kullanicilbl->setText(sbilgi.ADI());
    cariadilbl->setText(sbilgi.CariAdi());
    saticilbl->setText(SalespersonLine(sbilgi));
    if (hooks.LoadBasket) hooks.LoadBasket();
    if (hooks.ClearStockList) hooks.ClearStockList();
    sPageControl1->setTabText(sPageControl1->indexOf(sstoklistesi), kStockTabStart);
    sPageControl1->setCurrentWidget(sstoklistesi);
    araedit->selectAll();
    araedit->setFocus();
}

void TForm1::G1Click() { close(); }

bool TForm1::FormCloseQuery()
{
    const int answer =
        ShowMessageBox(kExitQuestion, MsgKind::Confirmation, MsgButton::Yes | MsgButton::No, 0, MsgButton::Yes, this);
    if (answer != kResultYes) return false;
    EndProcess(0);
    return false;  // only reached when the end is intercepted: the window stays as it was
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (closing_) {  // a close while the question is open is refused
        event->ignore();
        return;
    }
    closing_ = true;
    const bool allow = FormCloseQuery();
    closing_ = false;
    if (allow) event->accept();
    else event->ignore();
}

}  // namespace tarsel
