// Previous orders, outstanding balances, item order history, the two sales
// reports, the customer console search, the report PDFs and the badges,
// through the client proxy against a demo server. The expected figures are
// worked out here from other answers and from the database, never taken
// from the answer under test.

#include "tests/server/history_fixture.h"
#include "tests/server/qtcoreapp.h"

#include <QSet>

#include <functional>
#include <map>

#include <algorithm>
#include <set>

using namespace tarsel;
using namespace tarsel::test;

namespace {

// One call's connection and proxy.
struct Client {
    explicit Client(const HistoryServer &s) : conn(s.connect()), proxy(*conn) {}
    TServerMethods1Client *operator->() { return &proxy; }
    std::unique_ptr<DSConnection> conn;
    TServerMethods1Client proxy;
};

const std::vector<int> kAccounts{1201, 1202, 1203};

const QStringList kStates{QStringLiteral("Alındı"),          QStringLiteral("Onaylandı"),
                          QStringLiteral("Görüldü"),         QStringLiteral("Parçalı Hazırlandı"),
                          QStringLiteral("Hazırlandı"),      QStringLiteral("Sevk Edildi")};

double RunningSum(const DataTable &t, const char *column)
{
    double sum = 0;
    for (std::size_t r = 0; r < t.rowCount(); ++r) sum = Cents(sum + t.number(r, QString::fromLatin1(column)));
    return sum;
}

void ExpectColumns(const DataTable &t, const QStringList &names, const char *what)
{
    for (const QString &n : names) EXPECT_GE(t.indexOf(n), 0) << what << " has no column " << n.toStdString();
}

class HistoryRead : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new HistoryServer; }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }
    static HistoryServer *server;

    // Every line of every order of an account, as the order detail gives them.
    static std::vector<DataTable> LinesOf(int carino, const DataTable &orders)
    {
        Client c(*server);
        std::vector<DataTable> out;
        for (std::size_t r = 0; r < orders.rowCount(); ++r)
            out.push_back(c->SiparisAyrintisi2(carino, orders.int32(r, "IDNO")));
        return out;
    }
};
HistoryServer *HistoryRead::server = nullptr;

// ---------------------------------------------------------------------------
// Previous orders and order detail

TEST_F(HistoryRead, PreviousOrdersAddUpFromTheirLinesAndCarryEveryState)
{
    Client c(*server);
    for (int carino : kAccounts) {
        SCOPED_TRACE(carino);
        const DataTable orders = c->OncekiSiparisler(carino);
        ExpectColumns(orders,
                      {"CARINO", "IDNO", "TARIH", "KUR", "KURTL", "VERENIDNO", "KARGO", "TESLIM", "VEREN", "CARIKOD",
                       "CARIADI", "VERGI", "NETTUTAR", "TUTAR", "DURUM", "KARGOADI", "VERENINNOTU", "ALANNOTU"},
                      "OncekiSiparisler");
        ASSERT_GE(orders.rowCount(), 6u);
        QSet<QString> states, placers;
        double previous = 1e9, newest = -1e9, oldest = 1e9;
        for (std::size_t r = 0; r < orders.rowCount(); ++r) {
            EXPECT_EQ(orders.int32(r, "CARINO"), carino);
            states.insert(orders.text(r, "DURUM"));
            placers.insert(orders.text(r, "VEREN"));
            const double when = orders.number(r, "TARIH");
            EXPECT_LE(when, previous) << "orders come newest first";
            previous = when;
            newest = std::max(newest, when);
            oldest = std::min(oldest, when);

            const int idno = orders.int32(r, "IDNO");
            const DataTable lines = c->SiparisAyrintisi2(carino, idno);
            ASSERT_GT(lines.rowCount(), 0u) << "order " << idno;
            const double gross = RunningSum(lines, "TUTAR");
            const double discount = RunningSum(lines, "INDIRIMTUTAR");
            EXPECT_NEAR(orders.number(r, "TUTAR"), gross, 0.001) << "order " << idno;
            EXPECT_NEAR(orders.number(r, "NETTUTAR"), Cents(gross - discount), 0.001) << "order " << idno;
            EXPECT_NEAR(orders.number(r, "VERGI"), RunningSum(lines, "VERGITUTARI"), 0.001) << "order " << idno;
            for (std::size_t l = 0; l < lines.rowCount(); ++l) {
                EXPECT_EQ(lines.int32(l, "IDNO"), idno);
                EXPECT_EQ(lines.int32(l, "CARINO"), carino);
                const double ordered = lines.number(l, "MIKTAR"), delivered = lines.number(l, "TESLIMEDILEN"),
                             open = lines.number(l, "KALAN");
                EXPECT_GT(ordered, 0);
                EXPECT_GE(delivered, 0);
                EXPECT_GE(open, 0);
                EXPECT_NEAR(delivered + open, ordered, 1e-9) << "demo lines keep ordered = delivered + open";
                EXPECT_NEAR(lines.number(l, "TUTAR"), Cents(ordered * lines.number(l, "BIRIMFIYAT")), 0.001);
                EXPECT_NEAR(lines.number(l, "NETTUTAR"),
                            Cents(lines.number(l, "TUTAR") - lines.number(l, "INDIRIMTUTAR")), 0.001);
            }

            // The footer tells the same story as the list.
            TSiparisDipAyrinti *dip = c->SiparisAytintisiDip(0, idno);
            ASSERT_NE(dip, nullptr);
            EXPECT_EQ(dip->Durumu(), orders.text(r, "DURUM"));
            EXPECT_EQ(dip->Veren(), orders.text(r, "VEREN"));
            EXPECT_EQ(dip->Kargo(), orders.text(r, "KARGOADI"));
            EXPECT_EQ(dip->KargoCinsi(), orders.text(r, "KARGO"));
            EXPECT_EQ(dip->TeslimCinsi(), orders.text(r, "TESLIM"));
            EXPECT_EQ(dip->SizinMesaj(), orders.text(r, "VERENINNOTU"));
            EXPECT_EQ(dip->BizimMesaj(), orders.text(r, "ALANNOTU"));
        }
        for (const QString &s : kStates) EXPECT_TRUE(states.contains(s)) << s.toStdString();
        EXPECT_GE(placers.size(), 2) << "orders placed by different users";
        EXPECT_GT(newest - oldest, 90.0) << "orders spread over months";
    }
}

TEST_F(HistoryRead, OrderLinesCarryTheColumnsTheDetailAndBalanceGridsRead)
{
    Client c(*server);
    const DataTable orders = c->OncekiSiparisler(1201);
    ASSERT_GT(orders.rowCount(), 0u);
    const QStringList columns{
        "VERILISTARIHI", "BARKOD",        "FINISHKOD",    "OEMNO",      "STOKADI",       "MIKTAR",        "BIRIMFIYAT",
        "ILKFIYAT",      "TUTAR",         "INDIRIMYAZI",  "NETBIRIMFIYAT", "KDV",        "VERGITUTARI",   "NETTUTAR",
        "VEREN",         "TESLIMEDILEN",  "KALAN",        "ELDEKI",     "DURUM",         "ALINANSIPARIS", "VERILENSIPARIS",
        "SIRANO",        "SIPARISNO",     "CARINO",       "TARIH",      "AKTAR",         "STOKNO",        "STOKHAR_NO",
        "INDIRIMORANI1", "INDIRIMORANI2", "INDIRIMORANI3", "INDIRIMORANI4", "INDIRIMTUTAR", "KUR",        "KURTL",
        "VERENIDNO",     "SAAT",          "TESLIM",       "TESLIMID",   "KARGO",         "KARGOID",       "ACIKLAMA",
        "IDNO",          "VERENSIRANO",   "CARIKOD",      "CARIADI",    "OEM1",          "OEM2",          "OEM3",
        "OEM4",          "STOK_STOKNO",   "URETICIKODU",  "DIGERADI",   "DPKOD",         "MARKA",         "MODEL",
        "ANAGRUP",       "OZELKOD",       "PKOD"};
    ExpectColumns(c->SiparisAyrintisi2(1201, orders.int32(0, "IDNO")), columns, "SiparisAyrintisi2");
    ExpectColumns(c->BakiyelerVer2(1201), columns, "BakiyelerVer2");
    ExpectColumns(c->TumSiparislerVer(1201, 0), columns, "TumSiparislerVer");

    // Stock figures come from the item itself.
    const DataTable lines = c->TumSiparislerVer(1201, 0);
    for (std::size_t r = 0; r < std::min<std::size_t>(lines.rowCount(), 10); ++r) {
        QSqlQuery q = server->db().exec(
            QStringLiteral("SELECT durum, kalan, barkod FROM stock WHERE stokno = ?"), {lines.int32(r, "STOK_STOKNO")});
        ASSERT_TRUE(q.next());
        EXPECT_EQ(lines.int32(r, "DURUM"), q.value(0).toInt());
        EXPECT_DOUBLE_EQ(lines.number(r, "ELDEKI"), q.value(1).toDouble());
        EXPECT_EQ(lines.text(r, "BARKOD"), q.value(2).toString());
    }
}

// ---------------------------------------------------------------------------
// Outstanding balances and item history

TEST_F(HistoryRead, BalancesAreExactlyTheLinesWithAnOutstandingQuantity)
{
    Client c(*server);
    for (int carino : kAccounts) {
        SCOPED_TRACE(carino);
        const DataTable orders = c->OncekiSiparisler(carino);
        std::set<int> expected;
        int partlyDelivered = 0;
        for (const DataTable &lines : LinesOf(carino, orders))
            for (std::size_t l = 0; l < lines.rowCount(); ++l)
                if (lines.number(l, "KALAN") > 0) {
                    expected.insert(lines.int32(l, "STOKHAR_NO"));
                    if (lines.number(l, "TESLIMEDILEN") > 0) ++partlyDelivered;
                }
        const DataTable balances = c->BakiyelerVer2(carino);
        std::set<int> got;
        for (std::size_t r = 0; r < balances.rowCount(); ++r) {
            got.insert(balances.int32(r, "STOKHAR_NO"));
            EXPECT_GT(balances.number(r, "KALAN"), 0);
            EXPECT_EQ(balances.int32(r, "CARINO"), carino);
        }
        EXPECT_EQ(got, expected);
        EXPECT_FALSE(got.empty()) << "every demo account has outstanding lines";
        EXPECT_GT(partlyDelivered, 0) << "some lines are delivered in part";
    }
}

TEST_F(HistoryRead, ItemHistoryListsTheAccountsLinesOfThatItem)
{
    Client c(*server);
    const DataTable orders = c->OncekiSiparisler(1202);
    std::map<int, int> linesPerItem;
    std::size_t all = 0;
    for (const DataTable &lines : LinesOf(1202, orders)) {
        all += lines.rowCount();
        for (std::size_t l = 0; l < lines.rowCount(); ++l) ++linesPerItem[lines.int32(l, "STOK_STOKNO")];
    }
    EXPECT_EQ(c->TumSiparislerVer(1202, 0).rowCount(), all);
    ASSERT_FALSE(linesPerItem.empty());
    for (const auto &[stokno, count] : linesPerItem) {
        const DataTable h = c->TumSiparislerVer(1202, stokno);
        ASSERT_EQ(h.rowCount(), std::size_t(count)) << "stokno " << stokno;
        for (std::size_t r = 0; r < h.rowCount(); ++r) EXPECT_EQ(h.int32(r, "STOK_STOKNO"), stokno);
    }
    // An item the account never ordered gives an empty list.
    const QVariant other = server->db().scalar(
        QStringLiteral("SELECT MIN(stokno) FROM stock WHERE stokno NOT IN (SELECT stokno FROM order_lines WHERE carino = ?)"),
        {1202});
    ASSERT_TRUE(other.isValid());
    EXPECT_EQ(c->TumSiparislerVer(1202, other.toInt()).rowCount(), 0u);
}

// ---------------------------------------------------------------------------
// Sales reports

TEST_F(HistoryRead, ReceivedOrdersReportGroupsEveryOrderOfTheRangeBySalesperson)
{
    Client c(*server);
    const TSonucBilgisi sales = server->sales();
    const QDate today = QDate::currentDate();
    struct Range {
        int from, to;  // days ago
    };
    for (const Range range : {Range{60, 0}, Range{200, 0}, Range{19, 19}, Range{150, 100}}) {
        SCOPED_TRACE(std::to_string(range.from) + ".." + std::to_string(range.to));
        const QDate first = today.addDays(-range.from), last = today.addDays(-range.to);

        // Expected: the orders of every account dated on those days, with
        // their salesperson from the database.
        std::map<QString, std::pair<int, double>> groups;  // salesperson -> count, TUTAR
        std::set<int> ids;
        for (int carino : kAccounts) {
            const DataTable orders = c->OncekiSiparisler(carino);
            for (std::size_t r = 0; r < orders.rowCount(); ++r) {
                const QDate day = DayOfOle(orders.number(r, "TARIH"));
                if (day < first || day > last) continue;
                const int idno = orders.int32(r, "IDNO");
                ids.insert(idno);
                const QString who = server->db()
                                        .scalar(QStringLiteral("SELECT s.adi FROM orders o JOIN salespeople s "
                                                               "ON s.satici_no = o.satici_no WHERE o.idno = ?"),
                                                {idno})
                                        .toString();
                groups[who].first += 1;
                groups[who].second = Cents(groups[who].second + orders.number(r, "TUTAR"));
            }
        }

        const DataTable report = c->RaporAlinanSiparisler(CopyOf(sales), OleDay(first) + 0.75, OleDay(last) + 0.1);
        ExpectColumns(report,
                      {"SATICIADI", "IDNO", "CARINO", "TARIH", "KUR", "KURTL", "VERENIDNO", "KARGO", "TESLIM", "VEREN",
                       "CARIKOD", "CARIADI", "DURUM", "KARGOADI", "VERGI", "NETTUTAR", "TUTAR"},
                      "RaporAlinanSiparisler");
        std::set<int> got;
        std::map<QString, std::pair<int, double>> gotGroups;
        QString previous;
        for (std::size_t r = 0; r < report.rowCount(); ++r) {
            const QString who = report.text(r, "SATICIADI");
            EXPECT_LE(previous, who) << "rows come ordered by salesperson";
            previous = who;
            got.insert(int(report.number(r, "IDNO")));
            gotGroups[who].first += 1;
            gotGroups[who].second = Cents(gotGroups[who].second + report.number(r, "TUTAR"));
        }
        EXPECT_EQ(got, ids);
        EXPECT_EQ(gotGroups, groups);
    }
}

TEST_F(HistoryRead, SoldStocksReportSumsTheOrderedLinesPerItem)
{
    Client c(*server);
    const QDate today = QDate::currentDate();
    const QDate first = today.addDays(-100), last = today;
    struct Sum {
        double quantity = 0, net = 0, tax = 0, gross = 0;
    };
    std::map<QString, Sum> expected;  // by item code
    for (int carino : kAccounts) {
        const DataTable orders = c->OncekiSiparisler(carino);
        for (std::size_t r = 0; r < orders.rowCount(); ++r) {
            const QDate day = DayOfOle(orders.number(r, "TARIH"));
            if (day < first || day > last) continue;
            const DataTable lines = c->SiparisAyrintisi2(carino, orders.int32(r, "IDNO"));
            for (std::size_t l = 0; l < lines.rowCount(); ++l) {
                Sum &s = expected[lines.text(l, "BARKOD")];
                s.quantity += lines.number(l, "MIKTAR");
                s.net += lines.number(l, "NETTUTAR");
                s.tax += lines.number(l, "VERGITUTARI");
                s.gross += lines.number(l, "TUTAR");
            }
        }
    }
    ASSERT_FALSE(expected.empty());

    const DataTable report = c->RaporEnCokSatilanStoklar(CopyOf(server->manager()), OleDay(first), OleDay(last));
    ExpectColumns(report, {"BARKOD", "KOD", "ADI", "DEPARTMAN", "MIKTAR", "NETTUTAR", "TLVERGI", "TUTAR"},
                  "RaporEnCokSatilanStoklar");
    ASSERT_EQ(report.rowCount(), expected.size());
    double previous = 1e18;
    for (std::size_t r = 0; r < report.rowCount(); ++r) {
        const QString code = report.text(r, "BARKOD");
        ASSERT_TRUE(expected.count(code)) << code.toStdString();
        const Sum &s = expected[code];
        EXPECT_DOUBLE_EQ(report.number(r, "MIKTAR"), s.quantity) << code.toStdString();
        EXPECT_NEAR(report.number(r, "NETTUTAR"), s.net, 0.005) << code.toStdString();
        EXPECT_NEAR(report.number(r, "TLVERGI"), s.tax, 0.005) << code.toStdString();
        EXPECT_NEAR(report.number(r, "TUTAR"), s.gross, 0.005) << code.toStdString();
        EXPECT_LE(report.number(r, "MIKTAR"), previous) << "best-selling first";
        previous = report.number(r, "MIKTAR");
    }
}

TEST_F(HistoryRead, ReportsRefuseCustomersAndWrongDates)
{
    Client c(*server);
    const double today = OleDay(QDate::currentDate());
    const struct {
        const char *what;
        TSonucBilgisi who;
        double t1, t2;
        const char *error;
    } cases[] = {
        {"dealer", server->dealer(), today - 30, today, "yalnız satış personeline"},
        {"dealer type 4", server->dealer4(), today - 30, today, "yalnız satış personeline"},
        {"first day after the last", server->sales(), today, today - 1, "bitiş tarihinden"},
        {"negative day", server->sales(), -5, today, "Geçersiz tarih"},
        {"past the calendar", server->sales(), today, 3e6, "Geçersiz tarih"},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        EXPECT_NE(ErrorOf([&] { c->RaporAlinanSiparisler(CopyOf(k.who), k.t1, k.t2); }).find(k.error),
                  std::string::npos);
        EXPECT_NE(ErrorOf([&] { c->RaporEnCokSatilanStoklar(CopyOf(k.who), k.t1, k.t2); }).find(k.error),
                  std::string::npos);
    }
    EXPECT_NE(ErrorOf([&] { c->RaporAlinanSiparisler(nullptr, today, today); }).find("Oturum bilgisi"),
              std::string::npos);
}

// ---------------------------------------------------------------------------
// Customer console

TEST_F(HistoryRead, CustomerSearchFindsAccountsByNameCodeOrNumber)
{
    Client c(*server);
    const TSonucBilgisi sales = server->sales();
    const struct {
        const char *text;
        std::vector<int> accounts;
    } cases[] = {
        {"", {1201, 1202, 1203}},
        {"   ", {1201, 1202, 1203}},
        {"özkan", {1201}},
        {"OZKAN", {1201}},
        {"karadeniz", {1203}},          // stored KARADENİZ
        {"KARADENIZ OTO", {1203}},
        {"yilmaz otomotiv", {1202}},    // the client sends ı as i
        {"120.01.002", {1202}},
        {"120.01", {1201, 1202, 1203}},
        {"1203", {1203}},
        {"samsun", {1203}},             // city
        {"oto", {1201, 1202, 1203}},
        {"parça yok", {}},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.text);
        const DataTable t = c->CariAra(CopyOf(sales), QString::fromUtf8(k.text));
        std::vector<int> got;
        for (std::size_t r = 0; r < t.rowCount(); ++r) got.push_back(t.int32(r, "CARINO"));
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, k.accounts);
    }

    // The card columns of one account.
    const DataTable t = c->CariAra(CopyOf(sales), QStringLiteral("1203"));
    ASSERT_EQ(t.rowCount(), 1u);
    ExpectColumns(t,
                  {"CARINO", "CARIKOD", "CARIADI", "SATICISI", "TLBAKIYE", "DURUM", "OZELKOD", "KOD1", "KOD5", "TEL1",
                   "TEL2", "ILCE", "IL", "GSM", "SEPET", "YETKILI", "INDIRIM", "VADE", "VADEKONTROLGUN",
                   "VADEKONTROLAY", "VERGIDAIRESI", "VERGINO", "ADRES1", "ADRES2", "ANAGRUP", "ALTGRUP", "FAX1", "FAX2",
                   "EMAIL", "ALINDI", "ONAYLANDI", "GORULDU", "HAZIRLANDI", "PARCALIHAZIRLANDI"},
                  "CariAra");
    EXPECT_EQ(t.text(0, "CARIKOD"), "120.01.003");
    EXPECT_EQ(t.text(0, "IL"), "Samsun");
    EXPECT_EQ(t.text(0, "YETKILI"), "Murat Demir");
    EXPECT_DOUBLE_EQ(t.number(0, "TLBAKIYE"), 1250.0);
    EXPECT_EQ(t.text(0, "DURUM"), "Alacaklı");
    EXPECT_EQ(t.int32(0, "VADE"), 30);
    EXPECT_DOUBLE_EQ(t.number(0, "INDIRIM"), 3.0);
    EXPECT_EQ(t.text(0, "SATICISI"), "Ayşe Çelik");

    // A customer user finds only their own account, whatever they type.
    for (const char *text : {"", "yilmaz", "1201"}) {
        const DataTable own = c->CariAra(CopyOf(server->dealer4()), QString::fromUtf8(text));
        for (std::size_t r = 0; r < own.rowCount(); ++r) EXPECT_EQ(own.int32(r, "CARINO"), 1202) << text;
    }
}

TEST_F(HistoryRead, ConsoleCountersMatchTheOrdersInTheDatabase)
{
    Client c(*server);
    std::map<int, int> perState;
    std::map<std::pair<int, int>, int> perAccountState;
    QSqlQuery q = server->db().exec(QStringLiteral("SELECT carino, durum FROM orders"));
    while (q.next()) {
        ++perState[q.value(1).toInt()];
        ++perAccountState[{q.value(0).toInt(), q.value(1).toInt()}];
    }
    q.finish();

    TTusSonuclari *counts = c->TusSonuclariVer(CopyOf(server->manager()));
    ASSERT_NE(counts, nullptr);
    EXPECT_EQ(counts->Alindi(), perState[2]);
    EXPECT_EQ(counts->Onaylandi(), perState[3]);
    EXPECT_EQ(counts->Goruldu(), perState[4]);
    EXPECT_EQ(counts->ParcaliHazirlandi(), perState[5]);
    EXPECT_EQ(counts->Hazirlandi(), perState[6]);
    EXPECT_EQ(counts->SevkEdildi(), perState[7]);
    EXPECT_GT(counts->Alindi(), 0);

    // A customer user's counters cover their own account only.
    TTusSonuclari *own = c->TusSonuclariVer(CopyOf(server->dealer()));
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->Alindi(), (perAccountState[{1201, 2}]));
    EXPECT_EQ(own->SevkEdildi(), (perAccountState[{1201, 7}]));

    // Each state list holds the accounts with orders in that state, and the
    // per-account columns agree.
    const char *columnOf[] = {nullptr, nullptr, "ALINDI", "ONAYLANDI", "GORULDU", "PARCALIHAZIRLANDI", "HAZIRLANDI",
                              "SEVKEDILDI"};
    for (int n = 2; n <= 7; ++n) {
        SCOPED_TRACE(n);
        const DataTable t = c->CariSepetVer(CopyOf(server->sales()), n);
        std::set<int> got, expected;
        for (std::size_t r = 0; r < t.rowCount(); ++r) {
            got.insert(t.int32(r, "CARINO"));
            EXPECT_EQ(t.int32(r, columnOf[n]), (perAccountState[{t.int32(r, "CARINO"), n}]));
        }
        for (const auto &[key, count] : perAccountState)
            if (key.second == n && count > 0) expected.insert(key.first);
        EXPECT_EQ(got, expected);
    }

    // The basket list and count: accounts with basket lines.
    std::map<int, int> basket;
    QSqlQuery b = server->db().exec(QStringLiteral("SELECT carino, COUNT(*) FROM basket_lines GROUP BY carino"));
    while (b.next()) basket[b.value(0).toInt()] = b.value(1).toInt();
    b.finish();
    EXPECT_EQ(c->SepetSayisi(CopyOf(server->sales())), int(basket.size()));
    const DataTable withBasket = c->CariSepetVer(CopyOf(server->sales()), 1);
    ASSERT_EQ(withBasket.rowCount(), basket.size());
    for (std::size_t r = 0; r < withBasket.rowCount(); ++r)
        EXPECT_EQ(withBasket.int32(r, "SEPET"), basket[withBasket.int32(r, "CARINO")]);
}

// ---------------------------------------------------------------------------
// Report PDFs

TEST_F(HistoryRead, RaporGetirAnswersARealPdfForEveryReport)
{
    Client c(*server);
    const TSonucBilgisi sales = server->sales(), manager = server->manager();
    const double today = OleDay(QDate::currentDate());
    const char *summary = "Cari Özeti", *receivables = "Cari Toplu Alacak Vadeleri",
               *salesTable = "Cari Alış Satış Tablosu";
    const struct {
        const char *what;
        int report, section, user, carino;
        const char *salesperson;
        double t1, t2;
        const char *title;
    } cases[] = {
        {"account summary", 6, 6, sales.Sirano(), 1201, "Ayşe Çelik", today, today, summary},
        {"account summary in the past", 6, 6, manager.Sirano(), 1203, "", today - 40, today - 40, summary},
        {"receivables of one user's accounts", 6, 6, sales.Sirano(), 0, "SATIS", today, today, receivables},
        {"receivables of every account", 6, 6, manager.Sirano(), 0, ".", today, today, receivables},
        {"receivables of a salesperson", 6, 0, manager.Sirano(), 0, "Mehmet Kaya", today, today, receivables},
        {"sales table of an account", 7, 7, manager.Sirano(), 1202, "Mehmet Kaya", today - 180, today, salesTable},
        {"sales table of every account", 7, 7, sales.Sirano(), 0, "", today - 365, today, salesTable},
    };
    // The document title as the PDF's information dictionary holds it (UTF-16BE).
    auto utf16 = [](const char *text) {
        QByteArray out;
        for (QChar ch : QString::fromUtf8(text)) {
            out.append(char(ch.unicode() >> 8));
            out.append(char(ch.unicode() & 0xff));
        }
        return out;
    };
    std::set<QByteArray> distinct;
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        qint64 size = -1;
        QIODevice *stream = c->RaporGetir(k.report, k.section, k.user, k.carino, QString::fromUtf8(k.salesperson),
                                          k.t1, k.t2, size);
        ASSERT_NE(stream, nullptr);
        const QByteArray pdf = stream->readAll();
        EXPECT_EQ(size, pdf.size());
        EXPECT_TRUE(pdf.startsWith("%PDF-"));
        EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
        EXPECT_TRUE(pdf.contains("/Type /Page") || pdf.contains("/Type/Page"));
        EXPECT_GT(pdf.size(), 2000);
        EXPECT_TRUE(pdf.contains(utf16(k.title))) << "the report asked for";
        distinct.insert(pdf.mid(pdf.indexOf("stream")));  // the content, not the metadata
    }
    EXPECT_EQ(distinct.size(), std::size(cases)) << "each report is made from its own data";
}

TEST_F(HistoryRead, RaporGetirRefusesBadRequestsWithAClearText)
{
    Client c(*server);
    const int sales = server->sales().Sirano(), dealer = server->dealer().Sirano();
    const double today = OleDay(QDate::currentDate());
    const struct {
        const char *what;
        int report, section, user, carino;
        const char *salesperson;
        double t1, t2;
        const char *error;
    } cases[] = {
        {"unknown report", 5, 5, sales, 1201, "", today, today, "Bilinmeyen rapor"},
        {"unknown section", 6, 3, sales, 1201, "", today, today, "bölüm"},
        {"customer user", 6, 6, dealer, 1201, "", today, today, "yalnız satış personeline"},
        {"no user", 6, 6, 0, 1201, "", today, today, "kullanıcı"},
        {"unknown user", 6, 6, 987654, 1201, "", today, today, "Kullanıcı bulunamadı"},
        {"unknown account", 6, 6, sales, 99999, "", today, today, "Cari hesap bulunamadı"},
        {"unknown salesperson", 6, 6, sales, 0, "KİMSE", today, today, "Temsilci bulunamadı"},
        {"reversed range", 7, 7, sales, 1201, "", today, today - 3, "bitiş tarihinden"},
        {"wrong date", 6, 6, sales, 1201, "", -1, -1, "Geçersiz tarih"},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        qint64 size = 0;
        const std::string error = ErrorOf([&] {
            c->RaporGetir(k.report, k.section, k.user, k.carino, QString::fromUtf8(k.salesperson), k.t1, k.t2, size);
        });
        EXPECT_NE(error.find(k.error), std::string::npos) << error;
    }
}

// ---------------------------------------------------------------------------
// Badges

TEST_F(HistoryRead, BadgesMatchTheListsTheTabsShow)
{
    Client c(*server);
    const struct {
        TSonucBilgisi who;
        int carino;
    } cases[] = {{server->dealer(), 1201}, {server->dealer4(), 1202}, {server->sales(), 1203}};
    for (const auto &k : cases) {
        SCOPED_TRACE(k.carino);
        auto record = WorkingFor(k.who, k.carino);
        const DataTable badges = c->BalonGetir(CopyOf(*record));
        ASSERT_EQ(badges.rowCount(), 1u);
        ASSERT_GE(badges.columnCount(), 5);
        EXPECT_EQ(badges.value(0, 0).toInt(), int(c->SepetVer2(k.carino).rowCount()));
        EXPECT_EQ(badges.value(0, 1).toInt(), int(c->YenilerVer2(k.carino).rowCount()));
        EXPECT_EQ(badges.value(0, 2).toInt(), int(c->KampanyaliVer2(k.carino, k.who.MusteriTipi()).rowCount()));
        EXPECT_EQ(badges.value(0, 3).toInt(), c->AcilisReklamAdet());
        // The balance is where the account statement ends.
        const DataTable statement = c->CariEkstreVer(k.carino);
        ASSERT_GT(statement.rowCount(), 0u);
        EXPECT_NEAR(badges.value(0, 4).toDouble(), statement.number(statement.rowCount() - 1, "BAKIYE"), 0.005);
    }
    EXPECT_GT(c->BalonGetir(CopyOf(server->dealer())).value(0, 0).toInt(), 0) << "the demo basket of 1201";
    // A dealer cannot read another account's badges.
    EXPECT_NE(ErrorOf([&] { c->BalonGetir(WorkingFor(server->dealer(), 1202)); }).find("yetkiniz yok"),
              std::string::npos);
}

// ---------------------------------------------------------------------------
// Unknown keys

TEST_F(HistoryRead, UnknownOrWrongKeysGiveAClearError)
{
    Client c(*server);
    const int orderOf1202 = c->OncekiSiparisler(1202).int32(0, "IDNO");
    const struct {
        const char *what;
        std::function<void()> call;
        const char *error;
    } cases[] = {
        {"order detail, unknown order", [&] { c->SiparisAyrintisi2(1201, 987654); }, "Sipariş bulunamadı"},
        {"order detail, other account", [&] { c->SiparisAyrintisi2(1201, orderOf1202); }, "bu cari hesaba ait değil"},
        {"footer, unknown order", [&] { c->SiparisAytintisiDip(0, 987654); }, "Sipariş bulunamadı"},
        {"footer, other account", [&] { c->SiparisAytintisiDip(1201, orderOf1202); }, "bu cari hesaba ait değil"},
        {"previous orders, unknown account", [&] { c->OncekiSiparisler(99999); }, "Cari hesap bulunamadı"},
        {"balances, unknown account", [&] { c->BakiyelerVer2(99999); }, "Cari hesap bulunamadı"},
        {"item history, unknown item", [&] { c->TumSiparislerVer(1201, 99999999); }, "Stok bulunamadı"},
        {"item history, unknown account", [&] { c->TumSiparislerVer(99999, 0); }, "Cari hesap bulunamadı"},
        {"state list out of range", [&] { c->CariSepetVer(CopyOf(server->sales()), 8); }, "Geçersiz liste türü"},
        {"state list 0", [&] { c->CariSepetVer(CopyOf(server->sales()), 0); }, "Geçersiz liste türü"},
        {"search without a session", [&] { c->CariAra(nullptr, QStringLiteral("oto")); }, "Oturum bilgisi"},
        {"counters of an unknown user",
         [&] {
             auto rec = CopyOf(server->sales());
             rec->setSirano(987654);
             c->TusSonuclariVer(std::move(rec));
         },
         "Kullanıcı bulunamadı"},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        const std::string error = ErrorOf(k.call);
        EXPECT_NE(error.find(k.error), std::string::npos) << error;
    }
    // No account chosen yet: empty lists, not errors.
    EXPECT_EQ(c->OncekiSiparisler(0).rowCount(), 0u);
    EXPECT_EQ(c->BakiyelerVer2(0).rowCount(), 0u);
    EXPECT_EQ(c->TumSiparislerVer(0, 0).rowCount(), 0u);
}

}  // namespace
