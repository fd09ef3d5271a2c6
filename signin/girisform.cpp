#include "signin/girisform.h"

#include "app/appicons.h"
#include "app/processexit.h"
#include "app/uppercaseedit.h"
#include "history/seccari.h"
#include "remote/proxim.h"
#include "remote/remotecall.h"
#include "signin/dosyaindir.h"
#include "signin/istekformu.h"
#include "signin/outsideaddress.h"
#include "signin/signindecision.h"
#include "signin/signinsettings.h"
#include "util/deployment.h"
#include "util/gifresim.h"
#include "util/machineid.h"
#include "util/messagebox.h"

#include <QCheckBox>
#include <QGraphicsDropShadowEffect>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace tarsel {

namespace {

// The seller's contact block at the bottom of the window.
const char *const kContactBlock =
    "Tarsel Otomotiv San. ve Tic. A.Ş.\n"
    "Oto Sanayi Sitesi 14. Blok No: 7 Bursa\n"
    "Tel: 0 (224) 555 42 42\n"
    "E-posta: b2b@tarselotomotiv.com.tr";

}  // namespace

Tgirisform::Tgirisform(QWidget *owner, DSConnection &bagim, TSonucBilgisi &Bilgim)
    : QDialog(owner), bagim_(bagim), Bilgim_(Bilgim), abandon_(std::make_shared<std::atomic<bool>>(false))
{
    setObjectName(QStringLiteral("girisform"));
    setWindowTitle(kSignInCaption);
    setModal(true);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(13);
    f.setBold(true);
    setFont(f);
    setFixedSize(368, 550);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 368, 550);
    Image1->setPixmap(AppPixmap(QStringLiteral("giris-arka-plan"), QSize(368, 550), devicePixelRatioF()));

    Label1 = new QLabel(QStringLiteral(" Kullanıcı Adı:"), this);
    Label1->setGeometry(44, 206, 280, 20);
    adi = new QLineEdit(this);
    adi->setObjectName(QStringLiteral("adi"));
    adi->setGeometry(44, 228, 280, 30);
    MakeUpperCase(adi);

    Label2 = new QLabel(QStringLiteral(" Şifre:"), this);
    Label2->setGeometry(44, 268, 280, 20);
    sifre = new QLineEdit(this);
    sifre->setObjectName(QStringLiteral("sifre"));
    sifre->setGeometry(44, 290, 280, 30);
    sifre->setEchoMode(QLineEdit::Password);
    MakeUpperCase(sifre);

    benihatirla = new QCheckBox(QStringLiteral("Beni hatırla"), this);
    benihatirla->setObjectName(QStringLiteral("benihatirla"));
    benihatirla->setGeometry(44, 330, 280, 22);
    benihatirla->setChecked(true);

    Button1 = new QPushButton(kSignInButton, this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(44, 364, 118, 36);
    RxGIFAnimator1 = TGifResim::busyIndicator(this);
    RxGIFAnimator1->setObjectName(QStringLiteral("RxGIFAnimator1"));
    RxGIFAnimator1->setGeometry(168, 366, 32, 32);
    RxGIFAnimator1->hide();
    Button2 = new QPushButton(QStringLiteral("Vazgeç"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(206, 364, 118, 36);
    for (QPushButton *b : {Button1, Button2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    RxLabel1 = new QLabel(QString::fromUtf8(kContactBlock), this);
    RxLabel1->setObjectName(QStringLiteral("RxLabel1"));
    RxLabel1->setGeometry(8, 430, 352, 112);
    RxLabel1->setAlignment(Qt::AlignCenter);
    RxLabel1->setWordWrap(true);
    QFont cf(QStringLiteral("Arial"));
    cf.setPixelSize(15);
    cf.setBold(true);
    RxLabel1->setFont(cf);
    QPalette cp = RxLabel1->palette();
    cp.setColor(QPalette::WindowText, Qt::black);
    RxLabel1->setPalette(cp);
    auto *shadow = new QGraphicsDropShadowEffect(RxLabel1);
    shadow->setColor(Qt::white);
    shadow->setOffset(1, 1);
    shadow->setBlurRadius(0);
    RxLabel1->setGraphicsEffect(shadow);

    setTabOrder(Button1, Button2);
    setTabOrder(Button2, benihatirla);
    setTabOrder(benihatirla, adi);
    setTabOrder(adi, sifre);

    adi->installEventFilter(this);
    sifre->installEventFilter(this);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });

    if (QScreen *s = QGuiApplication::primaryScreen()) move(s->availableGeometry().center() - rect().center());
    customerChoice = [this] { return runCustomerChoice(); };
    FormCreate();
    adi->setFocus();
}

Tgirisform::~Tgirisform()
{
    // A query or lookup still running is abandoned; its continuation is skipped.
    *abandon_ = true;
}

void Tgirisform::FormCreate()
{
    idsi = GetComputerId();
    loadSettings();
}

void Tgirisform::loadSettings()
{
    const RememberedSignIn r = LoadSignInSettings(SignInSettingsPath());
    if (!r.fileFound) return;
    benihatirla->setChecked(r.remember);
    if (r.remember) {
        adi->setText(r.name);
        sifre->setText(r.password);
    }
}

void Tgirisform::warnEmpty(QLineEdit *field, const QString &text)
{
    PlayKindSound(MsgKind::Error);
    QMessageBox::warning(this, QString(), text);
    field->selectAll();
    field->setFocus();
}

bool Tgirisform::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == adi || watched == sifre) && event->type() == QEvent::KeyPress) {
        const auto *k = static_cast<QKeyEvent *>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            if (watched == adi) {
                if (TrimBlank(adi->text()).isEmpty()) warnEmpty(adi, kMsgEnterUserName);
                else {
                    sifre->selectAll();
                    sifre->setFocus();
                }
            } else {
                if (TrimBlank(sifre->text()).isEmpty()) warnEmpty(sifre, kMsgEnterPassword);
                else if (Button1->isEnabled()) Button1Click();
            }
            return true;  // the key is swallowed either way
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tgirisform::Button1Click()
{
    if (attemptRunning_) return;
    attemptRunning_ = true;
    Button1->setText(kSignInButtonBusy);
    Button1->setEnabled(false);
    RxGIFAnimator1->GosterAnim();

    struct State {
        QString address;
    };
    auto state = std::make_shared<State>();
    auto abandon = abandon_;
    OutsideAddressQuery query;
    query.cancelled = [abandon] { return abandon->load(); };
    RunInBackground([state, query] { state->address = query.run(); },
                    [this, state, abandon] {
                        if (*abandon) return;
                        Button1->setText(kSignInButtonAfterQuery);
                        RxGIFAnimator1->GizleDurdur();
                        Devamet(state->address);
                    },
                    this);
}

void Tgirisform::Button2Click()
{
    *abandon_ = true;
    EndProcess(0);
    reject();  // only reached when the end is intercepted (tests)
}

void Tgirisform::endAttempt(bool selectUserName)
{
    attemptRunning_ = false;
    Button1->setEnabled(true);
    if (selectUserName) {
        adi->selectAll();
        adi->setFocus();
    }
}

void Tgirisform::Devamet(const QString &address)
{
    if (TrimBlank(address).isEmpty()) {
        ShowMessageBox(kMsgNoOutsideAddress, MsgKind::Error, MsgButton::Ok, 0, MsgButton::Ok, this);
        endAttempt(false);
        return;
    }
    Bilgim_.setDisip(address);
    bagim_.HostName = Deployment().serverHost;
    lookup();
}

void Tgirisform::lookup()
{
    struct State {
        bool failed = false;
        std::shared_ptr<TSonucBilgisi> record = std::make_shared<TSonucBilgisi>();
    };
    auto state = std::make_shared<State>();
    auto abandon = abandon_;
    // The private copy is made here, on the user-interface thread, from the
    // description the main window owns.
    std::shared_ptr<DSConnection> conn(bagim_.CloneDescription().release());
    const QString id = idsi;
    state->record->Kopyala(Bilgim_);

    RunInBackground(
        [state, conn, id, abandon] {
            if (!OpenConnectionWithRetry(*conn, false)) {
                state->failed = true;
                return;
            }
            try {
                TServerMethods1Client proxy(*conn);
                TSonucBilgisi *rec = proxy.BuyukGetir(id);
                if (!rec) state->failed = true;
                else state->record->Kopyala(*rec);
            } catch (const std::exception &e) {
                const QString text = QString::fromUtf8(e.what());
                RunOnUserInterfaceThread(
                    [&] { ShowMessageBox(text, MsgKind::Custom, MsgButton::Ok, 0, MsgButton::Ok); });
                state->failed = true;
            }
            conn->Close();
            if (state->failed) return;
            // This machine's identity, whatever the server's record says.
            TSonucBilgisi &r = *state->record;
            r.setBilgiSayarAdi(GetMachineName());
            r.setBilgisayarKullanici(GetOsUserName());
            r.setIcip(GetLocalIPv4());
            r.setBILGISAYARID(GetComputerId());
            OutsideAddressQuery again;
            again.cancelled = [abandon] { return abandon->load(); };
            r.setDisip(again.run());
        },
        [this, state, abandon] {
            if (*abandon) return;
            if (!state->failed) Bilgim_.Kopyala(*state->record);
            try {
                decide(state->failed, state->record, false);
            } catch (const std::exception &e) {
                endAttempt(true);
                ReportUnhandledError(QString::fromUtf8(e.what()));
            }
        },
        this);
}

void Tgirisform::decide(bool lookupFailed, const std::shared_ptr<TSonucBilgisi> &record, bool updateRefused)
{
    const SignInDecision d = DecideSignIn(lookupFailed, Bilgim_, adi->text(), sifre->text(), updateRefused);
    switch (d) {
    case SignInDecision::LookupFailed:
        ShowMessageBox(kMsgLookupFailed, MsgKind::Error, MsgButton::Ok, 0, MsgButton::Ok, this);
        endAttempt(true);
        return;
    case SignInDecision::SelfUpdate: {
        Tdosyaindir update(this, Bilgim_.Version());
        update.exec();
        if (EndProcessRequested()) {
            reject();
            return;
        }
        decide(lookupFailed, record, true);  // it never returns in a real run; if it does, go on
        return;
    }
    case SignInDecision::UnknownMachine: {
        auto *page = new TIstekFormu(this, idsi);
        page->exec();
        delete page;  // the web page goes before anything else
        EndProcess(0);
        reject();
        return;
    }
    case SignInDecision::Accepted:
    case SignInDecision::Inactive: {
        QString error;
        if (!SaveSignInSettings(SignInSettingsPath(), adi->text(), sifre->text(), benihatirla->isChecked(), &error))
            ReportUnhandledError(error);
        if (d == SignInDecision::Inactive) {
            ShowMessageBox(kMsgWrongCredentials, MsgKind::Warning, MsgButton::Ok, 0, MsgButton::Ok, this);
            endAttempt(true);
            return;
        }
        if (IsSalesStaff(Bilgim_.MusteriTipi()) && !customerChoice()) {
            EndProcess(0);
            reject();
            return;
        }
        attemptRunning_ = false;
        accept();
        return;
    }
    case SignInDecision::WrongCredentials:
        ShowMessageBox(kMsgWrongCredentials, MsgKind::Warning, MsgButton::Ok, 0, MsgButton::Ok, this);
        endAttempt(true);
        return;
    }
}

bool Tgirisform::runCustomerChoice()
{
    Tseccari console(this, bagim_, Bilgim_);
    // The counts are fetched before the console shows; a failing count is
    // reported and the console opens all the same.
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
    return console.exec() == QDialog::Accepted;
}

}  // namespace tarsel
