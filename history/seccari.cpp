#include "history/seccari.h"

#include "app/appicons.h"
#include "app/processexit.h"
#include "app/uppercaseedit.h"
#include "grid/datagrid.h"
#include "history/tarihsec.h"
#include "remote/dsconnection.h"
#include "remote/proxim.h"
#include "util/folders.h"
#include "util/money.h"

#include <QAction>
#include <QDateTimeEdit>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace tarsel {

namespace {

std::vector<GridColumn> customerColumns()
{
    // Headers are the column names themselves (empty caption).
    auto shown = [](const char *f) { return GridColumn::text(QLatin1String(f), QString(), 1); };
    auto hidden = [](const char *f) { return GridColumn::text(QLatin1String(f), QString(), 1).hidden(); };
    return {shown("CARINO").hidden(), shown("CARIKOD"),  shown("CARIADI"),  shown("SATICISI"),
            shown("TLBAKIYE"),        shown("DURUM"),    hidden("OZELKOD"), hidden("KOD1"),
            hidden("KOD2"),           hidden("KOD3"),    hidden("KOD4"),    hidden("KOD5"),
            hidden("TEL1"),           hidden("TEL2"),    hidden("ILCE"),    hidden("IL"),
            hidden("GSM"),            shown("SEPET"),    hidden("YETKILI"), hidden("INDIRIM"),
            hidden("VADE"),           hidden("VADEKONTROLGUN"), hidden("VADEKONTROLAY"),
            hidden("VERGIDAIRESI"),   hidden("VERGINO"), hidden("ADRES1"),  hidden("ADRES2"),
            hidden("ANAGRUP"),        hidden("ALTGRUP"), hidden("FAX1"),    hidden("FAX2"),
            hidden("EMAIL"),          shown("ALINDI"),   shown("ONAYLANDI"), shown("GORULDU"),
            shown("HAZIRLANDI"),      shown("PARCALIHAZIRLANDI")};
}

QFrame *separatorLine(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace

// Opens `bag`, runs f with a proxy on it, closes `bag` again (also on errors).
template <class F> auto Tseccari::callOnBag(F &&f)
{
    bag_.Open();
    struct Closer {
        DSConnection &c;
        ~Closer() { c.Close(); }
    } closer{bag_};
    TServerMethods1Client proxy(bag_);
    return f(proxy);
}

Tseccari::Tseccari(QWidget *owner, DSConnection &bag, TSonucBilgisi &bilgim)
    : QDialog(owner), bag_(bag), bilgim_(bilgim)
{
    setObjectName(QStringLiteral("seccari"));
    setWindowTitle(QStringLiteral("Cari Seçimi"));
    setModal(true);
    askDates = [this](bool single, QDate *a, QDate *b) { return defaultAskDates(single, a, b); };

    auto *root = new QVBoxLayout(this);

    // ---- top: the eight buttons and the search edit ----
    auto *top = new QHBoxLayout;
    top->setSpacing(4);
    struct ButtonDef {
        QToolButton **slot;
        const char *name;
        const char *hint;
        const char *icon;
    };
    const ButtonDef defs[] = {
        {&sBitBtn2, "sBitBtn2", "Tüm Carileri Listeler", "cari-liste"},
        {&sepettus, "sepettus", "Sipariş sepetinde \nstok olan carileri listeler.", "sepet"},
        {&alinditus, "alinditus", "Yeni Alınan \nSiparişleri Listeler", "alindi"},
        {&onaylanditus, "onaylanditus", "Onaylanan Siparişler", "onaylandi"},
        {&goruldutus, "goruldutus", "Görülen Siparişler", "goruldu"},
        {&parcalihazirlandi, "parcalihazirlandi", "Eksik Hazırlanan siparişler", "parcali-hazirlandi"},
        {&hazirlanditus, "hazirlanditus", "Hazırlanan Siparişler", "hazirlandi"},
        {&sevktus, "sevktus", "Sevk Edilen Siparişler", "sevk-edildi"},
    };
    int i = 0;
    for (const ButtonDef &d : defs) {
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(d.name));
        b->setToolTip(QString::fromUtf8(d.hint));
        b->setIcon(AppIcon(QLatin1String(d.icon)));
        b->setIconSize(QSize(32, 32));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        // 155 x 60 where the screen allows; narrower on small screens.
        b->setMinimumSize(110, 60);
        b->setMaximumSize(155, 60);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        QFont f = b->font();
        f.setPixelSize(18);
        f.setBold(true);
        b->setFont(f);
        *d.slot = b;
        buttons[i++] = b;
        top->addWidget(b);
    }
    goruldutus->setText(QStringLiteral("0"));
    top->addSpacing(12);
    auto *searchPicture = new QLabel(this);
    searchPicture->setPixmap(AppPixmap(QStringLiteral("ara"), QSize(24, 24), devicePixelRatioF()));
    top->addWidget(searchPicture);
    NEdit1 = new QLineEdit(this);
    NEdit1->setObjectName(QStringLiteral("NEdit1"));
    MakeUpperCase(NEdit1);
    NEdit1->setMinimumWidth(140);
    NEdit1->setMinimumHeight(30);
    QPalette ep = NEdit1->palette();
    ep.setColor(QPalette::Base, QColor(0xfd, 0xfb, 0xe6));
    NEdit1->setPalette(ep);
    NEdit1->installEventFilter(this);
    top->addWidget(NEdit1, 1);
    root->addLayout(top);

    // ---- centre: grid | card ----
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    cxGrid1 = new DataGrid(splitter);
    cxGrid1->setObjectName(QStringLiteral("cxGrid1"));
    GridOptions go;
    go.rowHeight = 28;
    go.headerHeight = 30;
    go.incrementalSearch = true;
    go.columnChooser = true;
    cxGrid1->setOptions(go);
    cxGrid1->setColumns(customerColumns());
    cxGrid1->setFooterSummaries({GridSummary::count(QStringLiteral("CARIKOD"))});
    cxGrid1->setTable(&CARILER);
    splitter->addWidget(cxGrid1);

    cariBilgileri = new QGroupBox(QStringLiteral("Cari Bilgileri"), splitter);
    cariBilgileri->setObjectName(QStringLiteral("cariBilgileri"));
    auto *card = new QGridLayout(cariBilgileri);
    card->setColumnStretch(1, 1);
    int row = 0;
    auto value = [&](QLabel **slot, const char *name) {
        auto *l = new QLabel(cariBilgileri);
        l->setObjectName(QLatin1String(name));
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        *slot = l;
        return l;
    };
    auto add = [&](const char *caption, std::initializer_list<QLabel *> values) {
        auto *c = new QLabel(QString::fromUtf8(caption), cariBilgileri);
        card->addWidget(c, row, 0, Qt::AlignTop | Qt::AlignLeft);
        for (QLabel *v : values) card->addWidget(v, row++, 1);
    };
    auto line = [&] { card->addWidget(separatorLine(cariBilgileri), row++, 0, 1, 2); };
    add("CariKod:", {value(&carikod, "carikod")});
    add("Cari Adı:", {value(&cariadi, "cariadi")});
    add("Yetkili:", {value(&yetkili, "yetkili")});
    line();
    add("Özel Kod:", {value(&ozelkod, "ozelkod")});
    add("Ana Grup:", {value(&anagrup, "anagrup")});
    add("Alt Grup:", {value(&altgrup, "altgrup")});
    line();
    add("Adres:", {value(&adres1, "adres1"), value(&adres2, "adres2"), value(&ilce, "ilce")});
    add("Vergi D.:", {value(&vergi, "vergi")});
    add("Telefon:", {value(&telefon1, "telefon1"), value(&telefon2, "telefon2")});
    add("Fax:", {value(&fax1, "fax1"), value(&fax2, "fax2")});
    add("Gsm:", {value(&gsm, "gsm")});
    add("E-mail:", {value(&email, "email")});
    line();
    add("İndirim %:", {value(&indirim, "indirim")});
    add("Vade (Gün):", {value(&vade, "vade")});
    line();
    add("Bakiye:", {value(&bakiye, "bakiye")});
    bakiye->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    card->setRowStretch(row, 1);
    cariBilgileri->setMinimumWidth(300);
    cariBilgileri->hide();
    splitter->addWidget(cariBilgileri);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    root->addWidget(splitter, 1);

    // ---- bottom ----
    auto *bottom = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("Seç"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Vazgeç"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    for (QPushButton *b : {Button1, Button2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setMinimumSize(120, 34);
    }
    bottom->addWidget(Button1);
    bottom->addStretch(1);
    bottom->addWidget(Button2);
    root->addLayout(bottom);

    // ---- grid menu ----
    PopupMenu1 = new QMenu(this);
    C1 = PopupMenu1->addAction(QStringLiteral("Cari Özeti Göster"));
    PopupMenu1->addSeparator();
    B1 = PopupMenu1->addAction(QStringLiteral("Bakiyelerini Göster"));
    B1->setEnabled(false);  // the outstanding balances window comes with the balances screen
    PopupMenu1->addSeparator();
    CariAlSatTablosuSatcl1 = PopupMenu1->addAction(QStringLiteral("Cari Alış Satış Tablosu (Satıcılı)"));
    CariTopluAlacakVadeleri1 = PopupMenu1->addAction(QStringLiteral("Cari Toplu Alacak Vadeleri"));
    cxGrid1->setContextMenu(PopupMenu1);

    // ---- events ----
    connect(sBitBtn2, &QToolButton::clicked, this, [this] { sBitBtn2Click(); });
    connect(sepettus, &QToolButton::clicked, this, [this] {
        ListCustomersByStatus(CustomerList::Basket);
        NEdit1->selectAll();
        NEdit1->setFocus();
    });
    const std::pair<QToolButton *, CustomerList> states[] = {
        {alinditus, CustomerList::Received},   {onaylanditus, CustomerList::Approved},
        {goruldutus, CustomerList::Seen},      {parcalihazirlandi, CustomerList::PartlyPrepared},
        {hazirlanditus, CustomerList::Prepared}, {sevktus, CustomerList::Shipped}};
    for (const auto &[button, which] : states)
        connect(button, &QToolButton::clicked, this, [this, which = which] { ListCustomersByStatus(which); });
    connect(cxGrid1, &DataGrid::focusedRowChanged, this, [this](int r) { fillCard(r); });
    connect(cxGrid1, &DataGrid::rowDoubleClicked, this, [this](int) { ChooseCustomer(); });
    connect(Button1, &QPushButton::clicked, this, [this] { ChooseCustomer(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(C1, &QAction::triggered, this, [this] { RunReport(ConsoleReport::CariOzeti); });
    connect(CariAlSatTablosuSatcl1, &QAction::triggered, this,
            [this] { RunReport(ConsoleReport::AlisSatisTablosu); });
    connect(CariTopluAlacakVadeleri1, &QAction::triggered, this,
            [this] { RunReport(ConsoleReport::TopluAlacakVadeleri); });

    NEdit1->setFocus();
}

Tseccari::~Tseccari() = default;

void Tseccari::showEvent(QShowEvent *event)
{
    if (!placed_) {
        placed_ = true;
        FormShow();
    }
    QDialog::showEvent(event);
    NEdit1->setFocus();
}

void Tseccari::FormShow()
{
    QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return;
    const QRect work = s->availableGeometry();
    resize(qMax(400, work.width() - 100), qMax(300, work.height() - 100));
    move(work.left() + 50, work.top() + 50);
}

bool Tseccari::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == NEdit1 && event->type() == QEvent::KeyPress) {
        const auto *k = static_cast<QKeyEvent *>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            SearchCustomers();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tseccari::SepetSayisiYaz()
{
    const qint32 n = callOnBag([this](TServerMethods1Client &p) { return p.SepetSayisi(CopyOf(bilgim_)); });
    sepettus->setText(BasketCountCaption(n));
}

void Tseccari::TusSonuclari()
{
    TTusSonuclari counts;
    callOnBag([&](TServerMethods1Client &p) {
        const TTusSonuclari *r = p.TusSonuclariVer(CopyOf(bilgim_));
        if (r) counts.Kopyala(*r);
        return 0;
    });
    alinditus->setText(StateCountCaption(counts.Alindi()));
    onaylanditus->setText(StateCountCaption(counts.Onaylandi()));
    goruldutus->setText(StateCountCaption(counts.Goruldu()));
    parcalihazirlandi->setText(StateCountCaption(counts.ParcaliHazirlandi()));
    hazirlanditus->setText(StateCountCaption(counts.Hazirlandi()));
    sevktus->setText(StateCountCaption(counts.SevkEdildi()));
}

void Tseccari::loadInto(const std::function<DataTable(TServerMethods1Client &)> &call)
{
    DataTable result = callOnBag(call);
    setEnabled(false);
    cxGrid1->beginReload();
    CARILER = std::move(result);
    SetFloatDisplayFormats(CARILER);
    cxGrid1->endReload();
    setEnabled(true);
    cxGrid1->fitColumnsToContent();
    if (CARILER.rowCount() > 0) cxGrid1->setFocusedSourceRow(0);
    else fillCard(-1);
}

void Tseccari::SearchCustomers()
{
    const QString text = CustomerSearchText(NEdit1->text());
    loadInto([&](TServerMethods1Client &p) { return p.CariAra(CopyOf(bilgim_), text); });
    NEdit1->selectAll();
    NEdit1->setFocus();
}

void Tseccari::sBitBtn2Click()
{
    NEdit1->clear();
    SearchCustomers();
}

void Tseccari::ListCustomersByStatus(CustomerList which)
{
    loadInto([&](TServerMethods1Client &p) { return p.CariSepetVer(CopyOf(bilgim_), qint32(which)); });
}

void Tseccari::fillCard(int sourceRow)
{
    if (sourceRow < 0 || std::size_t(sourceRow) >= CARILER.rowCount()) {
        cariBilgileri->hide();
        return;
    }
    const CustomerCard c = CardFromRow(CARILER, std::size_t(sourceRow));
    const std::pair<QLabel *, const QString *> pairs[] = {
        {carikod, &c.carikod}, {cariadi, &c.cariadi},   {yetkili, &c.yetkili},   {ozelkod, &c.ozelkod},
        {anagrup, &c.anagrup}, {altgrup, &c.altgrup},   {adres1, &c.adres1},     {adres2, &c.adres2},
        {ilce, &c.ilce},       {vergi, &c.vergi},       {telefon1, &c.telefon1}, {telefon2, &c.telefon2},
        {fax1, &c.fax1},       {fax2, &c.fax2},         {gsm, &c.gsm},           {email, &c.email},
        {indirim, &c.indirim}, {vade, &c.vade},         {bakiye, &c.bakiye}};
    for (const auto &[label, text] : pairs) label->setText(*text);
    cariBilgileri->show();
}

void Tseccari::ChooseCustomer()
{
    const int row = cxGrid1->focusedSourceRow();
    if (row < 0) return;
    const qint32 carino = CARILER.int32(std::size_t(row), QStringLiteral("CARINO"));
    if (carino <= 0) return;
    bilgim_.setCARINO(carino);
    bilgim_.setcarikod(CARILER.text(std::size_t(row), QStringLiteral("CARIKOD")));
    bilgim_.setCariAdi(CARILER.text(std::size_t(row), QStringLiteral("CARIADI")));
    accept();
}

void Tseccari::Button2Click()
{
    EndProcess(0);
    reject();  // only reached when the end is intercepted (tests)
}

bool Tseccari::defaultAskDates(bool singleDate, QDate *first, QDate *second)
{
    Ttarihsec dlg(this);
    dlg.setSingleDate(singleDate);
    if (dlg.exec() != QDialog::Accepted) return false;
    *first = dlg.DateTimePicker1->date();
    *second = dlg.DateTimePicker2->date();
    return true;
}

void Tseccari::RunReport(ConsoleReport entry)
{
    const int row = cxGrid1->focusedSourceRow();
    const bool focused = row >= 0 && std::size_t(row) < CARILER.rowCount();
    const qint32 carino = focused ? CARILER.int32(std::size_t(row), QStringLiteral("CARINO")) : 0;
    const QString satici = focused ? CARILER.text(std::size_t(row), QStringLiteral("SATICISI")) : QString();
    const ReportPlan plan = PlanReport(entry, focused, carino, satici, bilgim_);
    if (!plan.allowed) return;
    QDate d1, d2;
    if (!askDates(!plan.twoDates, &d1, &d2)) return;
    if (!plan.twoDates) d2 = d1;  // the one chosen date, twice
    FetchReport(plan.raporno, plan.carino, DayNumber(d1), DayNumber(d2), plan.saticiadi);
}

void Tseccari::FetchReport(qint32 raporno, qint32 carino, double tarih1, double tarih2, const QString &saticiadi)
{
    QString folder = GetDocumentsFolder();
    if (folder.isEmpty()) folder = QDir::homePath();
    QDir().mkpath(folder);
    const QString path = ReportFilePath(folder, raporno, carino);
    if (QFile::exists(path)) QFile::remove(path);
    {
        // Opening the connection is not guarded (an unreachable server reaches
        // the general error report); the call and the stream are.
        bag_.Open();
        struct Closer {
            DSConnection &c;
            ~Closer() { c.Close(); }
        } closer{bag_};
        try {
            TServerMethods1Client proxy(bag_);
            qint64 size = 0;
            QIODevice *stream =
                proxy.RaporGetir(raporno, raporno, bilgim_.Sirano(), carino, saticiadi, tarih1, tarih2, size);
            QByteArray data;
            if (size != 0 && ReadAnnouncedStream(stream, size, &data)) {
                QFile out(path);
                if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(data) != data.size() ||
                    !out.flush()) {
                    out.close();
                    QFile::remove(path);  // never leave a half-written report
                }
            }
        } catch (const std::exception &) {
            // Report errors are swallowed: no file, nothing opens.
        }
    }
    if (QFile::exists(path)) QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace tarsel
