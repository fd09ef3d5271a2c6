// The ordering path through the real windows against the real server (demo
// data): sign-in, the start-up batch's filter lists, a search, the stock
// dialog with its pictures, the basket with its totals, the carrier choice,
// the confirmation and the saved order, checked on the server afterwards.

#include "app/badgetabstyle.h"
#include "app/mainwindow.h"
#include "app/pagecontrol.h"
#include "app/processexit.h"
#include "basket/basketlogic.h"
#include "basket/basketpage.h"
#include "basket/installorderingpath.h"
#include "basket/onaysip.h"
#include "basket/orderingpath.h"
#include "basket/orderingtour.h"
#include "basket/radiogroup.h"
#include "catalogue/asyncresim.h"
#include "catalogue/dialogfigures.h"
#include "catalogue/numberbox.h"
#include "catalogue/picturebox.h"
#include "catalogue/promotedpage.h"
#include "catalogue/searchtext.h"
#include "catalogue/stocklistpage.h"
#include "catalogue/stokayarinti.h"
#include "grid/datagrid.h"
#include "grid/gridmodel.h"
#include "history/seccari.h"
#include "remote/application.h"
#include "remote/proxim.h"
#include "signin/girisform.h"
#include "tests/basket/uitestutil.h"
#include "tests/server/clientsettings.h"
#include "tests/server/serverprocess.h"
#include "util/money.h"


#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabBar>
#include <QToolButton>
#include <QTableView>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

using namespace tarsel;
using namespace tarsel::test;

namespace {

const QString kMachine = QStringLiteral("TEST-ORDER-PC");
ServerProcess *g_server = nullptr;

void sql(const QString &statement, const QVariantList &args = {})
{
    QSqlDatabase db = QSqlDatabase::database(QStringLiteral("ordertest"));
    QSqlQuery q(db);
    ASSERT_TRUE(q.prepare(statement));
    for (const QVariant &a : args) q.addBindValue(a);
    ASSERT_TRUE(q.exec());
}

void registerMachine(const char *user)
{
    sql(QStringLiteral("DELETE FROM machines WHERE bilgisayar_id = ?"), {kMachine});
    sql(QStringLiteral("INSERT INTO machines (bilgisayar_id, sirano) SELECT ?, sirano FROM users WHERE adi = ?"),
        {kMachine, QString::fromUtf8(user)});
}

// A connection of the test's own, to look at what the server holds.
std::unique_ptr<DSConnection> Direct()
{
    auto c = std::make_unique<DSConnection>();
    c->HostName = QStringLiteral("127.0.0.1");
    c->Port = QString::number(g_server->port());
    c->Open();
    return c;
}

DataTable ServerBasket(qint32 carino)
{
    auto c = Direct();
    TServerMethods1Client proxy(*c);
    return proxy.SepetVer2(carino);
}

void SignIn(const char *user, QPointer<Tgirisform> *seen = nullptr)
{
    WhenModal<Tgirisform>([user, seen](Tgirisform *g) {
        if (seen) *seen = g;
        g->adi->clear();
        g->sifre->clear();
        QTest::keyClicks(g->adi, QString::fromUtf8(user).toLower());
        QTest::keyClicks(g->sifre, QStringLiteral("1234"));
        g->benihatirla->setChecked(false);
        QMetaObject::invokeMethod(g->Button1, "click", Qt::QueuedConnection);
    });
}

// The grid cell of a table row in a column, as the view shows it.
QPoint CellCentre(DataGrid *grid, int sourceRow, const QString &column)
{
    QTableView *view = grid->view();
    const int viewRow = grid->viewModel()->rowOfSourceRow(sourceRow);
    const QRect r = view->visualRect(view->model()->index(viewRow, grid->columnIndex(column)));
    return r.center();
}

void DoubleClickRow(DataGrid *grid, int sourceRow, const QString &column)
{
    const QPoint p = CellCentre(grid, sourceRow, column);
    QTest::mouseClick(grid->view()->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseDClick(grid->view()->viewport(), Qt::LeftButton, {}, p);
}

void ShowTab(TForm1 &f, QWidget *page)
{
    QTabBar *bar = f.sPageControl1->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(f.sPageControl1->indexOf(page)).center());
}

struct Window {
    TForm1 form;
    OrderingPath *path = nullptr;

    explicit Window(const char *user)
    {
        registerMachine(user);
        path = InstallOrderingPath(form);
    }
    bool start(const char *user)
    {
        SignIn(user);
        if (!form.FormCreate()) return false;
        form.resize(1400, 820);
        form.show();
        form.activateWindow();
        return WaitFor([&] { return form.startupBatchDone(); }, 30000);
    }
};

}  // namespace

TEST(OrderingPath, DealerSearchesAddsAndSendsAnOrder)
{
    Window w("BAYI");
    TForm1 &f = w.form;
    OrderingPath &p = *w.path;
    MessageWatcher messages;
    ASSERT_TRUE(w.start("BAYI"));
    const qint32 carino = f.sbilgi.CARINO();
    ASSERT_GT(carino, 0);

    // The start-up batch filled the two lists, " HEPSİ" first; the sub
    // category list holds " HEPSİ" alone.
    ASSERT_GT(f.comdepartman->count(), 1);
    EXPECT_EQ(f.comdepartman->itemText(0), kAllEntry);
    ASSERT_GT(f.comanagrup->count(), 1);
    EXPECT_EQ(f.comanagrup->itemText(0), kAllEntry);
    ASSERT_EQ(f.comaltgrup->count(), 1);
    EXPECT_EQ(f.comaltgrup->itemText(0), kAllEntry);
    EXPECT_TRUE(f.comdepartman->isEnabled());

    const DataTable before = ServerBasket(carino);
    std::set<qint32> inBasket;
    for (std::size_t r = 0; r < before.rowCount(); ++r) inBasket.insert(before.int32(r, "STOKNO"));

    // The search, typed as a user types it.
    f.araedit->setFocus();
    TypeText(f.araedit, QStringLiteral("fren balatası"));
    QTest::keyClick(f.araedit, Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return !p.search->searching() && p.stockPage->stok.rowCount() > 0; }));
    const DataTable &stok = p.stockPage->stok;
    EXPECT_EQ(f.sPageControl1->tabText(0), QString::number(stok.rowCount()) + "=Stok Listesi");
    EXPECT_TRUE(messages.texts.isEmpty());

    // An item that is not in the basket yet.
    int row = -1;
    for (std::size_t r = 0; r < stok.rowCount() && row < 0; ++r)
        if (!inBasket.count(stok.int32(r, "STOK_STOKNO")) && stok.int32(r, "K") == 0 && stok.int32(r, "RESIM") == 1)
            row = int(r);
    ASSERT_GE(row, 0);
    const qint32 stokno = stok.int32(std::size_t(row), "STOK_STOKNO");
    const DialogFigures expected =
        ComputeDialogFigures(stok.number(std::size_t(row), "FIYAT"), 3,
                             {stok.number(std::size_t(row), "IND1"), stok.number(std::size_t(row), "IND2"),
                              stok.number(std::size_t(row), "IND3"), stok.number(std::size_t(row), "IND4")},
                             stok.number(std::size_t(row), "KDV"));

    bool dialogSeen = false;
    WhenModal<Tstokayarinti>([&](Tstokayarinti *d) {
        dialogSeen = true;
        EXPECT_EQ(d->windowTitle(), "Sepete Ekle");
        EXPECT_EQ(d->barkod->text(), stok.text(std::size_t(row), "BARKOD"));
        EXPECT_EQ(d->adi->text(), stok.text(std::size_t(row), "ADI"));
        EXPECT_TRUE(d->Image1->hasPicture());
        EXPECT_TRUE(WaitFor([&] { return d->AsyncResim1->hasPicture(); }, 10000)) << "the web picture";
        EXPECT_EQ(d->adet->value(), 1);
        EXPECT_TRUE(d->birimfiyat->isReadOnly()) << "a dealer cannot change the price";
        d->adet->setFocus();
        d->adet->selectAll();
        QTest::keyClicks(d->adet, QStringLiteral("3"));
        EXPECT_DOUBLE_EQ(d->geneltutar->value(), expected.lineAmount);
        QTest::mouseClick(d->ParcaliTus1, Qt::LeftButton);
    });
    DoubleClickRow(p.stockPage->cxGrid1, row, "ADI");
    ASSERT_TRUE(dialogSeen);

    // The basket tab: the new line, the totals over the selected lines.
    ShowTab(f, f.ssepet);
    const DataTable &sepet = p.basket->sepet;
    ASSERT_EQ(sepet.rowCount(), before.rowCount() + 1);
    EXPECT_EQ(f.sPageControl1->tabText(1), QString::number(sepet.rowCount()) + "=Sepet");
    EXPECT_EQ(f.Panel1->height(), 50);
    // The logo follows the lower header whole, in proportion, not cut.
    EXPECT_EQ(f.Image1->height(), 50);
    EXPECT_EQ(f.Image1->width(), 421 * 50 / 100);
    const std::optional<std::size_t> line = FindBasketLineOfItem(sepet, stokno);
    ASSERT_TRUE(line);
    EXPECT_DOUBLE_EQ(sepet.number(*line, "MIKTAR"), 3);
    EXPECT_EQ(sepet.int32(*line, "SEC"), 1);
    double T = 0, D = 0, V = 0;
    std::set<qint32> selected;
    for (std::size_t r = 0; r < sepet.rowCount(); ++r) {
        if (sepet.int32(r, "SEC") != 1) continue;
        selected.insert(sepet.int32(r, "SIRANO"));
        T = RoundTo2Decimals(T + sepet.number(r, "TUTAR"));
        D = RoundTo2Decimals(D + sepet.number(r, "INDIRIMTUTAR"));
        V = RoundTo2Decimals(V + sepet.number(r, "VERGITUTARI"));
    }
    ASSERT_LT(selected.size(), sepet.rowCount()) << "the demo basket keeps one line unselected";
    EXPECT_EQ(p.basket->aratoplaml->text(), FormatMoney(T));
    EXPECT_EQ(p.basket->geneltoplaml->text(), FormatMoney(RoundTo2Decimals(V + RoundTo2Decimals(T - D))));
    EXPECT_EQ(p.basket->teslimbox->itemIndex(), 1);

    // Carrier type, carrier, a note of two lines.
    QTest::mouseClick(p.basket->boxkargo->button(0), Qt::LeftButton);
    ASSERT_GT(p.basket->kargocombo->count(), 1);
    p.basket->kargocombo->setFocus();
    QTest::keyClick(p.basket->kargocombo, Qt::Key_Down);
    QTest::keyClick(p.basket->kargocombo, Qt::Key_Down);
    ASSERT_EQ(p.basket->kargocombo->currentIndex(), 1);
    const QString carrier = p.basket->kargocombo->currentText();
    p.basket->aciklamagir->setFocus();
    TypeText(p.basket->aciklamagir, QStringLiteral("Öğleden önce"));
    QTest::keyClick(p.basket->aciklamagir, Qt::Key_Return);
    QTest::keyClicks(p.basket->aciklamagir, QStringLiteral("teslim edin"));

    int ordersBefore = 0;
    {
        auto c = Direct();
        TServerMethods1Client proxy(*c);
        ordersBefore = int(proxy.OncekiSiparisler(carino).rowCount());
    }

    QString summary;
    WhenModal<TONAYSIP>([&](TONAYSIP *d) {
        summary = d->Label2->text();
        QMetaObject::invokeMethod(d->Button1, "click", Qt::QueuedConnection);
    });
    const QString grandTotal = p.basket->geneltoplaml->text();
    QTest::mouseClick(p.basket->Button1, Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return messages.texts.contains(kOrderSentMessage); }));
    EXPECT_TRUE(summary.contains("Tutar    : " + grandTotal)) << summary.toStdString();
    EXPECT_TRUE(summary.contains("Kargo    : " + carrier));

    // The basket was fetched again: only the unselected line is left; the note is empty.
    EXPECT_TRUE(p.basket->aciklamagir->toPlainText().isEmpty());
    EXPECT_EQ(sepet.rowCount(), before.rowCount() + 1 - selected.size());
    for (std::size_t r = 0; r < sepet.rowCount(); ++r) EXPECT_FALSE(selected.count(sepet.int32(r, "SIRANO")));

    // The server holds one new order with exactly the selected lines.
    auto c = Direct();
    TServerMethods1Client proxy(*c);
    const DataTable orders = proxy.OncekiSiparisler(carino);
    ASSERT_EQ(int(orders.rowCount()), ordersBefore + 1);
    qint32 idno = 0;
    for (std::size_t r = 0; r < orders.rowCount(); ++r) idno = std::max(idno, orders.int32(r, "IDNO"));
    const DataTable lines = proxy.SiparisAyrintisi2(carino, idno);
    std::set<qint32> ordered;
    for (std::size_t r = 0; r < lines.rowCount(); ++r) ordered.insert(lines.int32(r, "SIRANO"));
    EXPECT_EQ(ordered, selected);
    for (std::size_t r = 0; r < orders.rowCount(); ++r)
        if (orders.int32(r, "IDNO") == idno) {
            EXPECT_EQ(orders.text(r, "VERENINNOTU"), "Öğleden önce\nteslim edin");
            EXPECT_EQ(orders.text(r, "KARGOADI"), carrier);
        }
    EXPECT_EQ(messages.texts, QStringList({kOrderSentMessage}));
}

TEST(OrderingPath, AnItemInTheBasketOpensItsLineAndTheTabsLoadWhenShown)
{
    Window w("BAYI");
    TForm1 &f = w.form;
    OrderingPath &p = *w.path;
    MessageWatcher messages;
    ASSERT_TRUE(w.start("BAYI"));
    const DataTable basket = ServerBasket(f.sbilgi.CARINO());
    ASSERT_GT(basket.rowCount(), 0u);

    // The campaign and new item tabs fetch their lists every time they are shown.
    int loads = 0;
    QObject::connect(p.newItems, &PromotedItemsPage::loadFinished, [&] { ++loads; });
    QObject::connect(p.campaign, &PromotedItemsPage::loadFinished, [&] { ++loads; });
    ShowTab(f, f.syeniler);
    ASSERT_TRUE(WaitFor([&] { return loads == 1; }));
    EXPECT_EQ(f.sPageControl1->tabText(f.sPageControl1->indexOf(f.syeniler)),
              QString::number(p.newItems->table.rowCount()) + "=Yeni Stoklar");
    ShowTab(f, f.skampanyali);
    ASSERT_TRUE(WaitFor([&] { return loads == 2; }));
    ShowTab(f, f.syeniler);
    ASSERT_TRUE(WaitFor([&] { return loads == 3; }));
    ASSERT_GT(p.campaign->table.rowCount(), 0u);

    // A line of the basket found through the stock list opens for change.
    const QString code = basket.text(0, "BARKOD");
    ShowTab(f, f.sstoklistesi);
    f.araedit->setText(code);
    QTest::mouseClick(f.SpeedButton2, Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !p.search->searching(); }));
    int row = -1;
    for (std::size_t r = 0; r < p.stockPage->stok.rowCount(); ++r)
        if (p.stockPage->stok.int32(r, "STOK_STOKNO") == basket.int32(0, "STOKNO")) row = int(r);
    ASSERT_GE(row, 0);
    int quantity = 0;
    QString priceCaption;
    WhenModal<Tstokayarinti>([&](Tstokayarinti *d) {
        quantity = d->adet->value();
        priceCaption = d->Label2->text();
        QTest::mouseClick(d->ParcaliTus2, Qt::LeftButton);
    });
    p.stockPage->cxGrid1->setFocusedSourceRow(row);
    f.S2->trigger();  // "Sepete Ekle"
    EXPECT_EQ(quantity, int(basket.number(0, "MIKTAR")));
    EXPECT_EQ(priceCaption, "Fiyat:");
    EXPECT_EQ(ServerBasket(f.sbilgi.CARINO()).rowCount(), basket.rowCount()) << "Vazgeç sends nothing";
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST(OrderingPath, SalesStaffChangeALineWithItsOwnRates)
{
    Window w("SATIS");
    TForm1 &f = w.form;
    OrderingPath &p = *w.path;
    MessageWatcher messages;
    WhenModal<Tseccari>([](Tseccari *c) {
        c->sBitBtn2->click();
        for (std::size_t r = 0; r < c->cariler().rowCount(); ++r)
            if (c->cariler().int32(r, "CARINO") == 1201) c->cxGrid1->setFocusedSourceRow(int(r));
        QMetaObject::invokeMethod(c->Button1, "click", Qt::QueuedConnection);
    });
    ASSERT_TRUE(w.start("SATIS"));
    ASSERT_EQ(f.sbilgi.CARINO(), 1201);
    ShowTab(f, f.ssepet);
    DataTable &sepet = p.basket->sepet;
    ASSERT_GT(sepet.rowCount(), 0u);
    const qint32 sirano = sepet.int32(0, "SIRANO");
    const DiscountRates stored{sepet.number(0, "INDIRIMORANI1"), sepet.number(0, "INDIRIMORANI2"),
                               sepet.number(0, "INDIRIMORANI3"), sepet.number(0, "INDIRIMORANI4")};
    ASSERT_GT(stored[0], 0);

    WhenModal<Tstokayarinti>([&](Tstokayarinti *d) {
        EXPECT_FALSE(d->birimfiyat->isReadOnly());
        EXPECT_TRUE(d->GridPanel2->isVisible());
        d->birimfiyat->setFocus();
        d->birimfiyat->selectAll();
        QTest::keyClicks(d->birimfiyat, QStringLiteral("200"));
        d->edindirim[0]->setFocus();
        d->edindirim[0]->selectAll();
        QTest::keyClicks(d->edindirim[0], QStringLiteral("20"));
        d->adet->setFocus();
        d->adet->selectAll();
        QTest::keyClicks(d->adet, QStringLiteral("4"));
        QTest::keyClick(d->adet, Qt::Key_Return);  // Enter in the quantity: OK
    });
    DoubleClickRow(p.basket->cxGrid2, 0, "STOKADI");

    const DataTable after = ServerBasket(1201);
    const std::optional<std::size_t> line = FindBasketLine(after, sirano);
    ASSERT_TRUE(line);
    EXPECT_DOUBLE_EQ(after.number(*line, "MIKTAR"), 4);
    EXPECT_DOUBLE_EQ(after.number(*line, "BIRIMFIYAT"), 200);
    EXPECT_DOUBLE_EQ(after.number(*line, "INDIRIMORANI1"), stored[0]) << "the line's own rates were sent";
    EXPECT_DOUBLE_EQ(after.number(*line, "INDIRIMORANI2"), stored[1]);
    EXPECT_TRUE(messages.texts.isEmpty());
}

// Number of different colours in a sample grid of the picture.
int ColourCount(const QImage &image)
{
    QSet<QRgb> colours;
    const int stepX = qMax(1, image.width() / 60), stepY = qMax(1, image.height() / 60);
    for (int y = 0; y < image.height(); y += stepY)
        for (int x = 0; x < image.width(); x += stepX) colours.insert(image.pixel(x, y));
    return int(colours.size());
}

// The ordering screens of the screenshot tour. The pictures go to
// $TARSEL_ORDER_TOUR_DIR when it is set (to look at them), else to a
// temporary folder; each must be a real picture.
TEST(OrderingPath, ScreenshotTour)
{
    Window w("BAYI");
    QTemporaryDir temporary;
    QString dir = qEnvironmentVariable("TARSEL_ORDER_TOUR_DIR");
    if (dir.isEmpty()) dir = temporary.path();
    QDir().mkpath(dir);
    QStringList saved;
    OrderingTour tour(w.form, *w.path, [&](QWidget *window, const QString &name) {
        const QString file = QStringLiteral("%1/%2-%3.png").arg(dir).arg(saved.size() + 1, 2, 10, QLatin1Char('0')).arg(name);
        EXPECT_TRUE(window->grab().save(file)) << file.toStdString();
        saved << name;
    });
    bool finished = false, ok = false;
    QString why;
    tour.start([&](bool success, const QString &reason) {
        finished = true;
        ok = success;
        why = reason;
    });
    ASSERT_TRUE(w.start("BAYI"));
    ASSERT_TRUE(WaitFor([&] { return finished; }, 240000));
    ASSERT_TRUE(ok) << why.toStdString();
    EXPECT_EQ(saved, QStringList({"stok-listesi-genis", "stok-listesi-dar", "stok-listesi-kisa", "stok-dialog", "sepet",
                                  "sepet-kargo", "siparis-onay", "yeni-stoklar",
                                  "kampanyali-stoklar"}));
    for (const QString &f : QDir(dir).entryList({QStringLiteral("*.png")}, QDir::Files)) {
        const QImage image(dir + QLatin1Char('/') + f);
        ASSERT_FALSE(image.isNull()) << f.toStdString();
        EXPECT_GE(ColourCount(image), 8) << f.toStdString();
    }
}

int main(int argc, char **argv)
{
    QTemporaryDir home;
    UsePrivateHome(home.path());
    // Headless on a screen of a common laptop size, unless a platform is chosen.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen") {
        QFile screen(home.path() + "/screen.json");
        screen.open(QIODevice::WriteOnly);
        screen.write(R"({"screens":[{"name":"s","x":0,"y":0,"width":1366,"height":768,"logicalDpi":96,)"
                     R"("logicalBaseDpi":96,"dpr":1}]})");
        screen.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screen.fileName().toUtf8());
    }

    TApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    InstallProgramStyle();
    QCoreApplication::setApplicationName(QStringLiteral("TarselB2B"));
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
    const QString conf = WriteClientSettings(home.path(), server, kMachine);
    if (conf.isEmpty()) return 1;
    qputenv("TARSEL_CONFIG", conf.toUtf8());

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("ordertest"));
    db.setDatabaseName(server.databasePath());
    if (!db.open()) return 1;
    QSqlQuery(db).exec(QStringLiteral("PRAGMA busy_timeout = 5000"));

    SetEndProcessHook([](int code) { ADD_FAILURE() << "the program was ended with code " << code; });
    const int rc = RUN_ALL_TESTS();
    SetEndProcessHook({});
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("ordertest"));
    g_server = nullptr;
    const int stopped = server.stop();
    return rc != 0 ? rc : (stopped == 0 ? 0 : 1);
}
