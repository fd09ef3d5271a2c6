#include "server/sellerprofile.h"

#include "server/dbpool.h"

namespace tarsel::server {

QStringList SellerProfile::issuerLines() const
{
    QStringList lines;
    if (!adres.isEmpty()) lines << adres;
    QStringList contact;
    if (!telefon.isEmpty()) contact << QStringLiteral("Tel: ") + telefon;
    if (!email.isEmpty()) contact << email;
    if (!web.isEmpty()) contact << web;
    if (!contact.isEmpty()) lines << contact.join(QStringLiteral("  ·  "));
    QStringList tax;
    if (!vergiDairesi.isEmpty()) tax << vergiDairesi + QStringLiteral(" V.D.");
    if (!vergiNo.isEmpty()) tax << QStringLiteral("VKN ") + vergiNo;
    if (!mersisNo.isEmpty()) tax << QStringLiteral("Mersis ") + mersisNo;
    if (!tax.isEmpty()) lines << tax.join(QStringLiteral("  ·  "));
    return lines;
}

SellerProfile LoadSellerProfile(Db &db)
{
    SellerProfile p;
    QSqlQuery q = db.exec(QStringLiteral("SELECT unvan, adres, telefon, email, web, vergi_dairesi, vergi_no, mersis_no "
                                         "FROM seller_profile WHERE id = 1"));
    if (q.next()) {
        p.unvan = q.value(0).toString();
        p.adres = q.value(1).toString();
        p.telefon = q.value(2).toString();
        p.email = q.value(3).toString();
        p.web = q.value(4).toString();
        p.vergiDairesi = q.value(5).toString();
        p.vergiNo = q.value(6).toString();
        p.mersisNo = q.value(7).toString();
    }
    if (p.unvan.trimmed().isEmpty()) p.unvan = QString::fromUtf8(kDefaultSellerName);
    return p;
}

}  // namespace tarsel::server
