#include "grid/gridexportmodel.h"

#include "grid/gridmodel.h"
#include "wire/datatable.h"

namespace tarsel {

GridExportModel::GridExportModel(const GridModel *model, std::vector<int> columns, const GroupLayout *grouping,
                                 std::vector<GridSummary> footer, QObject *parent)
    : QAbstractTableModel(parent), model_(model), columns_(std::move(columns)), rows_(model->visibleRows()),
      generation_(model->generation())
{
    if (grouping && grouping->groupColumn() >= 0) {
        grouping_ = *grouping;
        grouping_->rebuild(*model_);
        grouping_->setAllExpanded(true);
    }
    if (!footer.empty()) {
        hasFooter_ = true;
        footer_ = ComputeSummaries(*model_, footer);
    }
}

int GridExportModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid()) return 0;
    const int body = grouping_ ? int(grouping_->lines().size()) : int(rows_.size());
    return body + (hasFooter_ ? 1 : 0);
}

int GridExportModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant GridExportModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= int(columns_.size())) return {};
    if (role != Qt::DisplayRole) return {};
    return model_->column(columns_[std::size_t(section)]).headerText();
}

QVariant GridExportModel::cellValue(int sourceRow, int column, int role) const
{
    const GridColumn &gc = model_->column(column);
    switch (gc.kind) {
    case CellKind::Icon: {
        const QString d = model_->displayText(sourceRow, column);
        return d.isEmpty() ? QVariant() : QVariant(d);
    }
    case CellKind::Button:
    case CellKind::Picture: return {};
    default: break;
    }
    if (role == Qt::DisplayRole) return model_->displayText(sourceRow, column);
    QVariant v = model_->value(sourceRow, column);
    if (!v.isValid() || v.isNull()) return {};
    if (v.typeId() == QMetaType::QByteArray) return {};
    return v;
}

QVariant GridExportModel::summaryValue(const std::vector<SummaryCell> &cells, int column, int role) const
{
    const int firstExported = columns_.empty() ? -1 : columns_.front();
    for (const SummaryCell &s : cells) {
        const int at = s.column < 0 ? firstExported : s.column;
        if (at != column) continue;
        if (role == Qt::DisplayRole) return s.text;
        if (s.text.isEmpty()) return {};
        return s.integral ? QVariant(qint64(s.value)) : QVariant(s.value);
    }
    return {};
}

QVariant GridExportModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this) return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    // The table was detached or replaced meanwhile: its rows are no longer ours to read.
    if (model_->generation() != generation_) return {};
    const int column = columns_[std::size_t(index.column())];
    const int body = rowCount() - (hasFooter_ ? 1 : 0);
    if (index.row() >= body) return summaryValue(footer_, column, role);
    if (!grouping_) return cellValue(rows_[std::size_t(index.row())], column, role);

    const GroupLayout::Line &line = grouping_->lines()[std::size_t(index.row())];
    switch (line.kind) {
    case GridModelBase::RowKind::Data: return cellValue(line.sourceRow, column, role);
    case GridModelBase::RowKind::GroupHeader:
        return index.column() == 0 ? QVariant(grouping_->caption(line.group)) : QVariant();
    case GridModelBase::RowKind::GroupFooter:
        return summaryValue(grouping_->groups()[std::size_t(line.group)].summaries, column, role);
    }
    return {};
}

}  // namespace tarsel
