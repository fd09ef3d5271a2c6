#pragma once
// Catalogue, basket and orders: stock search and its filter lists, new and
// campaign items, pictures, the server-side basket, carriers and the order.
// (See methodgroup.h for how the method groups stack.)

#include "server/signinmethods.h"

#include <optional>

namespace tarsel::server {

class CatalogueMethods : public SignInMethods {
public:
    explicit CatalogueMethods(Db &db) : SignInMethods(db) {}

    // Stock search and lists
    DataTable StokAraGetirEFS(const QString &kod, const QString &_deparman, const QString &_anagrup,
                              const QString &_altgrup, bool _kampanya, bool _yeni, bool _var, bool _resim,
                              const TSonucBilgisi *bilgi) override;
    QString DepartmanlariVer() override;
    QString AnaGrupVer() override;
    QString AltGrupVer(const QString &anagrup) override;
    DataTable YenilerVer2(qint32 carino) override;
    DataTable KampanyaliVer2(qint32 cario, qint32 satici) override;
    QByteArray ResimVer5(qint32 stokno, qint64 &boy) override;

    // Basket
    DataTable SepetVer2(qint32 carino) override;
    void SepetSecimGuncelle(qint32 sirano, qint32 secim) override;
    qint32 SepetEkle2(const TSonucBilgisi *bilgim, qint32 carino, qint32 stokno, const QString &barkod,
                      const QString &stokadi, double miktar, double kdv, double fiyat, double ind1, qint32 verenid,
                      qint32 k, double ind2, double ind3, double ind4) override;
    qint32 SepetGuncelle2(const TSonucBilgisi *bilgim, qint32 carino, qint32 stokno, const QString &barkod,
                          const QString &stokadi, double miktar, double kdv, double fiyat, double ind1,
                          qint32 verenid, qint32 _sepetsirano, double ind2, double ind3, double ind4) override;
    qint32 SepetSatirSil(const TSonucBilgisi *bilgi, qint32 satirno, const QString &aciklamam) override;
    qint32 SepetHepsiniSil(const TSonucBilgisi *bilgi) override;

    // Delivery, carriers, order
    DataTable TeslimVer() override;
    DataTable KargoVer() override;
    DataTable KargolarVer(qint32 gn) override;
    bool SiparisKaydet(const TSonucBilgisi *BB, qint32 _carino, qint32 _teslim, qint32 _kargo,
                       const QString &_aciklama, qint32 _verenid, qint32 _kargoyeni) override;
    QString CariVadeGunGecmismiBul(qint32 carino) override;

protected:
    // A user as far as basket and order rights go.
    struct ActingUser {
        qint64 sirano = 0;
        QString name;
        int type = 0;   // 1, 2 sales staff; 3, 4 customer users
        int carino = 0;  // customer users: their own account
        QVariant salesperson;
        bool staff() const { return type == 1 || type == 2; }
    };
    // The user with this row number; throws MethodError when there is none,
    // when it is not active, or when a customer user acts on another account.
    ActingUser RequireUser(qint64 sirano, int carino);
    // Throws MethodError when the account does not exist.
    void RequireAccount(int carino);
    // Creates the account's basket header if needed and locks it for the
    // rest of the transaction.
    void LockBasket(int carino);
};

}  // namespace tarsel::server
