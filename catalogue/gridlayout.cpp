#include "catalogue/gridlayout.h"

#include "catalogue/stockcolumns.h"
#include "grid/datagrid.h"

#include <QPointer>
#include <QScreen>
#include <QTableView>
#include <QTimer>

namespace tarsel {

void ApplyColumnLayout(DataGrid *grid, QObject *context, const std::function<void()> &layout)
{
    if (!grid) return;
    if (grid->view()->updatesEnabled()) {
        layout();
        return;
    }
    QPointer<DataGrid> guard(grid);
    QTimer::singleShot(0, context, [guard, layout] {
        if (guard && guard->view()->updatesEnabled()) layout();
    });
}

void FitColumnsForScreen(DataGrid *grid)
{
    const QScreen *s = grid->screen();
    if (IsWideWindow(s ? s->geometry().width() : 0)) grid->fitColumnsByWeight();
    else grid->fitColumnsToContent();
}

}  // namespace tarsel
