// Demo data of the statement, documents and promotion group: the seller's
// profile; for each demo account an opening balance, invoices (with lines of
// auto parts, KDV 20 %), a return, collections in cash, cheques, card (with a
// virtual POS receipt) and transfer, and a payment, ending on the balance the
// account card shows; opening adverts, the three banners, the ticker text and
// a set of published documents of different types.

#include "server/demodata.h"

#include "server/dbpool.h"
#include "server/demofiles.h"
#include "server/pdfwriter.h"
#include "server/log.h"
#include "server/promomethods.h"

#include <QDate>
#include <QLocale>

#include <cmath>
#include <vector>

namespace tarsel::server {

namespace {

using demo::kParts;

QString U(const char *s) { return QString::fromUtf8(s); }

qint64 Cents(double v) { return qint64(std::llround(v * 100.0)); }
double Money(qint64 cents) { return double(cents) / 100.0; }

// One invoice line worked out to the cent.
struct Line {
    int part;
    double qty;
    double disc1, disc2;
    qint64 gross, discount, net, netUnit, tax;
};

Line MakeLine(int part, double qty, double disc1, double disc2)
{
    Line l{part, qty, disc1, disc2, 0, 0, 0, 0, 0};
    l.gross = Cents(qty * kParts[part].price);
    l.net = qint64(std::llround(double(l.gross) * (1 - disc1 / 100.0) * (1 - disc2 / 100.0)));
    l.discount = l.gross - l.net;
    l.netUnit = qint64(std::llround(double(l.net) / qty));
    l.tax = qint64(std::llround(double(l.net) * 0.20));
    return l;
}

enum class Kind { Invoice, Return, Cash, Cheques, Card, Transfer, Payment };

struct Action {
    Kind kind;
    int day;  // days after the statement's first day
    std::vector<std::pair<int, double>> items;    // invoices: (part, quantity)
    double amount = 0;                            // collections and payments
    int installments = 1;                         // card
    std::vector<std::pair<double, int>> cheques;  // (amount, due in days)
    double campaign = 0;                          // second discount on invoices, %
};

Action Sale(int day, std::vector<std::pair<int, double>> items, double campaign = 0)
{
    Action a{Kind::Invoice, day, std::move(items), 0, 1, {}, campaign};
    return a;
}
Action Return(int day, std::vector<std::pair<int, double>> items)
{
    return Action{Kind::Return, day, std::move(items), 0, 1, {}, 0};
}
Action Collect(Kind kind, int day, double amount, int installments = 1)
{
    return Action{kind, day, {}, amount, installments, {}, 0};
}
Action Cheques(int day, std::vector<std::pair<double, int>> cheques)
{
    return Action{Kind::Cheques, day, {}, 0, 1, std::move(cheques), 0};
}

struct Script {
    int carino;
    std::vector<Action> actions;
};

// Same-day movements (an invoice and a collection) show the entry order.
const Script kScripts[] = {
    {1201,
     {Sale(6, {{0, 4}, {3, 10}, {4, 6}, {14, 20}}), Collect(Kind::Cash, 13, 15000), Sale(21, {{7, 1}, {10, 2}}),
      Collect(Kind::Card, 21, 12500, 3), Cheques(34, {{10000, 60}, {7500, 90}}),
      Sale(42, {{1, 4}, {8, 2}, {9, 2}}, 10), Collect(Kind::Payment, 49, 1250), Return(55, {{9, 1}}),
      Sale(63, {{11, 3}, {12, 5}, {5, 12}}), Collect(Kind::Card, 71, 8000, 1), Collect(Kind::Transfer, 78, 5000)}},
    {1202,
     {Sale(4, {{13, 2}, {15, 2}, {14, 40}}), Collect(Kind::Transfer, 10, 20000), Sale(18, {{7, 3}, {6, 24}, {3, 24}}),
      Cheques(26, {{15000, 45}, {15000, 75}, {12000, 105}}), Sale(37, {{0, 10}, {1, 8}, {2, 10}}, 15),
      Collect(Kind::Card, 37, 9750.40, 6), Return(44, {{2, 2}}), Sale(58, {{10, 4}, {11, 6}}),
      Collect(Kind::Cash, 66, 7500)}},
    {1203,
     {Sale(8, {{3, 20}, {4, 15}, {12, 4}}), Collect(Kind::Card, 15, 6400, 1), Sale(29, {{8, 2}, {9, 2}}),
      Collect(Kind::Cash, 30, 4000), Cheques(44, {{3000, 30}}), Collect(Kind::Payment, 52, 600),
      Sale(60, {{0, 2}, {14, 10}}, 15), Collect(Kind::Transfer, 68, 5000)}},
};

struct Counters {
    int invoice = 2417;
    int collection = 845;
    int payment = 112;
    int order = 9350;
};

qint64 InsertMovement(Db &db, int carino, const QDate &date, int tur, const QString &turadi, const QString &evrak,
                      qint64 borc, qint64 alacak, const QString &note, const QDate &due = QDate())
{
    const QVariant dueText = due.isValid() ? QVariant(due.toString(Qt::ISODate)) : QVariant(QMetaType::fromType<QString>());
    QSqlQuery q = db.exec(QStringLiteral("INSERT INTO account_movements (carino, tarih, tur, turadi, evrakno, borc, "
                                         "alacak, aciklama, vade_tarihi) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING idno"),
                          {carino, date.toString(Qt::ISODate), tur, turadi, evrak, Money(borc), Money(alacak), note,
                           dueText});
    if (!q.next()) throw DbError("demo: no id for the new movement");
    return q.value(0).toLongLong();
}

void InsertCollectionLine(Db &db, qint64 idno, int sira, const QString &cins, const QVariant &due, qint64 amount,
                          const QString &ref, const QString &time, const QString &note)
{
    db.exec(QStringLiteral("INSERT INTO collection_lines (idno, sira, cins, vade, tutar, ref, saat, aciklama) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
            {idno, sira, cins, due, Money(amount), ref, time, note});
}

class StatementSeeder {
public:
    StatementSeeder(Db &db, const QDate &start) : db_(db), start_(start) {}

    void seed(const Script &script)
    {
        QSqlQuery c = db_.exec(QStringLiteral("SELECT c.iskonto_orani, c.vade_gun, c.bakiye, c.cariadi, s.adi, c.yetkili "
                                              "FROM customers c LEFT JOIN salespeople s ON s.satici_no = c.satici_no "
                                              "WHERE c.carino = ?"),
                               {script.carino});
        if (!c.next()) return;  // the account is not there: nothing to add to
        discount_ = c.value(0).toDouble();
        term_ = c.value(1).toInt();
        const qint64 target = Cents(c.value(2).toDouble());
        customerName_ = c.value(3).toString();
        salesperson_ = c.value(4).isNull() ? QStringLiteral("") : c.value(4).toString();
        cardHolder_ = QLocale(QLocale::Turkish, QLocale::Turkey).toUpper(c.value(5).toString());
        if (cardHolder_.isNull()) cardHolder_ = QStringLiteral("");
        c.finish();

        // The opening balance makes the statement end on the account's balance.
        qint64 net = 0;
        for (const Action &a : script.actions) net += effect(a);
        const qint64 opening = target - net;
        InsertMovement(db_, script.carino, start_, 0, U("Devir"), U("DEVİR"), opening > 0 ? opening : 0,
                       opening < 0 ? -opening : 0, U("Önceki dönemden devreden bakiye"));
        for (const Action &a : script.actions) insert(script.carino, a);
    }

private:
    std::vector<Line> lines(const Action &a) const
    {
        std::vector<Line> out;
        for (const auto &[part, qty] : a.items) out.push_back(MakeLine(part, qty, discount_, a.campaign));
        return out;
    }
    static qint64 total(const std::vector<Line> &ls)
    {
        qint64 t = 0;
        for (const Line &l : ls) t += l.net + l.tax;
        return t;
    }
    qint64 collected(const Action &a) const
    {
        if (a.kind == Kind::Cheques) {
            qint64 t = 0;
            for (const auto &[amount, due] : a.cheques) t += Cents(amount);
            return t;
        }
        return Cents(a.amount);
    }
    // Debit less credit of one action.
    qint64 effect(const Action &a) const
    {
        switch (a.kind) {
        case Kind::Invoice: return total(lines(a));
        case Kind::Return: return -total(lines(a));
        case Kind::Payment: return collected(a);
        default: return -collected(a);
        }
    }

    void insert(int carino, const Action &a)
    {
        const QDate date = start_.addDays(a.day);
        switch (a.kind) {
        case Kind::Invoice:
        case Kind::Return: insertInvoice(carino, date, a); break;
        case Kind::Payment: {
            const QString evrak = QStringLiteral("TED%1").arg(++counters_.payment, 6, 10, QLatin1Char('0'));
            const qint64 id = InsertMovement(db_, carino, date, 4, U("Tediye"), evrak, collected(a), 0,
                                             U("Fazla ödeme iadesi (havale)"));
            InsertCollectionLine(db_, id, 1, U("Havale/EFT"), QVariant(QMetaType::fromType<QString>()), collected(a),
                                 U("TR12 0006 2000 4440 0006 2981 34"), QStringLiteral("11:05"),
                                 U("Fazla ödeme iadesi"));
            break;
        }
        default: insertCollection(carino, date, a); break;
        }
    }

    void insertInvoice(int carino, const QDate &date, const Action &a)
    {
        const bool isReturn = a.kind == Kind::Return;
        const std::vector<Line> ls = lines(a);
        const qint64 sum = total(ls);
        const QString evrak = QStringLiteral("TRS%1%2").arg(date.year()).arg(++counters_.invoice, 6, 10, QLatin1Char('0'));
        const QString kind = isReturn ? U("Satış İade Faturası") : U("Satış Faturası");
        const QString note = isReturn ? U("Hasarlı gelen ürün iadesi")
                                      : (a.campaign > 0 ? U("Kampanyalı satış (%%1 ek indirim)").arg(a.campaign)
                                                        : U("Toptan satış"));
        const qint64 id = InsertMovement(db_, carino, date, isReturn ? 2 : 1, kind, evrak, isReturn ? 0 : sum,
                                         isReturn ? sum : 0, note, isReturn ? QDate() : date.addDays(term_));
        const int order = ++counters_.order;
        db_.exec(QStringLiteral("INSERT INTO invoices (idno, hareket_tipi, saat, vade_gun, satici_adi, irsaliye_no, "
                                "irsaliye_tarihi, irsaliye_tipi, siparis_evrakno, siparis_tarihi, siparis_tipi, "
                                "sube_no, belge_no) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                 {id, kind, QStringLiteral("%1:%2").arg(9 + a.day % 8, 2, 10, QLatin1Char('0')).arg(a.day * 7 % 60, 2, 10, QLatin1Char('0')),
                  isReturn ? 0 : term_, salesperson_,
                  (isReturn ? QStringLiteral("IIR") : QStringLiteral("IRS")) + evrak.mid(3), date.toString(Qt::ISODate),
                  isReturn ? U("Satış İade İrsaliyesi") : U("Satış İrsaliyesi"),
                  isReturn ? QStringLiteral("") : QStringLiteral("SIP%1").arg(order, 6, 10, QLatin1Char('0')),
                  isReturn ? QVariant(QMetaType::fromType<QString>()) : QVariant(date.addDays(-1).toString(Qt::ISODate)),
                  isReturn ? QStringLiteral("") : U("Alınan Sipariş (B2B)"), 1, QStringLiteral("A-%1").arg(counters_.invoice)});
        int sira = 0;
        for (const Line &l : ls) {
            const demo::Part &p = kParts[l.part];
            db_.exec(QStringLiteral("INSERT INTO invoice_lines (idno, sira, oemno, barkod, stokadi, finishkod, marka, "
                                    "model, anagrup, ozelkod, birim, ureticikodu, satir_aciklamasi, miktar, "
                                    "birim_fiyat, indirim1, indirim2, kdv, tutar, toplam_indirim, masraf, "
                                    "net_birim_fiyat, net_tutar, vergi) "
                                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, ?, ?, ?)"),
                     {id, ++sira, U(p.oem), QStringLiteral("869%1").arg(4410000 + l.part * 137, 10, 10, QLatin1Char('0')),
                      U(p.name), U(p.finish), U(p.brand), U(p.model), U(p.group), l.disc2 > 0 ? U("KAMPANYA") : QStringLiteral(""),
                      U(p.unit), U(p.oem), isReturn ? U("Ambalaj hasarlı") : QStringLiteral(""), l.qty, p.price, l.disc1, l.disc2,
                      20.0, Money(l.gross), Money(l.discount), Money(l.netUnit), Money(l.net), Money(l.tax)});
        }
    }

    void insertCollection(int carino, const QDate &date, const Action &a)
    {
        const QString evrak = QStringLiteral("TAH%1").arg(++counters_.collection, 6, 10, QLatin1Char('0'));
        const qint64 amount = collected(a);
        const QVariant noDue(QMetaType::fromType<QString>());
        switch (a.kind) {
        case Kind::Cash: {
            const qint64 id = InsertMovement(db_, carino, date, 3, U("Tahsilat"), evrak, 0, amount, U("Nakit tahsilat"));
            InsertCollectionLine(db_, id, 1, U("Nakit"), noDue, amount, U("Kasa: Merkez"), QStringLiteral("10:15"),
                                 U("Tahsilat makbuzu ile"));
            break;
        }
        case Kind::Transfer: {
            const qint64 id = InsertMovement(db_, carino, date, 3, U("Tahsilat"), evrak, 0, amount, U("Havale/EFT ile tahsilat"));
            InsertCollectionLine(db_, id, 1, U("Havale/EFT"), noDue, amount, U("Gelen EFT · ") + customerName_,
                                 QStringLiteral("15:40"), U("Cari hesaba mahsuben"));
            break;
        }
        case Kind::Cheques: {
            const qint64 id = InsertMovement(db_, carino, date, 3, U("Tahsilat"), evrak, 0, amount,
                                             U("%1 adet müşteri çeki").arg(a.cheques.size()));
            int sira = 0;
            for (const auto &[value, due] : a.cheques) {
                ++sira;
                InsertCollectionLine(db_, id, sira, U("Çek"), date.addDays(due).toString(Qt::ISODate), Cents(value),
                                     QStringLiteral("Çek No %1").arg(3104500 + carino * 10 + sira), QStringLiteral("11:30"),
                                     U("Keşideci: ") + customerName_);
            }
            break;
        }
        case Kind::Card: {
            static const struct {
                const char *number, *type, *bank;
            } kCards[] = {{"4543 6012 3456 1234", "Visa", "Demo Bankası A.Ş."},
                          {"5571 1350 0000 8842", "MasterCard", "Örnek Katılım Bankası"},
                          {"9792 0300 1111 2219", "Troy", "Demo Bankası A.Ş."}};
            const auto &card = kCards[(carino + a.day) % 3];
            const QString masked = MaskCardNumber(U(card.number));
            const QString time = QStringLiteral("%1:%2:%3")
                                     .arg(13 + a.day % 5, 2, 10, QLatin1Char('0'))
                                     .arg(a.day * 11 % 60, 2, 10, QLatin1Char('0'))
                                     .arg(a.day * 7 % 60, 2, 10, QLatin1Char('0'));
            const QString plan = a.installments > 1 ? U("%1 taksit").arg(a.installments) : U("tek çekim");
            const qint64 id = InsertMovement(db_, carino, date, 3, U("Tahsilat"), evrak, 0, amount,
                                             U("Sanal POS kredi kartı tahsilatı, ") + plan);
            InsertCollectionLine(db_, id, 1, U("Kredi Kartı"), noDue, amount, masked, time.left(5),
                                 U("Sanal POS, ") + plan);
            db_.exec(QStringLiteral("INSERT INTO pos_receipts (idno, islem_zamani, tutar, taksit, kart_sahibi, kart_no, "
                                    "kart_tipi, banka, onay_kodu, referans_no, siparis_no) "
                                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                     {id, date.toString(Qt::ISODate) + QLatin1Char(' ') + time, Money(amount), a.installments,
                      cardHolder_, masked, U(card.type), U(card.bank),
                      QStringLiteral("%1").arg(481300 + carino % 100 * 97 + a.day, 6, 10, QLatin1Char('0')),
                      QStringLiteral("50%1").arg(qint64(3214887000LL) + carino * 31 + a.day),
                      QStringLiteral("SP-%1-%2").arg(date.toString(QStringLiteral("yyyyMMdd"))).arg(carino)});
            break;
        }
        default: break;
        }
    }

    Db &db_;
    QDate start_;
    double discount_ = 0;
    int term_ = 0;
    QString customerName_, salesperson_, cardHolder_;
    Counters counters_;
};

void SeedSeller(Db &db)
{
    db.exec(QStringLiteral("INSERT INTO seller_profile (id, unvan, adres, telefon, email, web, vergi_dairesi, vergi_no, "
                           "mersis_no) VALUES (1, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {U("Tarsel Otomotiv San. ve Tic. A.Ş."),
             U("İkitelli OSB Mah. Parçacılar Sitesi 4. Blok No:18 Başakşehir / İstanbul"), U("0212 444 18 27"),
             U("info@tarselotomotiv.com.tr"), U("www.tarselotomotiv.com.tr"), U("İkitelli"), U("8150412963"),
             U("0815041296300017")});
}

void SeedAdverts(Db &db)
{
    const struct {
        const char *title, *search, *headline, *line, *action;
    } ads[] = {
        {"Fren Sistemlerinde Bahar Kampanyası", "#KAMPANYA#", "Fren Sistemlerinde %15 İndirim",
         "Balata, disk ve kampanada stoklarla sınırlı kampanya.", "Kampanyaları Gör"},
        {"Yeni Gelen Ürünler", "#YENİ#", "Bu Ay 140 Yeni Ürün", "Aydınlatma ve elektrik grubunda yeni ürünler.",
         "Yenileri İncele"},
        {"Filtre Setleri", "yağ filtresi", "Filtre Bakım Setleri",
         "Yağ, hava, polen ve yakıt filtreleri tek siparişte.", "Filtreleri Ara"},
        {"Sevkiyat Bilgilendirmesi", "", "Aynı Gün Kargo",
         "Saat 16:00'ya kadar onaylanan siparişler aynı gün yola çıkar.", ""},
    };
    int sira = 0;
    for (const auto &a : ads) {
        db.exec(QStringLiteral("INSERT INTO opening_adverts (sira, baslik, arama, resim, resim_turu, aktif) "
                               "VALUES (?, ?, ?, ?, 'jpeg', 1)"),
                {++sira * 10, U(a.title), U(a.search), demo::AdvertJpeg(sira - 1, U(a.headline), U(a.line), U(a.action))});
    }
}

void SeedBanners(Db &db)
{
    const struct {
        int place;
        QByteArray bytes;
        const char *type, *note;
    } banners[] = {
        {1, demo::TopBannerPng(), "png", "Üst şerit, sağ köşe"},
        {2, demo::SearchBannerGif(), "gif", "Arama kutusunun yanı, hareketli"},
        {3, demo::BottomBannerBmp(), "bmp", "Alt kayan şerit"},
    };
    for (const auto &b : banners)
        db.exec(QStringLiteral("INSERT INTO banners (yer, resim, resim_turu, aciklama) VALUES (?, ?, ?, ?)"),
                {b.place, b.bytes, QString::fromLatin1(b.type), U(b.note)});
}

void SeedTicker(Db &db)
{
    const char *const items[] = {
        R"(<FONT COLOR="#C00000"><B>TARSEL OTOMOTİV</B></FONT> B2B sipariş sistemine hoş geldiniz)",
        R"(Fren balatası ve disklerinde <B><FONT COLOR="#C00000">%15 indirim</FONT></B> devam ediyor)",
        R"(Saat <B>16:00</B>'ya kadar onaylanan siparişler <U>aynı gün</U> kargoda)",
        R"(Yeni fiyat listesi <I>Dosyalar</I> sekmesinde &bull; Destek: <FONT COLOR="navy"><B>0212 444 18 27</B></FONT>)",
    };
    int sira = 0;
    for (const char *t : items)
        db.exec(QStringLiteral("INSERT INTO ticker_items (sira, metin, aktif) VALUES (?, ?, 1)"), {++sira * 10, U(t)});
}

void SeedDocuments(Db &db)
{
    struct Doc {
        const char *description, *file;
        QByteArray (*make)();
    };
    const Doc docs[] = {
        {"Güncel Fiyat Listesi (Excel)", "Fiyat Listesi.xlsx", demo::PriceListXlsx},
        {"Ürün Kataloğu", "Ürün Kataloğu.pdf", demo::CataloguePdf},
        {"Bayi Çalışma Sözleşmesi", "Bayi Sözleşmesi.docx", demo::DealerContractDocx},
        {"Kampanya Görselleri (arşiv)", "Kampanya Görselleri.zip", demo::CampaignPicturesZip},
        {"Kampanya Afişi", "Kampanya Afişi.jpg", demo::PosterJpeg},
        {"İade ve Garanti Formu", "İade ve Garanti Formu.pdf", demo::ReturnFormPdf},
        {"Depo ve Sevkiyat Bilgileri", "Depo ve Sevkiyat Bilgileri.txt", demo::ShippingInfoText},
        {"Tarsel Logosu", "Tarsel Logo.png", demo::LogoPng},
    };
    int sira = 0;
    for (const Doc &d : docs) {
        const QByteArray content = d.make();
        if (content.isEmpty()) {
            LogWarning(std::string("Tanıtım belgesi oluşturulamadı: ") + d.file);
            continue;
        }
        db.exec(QStringLiteral("INSERT INTO documents (sira, aciklama, dosya_adi, icerik, boyut, aktif) "
                               "VALUES (?, ?, ?, ?, ?, 1)"),
                {++sira * 10, U(d.description), U(d.file), content, qint64(content.size())});
    }
}

}  // namespace

void SeedPromoDemo(Db &db)
{
    SeedSeller(db);
    StatementSeeder statements(db, QDate::currentDate().addDays(-95));
    for (const Script &s : kScripts) statements.seed(s);
    SeedAdverts(db);
    SeedBanners(db);
    SeedTicker(db);
    SeedDocuments(db);
}

}  // namespace tarsel::server
