#pragma once
// The flat model a grid hands to ExportGridToExcel: the visible columns in
// view order, the rows in their current filter and sort order, every group
// expanded with its caption and footer lines, and the grid footer as the last
// row. Numbers, dates and texts keep their types in Qt::EditRole; icon cells
// export their description ("Var", "Telefon Açınız", ...).

#include "grid/gridgrouping.h"
#include "grid/gridsummary.h"

#include <QAbstractTableModel>

#include <optional>
#include <vector>

namespace tarsel {

class GridModel;

class GridExportModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // `columns`: model columns in the order to write; `grouping`: the grid's
    // grouping or nullptr; `footer`: the grid footer's summaries (none: no
    // footer row).
    GridExportModel(const GridModel *model, std::vector<int> columns, const GroupLayout *grouping,
                    std::vector<GridSummary> footer, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const std::vector<int> &exportedColumns() const { return columns_; }
    // The model's generation the rows were taken from (see GridModel::generation).
    quint64 generation() const { return generation_; }

private:
    QVariant cellValue(int sourceRow, int column, int role) const;
    QVariant summaryValue(const std::vector<SummaryCell> &cells, int column, int role) const;

    const GridModel *model_;
    std::vector<int> columns_;
    std::vector<int> rows_;  // the visible rows when the export began
    std::optional<GroupLayout> grouping_;
    std::vector<SummaryCell> footer_;
    bool hasFooter_ = false;
    quint64 generation_ = 0;
};

}  // namespace tarsel
