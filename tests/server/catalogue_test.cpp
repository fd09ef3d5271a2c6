// The catalogue, basket and order methods through the real client proxy
// against a real tarsel-server with the demo data (on PostgreSQL when
// TARSEL_TEST_PG is set): what the client's screens rely on.

#include "remote/proxim.h"
#include "server/catalogue_search.h"
#include "server/dbpool.h"
#include "tests/server/qtcoreapp.h"
#include "tests/server/serverprocess.h"
#include "util/money.h"

#include <QDate>
#include <QImage>
#include <QSet>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <set>
#include <thread>

using namespace tarsel;
using tarsel::test::ServerProcess;

namespace {

constexpr int kDealerAccount = 1201;   // BAYI (type 3); discount rules, agreed prices
constexpr int kDealer4Account = 1202;  // BAYI4 (type 4)
constexpr int kPlainAccount = 1203;    // no rules: its card discount, 3 %

double R2(double v) { return RoundTo2Decimals(v); }

// The quantity dialog's arithmetic, written out once more as the client
// does it, to check what the server stores against.
struct DialogFigures {
    double unit, vatUnit, total;
};
DialogFigures Recalculate(double p, double q, const double r[4], double v)
{
    const double gross = p * q;
    double g = gross;
    for (int i = 0; i < 4; ++i)
        if (r[i] > 0) g = g - g * r[i] / 100;
    const double net = R2(g);
    const double unit = q == 0 ? 0 : R2(net / q);
    const double vatUnit = R2(unit * (1 + v / 100));
    return {unit, vatUnit, R2(vatUnit * q)};
}

// The basket tab's totals over the selected lines.
struct Totals {
    double t = 0, d = 0, n = 0, v = 0, g = 0;
};
Totals BasketTotals(const DataTable &sepet)
{
    Totals s;
    for (std::size_t i = 0; i < sepet.rowCount(); ++i) {
        if (sepet.int32(i, "SEC") != 1) continue;
        s.t = R2(s.t + sepet.number(i, "TUTAR"));
        s.d = R2(s.d + sepet.number(i, "INDIRIMTUTAR"));
        s.v = R2(s.v + sepet.number(i, "VERGITUTARI"));
    }
    s.n = R2(s.t - s.d);
    s.g = R2(s.v + s.n);
    return s;
}

// --- an independent matcher for the search -------------------------------

QStringList PlainWords(const QString &text)
{
    QString folded;
    for (QChar ch : text.normalized(QString::NormalizationForm_D)) {
        if (ch.category() == QChar::Mark_NonSpacing) continue;
        const char16_t c = ch.unicode();
        if (c == u'ı') folded += u'I';
        else if (c < 128 && ch.isLetterOrNumber()) folded += ch.toUpper();
        else folded += u' ';
    }
    return folded.split(u' ', Qt::SkipEmptyParts);
}

struct Item {
    int stokno = 0, k = 0, y = 0, durum = 0, resim = 0;
    QString code, name, maker, mainGroup, subGroup;
    QStringList words;
    double price = 0, list = 0, campaign = 0, vat = 0, net = 0, vatIncluded = 0;
    double rates[4] = {0, 0, 0, 0};
};

std::vector<Item> Items(const DataTable &t)
{
    std::vector<Item> out;
    for (std::size_t i = 0; i < t.rowCount(); ++i) {
        Item it;
        it.stokno = t.int32(i, "STOK_STOKNO");
        it.k = t.int32(i, "K");
        it.y = t.int32(i, "Y");
        it.durum = t.int32(i, "DURUM");
        it.resim = t.int32(i, "RESIM");
        it.code = t.text(i, "BARKOD");
        it.name = t.text(i, "ADI");
        it.maker = t.text(i, "MARKA");
        it.mainGroup = t.text(i, "ANAGRUP");
        it.subGroup = t.text(i, "ALTGRUP");
        it.price = t.number(i, "FIYAT");
        it.list = t.number(i, "LISTEFIYAT1");
        it.campaign = t.number(i, "KAMPFIYAT");
        it.vat = t.number(i, "KDV");
        it.net = t.number(i, "NETFIYAT");
        it.vatIncluded = t.number(i, "KDVDAHIL");
        for (int r = 0; r < 4; ++r) it.rates[r] = t.number(i, QStringLiteral("IND%1").arg(r + 1));
        it.words << PlainWords(it.name) << PlainWords(t.text(i, "DIGERADI"));
        for (const char *code : {"BARKOD", "OEM1", "OEM2", "OEM3", "OEM4", "OEMNO", "URETICIKODU"}) {
            const QStringList w = PlainWords(t.text(i, code));
            it.words << w << w.join(QString());
        }
        out.push_back(it);
    }
    return out;
}

bool Matches(const Item &it, const QStringList &query)
{
    for (const QString &q : query)
        if (std::none_of(it.words.begin(), it.words.end(), [&](const QString &w) { return w.startsWith(q); }))
            return false;
    return true;
}

// What a search answers of these matches: the first rows by item number.
std::set<int> Limited(const std::set<int> &matches)
{
    std::set<int> out;
    for (int n : matches) {
        if (int(out.size()) == server::kMaxStockRows) break;
        out.insert(n);
    }
    return out;
}

std::set<int> Numbers(const DataTable &t)
{
    std::set<int> s;
    for (std::size_t i = 0; i < t.rowCount(); ++i) s.insert(t.int32(i, "STOK_STOKNO"));
    return s;
}

// --- the server and connections -------------------------------------------

class CatalogueServer : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = new ServerProcess(ServerProcess::Database::FromEnvironment);
        server->start({"--demo", "--machine", "CAT-TEST"});
    }
    static void TearDownTestSuite()
    {
        EXPECT_EQ(server->stop(), 0);
        delete server;
        server = nullptr;
    }

    void SetUp() override
    {
        conn = Open();
        proxy = std::make_unique<TServerMethods1Client>(*conn);
        dealer = SignIn("DEMO-BAYI");
        dealer4 = SignIn("DEMO-BAYI4");
        staff = SignIn("DEMO-SATIS");
        ASSERT_EQ(dealer.CARINO(), kDealerAccount);
        ASSERT_EQ(dealer4.CARINO(), kDealer4Account);
        ASSERT_EQ(staff.MusteriTipi(), 1);
    }
    void TearDown() override
    {
        proxy.reset();
        conn->Close();
    }

    static std::unique_ptr<DSConnection> Open()
    {
        auto c = std::make_unique<DSConnection>();
        c->HostName = QStringLiteral("127.0.0.1");
        c->Port = QString::number(server->port());
        c->Open();
        return c;
    }

    TSonucBilgisi SignIn(const char *machine)
    {
        TSonucBilgisi rec;
        TSonucBilgisi *r = proxy->BuyukGetir(QString::fromLatin1(machine));
        if (r) rec.Kopyala(*r);
        return rec;
    }

    // A session record working on `carino` (as the customer console sets it).
    static std::unique_ptr<TSonucBilgisi> On(const TSonucBilgisi &user, int carino)
    {
        auto copy = CopyOf(user);
        copy->setCARINO(carino);
        return copy;
    }

    DataTable Search(const QString &text, int carino, const QString &maker = QStringLiteral(" HEPSİ"),
                     const QString &group = QStringLiteral(" HEPSİ"), const QString &sub = QStringLiteral(" HEPSİ"),
                     bool campaign = false, bool isNew = false, bool inStock = false, bool picture = false)
    {
        return proxy->StokAraGetirEFS(text, maker, group, sub, campaign, isNew, inStock, picture, On(dealer, carino));
    }

    // Every listed item, priced for the account: one search per manufacturer.
    std::vector<Item> Catalogue(int carino)
    {
        std::vector<Item> all;
        const QStringList makers = proxy->DepartmanlariVer().split(u'|');
        for (int i = 1; i < makers.size(); ++i) {
            const DataTable t = Search(QString(), carino, makers[i]);
            EXPECT_LT(t.rowCount(), std::size_t(server::kMaxStockRows)) << "a manufacturer's list reached the row limit";
            for (const Item &it : Items(t)) all.push_back(it);
        }
        return all;
    }

    server::Db Database()
    {
        return server::Db(server::ParseConnectionString(server->databaseUrl(), server->dataDir()),
                          QStringLiteral("catalogue-test-%1").arg(++dbSeq));
    }

    qint32 Add(const TSonucBilgisi &user, int carino, const Item &it, double quantity)
    {
        return proxy->SepetEkle2(On(user, carino), carino, it.stokno, it.code, it.name, quantity, it.vat, it.price,
                                 it.rates[0], user.Sirano(), it.k, it.rates[1], it.rates[2], it.rates[3]);
    }

    void EmptyBasket(const TSonucBilgisi &user, int carino)
    {
        EXPECT_EQ(proxy->SepetHepsiniSil(On(user, carino)), 1);
        ASSERT_EQ(proxy->SepetVer2(carino).rowCount(), 0u);
    }

    static ServerProcess *server;
    static inline int dbSeq = 0;
    std::unique_ptr<DSConnection> conn;
    std::unique_ptr<TServerMethods1Client> proxy;
    TSonucBilgisi dealer, dealer4, staff;
};
ServerProcess *CatalogueServer::server = nullptr;

// ---------------------------------------------------------------------------
// Search

TEST_F(CatalogueServer, SearchFindsExactlyTheItemsWhoseWordsBeginWithEveryWord)
{
    const std::vector<Item> all = Catalogue(kDealerAccount);
    ASSERT_GT(all.size(), 250u);
    // A sample item gives codes, OEM numbers and maker codes to search for.
    const DataTable sampleTable = Search(QStringLiteral("ÖN FREN BALATASI"), kDealerAccount);
    ASSERT_GT(sampleTable.rowCount(), 3u);
    const QString code = sampleTable.text(2, "BARKOD");
    const QString oem = sampleTable.text(2, "OEM1");
    const QString makerCode = sampleTable.text(2, "URETICIKODU");
    ASSERT_FALSE(oem.isEmpty());
    QString oemCompact = oem;
    oemCompact.remove(u' ').remove(u'-').remove(u'.');

    const QStringList texts = {
        QString::fromUtf8("fren balatası"),
        QString::fromUtf8("  ÖN FREN DİSKİ "),
        QString::fromUtf8("on fren diski"),
        QStringLiteral("BALATA"),
        QString::fromUtf8("filtre"),
        QString::fromUtf8("amortisör clio"),
        QStringLiteral("ampul h7"),
        QString::fromUtf8("ÄMPUL"),
        code,
        code.toLower(),
        QString(code).remove(u'-'),
        oem,
        oemCompact,
        oemCompact.left(4),
        makerCode,
        QString(makerCode).remove(u' '),
        // Quotes and SQL metacharacters are data.
        QStringLiteral("BALATA'; DROP TABLE stock; --"),
        QStringLiteral("' OR '1'='1"),
        QStringLiteral("FREN%"),
        QStringLiteral("FREN_BALATASI"),
        QStringLiteral("x\\y"),
        QStringLiteral("\"AMPUL\""),
        QStringLiteral("%%%"),
        QStringLiteral("_"),
        QStringLiteral("'"),
        QStringLiteral("NOVA"),  // a manufacturer's name is not searched as a word
    };
    for (const QString &text : texts) {
        SCOPED_TRACE(text.toStdString());
        std::set<int> expected;
        const QStringList words = PlainWords(text);
        for (const Item &it : all)
            if (!words.isEmpty() && Matches(it, words)) expected.insert(it.stokno);
        const DataTable result = Search(text, kDealerAccount);
        EXPECT_EQ(Numbers(result), Limited(expected));
        for (std::size_t i = 1; i < result.rowCount(); ++i)  // sorted by code
            EXPECT_LE(result.text(i - 1, "BARKOD"), result.text(i, "BARKOD"));
    }
    // The searches changed nothing.
    EXPECT_EQ(Catalogue(kDealerAccount).size(), all.size());
    EXPECT_EQ(Search(code, kDealerAccount).text(0, "BARKOD"), code);
}

TEST_F(CatalogueServer, ListsAndFlagsRestrictTheSearch)
{
    const std::vector<Item> all = Catalogue(kDealerAccount);
    const QStringList makers = proxy->DepartmanlariVer().split(u'|');
    const QStringList groups = proxy->AnaGrupVer().split(u'|');
    ASSERT_GE(makers.size(), 5);
    ASSERT_GE(groups.size(), 5);
    EXPECT_EQ(makers.front(), QString::fromUtf8(" HEPSİ"));
    EXPECT_EQ(groups.front(), QString::fromUtf8(" HEPSİ"));

    // The lists hold what the catalogue holds.
    QSet<QString> itemMakers, itemGroups;
    for (const Item &it : all) itemMakers.insert(it.maker), itemGroups.insert(it.mainGroup);
    EXPECT_EQ(QSet<QString>(makers.begin() + 1, makers.end()), itemMakers);
    EXPECT_EQ(QSet<QString>(groups.begin() + 1, groups.end()), itemGroups);
    const QString group = groups.at(1);
    const QStringList subs = proxy->AltGrupVer(group).split(u'|');
    QSet<QString> itemSubs;
    for (const Item &it : all)
        if (it.mainGroup == group) itemSubs.insert(it.subGroup);
    EXPECT_EQ(subs.front(), QString::fromUtf8(" HEPSİ"));
    EXPECT_EQ(QSet<QString>(subs.begin() + 1, subs.end()), itemSubs);
    EXPECT_EQ(proxy->AltGrupVer(QString::fromUtf8(" HEPSİ")), QString::fromUtf8(" HEPSİ"));
    EXPECT_EQ(proxy->AltGrupVer(QStringLiteral("YOK BÖYLE GRUP")), QString::fromUtf8(" HEPSİ"));

    const QString maker = makers.at(3);
    const QString sub = subs.at(1);
    const struct {
        QString text, maker, group, sub;
        bool campaign, isNew, inStock, picture;
    } cases[] = {
        {QStringLiteral("FREN"), maker, QString::fromUtf8(" HEPSİ"), QString::fromUtf8(" HEPSİ"), false, false, false, false},
        {QString(), maker, QString(), QString(), false, false, false, false},  // empty entries restrict nothing
        {QString(), QString::fromUtf8(" HEPSİ"), group, sub, false, false, false, false},
        {QString(), QString::fromUtf8(" HEPSİ"), group, QString::fromUtf8(" HEPSİ"), false, false, true, false},
        {QStringLiteral("A"), QString::fromUtf8(" HEPSİ"), QString::fromUtf8(" HEPSİ"), QString::fromUtf8(" HEPSİ"), true, false, false, false},
        {QString(), QString::fromUtf8(" HEPSİ"), QString::fromUtf8(" HEPSİ"), QString::fromUtf8(" HEPSİ"), false, true, false, false},
        {QStringLiteral("FILTRE"), QString::fromUtf8(" HEPSİ"), QString::fromUtf8(" HEPSİ"), QString::fromUtf8(" HEPSİ"), false, false, true, true},
        {QString(), QString::fromUtf8(" HEPSİ"), QString::fromUtf8(" HEPSİ"), QString::fromUtf8(" HEPSİ"), false, false, false, true},
        {QStringLiteral("FREN"), QStringLiteral("NOVA' OR '1'='1"), QString::fromUtf8(" HEPSİ"), QString::fromUtf8(" HEPSİ"), false, false, false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE((c.text + "|" + c.maker + "|" + c.group + "|" + c.sub).toStdString() +
                     (c.campaign ? " kampanya" : "") + (c.isNew ? " yeni" : "") + (c.inStock ? " var" : "") +
                     (c.picture ? " resim" : ""));
        const QStringList words = PlainWords(c.text);
        auto restricts = [](const QString &entry) { return !entry.trimmed().isEmpty() && entry != QString::fromUtf8(" HEPSİ"); };
        std::set<int> expected;
        for (const Item &it : all) {
            if (!Matches(it, words)) continue;
            if (restricts(c.maker) && it.maker != c.maker) continue;
            if (restricts(c.group) && it.mainGroup != c.group) continue;
            if (restricts(c.sub) && it.subGroup != c.sub) continue;
            if (c.campaign && it.k != 1) continue;
            if (c.isNew && it.y != 1) continue;
            if (c.inStock && it.durum != 1) continue;
            if (c.picture && it.resim != 1) continue;
            expected.insert(it.stokno);
        }
        EXPECT_EQ(Numbers(Search(c.text, kDealerAccount, c.maker, c.group, c.sub, c.campaign, c.isNew, c.inStock, c.picture)),
                  Limited(expected));
    }
}

TEST_F(CatalogueServer, DemoCatalogueCoversWhatTheScreensShow)
{
    const std::vector<Item> all = Catalogue(kDealerAccount);
    std::set<int> statuses;
    int campaign = 0, isNew = 0, pictures = 0;
    for (const Item &it : all) {
        statuses.insert(it.durum);
        campaign += it.k;
        isNew += it.y;
        pictures += it.resim;
    }
    EXPECT_EQ(statuses, (std::set<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_GT(campaign, 10);
    EXPECT_GT(isNew, 10);
    EXPECT_GT(pictures, int(all.size()) * 3 / 4);
    EXPECT_LT(pictures, int(all.size()));
    // One demo item is withdrawn from sale and never listed.
    server::Db db = Database();
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM stock WHERE aktif = 1").toInt(), int(all.size()));
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM stock WHERE aktif = 0").toInt(), 1);
}

TEST_F(CatalogueServer, RowsArePricedForTheAccountAsTheDialogComputes)
{
    // 1203 has no rules: its card discount (3 %) is the first rate.
    for (const Item &it : Catalogue(kPlainAccount)) {
        SCOPED_TRACE(it.code.toStdString());
        if (it.k == 1) {
            EXPECT_GT(it.campaign, 0);
            EXPECT_DOUBLE_EQ(it.price, it.campaign);
            EXPECT_EQ(it.rates[0] + it.rates[1] + it.rates[2] + it.rates[3], 0);
        } else {
            EXPECT_DOUBLE_EQ(it.price, it.list);
            EXPECT_DOUBLE_EQ(it.rates[0], 3);
            EXPECT_EQ(it.rates[1] + it.rates[2] + it.rates[3], 0);
        }
        const DialogFigures one = Recalculate(it.price, 1, it.rates, it.vat);
        EXPECT_DOUBLE_EQ(it.net, one.unit);
        EXPECT_DOUBLE_EQ(it.vatIncluded, one.vatUnit);
    }
    // 1201: the most specific rule; an agreed price replaces the list price.
    int checked = 0, agreed = 0;
    for (const Item &it : Catalogue(kDealerAccount)) {
        if (it.k == 1) continue;
        if (it.price != it.list) {
            ++agreed;
            continue;
        }
        std::array<double, 4> want{10, 5, 0, 0};
        if (it.maker == "TOROS" && it.mainGroup == QString::fromUtf8("FREN SİSTEMİ")) want = {15, 5, 3, 0};
        else if (it.maker == "NOVA") want = {15, 5, 0, 0};
        else if (it.mainGroup == QString::fromUtf8("FİLTRELER")) want = {20, 0, 0, 0};
        for (int r = 0; r < 4; ++r) EXPECT_DOUBLE_EQ(it.rates[r], want[std::size_t(r)]) << it.code.toStdString();
        ++checked;
    }
    EXPECT_GT(checked, 200);
    EXPECT_GT(agreed, 0);
    // The campaign and new lists.
    const std::vector<Item> all = Catalogue(kDealerAccount);
    std::set<int> campaignItems, newItems;
    for (const Item &it : all) {
        if (it.k) campaignItems.insert(it.stokno);
        if (it.y) newItems.insert(it.stokno);
    }
    const DataTable camp = proxy->KampanyaliVer2(kDealerAccount, 3);
    EXPECT_EQ(Numbers(camp), campaignItems);
    for (std::size_t i = 0; i < camp.rowCount(); ++i) {
        EXPECT_EQ(camp.int32(i, "K"), 1);
        EXPECT_DOUBLE_EQ(camp.number(i, "FIYAT"), camp.number(i, "KAMPFIYAT"));
        EXPECT_GT(camp.number(i, "ESKIFIYAT"), camp.number(i, "FIYAT"));
    }
    EXPECT_EQ(Numbers(proxy->YenilerVer2(kDealerAccount)), newItems);
}

// ---------------------------------------------------------------------------
// Pictures

TEST_F(CatalogueServer, PictureComesWithItsSizeAndAnItemWithoutOneGetsNothing)
{
    std::vector<Item> all = Catalogue(kDealerAccount);
    auto with = std::find_if(all.begin(), all.end(), [](const Item &it) { return it.resim == 1; });
    auto without = std::find_if(all.begin(), all.end(), [](const Item &it) { return it.resim == 0; });
    ASSERT_NE(with, all.end());
    ASSERT_NE(without, all.end());

    qint64 boy = -1;
    QIODevice *s = proxy->ResimVer5(with->stokno, boy);
    ASSERT_NE(s, nullptr);
    const QByteArray bytes = s->readAll();
    EXPECT_GT(boy, 1000);
    EXPECT_EQ(bytes.size(), boy);
    EXPECT_TRUE(bytes.startsWith("\xFF\xD8"));  // the client decodes it as JPEG
    const QImage image = QImage::fromData(bytes, "JPEG");
    EXPECT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(320, 240));

    for (int stokno : {without->stokno, 99999999}) {
        boy = -1;
        QIODevice *none = proxy->ResimVer5(stokno, boy);
        EXPECT_EQ(boy, 0);
        EXPECT_TRUE(!none || none->readAll().isEmpty());
    }
}

// ---------------------------------------------------------------------------
// Basket

TEST_F(CatalogueServer, BasketAmountsFollowTheDialogThroughAddChangeAndRemove)
{
    EmptyBasket(dealer, kDealerAccount);
    std::vector<Item> all = Catalogue(kDealerAccount);
    const Item *normal = nullptr, *campaign = nullptr, *ruled = nullptr;
    for (const Item &it : all) {
        if (!normal && it.k == 0 && it.rates[0] == 10) normal = &it;
        if (!campaign && it.k == 1) campaign = &it;
        if (!ruled && it.k == 0 && it.rates[2] == 3) ruled = &it;
    }
    ASSERT_TRUE(normal && campaign && ruled);

    const std::map<int, double> quantities = {{normal->stokno, 2}, {campaign->stokno, 1}, {ruled->stokno, 5}};
    for (const Item *it : {normal, campaign, ruled}) EXPECT_EQ(Add(dealer, kDealerAccount, *it, quantities.at(it->stokno)), 1);

    auto check = [&](const DataTable &sepet) {
        double expectedTotal = 0;
        for (std::size_t i = 0; i < sepet.rowCount(); ++i) {
            const int stokno = sepet.int32(i, "STOKNO");
            const auto item = std::find_if(all.begin(), all.end(), [&](const Item &it) { return it.stokno == stokno; });
            SCOPED_TRACE(item->code.toStdString());
            const double q = sepet.number(i, "MIKTAR");
            const DialogFigures f = Recalculate(item->price, q, item->rates, item->vat);
            EXPECT_DOUBLE_EQ(sepet.number(i, "BIRIMFIYAT"), item->price);
            for (int r = 0; r < 4; ++r)
                EXPECT_DOUBLE_EQ(sepet.number(i, QStringLiteral("INDIRIMORANI%1").arg(r + 1)), item->rates[r]);
            EXPECT_DOUBLE_EQ(sepet.number(i, "TUTAR"), R2(item->price * q));
            EXPECT_DOUBLE_EQ(sepet.number(i, "NETBIRIMFIYAT"), f.unit);
            EXPECT_DOUBLE_EQ(R2(sepet.number(i, "TUTAR") - sepet.number(i, "INDIRIMTUTAR") + sepet.number(i, "VERGITUTARI")),
                             f.total);
            EXPECT_DOUBLE_EQ(sepet.number(i, "KDV"), item->vat);
            EXPECT_EQ(sepet.int32(i, "K"), item->k);
            EXPECT_EQ(sepet.text(i, "VEREN"), "BAYI");
            EXPECT_EQ(sepet.text(i, "BARKOD"), item->code);
            EXPECT_EQ(sepet.text(i, "STOKADI"), item->name);
            if (sepet.int32(i, "SEC") == 1) expectedTotal = R2(expectedTotal + f.total);
        }
        EXPECT_DOUBLE_EQ(BasketTotals(sepet).g, expectedTotal);
    };

    DataTable sepet = proxy->SepetVer2(kDealerAccount);
    ASSERT_EQ(sepet.rowCount(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(sepet.int32(i, "SEC"), 1);
        EXPECT_DOUBLE_EQ(sepet.number(i, "MIKTAR"), quantities.at(sepet.int32(i, "STOKNO")));
    }
    check(sepet);

    // A change of quantity; a customer's own price is not taken.
    const int changed = sepet.int32(0, "SIRANO");
    EXPECT_EQ(proxy->SepetGuncelle2(On(dealer, kDealerAccount), kDealerAccount, 0, sepet.text(0, "BARKOD"),
                                    sepet.text(0, "STOKADI"), 7, sepet.number(0, "KDV"), 0.01, 0, dealer.Sirano(), changed,
                                    0, 0, 0),
              1);
    // Adding an item that is already there adds to its line.
    EXPECT_EQ(Add(dealer, kDealerAccount, *campaign, 2), 1);
    sepet = proxy->SepetVer2(kDealerAccount);
    ASSERT_EQ(sepet.rowCount(), 3u);
    EXPECT_EQ(sepet.int32(0, "SIRANO"), changed);
    EXPECT_DOUBLE_EQ(sepet.number(0, "MIKTAR"), 7);
    EXPECT_DOUBLE_EQ(sepet.number(1, "MIKTAR"), 3);
    check(sepet);

    // Selection: only selected lines count.
    proxy->SepetSecimGuncelle(sepet.int32(1, "SIRANO"), 0);
    sepet = proxy->SepetVer2(kDealerAccount);
    EXPECT_EQ(sepet.int32(1, "SEC"), 0);
    check(sepet);
    const Totals before = BasketTotals(sepet);
    EXPECT_GT(before.g, 0);

    // Removal: 1 when the line was there, 0 after; the others stay.
    const int removed = sepet.int32(2, "SIRANO");
    EXPECT_EQ(proxy->SepetSatirSil(On(dealer, kDealerAccount), removed, QStringLiteral("X-Y")), 1);
    EXPECT_EQ(proxy->SepetSatirSil(On(dealer, kDealerAccount), removed, QStringLiteral("X-Y")), 0);
    EXPECT_EQ(proxy->SepetGuncelle2(On(dealer, kDealerAccount), kDealerAccount, 0, "", "", 2, 20, 10, 0, dealer.Sirano(),
                                    removed, 0, 0, 0),
              0);
    sepet = proxy->SepetVer2(kDealerAccount);
    ASSERT_EQ(sepet.rowCount(), 2u);
    EXPECT_EQ(sepet.int32(0, "SIRANO"), changed);
    check(sepet);

    EmptyBasket(dealer, kDealerAccount);
}

TEST_F(CatalogueServer, SalesStaffPriceTheLineThemselves)
{
    EmptyBasket(staff, kPlainAccount);
    std::vector<Item> all = Catalogue(kPlainAccount);
    auto it = std::find_if(all.begin(), all.end(), [](const Item &i) { return i.vat == 20 && i.k == 0; });
    ASSERT_NE(it, all.end());
    ASSERT_EQ(proxy->SepetEkle2(On(staff, kPlainAccount), kPlainAccount, it->stokno, it->code, it->name, 3, 20, 100, 10,
                                staff.Sirano(), 0, 5, 0, 0),
              1);
    DataTable sepet = proxy->SepetVer2(kPlainAccount);
    ASSERT_EQ(sepet.rowCount(), 1u);
    EXPECT_DOUBLE_EQ(sepet.number(0, "TUTAR"), 300);
    EXPECT_DOUBLE_EQ(sepet.number(0, "INDIRIMTUTAR"), 43.50);
    EXPECT_DOUBLE_EQ(sepet.number(0, "NETBIRIMFIYAT"), 85.50);
    EXPECT_DOUBLE_EQ(sepet.number(0, "NETTUTAR"), 256.50);
    EXPECT_DOUBLE_EQ(sepet.number(0, "VERGITUTARI"), 51.30);
    EXPECT_EQ(sepet.text(0, "INDIRIMYAZI"), "10+5");
    EXPECT_EQ(sepet.text(0, "VEREN"), "SATIS");

    // The second case of the dialog: rates adding up to 1 % still apply.
    EXPECT_EQ(proxy->SepetGuncelle2(On(staff, kPlainAccount), kPlainAccount, 0, it->code, it->name, 1, 20, 10, 0.5,
                                    staff.Sirano(), sepet.int32(0, "SIRANO"), 0.5, 0, 0),
              1);
    sepet = proxy->SepetVer2(kPlainAccount);
    EXPECT_DOUBLE_EQ(sepet.number(0, "TUTAR"), 10);
    EXPECT_DOUBLE_EQ(sepet.number(0, "INDIRIMTUTAR"), 0.10);
    EXPECT_DOUBLE_EQ(sepet.number(0, "VERGITUTARI"), 1.98);
    EXPECT_DOUBLE_EQ(BasketTotals(sepet).g, 11.88);
    EmptyBasket(staff, kPlainAccount);
}

TEST_F(CatalogueServer, BadBasketInputIsRefusedWithAMessageAndChangesNothing)
{
    EmptyBasket(dealer, kDealerAccount);
    const std::vector<Item> all = Catalogue(kDealerAccount);
    const Item &item = all.front();
    ASSERT_EQ(Add(dealer, kDealerAccount, item, 1), 1);
    const DataTable before = proxy->SepetVer2(kDealerAccount);
    const int line = before.int32(0, "SIRANO");

    const struct {
        const char *what;
        std::function<void()> call;
        const char *message;
    } cases[] = {
        {"quantity 0", [&] { Add(dealer, kDealerAccount, item, 0); }, "Miktar"},
        {"negative quantity", [&] { Add(dealer, kDealerAccount, item, -2); }, "Miktar"},
        {"huge quantity", [&] { Add(dealer, kDealerAccount, item, 5e6); }, "Miktar"},
        {"change to 0", [&] {
             proxy->SepetGuncelle2(On(dealer, kDealerAccount), kDealerAccount, 0, "", "", 0, 20, 1, 0, dealer.Sirano(),
                                   line, 0, 0, 0);
         }, "Miktar"},
        {"unknown item", [&] {
             Item ghost = item;
             ghost.stokno = 987654;
             Add(dealer, kDealerAccount, ghost, 1);
         }, "Stok bulunamadı"},
        {"dealer on another account", [&] { Add(dealer, kDealer4Account, item, 1); }, "yetkiniz yok"},
        {"unknown user", [&] {
             proxy->SepetEkle2(On(dealer, kDealerAccount), kDealerAccount, item.stokno, "", "", 1, 20, 1, 0, 424242, 0, 0,
                               0, 0);
         }, "Kullanıcı bulunamadı"},
        {"unknown account", [&] { Add(staff, 777, item, 1); }, "Cari hesap bulunamadı"},
        {"staff rate over 100", [&] {
             proxy->SepetEkle2(On(staff, kDealerAccount), kDealerAccount, item.stokno, "", "", 1, 20, 10, 150,
                               staff.Sirano(), 0, 0, 0, 0);
         }, "İndirim oranları"},
        {"staff negative price", [&] {
             proxy->SepetEkle2(On(staff, kDealerAccount), kDealerAccount, item.stokno, "", "", 1, 20, -10, 0,
                               staff.Sirano(), 0, 0, 0, 0);
         }, "Birim fiyat"},
        {"selection 5", [&] { proxy->SepetSecimGuncelle(line, 5); }, "seçim"},
        {"remove without session", [&] { proxy->SepetSatirSil(nullptr, line, ""); }, "Oturum"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        try {
            c.call();
            ADD_FAILURE() << "accepted";
        } catch (const RemoteError &e) {
            EXPECT_EQ(e.status, 500);
            EXPECT_NE(QString::fromStdString(e.what()).indexOf(QString::fromUtf8(c.message)), -1) << e.what();
        }
    }
    const DataTable after = proxy->SepetVer2(kDealerAccount);
    ASSERT_EQ(after.rowCount(), 1u);
    EXPECT_EQ(after.int32(0, "SIRANO"), line);
    EXPECT_DOUBLE_EQ(after.number(0, "MIKTAR"), 1);
    EXPECT_DOUBLE_EQ(after.number(0, "TUTAR"), before.number(0, "TUTAR"));
    EmptyBasket(dealer, kDealerAccount);
}

// ---------------------------------------------------------------------------
// Carriers and orders

TEST_F(CatalogueServer, DeliveryAndCarrierLists)
{
    const DataTable teslim = proxy->TeslimVer();
    ASSERT_EQ(teslim.rowCount(), 2u);
    EXPECT_EQ(teslim.columns[0].type, FieldType::Int32);
    EXPECT_EQ(teslim.columns[1].type, FieldType::String);
    const DataTable types = proxy->KargoVer();
    ASSERT_GE(types.rowCount(), 3u);
    // The same carrier offered under two types, with its own key each.
    const DataTable a = proxy->KargolarVer(types.int32(0, "SIRANO"));
    const DataTable b = proxy->KargolarVer(types.int32(1, "SIRANO"));
    ASSERT_GT(a.rowCount(), 0u);
    ASSERT_GT(b.rowCount(), 0u);
    EXPECT_EQ(a.text(0, "ADI"), b.text(0, "ADI"));
    EXPECT_NE(a.int32(0, "SIRANO"), b.int32(0, "SIRANO"));
    EXPECT_FALSE(b.text(0, "UYARI").isEmpty());
    EXPECT_EQ(proxy->KargolarVer(9999).rowCount(), 0u);
}

TEST_F(CatalogueServer, OrderTakesOnlyTheSelectedLinesAndLeavesTheRest)
{
    EmptyBasket(dealer, kDealerAccount);
    const std::vector<Item> all = Catalogue(kDealerAccount);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(Add(dealer, kDealerAccount, all[std::size_t(10 + i * 7)], 1 + i), 1);
    DataTable sepet = proxy->SepetVer2(kDealerAccount);
    ASSERT_EQ(sepet.rowCount(), 3u);
    const int kept = sepet.int32(1, "SIRANO");
    proxy->SepetSecimGuncelle(kept, 0);
    sepet = proxy->SepetVer2(kDealerAccount);
    const Totals totals = BasketTotals(sepet);

    const DataTable types = proxy->KargoVer();
    const int type = types.int32(0, "SIRANO");
    const DataTable carriers = proxy->KargolarVer(type);
    const int carrier = carriers.int32(0, "SIRANO");
    const int otherTypeCarrier = proxy->KargolarVer(types.int32(1, "SIRANO")).int32(0, "SIRANO");
    const int delivery = proxy->TeslimVer().int32(1, "SIRANO");

    server::Db db = Database();
    const int ordersBefore = db.scalar("SELECT COUNT(*) FROM orders").toInt();

    // Wrong choices are refused before anything happens.
    const struct {
        int delivery, type, carrier;
        QString note;
        const char *message;
    } refused[] = {
        {delivery, type, otherTypeCarrier, QString(), "kargo türünde yok"},
        {99, type, carrier, QString(), "Teslim durumu bulunamadı"},
        {delivery, 99, carrier, QString(), "Kargo türü bulunamadı"},
        {delivery, type, 123456, QString(), "Kargo bulunamadı"},
        {delivery, type, carrier, QString(5000, u'x'), "açıklaması"},
    };
    for (const auto &r : refused) {
        try {
            proxy->SiparisKaydet(On(dealer, kDealerAccount), kDealerAccount, r.delivery, r.type, r.note, dealer.Sirano(),
                                 r.carrier);
            ADD_FAILURE() << "accepted: " << r.message;
        } catch (const RemoteError &e) {
            EXPECT_NE(QString::fromStdString(e.what()).indexOf(QString::fromUtf8(r.message)), -1) << e.what();
        }
    }
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM orders").toInt(), ordersBefore);
    EXPECT_EQ(proxy->SepetVer2(kDealerAccount).rowCount(), 3u);

    const QString note = QString::fromUtf8("Acil gönderin\nÖğleden önce lütfen");
    ASSERT_TRUE(proxy->SiparisKaydet(On(dealer, kDealerAccount), kDealerAccount, delivery, type, note, dealer.Sirano(),
                                     carrier));
    // The basket keeps the line that was not selected.
    const DataTable rest = proxy->SepetVer2(kDealerAccount);
    ASSERT_EQ(rest.rowCount(), 1u);
    EXPECT_EQ(rest.int32(0, "SIRANO"), kept);

    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM orders").toInt(), ordersBefore + 1);
    QSqlQuery o = db.exec("SELECT idno, durum, veren, teslim_id, kargo_turu_id, kargo_id, kargo_adi, aciklama, tutar, "
                          "indirim_tutar, net_tutar, vergi, genel_tutar, carino FROM orders ORDER BY idno DESC");
    ASSERT_TRUE(o.next());
    const qint64 idno = o.value(0).toLongLong();
    EXPECT_EQ(o.value(1).toInt(), 2);
    EXPECT_EQ(o.value(2).toString(), "BAYI");
    EXPECT_EQ(o.value(3).toInt(), delivery);
    EXPECT_EQ(o.value(4).toInt(), type);
    EXPECT_EQ(o.value(5).toInt(), carrier);
    EXPECT_EQ(o.value(6).toString(), carriers.text(0, "ADI"));
    EXPECT_EQ(o.value(7).toString(), note);
    EXPECT_DOUBLE_EQ(o.value(8).toDouble(), totals.t);
    EXPECT_DOUBLE_EQ(o.value(9).toDouble(), totals.d);
    EXPECT_DOUBLE_EQ(o.value(10).toDouble(), totals.n);
    EXPECT_DOUBLE_EQ(o.value(11).toDouble(), totals.v);
    EXPECT_DOUBLE_EQ(o.value(12).toDouble(), totals.g);
    EXPECT_EQ(o.value(13).toInt(), kDealerAccount);
    o.finish();

    std::map<int, int> lineOf;  // basket SIRANO -> row in sepet
    for (std::size_t i = 0; i < sepet.rowCount(); ++i)
        if (sepet.int32(i, "SEC") == 1) lineOf[sepet.int32(i, "SIRANO")] = int(i);
    QSqlQuery l = db.exec("SELECT sepet_sirano, stokno, miktar, teslim_edilen, kalan, tutar, indirim_tutar, vergi_tutari "
                          "FROM order_lines WHERE idno = ? ORDER BY sirano",
                          {idno});
    int lines = 0;
    while (l.next()) {
        ++lines;
        const int from = l.value(0).toInt();
        ASSERT_TRUE(lineOf.count(from)) << from;
        const std::size_t i = std::size_t(lineOf[from]);
        EXPECT_EQ(l.value(1).toInt(), sepet.int32(i, "STOKNO"));
        EXPECT_DOUBLE_EQ(l.value(2).toDouble(), sepet.number(i, "MIKTAR"));
        EXPECT_DOUBLE_EQ(l.value(3).toDouble(), 0);
        EXPECT_DOUBLE_EQ(l.value(4).toDouble(), sepet.number(i, "MIKTAR"));
        EXPECT_DOUBLE_EQ(l.value(5).toDouble(), sepet.number(i, "TUTAR"));
        EXPECT_DOUBLE_EQ(l.value(6).toDouble(), sepet.number(i, "INDIRIMTUTAR"));
        EXPECT_DOUBLE_EQ(l.value(7).toDouble(), sepet.number(i, "VERGITUTARI"));
    }
    EXPECT_EQ(lines, 2);

    // Nothing selected: refused, no order.
    EXPECT_FALSE(proxy->SiparisKaydet(On(dealer, kDealerAccount), kDealerAccount, delivery, type, QString(),
                                      dealer.Sirano(), carrier));
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM orders").toInt(), ordersBefore + 1);
    EXPECT_EQ(proxy->SepetVer2(kDealerAccount).rowCount(), 1u);
    EmptyBasket(dealer, kDealerAccount);
}

TEST_F(CatalogueServer, TwoOrdersAtOnceForOneAccountShareOutTheLinesExactlyOnce)
{
    const std::vector<Item> all = Catalogue(kDealer4Account);
    const int type = proxy->KargoVer().int32(0, "SIRANO");
    const int carrier = proxy->KargolarVer(type).int32(0, "SIRANO");
    const int delivery = proxy->TeslimVer().int32(1, "SIRANO");
    server::Db db = Database();

    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        EmptyBasket(dealer4, kDealer4Account);
        for (int i = 0; i < 12; ++i) ASSERT_EQ(Add(dealer4, kDealer4Account, all[std::size_t(round * 13 + i)], 1 + i % 3), 1);
        DataTable sepet = proxy->SepetVer2(kDealer4Account);
        ASSERT_EQ(sepet.rowCount(), 12u);
        std::set<int> selected, unselected;
        for (std::size_t i = 0; i < sepet.rowCount(); ++i) {
            const int sirano = sepet.int32(i, "SIRANO");
            if (i % 5 == 4) {
                proxy->SepetSecimGuncelle(sirano, 0);
                unselected.insert(sirano);
            } else {
                selected.insert(sirano);
            }
        }
        const qint64 lastOrder = db.scalar("SELECT COALESCE(MAX(idno), 0) FROM orders").toLongLong();

        // Two clients, each with its own connection, press "Gönder" together.
        auto c1 = Open(), c2 = Open();
        std::atomic<int> ready{0};
        std::atomic<bool> go{false};
        bool answers[2] = {false, false};
        std::string errors[2];
        auto place = [&](DSConnection *c, int k) {
            TServerMethods1Client p(*c);
            auto rec = On(dealer4, kDealer4Account);
            ++ready;
            while (!go) std::this_thread::yield();
            try {
                answers[k] = p.SiparisKaydet(std::move(rec), kDealer4Account, delivery, type,
                                             QStringLiteral("eş zamanlı %1").arg(k), dealer4.Sirano(), carrier);
            } catch (const std::exception &e) {
                errors[k] = e.what();
            }
        };
        std::thread t1(place, c1.get(), 0), t2(place, c2.get(), 1);
        while (ready < 2) std::this_thread::yield();
        go = true;
        t1.join();
        t2.join();
        c1->Close();
        c2->Close();
        EXPECT_EQ(errors[0], "");
        EXPECT_EQ(errors[1], "");
        EXPECT_EQ(int(answers[0]) + int(answers[1]), 1);

        // One order holds every selected line, once; the rest stays.
        QSqlQuery q = db.exec("SELECT o.idno, l.sepet_sirano FROM orders o JOIN order_lines l ON l.idno = o.idno "
                              "WHERE o.idno > ? ORDER BY l.sepet_sirano",
                              {lastOrder});
        std::multiset<int> ordered;
        std::set<qint64> orders;
        while (q.next()) {
            orders.insert(q.value(0).toLongLong());
            ordered.insert(q.value(1).toInt());
        }
        EXPECT_EQ(orders.size(), 1u);
        EXPECT_EQ(ordered, std::multiset<int>(selected.begin(), selected.end()));
        EXPECT_EQ(Numbers(proxy->SepetVer2(kDealer4Account)).size(), unselected.size());
        std::set<int> left;
        const DataTable rest = proxy->SepetVer2(kDealer4Account);
        for (std::size_t i = 0; i < rest.rowCount(); ++i) left.insert(rest.int32(i, "SIRANO"));
        EXPECT_EQ(left, unselected);
    }
    EmptyBasket(dealer4, kDealer4Account);
}

TEST_F(CatalogueServer, OverdueWarningCountsDebtPastItsDueDate)
{
    server::Db db = Database();
    const QDate today = QDate::currentDate();
    for (int carino : {1298, 1299})
        db.exec("INSERT INTO customers (carino, carikod, cariadi, vade_gun) VALUES (?, ?, ?, 30)",
                {carino, QStringLiteral("120.09.%1").arg(carino), QStringLiteral("TEST CARİ %1").arg(carino)});
    auto movement = [&](int days, int kind, const char *name, double debit, double credit) {
        db.exec("INSERT INTO account_movements (carino, tarih, tur, turadi, borc, alacak) VALUES (?, ?, ?, ?, ?, ?)",
                {1299, today.addDays(-days).toString(Qt::ISODate), kind, QString::fromUtf8(name), debit, credit});
    };
    movement(130, 1, "Satış Faturası", 1000, 0);  // due 100 days ago
    movement(50, 3, "Tahsilat", 0, 200);
    movement(10, 1, "Satış Faturası", 500, 0);    // due in 20 days

    EXPECT_EQ(proxy->CariVadeGunGecmismiBul(1299),
              QString::fromUtf8("Dikkat! Vadesi geçmiş 800,00 TL borcunuz var (en eski vade %1, 100 gün gecikme)")
                  .arg(today.addDays(-100).toString("dd.MM.yyyy")));
    EXPECT_EQ(proxy->CariVadeGunGecmismiBul(1298), QString());     // nothing owed
    EXPECT_EQ(proxy->CariVadeGunGecmismiBul(424242), QString());   // no such account
    movement(5, 3, "Tahsilat", 0, 800);
    EXPECT_EQ(proxy->CariVadeGunGecmismiBul(1299), QString());     // paid
}

}  // namespace
