#pragma once
// The outbox: requests and mails sent from the client, stored whole with the
// time (UTC) and the machine they came from, for the mail relay to deliver
// to the seller. Used by MailGonserCari (account and password request) and
// MailGonserCariNormal (mail form).

#include <QString>

namespace tarsel::server {

class Db;

enum class OutboxKind {
    PasswordRequest,  // 'SIFRE_ISTEGI'
    Mail,             // 'MAIL'
};

// The sixteen text fields both requests share, plus the mail body.
struct OutboxRequest {
    QString idsi, baslik, firmaadi, adres1, adres2, ilce, sehir, telefon, fax, vd, vn, yetkili, kullaniciadi,
        sifre, mail, kargoambar, konu;
};

// Longest text accepted in one field, and in the mail body.
inline constexpr int kOutboxFieldLimit = 500;
inline constexpr int kOutboxBodyLimit = 20000;

// Checks the request and stores it (texts exactly as received). The machine
// must be registered; the row records the user registered for it and that
// user's account. Returns the new row's number. Throws MethodError with a
// Turkish text for a blank machine id, an unregistered machine, a required
// field left blank or a field that is too long; nothing is stored then.
qint64 StoreOutboxRequest(Db &db, OutboxKind kind, const OutboxRequest &request);

}  // namespace tarsel::server
