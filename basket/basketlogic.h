#pragma once
// The rules of the basket tab that do not need a window: the totals over
// the selected lines, the checks before an order is sent and their
// messages, the confirmation summary, the carrier lookups, and the
// arguments each basket line operation sends.

#include "catalogue/dialogfigures.h"

#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

namespace tarsel {

class DataTable;
class TSonucBilgisi;

// ---- messages ----
inline const QString kNoLinesMessage = QStringLiteral("Gönderilecek Parça Yok ");
inline const QString kNoDeliveryMessage = QStringLiteral("Lütfen Teslim Durumu Seçiniz !");
inline const QString kNoCarrierTypeMessage = QStringLiteral("Lütfen Kargo Türünü Seçiniz !");
inline const QString kNoCarrierMessage = QStringLiteral("Lütfen Kargo  Seçiniz !");
inline const QString kOrderSentMessage = QStringLiteral("Siparişiniz Gönderildi !");
inline const QString kOrderFailedMessage = QStringLiteral("Sipariş Göndermede Hata");
inline const QString kConfirmOrderQuestion = QStringLiteral("Yukarıda bilgileri verilen siparişi onaylıyor musunuz ?");
inline const QString kDeleteLineQuestion = QStringLiteral("Satırı silmek istiyor musunuz ");
inline const QString kLineDeletedMessage = QStringLiteral("Satır silindi !");
inline const QString kEmptyBasketQuestion = QStringLiteral("Tüm Sepeti Silmek İstiyor musunuz ");
inline const QString kBasketEmptiedMessage = QStringLiteral("Sepet Silindi !");

inline const QString kBasketTabTitle = QStringLiteral("Sepet");
inline const QString kSelectColumnCaption = QStringLiteral("Seç");

// ---- totals ----
struct BasketTotals {
    double total = 0;     // T: sum of TUTAR
    double discount = 0;  // D: sum of INDIRIMTUTAR
    double net = 0;       // N = T - D
    double tax = 0;       // V: sum of VERGITUTARI
    double grand = 0;     // G = V + N
    bool discountShown() const { return discount > 1; }
    bool taxShown() const { return tax > 1; }
};

// Over the lines whose SEC is 1, in table order, each running sum rounded to
// cents after every line.
BasketTotals ComputeBasketTotals(const DataTable &sepet);

// ---- sending ----
// The basket is open, has lines, and at least one has SEC = 1.
bool HasSelectedLines(const DataTable &sepet, bool open);

enum class SendBlock { None, NoLines, NoDelivery, NoCarrierType, NoCarrier };

// The first check that fails, in this order: selected lines, a delivery
// type, a carrier type, a carrier (index above 0; 0 is the blank entry).
SendBlock FirstSendBlock(bool hasSelectedLines, int deliveryIndex, int carrierTypeIndex, int carrierIndex);
QString SendBlockMessage(SendBlock block);

struct OrderSummary {
    QString user, account, delivery, carrierType, amount, carrier, note;
};
// Seven lines joined by "\r\n", the captions padded so the colons line up in
// a fixed-pitch font.
QString OrderSummaryText(const OrderSummary &summary);

// ---- lists ----
struct KeyedEntry {
    qint32 key = 0;
    QString text;
};
// Delivery and carrier type lists: the first column read as the key, the
// second as the text; other columns ignored.
std::vector<KeyedEntry> KeyedEntries(const DataTable &table);
// The delivery type chosen for the user: the second entry, or the only one,
// or none (-1).
int PreselectedDeliveryIndex(int entryCount);

// The first carrier (table order) whose ADI equals `name` exactly.
std::optional<std::size_t> FindCarrier(const DataTable &kargo, const QString &name);

// ---- basket line operations ----
struct BasketLineArgs {
    qint32 carino = 0;
    qint32 stokno = 0;
    QString barkod, stokadi;
    double miktar = 0;
    double kdv = 0;  // a whole number, sent as a double
    double fiyat = 0;
    DiscountRates rates{};
    qint32 verenid = 0;
    qint32 k = 0;            // add only
    qint32 sepetsirano = 0;  // change only
};

// SepetEkle2: the item of `source` row `row` (stock list, new items or
// campaign table) with the dialog's quantity, price and rates.
BasketLineArgs AddLineArgs(const DataTable &source, std::size_t row, const TSonucBilgisi &session, double quantity,
                           double price, const DiscountRates &rates);
// SepetGuncelle2: the basket line `row`, identified by its SIRANO (stokno 0),
// with the dialog's quantity and price and the line's own rates as fetched.
BasketLineArgs UpdateLineArgs(const DataTable &sepet, std::size_t row, const TSonucBilgisi &session, double quantity,
                              double price);
// SepetSatirSil's description of a line: BARKOD "-" STOKADI.
QString BasketLineDescription(const QString &barkod, const QString &stokadi);

// The basket line of an item, by STOKNO; its table row.
std::optional<std::size_t> FindBasketLineOfItem(const DataTable &sepet, qint32 stokno);
// The basket line with a SIRANO; its table row.
std::optional<std::size_t> FindBasketLine(const DataTable &sepet, qint32 sirano);

}  // namespace tarsel
