// The start-up, sign-in, self-update, request page, customer console and
// exit question through the real windows against the real server (demo
// data), with the settings file in a temporary home folder. Paths that end
// the program are intercepted through the EndProcess hook.

#include "app/badgetabstyle.h"
#include "app/mainwindow.h"
#include "app/pagecontrol.h"
#include "app/processexit.h"
#include "app/webpage/webpage.h"
#include "grid/datagrid.h"
#include "history/seccari.h"
#include "remote/application.h"
#include "remote/proxim.h"
#include "signin/dosyaindir.h"
#include "signin/girisform.h"
#include "signin/istekformu.h"
#include "signin/signindecision.h"
#include "signin/signinsettings.h"
#include "tests/server/clientsettings.h"
#include "tests/server/serverprocess.h"
#include "util/deployment.h"
#include "urlrecorder.h"


#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

using namespace tarsel;
using tarsel::test::ServerProcess;

namespace {

const QString kMachine = QStringLiteral("TEST-APP-PC");
ServerProcess *g_server = nullptr;
QTemporaryDir *g_home = nullptr;
std::vector<int> g_endCodes;

QString homePath(const QString &rel) { return g_home->path() + QLatin1Char('/') + rel; }
QString settingsFile() { return homePath(QStringLiteral(".config/tarselotomotiv/ayar.ini")); }

void sql(const QString &statement, const QVariantList &args = {})
{
    QSqlDatabase db = QSqlDatabase::database(QStringLiteral("apptest"));
    QSqlQuery q(db);
    ASSERT_TRUE(q.prepare(statement)) << q.lastError().text().toStdString();
    for (const QVariant &a : args) q.addBindValue(a);
    ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
}

void registerMachine(const char *user)
{
    sql(QStringLiteral("DELETE FROM machines WHERE bilgisayar_id = ?"), {kMachine});
    sql(QStringLiteral("INSERT INTO machines (bilgisayar_id, sirano) SELECT ?, sirano FROM users WHERE adi = ?"),
        {kMachine, QString::fromUtf8(user)});
}

void clickLater(QAbstractButton *b) { QMetaObject::invokeMethod(b, "click", Qt::QueuedConnection); }

QAbstractButton *buttonWithText(QWidget *w, const QString &text)
{
    for (auto *b : w->findChildren<QAbstractButton *>())
        if (b->text() == text) return b;
    return nullptr;
}

// Waits (processing events) until `condition` holds; false at the time-out.
// (QtTest's QTRY macros report to QtTest, not to this test runner.)
bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

// Drives modal windows as they come: each step waits for a modal window of
// its type; message boxes that no step waits for are answered with their
// only/escape button and recorded.
class ModalScript : public QObject {
public:
    ModalScript()
    {
        connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
        timer_.start(20);
    }
    template <class T> ModalScript &then(std::function<void(T *)> f)
    {
        steps_.push_back({[](QWidget *w) { return qobject_cast<T *>(w) != nullptr; },
                          [f](QWidget *w) { f(static_cast<T *>(w)); }});
        return *this;
    }
    bool done() const { return next_ == steps_.size(); }
    void stop() { timer_.stop(); }
    QStringList messages;
    QStringList titles;

private:
    struct Step {
        std::function<bool(QWidget *)> match;
        std::function<void(QWidget *)> run;
    };
    void tick()
    {
        QWidget *m = QApplication::activeModalWidget();
        if (!m || !m->isVisible()) return;
        for (const QPointer<QWidget> &h : handled_)
            if (h == m) return;
        if (next_ < steps_.size() && steps_[next_].match(m)) {
            handled_.push_back(m);
            Step s = steps_[next_++];
            s.run(m);
            return;
        }
        if (auto *box = qobject_cast<QMessageBox *>(m)) {
            handled_.push_back(m);
            messages << box->text();
            titles << box->windowTitle();
            QAbstractButton *b = box->escapeButton();
            if (!b && !box->buttons().isEmpty()) b = box->buttons().first();
            clickLater(b);
        }
    }
    QTimer timer_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    std::vector<QPointer<QWidget>> handled_;
};

// The sign-in step: types as a person would (small letters become capitals)
// and presses "Giriş".
std::function<void(Tgirisform *)> typeAndSignIn(const QString &name, const QString &password, bool remember = true,
                                                QPointer<Tgirisform> *keep = nullptr)
{
    return [=](Tgirisform *g) {
        if (keep) *keep = g;
        g->adi->clear();
        g->sifre->clear();
        QTest::keyClicks(g->adi, name.toLower());
        QTest::keyClicks(g->sifre, password);
        g->benihatirla->setChecked(remember);
        clickLater(g->Button1);
    };
}

class AppWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_endCodes.clear();
        ClearEndProcessRequest();
        QFile::remove(settingsFile());
        registerMachine("BAYI");
    }
    void TearDown() override { ClearEndProcessRequest(); }

    // Waits until the start-up batch of a signed-in window has ended.
    static void waitForBatch(TForm1 &form) { ASSERT_TRUE(waitFor([&] { return form.startupBatchDone(); }, 20000)); }
};

}  // namespace

TEST_F(AppWindows, DealerOfType3SignsInWithoutStatusColumnOrReports)
{
    ModalScript script;
    script.then<Tgirisform>(typeAndSignIn(QStringLiteral("BAYI"), QStringLiteral("1234")));
    TForm1 form;
    ASSERT_TRUE(form.FormCreate());
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(g_endCodes.empty());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Tarsel Otomotiv B2B Programı"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("Tarsel Otomotiv B2B"));
    EXPECT_EQ(form.sbilgi.ADI(), QStringLiteral("BAYI"));
    EXPECT_EQ(form.sbilgi.MusteriTipi(), 3);
    EXPECT_EQ(form.sbilgi.BILGISAYARID(), kMachine);
    EXPECT_EQ(form.sbilgi.Disip(), QStringLiteral("127.0.0.1"));  // what ip.php saw
    EXPECT_EQ(form.bagc.Port, QString::number(g_server->port()));

    // Adapted: no customer button, no reports, the basket's status column gone.
    EXPECT_TRUE(form.musteritus->isHidden());
    EXPECT_FALSE(form.R1->isVisible());
    EXPECT_TRUE(form.sPageControl1->isTabVisible(form.sPageControl1->indexOf(form.skampanyali)));
    DataGrid basket;
    basket.setColumns({GridColumn::text(QStringLiteral("DURUM"), QStringLiteral("Durum")),
                       GridColumn::text(QStringLiteral("KALAN"), QStringLiteral("Kalan")).hidden()});
    form.RegisterGridView(kBasketView, &basket);
    EXPECT_FALSE(basket.isColumnVisible(QStringLiteral("DURUM")));
    EXPECT_FALSE(basket.isColumnVisible(QStringLiteral("KALAN")));

    // The filter lists stay disabled until the batch has ended; then the header shows the session.
    waitForBatch(form);
    EXPECT_TRUE(form.comdepartman->isEnabled());
    EXPECT_EQ(form.kullanicilbl->text(), QStringLiteral("BAYI"));
    EXPECT_EQ(form.cariadilbl->text(), form.sbilgi.CariAdi());
    EXPECT_EQ(form.saticilbl->text(), form.sbilgi.SaticiAdi() + " Telefonu: " + form.sbilgi.SaticiTelefon() +
                                          " email: " + form.sbilgi.SaticiMail());
    EXPECT_FALSE(form.cariadilbl->text().isEmpty());

    // The settings file holds what was typed (in capitals).
    const RememberedSignIn saved = LoadSignInSettings(settingsFile());
    EXPECT_TRUE(saved.fileFound);
    EXPECT_EQ(saved.name, QStringLiteral("BAYI"));
    EXPECT_EQ(saved.password, QStringLiteral("1234"));
    EXPECT_TRUE(saved.remember);
}

TEST_F(AppWindows, DealerOfType4HasNoCampaignTabOrColumns)
{
    registerMachine("BAYI4");
    ModalScript script;
    script.then<Tgirisform>(typeAndSignIn(QStringLiteral("BAYI4"), QStringLiteral("1234")));
    TForm1 form;
    DataGrid stock;  // registered before the sign-in: adapted when the plan is made
    stock.setColumns({GridColumn::text(QStringLiteral("KAMPFIYAT"), QStringLiteral("Kampanyalı Fiyat")),
                      GridColumn::text(QStringLiteral("K"), QStringLiteral("Kampanyalı")),
                      GridColumn::text(QStringLiteral("ADI"), QStringLiteral("Açıklama"))});
    form.RegisterGridView(kStockView, &stock);
    ASSERT_TRUE(form.FormCreate());
    EXPECT_EQ(form.sbilgi.MusteriTipi(), 4);
    EXPECT_FALSE(form.sPageControl1->isTabVisible(form.sPageControl1->indexOf(form.skampanyali)));
    EXPECT_FALSE(stock.isColumnVisible(QStringLiteral("KAMPFIYAT")));
    EXPECT_FALSE(stock.isColumnVisible(QStringLiteral("K")));
    EXPECT_TRUE(stock.isColumnVisible(QStringLiteral("ADI")));
    EXPECT_FALSE(form.R1->isVisible());
    EXPECT_TRUE(form.musteritus->isHidden());
    waitForBatch(form);
}

TEST_F(AppWindows, SalesStaffChooseACustomerFirstAndCanSwitchLater)
{
    registerMachine("SATIS");
    ModalScript script;
    bool mainShownDuringConsole = true;
    qint32 chosen = 0;
    QString chosenName;
    TForm1 form;
    script.then<Tgirisform>(typeAndSignIn(QStringLiteral("SATIS"), QStringLiteral("1234")))
        .then<Tseccari>([&](Tseccari *c) {
            mainShownDuringConsole = form.isVisible();
            EXPECT_EQ(c->windowTitle(), QStringLiteral("Cari Seçimi"));
            EXPECT_EQ(c->goruldutus->toolTip(), QStringLiteral("Görülen Siparişler"));
            EXPECT_FALSE(c->alinditus->text().isEmpty());  // counts fetched before it showed
            c->sBitBtn2->click();                          // "Tüm Carileri Listeler"
            ASSERT_GT(c->cariler().rowCount(), 1u);
            c->cxGrid1->setFocusedSourceRow(1);
            EXPECT_TRUE(c->cariBilgileri->isVisible());
            chosen = c->cariler().int32(1, QStringLiteral("CARINO"));
            chosenName = c->cariler().text(1, QStringLiteral("CARIADI"));
            EXPECT_EQ(c->cariadi->text(), chosenName);
            clickLater(c->Button1);  // "Seç"
        });
    ASSERT_TRUE(form.FormCreate());
    EXPECT_TRUE(script.done());
    EXPECT_FALSE(mainShownDuringConsole);
    EXPECT_EQ(form.sbilgi.MusteriTipi(), 1);
    EXPECT_EQ(form.sbilgi.CARINO(), chosen);
    EXPECT_EQ(form.sbilgi.CariAdi(), chosenName);
    EXPECT_FALSE(form.musteritus->isHidden());
    EXPECT_EQ(form.musteritus->text(), QStringLiteral("Başka Cari Seç"));
    form.show();
    EXPECT_TRUE(form.R1->isVisible());
    EXPECT_EQ(form.R1->text(), QStringLiteral("Raporlar"));
    waitForBatch(form);
    EXPECT_EQ(form.cariadilbl->text(), chosenName);

    // "Başka Cari Seç": another account; the window follows it.
    script.stop();
    form.sPageControl1->setCurrentWidget(form.ssepet);
    qint32 second = 0;
    QString secondName;
    ModalScript again;
    again.then<Tseccari>([&](Tseccari *c) {
        c->sBitBtn2->click();
        c->cxGrid1->setFocusedSourceRow(0);
        second = c->cariler().int32(0, QStringLiteral("CARINO"));
        secondName = c->cariler().text(0, QStringLiteral("CARIADI"));
        clickLater(c->Button1);
    });
    clickLater(form.musteritus);
    ASSERT_TRUE(waitFor([&] { return form.cariadilbl->text() == secondName && !secondName.isEmpty(); }, 20000));
    EXPECT_EQ(form.sbilgi.CARINO(), second);
    EXPECT_NE(second, chosen);
    EXPECT_EQ(form.sPageControl1->currentWidget(), form.sstoklistesi);
    EXPECT_EQ(form.sPageControl1->tabText(0), QStringLiteral("0=Stok Listesi"));
    EXPECT_TRUE(g_endCodes.empty());
}

TEST_F(AppWindows, WrongPasswordWarnsAndWritesNothing)
{
    ModalScript script;
    QPointer<Tgirisform> signIn;
    script.then<Tgirisform>(typeAndSignIn(QStringLiteral("BAYI"), QStringLiteral("9999"), true, &signIn))
        .then<QMessageBox>([&](QMessageBox *box) {
            script.messages << box->text();
            script.titles << box->windowTitle();
            clickLater(buttonWithText(box, QStringLiteral("Tamam")));
            // Back in the window: "Giriş" enabled again, then "Vazgeç" ends the program.
            QTimer::singleShot(300, [&] {
                EXPECT_TRUE(signIn->Button1->isEnabled());
                clickLater(signIn->Button2);
            });
        });
    TForm1 form;
    EXPECT_FALSE(form.FormCreate());
    ASSERT_EQ(script.messages.size(), 1);
    EXPECT_EQ(script.messages[0], kMsgWrongCredentials);
    EXPECT_EQ(script.titles[0], QStringLiteral("Uyarı"));
    ASSERT_FALSE(g_endCodes.empty());
    EXPECT_EQ(g_endCodes[0], 0);
    EXPECT_FALSE(QFile::exists(settingsFile()));
    EXPECT_FALSE(form.isVisible());
}

TEST_F(AppWindows, InactiveUserIsRefusedButTheSettingsAreWritten)
{
    sql(QStringLiteral("UPDATE users SET aktif = 0 WHERE adi = 'BAYI'"));
    ModalScript script;
    QPointer<Tgirisform> signIn;
    script.then<Tgirisform>(typeAndSignIn(QStringLiteral("BAYI"), QStringLiteral("1234"), false, &signIn))
        .then<QMessageBox>([&](QMessageBox *box) {
            script.messages << box->text();
            clickLater(buttonWithText(box, QStringLiteral("Tamam")));
            QTimer::singleShot(300, [&] { clickLater(signIn->Button2); });
        });
    TForm1 form;
    const bool ok = form.FormCreate();
    sql(QStringLiteral("UPDATE users SET aktif = 1 WHERE adi = 'BAYI'"));
    EXPECT_FALSE(ok);
    ASSERT_EQ(script.messages.size(), 1);
    EXPECT_EQ(script.messages[0], kMsgWrongCredentials);
    ASSERT_TRUE(QFile::exists(settingsFile()));
    QFile f(settingsFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("[kullanici]\nisim=BAYI\nsifre=1234\nhatırla=0\n"));
    ASSERT_FALSE(g_endCodes.empty());
    EXPECT_EQ(g_endCodes[0], 0);
}

TEST_F(AppWindows, UnknownMachineGetsTheRequestPageThenTheProgramEnds)
{
    sql(QStringLiteral("DELETE FROM machines WHERE bilgisayar_id = ?"), {kMachine});
    ModalScript script;
    QString title, address;
    QSize size;
    bool loaded = false, engine = false;
    script.then<Tgirisform>(typeAndSignIn(QStringLiteral("BAYI"), QStringLiteral("1234")))
        .then<TIstekFormu>([&](TIstekFormu *page) {
            title = page->windowTitle();
            size = page->size();
            address = page->WebBrowser1->url().toString(QUrl::FullyDecoded);
            engine = page->WebBrowser1->engineAvailable();
            loaded = QTest::qWaitFor([&] { return page->WebBrowser1->loadDone(); }, 30000) &&
                     page->WebBrowser1->loadSucceeded();
            EXPECT_TRUE(g_endCodes.empty());  // nothing ends before "Kapat"
            clickLater(page->Kapat);
        });
    TForm1 form;
    EXPECT_FALSE(form.FormCreate());
    EXPECT_TRUE(script.done());
    EXPECT_EQ(title, QStringLiteral("Tarsel Otomotiv B2B İstek Formu"));
    EXPECT_EQ(size, QSize(780, 555));
    EXPECT_EQ(address, Deployment().webSiteBase + QStringLiteral("formmailgonder.aspx?carino=0&kullanici= &id=") +
                           kMachine);
    EXPECT_TRUE(engine) << "the browser module could not be loaded";
    EXPECT_TRUE(loaded);
    ASSERT_FALSE(g_endCodes.empty());
    EXPECT_EQ(g_endCodes[0], 0);
    EXPECT_FALSE(QFile::exists(settingsFile()));
    EXPECT_FALSE(form.isVisible());
}

TEST_F(AppWindows, OtherVersionOnTheServerDownloadsAndStartsTheInstallerBeforeCredentialsAreCompared)
{
    sql(QStringLiteral("UPDATE users SET versiyon = 7 WHERE adi = 'BAYI'"));
    const QString log = homePath(QStringLiteral(".local/share/tarselotomotiv/setup-ran.log"));
    QFile::remove(log);
    ModalScript script;
    // The download starts as soon as the window shows and may end before a
    // script step sees it: its texts are taken when it is shown.
    struct ShowWatcher : QObject {
        QString notice, title;
        bool eventFilter(QObject *o, QEvent *e) override
        {
            if (e->type() == QEvent::Show)
                if (auto *w = qobject_cast<Tdosyaindir *>(o)) {
                    notice = w->sLabel1->text();
                    title = w->windowTitle();
                }
            return false;
        }
    } watcher;
    qApp->installEventFilter(&watcher);
    // A wrong password: the update comes first all the same.
    script.then<Tgirisform>(typeAndSignIn(QStringLiteral("BAYI"), QStringLiteral("0000")));
    TForm1 form;
    const bool ok = form.FormCreate();
    sql(QStringLiteral("UPDATE users SET versiyon = 8 WHERE adi = 'BAYI'"));
    EXPECT_FALSE(ok);
    qApp->removeEventFilter(&watcher);
    EXPECT_TRUE(watcher.notice.endsWith(QStringLiteral("Version: 7-8"))) << watcher.notice.toStdString();
    EXPECT_EQ(watcher.title, QStringLiteral("Dosya İndir"));
    EXPECT_TRUE(script.messages.isEmpty()) << script.messages.join('|').toStdString();
    ASSERT_FALSE(g_endCodes.empty());
    EXPECT_EQ(g_endCodes[0], 0);
    const QString installer = InstallerPath();
    EXPECT_TRUE(installer.startsWith(g_home->path()));
    ASSERT_TRUE(QFile::exists(installer));
    EXPECT_TRUE(QFileInfo(installer).isExecutable());
    // The demo installer notes its arguments.
    ASSERT_TRUE(waitFor([&] { return QFile::exists(log); }, 10000));
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("/silent"));
    EXPECT_FALSE(QFile::exists(settingsFile()));
}

TEST_F(AppWindows, WithoutRememberMeTheNextStartShowsEmptyFields)
{
    {
        ModalScript script;
        script.then<Tgirisform>(typeAndSignIn(QStringLiteral("BAYI"), QStringLiteral("1234"), false));
        TForm1 form;
        ASSERT_TRUE(form.FormCreate());
        waitForBatch(form);
    }
    QFile f(settingsFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("[kullanici]\nisim=BAYI\nsifre=1234\nhatırla=0\n"));
    DSConnection conn;
    TSonucBilgisi session;
    Tgirisform next(nullptr, conn, session);
    EXPECT_TRUE(next.adi->text().isEmpty());
    EXPECT_TRUE(next.sifre->text().isEmpty());
    EXPECT_FALSE(next.benihatirla->isChecked());

    // With the box checked, the fields come back.
    ASSERT_TRUE(SaveSignInSettings(settingsFile(), QStringLiteral("BAYI"), QStringLiteral("1234"), true));
    Tgirisform third(nullptr, conn, session);
    EXPECT_EQ(third.adi->text(), QStringLiteral("BAYI"));
    EXPECT_EQ(third.sifre->text(), QStringLiteral("1234"));
    EXPECT_TRUE(third.benihatirla->isChecked());
}

TEST_F(AppWindows, DecliningTheCustomerChoiceEndsTheProgram)
{
    registerMachine("TEMSILCI");
    ModalScript script;
    script.then<Tgirisform>(typeAndSignIn(QStringLiteral("TEMSILCI"), QStringLiteral("1234")))
        .then<Tseccari>([&](Tseccari *c) { clickLater(c->Button2); });  // "Vazgeç"
    TForm1 form;
    EXPECT_FALSE(form.FormCreate());
    EXPECT_TRUE(script.done());
    ASSERT_FALSE(g_endCodes.empty());
    EXPECT_EQ(g_endCodes[0], 0);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.startupBatchRunning() || form.startupBatchDone());
}

TEST_F(AppWindows, ExitQuestionHayirKeepsEverythingEvetEnds)
{
    ModalScript signIn;
    signIn.then<Tgirisform>(typeAndSignIn(QStringLiteral("BAYI"), QStringLiteral("1234")));
    TForm1 form;
    ASSERT_TRUE(form.FormCreate());
    signIn.stop();
    form.show();
    waitForBatch(form);
    form.sPageControl1->setCurrentWidget(form.sccariekstre);
    const QString labelBefore = form.cariadilbl->text();

    QString text, title;
    QStringList buttons;
    bool evetFocused = false;
    ModalScript hayir;
    hayir.then<QMessageBox>([&](QMessageBox *box) {
        text = box->text();
        title = box->windowTitle();
        for (auto *b : box->buttons()) buttons << b->text();
        evetFocused = box->focusWidget() && qobject_cast<QAbstractButton *>(box->focusWidget()) &&
                      static_cast<QAbstractButton *>(box->focusWidget())->text() == QStringLiteral("Evet");
        clickLater(buttonWithText(box, QStringLiteral("Hayır")));
    });
    QMetaObject::invokeMethod(form.G1, "trigger", Qt::QueuedConnection);  // "Çıkış"
    ASSERT_TRUE(waitFor([&] { return hayir.done() && !QApplication::activeModalWidget(); }, 10000));
    QTest::qWait(100);
    EXPECT_EQ(text, kExitQuestion);
    EXPECT_EQ(title, QStringLiteral("Soru"));
    EXPECT_EQ(buttons.size(), 2);
    EXPECT_TRUE(buttons.contains(QStringLiteral("Evet")) && buttons.contains(QStringLiteral("Hayır")));
    EXPECT_TRUE(evetFocused);
    EXPECT_TRUE(g_endCodes.empty());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.sPageControl1->currentWidget(), form.sccariekstre);
    EXPECT_EQ(form.cariadilbl->text(), labelBefore);

    hayir.stop();
    ModalScript evet;
    evet.then<QMessageBox>([&](QMessageBox *box) { clickLater(buttonWithText(box, QStringLiteral("Evet"))); });
    QMetaObject::invokeMethod(&form, "close", Qt::QueuedConnection);
    ASSERT_TRUE(waitFor([&] { return !g_endCodes.empty(); }, 10000));
    EXPECT_EQ(g_endCodes, std::vector<int>{0});
}

TEST_F(AppWindows, EnterInEmptyFieldsWarnsAndKeepsTheFocus)
{
    DSConnection conn;
    TSonucBilgisi session;
    Tgirisform g(nullptr, conn, session);
    g.show();
    QApplication::setActiveWindow(&g);
    g.adi->setFocus();
    ModalScript script;
    QStringList texts;
    auto answer = [&](QMessageBox *box) {
        texts << box->text();
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        clickLater(box->buttons().first());
    };
    script.then<QMessageBox>(answer).then<QMessageBox>(answer);
    QTest::keyClick(g.adi, Qt::Key_Return);
    ASSERT_TRUE(waitFor([&] { return texts.size() == 1; }, 5000));
    EXPECT_EQ(texts[0], kMsgEnterUserName);
    EXPECT_EQ(g.focusWidget(), g.adi);

    QTest::keyClicks(g.adi, QStringLiteral("bayi"));
    EXPECT_EQ(g.adi->text(), QStringLiteral("BAYI"));  // capitals while typing
    QTest::keyClick(g.adi, Qt::Key_Return);
    EXPECT_EQ(g.focusWidget(), g.sifre);
    QTest::keyClick(g.sifre, Qt::Key_Return);
    ASSERT_TRUE(waitFor([&] { return texts.size() == 2; }, 5000));
    EXPECT_EQ(texts[1], kMsgEnterPassword);
    EXPECT_EQ(g.focusWidget(), g.sifre);
    EXPECT_EQ(g.Button1->text(), QStringLiteral("Giriş"));  // Enter did not sign in
    EXPECT_FALSE(g.attemptRunning());
}

TEST_F(AppWindows, ConsoleReportIsSavedInTheDocumentsFolderAndOpened)
{
    DSConnection conn;
    conn.HostName = QStringLiteral("127.0.0.1");
    conn.Port = QString::number(g_server->port());
    // The session of a signed-in sales person, as the server knows it.
    registerMachine("SATIS");
    TSonucBilgisi session;
    {
        conn.Open();
        TServerMethods1Client proxy(conn);
        session.Kopyala(*proxy.BuyukGetir(kMachine));
        conn.Close();
    }
    ASSERT_EQ(session.MusteriTipi(), 1);
    Tseccari c(nullptr, conn, session);
    int asked = 0;
    bool single = false;
    c.askDates = [&](bool oneDate, QDate *a, QDate *b) {
        ++asked;
        single = oneDate;
        *a = QDate(2024, 1, 1);
        *b = QDate(2024, 12, 31);
        return true;
    };
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");

    c.sBitBtn2->click();  // "Tüm Carileri Listeler"
    ASSERT_GT(c.cariler().rowCount(), 0u);
    c.cxGrid1->setFocusedSourceRow(0);
    const qint32 carino = c.cariler().int32(0, QStringLiteral("CARINO"));
    ASSERT_GT(carino, 0);
    const QString file = QDir::homePath() + QStringLiteral("/Documents/rapor%1.pdf").arg(6 + carino);
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile stale(file);  // a stale report of the same name goes first
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("old");
    stale.close();

    c.C1->trigger();  // "Cari Özeti Göster"
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(single);
    ASSERT_TRUE(QFile::exists(file));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("%PDF"));
    ASSERT_EQ(recorder.urls.size(), 1);
    EXPECT_EQ(recorder.urls[0], QUrl::fromLocalFile(file));

    // A date dialog closed without "Seç" does nothing.
    c.askDates = [](bool, QDate *, QDate *) { return false; };
    QFile::remove(file);
    c.C1->trigger();
    EXPECT_FALSE(QFile::exists(file));
}

TEST(BadgeStyle, EveryTabControlDrawsTheBadgeInTheCorner)
{
    QTabWidget tabs;  // a plain tab control: the program's style draws the badges
    tabs.setStyle(QApplication::style());
    const QStringList captions = {QStringLiteral("12=Kampanyalı"), QStringLiteral("0=Stok Listesi"),
                                  QStringLiteral("Sepet"), QStringLiteral("2,5=Bakiyeler")};
    for (const QString &c : captions) tabs.addTab(new QWidget, c);
    tabs.resize(900, 200);
    tabs.show();
    QTest::qWait(50);
    const QImage image = tabs.grab().toImage();
    QTabBar *bar = tabs.tabBar();
    auto badgePixels = [&](int index) {
        const QRect r = bar->tabRect(index).translated(bar->mapTo(&tabs, QPoint(0, 0)));
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor px = image.pixelColor(x, y);
                if (qAbs(px.red() - 30) < 40 && qAbs(px.green() - 180) < 40 && qAbs(px.blue() - 223) < 40) ++n;
            }
        return n;
    };
    EXPECT_GT(badgePixels(0), 5);
    EXPECT_EQ(badgePixels(1), 0);
    EXPECT_EQ(badgePixels(2), 0);
    EXPECT_GT(badgePixels(3), 5);
    // The tab is sized for the title and the badge, not for the raw caption.
    EXPECT_LT(bar->tabRect(1).width(), bar->fontMetrics().horizontalAdvance(QStringLiteral("0=Stok Listesi")) + 30);
    if (!qEnvironmentVariableIsEmpty("TARSEL_SAVE_BADGE_PNG"))
        image.save(qEnvironmentVariable("TARSEL_SAVE_BADGE_PNG"));
}

// ------------------------------------------------------------ set-up

int main(int argc, char **argv)
{
    // A home of its own: the settings file, the documents and the installer go there.
    QTemporaryDir home;
    g_home = &home;
    test::UsePrivateHome(home.path());
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");

    PrepareWebEngine();
    TApplication app(argc, argv);
    InstallProgramStyle();
    ::testing::InitGoogleTest(&argc, argv);

    ServerProcess server;
    try {
        server.start({QStringLiteral("--demo"), QStringLiteral("--machine"), kMachine});
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    g_server = &server;

    // The deployment settings point at this server; this machine's own
    // identifier is made the test machine's.
    const QString conf = test::WriteClientSettings(home.path(), server, kMachine);
    if (conf.isEmpty()) return 1;
    qputenv("TARSEL_CONFIG", conf.toUtf8());

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("apptest"));
    db.setDatabaseName(server.databasePath());
    if (!db.open()) {
        std::fprintf(stderr, "cannot open the test database\n");
        return 1;
    }
    QSqlQuery(db).exec(QStringLiteral("PRAGMA busy_timeout = 5000"));

    SetEndProcessHook([](int code) { g_endCodes.push_back(code); });
    const int rc = RUN_ALL_TESTS();
    SetEndProcessHook({});
    db.close();
    QSqlDatabase::removeDatabase(QStringLiteral("apptest"));
    g_server = nullptr;
    const int stopped = server.stop();
    return rc != 0 ? rc : (stopped == 0 ? 0 : 1);
}
