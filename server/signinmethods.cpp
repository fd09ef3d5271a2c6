#include "server/signinmethods.h"

#include "server/dbpool.h"
#include "server/outbox.h"

#include <cmath>

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

std::unique_ptr<TMobilCariBilgisi> SignInMethods::MobilCariBilgisiGetir(qint32 sirano, const QString &_idsi)
{
    QVariant userNo;
    QString machine = _idsi.trimmed().isEmpty() ? QString() : _idsi;
    if (sirano > 0) {
        userNo = sirano;
    } else {
        if (machine.isEmpty()) return nullptr;
        userNo = db_.scalar(QStringLiteral("SELECT sirano FROM machines WHERE bilgisayar_id = ?"), {machine});
        if (!userNo.isValid() || userNo.isNull()) return nullptr;
    }

    QSqlQuery q = db_.exec(
        QStringLiteral("SELECT u.adi, u.sifre, u.email, c.carino, c.carikod, c.cariadi, c.sehir, c.ilce, c.adres1, "
                       "       c.adres2, c.tel1, c.tel2, c.gsm, c.fax1, c.fax2, c.email, c.vergi_dairesi, c.vergi_no, "
                       "       c.yetkili, c.ana_grup, c.alt_grup, c.ozel_kod, c.ulke, s.adi, s.telefon, s.email "
                       "FROM users u "
                       "LEFT JOIN customers c ON c.carino = u.carino "
                       "LEFT JOIN salespeople s ON s.satici_no = COALESCE(c.satici_no, u.satici_no) "
                       "WHERE u.sirano = ?"),
        {userNo});
    if (!q.next()) return nullptr;

    auto card = std::make_unique<TMobilCariBilgisi>();
    card->setKULLANICIADI(q.value(0).toString());
    card->setSIFRE(q.value(1).toString());
    card->setMAIL(q.value(2).toString());
    const bool hasAccount = !q.value(3).isNull();
    const int carino = q.value(3).toInt();
    if (hasAccount) {
        card->setCARINO(carino);
        card->setCARIKOD(q.value(4).toString());
        card->setCARIADI(q.value(5).toString());
        card->setSEHIR(q.value(6).toString());
        card->setILCE(q.value(7).toString());
        card->setADRES1(q.value(8).toString());
        card->setADRES2(q.value(9).toString());
        card->setTEL1(q.value(10).toString());
        card->setTEL2(q.value(11).toString());
        card->setGSM(q.value(12).toString());
        card->setFAX1(q.value(13).toString());
        card->setFAX2(q.value(14).toString());
        card->setEMAIL(q.value(15).toString());
        card->setVERGIDAIRESI(q.value(16).toString());
        card->setVERGINO(q.value(17).toString());
        card->setYETKILI(q.value(18).toString());
        card->setAnaGrup(q.value(19).toString());
        card->setAltGrup(q.value(20).toString());
        card->setOzelKod(q.value(21).toString());
        card->setULKE(q.value(22).toString());
    }
    card->setSATICIADI(q.value(23).toString());
    card->setSATICITELEFON(q.value(24).toString());
    card->setSATICIMAIL(q.value(25).toString());
    q.finish();

    if (machine.isEmpty())
        machine = db_.scalar(QStringLiteral("SELECT MIN(bilgisayar_id) FROM machines WHERE sirano = ?"), {userNo})
                      .toString();
    card->setBILGISAYARID(machine);

    if (hasAccount) {
        QSqlQuery t = db_.exec(QStringLiteral("SELECT COALESCE(SUM(borc), 0), COALESCE(SUM(alacak), 0) "
                                              "FROM account_movements WHERE carino = ?"),
                               {carino});
        if (t.next()) {
            // Sums to the cent: the database may add binary fractions.
            const double borc = std::round(t.value(0).toDouble() * 100.0) / 100.0;
            const double alacak = std::round(t.value(1).toDouble() * 100.0) / 100.0;
            card->setTLBORC(borc);
            card->setTLALACAK(alacak);
            card->setTLBAKIYE(std::round((borc - alacak) * 100.0) / 100.0);
        }
    }
    return card;
}

qint32 SignInMethods::MailGonserCari(const QString &idsi, const QString &baslik, const QString &firmaadi,
                                     const QString &adres1, const QString &adres2, const QString &ilce,
                                     const QString &sehir, const QString &telefon, const QString &fax,
                                     const QString &vd, const QString &vn, const QString &yetkili,
                                     const QString &kullaniciadi, const QString &sifre, const QString &mail,
                                     const QString &kargoambar)
{
    OutboxRequest r{idsi, baslik, firmaadi, adres1, adres2, ilce, sehir, telefon, fax, vd, vn, yetkili, kullaniciadi,
                    sifre, mail, kargoambar, QString()};
    StoreOutboxRequest(db_, OutboxKind::PasswordRequest, r);
    return 1;
}

}  // namespace tarsel::server
