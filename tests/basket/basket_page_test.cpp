// The basket tab against a stand-in server that records every call: the
// totals and their rows, the selection toggles (one call per line), the
// line commands, the delivery and carrier choice, the checks before
// sending, the confirmation and the order call, and the overdue warning.

#include "basket/basketpage.h"
#include "basket/onaysip.h"
#include "basket/radiogroup.h"
#include "grid/datagrid.h"
#include "remote/baglantiu.h"
#include "remote/dsconnection.h"
#include "tests/basket/standinserver.h"
#include "tests/basket/uitestutil.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <mutex>

using namespace tarsel;
using namespace tarsel::test;

namespace {

struct LineSpec {
    int sirano;
    int sec;
    double tutar, indirim, vergi;
    const char *barkod = "1234";
    const char *stokadi = "FREN BALATASI";
};

DataTable BasketTable(const std::vector<LineSpec> &lines)
{
    DataTable t;
    const std::pair<const char *, FieldType> cols[] = {
        {"SEC", FieldType::Int32},           {"VERILISTARIHI", FieldType::DateTime},
        {"BARKOD", FieldType::String},       {"STOKADI", FieldType::String},
        {"MIKTAR", FieldType::Float64},      {"BIRIMFIYAT", FieldType::Float64},
        {"TUTAR", FieldType::Float64},       {"INDIRIMYAZI", FieldType::String},
        {"NETBIRIMFIYAT", FieldType::Float64}, {"NETTUTAR", FieldType::Float64},
        {"DURUM", FieldType::Int32},         {"SIRANO", FieldType::Int32},
        {"STOKNO", FieldType::Int32},        {"INDIRIMORANI1", FieldType::Float64},
        {"INDIRIMORANI2", FieldType::Float64}, {"INDIRIMORANI3", FieldType::Float64},
        {"INDIRIMORANI4", FieldType::Float64}, {"INDIRIMTUTAR", FieldType::Float64},
        {"KDV", FieldType::Float64},         {"VERGITUTARI", FieldType::Float64},
    };
    for (const auto &[n, type] : cols) t.addColumn(QLatin1String(n), type);
    for (const LineSpec &l : lines)
        t.appendRow({l.sec, 46000.5, QString::fromUtf8(l.barkod), QString::fromUtf8(l.stokadi), 2.0, 50.0, l.tutar,
                     QStringLiteral("10+5"), 45.0, l.tutar - l.indirim, 1, l.sirano, 1000 + l.sirano, 10.0, 5.0, 0.0,
                     0.0, l.indirim, 20.0, l.vergi});
    return t;
}

DataTable KeyName(const std::vector<std::pair<int, const char *>> &rows, bool warnings = false)
{
    DataTable t;
    t.addColumn(QStringLiteral("SIRANO"), FieldType::Int32);
    t.addColumn(QStringLiteral("ADI"), FieldType::String);
    if (warnings) t.addColumn(QStringLiteral("UYARI"), FieldType::String);
    for (const auto &[key, name] : rows) {
        if (warnings) t.appendRow({key, QString::fromUtf8(name), QStringLiteral("uyarı %1").arg(key)});
        else t.appendRow({key, QString::fromUtf8(name)});
    }
    return t;
}

const std::vector<LineSpec> kThreeLines = {{1, 1, 100, 10, 16.20}, {2, 1, 50, 0, 9}, {3, 1, 25.55, 0.55, 4.5}};

class BasketStandIn : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
        setBasket(kThreeLines);
        server.on("SepetVer2", [this](const QJsonArray &) {
            std::lock_guard<std::mutex> lock(m);
            return StandInServer::TableAnswer(1, basket);
        });
        server.on("SepetSecimGuncelle", [](const QJsonArray &) { return StandInServer::NullAnswer(2); });
        server.on("TeslimVer", [this](const QJsonArray &) { return StandInServer::TableAnswer(0, deliveries); });
        server.on("KargoVer", [](const QJsonArray &) {
            return StandInServer::TableAnswer(0, KeyName({{1, "Alıcı Ödemeli Kargo"}, {2, "Gönderici Ödemeli Kargo"}}));
        });
        server.on("KargolarVer", [](const QJsonArray &p) {
            EXPECT_EQ(p[0].toInt(), 2);
            return StandInServer::TableAnswer(
                1, KeyName({{21, "Anadolu Kargo"}, {22, "Marmara Ekspres"}, {23, "Anadolu Kargo"}}, true));
        });
        server.on("CariVadeGunGecmismiBul",
                  [](const QJsonArray &) { return StandInServer::TextAnswer(1, QStringLiteral("Vadesi geçmiş borç")); });
        server.on("SepetSatirSil", [](const QJsonArray &) { return StandInServer::IntAnswer(3, 1); });
        server.on("SepetHepsiniSil", [](const QJsonArray &) { return StandInServer::IntAnswer(1, 1); });
        server.on("SepetGuncelle2", [](const QJsonArray &) { return StandInServer::IntAnswer(14, 1); });
        server.on("SiparisKaydet", [this](const QJsonArray &) { return StandInServer::BoolAnswer(7, orderAnswer); });
        server.start();
        bagc.HostName = QStringLiteral("127.0.0.1");
        bagc.Port = QString::number(server.port());
        bagc.ConnectTimeoutMs = 300;
        sbilgi.setCARINO(1201);
        sbilgi.setSirano(9);
        sbilgi.setADI(QStringLiteral("BAYİ"));
        sbilgi.setCariAdi(QStringLiteral("ÖZ OTO"));
        auto *stockTab = new QWidget;
        searchBox = new QLineEdit(stockTab);
        tabs.addTab(stockTab, QStringLiteral("Stok Listesi"));
        basketTab = new QWidget;
        tabs.addTab(basketTab, QStringLiteral("Sepet"));
        page = new BasketPage(bagc, sbilgi, basketTab);
        page->setTab(&tabs, basketTab);
        page->setSearchBox(searchBox);
        tabs.resize(1400, 800);
        tabs.show();
        tabs.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&tabs));
        tabs.setCurrentWidget(basketTab);
    }
    void setBasket(const std::vector<LineSpec> &lines)
    {
        std::lock_guard<std::mutex> lock(m);
        basket = BasketTable(lines);
    }
    int selectionCalls() const { return int(server.callsOf("SepetSecimGuncelle").size()); }

    std::mutex m;
    DataTable basket;
    DataTable deliveries = KeyName({{1, "Depodan Teslim"}, {2, "Adrese Teslim"}});
    bool orderAnswer = true;
    StandInServer server;
    DSConnection bagc;
    TSonucBilgisi sbilgi;
    QTabWidget tabs;
    QWidget *basketTab = nullptr;
    BasketPage *page = nullptr;
    QLineEdit *searchBox = nullptr;
};

}  // namespace

TEST_F(BasketStandIn, TotalsFollowTheSelectionOneCallPerToggle)
{
    ASSERT_TRUE(page->LoadBasket());
    EXPECT_EQ(tabs.tabText(1), "3=Sepet");
    EXPECT_EQ(page->geneltoplaml->text(), "194,70");
    EXPECT_EQ(page->aratoplaml->text(), "175,55");
    EXPECT_EQ(page->indiriml->text(), "10,55");
    EXPECT_EQ(page->nettutarl->text(), "165,00");
    EXPECT_EQ(page->vergil->text(), "29,70");
    EXPECT_TRUE(page->indiriml->isVisibleTo(page));
    EXPECT_TRUE(page->vergil->isVisibleTo(page));
    EXPECT_EQ(page->sepet.column("MIKTAR")->displayFormat, QString()) << "quantities stay plain numbers";
    EXPECT_EQ(page->sepet.column("TUTAR")->displayFormat, "#,###,##0.00");

    page->ToggleLineSelection(1);
    EXPECT_EQ(page->geneltoplaml->text(), "135,70");
    ASSERT_EQ(selectionCalls(), 1);
    EXPECT_EQ(server.callsOf("SepetSecimGuncelle")[0].params[0].toInt(), 2);
    EXPECT_EQ(server.callsOf("SepetSecimGuncelle")[0].params[1].toInt(), 0);
}

TEST_F(BasketStandIn, DiscountAndTaxRowsOnlyAboveOne)
{
    const struct {
        double indirim, vergi;
        bool shown;
    } cases[] = {{1.00, 1.00, false}, {1.01, 1.01, true}, {0, 0, false}};
    for (const auto &c : cases) {
        setBasket({{1, 1, 100, c.indirim, c.vergi}});
        ASSERT_TRUE(page->LoadBasket());
        EXPECT_EQ(page->indiriml->isVisibleTo(page), c.shown) << c.indirim;
        EXPECT_EQ(page->indirimCaption->isVisibleTo(page), c.shown) << c.indirim;
        EXPECT_EQ(page->vergil->isVisibleTo(page), c.shown) << c.vergi;
        EXPECT_EQ(page->vergiCaption->isVisibleTo(page), c.shown) << c.vergi;
    }
    setBasket({});
    ASSERT_TRUE(page->LoadBasket());
    EXPECT_EQ(tabs.tabText(1), "0=Sepet");
    EXPECT_EQ(page->geneltoplaml->text(), "0,00");
}

TEST_F(BasketStandIn, SelectAllSendsOneCallPerLine)
{
    setBasket({{11, 0, 1, 0, 0}, {12, 0, 1, 0, 0}, {13, 1, 1, 0, 0}, {14, 0, 1, 0, 0}, {15, 0, 1, 0, 0}});
    ASSERT_TRUE(page->LoadBasket());
    QTest::mouseClick(page->Button4, Qt::LeftButton);
    auto calls = server.callsOf("SepetSecimGuncelle");
    ASSERT_EQ(calls.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(calls[std::size_t(i)].params[0].toInt(), 11 + i);
        EXPECT_EQ(calls[std::size_t(i)].params[1].toInt(), 1);
    }
    EXPECT_EQ(page->aratoplaml->text(), "5,00");
    EXPECT_EQ(QApplication::focusWidget(), searchBox) << "the search box gets the focus";

    server.clearCalls();
    QTest::mouseClick(page->Button5, Qt::LeftButton);
    calls = server.callsOf("SepetSecimGuncelle");
    ASSERT_EQ(calls.size(), 5u);
    for (const auto &c : calls) EXPECT_EQ(c.params[1].toInt(), 0);
    EXPECT_EQ(page->aratoplaml->text(), "0,00");
}

TEST_F(BasketStandIn, ADoubleClickOnSecTogglesOnAnyOtherCellOpensTheLine)
{
    ASSERT_TRUE(page->LoadBasket());
    std::vector<std::pair<int, std::size_t>> opened;
    page->openEditLine = [&](qint32 sirano, std::size_t row) { opened.emplace_back(sirano, row); };
    QTableView *view = page->cxGrid2->view();
    const int secColumn = page->cxGrid2->columnIndex("SEC");
    const int nameColumn = page->cxGrid2->columnIndex("STOKADI");

    // The "Seç" cell, beside its check box.
    QRect cell = view->visualRect(view->model()->index(0, secColumn));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(cell.left() + 3, cell.top() + 3));
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, QPoint(cell.left() + 3, cell.top() + 3));
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(selectionCalls(), 1);
    EXPECT_EQ(page->sepet.int32(0, "SEC"), 0);

    cell = view->visualRect(view->model()->index(1, nameColumn));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].first, 2);
    EXPECT_EQ(selectionCalls(), 1);

    // The check box itself: a click toggles, a double click toggles once.
    cell = view->visualRect(view->model()->index(2, secColumn));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(page->sepet.int32(2, "SEC"), 0);
    EXPECT_EQ(selectionCalls(), 2);
}

TEST_F(BasketStandIn, RemovingALineAsksThenSendsItsDescription)
{
    setBasket({{41, 1, 10, 0, 0, "1234", "FREN BALATASI"}, {42, 1, 10, 0, 0, "99", "DİSK"}});
    ASSERT_TRUE(page->LoadBasket());
    page->cxGrid2->setFocusedSourceRow(0);
    {
        MessageWatcher messages({QStringLiteral("Hayır")});
        page->SatrSil1Click();
        EXPECT_EQ(messages.texts, QStringList({kDeleteLineQuestion}));
        EXPECT_TRUE(server.callsOf("SepetSatirSil").empty());
    }
    server.clearCalls();
    MessageWatcher messages({QStringLiteral("Evet")});
    page->SatrSil1Click();
    const auto calls = server.callsOf("SepetSatirSil");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].params[0].toObject().value("fields").toObject().value("FCARINO").toInt(), 1201);
    EXPECT_EQ(calls[0].params[1].toInt(), 41);
    EXPECT_EQ(calls[0].params[2].toString(), "1234-FREN BALATASI");
    EXPECT_EQ(server.callsOf("SepetVer2").size(), 1u) << "reloaded after the removal";
    EXPECT_EQ(messages.texts, QStringList({kDeleteLineQuestion, kLineDeletedMessage}));
    EXPECT_EQ(messages.titles.last(), "Bilgi");
}

TEST_F(BasketStandIn, EmptyingAnEmptyBasketAsksNothing)
{
    MessageWatcher messages({QStringLiteral("Evet")});
    page->HepsiniSil1Click();  // never loaded
    setBasket({});
    ASSERT_TRUE(page->LoadBasket());
    page->HepsiniSil1Click();
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_TRUE(server.callsOf("SepetHepsiniSil").empty());

    setBasket(kThreeLines);
    ASSERT_TRUE(page->LoadBasket());
    server.clearCalls();
    page->HepsiniSil1Click();
    EXPECT_EQ(messages.texts, QStringList({kEmptyBasketQuestion, kBasketEmptiedMessage}));
    EXPECT_EQ(server.callsOf("SepetHepsiniSil").size(), 1u);
    EXPECT_EQ(server.callsOf("SepetVer2").size(), 1u);
}

TEST_F(BasketStandIn, AChangeSendsStokno0AndTheLinesOwnRates)
{
    ASSERT_TRUE(page->LoadBasket());
    server.clearCalls();
    page->UpdateBasketLine(2, 1, 4, 77.5);
    const auto calls = server.callsOf("SepetGuncelle2");
    ASSERT_EQ(calls.size(), 1u);
    const QJsonArray p = calls[0].params;
    EXPECT_EQ(p[1].toInt(), 1201);
    EXPECT_EQ(p[2].toInt(), 0) << "stokno";
    EXPECT_EQ(p[3].toString(), "1234");
    EXPECT_EQ(p[5].toDouble(), 4);
    EXPECT_EQ(p[6].toDouble(), 20);
    EXPECT_EQ(p[7].toDouble(), 77.5);
    EXPECT_EQ(p[8].toDouble(), 10) << "ind1 from the line";
    EXPECT_EQ(p[9].toInt(), 9) << "verenid";
    EXPECT_EQ(p[10].toInt(), 2) << "_sepetsirano";
    EXPECT_EQ(p[11].toDouble(), 5) << "ind2 from the line";
    EXPECT_EQ(server.callsOf("SepetVer2").size(), 1u) << "reloaded after a change the server accepted";
}

TEST_F(BasketStandIn, TheChecksBeforeSendingInTheirOrder)
{
    MessageWatcher messages;
    page->ssepetShow();
    ASSERT_TRUE(WaitFor([&] { return page->lbluyarbakiye->text() == "Vadesi geçmiş borç"; }))
        << "the warning arrives from its own thread";
    ASSERT_EQ(page->teslimbox->count(), 2);
    EXPECT_EQ(page->teslimbox->itemIndex(), 1) << "the second delivery type is preselected";
    EXPECT_FALSE(page->teslimbox->isVisibleTo(page));
    EXPECT_EQ(page->boxkargo->itemIndex(), -1);

    auto send = [&] {
        messages.texts.clear();
        QTest::mouseClick(page->Button1, Qt::LeftButton);
        return messages.texts;
    };
    EXPECT_EQ(send(), QStringList({kNoCarrierTypeMessage}));

    QTest::mouseClick(page->boxkargo->button(1), Qt::LeftButton);
    ASSERT_EQ(page->kargocombo->count(), 4);
    EXPECT_EQ(page->kargocombo->itemText(0), " ");
    EXPECT_EQ(page->kargocombo->currentIndex(), -1);
    EXPECT_EQ(send(), QStringList({kNoCarrierMessage}));
    EXPECT_EQ(tabs.focusWidget(), page->kargocombo) << "the carrier list gets the focus";

    // A carrier shows its warning, the blank entry clears it.
    page->kargocombo->setCurrentIndex(2);
    Q_EMIT page->kargocombo->activated(2);
    EXPECT_EQ(page->uyarikargo->text(), "uyarı 22");
    page->kargocombo->setCurrentIndex(0);
    Q_EMIT page->kargocombo->activated(0);
    EXPECT_EQ(page->uyarikargo->text(), QString());
    EXPECT_EQ(send(), QStringList({kNoCarrierMessage}));

    // No selected line comes first of all.
    for (std::size_t r = 0; r < page->sepet.rowCount(); ++r) page->sepet.column("SEC")->setInt32(r, 0);
    EXPECT_EQ(send(), QStringList({kNoLinesMessage}));

    // An empty delivery type list stops every send at the delivery check.
    deliveries = KeyName({});
    page->LoadDeliveryAndCarrierTypes();
    page->sepet.column("SEC")->setInt32(0, 1);
    EXPECT_EQ(send(), QStringList({kNoDeliveryMessage}));
    EXPECT_TRUE(server.callsOf("SiparisKaydet").empty());
}

TEST_F(BasketStandIn, EnterPressesGonderExceptInTheNote)
{
    MessageWatcher messages;
    page->ssepetShow();
    ASSERT_EQ(page->teslimbox->count(), 2);
    // Enter on the grid and on the carrier type list: the send checks run.
    for (QWidget *w : {static_cast<QWidget *>(page->cxGrid2->view()), static_cast<QWidget *>(page->boxkargo->button(0))}) {
        messages.texts.clear();
        w->setFocus();
        QTest::keyClick(w, Qt::Key_Return);
        EXPECT_EQ(messages.texts, QStringList({kNoCarrierTypeMessage})) << w->metaObject()->className();
    }
    // In the note, Enter is a line break.
    messages.texts.clear();
    page->aciklamagir->setPlainText(QStringLiteral("a"));
    page->aciklamagir->setFocus();
    page->aciklamagir->moveCursor(QTextCursor::End);
    QTest::keyClick(page->aciklamagir, Qt::Key_Return);
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_EQ(page->aciklamagir->toPlainText(), "a\n");
}

TEST_F(BasketStandIn, ChoosingTheSameCarrierTypeAgainKeepsTheCarrier)
{
    page->ssepetShow();
    QTest::mouseClick(page->boxkargo->button(1), Qt::LeftButton);
    ASSERT_EQ(page->kargocombo->count(), 4);
    page->kargocombo->setCurrentIndex(2);
    Q_EMIT page->kargocombo->activated(2);
    const std::size_t loads = server.callsOf("KargolarVer").size();
    QTest::mouseClick(page->boxkargo->button(1), Qt::LeftButton);
    EXPECT_EQ(server.callsOf("KargolarVer").size(), loads) << "no reload";
    EXPECT_EQ(page->kargocombo->currentIndex(), 2);
    EXPECT_EQ(page->uyarikargo->text(), "uyarı 22");
}

TEST_F(BasketStandIn, ConfirmationThenTheOrderWithTheFirstOfTwoCarriers)
{
    MessageWatcher messages;
    ASSERT_TRUE(page->LoadBasket());
    deliveries = KeyName({{5, "Adrese Teslim"}});
    page->LoadDeliveryAndCarrierTypes();
    EXPECT_EQ(page->teslimbox->itemIndex(), 0) << "one delivery type: that one";
    page->boxkargo->setItemIndex(1);
    page->boxkargoClick();
    page->kargocombo->setCurrentIndex(3);  // the second "Anadolu Kargo" (key 23)
    page->aciklamagir->setPlainText(QStringLiteral("ilk satır\nikinci satır"));

    // "Hayır" sends nothing and keeps the note.
    QString summary;
    WhenModal<TONAYSIP>([&](TONAYSIP *d) {
        summary = d->Label2->text();
        d->Button2->click();
    });
    QTest::mouseClick(page->Button1, Qt::LeftButton);
    EXPECT_TRUE(server.callsOf("SiparisKaydet").empty());
    EXPECT_EQ(page->aciklamagir->toPlainText(), "ilk satır\nikinci satır");
    EXPECT_EQ(summary, QStringLiteral("Kullanıcı: BAYİ\r\nCari     : ÖZ OTO\r\nTeslim   : Adrese Teslim\r\n"
                                      "Kargo    : Gönderici Ödemeli Kargo\r\nTutar    : 194,70\r\n"
                                      "Kargo    : Anadolu Kargo\r\nAçıklama : ilk satır\nikinci satır"));

    // "Evet": the order, then the basket again and an empty note.
    server.clearCalls();
    WhenModal<TONAYSIP>([](TONAYSIP *d) { QTest::mouseClick(d->Button1, Qt::LeftButton); });
    QTest::mouseClick(page->Button1, Qt::LeftButton);
    const auto calls = server.callsOf("SiparisKaydet");
    ASSERT_EQ(calls.size(), 1u);
    const QJsonArray p = calls[0].params;
    EXPECT_EQ(p[1].toInt(), 1201);
    EXPECT_EQ(p[2].toInt(), 5) << "delivery key";
    EXPECT_EQ(p[3].toInt(), 2) << "carrier type key";
    EXPECT_EQ(p[4].toString(), "ilk satır\nikinci satır") << "the note with its line break";
    EXPECT_EQ(p[5].toInt(), 9);
    EXPECT_EQ(p[6].toInt(), 21) << "two carriers with one name: the first";
    EXPECT_EQ(messages.texts, QStringList({kOrderSentMessage}));
    EXPECT_EQ(server.callsOf("SepetVer2").size(), 1u);
    EXPECT_TRUE(page->aciklamagir->toPlainText().isEmpty());
    EXPECT_EQ(page->boxkargo->itemIndex(), 1) << "the choices stay until the tab is shown again";

    // A refused order keeps the note.
    orderAnswer = false;
    messages.texts.clear();
    messages.titles.clear();
    page->aciklamagir->setPlainText(QStringLiteral("not"));
    WhenModal<TONAYSIP>([](TONAYSIP *d) { d->Button1->click(); });
    QTest::mouseClick(page->Button1, Qt::LeftButton);
    EXPECT_EQ(messages.texts, QStringList({kOrderFailedMessage}));
    EXPECT_EQ(messages.titles, QStringList({"Hata"}));
    EXPECT_EQ(page->aciklamagir->toPlainText(), "not");
}

TEST_F(BasketStandIn, ExcelKaydetWritesTheBasketGrid)
{
    ASSERT_TRUE(page->LoadBasket());
    QTemporaryDir dir;
    const QString chosen = dir.path() + QStringLiteral("/sepet.xls");
    WhenModal<QFileDialog>([&](QFileDialog *d) {
        EXPECT_EQ(d->windowTitle(), "Excel Kaydet");
        d->selectFile(chosen);
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    });
    QTest::mouseClick(page->Button2, Qt::LeftButton);
    const QFileInfo written(dir.path() + QStringLiteral("/sepet.xlsx"));
    EXPECT_TRUE(written.exists());
    EXPECT_GT(written.size(), 0);
}
