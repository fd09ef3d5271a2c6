#pragma once
// The arithmetic of the stock detail and quantity dialog: what a quantity
// of an item costs after the account's four discounts and the value added
// tax, rounded to cents at the points the dialog rounds.

#include <array>

namespace tarsel {

using DiscountRates = std::array<double, 4>;

struct DialogFigures {
    double gross = 0;           // price x quantity
    double discount = 0;        // gross - discounted amount, not rounded ("İndirim:")
    double net = 0;             // discounted amount, rounded to cents
    double unit = 0;            // net / quantity, rounded; 0 for quantity 0
    double vatIncludedUnit = 0; // unit with tax, rounded ("KDV Dahil:")
    double lineAmount = 0;      // vatIncludedUnit x quantity, rounded ("Tutar:")
};

// The four rates compound in order (g = g - g * r / 100); a rate of 0 or
// below is skipped, never a surcharge.
DialogFigures ComputeDialogFigures(double price, int quantity, const DiscountRates &rates, double vatRate);

// The discount row is shown when the four rates add up to more than 1.
bool DiscountRowVisible(const DiscountRates &rates);

// F4 in a price box: the price without 20 % tax.
double StripTaxFromPrice(double price);

}  // namespace tarsel
