#include "server/promomethods.h"

#include "server/dbpool.h"
#include "server/outbox.h"
#include "server/pdfwriter.h"
#include "server/sellerprofile.h"

#include <QDate>
#include <QFileInfo>

#include <cmath>

namespace tarsel::server {

namespace {

// Movement kinds (account_movements.tur).
constexpr int kKindCollection = 3;
constexpr int kKindPayment = 4;

double Cents(double v) { return std::round(v * 100.0) / 100.0; }
qint64 ToCents(const QVariant &v) { return qint64(std::llround(v.toDouble() * 100.0)); }

// Stored day ("YYYY-MM-DD") or moment ("YYYY-MM-DD HH:MM:SS") as a date cell.
QVariant DateCell(const QVariant &stored)
{
    if (stored.isNull()) return QVariant();
    const QString s = stored.toString().trimmed();
    if (s.size() <= 10) {
        const QDate d = QDate::fromString(s, Qt::ISODate);
        return d.isValid() ? QVariant(d) : QVariant();
    }
    QDateTime dt = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!dt.isValid()) dt = QDateTime::fromString(s, Qt::ISODate);
    return dt.isValid() ? QVariant(dt) : QVariant();
}

QString Today() { return QDate::currentDate().toString(Qt::ISODate); }

// Adverts shown today, in display order.
const char *const kAdvertFilter = "aktif = 1 AND (baslangic IS NULL OR baslangic <= ?) AND (bitis IS NULL OR bitis >= ?)";

std::unique_ptr<TAcilisEkran> AdvertFrom(const QSqlQuery &q)
{
    auto ad = std::make_unique<TAcilisEkran>();
    ad->setSiraNo(q.value(0).toInt());
    ad->setBaslik(q.value(1).toString());
    ad->setArama(q.value(2).toString());
    const QByteArray picture = q.value(3).toByteArray();
    ad->setResim(QString::fromLatin1(picture.toHex().toUpper()));
    return ad;
}

QString InvoiceNotFound(qint32 idnosu) { return QStringLiteral("Fatura bulunamadı (evrak %1)").arg(idnosu); }

}  // namespace

// ---------------------------------------------------------------- statement

DataTable PromoMethods::CariEkstreVer(qint32 carino)
{
    DataTable t;
    t.addColumn(QStringLiteral("CARINO"), FieldType::Int32);
    t.addColumn(QStringLiteral("TARIH"), FieldType::DateTime);
    t.addColumn(QStringLiteral("TURADI"), FieldType::String, 30);
    t.addColumn(QStringLiteral("EVRAK"), FieldType::String, 20);
    t.addColumn(QStringLiteral("BORC"), FieldType::Float64);
    t.addColumn(QStringLiteral("ALACAK"), FieldType::Float64);
    t.addColumn(QStringLiteral("KUR"), FieldType::String, 5);
    t.addColumn(QStringLiteral("BAKIYE"), FieldType::Float64);
    t.addColumn(QStringLiteral("D"), FieldType::String, 1);
    t.addColumn(QStringLiteral("IDNO"), FieldType::Int32);
    t.addColumn(QStringLiteral("ACIKLAMA"), FieldType::String, 100);
    if (carino <= 0) return t;
    if (!db_.scalar(QStringLiteral("SELECT carino FROM customers WHERE carino = ?"), {carino}).isValid())
        throw MethodError(QStringLiteral("Cari hesap bulunamadı (%1)").arg(carino).toStdString());

    QSqlQuery q = db_.exec(QStringLiteral("SELECT idno, tarih, turadi, evrakno, borc, alacak, kur, aciklama "
                                          "FROM account_movements WHERE carino = ? ORDER BY tarih, idno"),
                           {carino});
    qint64 balance = 0;  // cents
    while (q.next()) {
        const qint64 borc = ToCents(q.value(4));
        const qint64 alacak = ToCents(q.value(5));
        balance += borc - alacak;
        const QString side = balance > 0 ? QStringLiteral("B") : balance < 0 ? QStringLiteral("A") : QStringLiteral(" ");
        t.appendRow({carino, DateCell(q.value(1)), q.value(2), q.value(3), double(borc) / 100.0,
                     double(alacak) / 100.0, q.value(6), double(balance) / 100.0, side, q.value(0), q.value(7)});
    }
    return t;
}

// ----------------------------------------------------------------- invoices

DataTable PromoMethods::FaturaGetir(qint32 carino, qint32 idnosu)
{
    const QVariant owner = db_.scalar(QStringLiteral("SELECT m.carino FROM invoices i "
                                                     "JOIN account_movements m ON m.idno = i.idno WHERE i.idno = ?"),
                                      {idnosu});
    if (!owner.isValid()) throw MethodError(InvoiceNotFound(idnosu).toStdString());
    if (owner.toInt() != carino)
        throw MethodError(QStringLiteral("Fatura bulunamadı (evrak %1, cari %2)").arg(idnosu).arg(carino).toStdString());

    DataTable t;
    auto text = [&](const char *name, int size) { t.addColumn(QString::fromLatin1(name), FieldType::String, size); };
    auto real = [&](const char *name) { t.addColumn(QString::fromLatin1(name), FieldType::Float64); };
    auto date = [&](const char *name) { t.addColumn(QString::fromLatin1(name), FieldType::DateTime); };
    auto integer = [&](const char *name) { t.addColumn(QString::fromLatin1(name), FieldType::Int32); };
    // Shown.
    text("OEMNO", 30);
    text("STOKADI", 100);
    text("FINISHKOD", 30);
    text("MARKA", 40);
    text("MODEL", 60);
    text("ANAGRUP", 40);
    text("BIRIM", 10);
    real("STOKHAR_MIKTAR");
    real("STOKHAR_TLBIRIMFIYATI");
    real("STOKHAR_TLTUTAR");
    real("STOKHAR_INDIRIM1");
    real("STOKHAR_INDIRIM2");
    real("KDV");
    real("STOKHAR_TOPLAMINDIRIM");
    real("STOKHAR_TOPLAMMASRAF");
    real("STOKHAR_NETTLBIRIMFIYATI");
    real("STOKHAR_NETTLTUTAR");
    // Offered in the column chooser.
    text("OZELKOD", 30);
    text("BARKOD", 30);
    date("STOKHAR_HAREKETTARIHI");
    text("STOKHAR_HAREKETTIPI2", 30);
    text("EVRAKNO", 20);
    real("STOKHAR_TLVERGI");
    text("IRSALIYEEVRAKNO", 20);
    date("STOKHAR_IRSTARIHI");
    text("SATIRACIKLMASI", 100);
    text("STOKHAR_SAAT", 5);
    integer("STOKHAR_VADE");
    text("SIPARISEVRAKNO", 20);
    date("SIPARISTARIHI");
    text("IRSALIYETIP2", 30);
    // Carried along, never shown.
    for (const char *n : {"STOKHAR_INDIRIM3", "STOKHAR_INDIRIM4", "STOKHAR_INDIRIM5", "STOKHAR_INDIRIM6",
                          "STOKHAR_INDIRIM7", "STOKHAR_INDIRIM8", "STOKHAR_DOVIZBIRIMFIYATI", "STOKHAR_DOVIZVERGI",
                          "STOKHAR_DOVIZTUTAR"})
        real(n);
    text("STOKHAR_PARTI", 20);
    text("STOKHAR_BEDEN", 10);
    text("STOKHAR_RENK", 20);
    for (const char *n : {"STOKHAR_MASRAF1", "STOKHAR_MASRAF2", "STOKHAR_DOVIZTOPLAMINDIRIM",
                          "STOKHAR_DOVIZTOPLAMMASRAF", "STOKHAR_NETDOVIZBIRIMFIYATI", "STOKHAR_NETDOVIZTUTAR",
                          "STOKHAR_KURTL"})
        real(n);
    text("SIPARISTIPI", 30);
    integer("IRSALIYETIPINO");
    text("STOKCARIKOD", 30);
    integer("SUBE_NO");
    integer("STOKHAR_CARINO");
    text("KUR_KURSIMGE", 5);
    text("SATICIADI", 60);
    text("URETICIKODU", 30);
    text("DPKOD", 20);
    text("ENADI", 100);
    text("PKOD", 20);
    text("BELGENO", 20);
    integer("IDNO");

    QSqlQuery q = db_.exec(
        QStringLiteral(
            "SELECT l.oemno, l.stokadi, l.finishkod, l.marka, l.model, l.anagrup, l.birim, l.miktar, "   // 0-7
            "       l.birim_fiyat, l.tutar, l.indirim1, l.indirim2, l.kdv, l.toplam_indirim, l.masraf, "    // 8-14
            "       l.net_birim_fiyat, l.net_tutar, l.ozelkod, l.barkod, m.tarih, i.hareket_tipi, "         // 15-20
            "       m.evrakno, l.vergi, i.irsaliye_no, i.irsaliye_tarihi, l.satir_aciklamasi, i.saat, "    // 21-26
            "       i.vade_gun, i.siparis_evrakno, i.siparis_tarihi, i.irsaliye_tipi, i.siparis_tipi, "    // 27-31
            "       c.carikod, i.sube_no, m.carino, m.kur, i.satici_adi, l.ureticikodu, l.stokno, i.belge_no " // 32-39
            "FROM invoice_lines l "
            "JOIN invoices i ON i.idno = l.idno "
            "JOIN account_movements m ON m.idno = i.idno "
            "LEFT JOIN customers c ON c.carino = m.carino "
            "WHERE l.idno = ? ORDER BY l.sira, l.satir_id"),
        {idnosu});
    while (q.next()) {
        const double masraf = Cents(q.value(14).toDouble());
        QVariantList row{
            q.value(0), q.value(1), q.value(2), q.value(3), q.value(4), q.value(5), q.value(6), q.value(7).toDouble(),
            Cents(q.value(8).toDouble()), Cents(q.value(9).toDouble()), q.value(10).toDouble(), q.value(11).toDouble(),
            q.value(12).toDouble(), Cents(q.value(13).toDouble()), masraf, Cents(q.value(15).toDouble()),
            Cents(q.value(16).toDouble()),
            // chooser
            q.value(17), q.value(18), DateCell(q.value(19)), q.value(20), q.value(21), Cents(q.value(22).toDouble()),
            q.value(23), DateCell(q.value(24)), q.value(25), q.value(26), q.value(27), q.value(28),
            DateCell(q.value(29)), q.value(30)};
        // Never shown: no further discounts, no foreign currency.
        for (int i = 0; i < 9; ++i) row << 0.0;
        row << QString() << QString() << QString();
        row << masraf << 0.0 << 0.0 << 0.0 << 0.0 << 0.0 << 1.0;
        row << q.value(31) << 0 << q.value(32) << q.value(33) << q.value(34) << q.value(35) << q.value(36)
            << q.value(37) << QString() << QString() << QString() << q.value(39) << idnosu;
        t.appendRow(row);
    }
    return t;
}

DataTable PromoMethods::FaturaAltGetir(qint32 idnosu)
{
    QSqlQuery q = db_.exec(QStringLiteral("SELECT m.evrakno, COUNT(l.satir_id), COALESCE(SUM(l.tutar), 0), "
                                          "       COALESCE(SUM(l.toplam_indirim), 0), COALESCE(SUM(l.masraf), 0), "
                                          "       COALESCE(SUM(l.vergi), 0) "
                                          "FROM invoices i JOIN account_movements m ON m.idno = i.idno "
                                          "LEFT JOIN invoice_lines l ON l.idno = i.idno "
                                          "WHERE i.idno = ? GROUP BY m.evrakno"),
                           {idnosu});
    if (!q.next()) throw MethodError(InvoiceNotFound(idnosu).toStdString());
    const double toplam = Cents(q.value(2).toDouble());
    const double indirim = Cents(q.value(3).toDouble());
    const double masraf = Cents(q.value(4).toDouble());
    const double kdv = Cents(q.value(5).toDouble());
    const double matrah = Cents(toplam - indirim + masraf);

    DataTable t;
    t.addColumn(QStringLiteral("IDNO"), FieldType::Int32);
    t.addColumn(QStringLiteral("EVRAKNO"), FieldType::String, 20);
    t.addColumn(QStringLiteral("SATIRSAYISI"), FieldType::Int32);
    t.addColumn(QStringLiteral("TOPLAM"), FieldType::Float64);
    t.addColumn(QStringLiteral("TOPLAMINDIRIM"), FieldType::Float64);
    t.addColumn(QStringLiteral("TOPLAMMASRAF"), FieldType::Float64);
    t.addColumn(QStringLiteral("MATRAH"), FieldType::Float64);
    t.addColumn(QStringLiteral("KDVTUTAR"), FieldType::Float64);
    t.addColumn(QStringLiteral("KDVDAHIL"), FieldType::Float64);
    t.appendRow({idnosu, q.value(0), q.value(1), toplam, indirim, masraf, matrah, kdv, Cents(matrah + kdv)});
    return t;
}

// -------------------------------------------------------------- collections

DataTable PromoMethods::Tahsilat(qint32 idnosu)
{
    QSqlQuery m = db_.exec(QStringLiteral("SELECT tarih, turadi, evrakno, borc, alacak, kur, aciklama "
                                          "FROM account_movements WHERE idno = ? AND tur IN (?, ?)"),
                           {idnosu, kKindCollection, kKindPayment});
    if (!m.next())
        throw MethodError(QStringLiteral("Tahsilat veya tediye evrakı bulunamadı (%1)").arg(idnosu).toStdString());
    const QVariant date = DateCell(m.value(0));
    const QVariant kind = m.value(1);
    const QVariant evrak = m.value(2);
    const double amount = Cents(m.value(3).toDouble() + m.value(4).toDouble());
    const QVariant currency = m.value(5);
    const QVariant note = m.value(6);
    m.finish();

    // Column names as the collection window shows them.
    DataTable t;
    t.addColumn(QStringLiteral("Tarih"), FieldType::DateTime);
    t.addColumn(QStringLiteral("Türü"), FieldType::String, 20);
    t.addColumn(QStringLiteral("Cins"), FieldType::String, 20);
    t.addColumn(QStringLiteral("Vade"), FieldType::DateTime);
    t.addColumn(QStringLiteral("Tutar"), FieldType::Float64);
    t.addColumn(QStringLiteral("EvrakNo"), FieldType::String, 20);
    t.addColumn(QStringLiteral("Ref"), FieldType::String, 40);
    t.addColumn(QStringLiteral("Saat"), FieldType::String, 5);
    t.addColumn(QStringLiteral("Kur"), FieldType::String, 5);
    t.addColumn(QStringLiteral("KurTL"), FieldType::Float64);
    t.addColumn(QStringLiteral("Açıklama"), FieldType::String, 100);
    t.addColumn(QStringLiteral("Döviz Tutar"), FieldType::Float64);

    QSqlQuery q = db_.exec(QStringLiteral("SELECT cins, vade, tutar, evrakno, ref, saat, kur, kur_tl, aciklama, "
                                          "doviz_tutar FROM collection_lines WHERE idno = ? ORDER BY sira, satir_id"),
                           {idnosu});
    while (q.next()) {
        const QString lineEvrak = q.value(3).toString();
        t.appendRow({date, kind, q.value(0), DateCell(q.value(1)), Cents(q.value(2).toDouble()),
                     lineEvrak.isEmpty() ? evrak : QVariant(lineEvrak), q.value(4), q.value(5), q.value(6),
                     q.value(7).toDouble(), q.value(8), Cents(q.value(9).toDouble())});
    }
    // A movement recorded without its lines still shows its amount.
    if (t.rowCount() == 0)
        t.appendRow({date, kind, QString(), date, amount, evrak, QString(), QString(), currency, 1.0, note, 0.0});
    return t;
}

qint32 PromoMethods::SanalposSiranoVer(qint32 idnosu)
{
    const QVariant v = db_.scalar(QStringLiteral("SELECT sirano FROM pos_receipts WHERE idno = ?"), {idnosu});
    return v.isValid() ? qint32(v.toLongLong()) : 0;
}

QByteArray PromoMethods::SAnalPosPdfVer(qint32 sirano, qint64 &boy)
{
    boy = 0;
    QSqlQuery q = db_.exec(
        QStringLiteral("SELECT p.islem_zamani, p.tutar, p.taksit, p.kart_sahibi, p.kart_no, p.kart_tipi, p.banka, "
                       "       p.onay_kodu, p.referans_no, p.siparis_no, p.islem_tipi, m.evrakno, c.carikod, c.cariadi "
                       "FROM pos_receipts p JOIN account_movements m ON m.idno = p.idno "
                       "LEFT JOIN customers c ON c.carino = m.carino WHERE p.sirano = ?"),
        {sirano});
    if (!q.next())
        throw MethodError(QStringLiteral("Sanal POS dekontu bulunamadı (sıra no %1)").arg(sirano).toStdString());
    CardReceipt r;
    r.sirano = sirano;
    r.zaman = QDateTime::fromString(q.value(0).toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    r.tutar = Cents(q.value(1).toDouble());
    r.taksit = q.value(2).toInt();
    r.kartSahibi = q.value(3).toString();
    r.kartNo = q.value(4).toString();
    r.kartTipi = q.value(5).toString();
    r.banka = q.value(6).toString();
    r.onayKodu = q.value(7).toString();
    r.referansNo = q.value(8).toString();
    r.siparisNo = q.value(9).toString();
    r.islemTipi = q.value(10).toString();
    r.evrakNo = q.value(11).toString();
    r.cariKod = q.value(12).toString();
    r.cariAdi = q.value(13).toString();
    q.finish();
    QByteArray pdf = MakeCardReceiptPdf(db_, r);
    boy = pdf.size();
    return pdf;
}

QByteArray MakeCardReceiptPdf(Db &db, const CardReceipt &r)
{
    const SellerProfile seller = LoadSellerProfile(db);
    PdfReport doc;
    doc.setTitle(QStringLiteral("Sanal POS Tahsilat Dekontu"));
    doc.setSubtitle(QStringLiteral("Dekont No: %1").arg(r.sirano, 6, 10, QLatin1Char('0')));
    doc.setIssuer(seller.unvan, seller.issuerLines());
    doc.addField(QStringLiteral("İşlem Tarihi"), FormatDateTimeTr(r.zaman));
    doc.addField(QStringLiteral("İşlem Tipi"), r.islemTipi);
    doc.addField(QStringLiteral("Cari Kodu"), r.cariKod);
    doc.addField(QStringLiteral("Tahsilat Evrak No"), r.evrakNo);
    doc.addField(QStringLiteral("Cari Ünvanı"), r.cariAdi);
    doc.addField(QStringLiteral("Kart Sahibi"), r.kartSahibi);
    doc.addField(QStringLiteral("Kart Numarası"), MaskCardNumber(r.kartNo));
    doc.addField(QStringLiteral("Kart Tipi"), r.kartTipi);
    doc.addField(QStringLiteral("Banka"), r.banka);
    doc.addField(QStringLiteral("Taksit"), r.taksit <= 1 ? QStringLiteral("Tek Çekim") : QStringLiteral("%1 Taksit").arg(r.taksit));
    doc.addField(QStringLiteral("Onay Kodu"), r.onayKodu);
    doc.addField(QStringLiteral("Referans No"), r.referansNo);
    doc.addField(QStringLiteral("Sipariş No"), r.siparisNo);
    doc.addField(QStringLiteral("Tutar"), FormatMoneyTr(r.tutar) + QStringLiteral(" TL"));

    // Installment plan: equal parts to the cent, the remainder on the first.
    const int n = std::max(1, r.taksit);
    const qint64 total = qint64(std::llround(r.tutar * 100.0));
    const qint64 part = total / n;
    const qint64 first = total - part * (n - 1);
    doc.setColumns({{QStringLiteral("Taksit"), 1, Qt::AlignHCenter},
                    {QStringLiteral("Vade Tarihi"), 2, Qt::AlignHCenter},
                    {QStringLiteral("Tutar (TL)"), 2, Qt::AlignRight}});
    const QDate start = r.zaman.date();
    for (int i = 0; i < n; ++i)
        doc.addRow({QStringLiteral("%1 / %2").arg(i + 1).arg(n), FormatDateTr(start.addMonths(i)),
                    FormatMoneyTr(double(i == 0 ? first : part) / 100.0)});
    doc.addTotal(QStringLiteral("Taksit Sayısı"), QString::number(n));
    doc.addTotal(QStringLiteral("Toplam Tutar"), FormatMoneyTr(r.tutar) + QStringLiteral(" TL"), true);
    doc.addNote(QStringLiteral("Yalnız: ") + AmountInTurkishWords(r.tutar) + QLatin1Char('.'));
    doc.addNote(QStringLiteral("Bu dekont, %1 adına sanal POS üzerinden kredi kartı ile yapılan tahsilatın bilgi "
                               "amaçlı dökümüdür. Taksit vadeleri kartı veren bankanın hesap kesim tarihlerine göre "
                               "değişebilir. Kart numarasının yalnızca maskelenmiş hali saklanır.")
                    .arg(seller.unvan));
    doc.setFooter(seller.unvan + QStringLiteral(" B2B · Oluşturma: ") +
                  FormatDateTimeTr(QDateTime::currentDateTime()));
    try {
        return doc.render();
    } catch (const PdfError &e) {
        throw MethodError(e.what());
    }
}

// ------------------------------------------------------------------ adverts

qint32 PromoMethods::AcilisReklamAdet()
{
    const QString today = Today();
    return db_.scalar(QStringLiteral("SELECT COUNT(*) FROM opening_adverts WHERE ") + QLatin1String(kAdvertFilter),
                      {today, today})
        .toInt();
}

std::unique_ptr<TAcilisEkran> PromoMethods::AcilisREklamVer(qint32 sira)
{
    const QString today = Today();
    if (sira >= 0) {
        QSqlQuery q = db_.exec(QStringLiteral("SELECT sirano, baslik, arama, resim FROM opening_adverts WHERE ") +
                                   QLatin1String(kAdvertFilter) +
                                   QStringLiteral(" ORDER BY sira, sirano LIMIT 1 OFFSET ?"),
                               {today, today, sira});
        if (q.next()) return AdvertFrom(q);
    }
    throw MethodError(QStringLiteral("Açılış reklamı bulunamadı (sıra %1, toplam %2)")
                          .arg(sira)
                          .arg(AcilisReklamAdet())
                          .toStdString());
}

std::unique_ptr<TAcilisEkranlariki> PromoMethods::AcilisEkranlarVer2()
{
    const QString today = Today();
    QSqlQuery q = db_.exec(QStringLiteral("SELECT sirano, baslik, arama, resim FROM opening_adverts WHERE ") +
                               QLatin1String(kAdvertFilter) + QStringLiteral(" ORDER BY sira, sirano"),
                           {today, today});
    std::vector<TAcilisEkran> list;
    while (q.next()) list.push_back(std::move(*AdvertFrom(q)));
    auto all = std::make_unique<TAcilisEkranlariki>();
    all->setEkranlar(std::move(list));
    return all;
}

// ------------------------------------------------------ banners and ticker

QString PromoMethods::KayanYaziGetir()
{
    QSqlQuery q = db_.exec(QStringLiteral("SELECT metin FROM ticker_items WHERE aktif = 1 ORDER BY sira, sirano"));
    QStringList items;
    while (q.next()) {
        const QString s = q.value(0).toString();
        if (!s.trimmed().isEmpty()) items << s;
    }
    return items.join(QString::fromLatin1(kTickerSeparator));
}

QByteArray PromoMethods::banner(int place, qint64 &size)
{
    QSqlQuery q = db_.exec(QStringLiteral("SELECT resim FROM banners WHERE yer = ?"), {place});
    QByteArray bytes = q.next() ? q.value(0).toByteArray() : QByteArray();
    size = bytes.size();
    return bytes;
}

QByteArray PromoMethods::BannerResimVer(qint64 &size) { return banner(1, size); }
QByteArray PromoMethods::BannerResimVer2(qint64 &size) { return banner(2, size); }
QByteArray PromoMethods::BannerResimVer3(qint64 &size) { return banner(3, size); }

// ---------------------------------------------------------------- documents

int DocumentIconIndex(const QString &fileName)
{
    QString name = fileName;
    const qsizetype slash = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    if (slash >= 0) name = name.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) return 0;
    const QString ext = name.mid(dot).toUpper();
    if (ext == u".PDF") return 4;
    if (ext == u".XLSX" || ext == u".XLS") return 6;
    if (ext == u".BMP" || ext == u".PNG" || ext == u".JPG") return 2;
    if (ext == u".DOC" || ext == u".DOCX") return 3;
    if (ext == u".PPT" || ext == u".PPTX") return 5;
    if (ext == u".MDB") return 1;
    return 0;
}

QString SafeDocumentFileName(const QString &name)
{
    QString s = name;
    const qsizetype slash = std::max(s.lastIndexOf(QLatin1Char('/')), s.lastIndexOf(QLatin1Char('\\')));
    if (slash >= 0) s = s.mid(slash + 1);
    for (QChar &c : s)
        if (c.category() == QChar::Other_Control || QStringLiteral("<>:\"|?*").contains(c)) c = QLatin1Char('_');
    // Windows drops trailing dots and spaces; leading ones hide the name.
    while (!s.isEmpty() && (s.endsWith(QLatin1Char('.')) || s.endsWith(QLatin1Char(' ')))) s.chop(1);
    while (!s.isEmpty() && s.startsWith(QLatin1Char(' '))) s.remove(0, 1);
    if (s.isEmpty() || s == u"..") s = QStringLiteral("belge");
    return s.left(200);
}

DataTable PromoMethods::DosyaListesi2()
{
    DataTable t;
    t.addColumn(QStringLiteral("SIRANO"), FieldType::Int32);
    t.addColumn(QStringLiteral("ACIKLAMA"), FieldType::String, 200);
    t.addColumn(QStringLiteral("DOSYAYOL"), FieldType::String, 255);
    t.addColumn(QStringLiteral("TUR"), FieldType::Int32);
    t.addColumn(QStringLiteral("ILERI"), FieldType::Int32);
    t.addColumn(QStringLiteral("TARIH"), FieldType::DateTime);
    t.addColumn(QStringLiteral("BOYUT"), FieldType::Int64);
    QSqlQuery q = db_.exec(QStringLiteral("SELECT sirano, aciklama, dosya_adi, tarih, boyut FROM documents "
                                          "WHERE aktif = 1 ORDER BY sira, sirano"));
    while (q.next()) {
        const QString file = SafeDocumentFileName(q.value(2).toString());
        t.appendRow({q.value(0), q.value(1), file, DocumentIconIndex(file), 0, DateCell(q.value(3)), q.value(4)});
    }
    return t;
}

QByteArray PromoMethods::BelgeIndir(qint32 sirano, qint64 &size, QString &adi)
{
    size = 0;
    adi.clear();
    QSqlQuery q = db_.exec(QStringLiteral("SELECT dosya_adi, icerik FROM documents WHERE sirano = ? AND aktif = 1"),
                           {sirano});
    if (!q.next()) throw MethodError(QStringLiteral("Belge bulunamadı (sıra no %1)").arg(sirano).toStdString());
    adi = SafeDocumentFileName(q.value(0).toString());
    QByteArray content = q.value(1).toByteArray();
    size = content.size();
    return content;
}

// --------------------------------------------------------------- mail form

qint32 PromoMethods::MailGonserCariNormal(const QString &idsi, const QString &baslik, const QString &firmaadi,
                                          const QString &adres1, const QString &adres2, const QString &ilce,
                                          const QString &sehir, const QString &telefon, const QString &fax,
                                          const QString &vd, const QString &vn, const QString &yetkili,
                                          const QString &kullaniciadi, const QString &sifre, const QString &mail,
                                          const QString &kargoambar, const QString &konu)
{
    OutboxRequest r{idsi, baslik, firmaadi, adres1, adres2, ilce, sehir, telefon, fax, vd, vn, yetkili, kullaniciadi,
                    sifre, mail, kargoambar, konu};
    StoreOutboxRequest(db_, OutboxKind::Mail, r);
    return 1;
}

// ------------------------------------------------------------------ helpers

QString AmountInTurkishWords(double amount)
{
    static const char *const ones[] = {"", "bir", "iki", "üç", "dört", "beş", "altı", "yedi", "sekiz", "dokuz"};
    static const char *const tens[] = {"", "on", "yirmi", "otuz", "kırk", "elli", "altmış", "yetmiş", "seksen", "doksan"};
    static const char *const groups[] = {"", "bin", "milyon", "milyar", "trilyon"};

    auto below1000 = [&](int n) {
        QStringList w;
        const int h = n / 100, t = (n / 10) % 10, o = n % 10;
        if (h > 1) w << QString::fromUtf8(ones[h]);
        if (h >= 1) w << QStringLiteral("yüz");
        if (t) w << QString::fromUtf8(tens[t]);
        if (o) w << QString::fromUtf8(ones[o]);
        return w;
    };
    auto words = [&](qint64 n) {
        if (n == 0) return QStringLiteral("sıfır");
        QStringList out;
        for (int g = 4; g >= 0; --g) {
            const qint64 scale = qint64(std::pow(1000.0, g));
            const int chunk = int((n / scale) % 1000);
            if (chunk == 0) continue;
            if (!(g == 1 && chunk == 1)) out << below1000(chunk);  // "bin", not "bir bin"
            if (g > 0) out << QString::fromUtf8(groups[g]);
        }
        return out.join(QLatin1Char(' '));
    };
    const qint64 cents = qint64(std::llround(std::fabs(amount) * 100.0));
    QString text = amount < 0 && cents > 0 ? QStringLiteral("eksi ") : QString();
    text += words(cents / 100) + QStringLiteral(" Türk lirası");
    if (cents % 100) text += QLatin1Char(' ') + words(cents % 100) + QStringLiteral(" kuruş");
    return text;
}

}  // namespace tarsel::server
