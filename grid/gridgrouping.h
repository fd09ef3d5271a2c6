#pragma once
// Grouping of a grid's rows by one column.
//
// GroupLayout is the plain part: it splits the visible rows of a GridModel
// into groups by the value of one column (groups in ascending value order,
// rows inside a group in the grid's display order), computes each group's
// summaries and lays out the lines a view shows: per group a caption line
// "value (n)", its rows while the group is expanded, and a footer line with
// the group's summaries that stays visible when the group is collapsed.
//
// GridGroupModel is the item model over it, used only by grouped grids so
// that plain grids keep the flat GridModel.

#include "grid/gridfilter.h"
#include "grid/gridmodel.h"
#include "grid/gridsummary.h"

#include <vector>

namespace tarsel {

class GroupLayout {
public:
    struct Group {
        FilterKey key;
        int sampleRow = -1;
        QString valueText;           // the group value as shown; "(Boş)" for empty
        std::vector<int> rows;       // table rows in display order
        std::vector<SummaryCell> summaries;
        bool expanded = true;
    };
    struct Line {
        GridModelBase::RowKind kind = GridModelBase::RowKind::Data;
        int group = -1;
        int sourceRow = -1;  // data lines only
    };

    void setGroupColumn(int column) { column_ = column; }
    int groupColumn() const { return column_; }
    void setSummaries(std::vector<GridSummary> summaries) { summaries_ = std::move(summaries); }
    const std::vector<GridSummary> &summaries() const { return summaries_; }

    // Groups the visible rows of `model`; expanded states are kept by value.
    void rebuild(const GridModel &model);
    void clear();

    const std::vector<Group> &groups() const { return groups_; }
    const std::vector<Line> &lines() const { return lines_; }
    QString caption(int group) const;  // "value (n)"

    bool isExpanded(int group) const;
    void setExpanded(int group, bool expanded);
    void setAllExpanded(bool expanded);
    int headerLine(int group) const;  // line index of a group's caption, -1 if none

private:
    void relayout();

    int column_ = -1;
    std::vector<GridSummary> summaries_;
    std::vector<Group> groups_;
    std::vector<Line> lines_;
    std::vector<int> headerLine_;
    bool defaultExpanded_ = true;
    FilterKeySet toggled_;  // groups whose state differs from the default
};

class GridGroupModel : public GridModelBase {
    Q_OBJECT
public:
    explicit GridGroupModel(GridModel *source, QObject *parent = nullptr);

    void setGroupColumn(int column);
    int groupColumn() const { return layout_.groupColumn(); }
    void setSummaries(std::vector<GridSummary> summaries);
    // Column a summary without a column (a plain count) is shown under.
    void setFallbackSummaryColumn(int column);
    const GroupLayout &layout() const { return layout_; }

    int groupAt(int row) const;  // group of any line, -1 out of range
    bool isGroupExpanded(int group) const { return layout_.isExpanded(group); }
    void setGroupExpanded(int group, bool expanded);
    void expandAll();
    void collapseAll();

    GridModel *gridModel() override { return source_; }
    const GridModel *gridModel() const override { return source_; }
    int sourceRowAt(int row) const override;
    int rowOfSourceRow(int sourceRow) const override;
    RowKind rowKind(int row) const override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

Q_SIGNALS:
    void groupsChanged();  // lines were added or removed (spans must follow)

private:
    void rebuild();
    const SummaryCell *footerCell(int group, int column) const;

    GridModel *source_;
    GroupLayout layout_;
    int fallbackColumn_ = 0;
};

}  // namespace tarsel
