#pragma once
// Footer summaries: the row count and sums of columns over a set of rows.

#include "grid/gridcolumn.h"

#include <QString>

#include <cstddef>
#include <vector>

namespace tarsel {

class GridModel;

struct SummaryCell {
    int column = -1;  // model column it is shown under; -1: the first visible column
    GridSummary::Kind kind = GridSummary::Count;
    double value = 0;  // the count, or the sum
    bool integral = true;  // the value is a count or a sum of an integer column
    QString text;      // as shown: a count plainly, a sum in its column's number format
};

// Summaries over the given table rows of `model` (usually its visible rows).
// A sum of a column the table lacks is 0 and shows empty.
std::vector<SummaryCell> ComputeSummaries(const GridModel &model, const std::vector<GridSummary> &summaries,
                                          const int *rows, std::size_t count);
std::vector<SummaryCell> ComputeSummaries(const GridModel &model, const std::vector<GridSummary> &summaries);

// Sum of column c of `model` over the rows, added with compensation so long
// money columns do not drift.
double SumColumn(const GridModel &model, int c, const int *rows, std::size_t count);

}  // namespace tarsel
