#pragma once
// Objects of the "mobilstokunit" group: the customer account card and the
// opening adverts.

#include "remote/objectform.h"

namespace tarsel {

#define TMOBILCARIBILGISI_FIELDS(X) \
    X(QString, BILGISAYARID, {})    \
    X(QString, SEHIR, {})           \
    X(QString, FAX1, {})            \
    X(QString, SATICIMAIL, {})      \
    X(QString, SATICIADI, {})       \
    X(QString, CARIADI, {})         \
    X(QString, EMAIL, {})           \
    X(QString, VERGIDAIRESI, {})    \
    X(QString, YETKILI, {})         \
    X(QString, AltGrup, {})         \
    X(QString, TEL2, {})            \
    X(QString, SIFRE, {})           \
    X(QString, GSM, {})             \
    X(QString, TEL1, {})            \
    X(QString, ADRES2, {})          \
    X(double, TLBORC, 0.0)          \
    X(double, TLALACAK, 0.0)        \
    X(QString, ADRES1, {})          \
    X(QString, ULKE, {})            \
    X(QString, AnaGrup, {})         \
    X(qint32, CARINO, 0)            \
    X(double, TLBAKIYE, 0.0)        \
    X(QString, VERGINO, {})         \
    X(QString, MAIL, {})            \
    X(QString, OzelKod, {})         \
    X(QString, KULLANICIADI, {})    \
    X(QString, SATICITELEFON, {})   \
    X(QString, CARIKOD, {})         \
    X(QString, FAX2, {})            \
    X(QString, ILCE, {})

class TMobilCariBilgisi {
    TARSEL_TRANSFER_OBJECT(TMobilCariBilgisi, "mobilstokunit", TMOBILCARIBILGISI_FIELDS)
};

// One opening advert; the picture travels as hexadecimal text.
#define TACILISEKRAN_FIELDS(X) \
    X(qint32, SiraNo, 0)       \
    X(QString, Resim, {})      \
    X(QString, Baslik, {})     \
    X(QString, Arama, {})

class TAcilisEkran {
    TARSEL_TRANSFER_OBJECT(TAcilisEkran, "mobilstokunit", TACILISEKRAN_FIELDS)
};

// All opening adverts in display order; the container owns its elements.
#define TACILISEKRANLARIKI_FIELDS(X) X(std::vector<TAcilisEkran>, Ekranlar, {})

class TAcilisEkranlariki {
    TARSEL_TRANSFER_OBJECT(TAcilisEkranlariki, "mobilstokunit", TACILISEKRANLARIKI_FIELDS)
};

}  // namespace tarsel
