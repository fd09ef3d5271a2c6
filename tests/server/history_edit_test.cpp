// Changes that go through the history methods or show up in them: the
// three outstanding-balance edits (with their refusals, which must leave
// every order untouched) and orders placed through the basket, which the
// console counters, lists and reports must count.

#include "tests/server/history_fixture.h"

#include <functional>
#include <set>

using namespace tarsel;
using namespace tarsel::test;

namespace {

struct Client {
    explicit Client(const HistoryServer &s) : conn(s.connect()), proxy(*conn) {}
    TServerMethods1Client *operator->() { return &proxy; }
    std::unique_ptr<DSConnection> conn;
    TServerMethods1Client proxy;
};

// Every order line and order as stored, one text per row, to prove that a
// refused change changed nothing.
QStringList Snapshot(server::Db &db)
{
    QStringList rows;
    QSqlQuery l = db.exec(QStringLiteral("SELECT sirano, idno, miktar, teslim_edilen, kalan, birimfiyat, ilk_fiyat, "
                                         "ind1, ind2, ind3, ind4, tutar, indirim_tutar, net_birimfiyat, net_tutar, "
                                         "vergi_tutari FROM order_lines ORDER BY sirano"));
    while (l.next()) {
        QStringList cells;
        for (int i = 0; i < 16; ++i) cells << l.value(i).toString();
        rows << cells.join(QLatin1Char('|'));
    }
    l.finish();
    QSqlQuery o = db.exec(QStringLiteral("SELECT idno, durum, tutar, indirim_tutar, net_tutar, vergi, genel_tutar "
                                         "FROM orders ORDER BY idno"));
    while (o.next()) {
        QStringList cells;
        for (int i = 0; i < 7; ++i) cells << o.value(i).toString();
        rows << QStringLiteral("order ") + cells.join(QLatin1Char('|'));
    }
    return rows;
}

// A row of a table found by an integer column.
std::optional<std::size_t> RowWith(const DataTable &t, const char *column, int value)
{
    for (std::size_t r = 0; r < t.rowCount(); ++r)
        if (t.int32(r, QString::fromLatin1(column)) == value) return r;
    return std::nullopt;
}

// The order's totals must be the sums of its lines, as placed.
void ExpectOrderAddsUp(TServerMethods1Client &p, int carino, int idno)
{
    const DataTable orders = p.OncekiSiparisler(carino);
    const auto row = RowWith(orders, "IDNO", idno);
    ASSERT_TRUE(row.has_value());
    const DataTable lines = p.SiparisAyrintisi2(carino, idno);
    double gross = 0, discount = 0, tax = 0;
    for (std::size_t l = 0; l < lines.rowCount(); ++l) {
        gross = Cents(gross + lines.number(l, "TUTAR"));
        discount = Cents(discount + lines.number(l, "INDIRIMTUTAR"));
        tax = Cents(tax + lines.number(l, "VERGITUTARI"));
    }
    EXPECT_NEAR(orders.number(*row, "TUTAR"), gross, 0.001);
    EXPECT_NEAR(orders.number(*row, "NETTUTAR"), Cents(gross - discount), 0.001);
    EXPECT_NEAR(orders.number(*row, "VERGI"), tax, 0.001);
}

class HistoryEdit : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new HistoryServer; }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }
    static HistoryServer *server;
};
HistoryServer *HistoryEdit::server = nullptr;

// An outstanding line of an account, as the balances window reads it.
struct OpenLine {
    int stokno, sirano, stokharNo, idno;
    double ordered, delivered, open, price;
    QString code;
};

std::vector<OpenLine> OpenLines(TServerMethods1Client &p, int carino)
{
    const DataTable t = p.BakiyelerVer2(carino);
    std::vector<OpenLine> out;
    for (std::size_t r = 0; r < t.rowCount(); ++r)
        out.push_back({t.int32(r, "STOK_STOKNO"), t.int32(r, "SIRANO"), t.int32(r, "STOKHAR_NO"), t.int32(r, "IDNO"),
                       t.number(r, "MIKTAR"), t.number(r, "TESLIMEDILEN"), t.number(r, "KALAN"),
                       t.number(r, "BIRIMFIYAT"), t.text(r, "BARKOD")});
    return out;
}

TEST_F(HistoryEdit, ChangingTheOutstandingQuantityKeepsWhatWasOrderedAndDelivered)
{
    Client c(*server);
    const TSonucBilgisi dealer = server->dealer();
    std::vector<OpenLine> lines = OpenLines(c.proxy, 1201);
    auto it = std::find_if(lines.begin(), lines.end(), [](const OpenLine &l) { return l.open >= 2; });
    ASSERT_NE(it, lines.end()) << "a demo line with at least 2 outstanding";
    const OpenLine line = *it;

    EXPECT_EQ(c->BakiyeDegistir(CopyOf(dealer), line.stokno, line.sirano, line.stokharNo, 1, 1, line.code), 1);
    const DataTable after = c->BakiyelerVer2(1201);
    const auto row = RowWith(after, "STOKHAR_NO", line.stokharNo);
    ASSERT_TRUE(row.has_value());
    EXPECT_DOUBLE_EQ(after.number(*row, "KALAN"), 1.0);
    EXPECT_DOUBLE_EQ(after.number(*row, "MIKTAR"), line.ordered);
    EXPECT_DOUBLE_EQ(after.number(*row, "TESLIMEDILEN"), line.delivered);
    ExpectOrderAddsUp(c.proxy, 1201, line.idno);
}

TEST_F(HistoryEdit, RaisingTheOutstandingQuantityBeyondTheOrderGrowsTheOrder)
{
    Client c(*server);
    const TSonucBilgisi sales = server->sales();
    const std::vector<OpenLine> lines = OpenLines(c.proxy, 1203);
    ASSERT_FALSE(lines.empty());
    const OpenLine line = lines.front();
    const DataTable before = c->OncekiSiparisler(1203);
    const double beforeTotal = before.number(*RowWith(before, "IDNO", line.idno), "TUTAR");

    const double wanted = line.ordered + 5;  // more than was ever ordered
    EXPECT_EQ(c->BakiyeDegistir(WorkingFor(sales, 1203), line.stokno, line.sirano, line.stokharNo, wanted, wanted,
                                line.code),
              1);
    const DataTable detail = c->SiparisAyrintisi2(1203, line.idno);
    const auto row = RowWith(detail, "STOKHAR_NO", line.stokharNo);
    ASSERT_TRUE(row.has_value());
    EXPECT_DOUBLE_EQ(detail.number(*row, "KALAN"), wanted);
    EXPECT_DOUBLE_EQ(detail.number(*row, "TESLIMEDILEN"), line.delivered);
    EXPECT_DOUBLE_EQ(detail.number(*row, "MIKTAR"), line.delivered + wanted);
    EXPECT_NEAR(detail.number(*row, "TUTAR"), Cents((line.delivered + wanted) * line.price), 0.001);
    ExpectOrderAddsUp(c.proxy, 1203, line.idno);
    const DataTable afterOrders = c->OncekiSiparisler(1203);
    EXPECT_GT(afterOrders.number(*RowWith(afterOrders, "IDNO", line.idno), "TUTAR"), beforeTotal);
}

TEST_F(HistoryEdit, RemovingABalanceLeavesTheDeliveredQuantityAndIsDoneOnce)
{
    Client c(*server);
    const TSonucBilgisi dealer4 = server->dealer4();
    const std::vector<OpenLine> lines = OpenLines(c.proxy, 1202);
    ASSERT_FALSE(lines.empty());
    const OpenLine line = lines.back();

    EXPECT_EQ(c->BakiyeDuzenle(CopyOf(dealer4), line.stokno, line.sirano, line.stokharNo, line.ordered, line.open,
                               line.code),
              1);
    EXPECT_FALSE(RowWith(c->BakiyelerVer2(1202), "STOKHAR_NO", line.stokharNo).has_value());
    const DataTable detail = c->SiparisAyrintisi2(1202, line.idno);
    const auto row = RowWith(detail, "STOKHAR_NO", line.stokharNo);
    ASSERT_TRUE(row.has_value());
    EXPECT_DOUBLE_EQ(detail.number(*row, "KALAN"), 0.0);
    EXPECT_DOUBLE_EQ(detail.number(*row, "TESLIMEDILEN"), line.delivered);
    EXPECT_DOUBLE_EQ(detail.number(*row, "MIKTAR"), line.ordered);

    // Nothing left to remove: 0, and nothing changes.
    const QStringList before = Snapshot(server->db());
    EXPECT_EQ(c->BakiyeDuzenle(CopyOf(dealer4), line.stokno, line.sirano, line.stokharNo, line.ordered, 0, line.code),
              0);
    EXPECT_EQ(Snapshot(server->db()), before);
}

TEST_F(HistoryEdit, PriceChangeByTheManagerReworksTheLineAndTheOrder)
{
    Client c(*server);
    const TSonucBilgisi manager = server->manager();
    const std::vector<OpenLine> lines = OpenLines(c.proxy, 1202);
    ASSERT_FALSE(lines.empty());
    const OpenLine line = lines.front();

    EXPECT_EQ(c->BakiyeFiyatDegistir(WorkingFor(manager, 1202), 0, line.sirano, line.stokharNo, line.ordered,
                                     line.ordered, line.code, 100.0, 10.0),
              1);
    const DataTable after = c->BakiyelerVer2(1202);
    const auto row = RowWith(after, "STOKHAR_NO", line.stokharNo);
    ASSERT_TRUE(row.has_value());
    EXPECT_DOUBLE_EQ(after.number(*row, "BIRIMFIYAT"), 100.0);
    EXPECT_DOUBLE_EQ(after.number(*row, "INDIRIMORANI1"), 10.0);
    EXPECT_DOUBLE_EQ(after.number(*row, "INDIRIMORANI2"), 0.0);
    EXPECT_DOUBLE_EQ(after.number(*row, "ILKFIYAT"), line.price) << "the first price stays";
    EXPECT_DOUBLE_EQ(after.number(*row, "NETBIRIMFIYAT"), 90.0);
    EXPECT_NEAR(after.number(*row, "TUTAR"), Cents(100.0 * line.ordered), 0.001);
    EXPECT_NEAR(after.number(*row, "NETTUTAR"), Cents(90.0 * line.ordered), 0.001);
    EXPECT_EQ(after.text(*row, "INDIRIMYAZI"), "10");
    EXPECT_DOUBLE_EQ(after.number(*row, "KALAN"), line.open) << "quantities untouched";
    ExpectOrderAddsUp(c.proxy, 1202, line.idno);

    // A second change keeps the very first price.
    EXPECT_EQ(c->BakiyeFiyatDegistir(WorkingFor(manager, 1202), 0, line.sirano, line.stokharNo, line.ordered,
                                     line.ordered, line.code, 80.0, 0.0),
              1);
    const DataTable again = c->BakiyelerVer2(1202);
    EXPECT_DOUBLE_EQ(again.number(*RowWith(again, "STOKHAR_NO", line.stokharNo), "ILKFIYAT"), line.price);
    EXPECT_DOUBLE_EQ(again.number(*RowWith(again, "STOKHAR_NO", line.stokharNo), "NETBIRIMFIYAT"), 80.0);
}

TEST_F(HistoryEdit, NonsenseEditsAreRefusedAndChangeNothing)
{
    Client c(*server);
    const TSonucBilgisi dealer = server->dealer(), sales = server->sales(), manager = server->manager();
    const std::vector<OpenLine> own = OpenLines(c.proxy, 1201);
    const std::vector<OpenLine> other = OpenLines(c.proxy, 1203);
    ASSERT_FALSE(own.empty());
    ASSERT_FALSE(other.empty());
    const OpenLine a = own.front(), b = other.front();
    auto ghost = CopyOf(sales);
    ghost->setSirano(987654);
    const TSonucBilgisi ghostUser = *ghost;

    const struct {
        const char *what;
        std::function<qint32()> call;
        const char *error;
    } cases[] = {
        {"negative outstanding",
         [&] { return c->BakiyeDegistir(CopyOf(dealer), a.stokno, a.sirano, a.stokharNo, -1, -1, a.code); },
         "sıfırdan küçük olamaz"},
        {"absurd outstanding",
         [&] { return c->BakiyeDegistir(CopyOf(dealer), a.stokno, a.sirano, a.stokharNo, 5e7, 5e7, a.code); },
         "en fazla"},
        {"negative quantity on removal",
         [&] { return c->BakiyeDuzenle(CopyOf(dealer), a.stokno, a.sirano, a.stokharNo, -3, a.open, a.code); },
         "sıfırdan küçük olamaz"},
        {"line of another account (staff working for 1201)",
         [&] { return c->BakiyeDegistir(WorkingFor(sales, 1201), b.stokno, b.sirano, b.stokharNo, 1, 1, b.code); },
         "bu cari hesaba ait değil"},
        {"line of another account, removal",
         [&] { return c->BakiyeDuzenle(CopyOf(dealer), b.stokno, b.sirano, b.stokharNo, b.ordered, b.open, b.code); },
         "bu cari hesaba ait değil"},
        {"dealer working for another account",
         [&] { return c->BakiyeDuzenle(WorkingFor(dealer, 1203), b.stokno, b.sirano, b.stokharNo, b.ordered, b.open, b.code); },
         "yetkiniz yok"},
        {"unknown line",
         [&] { return c->BakiyeDegistir(CopyOf(dealer), 0, 0, 987654, 1, 1, QString()); },
         "Sipariş satırı bulunamadı"},
        {"no line",
         [&] { return c->BakiyeDuzenle(CopyOf(dealer), 0, 0, 0, 1, 1, QString()); },
         "Sipariş satırı seçilmedi"},
        {"wrong item for the line",
         [&] { return c->BakiyeDegistir(CopyOf(dealer), a.stokno + 1, a.sirano, a.stokharNo, 1, 1, a.code); },
         "bu stoğa ait değil"},
        {"wrong basket line for the line",
         [&] { return c->BakiyeDegistir(CopyOf(dealer), a.stokno, a.sirano + 7, a.stokharNo, 1, 1, a.code); },
         "uyuşmuyor"},
        {"no session record",
         [&] { return c->BakiyeDuzenle(nullptr, a.stokno, a.sirano, a.stokharNo, a.ordered, a.open, a.code); },
         "Oturum bilgisi"},
        {"unknown user",
         [&] { return c->BakiyeDegistir(WorkingFor(ghostUser, 1201), a.stokno, a.sirano, a.stokharNo, 1, 1, a.code); },
         "Kullanıcı bulunamadı"},
        {"price change by a type 1 user",
         [&] { return c->BakiyeFiyatDegistir(WorkingFor(sales, 1201), 0, a.sirano, a.stokharNo, a.ordered, a.ordered, a.code, 50, 0); },
         "Fiyat değiştirme yetkiniz yok"},
        {"price change by a dealer",
         [&] { return c->BakiyeFiyatDegistir(CopyOf(dealer), 0, a.sirano, a.stokharNo, a.ordered, a.ordered, a.code, 50, 0); },
         "Fiyat değiştirme yetkiniz yok"},
        {"discount above 100",
         [&] { return c->BakiyeFiyatDegistir(WorkingFor(manager, 1201), 0, a.sirano, a.stokharNo, a.ordered, a.ordered, a.code, 50, 150); },
         "0 ile 100"},
        {"negative price",
         [&] { return c->BakiyeFiyatDegistir(WorkingFor(manager, 1201), 0, a.sirano, a.stokharNo, a.ordered, a.ordered, a.code, -5, 0); },
         "sıfırdan küçük"},
        {"price change on another account's line",
         [&] { return c->BakiyeFiyatDegistir(WorkingFor(manager, 1201), 0, b.sirano, b.stokharNo, b.ordered, b.ordered, b.code, 50, 0); },
         "bu cari hesaba ait değil"},
    };
    const QStringList before = Snapshot(server->db());
    ASSERT_FALSE(before.isEmpty());
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        const std::string error = ErrorOf(k.call);
        EXPECT_NE(error.find(k.error), std::string::npos) << error;
        EXPECT_EQ(Snapshot(server->db()), before);
    }
}

// ---------------------------------------------------------------------------
// Orders placed through the basket

class HistoryOrders : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new HistoryServer; }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }
    static HistoryServer *server;

    struct Placed {
        int idno = 0;
        std::vector<int> basketLines;
    };

    // Puts items into the account's basket (as `who`) and orders them.
    static Placed PlaceOrder(const TSonucBilgisi &who, int carino, const std::vector<std::pair<int, double>> &items,
                             const QString &note)
    {
        Client c(*server);
        const auto record = WorkingFor(who, carino);
        for (const auto &[stokno, quantity] : items)
            EXPECT_EQ(c->SepetEkle2(CopyOf(*record), carino, stokno, QString(), QString(), quantity, 20, 100, 0,
                                    who.Sirano(), 0, 0, 0, 0),
                      1);
        const DataTable basket = c->SepetVer2(carino);
        Placed placed;
        for (std::size_t r = 0; r < basket.rowCount(); ++r)
            if (basket.int32(r, "SEC") == 1) placed.basketLines.push_back(basket.int32(r, "SIRANO"));
        const DataTable deliveries = c->TeslimVer();
        const DataTable carrierTypes = c->KargoVer();
        EXPECT_GT(deliveries.rowCount(), 0u);
        EXPECT_GT(carrierTypes.rowCount(), 0u);
        const int carrierType = carrierTypes.value(0, 0).toInt();
        const DataTable carriers = c->KargolarVer(carrierType);
        EXPECT_GT(carriers.rowCount(), 0u);
        const int before = server->db().scalar(QStringLiteral("SELECT COALESCE(MAX(idno), 0) FROM orders")).toInt();
        EXPECT_TRUE(c->SiparisKaydet(CopyOf(*record), carino, deliveries.value(0, 0).toInt(), carrierType, note,
                                     who.Sirano(), carriers.int32(0, "SIRANO")));
        placed.idno = server->db().scalar(QStringLiteral("SELECT MAX(idno) FROM orders")).toInt();
        EXPECT_GT(placed.idno, before);
        return placed;
    }

    static std::vector<int> ItemsOnSale(int count)
    {
        std::vector<int> out;
        QSqlQuery q = server->db().exec(QStringLiteral("SELECT stokno FROM stock WHERE aktif = 1 AND kampanya = 0 "
                                                       "ORDER BY stokno"));
        while (q.next() && int(out.size()) < count) out.push_back(q.value(0).toInt());
        return out;
    }
};
HistoryServer *HistoryOrders::server = nullptr;

TEST_F(HistoryOrders, ANewOrderIsCountedListedAndReported)
{
    Client c(*server);
    const TSonucBilgisi sales = server->sales();
    TTusSonuclari *counted = c->TusSonuclariVer(CopyOf(sales));
    ASSERT_NE(counted, nullptr);
    const TTusSonuclari before = *counted;
    const DataTable card = c->CariAra(CopyOf(sales), QStringLiteral("1203"));
    ASSERT_EQ(card.rowCount(), 1u);
    const int receivedBefore = card.int32(0, "ALINDI");

    const std::vector<int> items = ItemsOnSale(3);
    ASSERT_EQ(items.size(), 3u);
    const Placed placed =
        PlaceOrder(sales, 1203, {{items[0], 2}, {items[1], 5}, {items[2], 1}}, QStringLiteral("Test siparişi\nikinci satır"));

    // Counters: one more received order, nothing else moves.
    TTusSonuclari *after = c->TusSonuclariVer(CopyOf(sales));
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->Alindi(), before.Alindi() + 1);
    EXPECT_EQ(after->Onaylandi(), before.Onaylandi());
    EXPECT_EQ(after->Goruldu(), before.Goruldu());
    EXPECT_EQ(after->ParcaliHazirlandi(), before.ParcaliHazirlandi());
    EXPECT_EQ(after->Hazirlandi(), before.Hazirlandi());
    EXPECT_EQ(after->SevkEdildi(), before.SevkEdildi());
    EXPECT_EQ(c->CariAra(CopyOf(sales), QStringLiteral("1203")).int32(0, "ALINDI"), receivedBefore + 1);
    EXPECT_TRUE(RowWith(c->CariSepetVer(CopyOf(sales), 2), "CARINO", 1203).has_value());

    // Previous orders: the new one comes first, with its footer and lines.
    const DataTable orders = c->OncekiSiparisler(1203);
    ASSERT_GT(orders.rowCount(), 0u);
    EXPECT_EQ(orders.int32(0, "IDNO"), placed.idno);
    EXPECT_EQ(orders.text(0, "DURUM"), "Alındı");
    EXPECT_EQ(orders.text(0, "VEREN"), "SATIS");
    EXPECT_EQ(orders.text(0, "VERENINNOTU"), "Test siparişi\nikinci satır");
    EXPECT_EQ(DayOfOle(orders.number(0, "TARIH")), QDate::currentDate());
    TSiparisDipAyrinti *footer = c->SiparisAytintisiDip(0, placed.idno);
    ASSERT_NE(footer, nullptr);
    EXPECT_EQ(footer->Durumu(), "Alındı");
    EXPECT_EQ(footer->SizinMesaj(), "Test siparişi\nikinci satır");
    const DataTable lines = c->SiparisAyrintisi2(1203, placed.idno);
    ASSERT_EQ(lines.rowCount(), 3u);
    std::set<int> basketLines;
    for (std::size_t l = 0; l < lines.rowCount(); ++l) {
        basketLines.insert(lines.int32(l, "SIRANO"));
        EXPECT_DOUBLE_EQ(lines.number(l, "KALAN"), lines.number(l, "MIKTAR")) << "nothing delivered yet";
        EXPECT_DOUBLE_EQ(lines.number(l, "TESLIMEDILEN"), 0.0);
    }
    EXPECT_EQ(basketLines, std::set<int>(placed.basketLines.begin(), placed.basketLines.end()));
    ExpectOrderAddsUp(c.proxy, 1203, placed.idno);

    // The new lines are outstanding, and their basket line numbers identify
    // them for an edit.
    const DataTable balances = c->BakiyelerVer2(1203);
    for (std::size_t l = 0; l < lines.rowCount(); ++l)
        EXPECT_TRUE(RowWith(balances, "STOKHAR_NO", lines.int32(l, "STOKHAR_NO")).has_value());
    EXPECT_EQ(c->BakiyeDegistir(WorkingFor(sales, 1203), lines.int32(0, "STOK_STOKNO"), lines.int32(0, "SIRANO"),
                                lines.int32(0, "STOKHAR_NO"), 1, 1, lines.text(0, "BARKOD")),
              1);

    // Today's received-orders report lists it under the user's salesperson.
    const double today = OleDay(QDate::currentDate());
    const DataTable report = c->RaporAlinanSiparisler(CopyOf(sales), today, today);
    bool found = false;
    for (std::size_t r = 0; r < report.rowCount(); ++r)
        if (int(report.number(r, "IDNO")) == placed.idno) {
            found = true;
            EXPECT_EQ(report.text(r, "SATICIADI"), sales.SaticiAdi());
            EXPECT_NEAR(report.number(r, "TUTAR"), orders.number(0, "TUTAR"), 0.001);
        }
    EXPECT_TRUE(found);
}

TEST_F(HistoryOrders, BasketCountAndListFollowTheBaskets)
{
    Client c(*server);
    const TSonucBilgisi sales = server->sales();
    // Empty every basket, then fill two.
    for (int carino : {1201, 1202, 1203}) c->SepetHepsiniSil(WorkingFor(sales, carino));
    EXPECT_EQ(c->SepetSayisi(CopyOf(sales)), 0);
    EXPECT_EQ(c->CariSepetVer(CopyOf(sales), 1).rowCount(), 0u);

    const std::vector<int> items = ItemsOnSale(3);
    const auto record1202 = WorkingFor(sales, 1202), record1203 = WorkingFor(sales, 1203);
    for (int stokno : items)
        c->SepetEkle2(CopyOf(*record1202), 1202, stokno, QString(), QString(), 1, 20, 10, 0, sales.Sirano(), 0, 0, 0, 0);
    c->SepetEkle2(CopyOf(*record1203), 1203, items[0], QString(), QString(), 4, 20, 10, 0, sales.Sirano(), 0, 0, 0, 0);

    EXPECT_EQ(c->SepetSayisi(CopyOf(sales)), 2);
    const DataTable list = c->CariSepetVer(CopyOf(sales), 1);
    ASSERT_EQ(list.rowCount(), 2u);
    EXPECT_EQ(list.int32(*RowWith(list, "CARINO", 1202), "SEPET"), 3);
    EXPECT_EQ(list.int32(*RowWith(list, "CARINO", 1203), "SEPET"), 1);
    // The dealer of 1201 sees their own empty basket.
    EXPECT_EQ(c->SepetSayisi(CopyOf(server->dealer())), 0);
    EXPECT_EQ(c->SepetSayisi(CopyOf(server->dealer4())), 1);
    // The badge of 1202 counts its basket lines.
    EXPECT_EQ(c->BalonGetir(CopyOf(server->dealer4())).value(0, 0).toInt(), 3);
}

}  // namespace
