// Weighted column widths applied to a QTableView.

#include "util/columnweights.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>

#include <gtest/gtest.h>

using namespace tarsel;

namespace {

TEST(FitColumnsByWeight, VisibleColumnsOnly)
{
    QStandardItemModel model(3, 8);
    QTableView view;
    view.setModel(&model);
    view.horizontalHeader()->setMinimumSectionSize(20);
    view.setColumnWidth(1, 77);
    view.setColumnHidden(1, true);

    FitColumnsByWeight(&view, {2, 4, 2, 2, 1, 1, 2, 0}, 1380);

    // Visible weights: 2+2+2+1+1+2+0 = 10, unit (1380-30)/10 = 135.
    const int expected[] = {270, -1, 270, 270, 135, 135, 270, 20};  // weight 0: header minimum
    for (int c = 0; c < 8; ++c) {
        if (expected[c] >= 0) {
            EXPECT_EQ(view.columnWidth(c), expected[c]) << c;
        }
    }
    EXPECT_TRUE(view.updatesEnabled());
    view.setColumnHidden(1, false);
    EXPECT_EQ(view.columnWidth(1), 77);  // the hidden column kept its width
}

TEST(FitColumnsByWeight, ZeroWeightsLeaveWidthsAlone)
{
    QStandardItemModel model(1, 3);
    QTableView view;
    view.setModel(&model);
    for (int c = 0; c < 3; ++c) view.setColumnWidth(c, 50 + c);
    FitColumnsByWeight(&view, {0, 0, 0}, 900);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(view.columnWidth(c), 50 + c);
    FitColumnsByWeight(nullptr, {1}, 900);  // no view: nothing happens
}

TEST(FitColumnsByWeight, KeepsUpdatesDisabledWhenTheCallerDisabledThem)
{
    QStandardItemModel model(1, 2);
    QTableView view;
    view.setModel(&model);
    view.setUpdatesEnabled(false);
    FitColumnsByWeight(&view, {1, 1}, 230);
    EXPECT_FALSE(view.updatesEnabled());
    EXPECT_EQ(view.columnWidth(0), 100);
}

}  // namespace
