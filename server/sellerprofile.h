#pragma once
// The seller as printed on the documents the server makes (receipts,
// reports): the one row of seller_profile.

#include <QString>
#include <QStringList>

namespace tarsel::server {

class Db;

struct SellerProfile {
    QString unvan, adres, telefon, email, web, vergiDairesi, vergiNo, mersisNo;

    // The lines under the name in a document's issuer block.
    QStringList issuerLines() const;
};

// The stored profile; a database without one gives the seller's name alone.
SellerProfile LoadSellerProfile(Db &db);

// The name used when no profile is stored.
inline constexpr const char *kDefaultSellerName = "Tarsel Otomotiv";

}  // namespace tarsel::server
