#pragma once
// DataGrid: the one list control of the program.
//
// A screen creates a DataGrid, gives it its column definitions (GridColumn),
// its options and summaries, and the in-memory table to show. The grid offers
// header filters, sorting, incremental search while typing, a column chooser
// ("Sütun Seçici"), footer summaries, grouping with group footers, a busy
// veil for loads, weighted or content-fitted column widths and the export to
// Excel. It is always read-only: clicks on check boxes and buttons are
// reported, and the screen changes its table and tells the grid.
//
// The logic (filters, sorting, sums, grouping) lives in GridModel,
// GroupLayout and the summary functions; this widget only wires views to it.

#include "grid/gridcolumn.h"
#include "grid/gridchooser.h"
#include "grid/gridfilterpopup.h"
#include "grid/gridsummary.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

class QLabel;
class QMenu;
class QTableView;
class QToolButton;

namespace tarsel {

class DataTable;
class GridBusyOverlay;
class GridColumnChooser;
class GridDelegate;
class GridExportModel;
class GridFilterPopup;
class GridFooterBar;
class GridGroupModel;
class GridHeaderView;
class GridModel;
class GridModelBase;
class GridRowIndicator;

class DataGrid : public QWidget {
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    // ---- set-up ----
    void setColumns(std::vector<GridColumn> columns);
    void setOptions(const GridOptions &options);
    const GridOptions &options() const { return options_; }
    void setTheme(const GridTheme &theme);
    const GridTheme &theme() const { return theme_; }
    // Summaries of the footer row (shown whenever there are any).
    void setFooterSummaries(std::vector<GridSummary> summaries);
    // Groups the rows by a column, each group with a caption line
    // "value (n)" and an always-visible footer line with `groupSummaries`.
    void setGrouping(const QString &columnKey, std::vector<GridSummary> groupSummaries = {});
    void clearGrouping();
    bool isGrouped() const { return groupModel_ != nullptr; }
    void expandAllGroups();
    void collapseAllGroups();
    // Menu popped up by a right click in the rows (the row is focused first).
    void setContextMenu(QMenu *menu) { contextMenu_ = menu; }

    // ---- data ----
    void setTable(const DataTable *table);  // borrowed: must outlive its use by the grid
    void setTable(std::shared_ptr<const DataTable> table);
    // Before a background load rewrites the table: the grid lets go of it and
    // shows no rows. endReload() shows the new content with the user's
    // filters and sorting re-applied and the first row focused.
    void beginReload();
    void endReload();
    void refresh();                        // the table changed in place
    void notifyRowChanged(int sourceRow);  // one row's values changed in place
    GridModel *model() const { return model_; }
    GridModelBase *viewModel() const;      // what the view shows (flat or grouped)
    QTableView *view() const { return view_; }

    // ---- columns ----
    int columnIndex(const QString &key) const;
    void setColumnVisible(const QString &key, bool visible);
    bool isColumnVisible(const QString &key) const;
    void setColumnInChooser(const QString &key, bool offered);
    void setColumnWidth(const QString &key, int width);
    int columnWidth(const QString &key) const;
    void setColumnCaption(const QString &key, const QString &caption);
    // Widths by the columns' weights: unit = (width - 30) / sum of the
    // visible weights, each visible column weight * unit. Without an
    // argument the grid's own width is used.
    void fitColumnsByWeight();
    void fitColumnsByWeight(int gridWidth);
    // Widths to fit header and cell texts, measured over the first 1000 rows.
    void fitColumnsToContent();
    void showColumnChooser();
    GridColumnChooser *columnChooser() const { return chooser_; }

    // ---- filters and search ----
    void clearFilters();
    // Opens the header filter popup of a column, as its header button does.
    GridFilterPopup *openFilterPopup(const QString &key);
    GridFilterPopup *filterPopup() const { return popup_; }
    QString searchText() const { return search_; }
    // Incremental search as typing does it: focuses the first row whose cell
    // in the focused column starts with `text`; false (and nothing moves)
    // when no row does.
    bool searchFor(const QString &text);
    void clearSearch();

    // ---- focus ----
    int focusedSourceRow() const;  // table row of the focused row, -1 when none
    GridRow focusedRow() const;
    void setFocusedSourceRow(int sourceRow);

    // ---- busy ----
    void setBusy(bool busy);
    bool isBusy() const;

    // ---- footer ----
    GridFooterBar *footerBar() const { return footer_; }
    QString footerText(const QString &columnKey) const;

    // ---- export ----
    // The flat model an export writes: visible columns in view order, rows in
    // the current order, groups expanded, the footer as last row.
    std::unique_ptr<GridExportModel> createExportModel() const;
    // Writes the grid to `fileName` (used as given) with a progress dialog
    // for long exports. Throws std::runtime_error naming the file when it
    // cannot be written, or when the list is reloaded meanwhile.
    void exportToExcel(const QString &fileName);
    // "Excel Kaydet": asks for a file name (filter "Excel|*.xls*"), exports to
    // it with the Excel extension, returns the file written or an empty text
    // when the user cancelled. Throws like exportToExcel.
    QString exportToExcelWithDialog();

Q_SIGNALS:
    void rowDoubleClicked(int sourceRow);
    void contextMenuRequested(int sourceRow, const QPoint &globalPos);
    void focusedRowChanged(int sourceRow);
    void buttonClicked(int sourceRow, const QString &columnKey);
    void checkBoxClicked(int sourceRow, const QString &columnKey);
    void columnVisibilityChanged(const QString &columnKey, bool visible);
    void resized(const QSize &size);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void attachViewModel();
    void applyColumnState();
    void updateFooter();
    void updateFilterBar();
    void updateSpans();
    void updateChooser();
    void onCurrentChanged();
    void rememberFocus();
    void restoreFocus();
    void onSortClicked(int column, Qt::KeyboardModifiers modifiers);
    void openFilterPopupAt(int column, const QRect &globalRect);
    void showHeaderMenu(const QPoint &pos);
    bool handleKey(class QKeyEvent *event);
    int firstVisibleColumn() const;
    int searchColumn() const;
    void reapplyFit();

    GridOptions options_;
    GridTheme theme_;
    GridModel *model_ = nullptr;
    GridGroupModel *groupModel_ = nullptr;
    QTableView *view_ = nullptr;
    GridHeaderView *header_ = nullptr;
    GridRowIndicator *indicator_ = nullptr;
    GridDelegate *delegate_ = nullptr;
    GridFooterBar *footer_ = nullptr;
    QWidget *filterBar_ = nullptr;
    QLabel *filterLabel_ = nullptr;
    QToolButton *clearFilterButton_ = nullptr;
    GridBusyOverlay *overlay_ = nullptr;
    QPointer<GridColumnChooser> chooser_;
    QPointer<GridFilterPopup> popup_;
    QMenu *contextMenu_ = nullptr;

    std::vector<QMetaObject::Connection> viewModelConnections_;
    std::vector<GridSummary> footerSummaries_;
    std::vector<char> visible_;  // per column: shown now
    std::vector<int> widths_;    // per column: width in pixels
    QString search_;
    bool searching_ = false;
    int lastFocused_ = -2;
    int pendingFocus_ = -1;
    int pendingColumn_ = -1;
    enum class Fit { None, Weights, Content } fit_ = Fit::None;
    int fitWidth_ = 0;  // 0: the grid's own width
};

}  // namespace tarsel
