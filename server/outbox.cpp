#include "server/outbox.h"

#include "server/dbpool.h"
#include "server/servermethodsbase.h"

#include <QDateTime>

namespace tarsel::server {

namespace {

// Empty after trimming spaces and control characters at both ends.
bool IsBlank(const QString &s)
{
    for (QChar c : s)
        if (!c.isSpace() && c.category() != QChar::Other_Control) return false;
    return true;
}

struct FieldRule {
    const QString OutboxRequest::*member;
    const char *label;
    // Message when the field is blank and the request kind needs it (the
    // texts the request windows show for the same check); nullptr = optional.
    const char *requiredForPassword;
    const char *requiredForMail;
};

const FieldRule kRules[] = {
    {&OutboxRequest::baslik, "Başlık", nullptr, "Lütfen Başlık Giriniz !"},
    {&OutboxRequest::firmaadi, "Firma Adı", "Firma Adı boş olamaz !", nullptr},
    {&OutboxRequest::adres1, "Adres", "Adres boş olamaz !", nullptr},
    {&OutboxRequest::adres2, "Adres2", nullptr, nullptr},
    {&OutboxRequest::ilce, "İlçe", "İlçe Adı boş olamaz !", nullptr},
    {&OutboxRequest::sehir, "Şehir", "Şehir Adı boş olamaz !", nullptr},
    {&OutboxRequest::telefon, "Telefon", "Telefon  boş olamaz !", nullptr},
    {&OutboxRequest::fax, "Fax", nullptr, nullptr},
    {&OutboxRequest::vd, "Vergi Dairesi", nullptr, nullptr},
    {&OutboxRequest::vn, "Vergi No", nullptr, nullptr},
    {&OutboxRequest::yetkili, "Yetkili", "Yetkili  boş olamaz !", nullptr},
    {&OutboxRequest::kullaniciadi, "Kullanıcı Adı", "Kullanıcı  boş olamaz !", nullptr},
    {&OutboxRequest::sifre, "Şifre", "Şifre  boş olamaz !", nullptr},
    {&OutboxRequest::mail, "Mail", "Mail  boş olamaz !", nullptr},
    {&OutboxRequest::kargoambar, "Kargo Ambar", nullptr, nullptr},
    {&OutboxRequest::konu, "Mesaj", nullptr, "Lütfen Konu Giriniz !"},
};

void Check(const OutboxRequest &r, OutboxKind kind)
{
    for (const FieldRule &rule : kRules) {
        const QString &value = r.*rule.member;
        const int limit = rule.member == &OutboxRequest::konu ? kOutboxBodyLimit : kOutboxFieldLimit;
        if (value.size() > limit)
            throw MethodError(std::string(rule.label) + " alanı çok uzun (en çok " + std::to_string(limit) +
                              " karakter)");
        if (value.contains(QChar(0)))
            throw MethodError(std::string(rule.label) + " alanında geçersiz karakter var");
        const char *required = kind == OutboxKind::PasswordRequest ? rule.requiredForPassword : rule.requiredForMail;
        if (required && IsBlank(value)) throw MethodError(required);
    }
}

// A text for a NOT NULL column: a null string would be bound as NULL.
QString Text(const QString &s) { return s.isNull() ? QStringLiteral("") : s; }

}  // namespace

qint64 StoreOutboxRequest(Db &db, OutboxKind kind, const OutboxRequest &r)
{
    if (IsBlank(r.idsi)) throw MethodError("Bilgisayar kimliği boş; istek kaydedilmedi");
    if (r.idsi.size() > kOutboxFieldLimit || r.idsi.contains(QChar(0)))
        throw MethodError("Bilgisayar kimliği geçersiz; istek kaydedilmedi");

    QSqlQuery who = db.exec(QStringLiteral("SELECT m.sirano, u.carino FROM machines m "
                                           "LEFT JOIN users u ON u.sirano = m.sirano WHERE m.bilgisayar_id = ?"),
                            {r.idsi});
    if (!who.next())
        throw MethodError("Bu bilgisayar (" + r.idsi.toStdString() + ") sistemde kayıtlı değil; istek kaydedilmedi");
    const QVariant userNo = who.value(0);
    const QVariant carino = who.value(1);
    who.finish();

    Check(r, kind);

    const QString when = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QString tur = kind == OutboxKind::PasswordRequest ? QStringLiteral("SIFRE_ISTEGI") : QStringLiteral("MAIL");
    QSqlQuery ins = db.exec(
        QStringLiteral("INSERT INTO outbox (tur, zaman, bilgisayar_id, kullanici_sirano, carino, baslik, "
                       "firmaadi, adres1, adres2, ilce, sehir, telefon, fax, vd, vn, yetkili, kullaniciadi, "
                       "sifre, mail, kargoambar, konu) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING sirano"),
        {tur, when, r.idsi, userNo, carino, Text(r.baslik), Text(r.firmaadi), Text(r.adres1), Text(r.adres2),
         Text(r.ilce), Text(r.sehir), Text(r.telefon), Text(r.fax), Text(r.vd), Text(r.vn), Text(r.yetkili),
         Text(r.kullaniciadi), Text(r.sifre), Text(r.mail), Text(r.kargoambar), Text(r.konu)});
    const qint64 id = ins.next() ? ins.value(0).toLongLong() : 0;
    return id;
}

}  // namespace tarsel::server
