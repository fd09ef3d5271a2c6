#pragma once
// What the main window changes, once after sign-in, by the user type
// (`MusteriTipi` of the session record): 1 and 2 are the seller's sales
// staff, 3 and 4 customer account users with fewer views; any other value
// leaves the window as designed.

#include <QString>

#include <vector>

namespace tarsel {

// Names of the grid views the plan talks about.
inline const QString kStockView = QStringLiteral("cxGrid1DBTableView1");          // stock list
inline const QString kNewItemsView = QStringLiteral("cxGridDBTableView5");        // new items
inline const QString kCampaignView = QStringLiteral("cxGridDBTableViewkampanyali");  // campaign items
inline const QString kBasketView = QStringLiteral("cxGridDBTableView1");          // basket

// One column of one view: shown or hidden, offered in the column chooser or not.
struct ColumnChange {
    QString view;
    QString field;
    bool visible = true;
    bool inChooser = true;

    bool operator==(const ColumnChange &) const = default;
};

struct UserTypePlan {
    bool showCustomerButton = false;  // "Başka Cari Seç"
    bool showReports = false;         // menu item "Raporlar"
    bool hideCampaignTab = false;     // tab "Kampanyalı Stoklar"
    std::vector<ColumnChange> columns;

    // The changes for one view, in plan order.
    std::vector<ColumnChange> forView(const QString &view) const;
};

UserTypePlan PlanForUserType(int userType);

}  // namespace tarsel
