#pragma once
// Sign-in: the user registered for a machine; the account card; requests.

#include "server/methodgroup.h"

namespace tarsel::server {

// The client version this server expects unless a user record says otherwise.
inline constexpr int kExpectedClientVersion = 8;

class SignInMethods : public MethodGroup {
public:
    explicit SignInMethods(Db &db) : MethodGroup(db) {}

    std::unique_ptr<TSonucBilgisi> BuyukGetir(const QString &idsi) override;

    // The account card of a user: by user number when sirano > 0, otherwise
    // of the user registered for the machine _idsi. Null when there is no
    // such user. Sales staff without an account get their user and
    // salesperson fields only.
    std::unique_ptr<TMobilCariBilgisi> MobilCariBilgisiGetir(qint32 sirano, const QString &_idsi) override;

    // Account and password change request: stored in the outbox; 1.
    qint32 MailGonserCari(const QString &idsi, const QString &baslik, const QString &firmaadi,
                          const QString &adres1, const QString &adres2, const QString &ilce, const QString &sehir,
                          const QString &telefon, const QString &fax, const QString &vd, const QString &vn,
                          const QString &yetkili, const QString &kullaniciadi, const QString &sifre,
                          const QString &mail, const QString &kargoambar) override;
};

}  // namespace tarsel::server
