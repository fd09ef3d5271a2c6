#include "server/signinmethods.h"

#include "server/dbpool.h"

namespace tarsel::server {

// The user record registered for a machine. An unknown machine still gets a
// record, with Varmi false, so that the client can send it to the request
// page; its Version is the expected one so that no update is forced on it.
std::unique_ptr<TSonucBilgisi> SignInMethods::BuyukGetir(const QString &idsi)
{
    auto rec = std::make_unique<TSonucBilgisi>();
    rec->setBILGISAYARID(idsi);
    rec->setVersion(kExpectedClientVersion);
    if (idsi.trimmed().isEmpty()) return rec;

    QSqlQuery q = db_.exec(QStringLiteral(
                               "SELECT m.sirano, u.adi, u.sifre, u.email, u.aktif, u.musteri_tipi, u.versiyon, "
                               "       c.carino, c.cariadi, c.carikod, "
                               "       s.satici_no, s.adi, s.telefon, s.email "
                               "FROM machines m "
                               "LEFT JOIN users u ON u.sirano = m.sirano "
                               "LEFT JOIN customers c ON c.carino = u.carino "
                               "LEFT JOIN salespeople s ON s.satici_no = COALESCE(c.satici_no, u.satici_no) "
                               "WHERE m.bilgisayar_id = ?"),
                           {idsi});
    if (!q.next()) return rec;

    rec->setVarmi(true);
    if (q.value(1).isNull()) return rec;  // machine known, no user assigned yet
    rec->setSirano(q.value(0).toInt());
    rec->setADI(q.value(1).toString());
    rec->setSIFRE(q.value(2).toString());
    rec->setKullanicimail(q.value(3).toString());
    rec->setAKTIF(q.value(4).toInt());
    rec->setMusteriTipi(q.value(5).toInt());
    rec->setVersion(q.value(6).toInt());
    rec->setCARINO(q.value(7).toInt());
    rec->setCariAdi(q.value(8).toString());
    rec->setcarikod(q.value(9).toString());
    rec->setSaticiNo(q.value(10).toInt());
    rec->setSaticiAdi(q.value(11).toString());
    rec->setSaticiTelefon(q.value(12).toString());
    rec->setSaticiMail(q.value(13).toString());
    return rec;
}

}  // namespace tarsel::server
