#include "catalogue/dialogfigures.h"

#include "util/money.h"

namespace tarsel {

DialogFigures ComputeDialogFigures(double price, int quantity, const DiscountRates &rates, double vatRate)
{
    DialogFigures f;
    f.gross = price * quantity;
    double g = f.gross;
    for (double r : rates)
        if (r > 0) g = g - g * r / 100;
    f.discount = f.gross - g;
    f.net = RoundTo2Decimals(g);
    f.unit = quantity == 0 ? 0.0 : RoundTo2Decimals(f.net / quantity);
    f.vatIncludedUnit = RoundTo2Decimals(f.unit * (1 + vatRate / 100));
    f.lineAmount = RoundTo2Decimals(f.vatIncludedUnit * quantity);
    return f;
}

bool DiscountRowVisible(const DiscountRates &rates)
{
    return rates[0] + rates[1] + rates[2] + rates[3] > 1;
}

double StripTaxFromPrice(double price) { return price / 1.2; }

}  // namespace tarsel
