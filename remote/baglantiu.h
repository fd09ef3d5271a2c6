#pragma once
// Objects of the "baglantiu" group: the session record, the order footer and
// the order-state counters.

#include "remote/objectform.h"

namespace tarsel {

// The session record: who is signed in, for which customer account, with
// which salesperson, from which machine. The main window owns one for the
// whole run; every server call receives a fresh copy (see CopyOf).
#define TSONUCBILGISI_FIELDS(X)            \
    X(QString, BILGISAYARID, {})           \
    X(QString, SaticiMail, {})             \
    X(qint32, Sirano, 0)                   \
    X(QString, CariAdi, {})                \
    X(QString, SIFRE, {})                  \
    X(qint32, SaticiNo, 0)                 \
    X(qint32, CARINO, 0)                   \
    X(qint32, AKTIF, 0)                    \
    X(QString, Kullanicimail, {})          \
    X(QString, ADI, {})                    \
    X(QString, SaticiTelefon, {})          \
    X(QString, carikod, {})                \
    X(bool, Varmi, false)                  \
    X(QString, SaticiAdi, {})              \
    X(QString, BilgiSayarAdi, {})          \
    X(QString, Disip, {})                  \
    X(QString, Icip, {})                   \
    X(QString, BilgisayarKullanici, {})    \
    X(qint32, MusteriTipi, 1)              \
    X(qint32, Version, 1)

class TSonucBilgisi {
    TARSEL_TRANSFER_OBJECT(TSonucBilgisi, "baglantiu", TSONUCBILGISI_FIELDS)
};

#define TSIPARISDIPAYRINTI_FIELDS(X) \
    X(QString, SizinMesaj, {})       \
    X(QString, Durumu, {})           \
    X(QString, Veren, {})            \
    X(QString, Kargo, {})            \
    X(QString, BizimMesaj, {})       \
    X(QString, TeslimCinsi, {})      \
    X(QString, KargoCinsi, {})       \
    X(QString, SaticiNotu, {})

class TSiparisDipAyrinti {
    TARSEL_TRANSFER_OBJECT(TSiparisDipAyrinti, "baglantiu", TSIPARISDIPAYRINTI_FIELDS)
};

#define TTUSSONUCLARI_FIELDS(X)     \
    X(qint32, Alindi, 0)            \
    X(qint32, Onaylandi, 0)         \
    X(qint32, ParcaliHazirlandi, 0) \
    X(qint32, SevkEdildi, 0)        \
    X(qint32, Hazirlandi, 0)        \
    X(qint32, Goruldu, 0)

class TTusSonuclari {
    TARSEL_TRANSFER_OBJECT(TTusSonuclari, "baglantiu", TTUSSONUCLARI_FIELDS)
};

// A fresh copy of a record for one server call: the proxy takes ownership of
// what it is given, so the record in use is never handed over itself.
template <class T> std::unique_ptr<T> CopyOf(const T &source)
{
    auto copy = std::make_unique<T>();
    copy->Kopyala(source);
    return copy;
}

}  // namespace tarsel
