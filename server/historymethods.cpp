#include "server/historymethods.h"

#include "server/catalogue_pricing.h"
#include "server/dbpool.h"
#include "server/historyreports.h"
#include "server/historysupport.h"
#include "server/log.h"
#include "util/money.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <array>
#include <cmath>

namespace tarsel::server {

using namespace history;

namespace {

std::string Num(qint64 v) { return std::to_string(v); }

QString Quantity(double v)
{
    static const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    return turkish.toString(v, 'g', 12);
}

// ---- order lines ------------------------------------------------------------
//
// The previous-order detail, the outstanding balances and the item order
// history list order lines with the same columns, so that the three grids
// (and their Excel exports) read alike. VERILISTARIHI and TARIH are the
// order's time (the grids head it "Sipariş Tarihi"). Quantities: MIKTAR ordered,
// TESLIMEDILEN delivered, KALAN outstanding. Amounts are those of the
// ordered quantity: TUTAR quantity x unit price, INDIRIMTUTAR the discount,
// NETTUTAR after the discounts, VERGITUTARI the tax. Keys: IDNO and
// SIPARISNO the order, STOKHAR_NO the order line, SIRANO the basket line it
// was made from, STOK_STOKNO (and STOKNO) the stock item. Stock figures:
// ELDEKI on hand, DURUM the stock status, ALINANSIPARIS and VERILENSIPARIS
// the quantities on order from customers and from suppliers.

DataTable NewLineTable()
{
    DataTable t;
    t.addColumns({
                      {"VERILISTARIHI", FieldType::DateTime, 0}, {"BARKOD", FieldType::String, 30},
                      {"FINISHKOD", FieldType::String, 30},      {"OEMNO", FieldType::String, 30},
                      {"STOKADI", FieldType::String, 100},       {"MIKTAR", FieldType::Float64, 0},
                      {"BIRIMFIYAT", FieldType::Float64, 0},     {"ILKFIYAT", FieldType::Float64, 0},
                      {"TUTAR", FieldType::Float64, 0},          {"INDIRIMYAZI", FieldType::String, 30},
                      {"NETBIRIMFIYAT", FieldType::Float64, 0},  {"KDV", FieldType::Float64, 0},
                      {"VERGITUTARI", FieldType::Float64, 0},    {"NETTUTAR", FieldType::Float64, 0},
                      {"VEREN", FieldType::String, 40},          {"TESLIMEDILEN", FieldType::Float64, 0},
                      {"KALAN", FieldType::Float64, 0},          {"ELDEKI", FieldType::Float64, 0},
                      {"DURUM", FieldType::Int32, 0},            {"ALINANSIPARIS", FieldType::Float64, 0},
                      {"VERILENSIPARIS", FieldType::Float64, 0}, {"SIRANO", FieldType::Int32, 0},
                      {"SIPARISNO", FieldType::Int32, 0},        {"CARINO", FieldType::Int32, 0},
                      {"TARIH", FieldType::DateTime, 0},         {"AKTAR", FieldType::Int32, 0},
                      {"STOKNO", FieldType::Int32, 0},           {"STOKHAR_NO", FieldType::Int32, 0},
                      {"INDIRIMORANI1", FieldType::Float64, 0},  {"INDIRIMORANI2", FieldType::Float64, 0},
                      {"INDIRIMORANI3", FieldType::Float64, 0},  {"INDIRIMORANI4", FieldType::Float64, 0},
                      {"INDIRIMTUTAR", FieldType::Float64, 0},   {"KUR", FieldType::String, 5},
                      {"KURTL", FieldType::Float64, 0},          {"VERENIDNO", FieldType::Int32, 0},
                      {"SAAT", FieldType::String, 5},            {"TESLIM", FieldType::String, 50},
                      {"TESLIMID", FieldType::Int32, 0},         {"KARGO", FieldType::String, 50},
                      {"KARGOID", FieldType::Int32, 0},          {"ACIKLAMA", FieldType::String, 200},
                      {"IDNO", FieldType::Int32, 0},             {"VERENSIRANO", FieldType::Int32, 0},
                      {"CARIKOD", FieldType::String, 30},        {"CARIADI", FieldType::String, 100},
                      {"OEM1", FieldType::String, 30},           {"OEM2", FieldType::String, 30},
                      {"OEM3", FieldType::String, 30},           {"OEM4", FieldType::String, 30},
                      {"STOK_STOKNO", FieldType::Int32, 0},      {"URETICIKODU", FieldType::String, 30},
                      {"DIGERADI", FieldType::String, 100},      {"DPKOD", FieldType::String, 20},
                      {"MARKA", FieldType::String, 40},          {"MODEL", FieldType::String, 60},
                      {"ANAGRUP", FieldType::String, 40},        {"OZELKOD", FieldType::String, 20},
                      {"PKOD", FieldType::String, 20},           {"SIPARISDURUMU", FieldType::String, 30},
                      {"K", FieldType::Int32, 0},
                  });
    return t;
}

// The select list of LineSelect, by position.
enum LineField {
    LSirano, LIdno, LSepetSirano, LCarino, LStokno, LBarkod, LStokadi, LMiktar, LTeslim, LKalan, LBirimFiyat,
    LIlkFiyat, LInd1, LInd2, LInd3, LInd4, LKdv, LK, LTutar, LIndirimTutar, LNetBirimFiyat, LNetTutar,
    LVergiTutari, LVerenId, LVerilisTarihi, LKur, LKurTl, LAciklama, LOrderTarih, LOrderDurum, LStateName,
    LOrderVeren, LTeslimId, LTeslimAdi, LKargoTuruId, LKargoTuru, LCarikod, LCariadi, LFinish, LOemno, LOem1,
    LOem2, LOem3, LOem4, LDigerAdi, LDpKod, LMarka, LModel, LAnaGrup, LOzelKod, LPKod, LUreticiKodu,
    LStokKalan, LStokDurum, LAlinan, LVerilen, LLineVeren, LFieldCount
};

QString LineSelect()
{
    return QStringLiteral(
        "SELECT ol.sirano, ol.idno, ol.sepet_sirano, o.carino, ol.stokno, ol.barkod, ol.stokadi, ol.miktar, "
        "ol.teslim_edilen, ol.kalan, ol.birimfiyat, ol.ilk_fiyat, ol.ind1, ol.ind2, ol.ind3, ol.ind4, ol.kdv, ol.k, "
        "ol.tutar, ol.indirim_tutar, ol.net_birimfiyat, ol.net_tutar, ol.vergi_tutari, "
        "COALESCE(ol.veren_id, o.veren_id), ol.verilis_tarihi, ol.kur, ol.kurtl, ol.aciklama, "
        "o.tarih, o.durum, st.adi, o.veren, o.teslim_id, o.teslim, o.kargo_turu_id, o.kargo_turu, "
        "c.carikod, c.cariadi, "
        "s.finish_kod, s.oemno, s.oem1, s.oem2, s.oem3, s.oem4, s.diger_adi, s.dp_kod, s.marka, s.model, "
        "s.ana_grup, s.ozel_kod, s.p_kod, s.uretici_kodu, s.kalan, s.durum, s.alinan_siparis, s.verilen_siparis, "
        "uv.adi "
        "FROM order_lines ol "
        "JOIN orders o ON o.idno = ol.idno "
        "LEFT JOIN order_states st ON st.durum = o.durum "
        "LEFT JOIN customers c ON c.carino = o.carino "
        "LEFT JOIN stock s ON s.stokno = ol.stokno "
        "LEFT JOIN users uv ON uv.sirano = ol.veren_id ");
}

void AppendLines(DataTable &t, QSqlQuery &q)
{
    QString lastTime;  // the lines of one order share its time
    QDateTime placed;
    while (q.next()) {
        auto v = [&](LineField f) { return q.value(int(f)); };
        const QString orderTime = v(LOrderTarih).toString();
        if (orderTime != lastTime) {
            placed = LocalFromUtcText(orderTime);
            lastTime = orderTime;
        }
        const Rates rates{v(LInd1).toDouble(), v(LInd2).toDouble(), v(LInd3).toDouble(), v(LInd4).toDouble()};
        const double first = v(LIlkFiyat).toDouble();
        const QString note = v(LAciklama).toString();
        const QString veren = v(LLineVeren).isNull() ? v(LOrderVeren).toString() : v(LLineVeren).toString();
        const QVariant verenId = v(LVerenId).isNull() ? QVariant(0) : v(LVerenId);
        t.appendRow({
            OleFromDateTime(placed),                                  // VERILISTARIHI
            v(LBarkod).toString(),                                    // BARKOD
            v(LFinish).toString(),                                    // FINISHKOD
            v(LOemno).toString(),                                     // OEMNO
            v(LStokadi).toString(),                                   // STOKADI
            v(LMiktar).toDouble(),                                    // MIKTAR
            v(LBirimFiyat).toDouble(),                                // BIRIMFIYAT
            first > 0 ? first : v(LBirimFiyat).toDouble(),            // ILKFIYAT
            v(LTutar).toDouble(),                                     // TUTAR
            RatesText(rates),                                         // INDIRIMYAZI
            v(LNetBirimFiyat).toDouble(),                             // NETBIRIMFIYAT
            v(LKdv).toDouble(),                                       // KDV
            v(LVergiTutari).toDouble(),                               // VERGITUTARI
            v(LNetTutar).toDouble(),                                  // NETTUTAR
            veren,                                                    // VEREN
            v(LTeslim).toDouble(),                                    // TESLIMEDILEN
            v(LKalan).toDouble(),                                     // KALAN
            v(LStokKalan).toDouble(),                                 // ELDEKI
            v(LStokDurum).toInt(),                                    // DURUM
            v(LAlinan).toDouble(),                                    // ALINANSIPARIS
            v(LVerilen).toDouble(),                                   // VERILENSIPARIS
            v(LSepetSirano).toInt(),                                  // SIRANO
            v(LIdno).toInt(),                                         // SIPARISNO
            v(LCarino).toInt(),                                       // CARINO
            OleFromDateTime(placed),                                  // TARIH
            v(LOrderDurum).toInt() > kStateReceived ? 1 : 0,          // AKTAR
            v(LStokno).toInt(),                                       // STOKNO
            v(LSirano).toInt(),                                       // STOKHAR_NO
            rates[0], rates[1], rates[2], rates[3],                   // INDIRIMORANI1..4
            v(LIndirimTutar).toDouble(),                              // INDIRIMTUTAR
            v(LKur).toString(),                                       // KUR
            v(LKurTl).toDouble(),                                     // KURTL
            verenId,                                                  // VERENIDNO
            placed.isValid() ? placed.toString(QStringLiteral("HH:mm")) : QString(),  // SAAT
            v(LTeslimAdi).toString(),                                 // TESLIM
            v(LTeslimId).isNull() ? QVariant(0) : v(LTeslimId),       // TESLIMID
            v(LKargoTuru).toString(),                                 // KARGO
            v(LKargoTuruId).isNull() ? QVariant(0) : v(LKargoTuruId), // KARGOID
            note.trimmed().isEmpty() ? v(LStokadi).toString() : note, // ACIKLAMA
            v(LIdno).toInt(),                                         // IDNO
            verenId,                                                  // VERENSIRANO
            v(LCarikod).toString(),                                   // CARIKOD
            v(LCariadi).toString(),                                   // CARIADI
            v(LOem1).toString(), v(LOem2).toString(),                 // OEM1, OEM2
            v(LOem3).toString(), v(LOem4).toString(),                 // OEM3, OEM4
            v(LStokno).toInt(),                                       // STOK_STOKNO
            v(LUreticiKodu).toString(),                               // URETICIKODU
            v(LDigerAdi).toString(),                                  // DIGERADI
            v(LDpKod).toString(),                                     // DPKOD
            v(LMarka).toString(),                                     // MARKA
            v(LModel).toString(),                                     // MODEL
            v(LAnaGrup).toString(),                                   // ANAGRUP
            v(LOzelKod).toString(),                                   // OZELKOD
            v(LPKod).toString(),                                      // PKOD
            v(LStateName).toString(),                                 // SIPARISDURUMU
            v(LK).toInt(),                                            // K
        });
    }
}

// Throws MethodError unless the order exists and (for carino != 0) belongs
// to the account.
void CheckOrder(Db &db, qint32 carino, qint32 idno)
{
    const QVariant owner = db.scalar(QStringLiteral("SELECT carino FROM orders WHERE idno = ?"), {idno});
    if (!owner.isValid()) throw MethodError("Sipariş bulunamadı (sipariş no " + Num(idno) + ")");
    if (carino != 0 && owner.toInt() != carino)
        throw MethodError("Sipariş " + Num(idno) + " bu cari hesaba ait değil (cari no " + Num(carino) + ")");
}

// ---- outstanding balance edits ----------------------------------------------

constexpr double kMaxQuantity = 1000000;

void CheckQuantityArg(double v, const char *what)
{
    if (!std::isfinite(v)) throw MethodError(std::string(what) + " geçerli bir sayı değil");
    if (v < 0) throw MethodError(std::string(what) + " sıfırdan küçük olamaz");
    if (v > kMaxQuantity) throw MethodError(std::string(what) + " en fazla 1.000.000 olabilir");
}

// An order line as the balance edits see it, locked for the transaction.
struct EditLine {
    qint64 sirano = 0, idno = 0, basketLine = 0;
    int carino = 0, stokno = 0;
    double ordered = 0, delivered = 0, outstanding = 0, price = 0, firstPrice = 0, vat = 0;
    Rates rates{};
};

EditLine LoadLineForEdit(Db &db, const TSonucBilgisi *k, qint32 stokno, qint32 sepetsirano, qint32 siparissirano)
{
    const Caller caller = ResolveCaller(db, k);
    const int account = k->CARINO();
    CheckAccountAccess(db, caller, account);
    if (siparissirano <= 0) throw MethodError("Sipariş satırı seçilmedi");

    // The row lock keeps two edits of one line from interleaving on
    // PostgreSQL; SQLite's write transaction already excludes other writers.
    const QString lock = db.dialect() == Dialect::PostgreSQL ? QStringLiteral(" FOR UPDATE") : QString();
    QSqlQuery q = db.exec(QStringLiteral("SELECT sirano, idno, sepet_sirano, carino, stokno, miktar, teslim_edilen, "
                                         "kalan, birimfiyat, ilk_fiyat, kdv, ind1, ind2, ind3, ind4 "
                                         "FROM order_lines WHERE sirano = ?") +
                              lock,
                          {siparissirano});
    if (!q.next()) throw MethodError("Sipariş satırı bulunamadı (satır no " + Num(siparissirano) + ")");
    EditLine l;
    l.sirano = q.value(0).toLongLong();
    l.idno = q.value(1).toLongLong();
    l.basketLine = q.value(2).toLongLong();
    l.carino = q.value(3).toInt();
    l.stokno = q.value(4).toInt();
    l.ordered = q.value(5).toDouble();
    l.delivered = q.value(6).toDouble();
    l.outstanding = q.value(7).toDouble();
    l.price = q.value(8).toDouble();
    l.firstPrice = q.value(9).toDouble();
    l.vat = q.value(10).toDouble();
    for (int i = 0; i < 4; ++i) l.rates[std::size_t(i)] = q.value(11 + i).toDouble();
    q.finish();

    if (l.carino != account)
        throw MethodError("Sipariş satırı " + Num(siparissirano) + " bu cari hesaba ait değil (cari no " +
                          Num(account) + ")");
    if (stokno != 0 && stokno != l.stokno)
        throw MethodError("Sipariş satırı " + Num(siparissirano) + " bu stoğa ait değil (stok no " + Num(stokno) + ")");
    if (sepetsirano != 0 && sepetsirano != l.basketLine)
        throw MethodError("Sipariş satırı " + Num(siparissirano) + " ile sepet satırı " + Num(sepetsirano) +
                          " uyuşmuyor");
    return l;
}

// Writes a line's quantity, price and discounts with its amounts worked out
// again, then the order's totals as the sums of its lines.
void RewriteLineAndOrder(Db &db, const EditLine &l)
{
    const LineAmounts a = ComputeLineAmounts(l.price, l.ordered, l.rates, l.vat);
    db.exec(QStringLiteral("UPDATE order_lines SET miktar = ?, kalan = ?, birimfiyat = ?, ilk_fiyat = ?, ind1 = ?, "
                           "ind2 = ?, ind3 = ?, ind4 = ?, tutar = ?, indirim_tutar = ?, net_birimfiyat = ?, "
                           "net_tutar = ?, vergi_tutari = ? WHERE sirano = ?"),
            {l.ordered, l.outstanding, l.price, l.firstPrice, l.rates[0], l.rates[1], l.rates[2], l.rates[3],
             a.amount, a.discountAmount, a.netUnitPrice, a.netAmount, a.taxAmount, l.sirano});

    // Totals as the order was first added up: cent-rounded running sums.
    double total = 0, discount = 0, tax = 0;
    QSqlQuery q = db.exec(
        QStringLiteral("SELECT tutar, indirim_tutar, vergi_tutari FROM order_lines WHERE idno = ? ORDER BY sirano"),
        {l.idno});
    while (q.next()) {
        total = RoundTo2Decimals(total + q.value(0).toDouble());
        discount = RoundTo2Decimals(discount + q.value(1).toDouble());
        tax = RoundTo2Decimals(tax + q.value(2).toDouble());
    }
    q.finish();
    const double net = RoundTo2Decimals(total - discount);
    db.exec(QStringLiteral("UPDATE orders SET tutar = ?, indirim_tutar = ?, net_tutar = ?, vergi = ?, genel_tutar = ? "
                           "WHERE idno = ?"),
            {total, discount, net, tax, RoundTo2Decimals(net + tax), l.idno});
}

// ---- customer console ----------------------------------------------------------

// Counters of one account: basket lines and orders per state.
struct AccountCounts {
    int basket = 0;
    std::array<int, 8> states{};  // indexed by state code 2..7
};

// Which accounts a console list shows.
struct AccountFilter {
    int onlyCarino = 0;     // a customer user sees their own account only
    QStringList words;      // every word in the code, name, city, district or contact
    int list = 0;           // 1 with basket lines, 2..7 with orders in that state; 0 all
};

// The console's account rows. TLBAKIYE is the size of the balance and DURUM
// its side ("Borçlu" the account owes, "Alacaklı" it is owed);
// VADEKONTROLGUN and VADEKONTROLAY how many days (started months) the
// oldest overdue debt is late; SEPET the basket lines; ALINDI ... SEVKEDILDI
// the orders in each state. The seller keeps no extra codes KOD1..KOD5:
// they are empty.
DataTable NewAccountTable()
{
    DataTable t;
    t.addColumns({
                      {"CARINO", FieldType::Int32, 0},         {"CARIKOD", FieldType::String, 30},
                      {"CARIADI", FieldType::String, 100},     {"SATICISI", FieldType::String, 50},
                      {"TLBAKIYE", FieldType::Float64, 0},     {"DURUM", FieldType::String, 10},
                      {"OZELKOD", FieldType::String, 30},      {"KOD1", FieldType::String, 30},
                      {"KOD2", FieldType::String, 30},         {"KOD3", FieldType::String, 30},
                      {"KOD4", FieldType::String, 30},         {"KOD5", FieldType::String, 30},
                      {"TEL1", FieldType::String, 30},         {"TEL2", FieldType::String, 30},
                      {"ILCE", FieldType::String, 50},         {"IL", FieldType::String, 50},
                      {"GSM", FieldType::String, 30},          {"SEPET", FieldType::Int32, 0},
                      {"YETKILI", FieldType::String, 60},      {"INDIRIM", FieldType::Float64, 0},
                      {"VADE", FieldType::Int32, 0},           {"VADEKONTROLGUN", FieldType::Int32, 0},
                      {"VADEKONTROLAY", FieldType::Int32, 0},  {"VERGIDAIRESI", FieldType::String, 50},
                      {"VERGINO", FieldType::String, 20},      {"ADRES1", FieldType::String, 120},
                      {"ADRES2", FieldType::String, 120},      {"ANAGRUP", FieldType::String, 50},
                      {"ALTGRUP", FieldType::String, 50},      {"FAX1", FieldType::String, 30},
                      {"FAX2", FieldType::String, 30},         {"EMAIL", FieldType::String, 80},
                      {"ALINDI", FieldType::Int32, 0},         {"ONAYLANDI", FieldType::Int32, 0},
                      {"GORULDU", FieldType::Int32, 0},        {"HAZIRLANDI", FieldType::Int32, 0},
                      {"PARCALIHAZIRLANDI", FieldType::Int32, 0}, {"SEVKEDILDI", FieldType::Int32, 0},
                      {"ULKE", FieldType::String, 30},
                  });
    return t;
}

QHash<int, AccountCounts> LoadAccountCounts(Db &db, int onlyCarino)
{
    QHash<int, AccountCounts> counts;
    const QString where = onlyCarino > 0 ? QStringLiteral(" WHERE carino = ?") : QString();
    const QVariantList binds = onlyCarino > 0 ? QVariantList{onlyCarino} : QVariantList{};
    QSqlQuery b = db.exec(QStringLiteral("SELECT carino, COUNT(*) FROM basket_lines") + where +
                              QStringLiteral(" GROUP BY carino"),
                          binds);
    while (b.next()) counts[b.value(0).toInt()].basket = b.value(1).toInt();
    b.finish();
    QSqlQuery o = db.exec(QStringLiteral("SELECT carino, durum, COUNT(*) FROM orders") + where +
                              QStringLiteral(" GROUP BY carino, durum"),
                          binds);
    while (o.next()) {
        const int state = o.value(1).toInt();
        if (state >= kStateReceived && state <= kStateShipped) counts[o.value(0).toInt()].states[std::size_t(state)] += o.value(2).toInt();
    }
    return counts;
}

DataTable AccountList(Db &db, const AccountFilter &filter)
{
    const QHash<int, AccountCounts> counts = LoadAccountCounts(db, filter.onlyCarino);
    DataTable t = NewAccountTable();
    QString sql = QStringLiteral(
        "SELECT c.carino, c.carikod, c.cariadi, s.adi, c.bakiye, c.ozel_kod, c.tel1, c.tel2, c.ilce, c.sehir, c.gsm, "
        "c.yetkili, c.iskonto_orani, c.vade_gun, c.vergi_dairesi, c.vergi_no, c.adres1, c.adres2, c.ana_grup, "
        "c.alt_grup, c.fax1, c.fax2, c.email, c.ulke "
        "FROM customers c LEFT JOIN salespeople s ON s.satici_no = c.satici_no");
    QVariantList binds;
    if (filter.onlyCarino > 0) {
        sql += QStringLiteral(" WHERE c.carino = ?");
        binds << filter.onlyCarino;
    }
    sql += QStringLiteral(" ORDER BY c.carikod, c.carino");
    const QDate today = QDate::currentDate();
    const QHash<int, Ageing> ages = AgeAccounts(db, today, filter.onlyCarino);
    QSqlQuery q = db.exec(sql, binds);
    bool numeric = false;
    const int wanted = filter.words.size() == 1 ? filter.words.front().toInt(&numeric) : 0;
    while (q.next()) {
        const int carino = q.value(0).toInt();
        const AccountCounts c = counts.value(carino);
        if (filter.list == 1 && c.basket == 0) continue;
        if (filter.list >= kStateReceived && c.states[std::size_t(filter.list)] == 0) continue;
        if (!filter.words.isEmpty() && !(numeric && wanted == carino)) {
            const QString hay = FoldForSearch(q.value(1).toString() + QLatin1Char(' ') + q.value(2).toString() +
                                              QLatin1Char(' ') + q.value(9).toString() + QLatin1Char(' ') +
                                              q.value(8).toString() + QLatin1Char(' ') + q.value(11).toString());
            bool all = true;
            for (const QString &w : filter.words)
                if (!hay.contains(w)) {
                    all = false;
                    break;
                }
            if (!all) continue;
        }
        const double balance = RoundTo2Decimals(q.value(4).toDouble());
        const int term = q.value(13).toInt();
        // Days (and started months) the account's oldest overdue debt is late.
        const auto age = ages.constFind(carino);
        const int lateDays = age != ages.constEnd() && age->oldestDue.isValid() ? int(age->oldestDue.daysTo(today)) : 0;
        const QString side = balance > 0 ? QStringLiteral("Borçlu") : balance < 0 ? QStringLiteral("Alacaklı") : QString();
        t.appendRow({
            carino, q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),  // CARINO..SATICISI
            std::fabs(balance), side,                                                      // TLBAKIYE, DURUM
            q.value(5).toString(), QString(), QString(), QString(), QString(), QString(),  // OZELKOD, KOD1..5
            q.value(6).toString(), q.value(7).toString(),                                  // TEL1, TEL2
            q.value(8).toString(), q.value(9).toString(),                                  // ILCE, IL
            q.value(10).toString(), c.basket, q.value(11).toString(),                      // GSM, SEPET, YETKILI
            q.value(12).toDouble(), term,                                                  // INDIRIM, VADE
            lateDays, (lateDays + 29) / 30,                                                // VADEKONTROLGUN/AY
            q.value(14).toString(), q.value(15).toString(),                                // VERGIDAIRESI, VERGINO
            q.value(16).toString(), q.value(17).toString(),                                // ADRES1, ADRES2
            q.value(18).toString(), q.value(19).toString(),                                // ANAGRUP, ALTGRUP
            q.value(20).toString(), q.value(21).toString(), q.value(22).toString(),        // FAX1, FAX2, EMAIL
            c.states[kStateReceived], c.states[kStateApproved], c.states[kStateSeen],      // ALINDI..GORULDU
            c.states[kStateReady], c.states[kStatePartlyReady], c.states[kStateShipped],   // HAZIRLANDI..SEVKEDILDI
            q.value(23).toString(),                                                        // ULKE
        });
    }
    return t;
}

}  // namespace

// =============================================================================
// Previous orders and order detail

// The account's orders, newest first; none while no account is chosen
// (carino 0). TUTAR is the amount before discounts,
// NETTUTAR after them, VERGI the tax (GENELTUTAR = NETTUTAR + VERGI).
DataTable HistoryMethods::OncekiSiparisler(qint32 carino)
{
    DataTable t;
    t.addColumns({
                      {"CARINO", FieldType::Int32, 0},        {"IDNO", FieldType::Int32, 0},
                      {"TARIH", FieldType::DateTime, 0},      {"KUR", FieldType::String, 5},
                      {"KURTL", FieldType::Float64, 0},       {"VERENIDNO", FieldType::Int32, 0},
                      {"KARGO", FieldType::String, 50},       {"TESLIM", FieldType::String, 50},
                      {"VEREN", FieldType::String, 50},       {"CARIKOD", FieldType::String, 30},
                      {"CARIADI", FieldType::String, 100},    {"VERGI", FieldType::Float64, 0},
                      {"NETTUTAR", FieldType::Float64, 0},    {"TUTAR", FieldType::Float64, 0},
                      {"DURUM", FieldType::String, 30},       {"KARGOADI", FieldType::String, 50},
                      {"VERENINNOTU", FieldType::String, 0},  {"ALANNOTU", FieldType::String, 0},
                      {"INDIRIMTUTAR", FieldType::Float64, 0}, {"GENELTUTAR", FieldType::Float64, 0},
                      {"DURUMNO", FieldType::Int32, 0},       {"SATICIADI", FieldType::String, 50},
                  });
    if (carino <= 0) return t;  // no account chosen yet
    CheckAccountExists(db_, carino);
    QSqlQuery q = db_.exec(
        QStringLiteral("SELECT o.carino, o.idno, o.tarih, o.kur, o.kurtl, o.veren_id, o.kargo_turu, o.teslim, o.veren, "
                       "c.carikod, c.cariadi, o.vergi, o.net_tutar, o.tutar, st.adi, o.kargo_adi, o.aciklama, "
                       "o.alan_notu, o.indirim_tutar, o.genel_tutar, o.durum, sp.adi "
                       "FROM orders o "
                       "JOIN customers c ON c.carino = o.carino "
                       "LEFT JOIN order_states st ON st.durum = o.durum "
                       "LEFT JOIN salespeople sp ON sp.satici_no = o.satici_no "
                       "WHERE o.carino = ? ORDER BY o.tarih DESC, o.idno DESC"),
        {carino});
    while (q.next()) {
        t.appendRow({q.value(0), q.value(1), OleFromDateTime(LocalFromUtcText(q.value(2).toString())), q.value(3),
                     q.value(4).toDouble(), q.value(5).isNull() ? QVariant(0) : q.value(5), q.value(6), q.value(7),
                     q.value(8), q.value(9), q.value(10), q.value(11).toDouble(), q.value(12).toDouble(),
                     q.value(13).toDouble(), q.value(14).toString(), q.value(15), q.value(16), q.value(17),
                     q.value(18).toDouble(), q.value(19).toDouble(), q.value(20).toInt(), q.value(21).toString()});
    }
    return t;
}

// The lines of one order of the account (carino 0: of any account).
DataTable HistoryMethods::SiparisAyrintisi2(qint32 carino, qint32 idnosu)
{
    CheckOrder(db_, carino, idnosu);
    DataTable t = NewLineTable();
    QSqlQuery q = db_.exec(LineSelect() + QStringLiteral("WHERE ol.idno = ? ORDER BY ol.sirano"), {idnosu});
    AppendLines(t, q);
    return t;
}

// The footer of an order: its state, delivery type, carrier type and
// carrier, who placed it, and the three notes. carino 0 (what the client
// sends) accepts the order of any account.
std::unique_ptr<TSiparisDipAyrinti> HistoryMethods::SiparisAytintisiDip(qint32 carino, qint32 siranosu)
{
    CheckOrder(db_, carino, siranosu);
    QSqlQuery q = db_.exec(QStringLiteral("SELECT o.aciklama, st.adi, o.veren, o.kargo_adi, o.alan_notu, o.teslim, "
                                          "o.kargo_turu, o.satici_notu "
                                          "FROM orders o LEFT JOIN order_states st ON st.durum = o.durum "
                                          "WHERE o.idno = ?"),
                           {siranosu});
    auto footer = std::make_unique<TSiparisDipAyrinti>();
    if (!q.next()) return footer;
    footer->setSizinMesaj(q.value(0).toString());
    footer->setDurumu(q.value(1).toString());
    footer->setVeren(q.value(2).toString());
    footer->setKargo(q.value(3).toString());
    footer->setBizimMesaj(q.value(4).toString());
    footer->setTeslimCinsi(q.value(5).toString());
    footer->setKargoCinsi(q.value(6).toString());
    footer->setSaticiNotu(q.value(7).toString());
    return footer;
}

// =============================================================================
// Outstanding order balances

// The account's order lines with an outstanding quantity, oldest order first.
DataTable HistoryMethods::BakiyelerVer2(qint32 carino)
{
    DataTable t = NewLineTable();
    if (carino <= 0) return t;  // no account chosen yet
    CheckAccountExists(db_, carino);
    QSqlQuery q = db_.exec(LineSelect() + QStringLiteral("WHERE o.carino = ? AND ol.kalan > 0 "
                                                         "ORDER BY o.tarih, ol.idno, ol.sirano"),
                           {carino});
    AppendLines(t, q);
    return t;
}

// Removes the outstanding quantity of an order line: what was delivered
// stays, nothing more will be. 1 when a balance was removed, 0 when the line
// had none left. The line must belong to the session's working account.
qint32 HistoryMethods::BakiyeDuzenle(const TSonucBilgisi *k, qint32 stokno, qint32 sepetsirano,
                                     qint32 siparissirano, double Adet, double Bakiye, const QString &barkod)
{
    CheckQuantityArg(Adet, "Miktar");
    CheckQuantityArg(Bakiye, "Bakiye");
    qint32 result = 0;
    EditLine line;
    db_.transaction([&] {
        line = LoadLineForEdit(db_, k, stokno, sepetsirano, siparissirano);
        if (line.outstanding <= 0) return;
        db_.exec(QStringLiteral("UPDATE order_lines SET kalan = 0 WHERE sirano = ?"), {line.sirano});
        result = 1;
    });
    if (result)
        LogInfo("Sipariş bakiyesi silindi: satır " + Num(line.sirano) + " (sipariş " + Num(line.idno) + ", " +
                barkod.toStdString() + "), kalan " + Quantity(line.outstanding).toStdString() + " -> 0, " +
                (k ? k->ADI().toStdString() : std::string()));
    return result;
}

// Sets the outstanding quantity of an order line to Bakiye (the client sends
// the same number as Adet). The ordered quantity grows when delivered plus
// outstanding would exceed it, and the line's and order's amounts with it.
// 1 on success.
qint32 HistoryMethods::BakiyeDegistir(const TSonucBilgisi *k, qint32 stokno, qint32 sepetsirano,
                                      qint32 siparissirano, double Adet, double Bakiye, const QString &barkod)
{
    CheckQuantityArg(Adet, "Miktar");
    CheckQuantityArg(Bakiye, "Yeni bakiye");
    double before = 0;
    EditLine line;
    db_.transaction([&] {
        line = LoadLineForEdit(db_, k, stokno, sepetsirano, siparissirano);
        before = line.outstanding;
        const double needed = line.delivered + Bakiye;
        if (needed > line.ordered + 1e-9) {
            line.ordered = needed;
            line.outstanding = Bakiye;
            if (line.firstPrice <= 0) line.firstPrice = line.price;
            RewriteLineAndOrder(db_, line);
        } else {
            line.outstanding = Bakiye;
            db_.exec(QStringLiteral("UPDATE order_lines SET kalan = ? WHERE sirano = ?"), {Bakiye, line.sirano});
        }
    });
    LogInfo("Sipariş bakiyesi değiştirildi: satır " + Num(line.sirano) + " (sipariş " + Num(line.idno) + ", " +
            barkod.toStdString() + "), kalan " + Quantity(before).toStdString() + " -> " +
            Quantity(Bakiye).toStdString() + ", " + (k ? k->ADI().toStdString() : std::string()));
    return 1;
}

// Sets the unit price of an order line and its discount to the single rate
// `ind` (the price dialog shows one rate), and works out the line's and the
// order's amounts again. Only sales staff of type 2 may change prices; the
// line's first price (ILKFIYAT) is kept. 1 on success.
qint32 HistoryMethods::BakiyeFiyatDegistir(const TSonucBilgisi *k, qint32 stokno, qint32 sepetsirano,
                                           qint32 siparissirano, double Adet, double Bakiye, const QString &barkod,
                                           double fiyat, double ind)
{
    CheckQuantityArg(Adet, "Miktar");
    CheckQuantityArg(Bakiye, "Bakiye");
    if (!std::isfinite(fiyat) || fiyat < 0) throw MethodError("Fiyat sıfırdan küçük olamaz");
    if (fiyat > 1e9) throw MethodError("Fiyat çok büyük");
    if (!std::isfinite(ind) || ind < 0 || ind > 100) throw MethodError("İndirim oranı 0 ile 100 arasında olmalıdır");
    const Caller caller = ResolveCaller(db_, k);
    if (caller.type != 2) throw MethodError("Fiyat değiştirme yetkiniz yok");
    double before = 0;
    EditLine line;
    db_.transaction([&] {
        line = LoadLineForEdit(db_, k, stokno, sepetsirano, siparissirano);
        before = line.price;
        if (line.firstPrice <= 0) line.firstPrice = line.price;
        line.price = RoundTo2Decimals(fiyat);
        line.rates = Rates{ind, 0, 0, 0};
        RewriteLineAndOrder(db_, line);
    });
    LogInfo("Sipariş satırı fiyatı değiştirildi: satır " + Num(line.sirano) + " (sipariş " + Num(line.idno) + ", " +
            barkod.toStdString() + "), fiyat " + QString::number(before, 'f', 2).toStdString() + " -> " +
            QString::number(line.price, 'f', 2).toStdString() + ", indirim %" + QString::number(ind).toStdString() +
            ", " + caller.name.toStdString());
    return 1;
}

// =============================================================================
// Item order history and the sales reports

// The account's order lines of one stock item (stokno 0: of every item),
// newest first.
DataTable HistoryMethods::TumSiparislerVer(qint32 carino, qint32 stokno)
{
    if (carino <= 0) return NewLineTable();  // no account chosen yet
    CheckAccountExists(db_, carino);
    if (stokno < 0) throw MethodError("Geçersiz stok numarası (" + Num(stokno) + ")");
    if (stokno > 0 && !db_.scalar(QStringLiteral("SELECT stokno FROM stock WHERE stokno = ?"), {stokno}).isValid())
        throw MethodError("Stok bulunamadı (stok no " + Num(stokno) + ")");
    DataTable t = NewLineTable();
    QString sql = LineSelect() + QStringLiteral("WHERE o.carino = ?");
    QVariantList binds{carino};
    if (stokno > 0) {
        sql += QStringLiteral(" AND ol.stokno = ?");
        binds << stokno;
    }
    sql += QStringLiteral(" ORDER BY o.tarih DESC, ol.idno DESC, ol.sirano");
    QSqlQuery q = db_.exec(sql, binds);
    AppendLines(t, q);
    return t;
}

// The orders placed on the days tarih1 to tarih2 (server local time), of
// every account, ordered by salesperson, date and number; the client
// groups them by SATICIADI and totals TUTAR per group. The salesperson is
// the one the order counts for (orders.satici_no). Sales staff only.
DataTable HistoryMethods::RaporAlinanSiparisler(const TSonucBilgisi *bilgi, double tarih1, double tarih2)
{
    const Caller caller = ResolveCaller(db_, bilgi);
    if (!caller.isStaff()) throw MethodError("Raporlar yalnız satış personeline açıktır");
    const DayRange range = CalendarDays(tarih1, tarih2);
    DataTable t;
    t.addColumns({
                      {"SATICIADI", FieldType::String, 50}, {"IDNO", FieldType::Float64, 0},
                      {"CARINO", FieldType::Int32, 0},      {"TARIH", FieldType::DateTime, 0},
                      {"KUR", FieldType::String, 5},        {"KURTL", FieldType::Float64, 0},
                      {"VERENIDNO", FieldType::Int32, 0},   {"KARGO", FieldType::String, 50},
                      {"TESLIM", FieldType::String, 50},    {"VEREN", FieldType::String, 50},
                      {"CARIKOD", FieldType::String, 25},   {"CARIADI", FieldType::String, 100},
                      {"DURUM", FieldType::String, 100},    {"KARGOADI", FieldType::String, 50},
                      {"VERGI", FieldType::Float64, 0},     {"NETTUTAR", FieldType::Float64, 0},
                      {"TUTAR", FieldType::Float64, 0},
                  });
    QSqlQuery q = db_.exec(
        QStringLiteral("SELECT COALESCE(sp.adi, ''), o.idno, o.carino, o.tarih, o.kur, o.kurtl, o.veren_id, "
                       "o.kargo_turu, o.teslim, o.veren, c.carikod, c.cariadi, st.adi, o.kargo_adi, o.vergi, "
                       "o.net_tutar, o.tutar "
                       "FROM orders o "
                       "JOIN customers c ON c.carino = o.carino "
                       "LEFT JOIN order_states st ON st.durum = o.durum "
                       "LEFT JOIN salespeople sp ON sp.satici_no = o.satici_no "
                       "WHERE o.tarih >= ? AND o.tarih < ? "
                       "ORDER BY COALESCE(sp.adi, ''), o.tarih, o.idno"),
        {range.fromUtc, range.toUtc});
    while (q.next()) {
        const QString salesperson = q.value(0).toString();
        t.appendRow({salesperson.isEmpty() ? QStringLiteral("(Temsilci atanmamış)") : salesperson,
                     q.value(1).toDouble(), q.value(2).toInt(),
                     OleFromDateTime(LocalFromUtcText(q.value(3).toString())), q.value(4).toString(),
                     q.value(5).toDouble(), q.value(6).isNull() ? QVariant(0) : q.value(6), q.value(7).toString(),
                     q.value(8).toString(), q.value(9).toString(), q.value(10).toString(), q.value(11).toString(),
                     q.value(12).toString(), q.value(13).toString(), q.value(14).toDouble(), q.value(15).toDouble(),
                     q.value(16).toDouble()});
    }
    return t;
}

// The stock items ordered on the days tarih1 to tarih2, one row per item
// with the ordered quantity and the amounts summed over every account's
// order lines (TUTAR before discounts, NETTUTAR after them, TLVERGI the
// tax), best-selling (largest quantity) first. Sales staff only.
DataTable HistoryMethods::RaporEnCokSatilanStoklar(const TSonucBilgisi *bilgi, double tarih1, double tarih2)
{
    const Caller caller = ResolveCaller(db_, bilgi);
    if (!caller.isStaff()) throw MethodError("Raporlar yalnız satış personeline açıktır");
    const DayRange range = CalendarDays(tarih1, tarih2);
    DataTable t;
    t.addColumns({
                      {"BARKOD", FieldType::String, 50},    {"KOD", FieldType::String, 50},
                      {"ADI", FieldType::String, 100},      {"DEPARTMAN", FieldType::String, 50},
                      {"MIKTAR", FieldType::Float64, 0},    {"NETTUTAR", FieldType::Float64, 0},
                      {"TLVERGI", FieldType::Float64, 0},   {"TUTAR", FieldType::Float64, 0},
                      {"STOKNO", FieldType::Int32, 0},      {"SIPARISSAYISI", FieldType::Int32, 0},
                  });
    QSqlQuery q = db_.exec(
        QStringLiteral("SELECT a.stokno, s.barkod, s.uretici_kodu, s.oemno, s.adi, a.barkod, a.stokadi, s.marka, "
                       "a.miktar, a.net_tutar, a.vergi, a.tutar, a.siparis "
                       "FROM (SELECT ol.stokno, MAX(ol.barkod) AS barkod, MAX(ol.stokadi) AS stokadi, "
                       "             SUM(ol.miktar) AS miktar, SUM(ol.net_tutar) AS net_tutar, "
                       "             SUM(ol.vergi_tutari) AS vergi, SUM(ol.tutar) AS tutar, "
                       "             COUNT(DISTINCT ol.idno) AS siparis "
                       "      FROM orders o JOIN order_lines ol ON ol.idno = o.idno "
                       "      WHERE o.tarih >= ? AND o.tarih < ? GROUP BY ol.stokno) a "
                       "LEFT JOIN stock s ON s.stokno = a.stokno"),
        {range.fromUtc, range.toUtc});
    struct Item {
        QVariantList row;
        double quantity, net;
        QString code;
    };
    std::vector<Item> items;
    while (q.next()) {
        const QString code = q.value(1).isNull() ? q.value(5).toString() : q.value(1).toString();
        const QString maker = q.value(2).toString().isEmpty() ? q.value(3).toString() : q.value(2).toString();
        const QString name = q.value(4).isNull() ? q.value(6).toString() : q.value(4).toString();
        const double quantity = q.value(8).toDouble();
        const double net = RoundTo2Decimals(q.value(9).toDouble());
        items.push_back({{code, maker, name, q.value(7).toString(), quantity, net,
                          RoundTo2Decimals(q.value(10).toDouble()), RoundTo2Decimals(q.value(11).toDouble()),
                          q.value(0).toInt(), q.value(12).toInt()},
                         quantity,
                         net,
                         code});
    }
    std::sort(items.begin(), items.end(), [](const Item &a, const Item &b) {
        if (a.quantity != b.quantity) return a.quantity > b.quantity;
        if (a.net != b.net) return a.net > b.net;
        return a.code < b.code;
    });
    for (const Item &i : items) t.appendRow(i.row);
    return t;
}

// =============================================================================
// Customer console

// Customer accounts whose code, name, city, district or contact contain
// every word of `aranan` (letter case, Turkish dotted/dotless i and letter
// marks ignored), or whose number is `aranan`; all accounts for an empty
// text. A customer user finds their own account only.
DataTable HistoryMethods::CariAra(const TSonucBilgisi *bil, const QString &aranan)
{
    const Caller caller = ResolveCaller(db_, bil);
    AccountFilter filter;
    filter.onlyCarino = caller.isStaff() ? 0 : caller.carino;
    filter.words = SearchWords(aranan);
    return AccountList(db_, filter);
}

// The number of accounts with lines in their basket (the console's basket
// list); a customer user's own account counts alone.
qint32 HistoryMethods::SepetSayisi(const TSonucBilgisi *bil)
{
    const Caller caller = ResolveCaller(db_, bil);
    if (!caller.isStaff())
        return db_.scalar(QStringLiteral("SELECT COUNT(*) FROM basket_lines WHERE carino = ?"), {caller.carino}).toInt() > 0
                   ? 1
                   : 0;
    return db_.scalar(QStringLiteral("SELECT COUNT(DISTINCT carino) FROM basket_lines")).toInt();
}

// Orders in each state, over every account (a customer user: their own).
std::unique_ptr<TTusSonuclari> HistoryMethods::TusSonuclariVer(const TSonucBilgisi *bil)
{
    const Caller caller = ResolveCaller(db_, bil);
    QSqlQuery q = caller.isStaff()
                      ? db_.exec(QStringLiteral("SELECT durum, COUNT(*) FROM orders GROUP BY durum"))
                      : db_.exec(QStringLiteral("SELECT durum, COUNT(*) FROM orders WHERE carino = ? GROUP BY durum"),
                                 {caller.carino});
    auto r = std::make_unique<TTusSonuclari>();
    while (q.next()) {
        const int n = q.value(1).toInt();
        switch (q.value(0).toInt()) {
        case kStateReceived: r->setAlindi(n); break;
        case kStateApproved: r->setOnaylandi(n); break;
        case kStateSeen: r->setGoruldu(n); break;
        case kStatePartlyReady: r->setParcaliHazirlandi(n); break;
        case kStateReady: r->setHazirlandi(n); break;
        case kStateShipped: r->setSevkEdildi(n); break;
        default: break;
        }
    }
    return r;
}

// The accounts of one console list: n = 1 those with basket lines, 2 to 7
// those with orders in state n (2 received, 3 approved, 4 seen, 5 partly
// prepared, 6 prepared, 7 shipped). Same columns as CariAra.
DataTable HistoryMethods::CariSepetVer(const TSonucBilgisi *bil, qint32 n)
{
    const Caller caller = ResolveCaller(db_, bil);
    if (n < 1 || n > kStateShipped) throw MethodError("Geçersiz liste türü (" + Num(n) + "); 1 ile 7 arasında olmalı");
    AccountFilter filter;
    filter.onlyCarino = caller.isStaff() ? 0 : caller.carino;
    filter.list = n;
    return AccountList(db_, filter);
}

// The report PDF (historyreports.h): raporno 6 with an account is the
// account summary on tarih1, raporno 6 without one the receivables due of
// every account (or of one salesperson) on tarih1, raporno 7 the account's
// sales table by salesperson from tarih1 to tarih2. bolum is the section:
// the client asks for the whole report (bolum = raporno; 0 is the same).
// idno is the asking user, who must be sales staff.
QByteArray HistoryMethods::RaporGetir(qint32 raporno, qint32 bolum, qint32 idno, qint32 carino,
                                      const QString &saticiadi, double tarih1, double tarih2, qint64 &size)
{
    size = 0;
    ReportRequest r;
    r.report = raporno;
    r.section = bolum;
    r.userId = idno;
    r.carino = carino;
    r.salesperson = saticiadi;
    r.tarih1 = tarih1;
    r.tarih2 = tarih2;
    QByteArray pdf = MakeReportPdf(db_, r);
    size = pdf.size();
    return pdf;
}

// =============================================================================
// Badges

// One row: basket lines of the session's account, new stock items, campaign
// items, opening adverts shown today, the account's balance. The counts are
// the row counts of the lists the tabs show, so badge and tab agree.
DataTable HistoryMethods::BalonGetir(const TSonucBilgisi *bil)
{
    const Caller caller = ResolveCaller(db_, bil);
    const int carino = bil->CARINO();
    int basket = 0;
    double balance = 0;
    if (carino > 0) {
        CheckAccountAccess(db_, caller, carino);
        basket = db_.scalar(QStringLiteral("SELECT COUNT(*) FROM basket_lines WHERE carino = ?"), {carino}).toInt();
        balance = RoundTo2Decimals(
            db_.scalar(QStringLiteral("SELECT bakiye FROM customers WHERE carino = ?"), {carino}).toDouble());
    }
    const int fresh = int(YenilerVer2(carino).rowCount());
    const int campaign = int(KampanyaliVer2(carino, caller.type).rowCount());
    const int adverts = AcilisReklamAdet();
    DataTable t;
    t.addColumns({
                      {"SEPET", FieldType::Int32, 0},
                      {"YENI", FieldType::Int32, 0},
                      {"KAMPANYA", FieldType::Int32, 0},
                      {"DUYURU", FieldType::Int32, 0},
                      {"BAKIYE", FieldType::Float64, 0},
                  });
    t.appendRow({basket, fresh, campaign, adverts, balance});
    return t;
}

}  // namespace tarsel::server
