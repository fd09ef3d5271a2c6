#include "util/columnweights.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>

namespace tarsel {

void FitColumnsByWeight(QTableView *view, const std::vector<int> &weights, int gridWidth)
{
    if (!view || !view->model()) return;
    const int columns = view->model()->columnCount(view->rootIndex());
    std::vector<bool> visible(size_t(std::max(columns, 0)));
    for (int c = 0; c < columns; ++c) visible[size_t(c)] = !view->isColumnHidden(c);

    const std::vector<int> widths = ComputeWeightedWidths(weights, visible, gridWidth);
    const int minWidth = view->horizontalHeader()->minimumSectionSize();

    const bool wasEnabled = view->updatesEnabled();
    view->setUpdatesEnabled(false);
    for (int c = 0; c < columns; ++c) {
        const int w = widths[size_t(c)];
        if (w >= 0) view->setColumnWidth(c, std::max(w, minWidth));
    }
    view->setUpdatesEnabled(wasEnabled);
}

}  // namespace tarsel
