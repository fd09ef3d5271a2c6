#pragma once
// The rules of the customer console that do not need a window: the search
// text, the count captions, the card, the report requests and the report
// file.

#include <QDate>
#include <QLocale>
#include <QString>

#include <cstddef>

class QIODevice;

namespace tarsel {

class DataTable;
class TSonucBilgisi;

// Every dotless ı becomes i, then blanks are trimmed at both ends.
QString CustomerSearchText(const QString &editText);

// The basket button's caption: empty for a count below 1, else the count.
QString BasketCountCaption(qint32 count);
// The order-state buttons show their count also when it is 0.
QString StateCountCaption(qint32 count);

// The state lists of the count buttons (argument n of CariSepetVer).
enum class CustomerList : qint32 {
    Basket = 1,            // "Sipariş sepetinde stok olan carileri listeler."
    Received = 2,          // "Yeni Alınan Siparişleri Listeler"
    Approved = 3,          // "Onaylanan Siparişler"
    Seen = 4,              // "Görülen Siparişler"
    PartlyPrepared = 5,    // "Eksik Hazırlanan siparişler"
    Prepared = 6,          // "Hazırlanan Siparişler"
    Shipped = 7,           // "Sevk Edilen Siparişler"
};

// The customer card of one row of CARILER (value texts as the labels show them).
struct CustomerCard {
    QString carikod, cariadi, yetkili, ozelkod, anagrup, altgrup;
    QString adres1, adres2, ilce;  // ilce: ILCE + "/" + IL
    QString vergi;                 // VERGIDAIRESI + "/" + VERGINO
    QString telefon1, telefon2, fax1, fax2, gsm, email;
    QString indirim, vade;
    QString bakiye;                // TLBAKIYE as "#,###,##0.00", a blank, DURUM
};
CustomerCard CardFromRow(const DataTable &table, std::size_t row, const QLocale &locale = QLocale());

// The report entries of the console's grid menu.
enum class ConsoleReport {
    CariOzeti,             // "Cari Özeti Göster"
    AlisSatisTablosu,      // "Cari Alış Satış Tablosu (Satıcılı)"
    TopluAlacakVadeleri,   // "Cari Toplu Alacak Vadeleri"
};

// What one report entry asks for, given the focused row (if any) and the
// session. `allowed` false: the entry does nothing.
struct ReportPlan {
    bool allowed = false;
    bool twoDates = false;  // the date dialog shows both pickers
    qint32 raporno = 0;
    qint32 carino = 0;
    QString saticiadi;
};
ReportPlan PlanReport(ConsoleReport entry, bool rowFocused, qint32 focusedCarino, const QString &focusedSatici,
                      const TSonucBilgisi &session);

// Documents folder + "/rapor" + (raporno + carino) + ".pdf".
QString ReportFilePath(const QString &documentsFolder, qint32 raporno, qint32 carino);

// A calendar day as the day number the server expects for dates (days since
// 30 December 1899).
double DayNumber(const QDate &date);

// Reads a report stream in chunks of 1024 bytes until a read returns fewer
// than 1024 bytes; true when exactly `size` bytes arrived (the caller saves
// them only then).
bool ReadAnnouncedStream(QIODevice *stream, qint64 size, QByteArray *out);

}  // namespace tarsel
