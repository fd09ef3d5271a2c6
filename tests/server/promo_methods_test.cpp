// Account statement, invoices, collections, card payment receipts, the
// account card and the request outbox, through the client proxy against a
// real tarsel-server with demo data (SQLite; PostgreSQL too when
// TARSEL_TEST_PG is set).

#include "tests/server/promo_support.h"
#include "tests/server/testhttp.h"

#include <QDateTime>
#include <QRegularExpression>

#include <cmath>
#include <set>

using namespace tarsel;
using namespace tarsel::test;

namespace {

qint64 Cents(double v) { return qint64(std::llround(v * 100.0)); }

struct DemoAccount {
    int carino;
    double balance;  // the balance the demo account card shows (customers.bakiye)
    const char *machine;
};
const DemoAccount kAccounts[] = {{1201, 18450.75, "DEMO-BAYI"}, {1202, 42310.10, "DEMO-BAYI4"}, {1203, -1250.00, nullptr}};

// One statement row as the tests need it.
struct Movement {
    double date;
    QString kind, evrak;
    qint64 borc, alacak;
    int idno;
};

std::vector<Movement> Statement(TServerMethods1Client &p, int carino)
{
    const DataTable t = p.CariEkstreVer(carino);
    std::vector<Movement> rows;
    for (std::size_t r = 0; r < t.rowCount(); ++r)
        rows.push_back({t.number(r, "TARIH"), t.text(r, "TURADI"), t.text(r, "EVRAK"), Cents(t.number(r, "BORC")),
                        Cents(t.number(r, "ALACAK")), t.int32(r, "IDNO")});
    return rows;
}

class PromoStatement : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        PROMO_REQUIRE_BACKEND(GetParam());
        srv_ = &DemoServer(GetParam());
        conn_ = ConnectTo(*srv_);
        proxy_ = std::make_unique<TServerMethods1Client>(*conn_);
    }
    TServerMethods1Client &p() { return *proxy_; }

    ServerProcess *srv_ = nullptr;
    std::unique_ptr<DSConnection> conn_;
    std::unique_ptr<TServerMethods1Client> proxy_;
};

}  // namespace

TEST_P(PromoStatement, RowsComeInDateOrderAndTheirDebitsAndCreditsGiveTheBalance)
{
    bool sameDaySeen = false;
    for (const DemoAccount &a : kAccounts) {
        SCOPED_TRACE(a.carino);
        const DataTable t = p().CariEkstreVer(a.carino);
        const struct {
            const char *name;
            FieldType type;
        } columns[] = {{"CARINO", FieldType::Int32},  {"TARIH", FieldType::DateTime}, {"TURADI", FieldType::String},
                       {"EVRAK", FieldType::String},  {"BORC", FieldType::Float64},   {"ALACAK", FieldType::Float64},
                       {"KUR", FieldType::String},    {"BAKIYE", FieldType::Float64}, {"D", FieldType::String},
                       {"IDNO", FieldType::Int32},    {"ACIKLAMA", FieldType::String}};
        for (const auto &c : columns) {
            const int i = t.indexOf(c.name);
            ASSERT_GE(i, 0) << c.name;
            EXPECT_EQ(t.columns[std::size_t(i)].type, c.type) << c.name;
        }
        ASSERT_GE(t.rowCount(), 8u);
        EXPECT_EQ(t.text(0, "TURADI"), "Devir");

        // The running balance as the statement tab computes it, in row order.
        qint64 balance = 0;
        double lastDate = -1;
        int lastId = 0;
        std::set<QString> kinds;
        for (std::size_t r = 0; r < t.rowCount(); ++r) {
            const double date = t.number(r, "TARIH");
            const int id = t.int32(r, "IDNO");
            ASSERT_GE(date, lastDate) << "row " << r << " is out of date order";
            if (date == lastDate) {
                EXPECT_GT(id, lastId) << "same-day rows must keep their entry order";
                sameDaySeen = true;
            }
            lastDate = date;
            lastId = id;
            const qint64 borc = Cents(t.number(r, "BORC"));
            const qint64 alacak = Cents(t.number(r, "ALACAK"));
            EXPECT_GE(borc, 0);
            EXPECT_GE(alacak, 0);
            EXPECT_TRUE((borc == 0) != (alacak == 0)) << "row " << r << " must be either a debit or a credit";
            balance += borc - alacak;
            // The server's own balance columns agree with the client's pass.
            EXPECT_EQ(Cents(t.number(r, "BAKIYE")), balance) << "row " << r;
            EXPECT_EQ(t.text(r, "D"), balance > 0 ? "B" : balance < 0 ? "A" : " ");
            EXPECT_EQ(t.int32(r, "CARINO"), a.carino);
            EXPECT_FALSE(t.text(r, "EVRAK").isEmpty());
            EXPECT_EQ(t.text(r, "KUR"), "TL");
            EXPECT_GT(id, 0);
            kinds.insert(t.text(r, "TURADI"));
        }
        EXPECT_EQ(balance, Cents(a.balance));
        EXPECT_TRUE(kinds.count("Satış Faturası"));
        EXPECT_TRUE(kinds.count("Tahsilat"));
    }
    EXPECT_TRUE(sameDaySeen) << "the demo statement should show two movements on one day";
}

TEST_P(PromoStatement, NoAccountGivesAnEmptyStatementAndAnUnknownAccountAnError)
{
    const DataTable none = p().CariEkstreVer(0);
    EXPECT_EQ(none.rowCount(), 0u);
    EXPECT_GE(none.indexOf("BAKIYE"), 0);
    EXPECT_GE(none.indexOf("D"), 0);
    EXPECT_EQ(ErrorOf([&] { p().CariEkstreVer(999999); }), "Cari hesap bulunamadı (999999)");
}

TEST_P(PromoStatement, InvoiceLinesAndTotalsAgreeWithTheStatement)
{
    // Columns the invoice window binds: shown, offered, and carried along.
    const char *const columns[] = {
        "OEMNO", "STOKADI", "FINISHKOD", "MARKA", "MODEL", "ANAGRUP", "BIRIM", "STOKHAR_MIKTAR",
        "STOKHAR_TLBIRIMFIYATI", "STOKHAR_TLTUTAR", "STOKHAR_INDIRIM1", "STOKHAR_INDIRIM2", "KDV",
        "STOKHAR_TOPLAMINDIRIM", "STOKHAR_TOPLAMMASRAF", "STOKHAR_NETTLBIRIMFIYATI", "STOKHAR_NETTLTUTAR", "OZELKOD",
        "BARKOD", "STOKHAR_HAREKETTARIHI", "STOKHAR_HAREKETTIPI2", "EVRAKNO", "STOKHAR_TLVERGI", "IRSALIYEEVRAKNO",
        "STOKHAR_IRSTARIHI", "SATIRACIKLMASI", "STOKHAR_SAAT", "STOKHAR_VADE", "SIPARISEVRAKNO", "SIPARISTARIHI",
        "IRSALIYETIP2", "STOKHAR_INDIRIM3", "STOKHAR_INDIRIM4", "STOKHAR_INDIRIM5", "STOKHAR_INDIRIM6",
        "STOKHAR_INDIRIM7", "STOKHAR_INDIRIM8", "STOKHAR_DOVIZBIRIMFIYATI", "STOKHAR_DOVIZVERGI", "STOKHAR_DOVIZTUTAR",
        "STOKHAR_PARTI", "STOKHAR_BEDEN", "STOKHAR_RENK", "STOKHAR_MASRAF1", "STOKHAR_MASRAF2",
        "STOKHAR_DOVIZTOPLAMINDIRIM", "STOKHAR_DOVIZTOPLAMMASRAF", "STOKHAR_NETDOVIZBIRIMFIYATI",
        "STOKHAR_NETDOVIZTUTAR", "STOKHAR_KURTL", "SIPARISTIPI", "IRSALIYETIPINO", "STOKCARIKOD", "SUBE_NO",
        "STOKHAR_CARINO", "KUR_KURSIMGE", "SATICIADI", "URETICIKODU", "DPKOD", "ENADI", "PKOD", "BELGENO", "IDNO"};
    int invoices = 0;
    for (const DemoAccount &a : kAccounts) {
        for (const Movement &m : Statement(p(), a.carino)) {
            if (!m.kind.contains("Fatura")) continue;
            SCOPED_TRACE(m.evrak.toStdString());
            ++invoices;
            const DataTable lines = p().FaturaGetir(a.carino, m.idno);
            for (const char *c : columns) EXPECT_GE(lines.indexOf(c), 0) << c;
            ASSERT_GE(lines.rowCount(), 1u);
            qint64 gross = 0, discount = 0, expense = 0, tax = 0;
            for (std::size_t r = 0; r < lines.rowCount(); ++r) {
                const double qty = lines.number(r, "STOKHAR_MIKTAR");
                const double price = lines.number(r, "STOKHAR_TLBIRIMFIYATI");
                const qint64 lineGross = Cents(lines.number(r, "STOKHAR_TLTUTAR"));
                const qint64 lineDiscount = Cents(lines.number(r, "STOKHAR_TOPLAMINDIRIM"));
                const qint64 lineNet = Cents(lines.number(r, "STOKHAR_NETTLTUTAR"));
                const qint64 lineTax = Cents(lines.number(r, "STOKHAR_TLVERGI"));
                const double d1 = lines.number(r, "STOKHAR_INDIRIM1"), d2 = lines.number(r, "STOKHAR_INDIRIM2");
                EXPECT_GT(qty, 0);
                EXPECT_EQ(lineGross, Cents(qty * price));
                EXPECT_EQ(lineNet, lineGross - lineDiscount);
                EXPECT_LE(std::llabs(lineNet - qint64(std::llround(double(lineGross) * (1 - d1 / 100) * (1 - d2 / 100)))), 1);
                EXPECT_EQ(lines.number(r, "KDV"), 20.0);
                EXPECT_EQ(lineTax, qint64(std::llround(double(lineNet) * 0.20)));
                EXPECT_LE(std::llabs(Cents(lines.number(r, "STOKHAR_NETTLBIRIMFIYATI") * qty) - lineNet), qint64(qty) + 1);
                // Header fields are the invoice's, on every line.
                EXPECT_EQ(lines.text(r, "EVRAKNO"), m.evrak);
                EXPECT_EQ(lines.number(r, "STOKHAR_HAREKETTARIHI"), m.date);
                EXPECT_EQ(lines.text(r, "STOKHAR_HAREKETTIPI2"), m.kind);
                EXPECT_EQ(lines.int32(r, "IDNO"), m.idno);
                EXPECT_EQ(lines.int32(r, "STOKHAR_CARINO"), a.carino);
                EXPECT_FALSE(lines.text(r, "STOKADI").isEmpty());
                gross += lineGross;
                discount += lineDiscount;
                expense += Cents(lines.number(r, "STOKHAR_TOPLAMMASRAF"));
                tax += lineTax;
            }
            const DataTable alt = p().FaturaAltGetir(m.idno);
            ASSERT_EQ(alt.rowCount(), 1u);
            EXPECT_EQ(Cents(alt.number(0, "TOPLAM")), gross);
            EXPECT_EQ(Cents(alt.number(0, "TOPLAMINDIRIM")), discount);
            EXPECT_EQ(Cents(alt.number(0, "MATRAH")), gross - discount + expense);
            EXPECT_EQ(Cents(alt.number(0, "KDVTUTAR")), tax);
            EXPECT_EQ(Cents(alt.number(0, "KDVDAHIL")), gross - discount + expense + tax);
            // The statement carries the grand total: a debit, or a credit for a return.
            EXPECT_EQ(m.kind.contains("İade") ? m.alacak : m.borc, gross - discount + expense + tax);
        }
    }
    EXPECT_GE(invoices, 10);
}

TEST_P(PromoStatement, CollectionLinesAddUpAndOnlyCardPaymentsHaveAReceipt)
{
    const QStringList expectedColumns = {"Tarih", "Türü", "Cins", "Vade", "Tutar", "EvrakNo",
                                         "Ref", "Saat", "Kur", "KurTL", "Açıklama", "Döviz Tutar"};
    std::set<QString> kinds;
    for (const DemoAccount &a : kAccounts) {
        int receipts = 0;
        for (const Movement &m : Statement(p(), a.carino)) {
            SCOPED_TRACE(m.evrak.toStdString());
            const qint32 receipt = p().SanalposSiranoVer(m.idno);
            if (m.kind != "Tahsilat" && m.kind != "Tediye") {
                EXPECT_EQ(receipt, 0);
                continue;
            }
            const DataTable t = p().Tahsilat(m.idno);
            QStringList names;
            for (const DataColumn &c : t.columns) names << c.name;
            EXPECT_EQ(names, expectedColumns);
            ASSERT_GE(t.rowCount(), 1u);
            qint64 sum = 0;
            bool card = false;
            for (std::size_t r = 0; r < t.rowCount(); ++r) {
                sum += Cents(t.number(r, "Tutar"));
                EXPECT_EQ(t.text(r, "Türü"), m.kind);
                EXPECT_EQ(t.number(r, "Tarih"), m.date);
                const QString cins = t.text(r, "Cins");
                kinds.insert(cins);
                if (cins == "Kredi Kartı") {
                    card = true;
                    EXPECT_TRUE(t.text(r, "Ref").contains("**")) << "the card number is shown masked";
                }
                if (cins == "Çek") EXPECT_GT(t.number(r, "Vade"), m.date) << "a cheque falls due later";
            }
            EXPECT_EQ(sum, m.kind == "Tediye" ? m.borc : m.alacak);
            EXPECT_EQ(receipt > 0, card);
            receipts += receipt > 0;
        }
        EXPECT_GE(receipts, 1) << "every demo account has a card payment";
    }
    for (const char *k : {"Nakit", "Çek", "Kredi Kartı", "Havale/EFT"}) EXPECT_TRUE(kinds.count(k)) << k;
}

TEST_P(PromoStatement, CardReceiptIsARealPdfOfTheAnnouncedSize)
{
    auto db = OpenDatabase(*srv_);
    std::vector<int> receipts;
    QSqlQuery q = db->exec("SELECT sirano, kart_no FROM pos_receipts ORDER BY sirano");
    const QRegularExpression masked("^\\d{4} \\d{2}\\*\\* \\*{4} \\d{4}$");
    while (q.next()) {
        receipts.push_back(q.value(0).toInt());
        EXPECT_TRUE(masked.match(q.value(1).toString()).hasMatch()) << "stored card number must be masked: "
                                                                     << q.value(1).toString().toStdString();
    }
    ASSERT_GE(receipts.size(), 3u);
    for (int sirano : receipts) {
        SCOPED_TRACE(sirano);
        qint64 boy = -1;
        const QByteArray pdf = ReadAll(p().SAnalPosPdfVer(sirano, boy));
        EXPECT_EQ(boy, pdf.size());
        EXPECT_GT(pdf.size(), 2000);
        EXPECT_TRUE(pdf.startsWith("%PDF-"));
        EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
        EXPECT_TRUE(pdf.contains("DejaVu")) << "set in the DejaVu fonts, which carry the Turkish letters";
    }
    qint64 boy = -1;
    EXPECT_EQ(ErrorOf([&] { p().SAnalPosPdfVer(987654, boy); }), "Sanal POS dekontu bulunamadı (sıra no 987654)");
}

TEST_P(PromoStatement, AccountCardCarriesTheUserAndTheStatementTotals)
{
    for (const DemoAccount &a : kAccounts) {
        if (!a.machine) continue;
        SCOPED_TRACE(a.carino);
        qint64 borc = 0, alacak = 0;
        for (const Movement &m : Statement(p(), a.carino)) {
            borc += m.borc;
            alacak += m.alacak;
        }
        const TMobilCariBilgisi *card = p().MobilCariBilgisiGetir(0, a.machine);
        ASSERT_NE(card, nullptr);
        EXPECT_EQ(card->CARINO(), a.carino);
        EXPECT_EQ(card->BILGISAYARID(), a.machine);
        EXPECT_FALSE(card->CARIADI().isEmpty());
        EXPECT_FALSE(card->ADRES1().isEmpty());
        EXPECT_FALSE(card->TEL1().isEmpty());
        EXPECT_FALSE(card->VERGINO().isEmpty());
        EXPECT_FALSE(card->SATICIADI().isEmpty());
        EXPECT_EQ(card->SIFRE(), "1234");
        EXPECT_EQ(Cents(card->TLBORC()), borc);
        EXPECT_EQ(Cents(card->TLALACAK()), alacak);
        EXPECT_EQ(Cents(card->TLBAKIYE()), Cents(a.balance));
    }
    // By user number: the same card as by machine.
    auto db = OpenDatabase(*srv_);
    const int bayi4 = db->scalar("SELECT sirano FROM users WHERE adi = 'BAYI4'").toInt();
    const TMobilCariBilgisi *bySirano = p().MobilCariBilgisiGetir(bayi4, QString());
    ASSERT_NE(bySirano, nullptr);
    EXPECT_EQ(bySirano->CARINO(), 1202);
    EXPECT_EQ(bySirano->KULLANICIADI(), "BAYI4");
    EXPECT_EQ(bySirano->BILGISAYARID(), "DEMO-BAYI4");

    // Sales staff work for no account of their own: user fields only.
    const TMobilCariBilgisi *staff = p().MobilCariBilgisiGetir(0, "DEMO-SATIS");
    ASSERT_NE(staff, nullptr);
    EXPECT_EQ(staff->KULLANICIADI(), "SATIS");
    EXPECT_EQ(staff->CARINO(), 0);
    EXPECT_TRUE(staff->CARIADI().isEmpty());
    EXPECT_FALSE(staff->SATICIADI().isEmpty());

    // Nobody behind it: no card.
    const struct {
        qint32 sirano;
        const char *machine;
    } nobody[] = {{0, "BILINMEYEN-MAKINE"}, {0, ""}, {0, "   "}, {999999, ""}, {-5, ""}};
    for (const auto &n : nobody)
        EXPECT_EQ(p().MobilCariBilgisiGetir(n.sirano, n.machine), nullptr) << n.sirano << " '" << n.machine << "'";
}

TEST_P(PromoStatement, UnknownDocumentsGiveClearErrorsAndTheServerGoesOn)
{
    // An invoice and a collection of account 1201, to ask for them the wrong way.
    int invoice = 0, collection = 0;
    for (const Movement &m : Statement(p(), 1201)) {
        if (!invoice && m.kind == "Satış Faturası") invoice = m.idno;
        if (!collection && m.kind == "Tahsilat") collection = m.idno;
    }
    ASSERT_GT(invoice, 0);
    ASSERT_GT(collection, 0);
    const QString inv = QString::number(invoice), col = QString::number(collection);
    qint64 size = 0;
    QString name;
    const struct {
        std::function<void()> call;
        QString error;
    } cases[] = {
        {[&] { p().FaturaGetir(1201, 999999); }, "Fatura bulunamadı (evrak 999999)"},
        {[&] { p().FaturaGetir(1202, invoice); }, "Fatura bulunamadı (evrak " + inv + ", cari 1202)"},
        {[&] { p().FaturaGetir(1201, collection); }, "Fatura bulunamadı (evrak " + col + ")"},
        {[&] { p().FaturaAltGetir(-3); }, "Fatura bulunamadı (evrak -3)"},
        {[&] { p().Tahsilat(invoice); }, "Tahsilat veya tediye evrakı bulunamadı (" + inv + ")"},
        {[&] { p().Tahsilat(999999); }, "Tahsilat veya tediye evrakı bulunamadı (999999)"},
        {[&] { p().BelgeIndir(987654, size, name); }, "Belge bulunamadı (sıra no 987654)"},
    };
    for (const auto &c : cases) EXPECT_EQ(QString::fromStdString(ErrorOf(c.call)), c.error);
    EXPECT_EQ(p().SanalposSiranoVer(999999), 0);

    // Wrong types and counts are refused by the protocol check, naming the method.
    HttpClient http;
    const struct {
        const char *method, *body;
    } bad[] = {{"FaturaGetir", R"({"params":["1201", 5]})"},
               {"Tahsilat", R"({"params":[1.5]})"},
               {"SAnalPosPdfVer", R"({"params":[1]})"},
               {"MailGonserCari", R"({"params":[1,2,3]})"},
               {"CariEkstreVer", R"({"params":[4294967296]})"}};
    for (const auto &b : bad) {
        const auto r = http.post(srv_->url(std::string("/datasnap/TServerMethods1.") + b.method), b.body,
                                 {"Content-Type: application/json"});
        EXPECT_EQ(r.status, 400) << b.method << " " << r.body;
        EXPECT_NE(r.body.find(b.method), std::string::npos) << r.body;
    }
    EXPECT_EQ(http.get(srv_->url("/health")).status, 200);
    EXPECT_EQ(p().CariEkstreVer(1201).rowCount() > 0, true);
}

// ------------------------------------------------------------------ outbox

namespace {

// The sixteen request fields, then the mail body.
struct Request {
    QString v[17];
};

Request SampleRequest(const QString &machine)
{
    return {{machine, "Şifre Değiştirme İsteği", "ÖZKAN OTO YEDEK PARÇA LTD. ŞTİ.", " Hasanpaşa Mah. No:14 ",
             "Kat 2", "Kadıköy", "İstanbul", "0216 345 12 12", "0216 345 12 13", "Kadıköy", "6930412257",
             "Hakan Özkan", "BAYİ-YENİ", "Çok\"Gizli'1", "hakan@ozkanoto.com.tr", "Aras Kargo Kadıköy",
             "Merhaba,\"İyi çalışmalar\""}};
}

const char *const kOutboxColumns[] = {"bilgisayar_id", "baslik", "firmaadi", "adres1", "adres2", "ilce",
                                      "sehir",         "telefon", "fax",     "vd",     "vn",     "yetkili",
                                      "kullaniciadi",  "sifre",   "mail",    "kargoambar", "konu"};

int OutboxCount(server::Db &db) { return db.scalar("SELECT COUNT(*) FROM outbox").toInt(); }

}  // namespace

TEST_P(PromoStatement, RequestsAndMailsAreStoredWholeWithTimeAndMachine)
{
    auto db = OpenDatabase(*srv_);
    const qint64 bayi = db->scalar("SELECT sirano FROM users WHERE adi = 'BAYI'").toLongLong();
    const Request req = SampleRequest(kTestMachine);
    const struct {
        const char *kind;
        bool mail;
    } cases[] = {{"SIFRE_ISTEGI", false}, {"MAIL", true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.kind);
        const int before = OutboxCount(*db);
        const QDateTime sent = QDateTime::currentDateTimeUtc();
        const auto &v = req.v;
        const qint32 result =
            c.mail ? p().MailGonserCariNormal(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11],
                                              v[12], v[13], v[14], v[15], v[16])
                   : p().MailGonserCari(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], v[12],
                                        v[13], v[14], v[15]);
        EXPECT_EQ(result, 1);
        ASSERT_EQ(OutboxCount(*db), before + 1);
        QSqlQuery q = db->exec(
            "SELECT tur, zaman, kullanici_sirano, carino, durum, bilgisayar_id, baslik, firmaadi, adres1, adres2, "
            "ilce, sehir, telefon, fax, vd, vn, yetkili, kullaniciadi, sifre, mail, kargoambar, konu "
            "FROM outbox ORDER BY sirano DESC LIMIT 1");
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toString(), c.kind);
        const QDateTime at = QDateTime::fromString(q.value(1).toString(), "yyyy-MM-dd HH:mm:ss");
        ASSERT_TRUE(at.isValid()) << q.value(1).toString().toStdString();
        EXPECT_LE(std::llabs(QDateTime(at.date(), at.time(), Qt::UTC).secsTo(sent)), 120) << "time is UTC";
        EXPECT_EQ(q.value(2).toLongLong(), bayi);
        EXPECT_EQ(q.value(3).toInt(), 1201);
        EXPECT_EQ(q.value(4).toInt(), 0) << "waiting for the mail relay";
        for (int i = 0; i < 17; ++i) {
            const QString expected = (i == 16 && !c.mail) ? QString() : v[i];
            EXPECT_EQ(q.value(5 + i).toString(), expected) << kOutboxColumns[i];
        }
    }
}

TEST_P(PromoStatement, BadRequestsAreRefusedWithTheirReasonAndStoreNothing)
{
    auto db = OpenDatabase(*srv_);
    const auto send = [&](bool mail, Request r) {
        const auto &v = r.v;
        if (mail)
            p().MailGonserCariNormal(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], v[12],
                                     v[13], v[14], v[15], v[16]);
        else
            p().MailGonserCari(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], v[12], v[13],
                               v[14], v[15]);
    };
    const auto with = [](int field, const QString &value) {
        Request r = SampleRequest(kTestMachine);
        r.v[field] = value;
        return r;
    };
    const struct {
        const char *what;
        bool mail;
        Request request;
        QString error;
    } cases[] = {
        {"unregistered machine", false, SampleRequest("YABANCI-PC"),
         "Bu bilgisayar (YABANCI-PC) sistemde kayıtlı değil; istek kaydedilmedi"},
        {"blank machine", true, with(0, " \t"), "Bilgisayar kimliği boş; istek kaydedilmedi"},
        {"blank password", false, with(13, "   "), "Şifre  boş olamaz !"},
        {"blank company", false, with(2, ""), "Firma Adı boş olamaz !"},
        {"blank mail address", false, with(14, "\r\n"), "Mail  boş olamaz !"},
        {"blank subject", true, with(1, "   "), "Lütfen Başlık Giriniz !"},
        {"blank body", true, with(16, "\n\n"), "Lütfen Konu Giriniz !"},
        {"long field", false, with(3, QString(501, 'x')), "Adres alanı çok uzun (en çok 500 karakter)"},
        {"long body", true, with(16, QString(20001, 'y')), "Mesaj alanı çok uzun (en çok 20000 karakter)"},
        {"NUL in a field", true, with(1, QString("a") + QChar(0) + "b"), "Başlık alanında geçersiz karakter var"},
    };
    for (const auto &c : cases) {
        const int before = OutboxCount(*db);
        EXPECT_EQ(QString::fromStdString(ErrorOf([&] { send(c.mail, c.request); })), c.error) << c.what;
        EXPECT_EQ(OutboxCount(*db), before) << c.what;
    }
    // A mail whose optional fields are empty is fine (the card may lack them).
    Request sparse = SampleRequest(kTestMachine);
    for (int i : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}) sparse.v[i] = QString();
    const int before = OutboxCount(*db);
    EXPECT_EQ(ErrorOf([&] { send(true, sparse); }), "");
    EXPECT_EQ(OutboxCount(*db), before + 1);
}

INSTANTIATE_TEST_SUITE_P(Databases, PromoStatement, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         BackendName);
