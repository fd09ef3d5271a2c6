#include "app/usertype.h"

namespace tarsel {

std::vector<ColumnChange> UserTypePlan::forView(const QString &view) const
{
    std::vector<ColumnChange> out;
    for (const ColumnChange &c : columns)
        if (c.view == view) out.push_back(c);
    return out;
}

UserTypePlan PlanForUserType(int userType)
{
    UserTypePlan p;
    switch (userType) {
    case 1:
    case 2:
        p.showCustomerButton = true;
        p.showReports = true;
        // Remaining and ordered quantities for the sales staff.
        for (const QString &view : {kStockView, kNewItemsView, kCampaignView})
            for (const char *field : {"KALAN", "ALINANSIPARIS", "VERILENSIPARIS"})
                p.columns.push_back({view, QLatin1String(field), true, true});
        p.columns.push_back({kBasketView, QStringLiteral("KALAN"), true, true});
        break;
    case 3:
        p.columns.push_back({kBasketView, QStringLiteral("DURUM"), false, false});
        break;
    case 4:
        p.hideCampaignTab = true;
        p.columns.push_back({kStockView, QStringLiteral("KAMPFIYAT"), false, false});
        p.columns.push_back({kStockView, QStringLiteral("K"), false, false});
        p.columns.push_back({kNewItemsView, QStringLiteral("K"), false, false});
        p.columns.push_back({kNewItemsView, QStringLiteral("KAMPFIYAT"), false, false});
        break;
    default:
        break;
    }
    return p;
}

}  // namespace tarsel
