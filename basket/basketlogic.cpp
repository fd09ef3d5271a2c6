#include "basket/basketlogic.h"

#include "remote/baglantiu.h"
#include "util/money.h"
#include "wire/datatable.h"

#include <cmath>

namespace tarsel {

BasketTotals ComputeBasketTotals(const DataTable &sepet)
{
    BasketTotals t;
    const DataColumn *sec = sepet.column(QStringLiteral("SEC"));
    const DataColumn *tutar = sepet.column(QStringLiteral("TUTAR"));
    const DataColumn *indirim = sepet.column(QStringLiteral("INDIRIMTUTAR"));
    const DataColumn *vergi = sepet.column(QStringLiteral("VERGITUTARI"));
    const std::size_t rows = sec ? sec->rowCount() : 0;
    for (std::size_t r = 0; r < rows; ++r) {
        if (sec->numberAt(r) != 1) continue;
        t.total = RoundTo2Decimals(t.total + (tutar ? tutar->numberAt(r) : 0));
        t.discount = RoundTo2Decimals(t.discount + (indirim ? indirim->numberAt(r) : 0));
        t.tax = RoundTo2Decimals(t.tax + (vergi ? vergi->numberAt(r) : 0));
    }
    t.net = RoundTo2Decimals(t.total - t.discount);
    t.grand = RoundTo2Decimals(t.tax + t.net);
    return t;
}

bool HasSelectedLines(const DataTable &sepet, bool open)
{
    if (!open) return false;
    const DataColumn *sec = sepet.column(QStringLiteral("SEC"));
    if (!sec) return false;
    for (std::size_t r = 0; r < sec->rowCount(); ++r)
        if (sec->numberAt(r) == 1) return true;
    return false;
}

SendBlock FirstSendBlock(bool hasSelectedLines, int deliveryIndex, int carrierTypeIndex, int carrierIndex)
{
    if (!hasSelectedLines) return SendBlock::NoLines;
    if (deliveryIndex < 0) return SendBlock::NoDelivery;
    if (carrierTypeIndex < 0) return SendBlock::NoCarrierType;
    if (carrierIndex <= 0) return SendBlock::NoCarrier;
    return SendBlock::None;
}

QString SendBlockMessage(SendBlock block)
{
    switch (block) {
    case SendBlock::NoLines: return kNoLinesMessage;
    case SendBlock::NoDelivery: return kNoDeliveryMessage;
    case SendBlock::NoCarrierType: return kNoCarrierTypeMessage;
    case SendBlock::NoCarrier: return kNoCarrierMessage;
    case SendBlock::None: break;
    }
    return {};
}

QString OrderSummaryText(const OrderSummary &s)
{
    const QString lines[] = {
        QStringLiteral("Kullanıcı: ") + s.user,     QStringLiteral("Cari     : ") + s.account,
        QStringLiteral("Teslim   : ") + s.delivery, QStringLiteral("Kargo    : ") + s.carrierType,
        QStringLiteral("Tutar    : ") + s.amount,   QStringLiteral("Kargo    : ") + s.carrier,
        QStringLiteral("Açıklama : ") + s.note,
    };
    QString out;
    for (const QString &l : lines) {
        if (!out.isEmpty()) out += QStringLiteral("\r\n");
        out += l;
    }
    return out;
}

std::vector<KeyedEntry> KeyedEntries(const DataTable &table)
{
    std::vector<KeyedEntry> out;
    if (table.columnCount() < 2) return out;
    const DataColumn &key = table.columns[0];
    const DataColumn &text = table.columns[1];
    for (std::size_t r = 0; r < table.rowCount(); ++r)
        out.push_back({qint32(std::lround(key.numberAt(r))), text.stringAt(r)});
    return out;
}

int PreselectedDeliveryIndex(int entryCount)
{
    if (entryCount >= 2) return 1;
    return entryCount == 1 ? 0 : -1;
}

std::optional<std::size_t> FindCarrier(const DataTable &kargo, const QString &name)
{
    const DataColumn *adi = kargo.column(QStringLiteral("ADI"));
    if (!adi) return std::nullopt;
    for (std::size_t r = 0; r < adi->rowCount(); ++r)
        if (adi->stringAt(r) == name) return r;
    return std::nullopt;
}

BasketLineArgs AddLineArgs(const DataTable &source, std::size_t row, const TSonucBilgisi &session, double quantity,
                           double price, const DiscountRates &rates)
{
    BasketLineArgs a;
    a.carino = session.CARINO();
    a.stokno = source.int32(row, QStringLiteral("STOK_STOKNO"));
    a.barkod = source.text(row, QStringLiteral("BARKOD"));
    a.stokadi = source.text(row, QStringLiteral("ADI"));
    a.miktar = quantity;
    a.kdv = double(std::lround(source.number(row, QStringLiteral("KDV"))));
    a.fiyat = price;
    a.rates = rates;
    a.verenid = session.Sirano();
    a.k = source.int32(row, QStringLiteral("K"));
    return a;
}

BasketLineArgs UpdateLineArgs(const DataTable &sepet, std::size_t row, const TSonucBilgisi &session, double quantity,
                              double price)
{
    BasketLineArgs a;
    a.carino = session.CARINO();
    a.stokno = 0;
    a.barkod = sepet.text(row, QStringLiteral("BARKOD"));
    a.stokadi = sepet.text(row, QStringLiteral("STOKADI"));
    a.miktar = quantity;
    a.kdv = double(std::lround(sepet.number(row, QStringLiteral("KDV"))));
    a.fiyat = price;
    for (int i = 0; i < 4; ++i)
        a.rates[std::size_t(i)] = sepet.number(row, QStringLiteral("INDIRIMORANI%1").arg(i + 1));
    a.verenid = session.Sirano();
    a.sepetsirano = sepet.int32(row, QStringLiteral("SIRANO"));
    return a;
}

QString BasketLineDescription(const QString &barkod, const QString &stokadi)
{
    return barkod + QLatin1Char('-') + stokadi;
}

namespace {
std::optional<std::size_t> FindInt(const DataTable &t, const QString &column, qint32 value)
{
    const DataColumn *c = t.column(column);
    if (!c) return std::nullopt;
    for (std::size_t r = 0; r < c->rowCount(); ++r)
        if (!c->isNull(r) && qint32(std::lround(c->numberAt(r))) == value) return r;
    return std::nullopt;
}
}  // namespace

std::optional<std::size_t> FindBasketLineOfItem(const DataTable &sepet, qint32 stokno)
{
    return FindInt(sepet, QStringLiteral("STOKNO"), stokno);
}

std::optional<std::size_t> FindBasketLine(const DataTable &sepet, qint32 sirano)
{
    return FindInt(sepet, QStringLiteral("SIRANO"), sirano);
}

}  // namespace tarsel
