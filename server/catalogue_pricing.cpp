#include "server/catalogue_pricing.h"

#include "server/dbpool.h"
#include "util/money.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace tarsel::server {

LineAmounts ComputeLineAmounts(double unitPrice, double quantity, const Rates &rates, double vatRate)
{
    LineAmounts a;
    const double gross = unitPrice * quantity;
    double g = gross;
    for (double r : rates)
        if (r > 0) g = g - g * r / 100;
    a.gross = RoundTo2Decimals(gross);
    a.net = RoundTo2Decimals(g);
    a.netUnitPrice = quantity == 0 ? 0.0 : RoundTo2Decimals(a.net / quantity);
    a.vatIncludedUnit = RoundTo2Decimals(a.netUnitPrice * (1 + vatRate / 100));
    a.lineTotal = RoundTo2Decimals(a.vatIncludedUnit * quantity);
    a.amount = a.gross;
    a.netAmount = RoundTo2Decimals(a.netUnitPrice * quantity);
    a.discountAmount = RoundTo2Decimals(a.amount - a.netAmount);
    a.taxAmount = RoundTo2Decimals(a.lineTotal - a.netAmount);
    return a;
}

QString RatesText(const Rates &rates)
{
    static const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    QStringList parts;
    for (double r : rates) {
        if (!(r > 0)) continue;
        const double cents = RoundTo2Decimals(r);
        QString t = turkish.toString(cents, 'f', 2);
        // "10,00" -> "10", "7,50" -> "7,5"
        while (t.endsWith(QLatin1Char('0'))) t.chop(1);
        if (t.endsWith(QLatin1Char(','))) t.chop(1);
        t.remove(QLatin1Char('.'));  // no grouping in a rate
        parts << t;
    }
    return parts.join(QLatin1Char('+'));
}

double EffectiveDiscount(const Rates &rates)
{
    double remaining = 1.0;
    for (double r : rates)
        if (r > 0) remaining -= remaining * r / 100;
    return RoundTo2Decimals((1.0 - remaining) * 100);
}

Rates AccountPricing::ratesFor(const QString &manufacturer, const QString &mainGroup) const
{
    // rules are sorted most specific first, so the first match wins
    for (const DiscountRule &rule : rules) {
        if (!rule.manufacturer.isEmpty() && rule.manufacturer != manufacturer) continue;
        if (!rule.mainGroup.isEmpty() && rule.mainGroup != mainGroup) continue;
        return rule.rates;
    }
    return Rates{generalDiscount, 0, 0, 0};
}

AccountPricing LoadAccountPricing(Db &db, int carino)
{
    AccountPricing p;
    p.carino = carino;
    if (carino == 0) return p;
    const QVariant general =
        db.scalar(QStringLiteral("SELECT iskonto_orani FROM customers WHERE carino = ?"), {carino});
    if (!general.isValid()) {
        p.carino = 0;
        return p;
    }
    p.generalDiscount = std::clamp(general.toDouble(), 0.0, 100.0);
    QSqlQuery q = db.exec(QStringLiteral("SELECT marka, ana_grup, ind1, ind2, ind3, ind4 "
                                         "FROM customer_discounts WHERE carino = ?"),
                          {carino});
    while (q.next()) {
        DiscountRule r;
        r.manufacturer = q.value(0).toString();
        r.mainGroup = q.value(1).toString();
        for (int i = 0; i < 4; ++i) r.rates[i] = q.value(2 + i).toDouble();
        p.rules.push_back(std::move(r));
    }
    // Most specific first: both given, manufacturer only, main category
    // only, neither.
    auto rank = [](const DiscountRule &r) {
        return (r.manufacturer.isEmpty() ? 2 : 0) + (r.mainGroup.isEmpty() ? 1 : 0);
    };
    std::stable_sort(p.rules.begin(), p.rules.end(),
                     [&](const DiscountRule &a, const DiscountRule &b) { return rank(a) < rank(b); });
    return p;
}

ItemPrice PriceItem(const AccountPricing &account, const StockPriceInput &item)
{
    ItemPrice out;
    if (item.campaign && item.campaignPrice > 0) {
        // A campaign price is final: no account discounts on top.
        out.price = item.campaignPrice;
        out.k = 1;
    } else if (item.specialPrice) {
        out.price = *item.specialPrice;
        out.rates = item.specialRates;
    } else {
        out.price = item.listPrice;
        out.rates = account.ratesFor(item.manufacturer, item.mainGroup);
    }
    // One unit, as ComputeLineAmounts(price, 1, rates, vat) computes it.
    double g = out.price;
    for (double r : out.rates)
        if (r > 0) g = g - g * r / 100;
    out.netPrice = RoundTo2Decimals(g);
    out.vatIncluded = RoundTo2Decimals(out.netPrice * (1 + item.vatRate / 100));
    return out;
}

}  // namespace tarsel::server
