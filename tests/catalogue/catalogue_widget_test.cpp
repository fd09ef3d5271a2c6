// The catalogue's windows and their calls, against a stand-in server that
// records every call: the search group, the filter lists, the stock list's
// width rule and price cell, the new and campaign tabs, the stock dialog's
// keys and figures, and the two picture sources.

#include "catalogue/asyncresim.h"
#include "catalogue/numberbox.h"
#include "catalogue/promotedpage.h"
#include "catalogue/searchtext.h"
#include "catalogue/serverpicture.h"
#include "catalogue/stockcolumns.h"
#include "catalogue/stocklistpage.h"
#include "catalogue/stocksearch.h"
#include "catalogue/stokayarinti.h"
#include "grid/datagrid.h"
#include "remote/baglantiu.h"
#include "remote/dsconnection.h"
#include "remote/remotecall.h"
#include "tests/basket/standinserver.h"
#include "tests/basket/uitestutil.h"
#include "util/gifresim.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QJsonObject>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

using namespace tarsel;
using namespace tarsel::test;

namespace {

QByteArray ImageBytes(const char *format, QSize size = QSize(40, 30), QColor colour = Qt::red)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    img.save(&b, format);
    return bytes;
}

// Stock rows as the server sends them (the columns the client reads).
DataTable StockTable(int rows)
{
    DataTable t;
    const std::pair<const char *, FieldType> cols[] = {
        {"STOK_STOKNO", FieldType::Int32}, {"BARKOD", FieldType::String},     {"ADI", FieldType::String},
        {"MARKA", FieldType::String},      {"FINISHKOD", FieldType::String},  {"MODEL", FieldType::String},
        {"KDV", FieldType::Float64},       {"K", FieldType::Int32},           {"FIYAT", FieldType::Float64},
        {"IND1", FieldType::Float64},      {"IND2", FieldType::Float64},      {"IND3", FieldType::Float64},
        {"IND4", FieldType::Float64},      {"INDIRIMYAZI", FieldType::String}, {"LISTEFIYAT1", FieldType::Float64},
        {"KAMPFIYAT", FieldType::Float64}, {"NETFIYAT", FieldType::Float64},  {"KDVDAHIL", FieldType::Float64},
        {"DURUM", FieldType::Int32},       {"RESIM", FieldType::Int32},
    };
    for (const auto &[n, type] : cols) t.addColumn(QLatin1String(n), type);
    for (int i = 0; i < rows; ++i)
        t.appendRow({1000 + i, QStringLiteral("B%1").arg(i), QStringLiteral("FREN BALATASI %1").arg(i),
                     QStringLiteral("TOROS"), QStringLiteral("F%1").arg(i), QStringLiteral("DOBLO"), 20.0, 0, 100.0,
                     10.0, 5.0, 0.0, 0.0, QStringLiteral("10+5"), 100.0, 0.0, 85.5, 102.6, 1, 1});
    return t;
}

class StandIn : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.start();
        bagc.HostName = QStringLiteral("127.0.0.1");
        bagc.Port = QString::number(server.port());
        bagc.ConnectTimeoutMs = 300;
        sbilgi.setCARINO(1201);
        sbilgi.setSirano(5);
        sbilgi.setMusteriTipi(3);
    }
    StandInServer server;
    DSConnection bagc;
    TSonucBilgisi sbilgi;
};

// The main window's search group, as far as the search uses it.
struct SearchGroup {
    QWidget window;
    QTabWidget *tabs = new QTabWidget(&window);
    QWidget *stockTab = new QWidget;
    QGroupBox *group = new QGroupBox(QStringLiteral("Ürün Arama"), &window);
    StockFilterControls c;
    StockListPage *page = nullptr;

    SearchGroup()
    {
        tabs->addTab(stockTab, kStockTabTitle);
        tabs->addTab(new QWidget, QStringLiteral("Sepet"));
        c.group = group;
        c.comdepartman = new QComboBox(group);
        c.comanagrup = new QComboBox(group);
        c.comaltgrup = new QComboBox(group);
        c.chkampanya = new QCheckBox(group);
        c.chyeniurun = new QCheckBox(group);
        c.chstoktaolanlar = new QCheckBox(group);
        c.chresmiolanlar = new QCheckBox(group);
        c.araedit = new QLineEdit(group);
        c.SpeedButton2 = new QPushButton(QStringLiteral("Ara"), group);
        c.SpeedButton1 = new QPushButton(QStringLiteral("Temizle"), group);
        c.gifstokara = TGifResim::busyIndicator(&window);
        c.gifstokara->hide();
        c.tabs = tabs;
        c.stockTab = stockTab;
        page = new StockListPage(stockTab);
        c.comdepartman->addItems({kAllEntry, QStringLiteral("BOSCH"), QStringLiteral("TOROS")});
        c.comanagrup->addItems({kAllEntry, QStringLiteral("FREN SİSTEMİ")});
        c.comaltgrup->addItem(kAllEntry);
    }
};

QString StockCaption(const SearchGroup &g) { return g.tabs->tabText(0); }

}  // namespace

// ---------------------------------------------------------------- search

TEST_F(StandIn, SearchSendsTheNormalisedTextTheListTextsAndTheFlags)
{
    server.on("StokAraGetirEFS", [](const QJsonArray &) { return StandInServer::TableAnswer(9, StockTable(25)); });
    SearchGroup g;
    StockSearch search(g.c, g.page, bagc, sbilgi);
    g.tabs->setCurrentIndex(1);
    g.c.araedit->setText(QStringLiteral("  fren balatası "));
    g.c.comdepartman->setCurrentIndex(2);
    g.c.chstoktaolanlar->setChecked(true);
    g.c.chresmiolanlar->setChecked(true);

    QTest::keyClick(g.c.araedit, Qt::Key_Return);
    EXPECT_EQ(g.tabs->currentIndex(), 0) << "the stock tab becomes active";
    ASSERT_TRUE(WaitFor([&] { return !search.searching(); }));

    const auto calls = server.callsOf("StokAraGetirEFS");
    ASSERT_EQ(calls.size(), 1u);
    const QJsonArray p = calls[0].params;
    EXPECT_EQ(p[0].toString(), "FREN BALATASI");
    EXPECT_EQ(p[1].toString(), "TOROS");
    EXPECT_EQ(p[2].toString(), kAllEntry) << "\" HEPSİ\" is sent as its text";
    EXPECT_EQ(p[3].toString(), kAllEntry);
    EXPECT_EQ(p[4].toBool(), false);
    EXPECT_EQ(p[5].toBool(), false);
    EXPECT_EQ(p[6].toBool(), true);
    EXPECT_EQ(p[7].toBool(), true);
    EXPECT_EQ(p[8].toObject().value("fields").toObject().value("FCARINO").toInt(), 1201);

    EXPECT_EQ(g.page->stok.rowCount(), 25u);
    EXPECT_EQ(StockCaption(g), "25=Stok Listesi");
    EXPECT_TRUE(g.group->isEnabled());
    EXPECT_FALSE(g.c.gifstokara->isVisible());
    EXPECT_EQ(g.c.araedit->selectedText(), g.c.araedit->text());
    EXPECT_EQ(g.page->stok.column("FIYAT")->displayFormat, "#,###,##0.00");
}

TEST_F(StandIn, TooFewLettersWarnUnlessAListIsChosen)
{
    server.on("StokAraGetirEFS", [](const QJsonArray &) { return StandInServer::TableAnswer(9, StockTable(1)); });
    SearchGroup g;
    StockSearch search(g.c, g.page, bagc, sbilgi);
    MessageWatcher messages;
    const struct {
        const char *text;
        int manufacturer;
        bool searches;
    } cases[] = {{"ab", 0, false}, {"   ", 0, false}, {"ab", 1, true}};
    int expectedCalls = 0;
    for (const auto &c : cases) {
        messages.texts.clear();
        messages.titles.clear();
        g.c.araedit->setText(QString::fromUtf8(c.text));
        g.c.comdepartman->setCurrentIndex(c.manufacturer);
        QTest::mouseClick(qobject_cast<QPushButton *>(g.c.SpeedButton2), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return !search.searching() && (c.searches || !messages.texts.isEmpty()); }));
        if (c.searches) {
            ++expectedCalls;
            EXPECT_TRUE(messages.texts.isEmpty()) << c.text;
            EXPECT_EQ(server.callsOf("StokAraGetirEFS").back().params[0].toString(), "AB");
        } else {
            EXPECT_EQ(messages.texts, QStringList({kTooFewLettersMessage})) << c.text;
            EXPECT_EQ(messages.titles, QStringList({"Uyarı"}));
        }
        EXPECT_EQ(int(server.callsOf("StokAraGetirEFS").size()), expectedCalls) << c.text;
    }
}

TEST_F(StandIn, TheGroupIsDisabledWhileTheSearchRuns)
{
    std::mutex m;
    std::condition_variable cv;
    bool release = false;
    server.on("StokAraGetirEFS", [&](const QJsonArray &) {
        std::unique_lock<std::mutex> lock(m);
        cv.wait(lock, [&] { return release; });
        return StandInServer::TableAnswer(9, StockTable(3));
    });
    SearchGroup g;
    g.window.show();
    StockSearch search(g.c, g.page, bagc, sbilgi);
    g.c.araedit->setText(QStringLiteral("fren"));
    ASSERT_TRUE(search.AraBul());
    ASSERT_TRUE(WaitFor([&] { return server.callsOf("StokAraGetirEFS").size() == 1; }));
    EXPECT_FALSE(g.group->isEnabled());
    EXPECT_FALSE(g.c.araedit->isEnabled());
    EXPECT_TRUE(g.c.gifstokara->isVisible());
    EXPECT_FALSE(search.AraBul()) << "a second search does not start meanwhile";
    {
        std::lock_guard<std::mutex> lock(m);
        release = true;
    }
    cv.notify_all();
    ASSERT_TRUE(WaitFor([&] { return !search.searching(); }));
    EXPECT_TRUE(g.group->isEnabled());
    EXPECT_FALSE(g.c.gifstokara->isVisible());
    EXPECT_EQ(StockCaption(g), "3=Stok Listesi");
    EXPECT_EQ(server.callsOf("StokAraGetirEFS").size(), 1u);
}

TEST_F(StandIn, AnAccountChangeDuringASearchDropsItsRows)
{
    // The previous account's list is on show; a new search is under way when
    // sales staff switch to another account.
    std::mutex m;
    std::condition_variable cv;
    bool hold = false, release = false;
    server.on("StokAraGetirEFS", [&](const QJsonArray &) {
        std::unique_lock<std::mutex> lock(m);
        cv.wait(lock, [&] { return !hold || release; });
        return StandInServer::TableAnswer(9, StockTable(5));
    });
    SearchGroup g;
    g.window.show();
    StockSearch search(g.c, g.page, bagc, sbilgi);
    g.c.araedit->setText(QStringLiteral("fren"));
    ASSERT_TRUE(search.AraBul());
    ASSERT_TRUE(WaitFor([&] { return !search.searching(); }));
    ASSERT_EQ(g.page->stok.rowCount(), 5u);

    hold = true;
    ASSERT_TRUE(search.AraBul());
    ASSERT_TRUE(WaitFor([&] { return server.callsOf("StokAraGetirEFS").size() == 2; }));
    search.ClearList();  // what the account switch does
    search.setTabCaption(QStringLiteral("0=Stok Listesi"));
    {
        std::lock_guard<std::mutex> lock(m);
        release = true;
    }
    cv.notify_all();
    ASSERT_TRUE(WaitFor([&] { return !search.searching(); }));
    EXPECT_EQ(g.page->stok.rowCount(), 0u) << "rows priced for the previous account";
    EXPECT_EQ(g.page->cxGrid1->view()->model()->rowCount(), 0);
    EXPECT_EQ(StockCaption(g), "0=Stok Listesi");
    EXPECT_TRUE(g.group->isEnabled());

    // The next search shows its rows again.
    ASSERT_TRUE(search.AraBul());
    ASSERT_TRUE(WaitFor([&] { return !search.searching(); }));
    EXPECT_EQ(g.page->stok.rowCount(), 5u);
    EXPECT_EQ(StockCaption(g), "5=Stok Listesi");
}

TEST_F(StandIn, AFailedSearchEmptiesTheListOnceWithTheConnectionMessage)
{
    bool fail = false;
    server.on("StokAraGetirEFS", [&](const QJsonArray &) {
        if (fail) throw std::runtime_error("veritabanı hatası");
        return StandInServer::TableAnswer(9, StockTable(4));
    });
    SearchGroup g;
    StockSearch search(g.c, g.page, bagc, sbilgi);
    MessageWatcher messages;
    g.c.araedit->setText(QStringLiteral("fren"));
    g.c.chkampanya->setChecked(true);
    search.AraBul();
    ASSERT_TRUE(WaitFor([&] { return !search.searching(); }));
    ASSERT_EQ(g.page->stok.rowCount(), 4u);

    fail = true;
    search.AraBul();
    ASSERT_TRUE(WaitFor([&] { return !search.searching() && !messages.texts.isEmpty(); }));
    EXPECT_EQ(messages.texts, QStringList({kConnectionFailedMessage}));
    EXPECT_EQ(messages.titles, QStringList({"Hata"}));
    EXPECT_EQ(g.page->stok.rowCount(), 0u);
    EXPECT_EQ(StockCaption(g), "Stok Listesi");
    EXPECT_TRUE(g.c.chkampanya->isChecked()) << "the filters stay as they were";
    EXPECT_TRUE(g.group->isEnabled());
}

TEST_F(StandIn, ClearBeforeAnySearchKeepsTheCaptionAndCallsNothing)
{
    SearchGroup g;
    StockSearch search(g.c, g.page, bagc, sbilgi);
    g.c.araedit->setText(QStringLiteral("fren"));
    g.c.comanagrup->setCurrentIndex(1);
    g.c.comdepartman->setCurrentIndex(2);
    for (QCheckBox *b : {g.c.chkampanya, g.c.chyeniurun, g.c.chstoktaolanlar, g.c.chresmiolanlar}) b->setChecked(true);
    g.tabs->setCurrentIndex(1);
    QTest::mouseClick(qobject_cast<QPushButton *>(g.c.SpeedButton1), Qt::LeftButton);
    EXPECT_EQ(StockCaption(g), "Stok Listesi");
    EXPECT_FALSE(g.page->stokOpen);
    EXPECT_EQ(g.tabs->currentIndex(), 0);
    EXPECT_TRUE(g.c.araedit->text().isEmpty());
    EXPECT_EQ(g.c.comanagrup->currentIndex(), 0);
    EXPECT_EQ(g.c.comdepartman->currentIndex(), 0);
    EXPECT_EQ(g.c.comaltgrup->currentIndex(), 0);
    for (QCheckBox *b : {g.c.chkampanya, g.c.chyeniurun, g.c.chstoktaolanlar, g.c.chresmiolanlar})
        EXPECT_FALSE(b->isChecked());
    EXPECT_TRUE(server.calls().empty()) << "no sub category reload, no search";
}

TEST_F(StandIn, ClearAfterASearchEmptiesTheList)
{
    server.on("StokAraGetirEFS", [](const QJsonArray &) { return StandInServer::TableAnswer(9, StockTable(7)); });
    SearchGroup g;
    StockSearch search(g.c, g.page, bagc, sbilgi);
    g.c.araedit->setText(QStringLiteral("fren"));
    search.AraBul();
    ASSERT_TRUE(WaitFor([&] { return !search.searching(); }));
    ASSERT_EQ(StockCaption(g), "7=Stok Listesi");
    search.SpeedButton1Click();
    EXPECT_EQ(g.page->stok.rowCount(), 0u);
    EXPECT_EQ(StockCaption(g), "Stok Listesi");
    EXPECT_EQ(g.page->cxGrid1->view()->model()->rowCount(), 0);
}

TEST_F(StandIn, FilterListsFromTheStartUpTaskAndTheSubCategoryReload)
{
    server.on("DepartmanlariVer",
              [](const QJsonArray &) { return StandInServer::TextAnswer(0, QStringLiteral(" HEPSİ|BOSCH||TOROS")); });
    server.on("AnaGrupVer",
              [](const QJsonArray &) { return StandInServer::TextAnswer(0, QStringLiteral(" HEPSİ|FREN SİSTEMİ|MOTOR")); });
    server.on("AltGrupVer",
              [](const QJsonArray &) { return StandInServer::TextAnswer(1, QStringLiteral(" HEPSİ|FREN BALATASI")); });
    SearchGroup g;
    g.c.comdepartman->clear();
    g.c.comanagrup->clear();
    g.c.comaltgrup->clear();
    StockSearch search(g.c, g.page, bagc, sbilgi);
    bool done = false;
    RunInBackground(
        [&] {
            search.DepartmanDoldur();
            search.AnaGrupDoldur();
        },
        [&] { done = true; });
    ASSERT_TRUE(WaitFor([&] { return done; }));
    ASSERT_EQ(g.c.comdepartman->count(), 4) << "empty entries are kept";
    EXPECT_EQ(g.c.comdepartman->itemText(2), QString());
    EXPECT_EQ(g.c.comdepartman->currentIndex(), 0);
    EXPECT_EQ(g.c.comanagrup->count(), 3);
    EXPECT_EQ(g.c.comanagrup->currentIndex(), 0);
    ASSERT_EQ(g.c.comaltgrup->count(), 1);
    EXPECT_EQ(g.c.comaltgrup->itemText(0), kAllEntry);

    // A user's choice of a main category reloads the sub categories...
    g.c.comanagrup->setCurrentIndex(1);
    Q_EMIT g.c.comanagrup->activated(1);
    ASSERT_EQ(server.callsOf("AltGrupVer").size(), 1u);
    EXPECT_EQ(server.callsOf("AltGrupVer")[0].params[0].toString(), "FREN SİSTEMİ");
    EXPECT_EQ(g.c.comaltgrup->count(), 2);
    EXPECT_EQ(g.c.comaltgrup->currentIndex(), 0);
    // ... " HEPSİ" does so without a server call.
    g.c.comanagrup->setCurrentIndex(0);
    Q_EMIT g.c.comanagrup->activated(0);
    EXPECT_EQ(server.callsOf("AltGrupVer").size(), 1u);
    ASSERT_EQ(g.c.comaltgrup->count(), 1);
    EXPECT_EQ(g.c.comaltgrup->itemText(0), kAllEntry);
}

// ---------------------------------------------------------------- stock list layout and price cell

TEST(StockListLayout, WideAndNarrowWindows)
{
    StockListPage page;
    page.resize(1380, 600);
    page.cxGrid1->resize(1380, 600);
    page.LayoutStockColumns(1153);
    EXPECT_TRUE(page.cxGrid1->isColumnVisible("NETFIYAT"));
    EXPECT_FALSE(page.cxGrid1->isColumnVisible(kPriceInfoColumn));
    const char *shown[] = {"BARKOD", "ADI", "MARKA", "URETICIKODU", "BIRIM", "RESIM", "NETFIYAT", "DURUM"};
    const int widths[] = {180, 360, 180, 180, 90, 90, 180, 90};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(page.cxGrid1->columnWidth(QLatin1String(shown[i])), widths[i]) << shown[i];

    page.LayoutStockColumns(1152);
    for (const char *f : {"KDVDAHIL", "NETFIYAT", "KAMPFIYAT", "LISTEFIYAT1"})
        EXPECT_FALSE(page.cxGrid1->isColumnVisible(QLatin1String(f))) << f;
    EXPECT_TRUE(page.cxGrid1->isColumnVisible(kPriceInfoColumn));
    EXPECT_EQ(page.cxGrid1->columnWidth(kPriceInfoColumn), kPriceInfoWidth);
    EXPECT_EQ(page.cxGrid1->columnWidth("OEM1"), kNarrowOemWidth);
    EXPECT_EQ(page.cxGrid1->options().rowHeight, 50);
}

TEST(PriceCellPainting, RowColours)
{
    GridTheme theme;
    theme.selectionColor = QColor(1, 2, 3);
    theme.contentEvenColor = QColor(10, 20, 30);
    theme.contentOddColor = QColor(40, 50, 60);
    const struct {
        int viewRow;
        bool selected;
        QColor expected;
    } cases[] = {{0, false, theme.contentEvenColor},
                 {1, false, theme.contentOddColor},
                 {2, false, theme.contentEvenColor},
                 {1, true, theme.selectionColor},
                 {0, true, theme.selectionColor}};
    for (const auto &c : cases) {
        QImage img(150, 50, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        GridCellState st;
        st.viewRow = c.viewRow;
        st.selected = c.selected;
        st.theme = &theme;
        st.font = QFont();
        PaintPriceCell(&p, img.rect(), GridRow(), st);
        p.end();
        EXPECT_EQ(QColor(img.pixel(1, 1)), c.expected) << c.viewRow << ' ' << c.selected;
    }
}

// ---------------------------------------------------------------- new and campaign tabs

TEST_F(StandIn, PromotedTabsLoadEveryTimeTheyAreShown)
{
    server.on("YenilerVer2", [](const QJsonArray &) { return StandInServer::TableAnswer(1, StockTable(6)); });
    server.on("KampanyaliVer2", [](const QJsonArray &) { return StandInServer::TableAnswer(2, StockTable(2)); });
    sbilgi.setMusteriTipi(4);
    QTabWidget tabs;
    auto *newTab = new QWidget;
    auto *campaignTab = new QWidget;
    tabs.addTab(newTab, QStringLiteral("Yeni Stoklar"));
    tabs.addTab(campaignTab, QStringLiteral("Kampanyalı Stoklar"));
    PromotedItemsPage news(PromotedList::NewItems, bagc, sbilgi, newTab);
    PromotedItemsPage campaign(PromotedList::Campaign, bagc, sbilgi, campaignTab);
    news.setTab(&tabs, newTab);
    campaign.setTab(&tabs, campaignTab);

    int loads = 0;
    QObject::connect(&news, &PromotedItemsPage::loadFinished, [&] { ++loads; });
    QObject::connect(&campaign, &PromotedItemsPage::loadFinished, [&] { ++loads; });
    ASSERT_TRUE(news.ShowTab());
    ASSERT_TRUE(WaitFor([&] { return loads == 1; }));
    ASSERT_TRUE(news.ShowTab());
    ASSERT_TRUE(WaitFor([&] { return loads == 2; }));
    ASSERT_TRUE(campaign.ShowTab());
    ASSERT_TRUE(WaitFor([&] { return loads == 3; }));

    const auto newCalls = server.callsOf("YenilerVer2");
    ASSERT_EQ(newCalls.size(), 2u);
    EXPECT_EQ(newCalls[0].params[0].toInt(), 1201);
    const auto campaignCalls = server.callsOf("KampanyaliVer2");
    ASSERT_EQ(campaignCalls.size(), 1u);
    EXPECT_EQ(campaignCalls[0].params[0].toInt(), 1201);
    EXPECT_EQ(campaignCalls[0].params[1].toInt(), 4) << "the user type is sent as satici";
    EXPECT_EQ(tabs.tabText(0), "6=Yeni Stoklar");
    EXPECT_EQ(tabs.tabText(1), "2=Kampanyalı");
    EXPECT_TRUE(news.grid->isEnabled());
    EXPECT_EQ(news.table.column("NETFIYAT")->displayFormat, "#,###,##0.00");
}

TEST_F(StandIn, APromotedTabThatCannotConnectKeepsItsRowsAndCaption)
{
    server.on("YenilerVer2", [](const QJsonArray &) { return StandInServer::TableAnswer(1, StockTable(3)); });
    QTabWidget tabs;
    auto *newTab = new QWidget;
    tabs.addTab(newTab, QStringLiteral("Yeni Stoklar"));
    PromotedItemsPage news(PromotedList::NewItems, bagc, sbilgi, newTab);
    news.setTab(&tabs, newTab);
    bool finished = false, failed = false;
    QObject::connect(&news, &PromotedItemsPage::loadFinished, [&](bool f) {
        finished = true;
        failed = f;
    });
    news.ShowTab();
    ASSERT_TRUE(WaitFor([&] { return finished; }));
    ASSERT_FALSE(failed);
    server.stop();
    MessageWatcher messages;
    finished = false;
    news.ShowTab();
    ASSERT_TRUE(WaitFor([&] { return finished && !messages.texts.isEmpty(); }, 30000));
    EXPECT_TRUE(failed);
    EXPECT_EQ(messages.texts, QStringList({kConnectionFailedMessage}));
    EXPECT_EQ(news.table.rowCount(), 3u);
    EXPECT_EQ(tabs.tabText(0), "3=Yeni Stoklar");
    EXPECT_TRUE(news.grid->isEnabled());
}

// ---------------------------------------------------------------- stock dialog

namespace {

struct DialogCase {
    double price;
    DiscountRates rates;
    double vat;
};

void FillDialog(Tstokayarinti &d, const DialogCase &c, bool editable)
{
    DialogContent content;
    content.price = c.price;
    content.rates = c.rates;
    content.vatRate = c.vat;
    content.editable = editable;
    content.rateBoxesShown = editable;
    d.Fill(content);
}

void TypeQuantity(Tstokayarinti &d, const QString &text)
{
    d.adet->setFocus();
    d.adet->selectAll();
    QTest::keyClick(d.adet, Qt::Key_Backspace);
    QTest::keyClicks(d.adet, text);
}

}  // namespace

TEST(StockDialog, FiguresFollowTheQuantity)
{
    Tstokayarinti d(nullptr, 0);
    FillDialog(d, {100, {10, 5, 0, 0}, 20}, false);
    d.show();
    EXPECT_TRUE(d.indtutar->isVisibleTo(&d)) << "rates above 1 show the discount row";
    TypeQuantity(d, QStringLiteral("3"));
    EXPECT_DOUBLE_EQ(d.geneltutar->value(), 307.80);
    EXPECT_DOUBLE_EQ(d.indtutar->value(), 43.5);
    EXPECT_DOUBLE_EQ(d.kdvdahiltutar->value(), 102.60);
    EXPECT_FALSE(d.kdvdahiltutar->isVisibleTo(&d));
    TypeQuantity(d, QStringLiteral("0"));
    EXPECT_DOUBLE_EQ(d.geneltutar->value(), 0);
    d.close();
}

TEST(StockDialog, SmallRatesHideTheRowButStillApply)
{
    Tstokayarinti d(nullptr, 0);
    FillDialog(d, {10, {0.5, 0.5, 0, 0}, 20}, false);
    d.show();
    EXPECT_FALSE(d.indtutar->isVisibleTo(&d));
    EXPECT_FALSE(d.indirimoran->isVisibleTo(&d));
    EXPECT_DOUBLE_EQ(d.geneltutar->value(), 11.88);
}

TEST(StockDialog, F4StripsTheTaxInEveryBoxForEveryUser)
{
    for (bool editable : {true, false}) {
        Tstokayarinti d(nullptr, 0);
        FillDialog(d, {120, {0, 0, 0, 0}, 20}, editable);
        d.show();
        TNumberBox *boxes[] = {d.birimfiyat, d.geneltutar};
        QTest::keyClick(boxes[editable ? 0 : 1], Qt::Key_F4);
        EXPECT_DOUBLE_EQ(d.birimfiyat->value(), 100) << editable;
        EXPECT_DOUBLE_EQ(d.geneltutar->value(), 120) << editable;
        EXPECT_TRUE(d.isVisible()) << "F4 does not close the dialog";
    }
}

TEST(StockDialog, SalesStaffTypeAPriceAndTheFiguresFollow)
{
    Tstokayarinti d(nullptr, 0);
    FillDialog(d, {100, {10, 0, 0, 0}, 0}, true);
    d.show();
    EXPECT_FALSE(d.birimfiyat->isReadOnly());
    EXPECT_TRUE(d.GridPanel2->isVisibleTo(&d));
    d.birimfiyat->setFocus();
    d.birimfiyat->selectAll();
    QTest::keyClicks(d.birimfiyat, QStringLiteral("50"));
    EXPECT_DOUBLE_EQ(d.birimfiyat->value(), 50);
    EXPECT_DOUBLE_EQ(d.geneltutar->value(), 45);
    d.edindirim[1]->setFocus();
    d.edindirim[1]->selectAll();
    QTest::keyClicks(d.edindirim[1], QStringLiteral("10"));
    EXPECT_DOUBLE_EQ(d.geneltutar->value(), 40.5);
}

TEST(StockDialog, EnterInTheQuantityAddsEnterInThePriceDoesNothing)
{
    {
        Tstokayarinti d(nullptr, 0);
        FillDialog(d, {100, {}, 20}, true);
        d.show();
        QTest::keyClick(d.birimfiyat, Qt::Key_Return);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.result(), 0);
        QTest::keyClick(d.adet, Qt::Key_Return);
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(d.result(), QDialog::Accepted);
    }
    {
        Tstokayarinti d(nullptr, 0);
        d.show();
        QTest::mouseClick(d.ParcaliTus2, Qt::LeftButton);
        EXPECT_EQ(d.result(), QDialog::Rejected);
    }
}

TEST(StockDialog, TheOrderQuantityMustBeANumber)
{
    Tstokayarinti d(nullptr, 0);
    d.show();
    TypeQuantity(d, QStringLiteral("12"));
    EXPECT_DOUBLE_EQ(d.quantityForOrder(), 12);
    TypeQuantity(d, QString());
    EXPECT_THROW(d.quantityForOrder(), std::invalid_argument);
}

TEST(StockDialog, WebPictureAddress)
{
    EXPECT_TRUE(WebPictureUrl(1204).endsWith("resimgoster.ashx?id=1204"));
}

// ---------------------------------------------------------------- pictures

TEST(WebPicture, ContentTypes)
{
    const struct {
        const char *type;
        const char *format;
    } cases[] = {{"image/png", "PNG"},  {"image/JPEG", "JPEG"}, {"image/jpg", "JPEG"},  {"image/bmp", "BMP"},
                 {"IMAGE/PNG", "PNG"},  {"text/html", nullptr}, {"image/gif", nullptr},
                 {"image/jpeg; charset=utf-8", nullptr},         {"", nullptr}};
    for (const auto &c : cases) {
        const char *f = PictureFormatForContentType(QLatin1String(c.type));
        if (c.format) {
            EXPECT_STREQ(f, c.format) << c.type;
        } else {
            EXPECT_EQ(f, nullptr) << c.type;
        }
    }
}

TEST(WebPicture, DownloadsShowsAndIgnoresWhatIsNoPicture)
{
    StandInServer web;
    auto picture = [](const char *type, QByteArray bytes) {
        return [type, bytes] {
            StandInServer::Response r;
            r.contentType = type;
            r.body = bytes.toStdString();
            return r;
        };
    };
    web.onGet("/p.png", picture("image/png", ImageBytes("PNG")));
    web.onGet("/p.jpg", picture("image/JPEG", ImageBytes("JPEG")));
    web.onGet("/p.html", picture("text/html", "<html></html>"));
    web.onGet("/p.bad", picture("image/png", "not a picture"));
    web.onGet("/p.empty", picture("image/png", ""));
    web.start();
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(web.port());
    const struct {
        const char *path;
        bool shown;
    } cases[] = {{"/p.png", true}, {"/p.jpg", true}, {"/p.html", false}, {"/p.bad", false}, {"/p.empty", false},
                 {"/missing", false}};
    for (const auto &c : cases) {
        TAsyncResim control;
        bool finished = false;
        QObject::connect(&control, &TAsyncResim::downloadFinished, [&] { finished = true; });
        control.setUrl(base + QLatin1String(c.path));
        WaitFor([&] { return finished || !control.downloading(); }, 10000);
        EXPECT_EQ(control.hasPicture(), c.shown) << c.path;
    }
}

TEST(WebPicture, TheSameAddressTwiceDownloadsOnceAndClosingCancels)
{
    StandInServer web;
    web.onGet("/p.png", [] {
        StandInServer::Response r;
        r.contentType = "image/png";
        r.body = ImageBytes("PNG").toStdString();
        return r;
    });
    web.onGet("/slow.png", [] {
        QThread::msleep(400);
        StandInServer::Response r;
        r.contentType = "image/png";
        r.body = ImageBytes("PNG").toStdString();
        return r;
    });
    web.start();
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(web.port());
    {
        TAsyncResim control;
        control.setUrl(base + "/p.png");
        control.setUrl(base + "/p.png");
        ASSERT_TRUE(WaitFor([&] { return !control.downloading(); }));
        EXPECT_EQ(control.downloadsStarted(), 1);
        EXPECT_EQ(web.getCount("/p.png"), 1);
        EXPECT_TRUE(control.hasPicture());
    }
    {
        auto *control = new TAsyncResim;
        control->setUrl(base + "/slow.png");
        QTest::qWait(50);
        delete control;  // the answer arrives after the control is gone: dropped
        QTest::qWait(700);
        EXPECT_EQ(web.getCount("/slow.png"), 1);
    }
}

TEST(ServerPicture, OnlyTheAnnouncedNumberOfBytesCounts)
{
    QByteArray bytes(5000, 'x');
    const struct {
        int size;
        qint64 boy;
        bool kept;
    } cases[] = {{5000, 5000, true}, {5000, 6000, false}, {5000, 0, false}, {2048, 2048, true}, {0, 0, false},
                 {1024, 1024, true}};
    for (const auto &c : cases) {
        QBuffer b;
        b.setData(bytes.left(c.size));
        b.open(QIODevice::ReadOnly);
        const std::optional<QByteArray> read = ReadAnnouncedPicture(b, c.boy);
        EXPECT_EQ(read.has_value(), c.kept) << c.size << ' ' << c.boy;
        if (read) {
            EXPECT_EQ(read->size(), c.size);
        }
    }
}

TEST_F(StandIn, ServerPictureShownOnlyWhenComplete)
{
    const QByteArray jpeg = ImageBytes("JPEG", QSize(120, 90));
    qint64 announce = jpeg.size();
    QByteArray send = jpeg;
    server.on("ResimVer5", [&](const QJsonArray &p) {
        EXPECT_EQ(p[0].toInt(), 1204);
        return StandInServer::StreamAnswer({"null", std::to_string(announce)}, send);
    });
    MessageWatcher messages;
    {
        TPictureBox box;
        LoadServerPicture(bagc, 1204, &box);
        EXPECT_TRUE(box.hasPicture());
        EXPECT_FALSE(bagc.Connected()) << "the main connection is closed again";
    }
    {
        announce = jpeg.size() + 1000;
        TPictureBox box;
        LoadServerPicture(bagc, 1204, &box);
        EXPECT_FALSE(box.hasPicture());
    }
    {
        announce = 0;
        TPictureBox box;
        LoadServerPicture(bagc, 1204, &box);
        EXPECT_FALSE(box.hasPicture());
    }
    EXPECT_TRUE(messages.texts.isEmpty());
    {
        send = QByteArray("not a picture at all");
        announce = send.size();
        TPictureBox box;
        LoadServerPicture(bagc, 1204, &box);
        ASSERT_TRUE(WaitFor([&] { return !messages.texts.isEmpty(); }));
        EXPECT_TRUE(messages.texts[0].startsWith("PictureDecodeError: ")) << messages.texts[0].toStdString();
        EXPECT_FALSE(box.hasPicture());
    }
}
