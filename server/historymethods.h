#pragma once
// Previous orders and their lines, outstanding order balances and their
// edits, the order history of an item, the two sales reports, the customer
// console of the sales staff, the PDF reports and the badge counts.
// (See methodgroup.h for how the method groups stack.)

#include "server/promomethods.h"

namespace tarsel::server {

class HistoryMethods : public PromoMethods {
public:
    explicit HistoryMethods(Db &db) : PromoMethods(db) {}

    // Previous orders and order detail.
    DataTable OncekiSiparisler(qint32 carino) override;
    DataTable SiparisAyrintisi2(qint32 carino, qint32 idnosu) override;
    std::unique_ptr<TSiparisDipAyrinti> SiparisAytintisiDip(qint32 carino, qint32 siranosu) override;

    // Outstanding order balances.
    DataTable BakiyelerVer2(qint32 carino) override;
    qint32 BakiyeDuzenle(const TSonucBilgisi *k, qint32 stokno, qint32 sepetsirano, qint32 siparissirano,
                         double Adet, double Bakiye, const QString &barkod) override;
    qint32 BakiyeDegistir(const TSonucBilgisi *k, qint32 stokno, qint32 sepetsirano, qint32 siparissirano,
                          double Adet, double Bakiye, const QString &barkod) override;
    qint32 BakiyeFiyatDegistir(const TSonucBilgisi *k, qint32 stokno, qint32 sepetsirano, qint32 siparissirano,
                               double Adet, double Bakiye, const QString &barkod, double fiyat,
                               double ind) override;

    // Item order history and the two sales reports.
    DataTable TumSiparislerVer(qint32 carino, qint32 stokno) override;
    DataTable RaporAlinanSiparisler(const TSonucBilgisi *bilgi, double tarih1, double tarih2) override;
    DataTable RaporEnCokSatilanStoklar(const TSonucBilgisi *bilgi, double tarih1, double tarih2) override;

    // Customer console.
    DataTable CariAra(const TSonucBilgisi *bil, const QString &aranan) override;
    qint32 SepetSayisi(const TSonucBilgisi *bil) override;
    std::unique_ptr<TTusSonuclari> TusSonuclariVer(const TSonucBilgisi *bil) override;
    DataTable CariSepetVer(const TSonucBilgisi *bil, qint32 n) override;
    QByteArray RaporGetir(qint32 raporno, qint32 bolum, qint32 idno, qint32 carino, const QString &saticiadi,
                          double tarih1, double tarih2, qint64 &size) override;

    // Badge counts.
    DataTable BalonGetir(const TSonucBilgisi *bil) override;
};

}  // namespace tarsel::server
