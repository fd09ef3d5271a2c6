#pragma once
// (See methodgroup.h for how the method groups stack.)
//
// Account statement and the documents behind it (invoices, collections,
// card payment receipts as PDF), opening adverts, banners, the ticker text,
// the documents tab and the mail form. Storage: schema_promo.cpp.

#include "server/cataloguemethods.h"

#include <QDateTime>

namespace tarsel::server {

class PromoMethods : public CatalogueMethods {
public:
    explicit PromoMethods(Db &db) : CatalogueMethods(db) {}

    // Statement of an account in date order (entry order within a day), with
    // the running balance already filled in BAKIYE/D. carino <= 0 (no
    // account chosen yet) gives the empty statement; an unknown account is
    // an error.
    DataTable CariEkstreVer(qint32 carino) override;
    // Lines of invoice idnosu, which must belong to account carino.
    DataTable FaturaGetir(qint32 carino, qint32 idnosu) override;
    // One row of totals of invoice idnosu, summed from its lines.
    DataTable FaturaAltGetir(qint32 idnosu) override;
    // Lines of collection or payment idnosu.
    DataTable Tahsilat(qint32 idnosu) override;
    // Card payment receipt number of movement idnosu, 0 when there is none.
    qint32 SanalposSiranoVer(qint32 idnosu) override;
    // The receipt as a PDF document.
    QByteArray SAnalPosPdfVer(qint32 sirano, qint64 &boy) override;

    qint32 AcilisReklamAdet() override;
    // sira counts from 0 over the adverts shown today.
    std::unique_ptr<TAcilisEkran> AcilisREklamVer(qint32 sira) override;
    std::unique_ptr<TAcilisEkranlariki> AcilisEkranlarVer2() override;

    QString KayanYaziGetir() override;
    // No banner at a place: an empty stream and size 0.
    QByteArray BannerResimVer(qint64 &size) override;
    QByteArray BannerResimVer2(qint64 &size) override;
    QByteArray BannerResimVer3(qint64 &size) override;

    DataTable DosyaListesi2() override;
    QByteArray BelgeIndir(qint32 sirano, qint64 &size, QString &adi) override;

    // Mail form: stored in the outbox; 1.
    qint32 MailGonserCariNormal(const QString &idsi, const QString &baslik, const QString &firmaadi,
                                const QString &adres1, const QString &adres2, const QString &ilce,
                                const QString &sehir, const QString &telefon, const QString &fax, const QString &vd,
                                const QString &vn, const QString &yetkili, const QString &kullaniciadi,
                                const QString &sifre, const QString &mail, const QString &kargoambar,
                                const QString &konu) override;

private:
    QByteArray banner(int place, qint64 &size);
};

// Icon of a document in the documents grid, from the extension of its file
// name (last '.', any case): 4 PDF, 6 spreadsheet, 2 picture, 3 word
// processor, 5 presentation, 1 database, 0 anything else.
int DocumentIconIndex(const QString &fileName);

// A file name that is safe to save under on the client: the last path
// component, without characters Windows refuses, never empty.
QString SafeDocumentFileName(const QString &name);

// Separator between ticker items (simple HTML the ticker understands).
inline constexpr const char *kTickerSeparator = "&nbsp;&nbsp;&nbsp;&bull;&nbsp;&nbsp;&nbsp;";

// "on sekiz bin dört yüz elli Türk lirası yetmiş beş kuruş"
QString AmountInTurkishWords(double amount);

// The receipt of a card payment as a PDF; reusable by other documents.
struct CardReceipt {
    qint64 sirano = 0;
    QDateTime zaman;
    double tutar = 0;
    int taksit = 1;
    QString kartSahibi, kartNo, kartTipi, banka, onayKodu, referansNo, siparisNo, islemTipi;
    QString evrakNo, cariKod, cariAdi;
};
class Db;
QByteArray MakeCardReceiptPdf(Db &db, const CardReceipt &receipt);

}  // namespace tarsel::server
