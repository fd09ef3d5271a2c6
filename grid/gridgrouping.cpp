#include "grid/gridgrouping.h"

#include <algorithm>
#include <unordered_map>

namespace tarsel {

// ---------------------------------------------------------------- GroupLayout

void GroupLayout::clear()
{
    groups_.clear();
    lines_.clear();
    headerLine_.clear();
}

void GroupLayout::rebuild(const GridModel &model)
{
    clear();
    if (column_ < 0 || column_ >= model.columnCount()) return;
    std::unordered_map<FilterKey, int, FilterKeyHash, FilterKeyEq> index;
    std::string scratch;
    for (int r : model.visibleRows()) {
        const FilterKeyRef ref = model.filterKey(r, column_, scratch);
        auto it = index.find(ref);
        if (it == index.end()) {
            Group g;
            g.key = FilterKey(ref);
            g.sampleRow = r;
            it = index.emplace(g.key, int(groups_.size())).first;
            groups_.push_back(std::move(g));
        }
        groups_[std::size_t(it->second)].rows.push_back(r);
    }
    const bool desc = model.sortColumn() == column_ && model.sortOrder() == Qt::DescendingOrder;
    std::stable_sort(groups_.begin(), groups_.end(), [&](const Group &a, const Group &b) {
        const bool na = a.key.kind == FilterKey::Null, nb = b.key.kind == FilterKey::Null;
        if (na || nb) return desc ? (nb && !na) : (na && !nb);
        const int c = model.compareRows(a.sampleRow, b.sampleRow, column_);
        return desc ? c > 0 : c < 0;
    });
    for (Group &g : groups_) {
        g.valueText = g.key.kind == FilterKey::Null ? QString() : model.displayText(g.sampleRow, column_);
        if (g.valueText.isEmpty()) g.valueText = BlankFilterText();
        g.summaries = ComputeSummaries(model, summaries_, g.rows.data(), g.rows.size());
        g.expanded = defaultExpanded_ != toggled_.contains(g.key);
    }
    relayout();
}

QString GroupLayout::caption(int group) const
{
    if (group < 0 || group >= int(groups_.size())) return QString();
    const Group &g = groups_[std::size_t(group)];
    return QStringLiteral("%1 (%2)").arg(g.valueText).arg(g.rows.size());
}

bool GroupLayout::isExpanded(int group) const
{
    return group >= 0 && group < int(groups_.size()) && groups_[std::size_t(group)].expanded;
}

void GroupLayout::setExpanded(int group, bool expanded)
{
    if (group < 0 || group >= int(groups_.size())) return;
    Group &g = groups_[std::size_t(group)];
    if (g.expanded == expanded) return;
    g.expanded = expanded;
    if (expanded == defaultExpanded_)
        toggled_.erase(g.key);
    else
        toggled_.insert(g.key);
    relayout();
}

void GroupLayout::setAllExpanded(bool expanded)
{
    defaultExpanded_ = expanded;
    toggled_.clear();
    for (Group &g : groups_) g.expanded = expanded;
    relayout();
}

int GroupLayout::headerLine(int group) const
{
    return group >= 0 && group < int(headerLine_.size()) ? headerLine_[std::size_t(group)] : -1;
}

void GroupLayout::relayout()
{
    lines_.clear();
    headerLine_.assign(groups_.size(), -1);
    for (int gi = 0; gi < int(groups_.size()); ++gi) {
        const Group &g = groups_[std::size_t(gi)];
        headerLine_[std::size_t(gi)] = int(lines_.size());
        lines_.push_back({GridModelBase::RowKind::GroupHeader, gi, -1});
        if (g.expanded)
            for (int r : g.rows) lines_.push_back({GridModelBase::RowKind::Data, gi, r});
        lines_.push_back({GridModelBase::RowKind::GroupFooter, gi, -1});
    }
}

// ---------------------------------------------------------------- GridGroupModel

GridGroupModel::GridGroupModel(GridModel *source, QObject *parent) : GridModelBase(parent), source_(source)
{
    connect(source_, &GridModel::contentChanged, this, &GridGroupModel::rebuild);
    connect(source_, &QAbstractItemModel::modelReset, this, &GridGroupModel::rebuild);
    connect(source_, &QAbstractItemModel::layoutChanged, this, &GridGroupModel::rebuild);
    connect(source_, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
    rebuild();
}

void GridGroupModel::rebuild()
{
    beginResetModel();
    layout_.rebuild(*source_);
    endResetModel();
    Q_EMIT groupsChanged();
}

void GridGroupModel::setGroupColumn(int column)
{
    layout_.setGroupColumn(column);
    rebuild();
}

void GridGroupModel::setSummaries(std::vector<GridSummary> summaries)
{
    layout_.setSummaries(std::move(summaries));
    rebuild();
}

void GridGroupModel::setFallbackSummaryColumn(int column)
{
    if (column == fallbackColumn_) return;
    fallbackColumn_ = column;
    if (rowCount() > 0) Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int GridGroupModel::groupAt(int row) const
{
    const auto &lines = layout_.lines();
    return row >= 0 && row < int(lines.size()) ? lines[std::size_t(row)].group : -1;
}

void GridGroupModel::setGroupExpanded(int group, bool expanded)
{
    if (group < 0 || group >= int(layout_.groups().size()) || layout_.isExpanded(group) == expanded) return;
    const int header = layout_.headerLine(group);
    const int n = int(layout_.groups()[std::size_t(group)].rows.size());
    if (n == 0) {
        layout_.setExpanded(group, expanded);
        return;
    }
    if (expanded) {
        beginInsertRows(QModelIndex(), header + 1, header + n);
        layout_.setExpanded(group, true);
        endInsertRows();
    } else {
        beginRemoveRows(QModelIndex(), header + 1, header + n);
        layout_.setExpanded(group, false);
        endRemoveRows();
    }
    const QModelIndex h = index(header, 0);
    Q_EMIT dataChanged(h, h, {GroupExpandedRole});
    Q_EMIT groupsChanged();
}

void GridGroupModel::expandAll()
{
    beginResetModel();
    layout_.setAllExpanded(true);
    endResetModel();
    Q_EMIT groupsChanged();
}

void GridGroupModel::collapseAll()
{
    beginResetModel();
    layout_.setAllExpanded(false);
    endResetModel();
    Q_EMIT groupsChanged();
}

int GridGroupModel::sourceRowAt(int row) const
{
    const auto &lines = layout_.lines();
    if (row < 0 || row >= int(lines.size())) return -1;
    return lines[std::size_t(row)].sourceRow;
}

int GridGroupModel::rowOfSourceRow(int sourceRow) const
{
    if (sourceRow < 0) return -1;
    const auto &lines = layout_.lines();
    for (int i = 0; i < int(lines.size()); ++i)
        if (lines[std::size_t(i)].sourceRow == sourceRow) return i;
    return -1;
}

GridModelBase::RowKind GridGroupModel::rowKind(int row) const
{
    const auto &lines = layout_.lines();
    return row >= 0 && row < int(lines.size()) ? lines[std::size_t(row)].kind : RowKind::Data;
}

int GridGroupModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(layout_.lines().size());
}

int GridGroupModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : source_->columnCount();
}

const SummaryCell *GridGroupModel::footerCell(int group, int column) const
{
    const auto &groups = layout_.groups();
    if (group < 0 || group >= int(groups.size())) return nullptr;
    for (const SummaryCell &s : groups[std::size_t(group)].summaries) {
        const int at = s.column < 0 ? fallbackColumn_ : s.column;
        if (at == column) return &s;
    }
    return nullptr;
}

QVariant GridGroupModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this) return {};
    const auto &lines = layout_.lines();
    if (index.row() >= int(lines.size())) return {};
    const GroupLayout::Line &line = lines[std::size_t(index.row())];
    switch (line.kind) {
    case RowKind::Data:
        if (role == ViewRowRole) return index.row();
        return source_->cellData(line.sourceRow, index.row(), index.column(), role);
    case RowKind::GroupHeader:
        switch (role) {
        case Qt::DisplayRole:
        case DescriptionRole: return layout_.caption(line.group);
        case Qt::TextAlignmentRole: return QVariant::fromValue(int(Qt::AlignLeft | Qt::AlignVCenter));
        case RowKindRole: return int(line.kind);
        case GroupExpandedRole: return layout_.isExpanded(line.group);
        case SourceRowRole: return -1;
        case ViewRowRole: return index.row();
        default: return {};
        }
    case RowKind::GroupFooter: {
        const SummaryCell *s = footerCell(line.group, index.column());
        switch (role) {
        case Qt::DisplayRole:
        case DescriptionRole: return s ? QVariant(s->text) : QVariant();
        case Qt::EditRole:
            if (!s) return {};
            return s->integral ? QVariant(qint64(s->value)) : QVariant(s->value);
        case Qt::TextAlignmentRole: return QVariant::fromValue(int(Qt::AlignRight | Qt::AlignVCenter));
        case RowKindRole: return int(line.kind);
        case SourceRowRole: return -1;
        case ViewRowRole: return index.row();
        default: return {};
        }
    }
    }
    return {};
}

QVariant GridGroupModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    return source_->headerData(section, orientation, role);
}

Qt::ItemFlags GridGroupModel::flags(const QModelIndex &index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void GridGroupModel::sort(int column, Qt::SortOrder order)
{
    source_->sort(column, order);
}

}  // namespace tarsel
