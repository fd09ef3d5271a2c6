#pragma once
// What the stock detail dialog shows when it is opened from a row of the
// stock list, the new items, the campaign list or the basket.

#include "catalogue/dialogfigures.h"

#include <QString>

#include <cstddef>

namespace tarsel {

class DataTable;

enum class DialogSource { StockList, NewItems, Campaign, BasketLine };

inline const QString kPriceCaption = QStringLiteral("Fiyat:");
inline const QString kCampaignPriceCaption = QStringLiteral("Kampanyalı Fiyat:");
inline const QString kDiscountCaption = QStringLiteral("İndirim:");

struct DialogContent {
    int stokno = 0;  // item number (basket: the line's STOKNO)
    QString barkod, adi, finishkod, marka, model;
    double vatRate = 0;
    double price = 0;         // unit price box
    DiscountRates rates{};    // the four rate boxes
    QString priceCaption = kPriceCaption;
    QString discountCaption = kDiscountCaption;
    bool editable = false;    // price and rates may be changed (sales staff)
    bool rateBoxesShown = false;
    int quantity = 1;
};

// True for the seller's sales staff (user types 1 and 2).
inline bool IsSalesStaff(int userType) { return userType == 1 || userType == 2; }

// Reads one row of the source's table. A stock-list row whose campaign flag
// `K` is empty or negative leaves price and rates at 0 with the default
// captions.
DialogContent DialogContentFor(DialogSource source, const DataTable &table, std::size_t row, int userType);

}  // namespace tarsel
