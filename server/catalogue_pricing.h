#pragma once
// Prices of stock items for a customer account and the amounts of a basket
// line, computed exactly as the client's quantity dialog computes them, so
// that what the user saw there is what the basket and the order hold.

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace tarsel::server {

class Db;

using Rates = std::array<double, 4>;

// The amounts of `quantity` units at `unitPrice` with four compounded
// discount rates (percent; a rate of 0 or below is skipped) and the tax rate
// `vatRate` (percent). Every amount is rounded to cents (RoundTo2Decimals):
//   gross            unitPrice x quantity
//   net              the gross after the discounts
//   netUnitPrice     net / quantity (0 for quantity 0)
//   vatIncludedUnit  netUnitPrice x (1 + vatRate / 100)
//   lineTotal        vatIncludedUnit x quantity: the dialog's "Tutar"
// and the basket columns derived from them, which add up to lineTotal:
//   amount           gross (TUTAR)
//   netAmount        netUnitPrice x quantity (NETTUTAR)
//   discountAmount   amount - netAmount (INDIRIMTUTAR)
//   taxAmount        lineTotal - netAmount (VERGITUTARI)
struct LineAmounts {
    double gross = 0;
    double net = 0;
    double netUnitPrice = 0;
    double vatIncludedUnit = 0;
    double lineTotal = 0;
    double amount = 0;
    double netAmount = 0;
    double discountAmount = 0;
    double taxAmount = 0;
};
LineAmounts ComputeLineAmounts(double unitPrice, double quantity, const Rates &rates, double vatRate);

// The rates as the client shows them: the rates above 0 joined by "+",
// with a decimal comma where needed ("10+5", "7,5"); empty without rates.
QString RatesText(const Rates &rates);

// The total discount of the compounded rates in percent, rounded to cents.
double EffectiveDiscount(const Rates &rates);

// One discount rule of an account (customer_discounts): '' matches any
// manufacturer or main category.
struct DiscountRule {
    QString manufacturer;
    QString mainGroup;
    Rates rates{};
};

// What an account's prices depend on, loaded once per request.
struct AccountPricing {
    int carino = 0;
    double generalDiscount = 0;      // customers.iskonto_orani
    std::vector<DiscountRule> rules;  // most specific first

    // The rates of the list price for an item of this manufacturer and
    // main category: the most specific matching rule, else the general
    // discount as the first rate.
    Rates ratesFor(const QString &manufacturer, const QString &mainGroup) const;
};

// Reads the account's discount and rules. An unknown account (or 0) prices
// at list prices without discounts.
AccountPricing LoadAccountPricing(Db &db, int carino);

// The stock figures that decide an item's price for an account.
struct StockPriceInput {
    QString manufacturer;
    QString mainGroup;
    double listPrice = 0;
    double campaignPrice = 0;
    bool campaign = false;
    double vatRate = 0;
    std::optional<double> specialPrice;  // customer_prices row
    Rates specialRates{};
};

// The priced row of an item: the unit price the quantity dialog starts from
// (FIYAT), its four rates (IND1..IND4), the campaign flag (K: 1 when the
// campaign price applies), and the net and tax-included prices of one unit
// (NETFIYAT, KDVDAHIL).
struct ItemPrice {
    double price = 0;
    Rates rates{};
    int k = 0;
    double netPrice = 0;
    double vatIncluded = 0;
};
ItemPrice PriceItem(const AccountPricing &account, const StockPriceInput &item);

}  // namespace tarsel::server
