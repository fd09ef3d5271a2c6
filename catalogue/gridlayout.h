#pragma once
// Column widths of the ordering grids, applied safely.
//
// Fitting columns switches the view's updates off and back to what it found.
// While an ancestor has updates off (a tab page control does so while it
// switches pages) it would find them off and leave the view frozen, so the
// fitting waits until the event loop has finished the switch.

#include <functional>

class QObject;

namespace tarsel {

class DataGrid;

// Runs `layout` now, or, while the grid's updates are off because of an
// ancestor, as soon as the event loop is back.
void ApplyColumnLayout(DataGrid *grid, QObject *context, const std::function<void()> &layout);

// By weight when the screen is more than 1152 pixels wide, else fitted to
// the content (the rule of the new items, campaign and basket grids).
void FitColumnsForScreen(DataGrid *grid);

}  // namespace tarsel
