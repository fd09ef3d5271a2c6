#include "server/cataloguemethods.h"

#include "server/catalogue_pricing.h"
#include "server/catalogue_search.h"
#include "server/dbpool.h"
#include "server/historyreports.h"
#include "server/log.h"
#include "util/money.h"

#include <QCollator>
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTimeZone>

#include <algorithm>
#include <cmath>

namespace tarsel::server {

namespace {

// Largest quantity of one basket line; the quantity dialog allows 10000.
constexpr double kMaxQuantity = 1000000;
// Longest note of an order.
constexpr int kMaxOrderNote = 4000;

// A text for a NOT NULL column: a null QString is bound as SQL NULL.
QString Text(const QString &s)
{
    return s.isNull() ? QStringLiteral("") : s;
}

QString NowUtc()
{
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// A stored UTC time stamp in local time.
QDateTime LocalTime(const QString &utcText)
{
    QDateTime t = QDateTime::fromString(utcText, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!t.isValid()) return {};
    t.setTimeZone(QTimeZone::utc());
    return t.toLocalTime();
}

// OLE automation day number (day 0 = 1899-12-30) of a local time.
double OleDate(const QDateTime &local)
{
    if (!local.isValid()) return 0;
    static const QDate epoch(1899, 12, 30);
    const double days = double(epoch.daysTo(local.date()));
    const double fraction = double(local.time().msecsSinceStartOfDay()) / 86400000.0;
    return days + fraction;
}

// Entries joined for a filter list: " HEPSİ" first (no restriction), then the
// values in Turkish alphabetical order.
QString FilterList(QStringList values)
{
    QCollator collator{QLocale(QLocale::Turkish, QLocale::Turkey)};
    std::sort(values.begin(), values.end(),
              [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    values.prepend(QStringLiteral(" HEPSİ"));
    return values.join(QLatin1Char('|'));
}

QStringList Column(QSqlQuery q)
{
    QStringList out;
    while (q.next()) {
        const QString v = q.value(0).toString();
        if (!v.trimmed().isEmpty()) out << v;
    }
    return out;
}

void CheckQuantity(double miktar)
{
    if (!std::isfinite(miktar) || miktar <= 0)
        throw MethodError("Miktar sıfırdan büyük olmalıdır");
    if (miktar > kMaxQuantity)
        throw MethodError("Miktar en fazla " + QLocale(QLocale::Turkish).toString(kMaxQuantity, 'f', 0).toStdString() +
                          " olabilir");
}

void CheckPrice(double fiyat)
{
    if (!std::isfinite(fiyat) || fiyat < 0) throw MethodError("Birim fiyat sıfırdan küçük olamaz");
}

Rates CheckedRates(double r1, double r2, double r3, double r4)
{
    Rates r{r1, r2, r3, r4};
    for (double v : r)
        if (!std::isfinite(v) || v < 0 || v > 100)
            throw MethodError("İndirim oranları 0 ile 100 arasında olmalıdır");
    return r;
}

// A priced stock item for a basket line.
struct PricedItem {
    QString code, name;
    double vatRate = 0;
    ItemPrice price;
};

std::optional<PricedItem> PriceForAccount(Db &db, int stokno, int carino)
{
    // Loaded first: no other statement may run while a result is being read.
    const AccountPricing account = LoadAccountPricing(db, carino);
    QSqlQuery q = db.exec(StockSelectSql() + QStringLiteral(" WHERE s.stokno = ? AND s.aktif = 1"), {carino, stokno});
    DataTable t = StockRowsToTable(q, account);
    if (t.rowCount() == 0) return std::nullopt;
    PricedItem p;
    p.code = t.text(0, QStringLiteral("BARKOD"));
    p.name = t.text(0, QStringLiteral("ADI"));
    p.vatRate = t.number(0, QStringLiteral("KDV"));
    p.price.price = t.number(0, QStringLiteral("FIYAT"));
    p.price.k = t.int32(0, QStringLiteral("K"));
    for (int i = 0; i < 4; ++i) p.price.rates[std::size_t(i)] = t.number(0, QStringLiteral("IND%1").arg(i + 1));
    return p;
}

// The computed columns of a basket line: tutar, indirim_tutar,
// net_birimfiyat, net_tutar, vergi_tutari.
QVariantList AmountBinds(const LineAmounts &a)
{
    return {a.amount, a.discountAmount, a.netUnitPrice, a.netAmount, a.taxAmount};
}

}  // namespace

// ---------------------------------------------------------------------------
// Access

CatalogueMethods::ActingUser CatalogueMethods::RequireUser(qint64 sirano, int carino)
{
    QSqlQuery q = db_.exec(QStringLiteral("SELECT adi, musteri_tipi, carino, satici_no, aktif FROM users WHERE sirano = ?"),
                           {sirano});
    if (!q.next()) throw MethodError("Kullanıcı bulunamadı (" + std::to_string(sirano) + ")");
    ActingUser u;
    u.sirano = sirano;
    u.name = q.value(0).toString();
    u.type = q.value(1).toInt();
    u.carino = q.value(2).toInt();
    u.salesperson = q.value(3);
    if (q.value(4).toInt() != 1) throw MethodError("Kullanıcı etkin değil: " + u.name.toStdString());
    if (!u.staff() && u.carino != carino)
        throw MethodError("Bu cari hesapta işlem yetkiniz yok");
    return u;
}

void CatalogueMethods::RequireAccount(int carino)
{
    if (carino <= 0 || !db_.scalar(QStringLiteral("SELECT 1 FROM customers WHERE carino = ?"), {carino}).isValid())
        throw MethodError("Cari hesap bulunamadı (" + std::to_string(carino) + ")");
}

void CatalogueMethods::LockBasket(int carino)
{
    db_.exec(QStringLiteral("INSERT INTO baskets (carino) VALUES (?) ON CONFLICT (carino) DO NOTHING"), {carino});
    db_.exec(QStringLiteral("UPDATE baskets SET surum = surum + 1, degistirme = ? WHERE carino = ?"), {NowUtc(), carino});
}

// ---------------------------------------------------------------------------
// Stock search and lists

DataTable CatalogueMethods::StokAraGetirEFS(const QString &kod, const QString &_deparman, const QString &_anagrup,
                                            const QString &_altgrup, bool _kampanya, bool _yeni, bool _var,
                                            bool _resim, const TSonucBilgisi *bilgi)
{
    StockSearchRequest r;
    r.text = kod;
    r.manufacturer = _deparman;
    r.mainGroup = _anagrup;
    r.subGroup = _altgrup;
    r.campaign = _kampanya;
    r.isNew = _yeni;
    r.inStock = _var;
    r.withPicture = _resim;
    const int carino = bilgi ? bilgi->CARINO() : 0;
    const StockQuery query = BuildStockSearchQuery(r, carino, TokenCounter(db_));
    const AccountPricing account = LoadAccountPricing(db_, carino);
    if (query.matchesNothing) {
        QSqlQuery none = db_.exec(StockSelectSql() + QStringLiteral(" WHERE 1 = 0"), {carino});
        return StockRowsToTable(none, account);
    }
    QSqlQuery q = db_.exec(query.sql, query.binds);
    return StockRowsToTable(q, account, query.sortByCode);
}

QString CatalogueMethods::DepartmanlariVer()
{
    return FilterList(Column(db_.exec(QStringLiteral("SELECT DISTINCT marka FROM stock WHERE aktif = 1"))));
}

QString CatalogueMethods::AnaGrupVer()
{
    return FilterList(Column(db_.exec(QStringLiteral("SELECT DISTINCT ana_grup FROM stock WHERE aktif = 1"))));
}

QString CatalogueMethods::AltGrupVer(const QString &anagrup)
{
    if (IsNoRestriction(anagrup)) return FilterList({});
    return FilterList(Column(db_.exec(
        QStringLiteral("SELECT DISTINCT alt_grup FROM stock WHERE aktif = 1 AND ana_grup = ?"), {anagrup.trimmed()})));
}

DataTable CatalogueMethods::YenilerVer2(qint32 carino)
{
    const AccountPricing account = LoadAccountPricing(db_, carino);
    QSqlQuery q = db_.exec(StockSelectSql() + QStringLiteral(" WHERE s.aktif = 1 AND s.yeni = 1 "
                                                             "ORDER BY s.yeni_tarih DESC, s.stokno DESC LIMIT %1")
                                                  .arg(kMaxPromotedRows),
                           {carino});
    return StockRowsToTable(q, account);
}

// satici is the user type; every type gets the same list (the client hides
// the campaign tab from type 4).
DataTable CatalogueMethods::KampanyaliVer2(qint32 cario, qint32 satici)
{
    const AccountPricing account = LoadAccountPricing(db_, cario);
    QSqlQuery q = db_.exec(StockSelectSql() + QStringLiteral(" WHERE s.aktif = 1 AND s.kampanya = 1 "
                                                             "ORDER BY s.ana_grup, s.barkod, s.stokno LIMIT %1")
                                                  .arg(kMaxPromotedRows),
                           {cario});
    return StockRowsToTable(q, account);
}

QByteArray CatalogueMethods::ResimVer5(qint32 stokno, qint64 &boy)
{
    const QVariant v = db_.scalar(QStringLiteral("SELECT resim FROM stock_pictures WHERE stokno = ?"), {stokno});
    const QByteArray data = v.isValid() ? v.toByteArray() : QByteArray();
    boy = data.size();
    return data;
}

// ---------------------------------------------------------------------------
// Basket

DataTable CatalogueMethods::SepetVer2(qint32 carino)
{
    DataTable t;
    t.addColumns({
        {"SEC", FieldType::Int32, 0},            {"VERILISTARIHI", FieldType::DateTime, 0},
        {"BARKOD", FieldType::String, 30},       {"OEMNO", FieldType::String, 30},
        {"STOKADI", FieldType::String, 100},     {"MIKTAR", FieldType::Float64, 0},
        {"BIRIMFIYAT", FieldType::Float64, 0},   {"TUTAR", FieldType::Float64, 0},
        {"INDIRIMYAZI", FieldType::String, 30},  {"NETBIRIMFIYAT", FieldType::Float64, 0},
        {"NETTUTAR", FieldType::Float64, 0},     {"VEREN", FieldType::String, 40},
        {"DURUM", FieldType::Int32, 0},          {"SIRANO", FieldType::Int32, 0},
        {"SIPARISNO", FieldType::Int32, 0},      {"CARINO", FieldType::Int32, 0},
        {"TARIH", FieldType::DateTime, 0},       {"AKTAR", FieldType::Int32, 0},
        {"STOKNO", FieldType::Int32, 0},         {"FINISHKOD", FieldType::String, 30},
        {"INDIRIMORANI1", FieldType::Float64, 0}, {"INDIRIMORANI2", FieldType::Float64, 0},
        {"INDIRIMORANI3", FieldType::Float64, 0}, {"INDIRIMTUTAR", FieldType::Float64, 0},
        {"KDV", FieldType::Float64, 0},          {"VERGITUTARI", FieldType::Float64, 0},
        {"KUR", FieldType::String, 5},           {"KURTL", FieldType::Float64, 0},
        {"VERENIDNO", FieldType::Int32, 0},      {"SAAT", FieldType::String, 5},
        {"TESLIMID", FieldType::Int32, 0},       {"KARGOID", FieldType::Int32, 0},
        {"ACIKLAMA", FieldType::String, 200},    {"IDNO", FieldType::Int32, 0},
        {"VERENSIRANO", FieldType::Int32, 0},    {"CARIKOD", FieldType::String, 30},
        {"CARIADI", FieldType::String, 100},     {"OEM1", FieldType::String, 30},
        {"OEM2", FieldType::String, 30},         {"OEM3", FieldType::String, 30},
        {"OEM4", FieldType::String, 30},         {"STOK_STOKNO", FieldType::Int32, 0},
        {"URETICIKODU", FieldType::String, 30},  {"DIGERADI", FieldType::String, 100},
        {"DPKOD", FieldType::String, 20},        {"MARKA", FieldType::String, 40},
        {"MODEL", FieldType::String, 60},        {"ANAGRUP", FieldType::String, 40},
        {"OZELKOD", FieldType::String, 20},      {"PKOD", FieldType::String, 20},
        {"KALAN", FieldType::Float64, 0},        {"INDIRIMORANI4", FieldType::Float64, 0},
        {"ILKFIYAT", FieldType::Float64, 0},     {"K", FieldType::Int32, 0},
    });

    QSqlQuery q = db_.exec(
        QStringLiteral("SELECT b.sirano, b.sec, b.verilis_tarihi, b.barkod, s.oemno, b.stokadi, b.miktar, "
                       "b.birimfiyat, b.tutar, b.ind1, b.ind2, b.ind3, b.ind4, b.net_birimfiyat, b.net_tutar, "
                       "u.adi, s.durum, b.carino, b.stokno, s.finish_kod, b.indirim_tutar, b.kdv, "
                       "b.vergi_tutari, b.kur, b.kurtl, b.veren_id, b.aciklama, c.carikod, c.cariadi, "
                       "s.oem1, s.oem2, s.oem3, s.oem4, s.uretici_kodu, s.diger_adi, s.dp_kod, s.marka, "
                       "s.model, s.ana_grup, s.ozel_kod, s.p_kod, s.kalan, b.ilk_fiyat, b.k "
                       "FROM basket_lines b "
                       "JOIN stock s ON s.stokno = b.stokno "
                       "LEFT JOIN users u ON u.sirano = b.veren_id "
                       "LEFT JOIN customers c ON c.carino = b.carino "
                       "WHERE b.carino = ? ORDER BY b.sirano"),
        {carino});
    while (q.next()) {
        const QDateTime given = LocalTime(q.value(2).toString());
        const Rates rates{q.value(9).toDouble(), q.value(10).toDouble(), q.value(11).toDouble(), q.value(12).toDouble()};
        t.appendRow({
            q.value(1).toInt(),                                 // SEC
            OleDate(given),                                     // VERILISTARIHI
            q.value(3).toString(),                              // BARKOD
            q.value(4).toString(),                              // OEMNO
            q.value(5).toString(),                              // STOKADI
            q.value(6).toDouble(),                              // MIKTAR
            q.value(7).toDouble(),                              // BIRIMFIYAT
            q.value(8).toDouble(),                              // TUTAR
            RatesText(rates),                                   // INDIRIMYAZI
            q.value(13).toDouble(),                             // NETBIRIMFIYAT
            q.value(14).toDouble(),                             // NETTUTAR
            q.value(15).toString(),                             // VEREN
            q.value(16).toInt(),                                // DURUM
            q.value(0).toInt(),                                 // SIRANO
            0,                                                  // SIPARISNO
            q.value(17).toInt(),                                // CARINO
            OleDate(QDateTime(given.date(), QTime(0, 0))),      // TARIH
            0,                                                  // AKTAR
            q.value(18).toInt(),                                // STOKNO
            q.value(19).toString(),                             // FINISHKOD
            rates[0], rates[1], rates[2],                       // INDIRIMORANI1..3
            q.value(20).toDouble(),                             // INDIRIMTUTAR
            q.value(21).toDouble(),                             // KDV
            q.value(22).toDouble(),                             // VERGITUTARI
            q.value(23).toString(),                             // KUR
            q.value(24).toDouble(),                             // KURTL
            q.value(25).toInt(),                                // VERENIDNO
            given.isValid() ? given.toString(QStringLiteral("HH:mm")) : QString(),  // SAAT
            0, 0,                                               // TESLIMID, KARGOID
            q.value(26).toString(),                             // ACIKLAMA
            0,                                                  // IDNO
            q.value(25).toInt(),                                // VERENSIRANO
            q.value(27).toString(), q.value(28).toString(),     // CARIKOD, CARIADI
            q.value(29).toString(), q.value(30).toString(),     // OEM1, OEM2
            q.value(31).toString(), q.value(32).toString(),     // OEM3, OEM4
            q.value(18).toInt(),                                // STOK_STOKNO
            q.value(33).toString(),                             // URETICIKODU
            q.value(34).toString(),                             // DIGERADI
            q.value(35).toString(),                             // DPKOD
            q.value(36).toString(),                             // MARKA
            q.value(37).toString(),                             // MODEL
            q.value(38).toString(),                             // ANAGRUP
            q.value(39).toString(),                             // OZELKOD
            q.value(40).toString(),                             // PKOD
            q.value(41).toDouble(),                             // KALAN
            rates[3],                                           // INDIRIMORANI4
            q.value(42).toDouble(),                             // ILKFIYAT
            q.value(43).toInt(),                                // K
        });
    }
    return t;
}

void CatalogueMethods::SepetSecimGuncelle(qint32 sirano, qint32 secim)
{
    if (secim != 0 && secim != 1) throw MethodError("Geçersiz seçim değeri: " + std::to_string(secim));
    db_.exec(QStringLiteral("UPDATE basket_lines SET sec = ? WHERE sirano = ?"), {secim, sirano});
}

// The line's price: sales staff may give their own price and rates; customer
// users always get the account's price of the item (what their dialog showed).
// An item already in the basket gets the quantity added to its line.
qint32 CatalogueMethods::SepetEkle2(const TSonucBilgisi *, qint32 carino, qint32 stokno, const QString &,
                                    const QString &, double miktar, double, double fiyat, double ind1,
                                    qint32 verenid, qint32, double ind2, double ind3, double ind4)
{
    CheckQuantity(miktar);
    RequireAccount(carino);
    const ActingUser user = RequireUser(verenid, carino);
    const std::optional<PricedItem> item = PriceForAccount(db_, stokno, carino);
    if (!item) throw MethodError("Stok bulunamadı (" + std::to_string(stokno) + ")");
    double price = item->price.price;
    Rates rates = item->price.rates;
    if (user.staff()) {
        CheckPrice(fiyat);
        price = fiyat;
        rates = CheckedRates(ind1, ind2, ind3, ind4);
    }

    db_.transaction([&] {
        LockBasket(carino);
        QSqlQuery existing = db_.exec(
            QStringLiteral("SELECT sirano, miktar FROM basket_lines WHERE carino = ? AND stokno = ? ORDER BY sirano"),
            {carino, stokno});
        if (existing.next()) {
            const qint64 sirano = existing.value(0).toLongLong();
            const double quantity = existing.value(1).toDouble() + miktar;
            existing.finish();
            CheckQuantity(quantity);
            const LineAmounts a = ComputeLineAmounts(price, quantity, rates, item->vatRate);
            db_.exec(QStringLiteral("UPDATE basket_lines SET miktar = ?, birimfiyat = ?, ind1 = ?, ind2 = ?, "
                                    "ind3 = ?, ind4 = ?, kdv = ?, k = ?, tutar = ?, indirim_tutar = ?, "
                                    "net_birimfiyat = ?, net_tutar = ?, vergi_tutari = ?, veren_id = ? "
                                    "WHERE sirano = ?"),
                     QVariantList{quantity, price, rates[0], rates[1], rates[2], rates[3], item->vatRate,
                                  item->price.k}
                         + AmountBinds(a) + QVariantList{user.sirano, sirano});
            return;
        }
        existing.finish();
        const LineAmounts a = ComputeLineAmounts(price, miktar, rates, item->vatRate);
        db_.exec(QStringLiteral("INSERT INTO basket_lines (carino, stokno, barkod, stokadi, miktar, birimfiyat, "
                                "ilk_fiyat, ind1, ind2, ind3, ind4, kdv, k, tutar, indirim_tutar, net_birimfiyat, "
                                "net_tutar, vergi_tutari, sec, veren_id, verilis_tarihi) "
                                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1, ?, ?)"),
                 QVariantList{carino, stokno, Text(item->code), Text(item->name), miktar, price, item->price.price, rates[0],
                              rates[1], rates[2], rates[3], item->vatRate, item->price.k}
                     + AmountBinds(a) + QVariantList{user.sirano, NowUtc()});
    });
    return 1;
}

// Changes the quantity of a line (and, for sales staff, its price and rates).
// Answers 0 when the account has no such line (removed in the meantime).
qint32 CatalogueMethods::SepetGuncelle2(const TSonucBilgisi *, qint32 carino, qint32, const QString &,
                                        const QString &, double miktar, double, double fiyat, double ind1,
                                        qint32 verenid, qint32 _sepetsirano, double ind2, double ind3, double ind4)
{
    CheckQuantity(miktar);
    RequireAccount(carino);
    const ActingUser user = RequireUser(verenid, carino);
    std::optional<Rates> staffRates;
    if (user.staff()) {
        CheckPrice(fiyat);
        staffRates = CheckedRates(ind1, ind2, ind3, ind4);
    }
    qint32 result = 0;
    db_.transaction([&] {
        LockBasket(carino);
        QSqlQuery line = db_.exec(QStringLiteral("SELECT birimfiyat, ind1, ind2, ind3, ind4, kdv FROM basket_lines "
                                                 "WHERE sirano = ? AND carino = ?"),
                                  {_sepetsirano, carino});
        if (!line.next()) return;
        double price = line.value(0).toDouble();
        Rates rates{line.value(1).toDouble(), line.value(2).toDouble(), line.value(3).toDouble(),
                    line.value(4).toDouble()};
        const double vat = line.value(5).toDouble();
        line.finish();
        if (staffRates) {
            price = fiyat;
            rates = *staffRates;
        }
        const LineAmounts a = ComputeLineAmounts(price, miktar, rates, vat);
        db_.exec(QStringLiteral("UPDATE basket_lines SET miktar = ?, birimfiyat = ?, ind1 = ?, ind2 = ?, ind3 = ?, "
                                "ind4 = ?, tutar = ?, indirim_tutar = ?, net_birimfiyat = ?, net_tutar = ?, "
                                "vergi_tutari = ?, veren_id = ? WHERE sirano = ?"),
                 QVariantList{miktar, price, rates[0], rates[1], rates[2], rates[3]} + AmountBinds(a)
                     + QVariantList{user.sirano, _sepetsirano});
        result = 1;
    });
    return result;
}

// Removes one line of the session's account; 1 when it was there. The
// client's description of the line goes to the log.
qint32 CatalogueMethods::SepetSatirSil(const TSonucBilgisi *bilgi, qint32 satirno, const QString &aciklamam)
{
    if (!bilgi) throw MethodError("Oturum bilgisi gönderilmedi");
    const int carino = bilgi->CARINO();
    const ActingUser user = RequireUser(bilgi->Sirano(), carino);
    int removed = 0;
    db_.transaction([&] {
        LockBasket(carino);
        removed = db_.exec(QStringLiteral("DELETE FROM basket_lines WHERE sirano = ? AND carino = ?"),
                           {satirno, carino})
                      .numRowsAffected();
    });
    if (removed > 0)
        LogInfo("Sepet satırı silindi: cari " + std::to_string(carino) + ", satır " + std::to_string(satirno) + " (" +
                aciklamam.left(200).toStdString() + "), " + user.name.toStdString());
    return removed > 0 ? 1 : 0;
}

qint32 CatalogueMethods::SepetHepsiniSil(const TSonucBilgisi *bilgi)
{
    if (!bilgi) throw MethodError("Oturum bilgisi gönderilmedi");
    const int carino = bilgi->CARINO();
    const ActingUser user = RequireUser(bilgi->Sirano(), carino);
    int removed = 0;
    db_.transaction([&] {
        LockBasket(carino);
        removed = db_.exec(QStringLiteral("DELETE FROM basket_lines WHERE carino = ?"), {carino}).numRowsAffected();
    });
    LogInfo("Sepet boşaltıldı: cari " + std::to_string(carino) + ", " + std::to_string(removed) + " satır, " +
            user.name.toStdString());
    return 1;
}

// ---------------------------------------------------------------------------
// Delivery, carriers, order

namespace {

DataTable KeyNameTable(Db &db, const QString &table)
{
    DataTable t;
    t.addColumn(QStringLiteral("SIRANO"), FieldType::Int32);
    t.addColumn(QStringLiteral("ADI"), FieldType::String, 60);
    QSqlQuery q = db.exec(QStringLiteral("SELECT sirano, adi FROM %1 ORDER BY sira, sirano").arg(table));
    while (q.next()) t.appendRow({q.value(0).toInt(), q.value(1).toString()});
    return t;
}

}  // namespace

DataTable CatalogueMethods::TeslimVer()
{
    return KeyNameTable(db_, QStringLiteral("delivery_types"));
}

DataTable CatalogueMethods::KargoVer()
{
    return KeyNameTable(db_, QStringLiteral("carrier_types"));
}

DataTable CatalogueMethods::KargolarVer(qint32 gn)
{
    DataTable t;
    t.addColumn(QStringLiteral("SIRANO"), FieldType::Int32);
    t.addColumn(QStringLiteral("ADI"), FieldType::String, 60);
    t.addColumn(QStringLiteral("UYARI"), FieldType::String, 250);
    t.addColumn(QStringLiteral("KARGOTURU"), FieldType::Int32);
    QSqlQuery q = db_.exec(QStringLiteral("SELECT sirano, adi, uyari, kargo_turu FROM carriers "
                                          "WHERE kargo_turu = ? AND aktif = 1 ORDER BY sira, sirano"),
                           {gn});
    while (q.next()) t.appendRow({q.value(0).toInt(), q.value(1).toString(), q.value(2).toString(), q.value(3).toInt()});
    return t;
}

// Turns the selected lines of the account's basket into one order, in one
// transaction with the basket locked: lines not selected stay in the basket,
// and of two orders placed at once for one account the second finds the
// selected lines gone. False when nothing is selected.
bool CatalogueMethods::SiparisKaydet(const TSonucBilgisi *BB, qint32 _carino, qint32 _teslim, qint32 _kargo,
                                     const QString &_aciklama, qint32 _verenid, qint32 _kargoyeni)
{
    RequireAccount(_carino);
    const ActingUser user = RequireUser(_verenid, _carino);
    if (_aciklama.size() > kMaxOrderNote)
        throw MethodError("Sipariş açıklaması en fazla " + std::to_string(kMaxOrderNote) + " karakter olabilir");
    const QVariant delivery = db_.scalar(QStringLiteral("SELECT adi FROM delivery_types WHERE sirano = ?"), {_teslim});
    if (!delivery.isValid()) throw MethodError("Teslim durumu bulunamadı (" + std::to_string(_teslim) + ")");
    const QVariant carrierType = db_.scalar(QStringLiteral("SELECT adi FROM carrier_types WHERE sirano = ?"), {_kargo});
    if (!carrierType.isValid()) throw MethodError("Kargo türü bulunamadı (" + std::to_string(_kargo) + ")");
    QSqlQuery carrier = db_.exec(QStringLiteral("SELECT adi, kargo_turu, aktif FROM carriers WHERE sirano = ?"),
                                 {_kargoyeni});
    if (!carrier.next() || carrier.value(2).toInt() != 1)
        throw MethodError("Kargo bulunamadı (" + std::to_string(_kargoyeni) + ")");
    if (carrier.value(1).toInt() != _kargo)
        throw MethodError("Seçilen kargo bu kargo türünde yok: " + carrier.value(0).toString().toStdString());
    const QString carrierName = carrier.value(0).toString();
    carrier.finish();
    const QVariant salesperson =
        user.staff() && !user.salesperson.isNull()
            ? user.salesperson
            : db_.scalar(QStringLiteral("SELECT satici_no FROM customers WHERE carino = ?"), {_carino});

    struct Line {
        qint64 sirano;
        QVariantList values;
        double amount, discount, tax;
    };
    bool placed = false;
    qint64 orderNo = 0;
    std::size_t lineCount = 0;
    db_.transaction([&] {
        LockBasket(_carino);
        std::vector<Line> lines;
        QSqlQuery q = db_.exec(
            QStringLiteral("SELECT sirano, stokno, barkod, stokadi, miktar, birimfiyat, ilk_fiyat, ind1, ind2, ind3, "
                           "ind4, kdv, k, tutar, indirim_tutar, net_birimfiyat, net_tutar, vergi_tutari, veren_id, "
                           "verilis_tarihi, kur, kurtl, aciklama "
                           "FROM basket_lines WHERE carino = ? AND sec = 1 ORDER BY sirano"),
            {_carino});
        while (q.next()) {
            Line l;
            l.sirano = q.value(0).toLongLong();
            for (int i = 0; i < 23; ++i) l.values << q.value(i);
            l.amount = q.value(13).toDouble();
            l.discount = q.value(14).toDouble();
            l.tax = q.value(17).toDouble();
            lines.push_back(std::move(l));
        }
        q.finish();
        if (lines.empty()) return;

        // Totals as the basket tab adds them up.
        double total = 0, discount = 0, tax = 0;
        for (const Line &l : lines) {
            total = RoundTo2Decimals(total + l.amount);
            discount = RoundTo2Decimals(discount + l.discount);
            tax = RoundTo2Decimals(tax + l.tax);
        }
        const double net = RoundTo2Decimals(total - discount);
        const double grand = RoundTo2Decimals(net + tax);

        QSqlQuery ins = db_.exec(
            QStringLiteral("INSERT INTO orders (carino, tarih, durum, veren_id, veren, satici_no, teslim_id, teslim, "
                           "kargo_turu_id, kargo_turu, kargo_id, kargo_adi, aciklama, tutar, indirim_tutar, "
                           "net_tutar, vergi, genel_tutar, bilgisayar_id) "
                           "VALUES (?, ?, 2, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING idno"),
            {_carino, NowUtc(), user.sirano, Text(user.name), salesperson, _teslim, Text(delivery.toString()), _kargo,
             Text(carrierType.toString()), _kargoyeni, Text(carrierName), Text(_aciklama), total, discount, net, tax,
             grand, Text(BB ? BB->BILGISAYARID().left(100) : QString())});
        if (!ins.next()) throw DbError("Sipariş numarası alınamadı");
        orderNo = ins.value(0).toLongLong();
        ins.finish();

        for (const Line &l : lines) {
            // values: 0 sirano, 1 stokno, 2 barkod, 3 stokadi, 4 miktar, 5 birimfiyat, 6 ilk_fiyat,
            // 7-10 ind1..4, 11 kdv, 12 k, 13 tutar, 14 indirim_tutar, 15 net_birimfiyat,
            // 16 net_tutar, 17 vergi_tutari, 18 veren_id, 19 verilis_tarihi, 20 kur, 21 kurtl, 22 aciklama
            const int removed =
                db_.exec(QStringLiteral("DELETE FROM basket_lines WHERE sirano = ? AND carino = ?"),
                         {l.sirano, _carino})
                    .numRowsAffected();
            if (removed != 1) throw DbError("Sepet satırı sipariş sırasında değişti");
            QVariantList binds{orderNo, l.sirano, _carino};
            for (int i = 1; i <= 4; ++i) binds << l.values[i];      // stokno, barkod, stokadi, miktar
            binds << l.values[4];                                    // kalan = miktar
            for (int i = 5; i <= 22; ++i) binds << l.values[i];
            db_.exec(QStringLiteral("INSERT INTO order_lines (idno, sepet_sirano, carino, stokno, barkod, stokadi, "
                                    "miktar, kalan, birimfiyat, ilk_fiyat, ind1, ind2, ind3, ind4, kdv, k, tutar, "
                                    "indirim_tutar, net_birimfiyat, net_tutar, vergi_tutari, veren_id, "
                                    "verilis_tarihi, kur, kurtl, aciklama) "
                                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                     binds);
        }
        lineCount = lines.size();
        placed = true;
    });
    if (placed)
        LogInfo("Sipariş " + std::to_string(orderNo) + " kaydedildi: cari " + std::to_string(_carino) + ", " +
                std::to_string(lineCount) + " satır, " + user.name.toStdString());
    else
        LogInfo("Sipariş kaydedilmedi: cari " + std::to_string(_carino) + " sepetinde seçili satır yok");
    return placed;
}

// The overdue-debt warning of the basket tab: the account's debt past its
// due date, aged as the console's account reports age it (first in, first
// out over the account movements; a debit falls due on its own due date,
// else its invoice's term, else the account's term). Empty when nothing is
// overdue.
QString CatalogueMethods::CariVadeGunGecmismiBul(qint32 carino)
{
    const QVariant term = db_.scalar(QStringLiteral("SELECT vade_gun FROM customers WHERE carino = ?"), {carino});
    if (!term.isValid()) return {};
    const QDate today = QDate::currentDate();
    const history::Ageing age = history::AgeAccount(db_, carino, today, term.toInt());
    const double amount = RoundTo2Decimals(age.overdueTotal());
    if (!(amount >= 0.01) || !age.oldestDue.isValid()) return {};
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    return QStringLiteral("Dikkat! Vadesi geçmiş %1 TL borcunuz var (en eski vade %2, %3 gün gecikme)")
        .arg(turkish.toString(amount, 'f', 2), age.oldestDue.toString(QStringLiteral("dd.MM.yyyy")),
             QString::number(age.oldestDue.daysTo(today)));
}

}  // namespace tarsel::server
