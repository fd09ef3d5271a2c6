#pragma once
// Weighted column widths of the grids.
//
// Every grid column carries an integer weight. The visible columns share the
// grid width minus 30 pixels: unit = (gridWidth - 30) / (sum of the visible
// weights), truncated toward zero, and each visible column gets weight * unit.

#include <vector>

class QTableView;

namespace tarsel {

// Widths for the columns: weights[i] and visible[i] describe column i (a
// column beyond the end of `weights` weighs 0, beyond the end of `visible`
// counts as hidden; a negative weight counts as 0). The result has
// max(weights.size(), visible.size()) entries; -1 means "leave this column as
// it is" (hidden columns, and every column when the visible weights add up to
// 0). A grid narrower than 30 pixels gives unit 0, never negative widths.
std::vector<int> ComputeWeightedWidths(const std::vector<int> &weights,
                                       const std::vector<bool> &visible, int gridWidth);

// Applies ComputeWeightedWidths to the columns of `view` that are not hidden,
// inside one update of the view (weights are indexed by the model's column).
// A width below the header's minimum section size is raised to it.
// Defined in tarsel_util_ui.
void FitColumnsByWeight(QTableView *view, const std::vector<int> &weights, int gridWidth);

}  // namespace tarsel
