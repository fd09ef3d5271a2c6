#pragma once
// Item model of a grid over an in-memory table.
//
// GridModel shows a DataTable through the grid's column definitions. It keeps
// one vector of the table rows that are visible, in display order: header
// filters and sorting work on the typed columns and only rebuild that vector,
// and cell texts are built only for the cells a view asks for. A column the
// definitions name but the table lacks shows empty cells.
//
// Loading: a screen that fills the table on a background task calls
// beginReload() before the task starts (the model lets go of the table and
// shows no rows, so the task may rewrite it) and endReload() on the
// user-interface thread afterwards (the model binds the columns again and
// re-applies the user's filters and sorting).

#include "grid/gridcolumn.h"
#include "grid/gridfilter.h"

#include <QAbstractTableModel>
#include <QLocale>

#include <memory>
#include <vector>

namespace tarsel {

class DataColumn;
class DataTable;
class GridModel;

// What the flat model and the grouping model have in common, so views,
// delegates, search and export can work with either.
class GridModelBase : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role {
        SourceRowRole = Qt::UserRole + 1,  // int: table row, -1 for group rows
        RowKindRole,                       // int: RowKind
        IconNameRole,                      // QString: icon of an icon cell (empty: none)
        DescriptionRole,                   // QString: icon description or display text
        ProgressRole,                      // int 0..100 of a progress cell
        GroupExpandedRole,                 // bool: on group header rows
        ViewRowRole,                       // int: the row number in the view
    };
    enum class RowKind { Data = 0, GroupHeader = 1, GroupFooter = 2 };

    using QAbstractTableModel::QAbstractTableModel;

    virtual GridModel *gridModel() = 0;
    virtual const GridModel *gridModel() const = 0;
    virtual int sourceRowAt(int row) const = 0;         // -1 for a group row or out of range
    virtual int rowOfSourceRow(int sourceRow) const = 0;  // -1 when not shown
    virtual RowKind rowKind(int row) const = 0;

    // First data row at or after `from` whose cell in `column` starts with
    // `prefix` as FoldForSearch compares; -1 when none.
    int findRowStartingWith(int column, const QString &prefix, int from = 0) const;
};

class GridModel : public GridModelBase {
    Q_OBJECT
public:
    explicit GridModel(QObject *parent = nullptr);
    ~GridModel() override;

    // ---- definitions ----
    // Replaces the column definitions (filters and sorting are cleared).
    void setColumns(std::vector<GridColumn> columns);
    const std::vector<GridColumn> &columns() const { return cols_; }
    const GridColumn &column(int c) const { return cols_[std::size_t(c)]; }
    int columnIndex(const QString &key) const;  // by GridColumn::key(), case-insensitive; -1
    // The two settings a screen changes after set-up (by user type).
    void setColumnCaption(int c, const QString &caption);
    void setColumnInChooser(int c, bool offered);

    // ---- the table ----
    // A borrowed table: it must stay alive while the model shows it.
    void setTable(const DataTable *table);
    // A shared table, kept alive by the model.
    void setTable(std::shared_ptr<const DataTable> table);
    const DataTable *table() const { return detached_ ? nullptr : table_; }

    void beginReload();   // detach: no rows until endReload; the table may be rewritten meanwhile
    void endReload();     // re-attach: bind columns, re-apply filters and sorting
    bool isDetached() const { return detached_; }
    // Changes whenever the table is detached, re-attached or replaced, so a
    // long reader (the export) can tell that the rows it walks are gone.
    quint64 generation() const { return generation_; }
    // The table was changed in place (rows or values): re-apply filters and
    // sorting, keeping them.
    void refresh();
    // The values of one table row changed in place: repaint it and update the
    // summaries. Filters and sorting are re-applied by the next refresh().
    void notifyRowChanged(int sourceRow);

    void setLocale(const QLocale &locale);
    QLocale locale() const { return locale_; }

    // ---- cell access by table row ----
    int tableRowCount() const { return int(tableRows_); }
    const DataColumn *boundColumn(int c) const;  // nullptr when unbound or missing in the table
    bool isNull(int sourceRow, int c) const;
    QVariant value(int sourceRow, int c) const;     // typed value, invalid for null
    double number(int sourceRow, int c) const;      // 0 for null or text
    QString displayText(int sourceRow, int c) const;  // as shown; icon cells give the description
    QVariant cellData(int sourceRow, int viewRow, int c, int role) const;
    FilterKeyRef filterKey(int sourceRow, int c, std::string &scratch) const;
    // <0, 0, >0: the sort order of two table rows in column c (nulls first).
    int compareRows(int a, int b, int c) const;

    // ---- visible rows ----
    const std::vector<int> &visibleRows() const { return rows_; }
    int sourceRowAt(int row) const override;
    int rowOfSourceRow(int sourceRow) const override;
    RowKind rowKind(int) const override { return RowKind::Data; }
    GridModel *gridModel() override { return this; }
    const GridModel *gridModel() const override { return this; }

    // ---- sorting ----
    void setSortingAllowed(bool allowed);  // false: rows stay in table order
    bool sortingAllowed() const { return sortingAllowed_; }
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    void clearSort();
    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }

    // ---- header filters ----
    // Distinct values of column c among the rows the other filters let
    // through, in sort order, each marked with whether the current filter
    // accepts it.
    std::vector<FilterValue> filterValues(int c) const;
    // Shows only rows whose value in c is one of `accepted`.
    void setColumnFilter(int c, FilterKeySet accepted);
    // Convenience: accept the values whose display text is in `texts`
    // ("(Boş)" for empty cells).
    void setColumnFilterTexts(int c, const QStringList &texts);
    void clearColumnFilter(int c);
    void clearFilters();
    bool hasFilter(int c) const;
    bool hasFilters() const { return !filters_.empty(); }
    std::vector<int> filteredColumns() const;

    // ---- QAbstractItemModel ----
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

Q_SIGNALS:
    // Rows, values, filters or sorting changed: footers and group rows follow.
    void contentChanged();
    void filtersChanged();
    void sortChanged();

private:
    struct Filter {
        int column;
        FilterKeySet accepted;
    };

    void bindColumns();
    void rebuildOrder();    // sorting over all table rows
    void rebuildVisible();  // filters over the sorted rows
    void rebuildIndex();
    bool passes(int sourceRow, int skipColumn, std::string &scratch) const;

    std::vector<GridColumn> cols_;
    std::vector<int> bind_;  // per definition: index in the table, -1 if unbound or missing
    std::vector<int> keyDec_;  // per definition: decimals a money value is compared with, -1 exact
    const DataTable *table_ = nullptr;
    std::shared_ptr<const DataTable> shared_;
    std::size_t tableRows_ = 0;
    bool detached_ = false;
    quint64 generation_ = 0;
    QLocale locale_;

    std::vector<int> order_;      // all table rows in sort order (empty when unsorted)
    std::vector<int> rows_;       // visible rows in display order
    std::vector<int> rowOf_;      // table row -> display row or -1
    std::vector<Filter> filters_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    bool sortingAllowed_ = true;
};

}  // namespace tarsel
