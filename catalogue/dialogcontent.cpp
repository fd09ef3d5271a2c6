#include "catalogue/dialogcontent.h"

#include "wire/datatable.h"

#include <cmath>
#include <optional>

namespace tarsel {

namespace {

std::optional<int> CampaignFlag(const DataTable &t, std::size_t row)
{
    const DataColumn *k = t.column(QStringLiteral("K"));
    if (!k || k->isNull(row)) return std::nullopt;
    return int(std::lround(k->numberAt(row)));
}

DiscountRates Rates(const DataTable &t, std::size_t row, const QString &prefix)
{
    DiscountRates r{};
    for (int i = 0; i < 4; ++i) r[std::size_t(i)] = t.number(row, prefix + QString::number(i + 1));
    return r;
}

}  // namespace

DialogContent DialogContentFor(DialogSource source, const DataTable &t, std::size_t row, int userType)
{
    DialogContent c;
    const bool staff = IsSalesStaff(userType);
    c.editable = staff;
    c.barkod = t.text(row, QStringLiteral("BARKOD"));
    c.finishkod = t.text(row, QStringLiteral("FINISHKOD"));
    c.marka = t.text(row, QStringLiteral("MARKA"));
    c.model = t.text(row, QStringLiteral("MODEL"));
    c.vatRate = t.number(row, QStringLiteral("KDV"));
    const QString discountText = t.text(row, QStringLiteral("INDIRIMYAZI"));
    const QString campaignDiscount = QStringLiteral("Kampanyalı ") + discountText;

    switch (source) {
    case DialogSource::StockList: {
        c.stokno = t.int32(row, QStringLiteral("STOK_STOKNO"));
        c.adi = t.text(row, QStringLiteral("ADI"));
        c.rateBoxesShown = staff;
        const std::optional<int> k = CampaignFlag(t, row);
        if (k && *k >= 0) {
            c.rates = Rates(t, row, QStringLiteral("IND"));
            c.price = t.number(row, QStringLiteral("FIYAT"));
            if (*k > 0) {
                c.priceCaption = kCampaignPriceCaption;
                c.discountCaption = campaignDiscount;
            } else {
                c.discountCaption = QStringLiteral("İndirim: %") + discountText;
            }
        }
        break;
    }
    case DialogSource::NewItems: {
        c.stokno = t.int32(row, QStringLiteral("STOK_STOKNO"));
        c.adi = t.text(row, QStringLiteral("ADI"));
        c.rateBoxesShown = staff;
        c.rates = Rates(t, row, QStringLiteral("IND"));
        c.price = t.number(row, QStringLiteral("FIYAT"));
        const std::optional<int> k = CampaignFlag(t, row);
        if (k && *k > 0) {
            c.priceCaption = kCampaignPriceCaption;
            c.discountCaption = campaignDiscount;
        } else {
            c.discountCaption = QStringLiteral("İndirim:  % ") + discountText;
        }
        break;
    }
    case DialogSource::Campaign:
        c.stokno = t.int32(row, QStringLiteral("STOK_STOKNO"));
        c.adi = t.text(row, QStringLiteral("ADI"));
        c.rateBoxesShown = false;  // editable for sales staff, but not shown
        c.rates = Rates(t, row, QStringLiteral("IND"));
        c.price = t.number(row, QStringLiteral("FIYAT"));
        c.priceCaption = kCampaignPriceCaption;
        c.discountCaption = campaignDiscount;
        break;
    case DialogSource::BasketLine:
        c.stokno = t.int32(row, QStringLiteral("STOKNO"));
        c.adi = t.text(row, QStringLiteral("STOKADI"));
        c.rateBoxesShown = staff;
        c.rates = Rates(t, row, QStringLiteral("INDIRIMORANI"));
        c.price = t.number(row, QStringLiteral("BIRIMFIYAT"));
        c.quantity = int(std::lround(t.number(row, QStringLiteral("MIKTAR"))));
        break;
    }
    return c;
}

}  // namespace tarsel
